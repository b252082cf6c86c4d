// Hysteresis thresholding: the linear growing against its pass-by-pass description, the
// coverage thresholds, the calculation's edge cases against a literal version of every
// step, the pre-step's checks, and the command line's parameters and run.
#include <QtTest>
#include <random>

#include "ops/segmentation/growing.h"
#include "ops/filters/histogram.h"
#include "ops/segmentation/hysteresis.h"
#include "ops/core/imagehelpers.h"
#include "ops/table/runs.h"
#include "ops/core/params.h"
#include "ops/core/progress.h"
#include "reference_growing.h"

namespace {

// Every step of one calculation as written: masks as 0/1 images made by inverting the
// "above threshold" marking by its own maximum, the ring as their XOR, the candidate list
// in row order, and the growing by passes.
Image literalCalculation(const Image &reference, double weakb, double hardb)
{
    const Image inv = getInverted(reference, false);
    const Image hist = histogram256(inv);
    const double n = double(inv.width()) * inv.height();
    auto threshold = [&](double target) {
        int k = 0;
        double sum = 0.0;
        while (sum / n < target && k < 256) sum += hist[k++];
        return k;
    };
    const int t1 = threshold(hardb), t2 = threshold(1.0 - weakb);
    auto mask = [&](int t) {
        Image above(inv, false);
        cimg_foroff(inv, i) above[i] = inv[i] > t ? 1.0 : 0.0;
        return getInverted(above, true);
    };
    const Image a = mask(t1), b = mask(t2);
    const int w = inv.width(), h = inv.height();
    GrowState state(inv.size());
    cimg_foroff(inv, i) state[i] = a[i] == 1.0 ? kGrowSeed : ((a[i] == 1.0) != (b[i] == 1.0) ? kGrowCandidate : kGrowBlocked);
    const GrowState grown = reference::passGrow(state, w, h);
    Image out(w, h, 1, 1, 0.0);
    cimg_foroff(out, i) out[i] = grown[i] == kGrowSeed ? 255.0 : 0.0;
    return out;
}

// A reference image drawn with characters: '#' a sure vessel (255), 'o' a ring pixel
// (200), '.' background (0).
Image referenceFromRows(const QStringList &rows)
{
    Image img(int(rows[0].size()), int(rows.size()), 1, 1, 0.0);
    cimg_forXY(img, x, y) img(x, y) = rows[y][x] == '#' ? 255.0 : (rows[y][x] == 'o' ? 200.0 : 0.0);
    return img;
}

Image binaryFromRows(const QStringList &rows)
{
    Image img(int(rows[0].size()), int(rows.size()), 1, 1, 0.0);
    cimg_forXY(img, x, y) img(x, y) = rows[y][x] == '#' ? 255.0 : 0.0;
    return img;
}

// Coverages that make exactly the '#' pixels sure vessels and the 'o' pixels the ring.
HystCoverages coveragesFor(const Image &reference)
{
    double sure = 0;
    for (const double v : reference) sure += v == 255.0;
    return {1.0 - (sure + 0.5) / double(reference.size()), 1e-9};
}

Image smoothRandomReference(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> noise(-40.0, 40.0);
    Image img(w, h, 1, 1);
    cimg_forXY(img, x, y) img(x, y) = 127.5 + 100.0 * std::sin(x * 0.3 + seed) * std::cos(y * 0.21) + noise(rng);
    normalizeTo255(img);
    return img;
}

class RecordingProgress : public Progress {
public:
    void start(const QString &title, const QString &label, int maximum) override
    {
        titles << title;
        labels << label;
        maxima << maximum;
    }
    void setLabel(const QString &label) override { labels << label; }
    void setValue(int value) override { values << value; }
    QStringList titles, labels;
    QList<int> maxima, values;
};

}  // namespace

