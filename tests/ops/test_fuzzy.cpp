// Fuzzy clustering: the streaming c-means against the plain per-pixel algorithm, the
// clusters that have no centre, the median split, the structure mask and the connected
// refinement against its pass-by-pass description.
#include <QtTest>
#include <cmath>
#include <random>

#include "ops/core/execution.h"
#include "ops/segmentation/fuzzy.h"
#include "ops/core/imagehelpers.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "ops/core/simd.h"
#include "reference_growing.h"
#include "ops/tablesupport.h"

namespace {

// ---- the plain algorithms, written as described ----

std::vector<double> featureVector(int x, int y, const ImageList &features)
{
    std::vector<double> v;
    for (const Image &f : features) v.push_back(f(x, y));
    return v;
}

struct PlainResult {
    ImageList memberships;
    ImageList centres;
    ImageList segmentations;
};

Image plainCentre(const Image &u, const ImageList &features, bool vessel)
{
    std::vector<double> num(features.size(), 0.0);
    double den = 0.0;
    for (int y = 0; y < u.height(); ++y)
        for (int x = 0; x < u.width(); ++x) {
            // u^1.5 as u * sqrt(u), the evaluation the program fixes for every maths library.
            const double v = vessel ? u(x, y) : 1.0 - u(x, y);
            const double w = v * std::sqrt(v);
            const std::vector<double> f = featureVector(x, y, features);
            den += w;
            for (size_t k = 0; k < f.size(); ++k) num[k] += w * f[k];
        }
    Image c(int(features.size()), 1, 1, 1);
    for (size_t k = 0; k < num.size(); ++k) c[k] = num[k] / den;
    return c;
}

double squaredDistance(const std::vector<double> &v, const Image &c)
{
    double d = 0.0;
    for (size_t k = 0; k < v.size(); ++k) d += (v[k] - c[k]) * (v[k] - c[k]);
    return d;
}

PlainResult plainCMeans(const Image &initial, int maxIterations, const ImageList &features)
{
    PlainResult r;
    r.memberships.push_back(initial);
    double change = 1000.0;
    for (int l = 0; l < maxIterations && change > 1.0; ++l) {
        const Image u = r.memberships[l];
        const Image cv = plainCentre(u, features, true);
        const Image cb = plainCentre(u, features, false);
        r.centres.push_back(cv);
        r.centres.push_back(cb);
        Image un(u.width(), u.height(), 1, 1);
        for (int y = 0; y < u.height(); ++y)
            for (int x = 0; x < u.width(); ++x) {
                const std::vector<double> v = featureVector(x, y, features);
                const double dv = squaredDistance(v, cv), db = squaredDistance(v, cb);
                // e = 1 / (m - 1) = 2: the ratios are squared.
                un(x, y) = dv == 0.0 ? (db == 0.0 ? 0.5 : 1.0) : 1.0 / ((dv / dv) * (dv / dv) + (dv / db) * (dv / db));
            }
        r.memberships.push_back(un);
        Image seg(u.width(), u.height(), 1, 1, 0.0);
        cimg_forXY(seg, x, y) seg(x, y) = un(x, y) >= 0.5 ? 255.0 : 0.0;
        r.segmentations.push_back(seg);
        double sum = 0.0;
        cimg_forXY(un, x, y) sum += (un(x, y) - u(x, y)) * (un(x, y) - u(x, y));
        change = std::sqrt(sum);
    }
    return r;
}

// Step 5 as described: passes over the seed list (every white pixel in row order) until
// a pass changes nothing.
Image plainRefinement(const Image &c, const GrowState &m0)
{
    const int w = c.width(), h = c.height();
    std::vector<uint8_t> m(size_t(w) * h);
    std::vector<int> seeds;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = x + y * w;
            m[i] = m0[i] && c(x, y) == 255.0;
            if (c(x, y) == 255.0) seeds.push_back(i);
        }
    for (bool changed = true; changed;) {
        changed = false;
        std::vector<int> rest;
        for (const int p : seeds) {
            const int x = p % w, y = p / w;
            bool touch = false;
            for (int dy = -1; dy <= 1 && !touch; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if ((dx || dy) && nx >= 0 && ny >= 0 && nx < w && ny < h && m[nx + ny * w]) touch = true;
                }
            if (touch) {
                changed = changed || !m[p];
                m[p] = 1;
            } else {
                rest.push_back(p);
            }
        }
        seeds.swap(rest);
    }
    Image out(w, h, 1, 1, 0.0);
    for (int i = 0; i < w * h; ++i) out[i] = m[i] ? 255.0 : 0.0;
    return out;
}

