#!/usr/bin/env python3
"""Writes synthetic vessel images with known ground truth into samples/.

Curved, branching vessels of varying width are drawn on an uneven, noisy background.
Every file is an 8-bit gray PNG; the truth and mask files hold only 0 and 255.
Uses the standard library only and a fixed seed per image, so the same files come out
on every machine:

    python3 scripts/make-samples.py [OUTPUT_DIR]     (default: samples/ beside scripts/)
"""
import math
import os
import random
import struct
import sys
import zlib


def write_png(path, width, height, pixels):
    """pixels: a bytearray of width * height gray values, row by row."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # no row filter
        raw += pixels[y * width:(y + 1) * width]

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)  # 8-bit gray
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


class Canvas:
    """Vessel tubes stamped along their centre lines.

    profile[i] is the largest relative path length through a tube at pixel i (0 outside,
    1 on a centre line); truth[i] is 1 where the pixel's centre lies within a radius.
    """

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.profile = [0.0] * (width * height)
        self.truth = bytearray(width * height)
        self.strength = [0.0] * (width * height)

    def stamp(self, cx, cy, r, strength):
        reach = r + 1.0
        x0, x1 = max(0, int(cx - reach)), min(self.w - 1, int(cx + reach) + 1)
        y0, y1 = max(0, int(cy - reach)), min(self.h - 1, int(cy + reach) + 1)
        outer = (r + 0.5) * (r + 0.5)
        inner = r * r
        for y in range(y0, y1 + 1):
            dy = y - cy
            row = y * self.w
            for x in range(x0, x1 + 1):
                dx = x - cx
                d2 = dx * dx + dy * dy
                if d2 >= outer:
                    continue
                i = row + x
                p = math.sqrt(1.0 - d2 / outer)
                if p * strength > self.profile[i] * self.strength[i]:
                    self.profile[i] = p
                    self.strength[i] = strength
                if d2 <= inner:
                    self.truth[i] = 1


def grow_tree(canvas, rng, x, y, angle, radius, length, inside, min_radius, branch_every, taper, strength):
    """A curved vessel from (x, y) that tapers and sends off side branches."""
    stack = [(x, y, angle, radius, length, 0)]
    while stack:
        x, y, angle, radius, length, depth = stack.pop()
        turn = rng.uniform(-0.008, 0.008)
        next_branch = rng.uniform(0.5, 1.5) * branch_every
        walked = 0.0
        while walked < length and radius >= min_radius:
            if not inside(x, y):
                break
            canvas.stamp(x, y, radius, strength)
            # The bend drifts slowly and is pulled back towards straight.
            turn = 0.97 * turn + rng.gauss(0.0, 0.0015)
            turn = max(-0.02, min(0.02, turn))
            angle += turn
            x += math.cos(angle)
            y += math.sin(angle)
            walked += 1.0
            radius *= taper
            if walked >= next_branch and depth < 6:
                next_branch = walked + rng.uniform(0.6, 1.4) * branch_every
                side = rng.choice((-1.0, 1.0))
                child_r = radius * rng.uniform(0.55, 0.8)
                if child_r >= min_radius:
                    stack.append((x, y, angle + side * rng.uniform(0.45, 0.9), child_r,
                                  length * rng.uniform(0.35, 0.6), depth + 1))
                angle -= side * rng.uniform(0.05, 0.2)
                radius *= 0.9


def box_blur(values, w, h, r):
    """Separable running-mean blur with clamped borders."""
    out = [0.0] * (w * h)
    tmp = [0.0] * (w * h)
    n = 2 * r + 1
    for y in range(h):
        row = y * w
        s = sum(values[row + min(w - 1, max(0, k))] for k in range(-r, r + 1))
        for x in range(w):
            tmp[row + x] = s / n
            s += values[row + min(w - 1, x + r + 1)] - values[row + max(0, x - r)]
    for x in range(w):
        s = sum(tmp[min(h - 1, max(0, k)) * w + x] for k in range(-r, r + 1))
        for y in range(h):
            out[y * w + x] = s / n
            s += tmp[min(h - 1, y + r + 1) * w + x] - tmp[max(0, y - r) * w + x]
    return out


def to_bytes(values):
    return bytearray(max(0, min(255, int(round(v)))) for v in values)


def smooth_field(rng, w, h, waves, amplitude):
    """A sum of a few long cosine waves: an uneven illumination."""
    terms = [(rng.uniform(0.5, 2.0) * math.pi / w, rng.uniform(0.5, 2.0) * math.pi / h,
              rng.uniform(0, 2 * math.pi), rng.uniform(0.5, 1.0)) for _ in range(waves)]
    field = [0.0] * (w * h)
    for y in range(h):
        for x in range(w):
            field[y * w + x] = amplitude * sum(a * math.cos(fx * x + fy * y + ph) for fx, fy, ph, a in terms) / waves
    return field


def retina(out_dir):
    rng = random.Random(1001)
    w = h = 512
    cx, cy, fov = w / 2, h / 2, 240.0
    disc_x, disc_y = w * 0.30, h * 0.48

    def inside(x, y):
        return (x - cx) ** 2 + (y - cy) ** 2 < (fov - 2) ** 2

    canvas = Canvas(w, h)
    for angle in (-1.35, -0.95, 0.95, 1.35, 0.15, -0.2, 2.6, -2.6):
        radius = rng.uniform(3.5, 5.0) if abs(angle) > 0.5 and abs(angle) < 2 else rng.uniform(2.0, 3.0)
        grow_tree(canvas, rng, disc_x + 12 * math.cos(angle), disc_y + 12 * math.sin(angle),
                  angle + rng.uniform(-0.1, 0.1), radius, 420, inside, 0.9, 55, 0.9985, 1.0)

    light = smooth_field(rng, w, h, 4, 30.0)
    noise = box_blur([rng.gauss(0.0, 1.0) for _ in range(w * h)], w, h, 1)
    image, truth, mask = [0.0] * (w * h), bytearray(w * h), bytearray(w * h)
    for y in range(h):
        for x in range(w):
            i = y * w + x
            d = math.hypot(x - cx, y - cy)
            if d >= fov:
                image[i] = rng.gauss(4.0, 1.5)
                continue
            mask[i] = 255
            truth[i] = 255 if canvas.truth[i] else 0
            bright = 150.0 + light[i] - 45.0 * (d / fov) ** 2
            bright += 70.0 * math.exp(-((x - disc_x) ** 2 + (y - disc_y) ** 2) / (2 * 22.0 ** 2))
            bright -= 25.0 * math.exp(-((x - w * 0.66) ** 2 + (y - h * 0.52) ** 2) / (2 * 40.0 ** 2))
            dark = 0.42 * canvas.profile[i]
            image[i] = bright * (1.0 - dark) + 9.0 * noise[i] + rng.gauss(0.0, 2.0)
    write_png(os.path.join(out_dir, "retina.png"), w, h, to_bytes(image))
    write_png(os.path.join(out_dir, "retina-truth.png"), w, h, truth)
    write_png(os.path.join(out_dir, "retina-mask.png"), w, h, mask)


def angiogram(out_dir):
    rng = random.Random(2002)
    w = h = 512

    def inside(x, y):
        return 4 <= x < w - 4 and 4 <= y < h - 4

    canvas = Canvas(w, h)
    grow_tree(canvas, rng, 60, 40, 0.9, 8.5, 620, inside, 2.0, 85, 0.9988, 1.0)
    grow_tree(canvas, rng, 470, 60, 2.1, 7.0, 520, inside, 2.0, 90, 0.9988, 1.0)

    light = smooth_field(rng, w, h, 3, 25.0)
    grain = box_blur([rng.gauss(0.0, 1.0) for _ in range(w * h)], w, h, 2)
    image, truth = [0.0] * (w * h), bytearray(w * h)
    for i in range(w * h):
        truth[i] = 255 if canvas.truth[i] else 0
        bright = 140.0 + light[i]
        image[i] = bright * (1.0 - 0.5 * canvas.profile[i]) + 20.0 * grain[i] + rng.gauss(0.0, 7.0)
    write_png(os.path.join(out_dir, "angiogram.png"), w, h, to_bytes(image))
    write_png(os.path.join(out_dir, "angiogram-truth.png"), w, h, truth)


def skin(out_dir):
    rng = random.Random(3003)
    w = h = 384

    def inside(x, y):
        return 2 <= x < w - 2 and 2 <= y < h - 2

    canvas = Canvas(w, h)
    for _ in range(5):
        x, y = rng.uniform(20, w - 20), rng.uniform(20, h - 20)
        grow_tree(canvas, rng, x, y, rng.uniform(0, 2 * math.pi), rng.uniform(1.8, 2.6), 300, inside, 0.7, 40,
                  0.9975, 1.0)

    light = smooth_field(rng, w, h, 5, 20.0)
    texture = box_blur([rng.gauss(0.0, 1.0) for _ in range(w * h)], w, h, 3)
    image, truth = [0.0] * (w * h), bytearray(w * h)
    for i in range(w * h):
        truth[i] = 255 if canvas.truth[i] else 0
        base = 95.0 + light[i] + 35.0 * texture[i]
        image[i] = base + 70.0 * canvas.profile[i] + rng.gauss(0.0, 5.0)
    write_png(os.path.join(out_dir, "skin.png"), w, h, to_bytes(image))
    write_png(os.path.join(out_dir, "skin-truth.png"), w, h, truth)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "samples")
    os.makedirs(out_dir, exist_ok=True)
    retina(out_dir)
    angiogram(out_dir)
    skin(out_dir)


if __name__ == "__main__":
    main()
