// Point operations, the fixed-range histogram and coverage thresholding.
#include <QtTest>
#include <cmath>
#include <limits>

#include "ops/filters/histogram.h"
#include "ops/core/imagehelpers.h"
#include "ops/table/operations.h"
#include "ops/filters/pointops.h"
#include "ops/core/progress.h"
#include "ops/segmentation/threshold.h"


namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

Image row(std::initializer_list<double> values)
{
    Image im(int(values.size()), 1, 1, 1, 0.0);
    int x = 0;
    for (const double v : values) im(x++, 0) = v;
    return im;
}

QList<double> valuesOf(const Image &im) { return QList<double>(im.begin(), im.end()); }

Image ramp(int w, int h)
{
    Image im(w, h, 1, 1, 0.0);
    for (int i = 0; i < int(im.size()); ++i) im[size_t(i)] = double(i % 256);
    return im;
}

Image runRow(const char *name, const Image &in, const Params &params, Notes &notes)
{
    ImageModel model(in);
    model.duplicateCurrent();
    NullProgress progress;
    findOperation(name)->run(model, ParamValues(*findOperation(name), params), progress, notes);
    return model.current();
}

}  // namespace

class TestPointOps : public QObject {
    Q_OBJECT
private slots:
    void invertTwiceRestores();
    void normalize_data();
    void normalize();
    void power_data();
    void power();
    void positiveInputsSpanFullRange_data();
    void positiveInputsSpanFullRange();
    void outsideTheDomain_data();
    void outsideTheDomain();
    void parametersChecked_data();
    void parametersChecked();
    void histogramBins_data();
    void histogramBins();
    void coverage_data();
    void coverage();
    void thresholdPreview_data();
    void thresholdPreview();
    void thresholdRow();
};

void TestPointOps::invertTwiceRestores()
{
    const Image in = ramp(17, 9);
    const Image once = getInverted(in, false);
    QCOMPARE(once(1, 0), 254.0);
    QCOMPARE(valuesOf(getInverted(once, false)), valuesOf(in));
    Notes notes;
    QCOMPARE(valuesOf(runRow("invert", in, Params(), notes)), valuesOf(once));
    QVERIFY_THROWS_EXCEPTION(cimg_library::CImgArgumentException, getInverted(Image(), false));
}

void TestPointOps::normalize_data()
{
    QTest::addColumn<Image>("input");
    QTest::addColumn<Image>("expected");
    QTest::newRow("constant gives zeros") << Image(4, 3, 1, 1, 77.0) << Image(4, 3, 1, 1, 0.0);
    QTest::newRow("0..255 stays") << ramp(16, 16) << ramp(16, 16);
    QTest::newRow("stretched") << row({10, 20, 30}) << row({0, 127.5, 255});
    QTest::newRow("infinities become the extremes") << row({-kInf, 5, 10, kInf}) << row({0, 0, 255, 255});
    QTest::newRow("NaN shows black") << row({kNaN, 2, 4}) << row({0, 0, 255});
}

void TestPointOps::normalize()
{
    QFETCH(Image, input);
    QFETCH(Image, expected);
    Notes notes;
    QCOMPARE(valuesOf(runRow("normalize", input, Params(), notes)), valuesOf(expected));
    QCOMPARE(notes.isEmpty(), allFinite(input));
}

void TestPointOps::power_data()
{
    QTest::addColumn<double>("exponent");
    QTest::addColumn<Image>("input");
    QTest::addColumn<Image>("expected");
    QTest::newRow("1 keeps 0..255") << 1.0 << ramp(16, 16) << ramp(16, 16);
    QTest::newRow("0 gives zeros") << 0.0 << ramp(16, 16) << Image(16, 16, 1, 1, 0.0);
    QTest::newRow("2 squares") << 2.0 << row({0, 1, 2}) << row({0, 255.0 / 4, 255});
    QTest::newRow("3 cubes, keeps the sign") << 3.0 << row({-1, 0, 1}) << row({0, 127.5, 255});
    QTest::newRow("5 through pow") << 5.0 << row({-1, 0, 1}) << row({0, 127.5, 255});
    QTest::newRow("0.5 is the square root") << 0.5 << row({0, 4, 16}) << row({0, 127.5, 255});
}