// ---- test data ----

ImageList randomFeatures(int w, int h, unsigned seed, bool clustered)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> any(0.0, 255.0);
    std::normal_distribution<double> noise(0.0, 20.0);
    std::bernoulli_distribution vessel(0.2);
    Image label(w, h, 1, 1);
    cimg_forXY(label, x, y) label(x, y) = vessel(rng);
    ImageList f;
    for (int k = 0; k < 5; ++k) {
        Image img(w, h, 1, 1);
        cimg_forXY(img, x, y) img(x, y) = clustered ? (label(x, y) ? 180.0 : 60.0) + noise(rng) : any(rng);
        f.push_back(img);
    }
    return f;
}

Image randomMembership(int w, int h, unsigned seed, bool hard)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    Image m(w, h, 1, 1);
    cimg_forXY(m, x, y) m(x, y) = hard ? (u(rng) < 0.3 ? 1.0 : 0.0) : u(rng);
    return m;
}

struct Run {
    FuzzyResult result;
    ImageList segmentations;
    Notes notes;
};

Run runCMeans(const Image &initial, const ImageList &features, int maxIterations = kFuzzyMaxIterations,
              Progress *progress = nullptr)
{
    Run run;
    NullProgress none;
    run.result = fuzzyCMeans(initial, maxIterations, features, progress ? *progress : none,
                             [&](PackedBinary &&seg) { run.segmentations.push_back(seg.unpack()); }, run.notes);
    return run;
}

// Records what the clustering reports.
class RecordingProgress : public Progress {
public:
    void start(const QString &title, const QString &label, int maximum) override
    {
        titles << title;
        labels << label;
        this->maximum = maximum;
    }
    void setLabel(const QString &label) override { labels << label; }
    void setValue(int value) override { values << value; }
    void processEvents() override { ++events; }
    QStringList titles, labels;
    QList<int> values;
    int maximum = -1, events = 0;
};

Image binaryFromRows(const QStringList &rows)
{
    Image img(int(rows[0].size()), int(rows.size()), 1, 1, 0.0);
    cimg_forXY(img, x, y) img(x, y) = rows[y][x] == '#' ? 255.0 : 0.0;
    return img;
}

GrowState maskFromRows(const QStringList &rows)
{
    GrowState m;
    for (const QString &r : rows)
        for (const QChar ch : r) m.push_back(ch == '+' ? 1 : 0);
    return m;
}

}  // namespace

class TestFuzzy : public QObject {
    Q_OBJECT

private slots:
    void streamingMatchesPlain_data();
    void streamingMatchesPlain();
    void pathsAndThreadsMatchPlain_data();
    void pathsAndThreadsMatchPlain();
    void oneIterationConvergence();
    void progressReports();
    void clusterWithoutWeight_data();
    void clusterWithoutWeight();
    void pixelAtVesselCentre();
    void coincidingCentres();
    void rejectsBadFeatures();
    void initialSplit_data();
    void initialSplit();
    void structureMaskMarksEdges();
    void refinementMatchesPasses_data();
    void refinementMatchesPasses();
    void refinementKeepsTouchingComponentsWhole();
    void commandLineName();
    void runAppendsEveryIteration();
    void runOnConstantImage();
    void runRejectsTinyImage();
};

