#!/usr/bin/python3
"""Times the hot kernels side by side with their peers, round by round, on the same pixels.

Needs Debian's python3-numpy, python3-scipy and python3-opencv (for measuring only; the
build does not use them) and a built bench_kernels.

  peer_kernels.py BENCH_KERNELS [--rounds K] [--threads N] [--before OLD_BENCH_KERNELS]

Each round runs a peer and then our benchmark (and the old build's, with --before) for:
  gauss     cv2.GaussianBlur 5 x 5, sigma 1.5, replicated border, float64     vs BM_Gauss5
  spectrum  SciPy rfft2, magnitude, log1p, mirrored half, fftshift, scaling  vs BM_Spectrum
  erode     cv2.erode with the disc of radius 13, replicated border            vs BM_ErodeDisc13
on the 4096 x 4096 gray test image of ../shared/peers/peers.py (written here as a .cimg
file our benchmark loads). Peers run single-threaded; ours with --threads row threads.
Pin the whole script with taskset for single-core figures. Prints per round the times and
the ratio peer / ours (above 1: we are faster), then the median and minimum ratio.
"""
import argparse, json, os, statistics, subprocess, tempfile, time
import numpy as np
import cv2
import scipy.fft

def gray(n, seed=0):
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:n, 0:n] / n
    smooth = 127.5 + 127.5 * np.sin(2 * np.pi * 7 * x + 3 * np.cos(2 * np.pi * 2 * y)) * np.cos(2 * np.pi * 5 * y)
    return np.clip(0.5 * rng.uniform(0, 255, (n, n)) + 0.5 * smooth, 0, 255)

def save_cimg(path, a):
    a = np.ascontiguousarray(a, dtype='<f8')
    with open(path, 'wb') as f:
        f.write(b'1 double little_endian\n'); f.write(f'{a.shape[1]} {a.shape[0]} 1 1\n'.encode()); f.write(a.tobytes())

def disc(r):
    y, x = np.mgrid[-r:r + 1, -r:r + 1]
    return (x * x + y * y <= r * r).astype(np.uint8)

def spectrum(img):
    """The same output as our magnitude spectrum: ln(1 + |F|), centred, scaled to 0..255."""
    n = img.shape[0]
    m = np.log1p(np.abs(scipy.fft.rfft2(img, workers=1)))           # n x (n/2 + 1)
    full = np.empty((n, n)); full[:, :n // 2 + 1] = m
    full[:, n // 2 + 1:] = m[(-np.arange(n)) % n][:, 1:n - n // 2][:, ::-1]  # |F(u,v)| = |F(-u,-v)|
    full = np.fft.fftshift(full); lo, hi = full.min(), full.max()
    return (full - lo) / (hi - lo) * 255.0

def peer_time(run, repeat):
    run()
    times = []
    for _ in range(repeat):
        t0 = time.perf_counter(); run(); times.append(time.perf_counter() - t0)
    return statistics.median(times)

def ours(binary, name, env, repeat):
    out = subprocess.run([binary, f'--benchmark_filter=^{name}/', f'--benchmark_repetitions={repeat}',
                          '--benchmark_format=json', '--benchmark_min_time=0.01'],
                         env=env, check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)['benchmarks'] if b.get('run_type') == 'iteration']
    return statistics.median(b['real_time'] / 1e3 for b in runs)  # ms -> s

def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('bench'); ap.add_argument('--rounds', type=int, default=5)
    ap.add_argument('--threads', type=int, default=1); ap.add_argument('--before')
    ap.add_argument('--repeat', type=int, default=3); ap.add_argument('--only')
    o = ap.parse_args()
    cv2.setNumThreads(1)
    img = gray(4096)
    path = os.path.join(tempfile.gettempdir(), 'quendra-peer-gray4096.cimg')
    if not os.path.exists(path): save_cimg(path, img)
    env = dict(os.environ, QUENDRA_PEER_IMAGE=path, QUENDRA_THREADS=str(o.threads))
    k = disc(13)
    cases = {
        'gauss': ('BM_Gauss5', lambda: cv2.GaussianBlur(img, (5, 5), 1.5, borderType=cv2.BORDER_REPLICATE)),
        'spectrum': ('BM_Spectrum', lambda: spectrum(img)),
        'erode': ('BM_ErodeDisc13', lambda: cv2.erode(img, k, borderType=cv2.BORDER_REPLICATE)),
    }
    for case, (name, run) in cases.items():
        if o.only and case != o.only: continue
        ratios, before = [], []
        for r in range(o.rounds):
            p = peer_time(run, o.repeat); t = ours(o.bench, name, env, o.repeat)
            line = f'{case} round {r + 1}: peer {p * 1e3:.1f} ms, ours {t * 1e3:.1f} ms, ratio {p / t:.2f}'
            ratios.append(p / t)
            if o.before:
                b = ours(o.before, name, env, o.repeat); before.append(p / b)
                line += f'; before {b * 1e3:.1f} ms, ratio {p / b:.2f}'
            print(line, flush=True)
        summary = f'{case}: ratio median {statistics.median(ratios):.2f} min {min(ratios):.2f}'
        if before: summary += f'; before: median {statistics.median(before):.2f} min {min(before):.2f}'
        print(summary, flush=True)

if __name__ == '__main__':
    main()