class TestHysteresis : public QObject {
    Q_OBJECT

private slots:
    void growingMatchesPasses_data();
    void growingMatchesPasses();
    void growingChecksSize();
    void coverageThresholds_data();
    void coverageThresholds();
    void calculationMatchesLiteral_data();
    void calculationMatchesLiteral();
    void zeroReferenceGivesBlack();
    void zeroVesselCoverage();
    void ringConnectivity_data();
    void ringConnectivity();
    void calculationReportsSteps();
    void calculationNeedsReference();
    void preStepChecksInput_data();
    void preStepChecksInput();
    void preStepRange();
    void commandLineParameters_data();
    void commandLineParameters();
    void commandLineRun();
};

void TestHysteresis::growingMatchesPasses_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    for (const char *shape : {"random", "spiral", "comb"})
        for (const QSize size : {QSize(1, 1), QSize(1, 9), QSize(9, 1), QSize(2, 2), QSize(5, 8), QSize(40, 40),
                                 QSize(97, 31), QSize(31, 97)})
            QTest::newRow(qPrintable(QString("%1 %2x%3").arg(shape).arg(size.width()).arg(size.height())))
                << QString(shape) << size.width() << size.height();
}

void TestHysteresis::growingMatchesPasses()
{
    QFETCH(QString, shape);
    QFETCH(int, width);
    QFETCH(int, height);
    for (unsigned seed = 1; seed <= (shape == "random" ? 5u : 1u); ++seed) {
        const GrowState start = reference::shape(shape, width, height, seed);
        GrowState fast = start;
        growFromSeeds(fast, width, height);
        QVERIFY2(fast == reference::passGrow(start, width, height), qPrintable(QString("seed %1").arg(seed)));
        // Spirals and combs are one connected region: nothing may be left behind.
        if (shape != "random") QCOMPARE(std::count(fast.begin(), fast.end(), kGrowCandidate), 0);
    }
}

void TestHysteresis::growingChecksSize()
{
    GrowState s(11, kGrowCandidate);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, growFromSeeds(s, 3, 4));
    GrowState empty;
    growFromSeeds(empty, 0, 5);
    QVERIFY(empty.empty());
}

void TestHysteresis::coverageThresholds_data()
{
    QTest::addColumn<QList<int>>("bins");  // bin index, count pairs
    QTest::addColumn<double>("coverage");
    QTest::addColumn<int>("expected");
    QTest::newRow("zero coverage takes no bin") << QList<int>{0, 5, 10, 5} << 0.0 << 0;
    QTest::newRow("first bin reaches it") << QList<int>{0, 5, 10, 5} << 0.5 << 1;
    QTest::newRow("just above the first bin") << QList<int>{0, 5, 10, 5} << 0.51 << 11;
    QTest::newRow("whole image") << QList<int>{0, 5, 10, 5} << 1.0 << 11;
    QTest::newRow("unreachable stops at 256") << QList<int>{3, 5, 255, 4} << 1.0 << 256;
    QTest::newRow("empty histogram") << QList<int>{} << 0.06 << 256;
}

void TestHysteresis::coverageThresholds()
{
    QFETCH(QList<int>, bins);
    QFETCH(double, coverage);
    QFETCH(int, expected);
    Image hist(256, 1, 1, 1, 0.0);
    for (int i = 0; i + 1 < int(bins.size()); i += 2) hist[bins[i]] = bins[i + 1];
    QCOMPARE(coverageThreshold(hist, coverage, 10.0), expected);
}

void TestHysteresis::calculationMatchesLiteral_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("weakb");
    QTest::addColumn<double>("hardb");
    unsigned seed = 1;
    for (const HystPreset p : {HystPreset::Retina, HystPreset::SkinTransplant, HystPreset::CoronaryAngiogram}) {
        const HystCoverages c = hystPresetCoverages(p);
        QTest::newRow(qPrintable(QString("preset %1").arg(int(p)))) << 61 << 47 << c.weakb << c.hardb;
    }
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (; seed <= 8; ++seed) {
        const double a = u(rng), b = u(rng);
        QTest::newRow(qPrintable(QString("own values %1").arg(seed))) << 30 + int(seed) << 50 - int(seed) << a << b;
    }
    QTest::newRow("vessel above background") << 40 << 40 << 0.3 << 0.8;
    QTest::newRow("everything") << 40 << 40 << 0.0 << 1.0;
}

