// Zhang-Suen thinning and the hit-or-miss skeleton: the candidate-driven versions against
// the plain full scans, and the cases that show the algorithms' defining rules.
#include <QtTest>
#include <cstring>
#include <random>

#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "ops/morphology/thinning.h"
#include "reference_thinning.h"
#include "ops/tablesupport.h"


namespace {

enum class Shape { Noise, Blobs, Vessels, GrayMix, Full };

// Binary test images: salt noise, filled blobs, thick random walks, and mixtures with gray
// values (including the marker value 120) that thinning must treat as set but never remove.
Image makeBinary(int w, int h, Shape shape, unsigned seed)
{
    std::mt19937 rng(seed);
    Image im(w, h, 1, 1, 0.0);
    auto disc = [&](int cx, int cy, int r, double v) {
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if (x >= 0 && y >= 0 && x < w && y < h && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) im(x, y) = v;
    };
    switch (shape) {
    case Shape::Noise:
        for (double &v : im) v = rng() % 3 ? 255.0 : 0.0;
        break;
    case Shape::Blobs:
        for (int k = 0; k < 6; ++k) disc(int(rng() % w), int(rng() % h), 1 + int(rng() % 6), 255.0);
        break;
    case Shape::Vessels:
        for (int k = 0; k < 4; ++k) {
            double x = rng() % w, y = rng() % h, a = (rng() % 628) / 100.0;
            const int r = int(rng() % 3);
            for (int s = 0; s < 3 * (w + h); ++s) {
                a += ((rng() % 21) - 10) / 60.0;
                x += std::cos(a);
                y += std::sin(a);
                disc(int(x), int(y), r, 255.0);
            }
        }
        break;
    case Shape::GrayMix: {
        const double values[] = {0.0, 255.0, 255.0, 255.0, 120.0, 50.0, 0.5, -3.0};
        for (double &v : im) v = values[rng() % 8];
        break;
    }
    case Shape::Full:
        im.fill(255.0);
        break;
    }
    return im;
}

int countWhite(const Image &im)
{
    int n = 0;
    for (const double v : im) n += v == 255.0;
    return n;
}

Image rectangle(int w, int h, int x0, int y0, int x1, int y1)
{
    Image im(w, h, 1, 1, 0.0);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) im(x, y) = 255.0;
    return im;
}

bool hasWhiteSquare(const Image &im)
{
    for (int y = 0; y + 1 < im.height(); ++y)
        for (int x = 0; x + 1 < im.width(); ++x)
            if (im(x, y) == 255 && im(x + 1, y) == 255 && im(x, y + 1) == 255 && im(x + 1, y + 1) == 255) return true;
    return false;
}

}  // namespace

class TestThinning : public QObject {
    Q_OBJECT
private slots:
    void matchesPlainScan_data();
    void matchesPlainScan();
    void zhangSuenCases_data();
    void zhangSuenCases();
    void zhangSuenRectangleBecomesLine();
    void zhangSuenKeepsGrayValues();
    void skeletonCases();
    void skeletonShowsEveryCycle();
    void tableRows();
};

void TestThinning::matchesPlainScan_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("shape");
    const struct { int w, h; } sizes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {3, 3}, {4, 7}, {25, 18}, {70, 60}};
    const char *names[] = {"noise", "blobs", "vessels", "gray mix", "full"};
    for (const auto &s : sizes)
        for (int k = 0; k < 5; ++k)
            for (unsigned seed = 1; seed <= 3; ++seed)
                QTest::addRow("%dx%d %s #%u", s.w, s.h, names[k], seed) << s.w << s.h << k * 10 + int(seed);
}

void TestThinning::matchesPlainScan()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, shape);
    const Image in = makeBinary(width, height, Shape(shape / 10), unsigned(shape * 977 + width));
    QVERIFY(sameBits(zhangSuenThin(in), reference::zhangSuen(in)));
    int cycles = 0, calls = 0;
    const Image expected = reference::skeleton(in, &cycles);
    QVERIFY(sameBits(skeletonizeImage(in, [&calls](const Image &) { ++calls; }), expected));
    QCOMPARE(calls, cycles);
}

