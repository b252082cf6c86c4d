// Vessel morphometry of a 3504 x 2336 segmentation (a random network of curved vessels 1 to
// 11 pixels wide): everything together (thinning, tracing, distance map, diameters, box
// counting, lacunarity) on 1 and 2 threads, and the distance transform alone against the
// library's.
#include <benchmark/benchmark.h>

#include "ops/morphology/distancemap.h"
#include "ops/core/execution.h"
#include "ops/measure/morphometry.h"
#include "ops/morphology/thinning.h"
#include "ops/vesselshapes.h"

namespace {

const Image &segmentation()
{
    static const Image img = shapes::vesselNetwork(3504, 2336, 17);
    return img;
}

void BM_MorphometryAll(benchmark::State &state)
{
    execution::setThreads(int(state.range(0)));
    const Image &seg = segmentation();
    long long segments = 0;
    for (auto _ : state) {
        const Morphometry m = vesselMorphometry(seg);
        segments = qsizetype(m.segments.size());
        benchmark::DoNotOptimize(m.totalLength);
    }
    double white = 0;
    for (const double v : seg) white += v == kWhite;
    state.counters["segments"] = double(segments);
    state.counters["coverage_percent"] = 100.0 * white / double(seg.size());
}

void BM_ZhangSuen(benchmark::State &state)
{
    for (auto _ : state) benchmark::DoNotOptimize(zhangSuenThin(segmentation()).data());
}

void BM_DistanceOurs(benchmark::State &state)
{
    execution::setThreads(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(squaredDistanceToBackground(segmentation()).data());
}

void BM_DistanceLibrary(benchmark::State &state)
{
    for (auto _ : state) {
        Image zeroOne(segmentation());
        cimg_for(zeroOne, p, double)*p = *p == kWhite ? 1.0 : 0.0;
        zeroOne.distance(0.0, 3);
        benchmark::DoNotOptimize(zeroOne.data());
    }
}

}  // namespace

BENCHMARK(BM_MorphometryAll)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ZhangSuen)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DistanceOurs)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DistanceLibrary)->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_MAIN();
