#!/bin/sh
# Trains the vessel classifier shipped as models/retina.qvm: the 20 DRIVE training
# photographs (green channel, dark vessels) with their first observer's annotations,
# inside the data set's field-of-view masks. Training is deterministic, so the same build
# writes the same file on any machine and with any thread count.
#   scripts/train-retina-model.sh [DRIVE_TRAIN_FOLDER] [QUENDRA_CLI]
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
data=${1:-$here/../shared/data/drive-train}
cli=${2:-$here/build/quendra-cli}
"$cli" train --truth "$data/truth" --mask "$data/mask" --channel green --dark-vessels \
  --out "$here/models/retina.qvm" "$data/images"