void TestFuzzy::streamingMatchesPlain_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<bool>("clustered");
    QTest::addColumn<bool>("hardStart");
    QTest::newRow("uniform noise, hard split") << 23 << 17 << 1u << false << true;
    QTest::newRow("uniform noise, soft start") << 16 << 16 << 2u << false << false;
    QTest::newRow("two clusters, hard split") << 40 << 30 << 3u << true << true;
    QTest::newRow("two clusters, soft start") << 31 << 9 << 4u << true << false;
    QTest::newRow("one row") << 64 << 1 << 5u << true << true;
    QTest::newRow("one column") << 1 << 50 << 6u << false << true;
}

void TestFuzzy::streamingMatchesPlain()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(unsigned, seed);
    QFETCH(bool, clustered);
    QFETCH(bool, hardStart);
    const ImageList features = randomFeatures(width, height, seed, clustered);
    const Image initial = randomMembership(width, height, seed + 100, hardStart);
    const PlainResult plain = plainCMeans(initial, kFuzzyMaxIterations, features);
    const Run fast = runCMeans(initial, features);

    QCOMPARE(fast.result.iterations, int(plain.segmentations.size()));
    QCOMPARE(int(fast.segmentations.size()), int(plain.segmentations.size()));
    for (size_t l = 0; l < plain.segmentations.size(); ++l)
        QVERIFY2(sameBits(fast.segmentations[l], plain.segmentations[l]), qPrintable(QString("iteration %1").arg(l + 1)));
    QCOMPARE(int(fast.result.centres.size()), int(plain.centres.size()));
    for (size_t c = 0; c < plain.centres.size(); ++c) QVERIFY(sameBits(fast.result.centres[c], plain.centres[c]));
    QVERIFY(sameBits(fast.result.membership, plain.memberships.back()));
}

void TestFuzzy::pathsAndThreadsMatchPlain_data()
{
    // Large enough for the pass to split its chunks between two threads, with a partial
    // last chunk and a partial last word of the segmentation.
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("kind");  // 0 uniform noise, 1 two clusters, 2 vessel pixels on their centre
    QTest::newRow("uniform noise") << 301 << 250 << 21u << 0;
    QTest::newRow("two clusters, soft start") << 257 << 300 << 22u << 1;
    QTest::newRow("vessel pixels on the centre") << 300 << 229 << 23u << 2;
}

void TestFuzzy::pathsAndThreadsMatchPlain()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(unsigned, seed);
    QFETCH(int, kind);
    const int iterations = 3;
    ImageList features = randomFeatures(width, height, seed, kind == 1);
    Image initial = randomMembership(width, height, seed + 100, kind != 1);
    if (kind == 2)
        cimg_forXY(initial, x, y) if (initial(x, y)) for (Image &f : features) f(x, y) = 128.0;
    const PlainResult plain = plainCMeans(initial, iterations, features);
    QStringList firstNotes;
    for (const simd::Path path : {simd::Path::Baseline, simd::supported()})
        for (const int threads : {1, 2, 3}) {
            const simd::PathLimit limit(path);
            const execution::ThreadBudget budget(threads);
            const Run run = runCMeans(initial, features, iterations);
            const QString where = QString("%1, %2 threads").arg(simd::name(path)).arg(threads);
            QCOMPARE(int(run.segmentations.size()), int(plain.segmentations.size()));
            for (size_t l = 0; l < plain.segmentations.size(); ++l)
                QVERIFY2(sameBits(run.segmentations[l], plain.segmentations[l]), qPrintable(where));
            for (size_t c = 0; c < plain.centres.size(); ++c)
                QVERIFY2(sameBits(run.result.centres[c], plain.centres[c]), qPrintable(where));
            QVERIFY2(sameBits(run.result.membership, plain.memberships.back()), qPrintable(where));
            if (firstNotes.isEmpty()) firstNotes = run.notes;
            QCOMPARE(run.notes, firstNotes);
        }
    QCOMPARE(firstNotes.join(' ').contains("vessel centre"), kind == 2);
}

