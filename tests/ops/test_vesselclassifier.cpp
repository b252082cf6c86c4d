// The vessel classifier: features, field of view, learning and predicting, model files.
#include <QTemporaryDir>
#include <QtTest>

#include "ops/measure/evaluation.h"
#include "ops/core/execution.h"
#include "ops/classify/fieldofview.h"
#include "ops/classify/vesselmodel.h"
#include "syntheticfundus.h"

namespace {

// A horizontal bright ridge of the given width on a flat background, and the same ridge dark.
Image ridge(int w, int h, int width, bool bright)
{
    Image image(w, h, 1, 1, bright ? 40.0 : 215.0);
    for (int y = h / 2 - width / 2; y < h / 2 - width / 2 + width; ++y)
        for (int x = 0; x < w; ++x) image(x, y) = bright ? 215.0 : 40.0;
    return image;
}

Image allInside(int w, int h) { return Image(w, h, 1, 1, kWhite); }

int featureIndex(const QString &name) { return int(vesselFeatureNames().indexOf(name)); }

// The line detector written directly from its definition, for comparison with the fast pass.
double plainLine(const Image &img, int x, int y, int length, int window)
{
    auto at = [&](int u, int v) { return img(std::clamp(u, 0, img.width() - 1), std::clamp(v, 0, img.height() - 1)); };
    double windowSum = 0.0;
    for (int dy = -window / 2; dy <= window / 2; ++dy)
        for (int dx = -window / 2; dx <= window / 2; ++dx) windowSum += at(x + dx, y + dy);
    double best = -1e300;
    for (int k = 0; k < 12; ++k) {
        const double a = k * M_PI / 12, c = std::cos(a), s = std::sin(a);
        double sum = 0.0;
        for (int t = -length / 2; t <= length / 2; ++t)
            sum += std::abs(c) >= std::abs(s) ? at(x + t, y + int(std::lround(t * s / c)))
                                               : at(x + int(std::lround(t * c / s)), y + t);
        best = std::max(best, sum / length);
    }
    return best - windowSum / (window * window);
}

VesselModel trainOn(const std::vector<synth::Fundus> &scenes, int threads)
{
    const execution::ThreadBudget budget(threads);
    TrainingSamples samples;
    for (size_t i = 0; i < scenes.size(); ++i)
        addTrainingPixels(samples, computeVesselFeatures(scenes[i].image, scenes[i].fov, Polarity::Dark),
                          labelsFromTruth(scenes[i].truth, scenes[i].fov), 4000, uint32_t(i + 1));
    TreeSettings settings;
    settings.rounds = 20;
    return trainVesselModel(samples, Channel::Gray, Polarity::Dark, threads, settings);
}

double diceOf(const Image &segmentation, const synth::Fundus &scene)
{
    return evaluationFigures(confusionCounts(segmentation, scene.truth, &scene.fov)).dice;
}

}  // namespace

class TestVesselClassifier : public QObject {
    Q_OBJECT
private slots:
    void polarityTurnsDarkIntoBright_data();
    void polarityTurnsDarkIntoBright();
    void constantImageGivesZero();
    void ridgeFeaturesPeakOnTheRidge();
    void lineDetectorMatchesDefinition();
    void featuresIndependentOfThreadCount();
    void refusesBadInput_data();
    void refusesBadInput();
    void fieldOfViewOfSyntheticFundus_data();
    void fieldOfViewOfSyntheticFundus();
    void surroundIsReplacedByContinuation();
    void learnsSyntheticVessels();
    void segmentationClearsSpecks();
    void trainingIsDeterministic();
    void modelFileRoundTrip();
    void refusesDamagedAndForeignModels_data();
    void refusesDamagedAndForeignModels();
};

void TestVesselClassifier::polarityTurnsDarkIntoBright_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("thin ridge") << 1;
    QTest::newRow("medium ridge") << 3;
    QTest::newRow("wide ridge") << 7;
}

void TestVesselClassifier::polarityTurnsDarkIntoBright()
{
    QFETCH(int, width);
    const Image fov = allInside(40, 32);
    const FeatureStack bright = computeVesselFeatures(ridge(40, 32, width, true), fov, Polarity::Bright);
    const FeatureStack dark = computeVesselFeatures(ridge(40, 32, width, false), fov, Polarity::Dark);
    QCOMPARE(bright.count, int(vesselFeatureNames().size()));
    QVERIFY(bright.values == dark.values);
}

void TestVesselClassifier::constantImageGivesZero()
{
    const std::vector<Image> raw = rawVesselFeatures(Image(32, 32, 1, 1, 120.0));
    for (const QString &name : vesselFeatureNames())
        if (name.startsWith("ridge") || name.startsWith("tophat") || name.startsWith("line") || name.startsWith("gradient"))
            QVERIFY2(raw[size_t(featureIndex(name))].get_abs().max() < 1e-9, qPrintable(name));
    const FeatureStack stack = computeVesselFeatures(Image(32, 32, 1, 1, 120.0), allInside(32, 32), Polarity::Dark);
    QVERIFY(std::all_of(stack.values.begin(), stack.values.end(), [](float v) { return v == 0.0f; }));
}

