#!/bin/sh
# Makes every picture of the help manual (doc/images/*.png) from the bundled sample
# images, with the program's own command-line tool, so that the pictures always show
# what the program does:
#
#     scripts/make-manual-pictures.sh [BUILD_DIR]     (default: build/ beside scripts/)
#
# Needs BUILD_DIR/quendra-cli (cmake --build BUILD_DIR --target quendra-cli). Each
# picture is a gray 8-bit PNG at the sample's own size; the pages show them 240 pixels
# wide. When samples/ has no sample images yet, scripts/make-samples.py writes them
# into a temporary folder first.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cli=$build/quendra-cli
out=$root/doc/images
samples=$root/samples

if [ ! -x "$cli" ]; then
    echo "make-manual-pictures: $cli not found; build the target quendra-cli first" >&2
    exit 2
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

for name in retina retina-truth angiogram skin; do
    if [ ! -f "$samples/$name.png" ]; then
        echo "make-manual-pictures: samples/$name.png is missing; using freshly made samples" >&2
        python3 "$root/scripts/make-samples.py" "$tmp/samples" >/dev/null
        samples=$tmp/samples
        break
    fi
done

# Pictures are overwritten one by one: the window's screenshots beside them (scribbles,
# run curve, stenosis window) are made by hand and must survive a run.
mkdir -p "$out"

# apply OPERATION INPUT OUTPUT-NAME [NAME=VALUE ...]: one picture into doc/images.
apply() {
    op=$1 input=$2 name=$3
    shift 3
    echo "  $name.png  ($op $*)"
    "$cli" apply "$op" "$input" "$out/$name.png" "$@" 2>"$tmp/log" || {
        cat "$tmp/log" >&2
        exit 1
    }
}

# show INPUT OUTPUT-NAME: the input as the program displays it.
show() {
    apply display "$1" "$2"
}

echo "Samples"
show "$samples/retina.png" retina
show "$samples/retina-truth.png" retina-truth
show "$samples/angiogram.png" angiogram
show "$samples/skin.png" skin

echo "Point operations"
apply invert "$samples/retina.png" retina-invert
apply normalize "$samples/angiogram.png" angiogram-normalize
apply sqrt "$samples/skin.png" skin-sqrt
apply power "$samples/skin.png" skin-power exponent=2
apply log "$samples/skin.png" skin-log

echo "Morphology (on the skin image, whose vessels are bright)"
for op in erode dilate open close tophat gradient; do
    apply $op "$samples/skin.png" skin-$op size=3
done

echo "Thresholding"
apply threshold "$samples/skin.png" skin-threshold border=150
apply threshold "$samples/skin.png" skin-threshold-invert border=150 invert=1

echo "Thinning and skeletonizing (of the retina's true vessel map)"
apply thin "$samples/retina-truth.png" retina-truth-thin
apply skeletonize "$samples/retina-truth.png" retina-truth-skeletonize

echo "Fourier transforms"
apply fft "$samples/angiogram.png" angiogram-fft
# The inverse transform is not scaled; it is normalized for display.
"$cli" apply invfft "$out/angiogram-fft.png" "$tmp/invfft.cimg" 2>"$tmp/log" || {
    cat "$tmp/log" >&2
    exit 1
}
apply normalize "$tmp/invfft.cimg" angiogram-fft-invfft

echo "Vessel enhancement"
for op in laplacian hessian homomorphic nonlinear; do
    apply $op "$samples/angiogram.png" angiogram-$op
done
# Writes the smaller eigenvalue as the picture and, with --all, both eigenvalues.
"$cli" apply eigen "$samples/angiogram.png" "$tmp/eigen.png" --all 2>"$tmp/log" || {
    cat "$tmp/log" >&2
    exit 1
}
cp "$tmp/eigen.1.png" "$out/angiogram-eigen-larger.png"
cp "$tmp/eigen.2.png" "$out/angiogram-eigen-smaller.png"
echo "  angiogram-eigen-larger.png, angiogram-eigen-smaller.png  (eigen)"

echo "Hysteresis thresholding"
apply hysteresis "$samples/skin.png" skin-hysteresis preset=skin
apply invert "$samples/angiogram.png" angiogram-invert
apply hysteresis "$out/angiogram-invert.png" angiogram-invert-hysteresis preset=coronary

echo "Fuzzy clustering"
apply fuzzy "$samples/skin.png" skin-fuzzy

