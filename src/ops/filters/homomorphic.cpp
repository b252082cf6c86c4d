#include "ops/filters/homomorphic.h"

#include <QLocale>
#include <cmath>
#include <stdexcept>

#include "ops/core/execution.h"
#include "ops/filters/fourier.h"
#include "ops/filters/hessian.h"
#include "ops/filters/separable.h"
#include "ops/core/viewtext.h"

Image homomorphicImage(const Image &image)
{
    requireFilterSize(image, 1, "Homomorphic filter");
    for (const double v : image)
        if (!(v > -1.0))
            throw std::runtime_error(ViewText::tr("Homomorphic filter needs values greater than -1 (it takes ln(v + 1)); "
                                                  "this image holds %1.")
                                         .arg(QLocale().toString(v))
                                         .toStdString());
    Image l, e;
    fast::allocate(l, image.width(), image.height());
    const size_t n = image.size();
    for (size_t i = 0; i < n; ++i) l[i] = std::log(image[i] + 1);
    fast::gaussFilter(l, 5, 1.5, e);
    execution::parallelRows(image.height(), [&](int begin, int end) {
        const size_t w = size_t(image.width());
        for (size_t i = size_t(begin) * w; i < size_t(end) * w; ++i) e[i] = std::exp(1.5 * (l[i] - e[i]));
    });
    fast::normalizeTo255(e);
    return e;
}

Image nonLinearImage(const Image &image)
{
    requireFilterSize(image, 1, "Non-linear filter");
    // A constant image filters to a constant, which scales to all 0. Computed, the two
    // resizes and the transform leave rounding ripples that the scaling would blow up to
    // the full range, so it is answered directly.
    if (image.min() == image.max()) return Image(image.width(), image.height(), 1, 1, 0.0);
    const int n = kNonLinearSize;
    const Image work = image.get_resize(n, n, 1, 1, 3);
    fast::HalfSpectrum half = fast::realForward(work);
    // m -> sqrt(m) with the phase kept: (re, im) * sqrt(m) / m, the same as going through
    // the polar form without the rounding of acos near +-1. A coefficient of magnitude 0
    // stays 0.
    for (fast::Complex &c : half) {
        const double m = std::sqrt(c.re * c.re + c.im * c.im);
        if (m == 0.0) {
            c = {0.0, 0.0};
            continue;
        }
        const double f = std::sqrt(m) / m;
        c = {c.re * f, c.im * f};
    }
    const Image real = fast::realInverse(half, n, n);
    Image out;
    if (image.width() >= n && image.height() >= n)
        fast::enlargeLinear(real, image.width(), image.height(), out);
    else
        out = real.get_resize(image.width(), image.height(), 1, 1, 3);
    fast::normalizeTo255(out);
    return out;
}
