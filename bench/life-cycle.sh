#!/bin/sh
# What a user feels on one large image, beside its floors, in one run: copying the file
# (cp, and cp with the data flushed to disk, as the program's save does), loading and saving
# it (apply display, .cimg in and out), and hysteresis thresholding end to end beside its
# algorithms alone on an image already in memory (the benchmark of the pre-step and
# calculation, same size), and fuzzy clustering end to end with its system time beside its
# wall time. Peak memory is given in images of the input's size. With OLD_BUILD, display,
# hessian, hysteresis and fuzzy run in both builds, alternated (new, old, new, old, ...) so
# that a busy machine weighs on both alike: median wall and system time and the largest peak
# of ROUNDS runs each (default 3).
# usage: bench/life-cycle.sh BUILD_DIR INPUT.cimg [OLD_BUILD_DIR]
#        (e.g. a 3504 x 2336 or 4096 x 4096 photograph as .cimg)
set -eu
build=$1
input=$2
old=${3:-}
cli=$build/quendra-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
image_kb=$(( $(stat -c %s "$input") / 1024 ))
timed() {  # label command...: best of three wall times, and the peak memory of the last
    label=$1; shift
    best=""
    for _ in 1 2 3; do
        /usr/bin/time -f "%e %M" -o "$work/t" "$@" > /dev/null 2>&1
        t=$(cut -d' ' -f1 "$work/t"); m=$(cut -d' ' -f2 "$work/t")
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
    done
    printf '%-28s %6s s   peak %5s images\n' "$label" "$best" "$(echo "scale=2; $m / $image_kb" | bc)"
}
timed "cp" cp "$input" "$work/copy.cimg"
timed "cp + fsync" dd if="$input" of="$work/copy2.cimg" bs=4M conv=fsync status=none
timed "apply display" "$cli" apply display "$input" "$work/out.cimg"
timed "apply hysteresis" "$cli" apply hysteresis "$input" "$work/out.cimg" preset=retina
"$build/bench/bench_segmentation" --benchmark_filter=BM_HysteresisPreStepAndCalculate 2>/dev/null | grep BM_
fuzzy() {  # label cli: one run (it takes seconds), wall and system time, peak memory
    /usr/bin/time -f "%e %S %M" -o "$work/t" "$2" apply fuzzy "$input" "$work/out.cimg" > /dev/null 2>&1
    read -r t s m < "$work/t"
    printf '%-28s %6s s   peak %5s images   system %s s = %s of wall\n' "$1" "$t" \
        "$(echo "scale=2; $m / $image_kb" | bc)" "$s" "$(echo "scale=3; $s / $t" | bc)"
}
fuzzy "apply fuzzy" "$cli"
[ -n "$old" ] || exit 0
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
summary() {  # label file: median wall, median system, largest peak
    printf '%-28s %6s s   system %5s s   peak %5s images\n' "$1" "$(cut -d' ' -f1 "$2" | median)" \
        "$(cut -d' ' -f2 "$2" | median)" "$(echo "scale=2; $(cut -d' ' -f3 "$2" | sort -n | tail -1) / $image_kb" | bc)"
}
for op in display hessian hysteresis fuzzy; do
    : > "$work/new"; : > "$work/old"
    for _ in $(seq "${ROUNDS:-3}"); do
        for side in new old; do
            bin=$cli; [ "$side" = old ] && bin=$old/quendra-cli
            /usr/bin/time -f "%e %S %M" -o "$work/t" "$bin" apply "$op" "$input" "$work/out.cimg" > /dev/null 2>&1
            cat "$work/t" >> "$work/$side"
        done
    done
    summary "apply $op" "$work/new"
    summary "apply $op (old build)" "$work/old"
done