void TestPointOps::power()
{
    QFETCH(double, exponent);
    QFETCH(Image, input);
    QFETCH(Image, expected);
    Params params;
    params.set("exponent", exponent);
    Notes notes;
    QCOMPARE(valuesOf(runRow("power", input, params, notes)), valuesOf(expected));
    QVERIFY(notes.isEmpty());
}

void TestPointOps::positiveInputsSpanFullRange_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("log") << "log";
    QTest::newRow("sqrt") << "sqrt";
}

void TestPointOps::positiveInputsSpanFullRange()
{
    QFETCH(QString, operation);
    Image in = ramp(20, 20);
    for (double &v : in) v += 0.5;
    Notes notes;
    const Image out = runRow(qPrintable(operation), in, Params(), notes);
    QCOMPARE(out.min(), 0.0);
    QCOMPARE(out.max(), 255.0);
    QVERIFY(notes.isEmpty());
}

void TestPointOps::outsideTheDomain_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<double>("exponent");
    QTest::addColumn<Image>("input");
    QTest::addColumn<Image>("expected");
    QTest::addColumn<int>("noteCount");
    // Values with no result show black (the lowest result); overflows show white.
    QTest::newRow("log of 0 and negatives") << "log" << 0.0 << row({0, -4, 1, std::exp(2.0)}) << row({0, 0, 0, 255}) << 1;
    QTest::newRow("log of nothing valid") << "log" << 0.0 << row({0, -1}) << row({0, 0}) << 1;
    QTest::newRow("log of NaN and +inf") << "log" << 0.0 << row({kNaN, 1, kInf, std::exp(1.0)}) << row({0, 0, 255, 255}) << 2;
    QTest::newRow("sqrt of negatives") << "sqrt" << 0.0 << row({-9, 0, 4}) << row({0, 0, 255}) << 1;
    QTest::newRow("fractional power of negatives") << "power" << 1.5 << row({-8, 0, 4}) << row({0, 0, 255}) << 1;
    QTest::newRow("power overflow") << "power" << 100.0 << row({1e10, 0, 1}) << row({255, 0, 255}) << 1;
    QTest::newRow("power 2 overflow") << "power" << 2.0 << row({1e200, 0, 2e100}) << row({255, 0, 255}) << 1;
}

void TestPointOps::outsideTheDomain()
{
    QFETCH(QString, operation);
    QFETCH(double, exponent);
    QFETCH(Image, input);
    QFETCH(Image, expected);
    QFETCH(int, noteCount);
    Params params;
    if (operation == "power") params.set("exponent", exponent);
    Notes notes;
    const Image out = runRow(qPrintable(operation), input, params, notes);
    QVERIFY(allFinite(out));
    QCOMPARE(valuesOf(out), valuesOf(expected));
    QCOMPARE(notes.size(), noteCount);
}

void TestPointOps::parametersChecked_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("exponent above 100") << "power" << "exponent" << "100.5";
    QTest::newRow("exponent below 0") << "power" << "exponent" << "-1";
    QTest::newRow("exponent not a number") << "power" << "exponent" << "two";
    QTest::newRow("border above 255") << "threshold" << "border" << "256";
    QTest::newRow("border below 0") << "threshold" << "border" << "-1";
    QTest::newRow("invert not a flag") << "threshold" << "invert" << "2";
}

void TestPointOps::parametersChecked()
{
    QFETCH(QString, operation);
    QFETCH(QString, name);
    QFETCH(QString, value);
    Params params;
    params.set(name, value);
    Notes notes;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, runRow(qPrintable(operation), ramp(4, 4), params, notes));
}

void TestPointOps::histogramBins_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("bin");
    QTest::newRow("0") << 0.0 << 0;
    QTest::newRow("254.99") << 254.99 << 254;
    QTest::newRow("255") << 255.0 << 255;
    QTest::newRow("-0.5 truncates to bin 0") << -0.5 << 0;
    QTest::newRow("255.5 truncates to bin 255") << 255.5 << 255;
    QTest::newRow("256 is left out") << 256.0 << -1;
    QTest::newRow("-1 is left out") << -1.0 << -1;
    QTest::newRow("NaN is left out") << kNaN << -1;
    QTest::newRow("infinity is left out") << kInf << -1;
}