void TestHysteresis::calculationMatchesLiteral()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, weakb);
    QFETCH(double, hardb);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const Image ref = smoothRandomReference(width, height, seed);
        NullProgress none;
        QCOMPARE(hysteresisCalculate(ref, weakb, hardb, none), literalCalculation(ref, weakb, hardb));
    }
}

void TestHysteresis::zeroReferenceGivesBlack()
{
    // I = 255 everywhere: both thresholds are 256, no pixel lies above them, so both
    // masks are empty and nothing is white.
    const Image ref(20, 10, 1, 1, 0.0);
    const HystCoverages retina = hystPresetCoverages(HystPreset::Retina);
    const Image hist = histogram256(getInverted(ref, false));
    QCOMPARE(coverageThreshold(hist, retina.hardb, 200.0), 256);
    QCOMPARE(coverageThreshold(hist, 1.0 - retina.weakb, 200.0), 256);
    NullProgress none;
    const Image out = hysteresisCalculate(ref, retina.weakb, retina.hardb, none);
    QCOMPARE(out.max(), 0.0);
    QVERIFY(out.is_sameXYZC(ref));
}

void TestHysteresis::zeroVesselCoverage()
{
    // Vessel coverage 0: t1 = 0, only reference value 255 is a sure vessel. Background
    // coverage 100 % leaves no ring, so the result is exactly those pixels.
    Image ref = smoothRandomReference(33, 21, 4);
    cimg_forXY(ref, x, y) if ((x * 7 + y * 3) % 11 == 0) ref(x, y) = 255.0;
    NullProgress none;
    const Image out = hysteresisCalculate(ref, 1.0, 0.0, none);
    cimg_forXY(ref, x, y) QCOMPARE(out(x, y), ref(x, y) == 255.0 ? 255.0 : 0.0);
}

void TestHysteresis::ringConnectivity_data()
{
    QTest::addColumn<QStringList>("reference");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("diagonal contact kept") << QStringList{"......", ".#....", "..o...", "...o..", "......"}
                                           << QStringList{"......", ".#....", "..#...", "...#..", "......"};
    QTest::newRow("unconnected ring removed")
        << QStringList{"#.........", "..oooooo..", "..oooooo..", "..oooooo..", ".........#"}
        << QStringList{"#.........", "..........", "..........", "..........", ".........#"};
    QTest::newRow("long way round")
        << QStringList{"#o.ooooo", ".o.o...o", ".o.o.o.o", ".ooo.o.o", ".....ooo"}
        << QStringList{"##.#####", ".#.#...#", ".#.#.#.#", ".###.#.#", ".....###"};
    QTest::newRow("border ring") << QStringList{"oooooo", "o....o", "o...#o", "oooooo"}
                                 << QStringList{"######", "#....#", "#...##", "######"};
}

void TestHysteresis::ringConnectivity()
{
    QFETCH(QStringList, reference);
    QFETCH(QStringList, expected);
    const Image ref = referenceFromRows(reference);
    const HystCoverages c = coveragesFor(ref);
    NullProgress none;
    QCOMPARE(hysteresisCalculate(ref, c.weakb, c.hardb, none), binaryFromRows(expected));
}

void TestHysteresis::calculationReportsSteps()
{
    RecordingProgress progress;
    hysteresisCalculate(smoothRandomReference(16, 16, 1), 0.87, 0.06, progress);
    QCOMPARE(progress.titles, QStringList{"Hysteresis Thresholding"});
    QCOMPARE(progress.maxima, QList<int>{100});
    QCOMPARE(progress.labels, (QStringList{"Normalizing ...", "Calculate histogram ...", "Calculate thresholded images ...",
                                           "Calculate combined thresholded image ..."}));
    QCOMPARE(progress.values, (QList<int>{51, 68, 85, 100}));
}

void TestHysteresis::calculationNeedsReference()
{
    NullProgress none;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, hysteresisCalculate(Image(), 0.87, 0.06, none));
}

