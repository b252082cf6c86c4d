#include "ops/filters/separablefused.h"

#include <algorithm>
#include <type_traits>
#include <vector>

#include "ops/core/execution.h"
#include "ops/filters/separablerows.h"

namespace fast {

namespace {

using rows::clampIndex;
using rows::columnPass;
using rows::rowPass;

// Output rows [begin, end): a ring of the 2R + 1 filtered rows the current row needs.
template <int R>
[[gnu::always_inline]] inline void band(std::integral_constant<int, R>, const Image &in, const double *taps, Image &out,
                                        int begin, int end, double *ring)
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

QUENDRA_SIMD_KERNEL(fusedBand, band)

// Runs the build of the filter for radius R on bands of rows.
template <int R>
void filterBands(const Image &in, const double *taps, Image &out, simd::Path path)
{
    const int w = in.width(), h = in.height();
    execution::parallelRows(h, [&](int begin, int end) {
        std::vector<double> ring(size_t(2 * R + 1) * size_t(w));
        fusedBand(path, std::integral_constant<int, R>(), in, taps, out, begin, end, ring.data());
    });
}

}  // namespace

void filterFused(const Image &in, const double *taps, int r, Image &out, simd::Path path)
{
    switch (r) {
    case 1: return filterBands<1>(in, taps, out, path);
    case 2: return filterBands<2>(in, taps, out, path);
    case 3: return filterBands<3>(in, taps, out, path);
    default: return filterBands<4>(in, taps, out, path);
    }
}

}  // namespace fast
