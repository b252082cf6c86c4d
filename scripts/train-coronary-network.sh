#!/bin/sh
# Trains the vessel network shipped as models/coronary-network.qvm: the retina network
# (models/retina-network.qvm) fine-tuned on the 40 X-ray coronary angiograms with their
# cardiologist's segmentation (dark vessels, the whole image; there is no field-of-view
# mask). Starting from the retina network learned better than starting afresh. The same
# build, seed, step count and thread count write the same file; on 2 cores shared with other
# work it took 24 minutes.
#   scripts/train-coronary-network.sh [CORONARY_TRAIN_FOLDER] [QUENDRA_CLI] [STEPS]
set -e
# Threads that wait for one another sleep instead of spinning: on a machine shared with other
# work, spinning OpenMP threads made each step several times slower.
export OMP_WAIT_POLICY=${OMP_WAIT_POLICY:-PASSIVE}
here=$(cd "$(dirname "$0")/.." && pwd)
data=${1:-$here/../shared/data/coronary-train}
cli=${2:-$here/build/quendra-cli}
steps=${3:-1000}
"$cli" train --learner network --from "$here/models/retina-network.qvm" --steps "$steps" --seed 1 --threads 2 \
  --truth "$data/truth" --whole-image --dark-vessels \
  --out "$here/models/coronary-network.qvm" "$data/images"
