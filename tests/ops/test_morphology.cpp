// Flat erosion and dilation: the fast column-run path against the direct scan, the
// element maker, and the compositions' edge cases.
#include <QtTest>
#include <cfloat>
#include <cstring>
#include <limits>
#include <random>

#include "ops/morphology/morphology.h"
#include "ops/table/operations.h"
#include "ops/core/simd.h"
#include "reference_morphology.h"
#include "ops/tablesupport.h"


namespace {

enum class Fill { Gray, Integer, Binary, Sparse, Constant, Ramp, Checker, Extremes };

Image makeImage(int w, int h, Fill fill, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> gray(-50.0, 300.0);
    std::uniform_int_distribution<int> level(0, 4);
    Image im(w, h, 1, 1, 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    const double extremes[] = {inf, -inf, DBL_MAX, -DBL_MAX, 0.0, 1e-300, -5.0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double &v = im(x, y);
            switch (fill) {
            case Fill::Gray: v = gray(rng); break;
            case Fill::Integer: v = double(level(rng) * 60); break;
            case Fill::Binary: v = (rng() & 1) ? 255.0 : 0.0; break;
            case Fill::Sparse: v = (rng() % 97 == 0) ? 255.0 : 0.0; break;
            case Fill::Constant: v = 77.25; break;
            case Fill::Ramp: v = x * 3.0 - y * 2.0; break;
            case Fill::Checker: v = ((x + y) & 1) ? 255.0 : 0.0; break;
            case Fill::Extremes: v = extremes[rng() % 7]; break;
            }
        }
    return im;
}

int countValue(const Image &im, double value)
{
    int n = 0;
    for (const double v : im) n += v == value;
    return n;
}

// Records the passes an operation reports.
class RecordingProgress : public Progress {
public:
    QStringList titles;
    QList<int> maxima, lastValues;
    void start(const QString &title, const QString &label, int maximum) override
    {
        QCOMPARE(label, QStringLiteral("Working ..."));
        titles << title;
        maxima << maximum;
        lastValues << -1;
    }
    void setValue(int value) override { lastValues.last() = value; }
};

}  // namespace

class TestMorphology : public QObject {
    Q_OBJECT
private slots:
    void structuringElement_data();
    void structuringElement();
    void fastMatchesDirect_data();
    void fastMatchesDirect();
    void otherElementsMatchDirect_data();
    void otherElementsMatchDirect();
    void largeDiscs_data();
    void largeDiscs();
    void singlePixel();
    void discOf999ReachesEverything();
    void dilatedPixelIsClippedDisc();
    void constantImages_data();
    void constantImages();
    void progressPasses_data();
    void progressPasses();
    void refusesBadInput();
    void tableRows_data();
    void tableRows();
};

void TestMorphology::structuringElement_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("cells");
    QTest::newRow("disc 1 is the cross") << 1 << 1 << 3 << 5;
    QTest::newRow("disc 2 has 13 cells") << 1 << 2 << 5 << 13;
    QTest::newRow("disc 3 is 7 x 7") << 1 << 3 << 7 << 29;
    QTest::newRow("disc 13") << 1 << 13 << 27 << 529;
    QTest::newRow("square 3") << 2 << 3 << 3 << 9;
    QTest::newRow("square 0 is empty") << 2 << 0 << 0 << 0;
    QTest::newRow("unknown type is empty") << 7 << 3 << 0 << 0;
}

void TestMorphology::structuringElement()
{
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(int, side);
    QFETCH(int, cells);
    const Image el = makeStructEl(type, size);
    QCOMPARE(el.width(), side);
    QCOMPARE(el.height(), side);
    QCOMPARE(countValue(el, 1.0), cells);
    if (type == 1 && size == 1) {
        QCOMPARE(el(0, 0), 0.0);
        QCOMPARE(el(1, 0), 1.0);
    }
}

void TestMorphology::fastMatchesDirect_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fill");
    const struct { int w, h; } shapes[] = {{1, 1}, {1, 17}, {23, 1}, {2, 3}, {9, 9}, {31, 19}, {64, 45}};
    const char *fills[] = {"gray", "integer", "binary", "sparse", "constant", "ramp", "checker", "extremes"};
    for (const auto &s : shapes)
        for (int f = 0; f < 8; ++f)
            QTest::addRow("%dx%d %s", s.w, s.h, fills[f]) << s.w << s.h << f;
}

// Every disc size from 1 to 20 on every shape and fill, bit for bit.
void TestMorphology::fastMatchesDirect()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, fill);
    NullProgress progress;
    const Image in = makeImage(width, height, Fill(fill), unsigned(width * 131 + height * 7 + fill));
    for (int size = 1; size <= 20; ++size) {
        const Image el = makeStructEl(1, size);
        QVERIFY2(sameBits(erodeImage(in, el, progress), reference::erode(in, el)), qPrintable(QString("erode %1").arg(size)));
        QVERIFY2(sameBits(dilateImage(in, el, progress), reference::dilate(in, el)), qPrintable(QString("dilate %1").arg(size)));
    }
}

