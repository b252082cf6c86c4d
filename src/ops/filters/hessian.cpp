#include "ops/filters/hessian.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "ops/core/execution.h"
#include "ops/core/imagehelpers.h"
#include "ops/core/progress.h"
#include "ops/filters/separable.h"

void requireFilterSize(const Image &image, int minSide, const char *operation)
{
    if (image.depth() > 1 || image.spectrum() > 1)
        throw std::runtime_error(std::string(operation) + " needs a single-channel two-dimensional image.");
    if (image.width() < minSide || image.height() < minSide)
        throw std::runtime_error(std::string(operation) + " needs an image of at least " + std::to_string(minSide) +
                                 " x " + std::to_string(minSide) + " pixels; this one is " +
                                 std::to_string(image.width()) + " x " + std::to_string(image.height()) + ".");
}

Image gaussKernel(int n, double sigma)
{
    if (n < 0) throw std::runtime_error("Gaussian kernel: the size must not be negative.");
    if (!(sigma > 0.0) || !std::isfinite(sigma))
        throw std::runtime_error("Gaussian kernel: the standard deviation must be positive.");
    const int r = (n - 1) / 2, m = 2 * r + 1;
    Image kernel(m, m, 1, 1);
    double sum = 0.0;
    for (int j = -r; j <= r; ++j)
        for (int i = -r; i <= r; ++i) {
            const double v = std::exp(-double(i * i + j * j) / (2 * sigma * sigma));
            kernel(r + i, r + j) = v;
            sum += v;
        }
    if (sum != 0.0) kernel /= sum;
    return kernel;
}

Image halfSize(const Image &image)
{
    const int w = int(image.width() * 0.5), h = int(image.height() * 0.5);
    if (w == 0 || h == 0) return Image();
    Image out;
    fast::allocate(out, w, h);
    for (int y = 0; y < h; ++y) {
        const double *src = image.data(0, 2 * y);
        double *dst = out.data(0, y);
        for (int x = 0; x < w; ++x) dst[x] = src[2 * x];
    }
    return out;
}

namespace {

// Central difference with repeated edges along a padded row: pad[1 .. w] is the row,
// pad[0] and pad[w + 1] repeat its ends. The library's (-0.5, 0, 0.5) convolution.
inline void diffRow(const double *pad, int w, double *dst)
{
    for (int x = 0; x < w; ++x) dst[x] = 0.5 * pad[x] - 0.5 * pad[x + 2];
}

inline void padEnds(double *pad, int w)
{
    pad[0] = pad[1];
    pad[w + 1] = pad[w];
}

}  // namespace

void hessianEigenvalues(const Image &s, Image *larger, Image *smaller)
{
    const int w = s.width(), h = s.height();
    if (larger) fast::allocate(*larger, w, h);
    if (smaller) fast::allocate(*smaller, w, h);
    if (s.is_empty()) return;
    auto clampRow = [h](int y) { return y < 0 ? 0 : (y >= h ? h - 1 : y); };
    execution::parallelRows(h, [&](int begin, int end) {
        std::vector<double> buf(size_t(6) * size_t(w + 2));
        double *syM = buf.data(), *sy0 = syM + w + 2, *syP = sy0 + w + 2;
        double *tPad = syP + w + 2, *sxPad = tPad + w + 2, *hxx = sxPad + w + 2;
        // Sy at row r: the vertical central difference of s, written into pad[1 .. w].
        auto syRow = [&](int r, double *pad) {
            const double *up = s.data(0, clampRow(r - 1)), *down = s.data(0, clampRow(r + 1));
            for (int x = 0; x < w; ++x) pad[x + 1] = 0.5 * up[x] - 0.5 * down[x];
            padEnds(pad, w);
        };
        for (int y = begin; y < end; ++y) {
            syRow(clampRow(y - 1), syM);
            syRow(y, sy0);
            syRow(clampRow(y + 1), syP);
            std::copy(s.data(0, y), s.data(0, y) + w, tPad + 1);
            padEnds(tPad, w);
            diffRow(tPad, w, sxPad + 1);
            padEnds(sxPad, w);
            diffRow(sxPad, w, hxx);
            double *lo = smaller ? smaller->data(0, y) : nullptr;
            double *hi = larger ? larger->data(0, y) : nullptr;
            for (int x = 0; x < w; ++x) {
                const double a = hxx[x];
                const double d = 0.5 * syM[x + 1] - 0.5 * syP[x + 1];
                const double b = 0.5 * sy0[x] - 0.5 * sy0[x + 2];
                const double root = eigenRoot(a, d, b), tr = a + d;
                if (hi) hi[x] = (tr + root) / 2.0;
                if (lo) lo[x] = (tr - root) / 2.0;
            }
        }
    });
}

