#!/bin/sh
# Trains the vessel network shipped as models/retina-network.qvm: a U-Net on the 20 DRIVE
# training photographs (green channel, dark vessels) with their first observer's
# annotations, inside the data set's field-of-view masks. The same build, seed, step count
# and thread count write the same file; on 2 cores shared with other work it took 26 minutes.
#   scripts/train-retina-network.sh [DRIVE_TRAIN_FOLDER] [QUENDRA_CLI] [STEPS]
set -e
# Threads that wait for one another sleep instead of spinning: on a machine shared with other
# work, spinning OpenMP threads made each step several times slower.
export OMP_WAIT_POLICY=${OMP_WAIT_POLICY:-PASSIVE}
here=$(cd "$(dirname "$0")/.." && pwd)
data=${1:-$here/../shared/data/drive-train}
cli=${2:-$here/build/quendra-cli}
steps=${3:-2000}
"$cli" train --learner network --steps "$steps" --seed 1 --threads 2 --base-channels 8 \
  --truth "$data/truth" --mask "$data/mask" --channel green --dark-vessels \
  --out "$here/models/retina-network.qvm" "$data/images"
