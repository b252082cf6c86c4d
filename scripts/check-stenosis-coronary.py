#!/usr/bin/env python3
"""Compares the diameter profile measured on a model's segmentation of real coronary
angiograms with the profile measured on the manual segmentation, along the same vessels.

For every angiogram scored, the longest centre-line segment of the manual segmentation (from
`quendra-cli stats --binary --segments-csv`) is followed on the manual segmentation; the points
at 10 % and 90 % of that path are the two points a user would click inside the artery (its
ends lie at the tips, which a model may draw a little shorter). `quendra-cli stenosis
--diameters segmentation` measures the profile between them on the manual segmentation and on
the model's, and the two profiles are compared at the same share of the path's length. Prints
one line per path and the mean absolute difference in pixels.

Usage: check-stenosis-coronary.py QUENDRA_CLI DATA_DIR WORK_DIR [MODEL]
DATA_DIR holds images/NN.png and truth/NN.png. The second half of the angiograms is scored,
segmented by MODEL, which must not have seen them (the coronary-FIRST fold of
cross-validate-networks.sh is trained on the first half); without MODEL, a boosted-trees model
is trained on the first half.
"""
import csv
import os
import subprocess
import sys


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def profile(path):
    with open(path) as f:
        rows = list(csv.DictReader(f))
    return [(float(r["arc_px"]), float(r["diameter_px"])) for r in rows]


def at_share(samples, share):
    """The diameter at `share` of the path's length, linearly interpolated."""
    target = share * samples[-1][0]
    for (a0, d0), (a1, d1) in zip(samples, samples[1:]):
        if a1 >= target:
            t = (target - a0) / (a1 - a0) if a1 > a0 else 0.0
            return d0 + t * (d1 - d0)
    return samples[-1][1]


def main():
    cli, data, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    names = sorted(n for n in os.listdir(os.path.join(data, "images")) if n.endswith(".png"))
    half = len(names) // 2
    model = sys.argv[4] if len(sys.argv) > 4 else None
    scored = names[half:]
    if model is None:
        for part in ("images", "truth"):
            folder = os.path.join(work, "train-" + part)
            os.makedirs(folder, exist_ok=True)
            for n in names[:half]:
                link = os.path.join(folder, n)
                if not os.path.exists(link):
                    os.symlink(os.path.join(data, part, n), link)
        model = os.path.join(work, "coronary-half.qvm")
        if not os.path.exists(model):
            run(cli, "train", "--truth", os.path.join(work, "train-truth"), "--dark-vessels", "--out", model,
                os.path.join(work, "train-images"))
    segmented = os.path.join(work, "segmented")
    run(cli, "segment", "--method", "classifier", "--model", model, "--out", segmented,
        *[os.path.join(data, "images", n) for n in scored])

    differences = []
    for n in scored:
        truth, image = os.path.join(data, "truth", n), os.path.join(data, "images", n)
        segments = os.path.join(work, n + "-segments.csv")
        run(cli, "stats", truth, "--binary", "--segments-csv", segments)
        with open(segments) as f:
            rows = [r for r in csv.DictReader(f) if r["closed"] != "yes"]
        longest = max(rows, key=lambda r: float(r["length_px"]))
        ends = ["--from", f"{longest['x0']},{longest['y0']}", "--to", f"{longest['x1']},{longest['y1']}"]
        whole = os.path.join(work, f"{n}-whole.csv")
        try:
            run(cli, "stenosis", image, "--segmentation", truth, *ends, "--diameters", "segmentation", "--profile", whole)
        except subprocess.CalledProcessError as e:
            print(f"{n}: truth: {e.stderr.strip()}")
            continue
        with open(whole) as f:
            samples = list(csv.DictReader(f))
        inner = [samples[int(share * (len(samples) - 1))] for share in (0.1, 0.9)]
        ends = ["--from", f"{round(float(inner[0]['x']))},{round(float(inner[0]['y']))}",
                "--to", f"{round(float(inner[1]['x']))},{round(float(inner[1]['y']))}"]
        profiles = []
        for label, seg in (("truth", truth), ("model", os.path.join(segmented, n))):
            out = os.path.join(work, f"{n}-{label}.csv")
            try:
                run(cli, "stenosis", image, "--segmentation", seg, *ends, "--diameters", "segmentation", "--profile", out)
                profiles.append(profile(out))
            except subprocess.CalledProcessError as e:
                print(f"{n}: {label}: {e.stderr.strip()}")
        if len(profiles) < 2:
            continue
        # The middle 90 % of the path: its ends lie where the path enters the vessel.
        shares = [0.05 + 0.9 * i / 200 for i in range(201)]
        diff = sum(abs(at_share(profiles[0], s) - at_share(profiles[1], s)) for s in shares) / len(shares)
        mean_truth = sum(at_share(profiles[0], s) for s in shares) / len(shares)
        differences.append(diff)
        print(f"{n}: path {profiles[0][-1][0]:.1f} px, truth mean diameter {mean_truth:.2f} px, "
              f"mean absolute difference {diff:.2f} px")
    print(f"paths compared: {len(differences)} of {len(scored)}; mean absolute difference "
          f"{sum(differences) / max(1, len(differences)):.2f} px")


if __name__ == "__main__":
    main()
