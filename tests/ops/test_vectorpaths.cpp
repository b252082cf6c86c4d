// The vectorised kernels give the same bits on every vector path the processor has
// (baseline, AVX2, AVX-512) and for 1, 2, 3 and 8 row threads, and match the plain
// algorithm: the separable filter bit for bit, the structure tensor and the magnitude
// spectrum within rounding of the library's 2-D computations.
#include <QtTest>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "ops/core/execution.h"
#include "ops/filters/fourier.h"
#include "ops/segmentation/fuzzy.h"
#include "ops/filters/hessian.h"
#include "ops/core/imagehelpers.h"
#include "ops/filters/logmagnitude.h"
#include "ops/filters/separable.h"
#include "ops/filters/structuretensor.h"
#include "reference_enhancement.h"
#include "ops/tablesupport.h"

namespace {

QList<simd::Path> availablePaths()
{
    QList<simd::Path> paths{simd::Path::Baseline};
    if (int(simd::supported()) >= int(simd::Path::Avx2)) paths << simd::Path::Avx2;
    if (simd::supported() == simd::Path::Avx512) paths << simd::Path::Avx512;
    return paths;
}

// Runs kernel on every path with every thread count and checks that all agree bit for bit
// with the first run; returns that run.
template <class Kernel>
Image sameOnEveryPathAndThreadCount(Kernel kernel)
{
    Image first;
    for (const simd::Path path : availablePaths())
        for (const int threads : {1, 2, 3, 8}) {
            execution::setThreads(threads);
            const Image out = kernel(path);
            if (first.is_empty() && !out.is_empty()) first = out;
            else if (!sameBits(out, first))
                qWarning("%s with %d threads differs", simd::name(path), threads);
            if (!sameBits(out, first)) return Image();
        }
    return first;
}

// The separable filter as the plain two passes, pixel by pixel in the order fixed for it:
// c * v, then + t_k * (left_k + right_k), along x, then the same along y.
Image plainSeparable(const Image &in, const std::vector<double> &t)
{
    const int w = in.width(), h = in.height(), r = int(t.size()) / 2;
    auto cx = [&](int x) { return std::clamp(x, 0, w - 1); };
    auto cy = [&](int y) { return std::clamp(y, 0, h - 1); };
    Image mid(w, h, 1, 1), out(w, h, 1, 1);
    cimg_forXY(in, x, y)
    {
        double acc = t[r] * in(x, y);
        for (int k = 1; k <= r; ++k) acc += t[r + k] * (in(cx(x - k), y) + in(cx(x + k), y));
        mid(x, y) = acc;
    }
    cimg_forXY(in, x, y)
    {
        double acc = t[r] * mid(x, y);
        for (int k = 1; k <= r; ++k) acc += t[r + k] * (mid(x, cy(y - k)) + mid(x, cy(y + k)));
        out(x, y) = acc;
    }
    return out;
}

// The structure tensor's larger eigenvalue through the library's 2-D convolutions.
Image libraryStructureStrength(const Image &image)
{
    const Image gx = image.get_convolve(Image(2, 1, 1, 1, -0.5, 0.5), 1, false);
    const Image gy = image.get_convolve(Image(1, 2, 1, 1, -0.5, 0.5), 1, false);
    const Image g = gaussKernel(7, 5.0);
    const Image jxx = gx.get_mul(gx).convolve(g, 1, false), jyy = gy.get_mul(gy).convolve(g, 1, false),
                jxy = gx.get_mul(gy).convolve(g, 1, false);
    Image e(image.width(), image.height(), 1, 1);
    for (size_t i = 0; i < e.size(); ++i) e[i] = largerEigenvalue(jxx[i], jyy[i], jxy[i]);
    return e;
}

}  // namespace

