// The figures of the gray-level and binary reports.
#include <QtTest>

#include "ops/measure/statistics.h"


class TestStatistics : public QObject {
    Q_OBJECT
private slots:
    void gray_data();
    void gray();
    void grayRefusesEmpty();
    void binary_data();
    void binary();
};

void TestStatistics::gray_data()
{
    QTest::addColumn<Image>("image");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("variance");
    QTest::newRow("constant") << Image(5, 4, 1, 1, 42.5) << 42.5 << 42.5 << 42.5 << 0.0;
    Image zeroTwo(4, 2, 1, 1, 0.0);
    for (int x = 0; x < 4; ++x) zeroTwo(x, 1) = 2.0;
    QTest::newRow("population variance") << zeroTwo << 0.0 << 2.0 << 1.0 << 1.0;
    Image offset(3, 1, 1, 1, 0.0);  // a one-pass formula loses these digits
    offset(0, 0) = 1e9 + 1;
    offset(1, 0) = 1e9 + 2;
    offset(2, 0) = 1e9 + 3;
    QTest::newRow("large offset") << offset << 1e9 + 1 << 1e9 + 3 << 1e9 + 2 << 2.0 / 3.0;
}

void TestStatistics::gray()
{
    QFETCH(Image, image);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, mean);
    QFETCH(double, variance);
    const GrayStats s = grayStatistics(image);
    QCOMPARE(s.width, image.width());
    QCOMPARE(s.height, image.height());
    QCOMPARE(s.minimum, minimum);
    QCOMPARE(s.maximum, maximum);
    QCOMPARE(s.mean, mean);
    QCOMPARE(s.variance, variance);
}

void TestStatistics::grayRefusesEmpty()
{
    QVERIFY_THROWS_EXCEPTION(cimg_library::CImgArgumentException, grayStatistics(Image()));
}

void TestStatistics::binary_data()
{
    QTest::addColumn<Image>("image");
    QTest::addColumn<qlonglong>("area");
    QTest::addColumn<qlonglong>("length");
    QTest::addColumn<double>("coverage");
    QTest::newRow("all black") << Image(8, 5, 1, 1, 0.0) << 0LL << 0LL << 0.0;
    QTest::newRow("all white 10x10") << Image(10, 10, 1, 1, 255.0) << 100LL << 100LL << 100.0;
    Image bar(20, 10, 1, 1, 0.0);  // a 3-pixel-thick bar thins to one line
    for (int y = 4; y <= 6; ++y)
        for (int x = 3; x <= 16; ++x) bar(x, y) = 255.0;
    bar(0, 0) = 254.0;  // gray values count for nothing
    QTest::newRow("bar") << bar << 42LL << 12LL << 21.0;
}

void TestStatistics::binary()
{
    QFETCH(Image, image);
    QFETCH(qlonglong, area);
    QFETCH(qlonglong, length);
    QFETCH(double, coverage);
    const Image before(image);
    const BinaryStats s = binaryStatistics(image);
    QCOMPARE(s.area, area);
    QCOMPARE(s.length, length);
    QCOMPARE(s.coverage, coverage);
    QCOMPARE(s.width, image.width());
    QVERIFY(image == before);
}

QTEST_APPLESS_MAIN(TestStatistics)
#include "test_statistics.moc"
