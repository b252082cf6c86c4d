#include "ops/filters/structuretensor.h"

#include <vector>

#include "ops/core/execution.h"
#include "ops/filters/hessian.h"
#include "ops/filters/separable.h"
#include "ops/filters/separablerows.h"

namespace {

constexpr int kRadius = 3;  // gaussKernel(7, 5.0)
constexpr int kRing = 2 * kRadius + 1;
constexpr double kSigma = 5.0;

using fast::rows::clampIndex;

// The three tensor components of input row y, before smoothing.
[[gnu::always_inline]] inline void products(const Image &in, int y, double *__restrict xx, double *__restrict yy,
                                            double *__restrict xy)
{
    const int w = in.width();
    const double *cur = in.data(0, y), *up = in.data(0, y > 0 ? y - 1 : 0);
    {
        const double gx = 0.5 * cur[0] + -0.5 * cur[0], gy = 0.5 * up[0] + -0.5 * cur[0];
        xx[0] = gx * gx;
        yy[0] = gy * gy;
        xy[0] = gx * gy;
    }
#pragma GCC ivdep
    for (int x = 1; x < w; ++x) {
        const double gx = 0.5 * cur[x - 1] + -0.5 * cur[x], gy = 0.5 * up[x] + -0.5 * cur[x];
        xx[x] = gx * gx;
        yy[x] = gy * gy;
        xy[x] = gx * gy;
    }
}

struct Scratch {
    std::vector<double> ring;  // 3 components x kRing rows x w
    std::vector<double> rows;  // 3 raw product rows, then 3 smoothed rows
    explicit Scratch(int w) : ring(size_t(3 * kRing) * size_t(w)), rows(size_t(6) * size_t(w)) {}
};

[[gnu::always_inline]] inline void band(const Image &in, const double *taps, Image &out, int begin, int end,
                                        Scratch &s)
{
    const int w = in.width(), h = in.height();
    auto slot = [&](int component, int row) {
        return s.ring.data() + (size_t(component) * kRing + size_t(row % kRing)) * size_t(w);
    };
    double *raw[3], *smooth[3];
    for (int c = 0; c < 3; ++c) {
        raw[c] = s.rows.data() + size_t(c) * size_t(w);
        smooth[c] = s.rows.data() + size_t(3 + c) * size_t(w);
    }
    int next = std::max(0, begin - kRadius);
    const double *window[kRing];
    for (int y = begin; y < end; ++y) {
        for (const int last = std::min(h - 1, y + kRadius); next <= last; ++next) {
            products(in, next, raw[0], raw[1], raw[2]);
            for (int c = 0; c < 3; ++c) fast::rows::rowPass<kRadius>(raw[c], w, taps, slot(c, next));
        }
        for (int c = 0; c < 3; ++c) {
            for (int k = -kRadius; k <= kRadius; ++k) window[kRadius + k] = slot(c, clampIndex(y + k, h));
            fast::rows::columnPass<kRadius>(window, w, taps, smooth[c]);
        }
        // Not vectorised (the square root keeps its error semantics), and not the bottleneck.
        double *dst = out.data(0, y);
        for (int x = 0; x < w; ++x) dst[x] = largerEigenvalue(smooth[0][x], smooth[1][x], smooth[2][x]);
    }
}

QUENDRA_SIMD_KERNEL(strengthBand, band)

// Narrow images (the row step needs more than 2 * kRadius columns): whole-image steps.
Image narrowStrength(const Image &in, const std::vector<double> &taps)
{
    const int w = in.width(), h = in.height();
    Image c[3] = {Image(w, h, 1, 1), Image(w, h, 1, 1), Image(w, h, 1, 1)};
    for (int y = 0; y < h; ++y) products(in, y, c[0].data(0, y), c[1].data(0, y), c[2].data(0, y));
    Image smooth[3];
    for (int k = 0; k < 3; ++k) fast::separableFilter(c[k], taps, smooth[k], simd::Path::Baseline);
    Image out(w, h, 1, 1);
    for (size_t i = 0; i < out.size(); ++i) out[i] = largerEigenvalue(smooth[0][i], smooth[1][i], smooth[2][i]);
    return out;
}

}  // namespace

Image structureStrength(const Image &image) { return structureStrength(image, simd::active()); }

Image structureStrength(const Image &image, simd::Path path)
{
    const std::vector<double> taps = fast::gaussTaps(2 * kRadius + 1, kSigma);
    if (image.is_empty()) return Image();
    if (image.width() <= 2 * kRadius) return narrowStrength(image, taps);
    Image out;
    fast::allocate(out, image.width(), image.height());
    execution::parallelRows(image.height(), [&](int begin, int end) {
        Scratch s(image.width());
        strengthBand(path, image, taps.data(), out, begin, end, s);
    });
    return out;
}