class TestVectorPaths : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { execution::setThreads(8); }

    void separableFilter_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("sigma");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        // Radius 1 to 4 take the fused rows, 5 the general loop; widths around 2r + 1
        // decide between the two, heights below the radius clamp every row.
        for (const auto &[size, sigma] : {std::pair{3, 1.0}, {5, 1.5}, {7, 5.0}, {9, 2.0}, {11, 3.0}})
            for (const QSize s : {QSize(1, 1), QSize(size - 1, 4), QSize(size, 2), QSize(size + 1, 9), QSize(37, 130),
                                  QSize(203, 67)})
                QTest::newRow(qPrintable(QString("n=%1 %2x%3").arg(size).arg(s.width()).arg(s.height())))
                    << size << sigma << s.width() << s.height();
    }

    void separableFilter()
    {
        QFETCH(int, size);
        QFETCH(double, sigma);
        QFETCH(int, w);
        QFETCH(int, h);
        const Image in = ref::testImage("waves", w, h, unsigned(w * h));
        const std::vector<double> taps = fast::gaussTaps(size, sigma);
        const Image out = sameOnEveryPathAndThreadCount([&](simd::Path path) {
            Image o;
            fast::separableFilter(in, taps, o, path);
            return o;
        });
        QVERIFY2(!out.is_empty(), "the paths or thread counts disagree");
        QVERIFY(sameBits(out, plainSeparable(in, taps)));
    }

    void structureStrength_data()
    {
        ref::addImageRows({"noise", "waves", "line", "checker", "huge"},
                          {QSize(1, 1), QSize(6, 5), QSize(7, 7), QSize(8, 3), QSize(45, 131), QSize(160, 90)});
    }

    void structureStrength()
    {
        QFETCH(QString, kind);
        QFETCH(int, w);
        QFETCH(int, h);
        const Image in = ref::testImage(kind, w, h, 21);
        const Image e = sameOnEveryPathAndThreadCount([&](simd::Path path) { return ::structureStrength(in, path); });
        QVERIFY2(!e.is_empty(), "the paths or thread counts disagree");
        const Image lib = libraryStructureStrength(in);
        QUENDRA_COMPARE_REF(e, lib);

        // The mask agrees with the library's wherever the scaled value is not within
        // rounding of the threshold.
        Image scaled = lib;
        normalizeTo255(scaled);
        const GrowState mask = structureMask(in);
        for (size_t i = 0; i < mask.size(); ++i)
            if (std::abs(scaled[i] - 20.0) > 1e-6) QCOMPARE(int(mask[i]), scaled[i] > 20.0 ? 1 : 0);
    }

    void spectrum_data() { ref::addImageRows({"noise", "waves", "huge"}, {QSize(1, 1), QSize(9, 4), QSize(64, 64), QSize(77, 130)}); }

    void spectrum()
    {
        QFETCH(QString, kind);
        QFETCH(int, w);
        QFETCH(int, h);
        const Image in = ref::testImage(kind, w, h, 5);
        const Image out = sameOnEveryPathAndThreadCount([&](simd::Path path) { return magnitudeSpectrum(in, path); });
        QVERIFY2(!out.is_empty(), "the paths or thread counts disagree");
        QUENDRA_COMPARE_REF(out, ref::magnitude(in));
    }

    void logarithm()
    {
        // Within one unit in the last place of the library's log, exact at 1, and the
        // values that are not finite pass through.
        QList<double> values{1.0, std::nextafter(1.0, 2.0), 1.0 + 1e-9, 1.4142135623730951, 1.5, 2.0, 3.0,
                             255.0, 1e10, 1e300, DBL_MAX};
        for (int i = 0; i < 2000; ++i) values << std::exp(i * 0.35) * (1.0 + 1e-3 * i);
        for (const double y : values) {
            const double want = std::log(y), got = fast::logAtLeastOne(y);
            QVERIFY2(std::abs(got - want) <= std::abs(want) * 2.3e-16,
                     qPrintable(QString("log(%1) = %2, not %3").arg(y, 0, 'g', 17).arg(got, 0, 'g', 17).arg(want, 0, 'g', 17)));
        }
        QCOMPARE(fast::logAtLeastOne(1.0), 0.0);
        QCOMPARE(fast::logAtLeastOne(INFINITY), INFINITY);
        QVERIFY(std::isnan(fast::logAtLeastOne(NAN)));
    }
};

QTEST_APPLESS_MAIN(TestVectorPaths)
#include "test_vectorpaths.moc"