void TestPointOps::histogramBins()
{
    QFETCH(double, value);
    QFETCH(int, bin);
    const Image h = histogram256(row({value, 100.0}));
    QCOMPARE(h.width(), 256);
    QCOMPARE(h.sum(), bin < 0 ? 1.0 : 2.0);
    if (bin >= 0) QCOMPARE(h[size_t(bin)], bin == 100 ? 2.0 : 1.0);
}

void TestPointOps::coverage_data()
{
    QTest::addColumn<Image>("image");
    QTest::addColumn<int>("border");
    QTest::addColumn<int>("percent");
    Image half(10, 10, 1, 1, 0.0);
    for (int y = 5; y < 10; ++y)
        for (int x = 0; x < 10; ++x) half(x, y) = 200.0;
    QTest::newRow("half at 199") << half << 199 << 50;
    QTest::newRow("half at 200") << half << 200 << 100;
    QTest::newRow("border 255 covers all") << ramp(16, 16) << 255 << 100;
    QTest::newRow("border 0 counts zeros") << ramp(16, 16) << 0 << 0;  // 1 of 256: 0.39 %
    Image some(10, 10, 1, 1, 9.0);
    for (int i = 0; i < 29; ++i) some[size_t(i)] = 1.0;
    QTest::newRow("29 of 100 read 29") << some << 1 << 29;
    Image outside(4, 4, 1, 1, 300.0);
    QTest::newRow("nothing counted reads 0") << outside << 255 << 0;
}

void TestPointOps::coverage()
{
    QFETCH(Image, image);
    QFETCH(int, border);
    QFETCH(int, percent);
    QCOMPARE(coverageTable(histogram256(image))[size_t(border)], percent);
}

void TestPointOps::thresholdPreview_data()
{
    QTest::addColumn<Image>("input");
    QTest::addColumn<int>("border");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<Image>("expected");
    const Image values = row({-5, 0, 10, 199, 200, 255, 300});
    QTest::newRow("border value goes black") << values << 10 << false << row({0, 0, 0, 255, 255, 255, 255});
    QTest::newRow("inverted") << values << 10 << true << row({255, 255, 255, 0, 0, 0, 0});
    QTest::newRow("border 0") << values << 0 << false << row({0, 0, 255, 255, 255, 255, 255});
    QTest::newRow("border 255 all black") << ramp(4, 4) << 255 << false << Image(4, 4, 1, 1, 0.0);
    // Every pixel is covered: inverted, every pixel is white (a 0/1 image that is 0
    // everywhere would stay black if inverted against its own maximum).
    QTest::newRow("border 255 inverted all white") << ramp(4, 4) << 255 << true << Image(4, 4, 1, 1, 255.0);
}

void TestPointOps::thresholdPreview()
{
    QFETCH(Image, input);
    QFETCH(int, border);
    QFETCH(bool, invert);
    QFETCH(Image, expected);
    QCOMPARE(valuesOf(thresholdImage(input, border, invert)), valuesOf(expected));
    Params params;
    params.set("border", QString::number(border));
    params.set("invert", invert ? "1" : "0");
    Notes notes;
    QCOMPARE(valuesOf(runRow("threshold", input, params, notes)), valuesOf(expected));
}

void TestPointOps::thresholdRow()
{
    ImageModel model{Image()};
    NullProgress progress;
    Notes notes;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, findOperation("threshold")->run(model, ParamValues(*findOperation("threshold"), Params()), progress, notes));
    QCOMPARE(int(findOperation("threshold")->code), 20);
    QCOMPARE(int(findOperation("log")->code), 11);
    QCOMPARE(int(findOperation("sqrt")->code), 9);
    QCOMPARE(int(findOperation("normalize")->code), 7);
    QCOMPARE(int(findOperation("power")->code), 10);
    QCOMPARE(int(findOperation("invert")->code), 4);
}

QTEST_APPLESS_MAIN(TestPointOps)
#include "test_pointops.moc"
