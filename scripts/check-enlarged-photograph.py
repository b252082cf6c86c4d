#!/usr/bin/python3
"""Checks that a vessel model measures an enlarged photograph as it measures the original.

  check-enlarged-photograph.py [--model NAME|FILE] [--cli QUENDRA_CLI] [--factors 1.7 6]
                               [--photographs 21 22 ...] [--work FOLDER]

Each DRIVE training photograph is enlarged by each factor (bicubic; its truth and mask
bilinearly and thresholded at half way, so they stay binary and follow the smooth outline the
enlarged photograph shows; the nearest pixel would make some pixels two wide and others one at
a factor of 1.7, a staircase no segmentation follows), segmented with quendra-cli segment --method classifier,
which resizes it to the model's scale and the probabilities back, and scored inside the
enlarged mask with quendra-cli evaluate. Prints the mean Dice at each size; the enlarged ones
should lie within 0.01 of the original's.
"""
import argparse, csv, os, subprocess, tempfile
from PIL import Image

here = os.path.dirname(os.path.abspath(__file__))
parser = argparse.ArgumentParser()
parser.add_argument("--model", default="retina-network")
parser.add_argument("--cli", default=os.path.join(here, "..", "build", "quendra-cli"))
parser.add_argument("--data", default=os.path.join(here, "..", "..", "shared", "data", "drive-train"))
parser.add_argument("--factors", type=float, nargs="+", default=[1.7, 6.0])
parser.add_argument("--photographs", nargs="+", default=["21"])
parser.add_argument("--work", default=None)
args = parser.parse_args()
work = args.work or tempfile.mkdtemp(prefix="quendra-enlarged-")


def mean_dice(folder):
    with open(os.path.join(folder, "evaluation.csv")) as f:
        rows = [r for r in csv.DictReader(f) if r["file"] != "mean"]
    values = [float(r["dice"]) for r in rows]
    return sum(values) / len(values)


for factor in [1.0] + args.factors:
    folder = os.path.join(work, "x%g" % factor)
    for kind in ("images", "truth", "mask"):
        os.makedirs(os.path.join(folder, kind), exist_ok=True)
    for name in args.photographs:
        photo = Image.open(os.path.join(args.data, "images", name + ".tif"))
        size = (round(photo.width * factor), round(photo.height * factor))
        photo.resize(size, Image.BICUBIC).save(os.path.join(folder, "images", name + ".png"))
        for kind in ("truth", "mask"):
            enlarged = Image.open(os.path.join(args.data, kind, name + ".gif")).convert("L").resize(size, Image.BILINEAR)
            enlarged.point(lambda v: 255 if v >= 128 else 0).save(os.path.join(folder, kind, name + ".png"))
    subprocess.run([args.cli, "segment", "--method", "classifier", "--model", args.model, "--threads", "2",
                    "--out", os.path.join(folder, "result"), os.path.join(folder, "images")],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run([args.cli, "evaluate", "--truth", os.path.join(folder, "truth"), "--mask",
                    os.path.join(folder, "mask"), "--csv", os.path.join(folder, "evaluation.csv"),
                    os.path.join(folder, "result")], check=True, stdout=subprocess.DEVNULL)
    print("x%g: Dice %.4f" % (factor, mean_dice(folder)), flush=True)
