// Homomorphic and non-linear filters.
#include <QtTest>

#include "ops/filters/homomorphic.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "ops/tablesupport.h"
#include "reference_enhancement.h"

class TestHomomorphic : public QObject {
    Q_OBJECT
private slots:
    void homomorphicMatchesReference_data();
    void homomorphicMatchesReference();
    void homomorphicConstantIsZero();
    void homomorphicRejectsUndefinedLogarithm_data();
    void homomorphicRejectsUndefinedLogarithm();
    void nonLinearMatchesReference_data();
    void nonLinearMatchesReference();
    void nonLinearKeepsSize();
    void nonLinearZeroCoefficientsStayZero();
    void tableRuns();
};

void TestHomomorphic::homomorphicMatchesReference_data()
{
    ref::addImageRows({"noise", "waves", "line", "checker", "impulse"},
                      {QSize(1, 1), QSize(3, 2), QSize(17, 5), QSize(64, 64), QSize(99, 41)});
}

void TestHomomorphic::homomorphicMatchesReference()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 13);
    QUENDRA_COMPARE_REF(homomorphicImage(in), ref::homomorphic(in));
}

void TestHomomorphic::homomorphicConstantIsZero()
{
    const Image out = homomorphicImage(Image(23, 17, 1, 1, 140.0));
    QCOMPARE(out.width(), 23);
    QCOMPARE(out.max(), 0.0);
    QCOMPARE(out.min(), 0.0);
}

void TestHomomorphic::homomorphicRejectsUndefinedLogarithm_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("-1") << -1.0;
    QTest::newRow("-5") << -5.0;
    QTest::newRow("NaN") << double(NAN);
}

void TestHomomorphic::homomorphicRejectsUndefinedLogarithm()
{
    QFETCH(double, value);
    Image in(10, 10, 1, 1, 50.0);
    in(3, 4) = value;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, homomorphicImage(in));
    in(3, 4) = -0.5;  // ln(0.5) is fine
    QVERIFY(allFinite(homomorphicImage(in)));
}

void TestHomomorphic::nonLinearMatchesReference_data()
{
    ref::addImageRows({"noise", "waves", "impulse", "huge"},
                      {QSize(1, 1), QSize(100, 300), QSize(512, 512), QSize(37, 600), QSize(700, 520)});
}

void TestHomomorphic::nonLinearMatchesReference()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 17);
    QUENDRA_COMPARE_REF(nonLinearImage(in), ref::nonLinear(in));
}

void TestHomomorphic::nonLinearKeepsSize()
{
    const Image out = nonLinearImage(ref::testImage("waves", 100, 300, 1));
    QCOMPARE(out.width(), 100);
    QCOMPARE(out.height(), 300);
    QCOMPARE(out.min(), 0.0);
    QCOMPARE(out.max(), 255.0);
}

void TestHomomorphic::nonLinearZeroCoefficientsStayZero()
{
    // Zero and constant images: every coefficient but the zero frequency is 0, and a
    // phase taken from 0 / 0 must not turn them into NaN.
    for (const double v : {0.0, 42.0}) {
        const Image out = nonLinearImage(Image(50, 40, 1, 1, v));
        QVERIFY(allFinite(out));
        QCOMPARE(out.max(), 0.0);
    }
    // A single impulse at the origin has a flat spectrum of magnitude 255: its square
    // root is a flat spectrum too, whose inverse is again an impulse.
    Image impulse(512, 512, 1, 1, 0.0);
    impulse(0, 0) = 255.0;
    const Image out = nonLinearImage(impulse);
    QCOMPARE(out(0, 0), 255.0);
    QVERIFY(out(1, 1) < 1e-6);
}

void TestHomomorphic::tableRuns()
{
    NullProgress progress;
    Notes notes;
    const Image in = ref::testImage("noise", 30, 20, 6);
    for (const char *name : {"homomorphic", "nonlinear"}) {
        ImageModel model = runOnWorkingCopy(name, in);
        QCOMPARE(model.count(), 2);
        const Image expected = QString(name) == "homomorphic" ? homomorphicImage(in) : nonLinearImage(in);
        QCOMPARE(ref::maxDiff(model.current(), expected), 0.0);
    }
    ImageModel bad(Image(8, 8, 1, 1, -3.0));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, findOperation("homomorphic")->run(bad, {}, progress, notes));
    QCOMPARE(bad.current()(0, 0), -3.0);
}

QTEST_APPLESS_MAIN(TestHomomorphic)
#include "test_homomorphic.moc"
