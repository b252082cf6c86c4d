// The row and column steps of the fused separable filters, inlined into each vector
// build of their callers (ops/simd.h). Symmetric taps[0 .. 2R], repeated-edge borders;
// every pixel takes c * v, then + t_k * (left_k + right_k) for k = 1 .. R, in that order.
#pragma once
#include <algorithm>

namespace fast::rows {

inline int clampIndex(int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }

// One row along x. The first and last R pixels read clamped indices; the inner ones read
// their neighbours directly, all R tap pairs in registers, one write per pixel.
template <int R>
[[gnu::always_inline]] inline void rowPass(const double *__restrict src, int w, const double *__restrict taps,
                                           double *__restrict dst)
{
    const double c = taps[R];
    for (int x = 0; x < R; ++x) {
        double acc = c * src[x];
        for (int k = 1; k <= R; ++k) acc += taps[R + k] * (src[clampIndex(x - k, w)] + src[x + k]);
        dst[x] = acc;
    }
#pragma GCC ivdep
    for (int x = R; x < w - R; ++x) {
        double acc = c * src[x];
        for (int k = 1; k <= R; ++k) acc += taps[R + k] * (src[x - k] + src[x + k]);
        dst[x] = acc;
    }
    for (int x = std::max(R, w - R); x < w; ++x) {
        double acc = c * src[x];
        for (int k = 1; k <= R; ++k) acc += taps[R + k] * (src[x - k] + src[clampIndex(x + k, w)]);
        dst[x] = acc;
    }
}

// One output row along y from the 2R + 1 filtered rows around it (rows[R] the centre).
template <int R>
[[gnu::always_inline]] inline void columnPass(const double *const *rows, int w, const double *__restrict taps,
                                              double *__restrict dst)
{
    const double c = taps[R];
    const double *mid = rows[R];
#pragma GCC ivdep
    for (int x = 0; x < w; ++x) {
        double acc = c * mid[x];
        for (int k = 1; k <= R; ++k) acc += taps[R + k] * (rows[R - k][x] + rows[R + k][x]);
        dst[x] = acc;
    }
}

}  // namespace fast::rows
