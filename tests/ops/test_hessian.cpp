// Gaussian kernel, decimation, Hessian eigenvalues and Hessian vessel enhancement.
#include <QtTest>

#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "ops/filters/separable.h"
#include "ops/filters/hessian.h"
#include "ops/table/operations.h"
#include "ops/tablesupport.h"
#include "reference_enhancement.h"

class TestHessian : public QObject {
    Q_OBJECT
private slots:
    void kernelShape_data();
    void kernelShape();
    void kernelRejectsBadArguments();
    void halfSizeTakesEveryOtherPixel();
    void separableMatchesLibraryConvolution_data();
    void separableMatchesLibraryConvolution();
    void enlargeMatchesLibraryResize_data();
    void enlargeMatchesLibraryResize();
    void eigenMatchesReference_data();
    void eigenMatchesReference();
    void eigenOfConstantIsZero();
    void brightLineIsDarkestInSmallerEigenvalue();
    void eigenRootClampsRoundingNegatives();
    void hessEnhMatchesReference_data();
    void hessEnhMatchesReference();
    void hessEnhConstant_data();
    void hessEnhConstant();
    void hessEnhRejectsTooSmall_data();
    void hessEnhRejectsTooSmall();
    void resultIndependentOfThreads();
    void tableRuns();
};

void TestHessian::kernelShape_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("sigma");
    QTest::addColumn<int>("side");
    QTest::newRow("size 1") << 1 << 0.25 << 1;
    QTest::newRow("size 0") << 0 << 1.0 << 1;
    QTest::newRow("size 3") << 3 << 1.0 << 3;
    QTest::newRow("size 4 is 3") << 4 << 1.0 << 3;
    QTest::newRow("size 5") << 5 << 1.5 << 5;
    QTest::newRow("size 7") << 7 << 5.0 << 7;
}

void TestHessian::kernelShape()
{
    QFETCH(int, n);
    QFETCH(double, sigma);
    QFETCH(int, side);
    const Image k = gaussKernel(n, sigma);
    QCOMPARE(k.width(), side);
    QCOMPARE(k.height(), side);
    QVERIFY(std::abs(k.sum() - 1.0) < 1e-15);
    if (side == 1) QCOMPARE(k(0, 0), 1.0);
    // Symmetric, peaked in the centre, and matched by the separable taps.
    const int r = side / 2;
    const std::vector<double> taps = fast::gaussTaps(n, sigma);
    QCOMPARE(int(taps.size()), side);
    cimg_forXY(k, x, y) {
        QCOMPARE(k(x, y), k(side - 1 - x, y));
        QVERIFY(k(x, y) <= k(r, r));
        QVERIFY(std::abs(taps[size_t(x)] * taps[size_t(y)] - k(x, y)) < 1e-16);
    }
}

void TestHessian::kernelRejectsBadArguments()
{
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, gaussKernel(-1, 1.0));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, gaussKernel(3, 0.0));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, gaussKernel(3, NAN));
}

void TestHessian::halfSizeTakesEveryOtherPixel()
{
    Image in(5, 3, 1, 1);
    cimg_forXY(in, x, y) in(x, y) = 10 * y + x;
    const Image out = halfSize(in);
    QCOMPARE(out.width(), 2);
    QCOMPARE(out.height(), 1);
    QCOMPARE(out(0, 0), 0.0);
    QCOMPARE(out(1, 0), 2.0);
    QVERIFY(halfSize(Image(1, 9, 1, 1, 0.0)).is_empty());
}

void TestHessian::separableMatchesLibraryConvolution_data()
{
    ref::addImageRows({"noise", "checker", "impulse", "huge"},
                      {QSize(1, 1), QSize(1, 7), QSize(9, 1), QSize(2, 3), QSize(5, 5), QSize(37, 23), QSize(128, 65)});
}

void TestHessian::separableMatchesLibraryConvolution()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 7);
    for (const auto &[n, sigma] : {std::pair{3, 1.0}, {3, 0.75}, {5, 1.5}, {7, 1.75}, {7, 5.0}}) {
        Image out;
        fast::gaussFilter(in, n, sigma, out);
        QUENDRA_COMPARE_REF(out, ref::filter(in, gaussKernel(n, sigma)));
    }
}

void TestHessian::enlargeMatchesLibraryResize_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("factor");
    for (const QSize s : {QSize(1, 1), QSize(1, 5), QSize(6, 1), QSize(3, 3), QSize(17, 9), QSize(64, 33)})
        for (const int f : {2, 4})
            QTest::newRow(qPrintable(QString("%1x%2 x%3").arg(s.width()).arg(s.height()).arg(f)))
                << s.width() << s.height() << f;
}

void TestHessian::enlargeMatchesLibraryResize()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, factor);
    const Image in = ref::testImage("noise", w, h, 3);
    Image out;
    fast::enlargeLinear(in, factor * w, factor * h, out);
    // The same recurrence as the library: bit for bit.
    QCOMPARE(ref::maxDiff(out, ref::up(in, 100 * factor)), 0.0);
}

void TestHessian::eigenMatchesReference_data()
{
    ref::addImageRows({"noise", "waves", "line", "checker", "impulse", "ramp", "huge"},
                      {QSize(1, 1), QSize(2, 2), QSize(1, 6), QSize(7, 3), QSize(31, 47), QSize(96, 64)});
}

void TestHessian::eigenMatchesReference()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 11);
    for (const int n : {3, 7}) {
        const ImageList fastPair = hessianEigen(in, n), refPair = ref::hessianEigen(in, n);
        QCOMPARE(int(fastPair.size()), 2);
        QUENDRA_COMPARE_REF(fastPair[0], refPair[0]);
        QUENDRA_COMPARE_REF(fastPair[1], refPair[1]);
    }
}

