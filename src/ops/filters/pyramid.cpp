#include "ops/filters/pyramid.h"

#include "ops/core/execution.h"
#include "ops/filters/hessian.h"
#include "ops/filters/separable.h"

void addCovering(Image &fine, const Image &coarse)
{
    const int cw = coarse.width(), ch = coarse.height();
    for (int y = 0; y < fine.height(); ++y) {
        double *dst = fine.data(0, y);
        const double *src = coarse.data(0, std::min(y, ch - 1));
        for (int x = 0; x < fine.width(); ++x) dst[x] += src[std::min(x, cw - 1)];
    }
}

namespace {

// One detail level: blurred = g filtered with the Gaussian (n, sigma); detail = g - blurred.
void detailLevel(const Image &g, int n, double sigma, Image &blurred, Image &detail)
{
    fast::gaussFilter(g, n, sigma, blurred);
    fast::allocate(detail, g.width(), g.height());
    const size_t count = g.size();
    for (size_t i = 0; i < count; ++i) detail[i] = g[i] - blurred[i];
}

// gain * fine + up2(coarse), aligned, computed in fine's buffer.
void reconstructLevel(Image &fine, double gain, const Image &coarse)
{
    if (gain != 1.0) fine *= gain;
    Image up;
    fast::enlargeLinear(coarse, 2 * coarse.width(), 2 * coarse.height(), up);
    addCovering(fine, up);
}

}  // namespace

Image laplPyramidImage(const Image &image)
{
    requireFilterSize(image, 8, "Laplacian pyramid");
    const int w = image.width(), h = image.height();

    // Full size: only B0 is kept, L0 is formed row by row in the last pass.
    Image b0;
    fast::gaussFilter(image, 5, 1.5, b0);
    const Image g1 = halfSize(b0);
    Image b1, l1, b2, l2, b3, l3;
    detailLevel(g1, 3, 1.0, b1, l1);
    const Image g2 = halfSize(b1);
    detailLevel(g2, 3, 1.0, b2, l2);
    const Image g3 = halfSize(b2);
    detailLevel(g3, 3, 1.0, b3, l3);

    reconstructLevel(l2, 3.0, l3);  // T2
    reconstructLevel(l1, 1.3, l2);  // T1

    // T0 = L0 + up2(T1), written over B0's buffer; the enlargement is produced row by row.
    const int wu = 2 * l1.width(), hu = 2 * l1.height();
    execution::parallelRows(h, [&](int begin, int end) {
        fast::LinearEnlarger up(l1, wu, hu);
        std::vector<double> row;
        for (int y = begin; y < end; ++y) {
            double *p = b0.data(0, y);
            const double *g = image.data(0, y);
            up.coveringRow(y, w, row);
            for (int x = 0; x < w; ++x) p[x] = g[x] - p[x] + row[size_t(x)];
        }
    });
    fast::normalizeTo255(b0);
    return b0;
}