void TestMorphology::otherElementsMatchDirect_data()
{
    QTest::addColumn<Image>("element");
    QTest::newRow("square 1") << makeStructEl(2, 1);
    QTest::newRow("square 2 (origin off centre)") << makeStructEl(2, 2);
    QTest::newRow("square 5") << makeStructEl(2, 5);
    Image ring = makeStructEl(1, 3);
    ring(3, 3) = 0.0;  // a gap in the middle column: the direct scan handles it
    QTest::newRow("ring") << ring;
    Image odd(4, 3, 1, 1, 0.0);  // cells of -1 take part, others below 0 do not
    odd(0, 0) = -1.0; odd(3, 2) = 2.5; odd(1, 1) = -0.5; odd(2, 1) = 1.0;
    QTest::newRow("scattered cells") << odd;
    Image offCentre(5, 5, 1, 1, 0.0);
    offCentre(4, 4) = 1.0;  // no cell at the origin: border pixels see no cell at all
    QTest::newRow("single cell off the origin") << offCentre;
    Image staircase(5, 5, 1, 1, 0.0);  // nested runs that are not symmetric
    for (int j = 1; j < 5; ++j) staircase(0, j) = 1.0;
    for (int j = 2; j < 4; ++j) staircase(3, j) = 1.0;
    staircase(4, 3) = 1.0;
    QTest::newRow("nested, asymmetric") << staircase;
}

void TestMorphology::otherElementsMatchDirect()
{
    QFETCH(Image, element);
    NullProgress progress;
    for (int f = 0; f < 8; ++f)
        for (const auto &s : {std::pair{1, 1}, std::pair{3, 7}, std::pair{17, 12}}) {
            const Image in = makeImage(s.first, s.second, Fill(f), unsigned(f + 3));
            QVERIFY(sameBits(erodeImage(in, element, progress), reference::erode(in, element)));
            QVERIFY(sameBits(dilateImage(in, element, progress), reference::dilate(in, element)));
        }
}

void TestMorphology::largeDiscs_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("disc 25 on 80x60") << 25 << 80 << 60;
    QTest::newRow("disc 50 on 120x90") << 50 << 120 << 90;
    QTest::newRow("disc 60 on 7x130") << 60 << 7 << 130;
    // Wider than one strip of columns: the strips' shared columns.
    QTest::newRow("disc 13 on 1100x30") << 13 << 1100 << 30;
    QTest::newRow("disc 50 on 300x110") << 50 << 300 << 110;
}

// On every vector path the processor has.
void TestMorphology::largeDiscs()
{
    QFETCH(int, size);
    QFETCH(int, width);
    QFETCH(int, height);
    NullProgress progress;
    const Image el = makeStructEl(1, size);
    const Image in = makeImage(width, height, Fill::Gray, unsigned(size));
    const Image eroded = reference::erode(in, el), dilated = reference::dilate(in, el);
    for (int path = 0; path <= int(simd::supported()); ++path) {
        const simd::PathLimit limit{simd::Path(path)};
        QVERIFY2(sameBits(erodeImage(in, el, progress), eroded), simd::name(simd::Path(path)));
        QVERIFY2(sameBits(dilateImage(in, el, progress), dilated), simd::name(simd::Path(path)));
    }
}

void TestMorphology::singlePixel()
{
    NullProgress progress;
    const Image cross = makeStructEl(1, 1);
    Image dot(9, 9, 1, 1, 0.0);
    dot(4, 4) = 255.0;
    QCOMPARE(countValue(erodeImage(dot, cross, progress), 255.0), 0);
    const Image opened = dilateImage(erodeImage(dot, cross, progress), cross, progress);
    QCOMPARE(countValue(opened, 0.0), 81);
    QVERIFY(sameBits(topHatImage(dot, cross, progress), dot));
}

// Size 999 reaches every pixel of a 700 x 700 image from every pixel.
void TestMorphology::discOf999ReachesEverything()
{
    NullProgress progress;
    Image big(700, 700, 1, 1, 200.0);
    big(0, 0) = 3.0;
    big(699, 699) = 250.0;
    const Image el = makeStructEl(1, 999);
    QCOMPARE(countValue(erodeImage(big, el, progress), 3.0), 700 * 700);
    QCOMPARE(countValue(dilateImage(big, el, progress), 250.0), 700 * 700);
}

