#!/bin/sh
# Two-fold cross-validation of the two shipped networks' recipes: each training folder is
# split into halves by file name (first half, second half); a network is trained on one half
# and scored on the other with quendra-cli evaluate, then the other way round. The retina
# network is trained afresh on DRIVE halves; the coronary network is fine-tuned from
# models/retina-network.qvm (as the shipped one is) on angiogram halves. Prints one
# evaluation summary per fold and leaves everything in WORK_FOLDER.
#   scripts/cross-validate-networks.sh [WORK_FOLDER] [QUENDRA_CLI] [RETINA_STEPS] [CORONARY_STEPS]
set -e
export OMP_WAIT_POLICY=${OMP_WAIT_POLICY:-PASSIVE}
here=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/quendra-crossvalidation}
cli=${2:-$here/build/quendra-cli}
retinaSteps=${3:-2000}
coronarySteps=${4:-1000}
data=$here/../shared/data

# half SOURCE_FOLDER FIRST|SECOND TARGET: links the first or second half (by name) of the
# images, truths and masks of SOURCE_FOLDER into TARGET.
half() {
    for kind in images truth mask; do
        [ -d "$1/$kind" ] || continue
        mkdir -p "$3/$kind"
        files=$(ls "$1/$kind" | sort)
        count=$(echo "$files" | wc -l)
        if [ "$2" = FIRST ]; then picked=$(echo "$files" | head -n $((count / 2)))
        else picked=$(echo "$files" | tail -n $((count - count / 2))); fi
        for f in $picked; do ln -sf "$1/$kind/$f" "$3/$kind/$f"; done
    done
}

# fold NAME SOURCE TRAIN_HALF SCORE_HALF STEPS TRAIN_OPTIONS... : trains on one half,
# segments and scores the other.
fold() {
    name=$1 source=$2 trainHalf=$3 scoreHalf=$4 steps=$5
    shift 5
    dir=$work/$name
    rm -rf "$dir"
    half "$source" "$trainHalf" "$dir/train"
    half "$source" "$scoreHalf" "$dir/score"
    start=$(date +%s)
    "$cli" train --learner network --steps "$steps" --seed 1 --threads 2 --truth "$dir/train/truth" "$@" \
        --out "$dir/model.qvm" "$dir/train/images" > "$dir/train.log" 2>&1
    echo "$name: trained $steps steps in $(( $(date +%s) - start )) s"
    "$cli" segment --method classifier --model "$dir/model.qvm" --threads 2 --out "$dir/result" \
        "$dir/score/images" > "$dir/segment.log" 2>&1
    maskOption=""
    [ -d "$dir/score/mask" ] && maskOption="--mask $dir/score/mask"
    # shellcheck disable=SC2086
    "$cli" evaluate --truth "$dir/score/truth" $maskOption --csv "$dir/evaluation.csv" "$dir/result"
}

mkdir -p "$work"
for order in "FIRST SECOND" "SECOND FIRST"; do
    set -- $order
    fold "retina-$1" "$data/drive-train" "$1" "$2" "$retinaSteps" --mask "$work/retina-$1/train/mask" \
        --channel green --dark-vessels --base-channels 8
    fold "coronary-$1" "$data/coronary-train" "$1" "$2" "$coronarySteps" --from "$here/models/retina-network.qvm" \
        --whole-image --dark-vessels
done
