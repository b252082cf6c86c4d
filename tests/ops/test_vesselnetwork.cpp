// The vessel network: learning, reproducibility, scale, tiles, model files of both learners,
// TorchScript networks from elsewhere, and fine-tuning by painted strokes.
#include <QTemporaryDir>
#include <QtTest>

#include "ops/classify/networkinference.h"
#include "ops/classify/networkinput.h"
#include "ops/classify/networkmodel.h"
#include "ops/core/progress.h"
#include "ops/measure/evaluation.h"
#include "scribblefixtures.h"
#include "syntheticfundus.h"

namespace {

// A tiny U-Net trained briefly on synthetic photographs: enough to learn their vessels.
VesselModel trainTiny(const std::vector<synth::Fundus> &scenes, int steps, int threads, uint64_t seed = 1)
{
    std::vector<NetworkExample> examples;
    std::vector<Image> fovs;
    for (const synth::Fundus &s : scenes) {
        examples.push_back(networkExample(networkInput(s.image, s.fov, Polarity::Dark), labelsFromTruth(s.truth, s.fov), s.fov));
        fovs.push_back(s.fov);
    }
    NetworkTrainingSettings settings;
    settings.steps = steps;
    settings.batch = 8;
    settings.patch = 32;
    settings.learningRate = 1e-2;
    settings.seed = seed;
    settings.threads = threads;
    NullProgress quiet;
    return trainNetworkModel(examples, Channel::Gray, Polarity::Dark, trainingScale(fovs, {}), settings, 4, nullptr, quiet);
}

const VesselModel &sharedModel()
{
    static const VesselModel model = trainTiny({synth::fundus(96, 96, 1), synth::fundus(96, 96, 2)}, 150, 2);
    return model;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray savedBytes(const VesselModel &model)
{
    QTemporaryDir dir;
    QString error;
    if (!saveVesselModel(model, dir.filePath("m.qvm"), &error)) qFatal("%s", qPrintable(error));
    return fileBytes(dir.filePath("m.qvm"));
}

double diceOf(const Image &segmentation, const synth::Fundus &scene)
{
    return evaluationFigures(confusionCounts(segmentation, scene.truth, &scene.fov)).dice;
}

// A cancel request that arrives after `after` questions.
class CancelAfter : public Progress {
public:
    explicit CancelAfter(int after) : left_(after) {}
    bool cancelled() const override { return left_-- <= 0; }

private:
    mutable int left_;
};

}  // namespace

class TestVesselNetwork : public QObject {
    Q_OBJECT
private slots:
    void learnsSyntheticVessels();
    void sameSeedSameNetwork();
    void trainingCanBeCancelled();
    void unlabelledPixelsDoNotMoveTheLoss();
    void fineTuningLearnsTheStrokes_data();
    void fineTuningLearnsTheStrokes();
    void fineTuningKeepsTheRest();
    void tilesEqualOnePass();
    void scaleFollowsTheFieldOfView_data();
    void scaleFollowsTheFieldOfView();
    void networkModelFileRoundTrip();
    void olderModelsLoadNewerAreRefused_data();
    void olderModelsLoadNewerAreRefused();
    void shippedModelsLoad();
    void torchScriptFixture();
};

void TestVesselNetwork::learnsSyntheticVessels()
{
    const synth::Fundus unseen = synth::fundus(96, 96, 3);
    const VesselClassification c = classifyVessels(sharedModel(), unseen.image, Image(), 2);
    const double dice = diceOf(c.segmentation, unseen);
    QVERIFY2(dice > 0.9, qPrintable(QString("Dice %1").arg(dice)));
    QCOMPARE(c.scale, 1.0);
}

void TestVesselNetwork::sameSeedSameNetwork()
{
    const std::vector<synth::Fundus> scenes{synth::fundus(64, 64, 5)};
    const QByteArray a = trainTiny(scenes, 6, 2).network->toBytes(), b = trainTiny(scenes, 6, 2).network->toBytes();
    QVERIFY(a == b);
    QVERIFY(a != trainTiny(scenes, 6, 2, 2).network->toBytes());
}

void TestVesselNetwork::trainingCanBeCancelled()
{
    const synth::Fundus s = synth::fundus(64, 64, 5);
    std::vector<NetworkExample> examples{networkExample(networkInput(s.image, s.fov, Polarity::Dark), labelsFromTruth(s.truth, s.fov), s.fov)};
    VesselNetwork network(4, 1);
    NetworkTrainingSettings settings;
    settings.steps = 1000;
    settings.batch = 2;
    CancelAfter cancel(2);
    QVERIFY_THROWS_EXCEPTION(OperationCancelled, trainNetwork(network, examples, settings, cancel));
}

void TestVesselNetwork::unlabelledPixelsDoNotMoveTheLoss()
{
    // Two batches alike but for the targets of pixels of weight 0 give the same loss and the
    // same step; a changed target of a weighted pixel does not.
    NetworkBatch a;
    a.count = 2, a.side = 16;
    const size_t values = 2 * 16 * 16;
    a.input.resize(values), a.target.assign(values, 0.0f), a.weight.assign(values, 0.0f);
    for (size_t i = 0; i < values; ++i) a.input[i] = float(i % 13) / 6.0f - 1.0f;
    for (size_t i = 40; i < 56; ++i) a.weight[i] = 1.0f, a.target[i] = float(i % 2);
    NetworkBatch unpainted = a, painted = a;
    for (size_t i = 0; i < values; ++i)
        if (a.weight[i] == 0.0f) unpainted.target[i] = 1.0f;
    painted.target[41] = 0.0f;
    VesselNetwork n(4, 3), u(4, 3), p(4, 3);
    const double loss = n.trainStep(a, 1e-2);
    QCOMPARE(u.trainStep(unpainted, 1e-2), loss);
    QVERIFY(u.toBytes() == n.toBytes());
    QVERIFY(p.trainStep(painted, 1e-2) != loss);
}

void TestVesselNetwork::fineTuningLearnsTheStrokes_data()
{
    // The start's scale decides the size the network learns at: the photograph's own, or
    // enlarged or halved to the start's field of view (its strokes resized with it).
    QTest::addColumn<double>("factor");
    QTest::newRow("own size") << 1.0;
    QTest::newRow("enlarged 1.5 times") << 1.5;
    QTest::newRow("halved") << 0.5;
}

void TestVesselNetwork::fineTuningLearnsTheStrokes()
{
    QFETCH(double, factor);
    const synth::Fundus scene = synth::fundus(80, 80, 5);
    ScribbleTrainer trainer(scene.image, Channel::Green);
    const double diameter = fieldOfViewDiameter(trainer.fieldOfView());
    const ModelScale scale = factor == 1.0 ? ModelScale() : ModelScale{ModelScale::Kind::FieldOfView, diameter * factor};
    const VesselModel start = synth::untrainedNetwork(7, scale);
    const Image labels = synth::strokeLabels(scene);
    NullProgress quiet;
    const ScribbleResult r = fineTuneOnScribbles(trainer, labels, Polarity::Dark, start, synth::quickTuning(), quiet);
    const double right = synth::strokesRight(r.segmentation, labels);
    QVERIFY2(right > 0.95, qPrintable(QString("%1 of the painted pixels right").arg(right)));
    QCOMPARE(r.model.scale.value, start.scale.value);
    QCOMPARE(r.model.channel, Channel::Green);
    QVERIFY(r.model.network->toBytes() != start.network->toBytes());
    // What the tool shows is what the saved model gives on the photograph.
    QVERIFY(classifyVessels(r.model, scene.image, Image(), 2).segmentation == r.segmentation);
    // Cancelled, it throws and the start is untouched.
    const QByteArray before = start.network->toBytes();
    CancelAfter cancel(1);
    QVERIFY_THROWS_EXCEPTION(OperationCancelled, fineTuneOnScribbles(trainer, labels, Polarity::Dark, start, synth::quickTuning(), cancel));
    QVERIFY(start.network->toBytes() == before);
}

void TestVesselNetwork::fineTuningKeepsTheRest()
{
    // A network that has learned the photograph, fine-tuned by strokes on its left quarter
    // only, still draws the vessels of the rest.
    const synth::Fundus scene = synth::fundus(80, 80, 5);
    ScribbleTrainer trainer(scene.image, Channel::Green);
    NullProgress quiet;
    const ScribbleResult first = fineTuneOnScribbles(trainer, synth::strokeLabels(scene), Polarity::Dark,
                                                     synth::untrainedNetwork(), synth::quickTuning(), quiet);
    Image labels = synth::strokeLabels(scene);
    cimg_forXY(labels, x, y) if (x >= 20) labels(x, y) = kNoLabel;
    const ScribbleResult again =
        fineTuneOnScribbles(trainer, labels, Polarity::Dark, first.model, synth::quickTuning(true), quiet);
    long long kept = 0, drawn = 0;
    cimg_forXY(scene.truth, x, y) if (x >= 40 && first.segmentation(x, y) == kWhite)
        ++drawn, kept += again.segmentation(x, y) == kWhite;
    QVERIFY(drawn > 50);
    QVERIFY2(kept >= 0.9 * drawn, qPrintable(QString("%1 of %2 vessel pixels kept").arg(kept).arg(drawn)));
    QVERIFY(synth::strokesRight(again.segmentation, labels) > 0.9);
}

void TestVesselNetwork::tilesEqualOnePass()
{
    // 203 x 150 is no multiple of 8; tiles of 64 with the full margin need 4 x 3 passes.
    const synth::Fundus s = synth::fundus(203, 150, 6);
    const std::vector<float> plane = networkInput(s.image, s.fov, Polarity::Dark);
    NullProgress quiet;
    const VesselNetwork &network = *sharedModel().network;
    const Image whole = networkProbability(network, plane, 203, 150, 2, quiet);
    NetworkTiling tiling;
    tiling.onePassPixels = 0;
    tiling.tile = 64;
    const Image tiled = networkProbability(network, plane, 203, 150, 2, quiet, tiling);
    QCOMPARE(tiled.width(), 203);
    double worst = 0.0;
    cimg_foroff(whole, p) worst = std::max(worst, std::abs(whole[p] - tiled[p]));
    QVERIFY2(worst <= 1e-5, qPrintable(QString("largest difference %1").arg(worst)));
}

void TestVesselNetwork::scaleFollowsTheFieldOfView_data()
{
    QTest::addColumn<double>("enlargement");
    QTest::addColumn<double>("factor");
    QTest::newRow("own size") << 1.0 << 1.0;
    QTest::newRow("within the tolerance") << 1.2 << 1.0;
    QTest::newRow("twice") << 2.0 << 0.5;
    QTest::newRow("half") << 0.5 << 2.0;
}

void TestVesselNetwork::scaleFollowsTheFieldOfView()
{
    QFETCH(double, enlargement);
    QFETCH(double, factor);
    const VesselModel &model = sharedModel();
    QCOMPARE(model.scale.kind, ModelScale::Kind::FieldOfView);
    const synth::Fundus s = synth::fundus(96, 96, 3);
    const int w = int(std::lround(96 * enlargement));
    const Image image = s.image.get_resize(w, w, 1, 1, 3), fov = resizedMask(s.fov, w, w);
    const VesselClassification c = classifyVessels(model, image, fov, 2);
    QVERIFY2(std::abs(c.scale - factor) < 0.03, qPrintable(QString("factor %1").arg(c.scale)));
    QCOMPARE(c.probability.width(), w);
    // The round trip keeps the vessels where the image has them (a halved image has lost
    // its thinnest vessels before anything is classified).
    if (enlargement < 1.0) return;
    const Image truth = resizedMask(s.truth, w, w);
    const double dice = evaluationFigures(confusionCounts(c.segmentation, truth, &c.fov)).dice;
    QVERIFY2(dice > 0.8, qPrintable(QString("Dice %1").arg(dice)));
}

void TestVesselNetwork::networkModelFileRoundTrip()
{
    const VesselModel &model = sharedModel();
    QTemporaryDir dir;
    QString error;
    QVERIFY2(saveVesselModel(model, dir.filePath("n.qvm"), &error), qPrintable(error));
    const LoadedModel loaded = loadVesselModel(dir.filePath("n.qvm"));
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    QCOMPARE(loaded.model.learner, Learner::Network);
    QCOMPARE(loaded.model.scale.value, model.scale.value);
    QCOMPARE(loaded.model.checksum.size(), 64);
    const synth::Fundus s = synth::fundus(96, 96, 4);
    QVERIFY(classifyVessels(model, s.image, Image(), 2).probability == classifyVessels(loaded.model, s.image, Image(), 2).probability);
}

void TestVesselNetwork::olderModelsLoadNewerAreRefused_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");  // empty: it loads
    QTest::newRow("written by an older program") << "older" << "";
    QTest::newRow("newer format") << "newer" << "model format 3";
    QTest::newRow("unknown learner") << "learner" << "learner this program does not know";
    QTest::newRow("flipped byte in the network") << "flip" << "damaged";
    QTest::newRow("cut short") << "truncate" << "damaged";
    QTest::newRow("other input") << "features" << "other features";
    QTest::newRow("network size out of range") << "channels" << "out of range";
    QTest::newRow("unknown scale") << "scale" << "scale is unknown";
}