void TestFuzzy::oneIterationConvergence()
{
    // Two tight clusters and a start that already separates them: the first iteration
    // changes the memberships by far less than 1.
    ImageList features = randomFeatures(20, 20, 7, true);
    Image initial(20, 20, 1, 1);
    cimg_forXY(initial, x, y) initial(x, y) = features[0](x, y) > 120.0 ? 1.0 : 0.0;
    for (Image &f : features) cimg_forXY(f, x, y) f(x, y) = initial(x, y) ? 200.0 + 1e-3 * x : 10.0 + 1e-3 * y;
    const Run run = runCMeans(initial, features);
    QCOMPARE(run.result.iterations, 1);
    QCOMPARE(int(run.segmentations.size()), 1);
    QVERIFY(run.result.change <= 1.0);
    cimg_forXY(initial, x, y) QCOMPARE(run.segmentations[0](x, y), initial(x, y) * 255.0);
}

void TestFuzzy::progressReports()
{
    const ImageList features = randomFeatures(12, 12, 8, false);
    const Image initial = randomMembership(12, 12, 9, true);
    RecordingProgress progress;
    const Run run = runCMeans(initial, features, 3, &progress);
    QCOMPARE(progress.titles, QStringList{"Fuzzy clustering"});
    QCOMPARE(progress.labels.value(0), QString("Initialize clustering algorithm ..."));
    QCOMPARE(progress.labels.value(1), QString("1. iteration ..."));
    QCOMPARE(progress.maximum, 100);
    QCOMPARE(progress.values.value(0), 0);  // 100 / 1000, truncated
    QCOMPARE(progress.events, run.result.iterations);
    for (const int v : progress.values) QVERIFY(v >= 0 && v <= 100);
}

void TestFuzzy::clusterWithoutWeight_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("expected");
    QTest::newRow("all background") << 0.0 << 0.0;
    QTest::newRow("all vessel") << 1.0 << 255.0;
}

void TestFuzzy::clusterWithoutWeight()
{
    QFETCH(double, start);
    QFETCH(double, expected);
    const ImageList features = randomFeatures(10, 8, 10, false);
    const Image initial(10, 8, 1, 1, start);
    const Run run = runCMeans(initial, features);
    QCOMPARE(run.result.iterations, 1);
    QCOMPARE(int(run.segmentations.size()), 1);
    QCOMPARE(run.segmentations[0].min(), expected);
    QCOMPARE(run.segmentations[0].max(), expected);
    QCOMPARE(run.result.change, 0.0);
    QVERIFY(allFinite(run.result.membership));
    QCOMPARE(run.notes.size(), 1);
    QVERIFY(run.notes[0].contains("stopped in iteration 1"));
}

void TestFuzzy::pixelAtVesselCentre()
{
    // Every vessel pixel has the same feature vector and the split is hard, so the vessel
    // centre is exactly that vector and its distance is 0.
    const int w = 9, h = 7;
    Image initial(w, h, 1, 1, 0.0);
    ImageList features(5, w, h, 1, 1, 0.0);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> low(0.0, 50.0);
    cimg_forXY(initial, x, y)
    {
        initial(x, y) = (x + y) % 3 == 0;
        for (Image &f : features) f(x, y) = initial(x, y) ? 128.0 : low(rng);
    }
    const Run run = runCMeans(initial, features, 1);
    QVERIFY(allFinite(run.result.membership));
    cimg_forXY(initial, x, y) if (initial(x, y)) QCOMPARE(run.result.membership(x, y), 1.0);
    QVERIFY(run.notes.join(' ').contains("vessel centre"));
    const PlainResult plain = plainCMeans(initial, 1, features);
    QVERIFY(sameBits(run.result.membership, plain.memberships.back()));
}

