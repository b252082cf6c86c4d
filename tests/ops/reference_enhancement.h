// Plain versions of the enhancement filters, written step by step with the library's own
// calls (get_convolve with border condition 1, get_resize with linear interpolation, the
// list Fourier transform, periodic shift). The fast paths are compared against these.
#pragma once
#include <algorithm>
#include <cmath>
#include <random>

#include <QString>
#include <QStringList>

#include "ops/filters/hessian.h"
#include "ops/core/imagehelpers.h"

namespace ref {

inline Image filter(const Image &image, const Image &kernel) { return image.get_convolve(kernel, 1, false); }

inline Image dxKernel()
{
    Image k(3, 1, 1, 1);
    k(0, 0) = -0.5; k(1, 0) = 0.0; k(2, 0) = 0.5;
    return k;
}

inline Image dyKernel()
{
    Image k(1, 3, 1, 1);
    k(0, 0) = -0.5; k(0, 1) = 0.0; k(0, 2) = 0.5;
    return k;
}

inline ImageList hessianEigen(const Image &image, int n)
{
    const Image s = filter(image, gaussKernel(n, n * 0.25));
    const Image sx = filter(s, dxKernel()), sy = filter(s, dyKernel());
    const Image hxx = filter(sx, dxKernel()), hyy = filter(sy, dyKernel()), hxy = filter(sy, dxKernel());
    ImageList pair(2, image.width(), image.height(), 1, 1);
    cimg_forXY(image, x, y) {
        const double tr = hxx(x, y) + hyy(x, y);
        const double det = hxx(x, y) * hyy(x, y) - hxy(x, y) * hxy(x, y);
        const double root = std::sqrt(std::max(0.0, tr * tr - 4 * det));
        pair[1](x, y) = (tr - root) / 2;
        pair[0](x, y) = (tr + root) / 2;
    }
    normalizeTo255(pair[0]);
    normalizeTo255(pair[1]);
    return pair;
}

inline Image up(const Image &image, int percent) { return image.get_resize(-percent, -percent, 1, 1, 3); }

inline Image hessEnh(const Image &input)
{
    const Image k3 = gaussKernel(3, 1.0), k5 = gaussKernel(5, 1.5);
    const Image s0 = filter(input, k5);
    Image e0 = hessianEigen(s0, 3)[0];
    const Image r0 = getInverted(e0 * 4.0, false);
    const Image d1 = halfSize(filter(input, k5));
    const Image s1 = filter(d1, k3);
    const Image r1 = getInverted(up(hessianEigen(s1, 3)[0], 200), false) * 2.3;
    const Image d2 = halfSize(filter(d1, k5));
    const Image s2 = filter(d2, k3);
    const Image r2 = getInverted(up(hessianEigen(s2, 7)[0], 400), false);
    Image c(r0);
    // Where a coarser level is short of an odd side, its last column and row stand in.
    cimg_forXY(c, x, y) {
        c(x, y) = maxOf(c(x, y), r1(std::min(x, r1.width() - 1), std::min(y, r1.height() - 1)));
        c(x, y) = maxOf(c(x, y), r2(std::min(x, r2.width() - 1), std::min(y, r2.height() - 1)));
    }
    Image out = getInverted(c, false);
    normalizeTo255(out);
    return out;
}

// a + b over a's extent, pixels with equal coordinates; where b is short of a, its last
// column and row stand in.
inline Image coveringSum(const Image &a, const Image &b)
{
    Image s(a);
    cimg_forXY(s, x, y) s(x, y) += b(std::min(x, b.width() - 1), std::min(y, b.height() - 1));
    return s;
}

inline Image laplPyramid(const Image &g0)
{
    const Image k3 = gaussKernel(3, 1.0), k5 = gaussKernel(5, 1.5);
    const Image b0 = filter(g0, k5), l0 = g0 - b0;
    const Image g1 = halfSize(b0), b1 = filter(g1, k3), l1 = g1 - b1;
    const Image g2 = halfSize(b1), b2 = filter(g2, k3), l2 = g2 - b2;
    const Image g3 = halfSize(b2), b3 = filter(g3, k3), l3 = g3 - b3;
    const Image t2 = coveringSum(l2 * 3.0, up(l3, 200));
    const Image t1 = coveringSum(l1 * 1.3, up(t2, 200));
    Image t0 = coveringSum(l0, up(t1, 200));
    normalizeTo255(t0);
    return t0;
}

inline Image homomorphic(const Image &image)
{
    Image l(image);
    cimg_for(l, p, double) *p = std::log(*p + 1);
    const Image b = filter(l, gaussKernel(5, 1.5));
    Image h = l - b;
    h *= 1.5;
    cimg_for(h, p, double) *p = std::exp(*p);
    normalizeTo255(h);
    return h;
}

inline Image nonLinear(const Image &image)
{
    ImageList pair(2, 512, 512, 1, 1, 0.0);
    pair[0] = image.get_resize(512, 512, 1, 1, 3);
    pair.FFT(false);
    cimg_forXY(pair[0], x, y) {
        const double re = pair[0](x, y), im = pair[1](x, y);
        double m = std::sqrt(re * re + im * im);
        const double phase = m == 0 ? 0.0 : (im >= 0 ? std::acos(re / m) : std::acos(-re / m) - M_PI);
        m = std::sqrt(m);
        pair[0](x, y) = m * std::cos(phase);
        pair[1](x, y) = m * std::sin(phase);
    }
    pair.FFT(true);
    Image out = pair[0].get_resize(image.width(), image.height(), 1, 1, 3);
    normalizeTo255(out);
    return out;
}

inline Image magnitude(const Image &image)
{
    const int w = image.width(), h = image.height(), n = std::max(w, h);
    const int xo = (n - w) / 2, yo = (n - h) / 2;
    ImageList pair(2, n, n, 1, 1, 0.0);
    cimg_forXY(image, x, y) pair[0](x + xo, y + yo) = image(x, y);
    pair.FFT(false);
    for (Image &part : pair) {
        part.shift(n / 2, 0, 0, 0, 2);  // one axis per call: see the library's shift
        part.shift(0, n / 2, 0, 0, 2);
    }
    Image m(n, n, 1, 1);
    cimg_forXY(m, x, y) {
        const double re = pair[0](x, y), im = pair[1](x, y);
        m(x, y) = std::log(1 + std::sqrt(re * re + im * im));
    }
    normalizeTo255(m);
    return m.get_crop(xo, yo, xo + w - 1, yo + h - 1);
}

inline Image inverse(const Image &image)
{
    const int w = image.width(), h = image.height();
    ImageList pair(2, w, h, 1, 1, 0.0);
    pair[0] = image;
    pair[0].shift(-(w / 2), 0, 0, 0, 2);
    pair[0].shift(0, -(h / 2), 0, 0, 2);
    pair.FFT(true);
    return pair[0];
}

// ---- comparison and test images ----

// The scale differences are measured against: the value range, or the magnitude where
// the range is 0 (a single pixel).
inline double range(const Image &image)
{
    return std::max(image.max() - image.min(), std::max(std::abs(image.max()), std::abs(image.min())));
}

// Largest absolute difference, or infinity for different sizes.
inline double maxDiff(const Image &a, const Image &b)
{
    if (!a.is_sameXYZC(b)) return INFINITY;
    double d = 0;
    for (size_t i = 0; i < a.size(); ++i) d = std::max(d, std::abs(a[i] - b[i]));
    return d;
}

// Test images by kind: random noise, smooth waves with noise, a bright line, a checkerboard,
// a single impulse, a linear ramp, and noise on a huge scale with negative values.
inline Image testImage(const QString &kind, int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 255.0);
    Image im(w, h, 1, 1, 0.0);
    cimg_forXY(im, x, y) {
        if (kind == "noise") im(x, y) = u(rng);
        else if (kind == "waves") im(x, y) = 127.5 + 100 * std::sin(0.3 * x + 0.2 * y) * std::cos(0.17 * y) + 0.1 * u(rng);
        else if (kind == "line") im(x, y) = y == h / 2 ? 255.0 : 10.0;
        else if (kind == "checker") im(x, y) = ((x + y) % 2) ? 255.0 : 0.0;
        else if (kind == "impulse") im(x, y) = (x == w / 3 && y == h / 3) ? 255.0 : 0.0;
        else if (kind == "ramp") im(x, y) = 2.0 * x + 3.0 * y;
        else if (kind == "huge") im(x, y) = (u(rng) - 127.5) * 1e6;
    }
    return im;
}

#ifdef QTEST_H
// Rows of (kind, width, height): odd, even, tiny and mid sizes.
inline void addImageRows(const QStringList &kinds, const QList<QSize> &sizes)
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    for (const QString &k : kinds)
        for (const QSize &s : sizes)
            QTest::newRow(qPrintable(QString("%1 %2x%3").arg(k).arg(s.width()).arg(s.height())))
                << k << s.width() << s.height();
}

#endif

}  // namespace ref

#ifdef QTEST_H
// Fails the test unless fast matches reference within 1e-9 of the reference's scale.
#define QUENDRA_COMPARE_REF(fast, reference)                                                              \
    do {                                                                                                  \
        const Image f_ = (fast), r_ = (reference);                                                        \
        QCOMPARE(f_.width(), r_.width());                                                                 \
        QCOMPARE(f_.height(), r_.height());                                                               \
        const double tol_ = 1e-9 * std::max(1.0, ref::range(r_));                                         \
        const double d_ = ref::maxDiff(f_, r_);                                                           \
        if (!(d_ <= tol_)) QFAIL(qPrintable(QString("difference %1 above %2").arg(d_).arg(tol_)));       \
    } while (0)
#endif