void TestVesselNetwork::olderModelsLoadNewerAreRefused()
{
    QFETCH(QString, change);
    QFETCH(QString, message);
    static const QByteArray good = savedBytes(sharedModel());
    QByteArray bytes = good;
    if (change == "older") bytes.replace("\"version\":\"" QUENDRA_VERSION "\"", "\"version\":\"0.0.9\"");
    else if (change == "newer") bytes.replace("\"format\":2", "\"format\":3");
    else if (change == "learner") bytes.replace("\"learner\":\"unet\"", "\"learner\":\"forest\"");
    else if (change == "flip") bytes[bytes.size() - 300] = char(bytes[bytes.size() - 300] ^ 0x20);
    else if (change == "truncate") bytes.chop(100);
    else if (change == "features") bytes.replace("clahe2", "clahe3");
    else if (change == "channels") bytes.replace("\"base_channels\":4", "\"base_channels\":0");
    else if (change == "scale") bytes.replace("field_of_view_px", "furlongs");
    QVERIFY(bytes != good);
    const LoadedModel loaded = parseVesselModel(bytes, "n.qvm");
    if (message.isEmpty()) {
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.model.version, QString("0.0.9"));
        return;
    }
    QVERIFY(!loaded.ok());
    QVERIFY2(loaded.error.contains(message), qPrintable(loaded.error));
}

