// The hot kernels on the sizes we compare with the peers: the 5 x 5 Gaussian, the
// magnitude spectrum and the disc erosion of size 13 on a 4096 x 4096 image, the structure
// mask and the whole fuzzy clustering on a 3504 x 2336 vessel image.
//
// QUENDRA_THREADS=N (default 1) sets the row threads; QUENDRA_PEER_IMAGE=FILE.cimg (written
// by the peer script with --write) gives the 4096 cases the peer's very pixels.
// bench/peer_kernels.py runs these side by side with the peers.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ops/core/execution.h"
#include "ops/filters/fourier.h"
#include "ops/segmentation/fuzzy.h"
#include "ops/table/runs.h"
#include "ops/core/imagemodel.h"
#include "ops/morphology/morphology.h"
#include "ops/core/params.h"
#include "ops/core/progress.h"
#include "ops/filters/separable.h"
#include "vesselimage.h"

namespace {

// The peer script's gray test image (half noise, half a smooth wave), or its file.
const Image &grayImage()
{
    static const Image img = [] {
        Image i;
        if (const char *path = std::getenv("QUENDRA_PEER_IMAGE")) {
            i.load_cimg(path);
            return i;
        }
        const int n = 4096;
        std::mt19937 rng(0);
        std::uniform_real_distribution<double> u(0.0, 255.0);
        i.assign(n, n, 1, 1);
        cimg_forXY(i, x, y)
        {
            const double fx = double(x) / n, fy = double(y) / n, tau = 6.283185307179586;
            const double smooth = 127.5 + 127.5 * std::sin(tau * 7 * fx + 3 * std::cos(tau * 2 * fy)) * std::cos(tau * 5 * fy);
            i(x, y) = std::clamp(0.5 * u(rng) + 0.5 * smooth, 0.0, 255.0);
        }
        return i;
    }();
    return img;
}

const Image &retinaSized()
{
    static const Image img = vesselImage(3504, 2336, 4);
    return img;
}

void BM_Gauss5(benchmark::State &state)
{
    Image out;
    for (auto _ : state) {
        fast::gaussFilter(grayImage(), 5, 1.5, out);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_Spectrum(benchmark::State &state)
{
    for (auto _ : state) benchmark::DoNotOptimize(magnitudeSpectrum(grayImage()).data());
}

void BM_ErodeDisc13(benchmark::State &state)
{
    const Image disc = makeStructEl(1, 13);
    NullProgress none;
    for (auto _ : state) benchmark::DoNotOptimize(erodeImage(grayImage(), disc, none).data());
}

void BM_StructureMask(benchmark::State &state)
{
    for (auto _ : state) benchmark::DoNotOptimize(structureMask(retinaSized()).data());
}

void BM_FuzzyTotal(benchmark::State &state)
{
    NullProgress none;
    int iterations = 0;
    for (auto _ : state) {
        ImageModel model(retinaSized());
        model.duplicateCurrent();
        Notes notes;
        runFuzzy(model, Params(), none, notes);
        iterations = model.count() - 3;
        benchmark::DoNotOptimize(model.current().data());
    }
    state.counters["iterations"] = iterations;
}

}  // namespace

BENCHMARK(BM_Gauss5)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_Spectrum)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_ErodeDisc13)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_StructureMask)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_FuzzyTotal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char **argv)
{
    const char *threads = std::getenv("QUENDRA_THREADS");
    execution::setThreads(threads ? std::atoi(threads) : 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