void TestFuzzy::coincidingCentres()
{
    // Constant features: both centres are the constant, every pixel lies on both.
    const ImageList features(5, 6, 6, 1, 1, 42.0);
    const Run run = runCMeans(randomMembership(6, 6, 12, true), features);
    QVERIFY(run.result.iterations >= 1);
    QVERIFY(allFinite(run.result.membership));
    QCOMPARE(run.result.membership.min(), 0.5);
    QCOMPARE(run.result.membership.max(), 0.5);
    QVERIFY(run.notes.join(' ').contains("coincided"));
}

void TestFuzzy::rejectsBadFeatures()
{
    const Image initial(4, 4, 1, 1, 0.0);
    ImageList four(4, 4, 4, 1, 1, 0.0);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, runCMeans(initial, four));
    ImageList wrongSize(5, 4, 4, 1, 1, 0.0);
    wrongSize[3].assign(5, 4, 1, 1, 0.0);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, runCMeans(initial, wrongSize));
    ImageList nan(5, 4, 4, 1, 1, 0.0);
    nan[2](1, 1) = std::nan("");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, runCMeans(initial, nan));
}

void TestFuzzy::initialSplit_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QList<double>>("expected");
    // bins 0 and 1 hold half the pixels: t = 2, so only values above 2 are vessel.
    QTest::newRow("median bin 1") << QList<double>{0, 0, 1, 1, 2, 2, 3, 3} << QList<double>{0, 0, 0, 0, 0, 0, 1, 1};
    QTest::newRow("fractions share a bin") << QList<double>{0.2, 0.9, 1.5, 2.5} << QList<double>{0, 0, 1, 1};
    QTest::newRow("constant zero") << QList<double>{0, 0, 0, 0} << QList<double>{0, 0, 0, 0};
    QTest::newRow("constant white") << QList<double>{255, 255, 255, 255} << QList<double>{0, 0, 0, 0};
    // Values outside 0..255 are not counted: only bin 0 holds 1 of 4 pixels, so the
    // search runs to its end (t = 256) and nothing is vessel.
    QTest::newRow("out of range") << QList<double>{0, 300, 400, -5} << QList<double>{0, 1, 1, 0};
}

void TestFuzzy::initialSplit()
{
    QFETCH(QList<double>, values);
    QFETCH(QList<double>, expected);
    Image f1(int(values.size()), 1, 1, 1);
    for (int i = 0; i < int(values.size()); ++i) f1[i] = values[i];
    const Image u = initialMembership(f1);
    for (int i = 0; i < int(values.size()); ++i) QCOMPARE(u[i], expected[i]);
}

void TestFuzzy::structureMaskMarksEdges()
{
    Image flat(32, 24, 1, 1, 77.0);
    for (const uint8_t m : structureMask(flat)) QCOMPARE(int(m), 0);

    Image step(40, 30, 1, 1, 0.0);
    cimg_forXY(step, x, y) step(x, y) = x >= 20 ? 200.0 : 0.0;
    const GrowState mask = structureMask(step);
    QCOMPARE(mask.size(), step.size());
    QVERIFY(mask[20 + 15 * 40]);  // on the edge
    QVERIFY(!mask[0 + 15 * 40]);  // far from it
    QVERIFY(!mask[39 + 15 * 40]);
}

void TestFuzzy::refinementMatchesPasses_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("size");
    QTest::addColumn<unsigned>("seed");
    for (const char *shape : {"random", "spiral", "comb"})
        for (const int size : {1, 2, 7, 33, 64}) {
            QTest::newRow(qPrintable(QString("%1 %2").arg(shape).arg(size))) << QString(shape) << size << unsigned(size);
        }
}

