// Morphology and thinning: erosion, dilation and top-hat with discs of size 3, 9, 13 and 50
// on 2048 x 2048 and 4096 x 4096 images of doubles, Zhang-Suen thinning and the hit-or-miss
// skeleton of a 4096 x 4096 binary vessel image. Single-threaded, like the peers.
//
// QUENDRA_PEER_IMAGE=FILE.cimg (written by `peers.py erode --size N --write FILE.cimg`) runs
// the gray cases of that size on the peer's very pixels; QUENDRA_PEER_MASK=FILE.cimg does the
// same for the binary vessel mask. Otherwise similar images are drawn here.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>

#include "ops/morphology/morphology.h"
#include "ops/core/progress.h"
#include "ops/morphology/thinning.h"
#include "vesselimage.h"

namespace {

Image loadIfSized(const char *variable, int n)
{
    if (const char *path = std::getenv(variable)) {
        Image img;
        img.load_cimg(path);
        if (img.width() == n && img.height() == n) return img;
    }
    return Image();
}

// Half uniform noise, half a smooth wave, within 0..255 (the peer script's test image).
Image grayImage(int n)
{
    Image img = loadIfSized("QUENDRA_PEER_IMAGE", n);
    if (!img.is_empty()) return img;
    img.assign(n, n, 1, 1, 0.0);
    std::mt19937 rng(0);
    std::uniform_real_distribution<double> u(0.0, 255.0);
    const double tau = 6.283185307179586;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double fx = double(x) / n, fy = double(y) / n;
            const double smooth = 127.5 + 127.5 * std::sin(tau * 7 * fx + 3 * std::cos(tau * 2 * fy)) * std::cos(tau * 5 * fy);
            img(x, y) = std::clamp(0.5 * u(rng) + 0.5 * smooth, 0.0, 255.0);
        }
    return img;
}

// Curves of width 1 to 7, white on black, like the peer script's vessel mask.
Image vesselMask(int n)
{
    Image img = loadIfSized("QUENDRA_PEER_MASK", n);
    if (!img.is_empty()) return img;
    img.assign(n, n, 1, 1, 0.0);
    std::mt19937 rng(1);
    drawVesselCurves(img, rng, 255.0);
    return img;
}

const Image &cached(int n, bool mask)
{
    static std::map<std::pair<int, bool>, Image> images;
    auto it = images.find({n, mask});
    if (it == images.end()) it = images.emplace(std::pair{n, mask}, mask ? vesselMask(n) : grayImage(n)).first;
    return it->second;
}

void BM_Erode(benchmark::State &state)
{
    const Image &img = cached(int(state.range(1)), false);
    const Image disc = makeStructEl(1, int(state.range(0)));
    NullProgress progress;
    for (auto _ : state) benchmark::DoNotOptimize(erodeImage(img, disc, progress).data());
}

void BM_Dilate(benchmark::State &state)
{
    const Image &img = cached(int(state.range(1)), false);
    const Image disc = makeStructEl(1, int(state.range(0)));
    NullProgress progress;
    for (auto _ : state) benchmark::DoNotOptimize(dilateImage(img, disc, progress).data());
}

void BM_TopHat(benchmark::State &state)
{
    const Image &img = cached(int(state.range(1)), false);
    const Image disc = makeStructEl(1, int(state.range(0)));
    NullProgress progress;
    for (auto _ : state) benchmark::DoNotOptimize(topHatImage(img, disc, progress).data());
}

void BM_ZhangSuen(benchmark::State &state)
{
    const Image &img = cached(int(state.range(0)), true);
    for (auto _ : state) benchmark::DoNotOptimize(zhangSuenThin(img).data());
}

void BM_Skeletonize(benchmark::State &state)
{
    const Image &img = cached(int(state.range(0)), true);
    for (auto _ : state) benchmark::DoNotOptimize(skeletonizeImage(img).data());
}

void discSizes(benchmark::internal::Benchmark *b)
{
    for (const int n : {2048, 4096})
        for (const int size : {3, 9, 13, 50}) b->Args({size, n});
    b->ArgNames({"size", "n"})->Unit(benchmark::kMillisecond)->MinTime(0.5);
}

}  // namespace

BENCHMARK(BM_Erode)->Apply(discSizes);
BENCHMARK(BM_Dilate)->Apply(discSizes);
BENCHMARK(BM_TopHat)->Apply(discSizes);
BENCHMARK(BM_ZhangSuen)->Arg(4096)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Skeletonize)->Arg(4096)->Unit(benchmark::kMillisecond)->MinTime(0.5);

BENCHMARK_MAIN();
