// Vessel segmentation: hysteresis thresholding (pre-step plus one calculation, the
// calculation alone, the growing alone on a spiral and on the peer's test case) and fuzzy
// clustering (the c-means per iteration, the whole operation).
//
// QUENDRA_PEER_IMAGE=FILE.cimg runs the 4096 growing case on the very pixels the peer
// script wrote with --write; otherwise a similar vessel image is drawn here.
// Per-iteration time of the c-means: (FuzzyCMeans/4 - FuzzyCMeans/1) / 3, since every
// run also pays one pass for the first centres.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "ops/core/execution.h"
#include "ops/segmentation/fuzzy.h"
#include "ops/table/runs.h"
#include "ops/segmentation/growing.h"
#include "ops/segmentation/hysteresis.h"
#include "ops/core/imagemodel.h"
#include "ops/core/params.h"
#include "ops/core/progress.h"
#include "ops/reference_growing.h"
#include "ops/core/simd.h"
#include "vesselimage.h"

namespace {

Image peerOrDrawnImage(int n)
{
    if (const char *path = std::getenv("QUENDRA_PEER_IMAGE")) {
        Image img;
        img.load_cimg(path);
        if (img.width() == n && img.height() == n) return img;
    }
    return vesselImage(n, n, 1);
}

void BM_HysteresisPreStepAndCalculate(benchmark::State &state)
{
    const Image img = vesselImage(3504, 2336, 2);
    const HystCoverages retina = hystPresetCoverages(HystPreset::Retina);
    NullProgress none;
    for (auto _ : state) {
        const Image ref = hysteresisPreStep(img, 13, none);
        Image out = hysteresisCalculate(ref, retina.weakb, retina.hardb, none);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_HysteresisCalculate(benchmark::State &state)
{
    NullProgress none;
    const Image ref = hysteresisPreStep(vesselImage(3504, 2336, 2), 13, none);
    const HystCoverages retina = hystPresetCoverages(HystPreset::Retina);
    for (auto _ : state) {
        Image out = hysteresisCalculate(ref, retina.weakb, retina.hardb, none);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_GrowSpiral(benchmark::State &state)
{
    const int n = int(state.range(0));
    const GrowState spiral = reference::shape("spiral", n, n, 0);
    for (auto _ : state) {
        state.PauseTiming();
        GrowState s = spiral;
        state.ResumeTiming();
        growFromSeeds(s, n, n);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(n) * n);
}

// The peer's case: the components of (image > 100) that hold a pixel of (image > 160),
// thresholds and growing included.
void BM_GrowPeerCase(benchmark::State &state)
{
    const int n = int(state.range(0));
    const Image img = peerOrDrawnImage(n);
    GrowState s(img.size());
    for (auto _ : state) {
        const double *v = img.data();
        for (size_t i = 0; i < s.size(); ++i) s[i] = v[i] > 160.0 ? kGrowSeed : (v[i] > 100.0 ? kGrowCandidate : kGrowBlocked);
        growFromSeeds(s, n, n);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(n) * n);
}

// Five features of the kind the peer script uses: the image, two blurs, the gradient
// magnitude and a background-subtracted image.
ImageList peerFeatures(const Image &img)
{
    ImageList f;
    f.push_back(img);
    f.push_back(img.get_blur(1.75f));
    f.push_back(img.get_blur(5.0f));
    Image grad(img, false);
    cimg_forXY(img, x, y)
    {
        const double gx = img._atXY(x + 1, y) - img._atXY(x - 1, y);
        const double gy = img._atXY(x, y + 1) - img._atXY(x, y - 1);
        grad(x, y) = std::sqrt(gx * gx + gy * gy);
    }
    f.push_back(grad);
    f.push_back(img - img.get_blur(10.0f));
    return f;
}

void BM_FuzzyCMeans(benchmark::State &state)
{
    const int iterations = int(state.range(0));
    const Image img = vesselImage(2048, 2048, 3);
    const ImageList features = peerFeatures(img);
    const Image initial = initialMembership(features[0].get_normalize(0.0, 255.0));
    NullProgress none;
    int executed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Image start = initial;  // the operation hands its split over without a copy
        Notes notes;
        state.ResumeTiming();
        const FuzzyResult r = fuzzyCMeans(std::move(start), iterations, features, none, [](PackedBinary &&) {}, notes);
        executed = r.iterations;
        benchmark::DoNotOptimize(r.membership.data());
    }
    state.counters["iterations"] = executed;
}

// The whole operation on a width x height image (args 0, 1); arg 2 = 1 runs the c-means on
// the baseline path with one thread, beside the default (vector path, two threads).
void BM_FuzzyTotal(benchmark::State &state)
{
    const Image img = vesselImage(int(state.range(0)), int(state.range(1)), 4);
    const bool plain = state.range(2) == 1;
    const simd::PathLimit limit(plain ? simd::Path::Baseline : simd::supported());
    const execution::ThreadBudget budget(plain ? 1 : execution::threads());
    NullProgress none;
    int iterations = 0;
    for (auto _ : state) {
        ImageModel model(img);
        model.duplicateCurrent();
        Notes notes;
        runFuzzy(model, Params(), none, notes);
        iterations = model.count() - 3;
        benchmark::DoNotOptimize(model.currentImage()->data());
    }
    state.counters["iterations"] = iterations;
}

}  // namespace

BENCHMARK(BM_HysteresisPreStepAndCalculate)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HysteresisCalculate)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GrowSpiral)->Arg(4096)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GrowPeerCase)->Arg(4096)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FuzzyCMeans)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FuzzyTotal)
    ->Args({2048, 2048, 0})
    ->Args({3504, 2336, 0})
    ->Args({3504, 2336, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
