// Laplacian pyramid enhancement.
#include <QtTest>

#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "ops/filters/pyramid.h"
#include "ops/tablesupport.h"
#include "reference_enhancement.h"

class TestPyramid : public QObject {
    Q_OBJECT
private slots:
    void matchesReference_data();
    void matchesReference();
    void constantGivesZero_data();
    void constantGivesZero();
    void oddSidesCoverEveryPixel();
    void rejectsTooSmall_data();
    void rejectsTooSmall();
    void tableRun();
};

void TestPyramid::matchesReference_data()
{
    ref::addImageRows({"noise", "waves", "line", "checker", "impulse", "ramp", "huge"},
                      {QSize(8, 8), QSize(9, 13), QSize(15, 8), QSize(64, 64), QSize(100, 37), QSize(131, 129)});
}

void TestPyramid::matchesReference()
{
    QFETCH(QString, kind);
    QFETCH(int, w);
    QFETCH(int, h);
    const Image in = ref::testImage(kind, w, h, 21);
    const Image copy(in);
    const Image out = laplPyramidImage(in);
    QCOMPARE(out.width(), w);
    QCOMPARE(out.height(), h);
    QUENDRA_COMPARE_REF(out, ref::laplPyramid(in));
    QCOMPARE(ref::maxDiff(in, copy), 0.0);
}

void TestPyramid::constantGivesZero_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("64x64") << 64 << 64;
    QTest::newRow("8x8") << 8 << 8;
    QTest::newRow("odd 27x19") << 27 << 19;
}

void TestPyramid::constantGivesZero()
{
    QFETCH(int, w);
    QFETCH(int, h);
    const Image out = laplPyramidImage(Image(w, h, 1, 1, 200.0));
    QCOMPARE(out.width(), w);
    QCOMPARE(out.height(), h);
    QCOMPARE(out.max(), 0.0);
    QCOMPARE(out.min(), 0.0);
}

void TestPyramid::oddSidesCoverEveryPixel()
{
    // The library's + of different sizes adds the buffers cyclically, so rows shift;
    // the covering sum keeps each pixel at its place and repeats the coarse level's last
    // column and row where it is short.
    Image fine(3, 2, 1, 1, 0.0), coarse(2, 1, 1, 1, 0.0);
    coarse(0, 0) = 1.0;
    coarse(1, 0) = 2.0;
    addCovering(fine, coarse);
    QCOMPARE(fine(0, 0), 1.0);
    QCOMPARE(fine(1, 0), 2.0);
    QCOMPARE(fine(2, 0), 2.0);
    QCOMPARE(fine(0, 1), 1.0);
    // A vertical bright line in an odd-sized image stays vertical: every row of the
    // result has its maximum in the same column.
    Image in(41, 33, 1, 1, 0.0);
    cimg_forY(in, y) in(20, y) = 255.0;
    const Image out = laplPyramidImage(in);
    for (int y = 4; y < 29; ++y) {
        int best = 0;
        cimg_forX(out, x) if (out(x, y) > out(best, y)) best = x;
        QCOMPARE(best, 20);
    }
}

void TestPyramid::rejectsTooSmall_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("7x64") << 7 << 64;
    QTest::newRow("64x7") << 64 << 7;
    QTest::newRow("1x1") << 1 << 1;
    QTest::newRow("empty") << 0 << 0;
}

void TestPyramid::rejectsTooSmall()
{
    QFETCH(int, w);
    QFETCH(int, h);
    try {
        laplPyramidImage(w ? Image(w, h, 1, 1, 5.0) : Image());
        QFAIL("no error");
    } catch (const std::runtime_error &e) {
        QVERIFY(QString(e.what()).contains("8 x 8"));
    }
}

void TestPyramid::tableRun()
{
    const Image in = ref::testImage("waves", 40, 24, 2);
    ImageModel model = runOnWorkingCopy("laplacian", in);
    QCOMPARE(model.count(), 2);
    QCOMPARE(ref::maxDiff(model.current(), laplPyramidImage(in)), 0.0);
    QCOMPARE(ref::maxDiff(*model.image(0), in), 0.0);
}

QTEST_APPLESS_MAIN(TestPyramid)
#include "test_pyramid.moc"