void TestHessian::eigenOfConstantIsZero()
{
    const ImageList pair = hessianEigen(Image(20, 13, 1, 1, 77.0), 7);
    QCOMPARE(pair[0].max(), 0.0);
    QCOMPARE(pair[0].min(), 0.0);
    QCOMPARE(pair[1].max(), 0.0);
}

void TestHessian::brightLineIsDarkestInSmallerEigenvalue()
{
    const Image in = ref::testImage("line", 40, 41, 0);
    const ImageList pair = hessianEigen(in, 7);
    const Image &smaller = pair[1];
    // Hyy is strongly negative on the line: there the smaller eigenvalue is lowest.
    for (int x = 5; x < 35; ++x) QCOMPARE(smaller(x, 20), 0.0);
    QVERIFY(smaller(20, 10) > 100.0);
}

void TestHessian::eigenRootClampsRoundingNegatives()
{
    // tr^2 - 4 det is (a - d)^2 + 4 b^2 in exact arithmetic; here rounding makes it negative.
    const double a = 0.1 + 0.2, d = 0.3, b = 0.0;
    const double disc = (a + d) * (a + d) - 4.0 * (a * d - b * b);
    if (disc < 0) QCOMPARE(eigenRoot(a, d, b), 0.0);
    QVERIFY(std::isfinite(largerEigenvalue(a, d, b)));
    QCOMPARE(largerEigenvalue(3.0, 1.0, 0.0), 3.0);
    QCOMPARE(smallerEigenvalue(3.0, 1.0, 0.0), 1.0);
}

void TestHessian::hessEnhMatchesReference_data()
{
    ref::addImageRows({"noise", "waves", "line", "checker", "impulse", "huge"},
                      {QSize(4, 4), QSize(5, 7), QSize(6, 9), QSize(33, 18), QSize(101, 77), QSize(128, 128)});
}

void TestHessian::hessEnhMatchesReference()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 5);
    const Image copy(in);
    NullProgress progress;
    QUENDRA_COMPARE_REF(hessEnhImage(in, progress), ref::hessEnh(in));
    QCOMPARE(ref::maxDiff(in, copy), 0.0);  // the input stays as it was
}

void TestHessian::hessEnhConstant_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("even") << 16 << 12;
    QTest::newRow("4x4") << 4 << 4;
    QTest::newRow("odd width") << 9 << 8;
    QTest::newRow("odd height") << 8 << 11;
    QTest::newRow("DRIVE size") << 565 << 584;
    QTest::newRow("sides 2 mod 4") << 10 << 6;
}

void TestHessian::hessEnhConstant()
{
    QFETCH(int, w);
    QFETCH(int, h);
    NullProgress progress;
    const Image out = hessEnhImage(Image(w, h, 1, 1, 100.0), progress);
    QCOMPARE(out.width(), w);
    QCOMPARE(out.height(), h);
    // Every level covers every pixel whatever the parity, so nothing stands out at the
    // right or bottom edge: the result is flat, hence all 0.
    QCOMPARE(out.max(), 0.0);
    QCOMPARE(out.min(), 0.0);
}

void TestHessian::hessEnhRejectsTooSmall_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("3x10") << 3 << 10;
    QTest::newRow("10x3") << 10 << 3;
    QTest::newRow("1x1") << 1 << 1;
    QTest::newRow("empty") << 0 << 0;
}

void TestHessian::hessEnhRejectsTooSmall()
{
    QFETCH(int, w);
    QFETCH(int, h);
    NullProgress progress;
    const Image in = w ? Image(w, h, 1, 1, 1.0) : Image();
    try {
        hessEnhImage(in, progress);
        QFAIL("no error");
    } catch (const std::runtime_error &e) {
        QVERIFY(QString(e.what()).contains("4 x 4"));
    }
}

void TestHessian::resultIndependentOfThreads()
{
    // Bands of 32 or more rows go to different threads; 40 rows run in one band. Compare a
    // tall image against the same rows computed alone.
    const Image big = ref::testImage("noise", 70, 300, 9);
    Image a, b;
    fast::gaussFilter(big, 5, 1.5, a);
    const Image part = big.get_crop(0, 0, 69, 39);
    fast::gaussFilter(part, 5, 1.5, b);
    // Rows far enough from the cut see the same pixels and must be bit-identical.
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 70; ++x) QCOMPARE(a(x, y), b(x, y));
}

void TestHessian::tableRuns()
{
    NullProgress progress;
    Notes notes;
    const Image in = ref::testImage("waves", 30, 20, 1);
    {
        const ImageModel model = runOnWorkingCopy("eigen", in);
        const ImageList pair = hessianEigen(in, 7);
        QCOMPARE(model.count(), 3);
        QCOMPARE(model.currentIndex, 2);
        QCOMPARE(ref::maxDiff(*model.image(1), pair[0]), 0.0);
        QCOMPARE(ref::maxDiff(*model.image(2), pair[1]), 0.0);
    }
    {
        const OperationRow *row = findOperation("hessian");
        ImageModel model = runOnWorkingCopy("hessian", in);
        QCOMPARE(model.count(), 2);
        QCOMPARE(ref::maxDiff(model.current(), hessEnhImage(in, progress)), 0.0);
        ImageModel tiny(Image(3, 3, 1, 1, 0.0));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, row->run(tiny, {}, progress, notes));
        QCOMPARE(tiny.current().width(), 3);
    }
}

QTEST_APPLESS_MAIN(TestHessian)
#include "test_hessian.moc"