void TestThinning::zhangSuenCases_data()
{
    QTest::addColumn<Image>("input");
    QTest::addColumn<int>("white");
    QTest::newRow("all white stays") << Image(10, 10, 1, 1, 255.0) << 100;
    QTest::newRow("all black") << Image(10, 10, 1, 1, 0.0) << 0;
    QTest::newRow("horizontal line stays") << rectangle(12, 7, 2, 3, 9, 3) << 8;
    QTest::newRow("vertical line stays") << rectangle(7, 12, 3, 1, 3, 10) << 10;
    QTest::newRow("2x2 square vanishes") << rectangle(8, 8, 3, 3, 4, 4) << 0;
    Image frame(6, 6, 1, 1, 255.0);
    for (int y = 1; y < 5; ++y)
        for (int x = 1; x < 5; ++x) frame(x, y) = 0.0;
    QTest::newRow("border pixels never change") << frame << 20;
}

void TestThinning::zhangSuenCases()
{
    QFETCH(Image, input);
    QFETCH(int, white);
    const Image out = zhangSuenThin(input);
    QCOMPARE(countWhite(out), white);
    QCOMPARE(countWhite(input), countWhite(Image(input)));  // the argument is left alone
}

void TestThinning::zhangSuenRectangleBecomesLine()
{
    const Image out = zhangSuenThin(rectangle(30, 15, 4, 5, 25, 9));
    QVERIFY(countWhite(out) > 10);
    int rows = 0;
    for (int y = 0; y < out.height(); ++y) {
        bool any = false;
        for (int x = 0; x < out.width(); ++x) any |= out(x, y) == 255.0;
        rows += any;
    }
    QCOMPARE(rows, 1);
}

void TestThinning::zhangSuenKeepsGrayValues()
{
    Image in = rectangle(12, 12, 2, 2, 9, 9);
    in(5, 5) = 60.0;
    in(6, 6) = 120.0;
    in(0, 0) = 120.0;
    const Image out = zhangSuenThin(in);
    QCOMPARE(out(5, 5), 60.0);
    QCOMPARE(out(6, 6), 0.0);  // the marker value is cleared by the first clean-up
    QCOMPARE(out(0, 0), 0.0);
}

void TestThinning::skeletonCases()
{
    // Nothing at the maximum after normalizing: one cycle, the normalized input back.
    Image ones(6, 5, 1, 1, 0.0);
    ones(2, 2) = 1.0;
    ones(3, 2) = 1.0;
    int calls = 0;
    const Image line = skeletonizeImage(ones, [&calls](const Image &) { ++calls; });
    QCOMPARE(countWhite(line), 2);  // a 0/1 image becomes 0/255; a straight line stays
    QCOMPARE(calls, 1);
    Image constant(4, 4, 1, 1, 9.0);
    QCOMPARE(countWhite(skeletonizeImage(constant, [&calls](const Image &) { ++calls; })), 0);
    QCOMPARE(calls, 2);

    const Image rect = rectangle(30, 16, 4, 4, 25, 11);
    const Image skel = skeletonizeImage(rect);
    QVERIFY(countWhite(skel) > 15);
    QVERIFY(!hasWhiteSquare(skel));
    for (size_t i = 0; i < skel.size(); ++i) QVERIFY(skel[i] == 0.0 || rect[i] == 255.0);
    QCOMPARE(calls, 2);
}

void TestThinning::skeletonShowsEveryCycle()
{
    const Image in = makeBinary(40, 30, Shape::Blobs, 4);
    Image last;
    int calls = 0;
    const Image out = skeletonizeImage(in, [&](const Image &w) {
        ++calls;
        last = w;
    });
    QVERIFY(calls >= 2);
    QVERIFY(sameBits(last, out));
}

void TestThinning::tableRows()
{
    const Image in = makeBinary(40, 30, Shape::Vessels, 8);
    NullProgress progress;
    Notes notes;
    const OperationRow *thin = findOperation("thin");
    const OperationRow *skel = findOperation("skeletonize");
    QVERIFY(thin && skel);
    QCOMPARE(int(thin->code), 29);
    QCOMPARE(int(skel->code), 22);
    ImageModel model(in);
    thin->run(model, {}, progress, notes);
    QVERIFY(sameBits(model.current(), zhangSuenThin(in)));
    ImageModel model2(in);
    skel->run(model2, {}, progress, notes);
    QVERIFY(sameBits(model2.current(), skeletonizeImage(in)));
}

QTEST_APPLESS_MAIN(TestThinning)
#include "test_thinning.moc"