echo "Retina walk-through"
# Step 1: vessels white.  Step 2: the vessel enhancement that the hysteresis dialog
# computes first, built here from the same single operations (normalize, white top-hat
# with a disc of size 13, invert, Hessian enhancement).  Step 3: the segmentation.
# The intermediate steps keep their double values in .cimg files.
step() {
    echo "  ($1 $3 $4)"
    "$cli" apply "$1" "$2" "$3" $4 2>"$tmp/log" || {
        cat "$tmp/log" >&2
        exit 1
    }
}
step normalize "$out/retina-invert.png" "$tmp/normalized.cimg" ""
step tophat "$tmp/normalized.cimg" "$tmp/tophat.cimg" size=13
step display "$tmp/tophat.cimg" "$out/walk-tophat.png" ""
step invert "$tmp/tophat.cimg" "$tmp/tophat-invert.cimg" ""
step hessian "$tmp/tophat-invert.cimg" "$out/walk-reference.png" ""
apply hysteresis "$out/retina-invert.png" walk-retina preset=retina
apply hysteresis "$out/retina-invert.png" walk-own vessel=4 background=80
apply thin "$out/walk-retina.png" walk-retina-thin

echo "Measurements of the walk-through's result"
"$cli" stats "$out/walk-retina.png" --binary
"$cli" stats "$samples/retina-truth.png" --binary

echo "Vessel morphometry"
# Shapes whose figures are known, drawn as PGM files: a straight bar 7 px wide, a quarter
# circle of radius 60 and 5 px wide, a sine curve 3 px wide; and a Sierpinski carpet.
python3 - "$tmp" <<'PYTHON'
import math, sys
out = sys.argv[1]
def save(name, w, h, inside):
    rows = bytearray()
    for y in range(h):
        for x in range(w):
            rows.append(255 if inside(x, y) else 0)
    with open(f"{out}/{name}.pgm", "wb") as f:
        f.write(b"P5 %d %d 255\n" % (w, h) + bytes(rows))
def shapes(x, y):
    if 30 <= x <= 370 and 27 <= y <= 33:                      # bar, 7 px
        return True
    if abs(math.hypot(x - 60, y - 240) - 150) <= 2.5 and x >= 60 and y <= 240 and y >= 90:
        return True                                            # quarter circle, r 150, 5 px
    return x >= 230 and x <= 380 and abs(y - (170 + 25 * math.sin(2 * math.pi * (x - 230) / 75))) <= 1.5
save("shapes", 400, 260, shapes)
def carpet(x, y):
    while x > 0 or y > 0:
        if x % 3 == 1 and y % 3 == 1:
            return False
        x //= 3
        y //= 3
    return True
save("carpet", 243, 243, carpet)
PYTHON
show "$tmp/shapes.pgm" morphometry-shapes
show "$tmp/carpet.pgm" morphometry-carpet
overlay() {
    echo "  $3.png  (overlay --color-by $4)"
    "$cli" overlay "$1" "$2" "$out/$3.png" --color-by "$4" 2>"$tmp/log" || {
        cat "$tmp/log" >&2
        exit 1
    }
}
overlay "$tmp/shapes.pgm" "$tmp/shapes.pgm" morphometry-shapes-tortuosity tortuosity
overlay "$samples/retina.png" "$samples/retina-truth.png" morphometry-retina-diameter diameter
overlay "$samples/retina.png" "$samples/retina-truth.png" morphometry-retina-tortuosity tortuosity
echo "Morphometry of the shapes (segment table on standard output)"
"$cli" stats "$tmp/shapes.pgm" --binary --segments-csv "$tmp/shapes.csv"
cat "$tmp/shapes.csv"
"$cli" stats "$tmp/carpet.pgm" --binary | grep fractal
"$cli" stats "$samples/retina-truth.png" --binary --mask "$samples/retina-mask.png"

echo "Vessel classifier (the shipped retina model on the retina sample)"
"$cli" segment --method classifier --model retina --probabilities --out "$tmp/classifier" "$samples/retina.png" >/dev/null
cp "$tmp/classifier/retina.png" "$out/retina-classifier.png"
cp "$tmp/classifier/retina-probability.png" "$out/retina-classifier-probability.png"
"$cli" evaluate --truth "$samples/retina-truth.png" --mask "$samples/retina-mask.png" --csv "$tmp/classifier.csv" \
    "$tmp/classifier/retina.png"

echo "Total size of doc/images:"
du -sh "$out"