void TestVesselClassifier::ridgeFeaturesPeakOnTheRidge()
{
    const FeatureStack f = computeVesselFeatures(ridge(40, 32, 3, false), allInside(40, 32), Polarity::Dark);
    for (const QString name : {"ridge_s1", "tophat_r3", "line_l15"}) {
        const int k = featureIndex(name);
        const float onRidge = f.pixel(16 * 40 + 20)[k], beside = f.pixel(8 * 40 + 20)[k];
        QVERIFY2(onRidge > beside + 1.0f, qPrintable(name));
    }
}

void TestVesselClassifier::lineDetectorMatchesDefinition()
{
    const synth::Fundus scene = synth::fundus(37, 29, 5, false);
    const std::vector<Image> fast = lineDetectors(scene.image, {5, 9, 15}, 15);
    const int lengths[] = {5, 9, 15};
    for (size_t l = 0; l < 3; ++l)
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 37; ++x)
                QVERIFY(std::abs(fast[l](x, y) - plainLine(scene.image, x, y, lengths[l], 15)) < 1e-9);
}

void TestVesselClassifier::featuresIndependentOfThreadCount()
{
    // The features are made by jobs spread over the threads; each must come out the same.
    const synth::Fundus scene = synth::fundus(90, 70, 12);
    std::vector<float> reference;
    for (const int threads : {1, 2, 3}) {
        const execution::ThreadBudget budget(threads);
        const FeatureStack f = computeVesselFeatures(scene.image, scene.fov, Polarity::Dark);
        if (reference.empty()) reference = f.values;
        QVERIFY2(f.values == reference, qPrintable(QString("%1 threads").arg(threads)));
    }
}

void TestVesselClassifier::refusesBadInput_data()
{
    QTest::addColumn<Image>("image");
    QTest::addColumn<Image>("fov");
    QTest::newRow("too small") << Image(15, 40, 1, 1, 1.0) << allInside(15, 40);
    QTest::newRow("mask of another size") << Image(20, 20, 1, 1, 1.0) << allInside(21, 20);
    Image nan(20, 20, 1, 1, 1.0);
    nan(3, 3) = std::nan("");
    QTest::newRow("NaN") << nan << allInside(20, 20);
    QTest::newRow("colour") << Image(20, 20, 1, 3, 1.0) << allInside(20, 20);
}

void TestVesselClassifier::refusesBadInput()
{
    QFETCH(Image, image);
    QFETCH(Image, fov);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, computeVesselFeatures(image, fov, Polarity::Dark));
}

void TestVesselClassifier::fieldOfViewOfSyntheticFundus_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("surround");
    QTest::newRow("disc 120 x 100") << 120 << 100 << true;
    QTest::newRow("disc 64 x 80") << 64 << 80 << true;
    QTest::newRow("no surround") << 90 << 70 << false;
}

void TestVesselClassifier::fieldOfViewOfSyntheticFundus()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(bool, surround);
    const synth::Fundus scene = synth::fundus(w, h, 11, surround);
    const Image found = findFieldOfView(scene.image);
    long long outside = 0, missed = 0;
    for (size_t p = 0; p < found.size(); ++p) {
        outside += found.data()[p] == kWhite && scene.fov.data()[p] != kWhite;
        missed += found.data()[p] != kWhite && scene.fov.data()[p] == kWhite;
    }
    QCOMPARE(outside, 0LL);  // never a pixel of the surround
    // Only the eroded rim (radius 3) is given up, and nothing when there is no surround.
    const double rim = surround ? 2.0 * M_PI * 0.46 * std::min(w, h) * 3.5 : 0.0;
    QVERIFY2(double(missed) <= rim, qPrintable(QString::number(missed)));
}

void TestVesselClassifier::surroundIsReplacedByContinuation()
{
    const synth::Fundus scene = synth::fundus(60, 50, 3);
    const Image extended = extendBeyondFieldOfView(scene.image, scene.fov);
    double insideMin = 255.0;
    for (size_t p = 0; p < extended.size(); ++p) {
        if (scene.fov.data()[p] == kWhite) QCOMPARE(extended.data()[p], scene.image.data()[p]);
        else insideMin = std::min(insideMin, extended.data()[p]);
    }
    QVERIFY(insideMin > 60.0);  // no black left where the surround was
}

