// Loading and display conversion against a plain memory copy of the same image.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "ops/io/display.h"
#include "ops/io/imageio.h"
#include "ops/core/progress.h"

namespace {

Image testImage(int n)
{
    Image image(n, n, 1, 1, 0.0);
    unsigned state = 12345;
    for (double &v : image) {
        state = state * 1664525u + 1013904223u;
        v = (state >> 8) % 25600 / 100.0;
    }
    return image;
}

void BM_MemoryCopy(benchmark::State &state)
{
    const int n = int(state.range(0));
    const Image image = testImage(n);
    std::vector<double> target(image.size());
    for (auto _ : state) {
        std::memcpy(target.data(), image.data(), image.size() * sizeof(double));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(image.size() * sizeof(double)));
}

void BM_DisplayConversion(benchmark::State &state)
{
    const int n = int(state.range(0));
    const Image image = testImage(n);
    QImage target(n, n, QImage::Format_RGB32);
    for (auto _ : state) {
        renderInto(image, target);
        benchmark::DoNotOptimize(target.bits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(image.size() * sizeof(double)));
}

void BM_LoadPng(benchmark::State &state)
{
    const int n = int(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("load.png");
    toDisplayImage(testImage(n)).save(path);
    NullProgress progress;
    for (auto _ : state) {
        LoadResult loaded = loadGrayImage(path, progress);
        benchmark::DoNotOptimize(loaded.image.data());
    }
}

}  // namespace

BENCHMARK(BM_MemoryCopy)->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayConversion)->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPng)->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