ImageList hessianEigen(const Image &image, int n)
{
    requireFilterSize(image, 1, "Hessian eigenvalues");
    if (n < 1) throw std::runtime_error("Hessian eigenvalues: the smoothing size must be at least 1.");
    Image smoothed;
    fast::gaussFilter(image, n, n * 0.25, smoothed);
    ImageList pair(2);
    hessianEigenvalues(smoothed, &pair[0], &pair[1]);
    fast::normalizeTo255(pair[0]);
    fast::normalizeTo255(pair[1]);
    return pair;
}

namespace {

// E(X, n) of one level, already display-scaled: the larger Hessian eigenvalue of X with
// smoothing size n. scratch is a working buffer reused across the steps.
Image scaledLargerEigen(const Image &x, int n, Image &scratch)
{
    fast::gaussFilter(x, n, n * 0.25, scratch);
    Image e;
    hessianEigenvalues(scratch, &e, nullptr);
    fast::normalizeTo255(e);
    return e;
}

}  // namespace

Image hessEnhImage(Image image, Progress &progress)
{
    requireFilterSize(image, 4, "Hessian enhancement");
    const int w = image.width(), h = image.height();

    // Level 0 at full size. Its input filtered with K5 is also what level 1 decimates.
    // Once filtered, the input is not read again: its buffer serves as the second one.
    Image b;
    fast::gaussFilter(image, 5, 1.5, b);
    const Image d1 = halfSize(b);
    Image &a = image;
    fast::gaussFilter(b, 3, 0.75, a);
    hessianEigenvalues(a, &b, nullptr);  // b: raw larger eigenvalue of level 0
    a.assign();
    double lo0, hi0;
    fast::minMax(b, lo0, hi0);
    progress.processEvents();

    // Levels 1 and 2 at half and quarter size.
    Image scratch, s;
    fast::gaussFilter(d1, 3, 1.0, s);
    const Image e1 = scaledLargerEigen(s, 3, scratch);
    progress.processEvents();
    fast::gaussFilter(d1, 5, 1.5, scratch);
    const Image d2 = halfSize(scratch);
    fast::gaussFilter(d2, 3, 1.0, s);
    const Image e2 = scaledLargerEigen(s, 7, scratch);
    progress.processEvents();

    // Combination, fused with the enlargement of levels 1 and 2 and the final inversion:
    // v = max(R0, R1, R2), then 255 - v; written over level 0's buffer. An odd side leaves
    // the enlarged levels one to three pixels short of the image; there they repeat their
    // last column and row, so every pixel sees all three scales and no edge line appears.
    const int w1 = 2 * e1.width(), h1 = 2 * e1.height(), w2 = 4 * e2.width(), h2 = 4 * e2.height();
    const bool flat0 = lo0 == hi0;
    const double range0 = hi0 - lo0;
    execution::parallelRows(h, [&](int begin, int end) {
        fast::LinearEnlarger up1(e1, w1, h1), up2(e2, w2, h2);
        std::vector<double> row1, row2;
        for (int y = begin; y < end; ++y) {
            double *p = b.data(0, y);
            up1.coveringRow(y, w, row1);
            up2.coveringRow(y, w, row2);
            for (int x = 0; x < w; ++x) {
                const double e0 = flat0 ? 0.0 : (p[x] - lo0) / range0 * 255.0;
                double v = 255.0 - 4.0 * e0;
                v = maxOf(v, 2.3 * (255.0 - row1[size_t(x)]));
                v = maxOf(v, 255.0 - row2[size_t(x)]);
                p[x] = 255.0 - v;
            }
        }
    });
    fast::normalizeTo255(b);
    return b;
}