void TestMorphology::dilatedPixelIsClippedDisc()
{
    NullProgress progress;
    const Image disc2 = makeStructEl(1, 2);
    Image dot(11, 11, 1, 1, 0.0);
    dot(5, 5) = 255.0;
    const Image grown = dilateImage(dot, disc2, progress);
    QCOMPARE(countValue(grown, 255.0), 13);
    QCOMPARE(grown(5, 3), 255.0);
    QCOMPARE(grown(4, 4), 255.0);
    QCOMPARE(grown(4, 3), 0.0);
    Image corner(11, 11, 1, 1, 0.0);
    corner(0, 0) = 255.0;  // a quarter of the disc plus its two half axes: 6 pixels
    QCOMPARE(countValue(dilateImage(corner, disc2, progress), 255.0), 6);
}

void TestMorphology::constantImages_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("black") << 0.0;
    QTest::newRow("gray") << 131.5;
}

void TestMorphology::constantImages()
{
    QFETCH(double, value);
    NullProgress progress;
    const Image in(37, 23, 1, 1, value);
    const Image el = makeStructEl(1, 4);
    const int n = 37 * 23;
    QCOMPARE(countValue(erodeImage(in, el, progress), value), n);
    QCOMPARE(countValue(dilateImage(in, el, progress), value), n);
    QCOMPARE(countValue(dilateImage(erodeImage(in, el, progress), el, progress), value), n);
    QCOMPARE(countValue(topHatImage(in, el, progress), 0.0), n);
    QCOMPARE(countValue(gradientImage(in, el, progress), 0.0), n);
}

void TestMorphology::progressPasses_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("erosion") << 0 << QStringList{"Erosion"};
    QTest::newRow("dilation") << 1 << QStringList{"Dilation"};
    QTest::newRow("top-hat") << 2 << QStringList{"Erosion", "Dilation"};
    QTest::newRow("gradient") << 3 << QStringList{"Dilation", "Erosion"};
}

void TestMorphology::progressPasses()
{
    QFETCH(int, operation);
    QFETCH(QStringList, titles);
    RecordingProgress progress;
    const Image in = makeImage(350, 40, Fill::Gray, 5);
    const Image el = makeStructEl(1, 3);
    switch (operation) {
    case 0: erodeImage(in, el, progress); break;
    case 1: dilateImage(in, el, progress); break;
    case 2: topHatImage(in, el, progress); break;
    default: gradientImage(in, el, progress); break;
    }
    QCOMPARE(progress.titles, titles);
    for (int i = 0; i < titles.size(); ++i) {
        QCOMPARE(progress.maxima[i], 350);
        QCOMPARE(progress.lastValues[i], 350);
    }
}

void TestMorphology::refusesBadInput()
{
    NullProgress progress;
    Image in(5, 5, 1, 1, 1.0);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, erodeImage(in, makeStructEl(2, 0), progress));
    in(2, 2) = std::numeric_limits<double>::quiet_NaN();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, dilateImage(in, makeStructEl(1, 1), progress));
    QVERIFY(erodeImage(Image(), makeStructEl(1, 1), progress).is_empty());
}

void TestMorphology::tableRows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("erode") << "erode" << 0;
    QTest::newRow("dilate") << "dilate" << 1;
    QTest::newRow("open") << "open" << 2;
    QTest::newRow("close") << "close" << 3;
    QTest::newRow("tophat") << "tophat" << 5;
    QTest::newRow("gradient") << "gradient" << 6;
}

// The command-line rows compute what the functions compute, with size= checked.
void TestMorphology::tableRows()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    const OperationRow *row = findOperation(name);
    QVERIFY(row);
    QCOMPARE(int(row->code), code);
    NullProgress progress;
    const Image in = makeImage(30, 20, Fill::Gray, 11);
    const Image el = makeStructEl(1, 2);
    Image expected;
    switch (code) {
    case 0: expected = erodeImage(in, el, progress); break;
    case 1: expected = dilateImage(in, el, progress); break;
    case 2: expected = dilateImage(erodeImage(in, el, progress), el, progress); break;
    case 3: expected = erodeImage(dilateImage(in, el, progress), el, progress); break;
    case 5: expected = topHatImage(in, el, progress); break;
    default: expected = gradientImage(in, el, progress); break;
    }
    ImageModel model(in);
    model.duplicateCurrent();
    Params params;
    params.set("size", "2");
    Notes notes;
    row->run(model, ParamValues(*row, params), progress, notes);
    QVERIFY(sameBits(model.current(), expected));
    QCOMPARE(model.count(), 2);
    for (const char *bad : {"0", "1000", "-3", "2.5"}) {
        params.set("size", bad);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, row->run(model, ParamValues(*row, params), progress, notes));
    }
}

QTEST_APPLESS_MAIN(TestMorphology)
#include "test_morphology.moc"