void TestVesselClassifier::learnsSyntheticVessels()
{
    const VesselModel model = trainOn({synth::fundus(96, 96, 1), synth::fundus(96, 96, 2)}, 2);
    for (const unsigned seed : {3u, 4u}) {
        const synth::Fundus unseen = synth::fundus(96, 96, seed);
        const VesselClassification c = classifyVessels(model, unseen.image, Image(), 2);
        const double dice = diceOf(c.segmentation, unseen);
        QVERIFY2(dice > 0.9, qPrintable(QString("Dice %1").arg(dice)));
        for (size_t p = 0; p < c.fov.size(); ++p)
            if (c.fov.data()[p] != kWhite) QCOMPARE(c.segmentation.data()[p], 0.0);
    }
}

void TestVesselClassifier::segmentationClearsSpecks()
{
    // A 9-pixel line touching a diagonal 1-pixel neighbour (one 8-connected region of 10)
    // and a separate 3-pixel speck, all above the threshold, on a 20 x 8 map.
    Image probability(20, 8, 1, 1, 0.1);
    for (int x = 2; x < 11; ++x) probability(x, 2) = 0.9;
    probability(11, 3) = 0.9;
    for (int x = 15; x < 18; ++x) probability(x, 6) = 0.7;
    for (const auto &[smallest, kept] : std::vector<std::pair<int, double>>{{0, 13}, {4, 10}, {10, 10}, {11, 0}}) {
        const Image s = vesselSegmentation(probability, 0.5, smallest);
        QCOMPARE(s.sum() / kWhite, kept);
    }
}

void TestVesselClassifier::trainingIsDeterministic()
{
    const std::vector<synth::Fundus> scenes{synth::fundus(80, 72, 7), synth::fundus(80, 72, 8)};
    const QByteArray one = trainOn(scenes, 1).trees->toBytes(), two = trainOn(scenes, 2).trees->toBytes();
    QVERIFY(!one.isEmpty());
    QVERIFY(one == two);
}

void TestVesselClassifier::modelFileRoundTrip()
{
    const synth::Fundus scene = synth::fundus(72, 72, 9);
    VesselModel model = trainOn({scene}, 2);
    model.channel = Channel::Green;
    QTemporaryDir dir;
    QString error;
    QVERIFY2(saveVesselModel(model, dir.filePath("m.qvm"), &error), qPrintable(error));
    const LoadedModel loaded = loadVesselModel(dir.filePath("m.qvm"));
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    QCOMPARE(loaded.model.channel, Channel::Green);
    QCOMPARE(loaded.model.polarity, Polarity::Dark);
    QCOMPARE(loaded.model.threshold, model.threshold);
    QCOMPARE(loaded.model.smallestComponent, model.smallestComponent);
    QCOMPARE(loaded.model.version, QString(QUENDRA_VERSION));
    const Image a = vesselProbability(model, scene.image, scene.fov, 1);
    const Image b = vesselProbability(loaded.model, scene.image, scene.fov, 2);
    QVERIFY(a == b);
}

void TestVesselClassifier::refusesDamagedAndForeignModels_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("flipped byte in the trees") << "flip" << "damaged";
    QTest::newRow("cut short") << "truncate" << "damaged";
    QTest::newRow("newer model format") << "format" << "model format 3";
    QTest::newRow("other features") << "features" << "other features";
    QTest::newRow("not a model") << "foreign" << "not a vessel model";
    QTest::newRow("empty file") << "empty" << "not a vessel model";
    QTest::newRow("description unreadable") << "header" << "description cannot be read";
    QTest::newRow("threshold out of range") << "threshold" << "out of range";
}

void TestVesselClassifier::refusesDamagedAndForeignModels()
{
    QFETCH(QString, change);
    QFETCH(QString, message);
    static QByteArray good;
    if (good.isEmpty()) {
        QTemporaryDir dir;
        QString error;
        QVERIFY(saveVesselModel(trainOn({synth::fundus(64, 64, 2)}, 1), dir.filePath("m.qvm"), &error));
        QFile f(dir.filePath("m.qvm"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        good = f.readAll();
    }
    QByteArray bytes = good;
    if (change == "flip") bytes[bytes.size() - 10] = char(bytes[bytes.size() - 10] ^ 0x20);
    else if (change == "truncate") bytes.chop(100);
    else if (change == "format") bytes.replace("\"format\":2", "\"format\":3");
    else if (change == "features") bytes.replace("ridge_s2", "ridge_s3");
    else if (change == "foreign") bytes = "P5\n2 2\n255\nabcd";
    else if (change == "empty") bytes.clear();
    else if (change == "header") bytes.replace("{\"", "{\"\"");
    else if (change == "threshold") bytes.replace("\"threshold\":0.4", "\"threshold\":7");
    const LoadedModel loaded = parseVesselModel(bytes, "m.qvm");
    QVERIFY(!loaded.ok());
    QVERIFY2(loaded.error.contains(message), qPrintable(loaded.error));
    QVERIFY(loaded.error.startsWith("m.qvm"));
}

QTEST_GUILESS_MAIN(TestVesselClassifier)
#include "test_vesselclassifier.moc"
