#include "ops/filters/separablefused.h"

#include <algorithm>
#include <vector>

#include "ops/filters/separable.h"
#include "ops/filters/separablerows.h"

namespace fast {

namespace {

using rows::clampIndex;
using rows::columnPass;
using rows::rowPass;

// Output rows [begin, end): a ring of the 2R + 1 filtered rows the current row needs.
template <int R>
[[gnu::always_inline]] inline void band(const Image &in, const double *taps, Image &out, int begin, int end,
                                        double *ring)
{
    constexpr int m = 2 * R + 1;
    const int w = in.width(), h = in.height();
    auto slot = [&](int row) { return ring + size_t(row % m) * size_t(w); };
    int next = std::max(0, begin - R);
    const double *rows[m];
    for (int y = begin; y < end; ++y) {
        for (const int last = std::min(h - 1, y + R); next <= last; ++next)
            rowPass<R>(in.data(0, next), w, taps, slot(next));
        for (int k = -R; k <= R; ++k) rows[R + k] = slot(clampIndex(y + k, h));
        columnPass<R>(rows, w, taps, out.data(0, y));
    }
}

template <int R>
void bandBaseline(const Image &in, const double *taps, Image &out, int begin, int end, double *ring)
{
    band<R>(in, taps, out, begin, end, ring);
}

template <int R>
QUENDRA_SIMD_TARGET_AVX2 void bandAvx2(const Image &in, const double *taps, Image &out, int begin, int end,
                                       double *ring)
{
    band<R>(in, taps, out, begin, end, ring);
}

template <int R>
QUENDRA_SIMD_TARGET_AVX512 void bandAvx512(const Image &in, const double *taps, Image &out, int begin, int end,
                                           double *ring)
{
    band<R>(in, taps, out, begin, end, ring);
}

using BandFn = void (*)(const Image &, const double *, Image &, int, int, double *);

template <int R>
BandFn pick(simd::Path path)
{
    switch (path) {
    case simd::Path::Avx512: return bandAvx512<R>;
    case simd::Path::Avx2: return bandAvx2<R>;
    case simd::Path::Baseline: break;
    }
    return bandBaseline<R>;
}

BandFn pickBand(int r, simd::Path path)
{
    switch (r) {
    case 1: return pick<1>(path);
    case 2: return pick<2>(path);
    case 3: return pick<3>(path);
    default: return pick<4>(path);
    }
}

}  // namespace

simd::Path usablePath(simd::Path path) { return int(path) <= int(simd::supported()) ? path : simd::supported(); }

void filterFused(const Image &in, const double *taps, int r, Image &out, simd::Path path)
{
    const BandFn fn = pickBand(r, usablePath(path));
    const int w = in.width(), h = in.height();
    parallelRows(h, [&](int begin, int end) {
        std::vector<double> ring(size_t(2 * r + 1) * size_t(w));
        fn(in, taps, out, begin, end, ring.data());
    });
}

}  // namespace fast