void TestHysteresis::preStepChecksInput_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("disc");
    QTest::newRow("empty") << 0 << 0 << 13;
    QTest::newRow("too narrow") << 3 << 40 << 13;
    QTest::newRow("too low") << 40 << 3 << 13;
    QTest::newRow("disc 0") << 40 << 40 << 0;
}

void TestHysteresis::preStepChecksInput()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, disc);
    NullProgress none;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, hysteresisPreStep(Image(width, height, 1, 1, 5.0), disc, none));
}

void TestHysteresis::preStepRange()
{
    Image img(48, 36, 1, 1, 20.0);
    cimg_forXY(img, x, y) if (std::abs(x - y) <= 1) img(x, y) = 220.0;
    NullProgress none;
    const Image ref = hysteresisPreStep(img, 5, none);
    QVERIFY(ref.is_sameXYZC(img));
    QCOMPARE(ref.min(), 0.0);
    QCOMPARE(ref.max(), 255.0);
    QCOMPARE(img(0, 0), 220.0);  // the input is not changed
}

void TestHysteresis::commandLineParameters_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<double>("weakb");  // -1: a usage error
    QTest::addColumn<double>("hardb");
    QTest::newRow("default is retina") << QStringList{} << 0.87 << 0.06;
    QTest::newRow("skin") << QStringList{"preset=skin"} << 0.85 << 0.03;
    QTest::newRow("coronary") << QStringList{"preset=coronary"} << 0.84 << 0.001;
    QTest::newRow("own values") << QStringList{"vessel=5", "background=80"} << 0.8 << 0.05;
    QTest::newRow("own vessel only") << QStringList{"vessel=10"} << 0.85 << 0.1;
    QTest::newRow("own equal") << QStringList{"vessel=40", "background=40"} << 0.4 << 0.4;
    QTest::newRow("vessel above background") << QStringList{"vessel=50", "background=40"} << -1.0 << 0.0;
    QTest::newRow("vessel negative") << QStringList{"vessel=-1"} << -1.0 << 0.0;
    QTest::newRow("background above 100") << QStringList{"background=100.5"} << -1.0 << 0.0;
    QTest::newRow("not a number") << QStringList{"vessel=abc"} << -1.0 << 0.0;
    QTest::newRow("unknown preset") << QStringList{"preset=lung"} << -1.0 << 0.0;
}

void TestHysteresis::commandLineParameters()
{
    QFETCH(QStringList, args);
    QFETCH(double, weakb);
    QFETCH(double, hardb);
    Params params;
    for (const QString &a : args) params.set(a.section('=', 0, 0), a.section('=', 1));
    const OperationRow &row = operationRow(OpCode::HystThres);
    if (weakb < 0) {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, hysteresisCoverages(ParamValues(row, params)));
        return;
    }
    const HystCoverages c = hysteresisCoverages(ParamValues(row, params));
    QCOMPARE(c.weakb, weakb);
    QCOMPARE(c.hardb, hardb);
}

void TestHysteresis::commandLineRun()
{
    const OperationRow *row = findOperation("hysteresis");
    QVERIFY(row && row->run);

    Image img(40, 30, 1, 1, 30.0);
    cimg_forXY(img, x, y) if (std::abs(x - 2 * y) <= 1) img(x, y) = 200.0;
    ImageModel model(img);
    model.duplicateCurrent();
    Params params;
    params.set("disc", "5");
    NullProgress none;
    Notes notes;
    row->run(model, ParamValues(*row, params), none, notes);
    QCOMPARE(model.count(), 2);
    QCOMPARE(model.currentIndex, 1);
    QCOMPARE(*model.image(0), img);
    QCOMPARE(model.referenceImage, hysteresisPreStep(img, 5, none));
    QCOMPARE(model.current(), hysteresisCalculate(model.referenceImage, 0.87, 0.06, none));

    Params bad;
    bad.set("disc", "0");
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, row->run(model, ParamValues(*row, bad), none, notes));
}

QTEST_APPLESS_MAIN(TestHysteresis)
#include "test_hysteresis.moc"
