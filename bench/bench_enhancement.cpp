// Enhancement and frequency-domain filters on 1024, 2048 and 4096 square images, with the
// plain library calls beside the fast paths they replace (the reference versions of the
// tests), so the speed-up is measured in the same run.
//
// Peers on the same machine: ../shared/peers/peers.py gauss|hessian|fft --size N.
// QUENDRA_PEER_IMAGE=FILE.cimg (written by peers.py --write) runs every filter on those
// pixels instead of the built-in test image.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>

#include "ops/filters/fourier.h"
#include "ops/filters/hessian.h"
#include "ops/filters/homomorphic.h"
#include "ops/core/progress.h"
#include "ops/filters/pyramid.h"
#include "ops/reference_enhancement.h"
#include "ops/filters/separable.h"

namespace {

// Smooth waves plus uniform noise, like the peer script's gray test image.
const Image &testImage(int n)
{
    static std::map<int, Image> cache;
    auto it = cache.find(n);
    if (it != cache.end()) return it->second;
    Image img;
    if (const char *path = std::getenv("QUENDRA_PEER_IMAGE")) {
        img.load_cimg(path);
        img.resize(n, n, 1, 1, 0);
    } else {
        std::mt19937 rng(0);
        std::uniform_real_distribution<double> u(0.0, 255.0);
        img.assign(n, n, 1, 1);
        cimg_forXY(img, x, y) {
            const double fx = double(x) / n, fy = double(y) / n;
            const double smooth = 127.5 + 127.5 * std::sin(2 * M_PI * 7 * fx + 3 * std::cos(2 * M_PI * 2 * fy)) *
                                              std::cos(2 * M_PI * 5 * fy);
            img(x, y) = std::clamp(0.5 * u(rng) + 0.5 * smooth, 0.0, 255.0);
        }
    }
    return cache.emplace(n, img).first->second;
}

template <class F>
void run(benchmark::State &state, F filter)
{
    const Image &img = testImage(int(state.range(0)));
    for (auto _ : state) {
        Image out = filter(img);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(img.size()));
}

void BM_Gauss5(benchmark::State &s)
{
    run(s, [](const Image &i) { Image o; fast::gaussFilter(i, 5, 1.5, o); return o; });
}
void BM_Gauss5_Library(benchmark::State &s)
{
    const Image k = gaussKernel(5, 1.5);
    run(s, [&](const Image &i) { return i.get_convolve(k, 1, false); });
}
void BM_HessianEigen7(benchmark::State &s)
{
    run(s, [](const Image &i) { ImageList pair = hessianEigen(i, 7); return Image(std::move(pair[0])); });
}
void BM_HessianEigen7_Library(benchmark::State &s) { run(s, [](const Image &i) { return ref::hessianEigen(i, 7)[0]; }); }
void BM_HessEnh(benchmark::State &s)
{
    NullProgress p;
    run(s, [&](const Image &i) { return hessEnhImage(i, p); });
}
void BM_HessEnh_Library(benchmark::State &s) { run(s, [](const Image &i) { return ref::hessEnh(i); }); }
void BM_LaplPyramid(benchmark::State &s) { run(s, [](const Image &i) { return laplPyramidImage(i); }); }
void BM_LaplPyramid_Library(benchmark::State &s) { run(s, [](const Image &i) { return ref::laplPyramid(i); }); }
void BM_Homomorphic(benchmark::State &s) { run(s, [](const Image &i) { return homomorphicImage(i); }); }
void BM_Homomorphic_Library(benchmark::State &s) { run(s, [](const Image &i) { return ref::homomorphic(i); }); }
void BM_NonLinear(benchmark::State &s) { run(s, [](const Image &i) { return nonLinearImage(i); }); }
void BM_NonLinear_Library(benchmark::State &s) { run(s, [](const Image &i) { return ref::nonLinear(i); }); }
void BM_Spectrum(benchmark::State &s) { run(s, [](const Image &i) { return magnitudeSpectrum(i); }); }
void BM_Spectrum_Library(benchmark::State &s) { run(s, [](const Image &i) { return ref::magnitude(i); }); }
void BM_InverseFft(benchmark::State &s) { run(s, [](const Image &i) { return inverseSpectrum(i); }); }
void BM_InverseFft_Library(benchmark::State &s) { run(s, [](const Image &i) { return ref::inverse(i); }); }

#define SIZES ->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5)
BENCHMARK(BM_Gauss5) SIZES;
BENCHMARK(BM_Gauss5_Library) SIZES;
BENCHMARK(BM_HessianEigen7) SIZES;
BENCHMARK(BM_HessianEigen7_Library) SIZES;
BENCHMARK(BM_HessEnh) SIZES;
BENCHMARK(BM_HessEnh_Library) SIZES;
BENCHMARK(BM_LaplPyramid) SIZES;
BENCHMARK(BM_LaplPyramid_Library) SIZES;
BENCHMARK(BM_Homomorphic) SIZES;
BENCHMARK(BM_Homomorphic_Library) SIZES;
BENCHMARK(BM_NonLinear) SIZES;
BENCHMARK(BM_NonLinear_Library) SIZES;
BENCHMARK(BM_Spectrum) SIZES;
BENCHMARK(BM_Spectrum_Library) SIZES;
BENCHMARK(BM_InverseFft) SIZES;
BENCHMARK(BM_InverseFft_Library) SIZES;

}  // namespace

BENCHMARK_MAIN();