void TestFuzzy::refinementMatchesPasses()
{
    QFETCH(QString, shape);
    QFETCH(int, size);
    QFETCH(unsigned, seed);
    const int w = size, h = size + 3;
    const GrowState state = reference::shape(shape, w, h, seed);
    Image c(w, h, 1, 1, 0.0);
    GrowState m0(c.size(), 0);
    for (size_t i = 0; i < state.size(); ++i) {
        c[i] = state[i] == kGrowBlocked ? 0.0 : 255.0;
        m0[i] = state[i] == kGrowSeed;
    }
    // Marks outside the white pixels do not count.
    m0[0] = 1;
    QCOMPARE(connectedRefinement(c, m0), plainRefinement(c, m0));
}

void TestFuzzy::refinementKeepsTouchingComponentsWhole()
{
    const QStringList seg = {
        "##....#",
        "##...#.",
        ".....#.",
        "#......",
        "##..###",
    };
    const QStringList mask = {
        ".......",
        ".......",
        "+......",  // on black: marks nothing
        "+.....+",  // a border pixel of the lower-left component; then black again
        "....+..",  // inside the lower-right component
    };
    const QStringList expected = {
        ".......",
        ".......",
        ".......",
        "#......",
        "##..###",
    };
    const Image out = connectedRefinement(binaryFromRows(seg), maskFromRows(mask));
    QCOMPARE(out, binaryFromRows(expected));
}

void TestFuzzy::commandLineName()
{
    const OperationRow *row = findOperation("fuzzy");
    QVERIFY(row && row->run);
}

void TestFuzzy::runAppendsEveryIteration()
{
    // Bright lines on a dark, slightly noisy background.
    Image img(64, 48, 1, 1);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(0.0, 30.0);
    cimg_forXY(img, x, y) img(x, y) = (std::abs(x - y) <= 1 || y == 30 || x == 50) ? 220.0 : 20.0 + noise(rng);
    ImageModel model(img);
    model.duplicateCurrent();
    NullProgress none;
    Notes notes;
    operationRow(OpCode::FuzzyClust).run(model, {}, none, notes);

    // The source, the untouched working copy, one segmentation per iteration, the result.
    const int iterations = model.count() - 3;
    QVERIFY(iterations >= 1 && iterations <= kFuzzyMaxIterations);
    QCOMPARE(model.currentIndex, model.count() - 1);
    QCOMPARE(*model.image(1), img);
    for (int i = 2; i < model.count(); ++i) {
        const Image seg = *model.image(i);
        QVERIFY(seg.is_sameXYZC(img));
        for (const double v : seg) QVERIFY(v == 0.0 || v == 255.0);
    }
    const Image last = *model.image(model.count() - 2);
    QCOMPARE(model.previewImage, last);
    QCOMPARE(model.current(), connectedRefinement(last, structureMask(img)));
    QVERIFY(model.current().max() == 255.0);
}

void TestFuzzy::runOnConstantImage()
{
    // No structure, no top-hat response: the initial split is all background, the vessel
    // cluster has no centre. One segmentation and the result, both black, and a note.
    ImageModel model(Image(24, 16, 1, 1, 90.0));
    model.duplicateCurrent();
    NullProgress none;
    Notes notes;
    operationRow(OpCode::FuzzyClust).run(model, {}, none, notes);
    QCOMPARE(model.count(), 4);
    QCOMPARE(model.currentIndex, 3);
    QCOMPARE((*model.image(2)).max(), 0.0);
    QCOMPARE((*model.image(3)).max(), 0.0);
    QVERIFY(!notes.isEmpty());
}

void TestFuzzy::runRejectsTinyImage()
{
    ImageModel model(Image(7, 30, 1, 1, 1.0));
    model.duplicateCurrent();
    NullProgress none;
    Notes notes;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, operationRow(OpCode::FuzzyClust).run(model, {}, none, notes));
    QCOMPARE(model.count(), 2);
}

QTEST_APPLESS_MAIN(TestFuzzy)
#include "test_fuzzy.moc"