void TestVesselNetwork::shippedModelsLoad()
{
    const QString models = QString(qgetenv("QUENDRA_SOURCE_DIR")) + "/models/";
    for (const QString name : {"retina.qvm", "retina-network.qvm", "coronary-network.qvm"}) {
        if (!QFile::exists(models + name)) {
            QVERIFY2(name != QString("retina.qvm"), "the shipped boosted-trees model is missing");
            continue;
        }
        const LoadedModel loaded = loadVesselModel(models + name);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.model.learner, name == QString("retina.qvm") ? Learner::Trees : Learner::Network);
    }
    // The shipped trees are of format 1 (no format field); as if an older program wrote them.
    QByteArray older = fileBytes(models + "retina.qvm");
    QVERIFY(!older.contains("\"format\""));
    older.replace("\"version\":\"" QUENDRA_VERSION "\"", "\"version\":\"0.1.0\"");
    const LoadedModel loaded = parseVesselModel(older, "older.qvm");
    QVERIFY2(loaded.ok() && loaded.model.version == "0.1.0", qPrintable(loaded.error));
}

void TestVesselNetwork::torchScriptFixture()
{
    // tests/data/tinyvessel.pt: made by scripts/make-torchscript-fixture.py, a fixed network
    // whose probability is the sigmoid of twice the input (its side file names green, dark).
    const QString path = QString(qgetenv("QUENDRA_SOURCE_DIR")) + "/tests/data/tinyvessel.pt";
    const LoadedModel loaded = loadVesselModel(path);
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    QCOMPARE(loaded.model.learner, Learner::TorchScript);
    QCOMPARE(loaded.model.channel, Channel::Green);
    std::vector<float> plane(16 * 24);
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = float(i % 7) - 3.0f;
    NullProgress quiet;
    const Image p = networkProbability(*loaded.model.network, plane, 16, 24, 1, quiet);
    for (size_t i = 0; i < plane.size(); ++i) QVERIFY(std::abs(p[i] - 1.0 / (1.0 + std::exp(-2.0 * plane[i]))) < 1e-6);
    // Without its side file, or with a side file that names no channel, it is refused.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(path, dir.filePath("bare.pt")));
    QVERIFY(loadVesselModel(dir.filePath("bare.pt")).error.contains("without its side file"));
    QFile side(dir.filePath("bare.json"));
    QVERIFY(side.open(QIODevice::WriteOnly) && side.write("{\"vessels\": \"dark\"}") > 0);
    side.close();
    QVERIFY(loadVesselModel(dir.filePath("bare.pt")).error.contains("does not name a channel"));
}

QTEST_GUILESS_MAIN(TestVesselNetwork)
#include "test_vesselnetwork.moc"
