// Hostile model files: the shipped model with one thing changed and its checksum made to
// match again, as anyone can. Trees that would crash the learning library, make it loop or
// claim gigabytes, and description values of the wrong type or range are refused with a
// message before the library sees them.
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <functional>
#include <nlohmann/json.hpp>
#include <sys/resource.h>

#include "ops/classify/vesselmodel.h"

namespace {

using Json = nlohmann::json;

struct ModelParts {
    QByteArray magic;  // the first line
    QJsonObject header;
    QByteArray trees;
};

ModelParts shippedModel()
{
    QFile file(qEnvironmentVariable("QUENDRA_SOURCE_DIR") + "/models/retina.qvm");
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read the shipped model");
    const QByteArray bytes = file.readAll();
    const qsizetype first = bytes.indexOf('\n'), second = bytes.indexOf('\n', first + 1);
    return {bytes.left(first + 1), QJsonDocument::fromJson(bytes.mid(first + 1, second - first - 1)).object(),
            bytes.mid(second + 1)};
}

// The file again, with the trees' size and checksum recomputed.
QByteArray assemble(ModelParts parts)
{
    parts.header["trees_bytes"] = double(parts.trees.size());
    parts.header["trees_sha256"] = QString(QCryptographicHash::hash(parts.trees, QCryptographicHash::Sha256).toHex());
    return parts.magic + QJsonDocument(parts.header).toJson(QJsonDocument::Compact) + '\n' + parts.trees;
}

QByteArray withTrees(const std::function<void(Json &)> &change)
{
    ModelParts parts = shippedModel();
    Json trees = Json::from_ubjson(parts.trees.begin(), parts.trees.end());
    change(trees);
    const std::vector<uint8_t> encoded = Json::to_ubjson(trees, true, true);
    parts.trees = QByteArray(reinterpret_cast<const char *>(encoded.data()), qsizetype(encoded.size()));
    return assemble(parts);
}

QByteArray withHeader(const char *key, const QJsonValue &value)
{
    ModelParts parts = shippedModel();
    parts.header[key] = value;
    return assemble(parts);
}

Json &firstTree(Json &model) { return model["learner"]["gradient_booster"]["model"]["trees"][0]; }

qint64 peakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

}  // namespace

class HostileModelsTest : public QObject {
    Q_OBJECT

private slots:
    void shippedModelPassesTheChecks()
    {
        const LoadedModel loaded = parseVesselModel(assemble(shippedModel()), "retina.qvm");
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    }

    // Trees the checks accept but the library refuses (written by another encoder): the
    // library's message reaches the user without its source position and stack trace.
    void libraryMessagesArePlain()
    {
        const LoadedModel loaded = parseVesselModel(withTrees([](Json &) {}), "m.qvm");
        QVERIFY(!loaded.ok());
        QVERIFY2(!loaded.error.contains('\n') && !loaded.error.contains(".cc:") &&
                     !loaded.error.contains("[bt]"),
                 qPrintable(loaded.error));
    }

    void hostileModelsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("split index past the features")
            << withTrees([](Json &m) { firstTree(m)["split_indices"][0] = 20; }) << "feature 20 of 20";
        QTest::newRow("child past the nodes")
            << withTrees([](Json &m) { firstTree(m)["left_children"][0] = 127; }) << "child outside the tree";
        QTest::newRow("node its own child")
            << withTrees([](Json &m) { firstTree(m)["left_children"][1] = 1; }) << "reached twice";
        QTest::newRow("wrong parent") << withTrees([](Json &m) { firstTree(m)["parents"][1] = 5; }) << "name its parent";
        QTest::newRow("node count beyond the arrays")
            << withTrees([](Json &m) { firstTree(m)["tree_param"]["num_nodes"] = "128"; }) << "entries";
        QTest::newRow("tree count")
            << withTrees([](Json &m) { m["learner"]["gradient_booster"]["model"]["gbtree_model_param"]["num_trees"] = "41"; })
            << "number of trees";
        QTest::newRow("another objective")
            << withTrees([](Json &m) { m["learner"]["objective"]["name"] = "reg:squarederror"; }) << "binary:logistic";
        QTest::newRow("another feature count")
            << withTrees([](Json &m) { m["learner"]["learner_model_param"]["num_feature"] = "21"; }) << "num_feature";
        QTest::newRow("NaN split")
            << withTrees([](Json &m) { firstTree(m)["split_conditions"][0] = std::nan(""); }) << "finite";
        QTest::newRow("categorical split") << withTrees([](Json &m) { firstTree(m)["split_type"][0] = 1; }) << "categorical";
        QTest::newRow("threshold as text") << withHeader("threshold", "0.4") << "out of range";
        QTest::newRow("threshold 0") << withHeader("threshold", 0) << "out of range";
        QTest::newRow("smallest component 1e12") << withHeader("smallest_component", 1e12) << "out of range";
        QTest::newRow("training pixels 1e300") << withHeader("training_pixels", 1e300) << "training pixels";
        // A typed array that declares 2^31 entries in a 196 KB file.
        ModelParts huge = shippedModel();
        const QByteArray count("split_indices[$l#L\0\0\0\0\0\0\0\x7f", 26);
        QVERIFY(huge.trees.contains(count));
        huge.trees.replace(count, QByteArray("split_indices[$l#L\0\0\0\0\x80\0\0\0", 26));
        QTest::newRow("typed array of 2^31 entries") << assemble(huge) << "cannot be read";
    }

    void hostileModelsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const qint64 before = peakMemory();
        const LoadedModel loaded = parseVesselModel(bytes, "m.qvm");
        QVERIFY(!loaded.ok());
        QVERIFY2(loaded.error.startsWith("m.qvm is damaged") && loaded.error.contains(message), qPrintable(loaded.error));
        QVERIFY2(peakMemory() - before < 64 * 1024 * 1024,
                 qPrintable(QString("reading took %1 MB").arg((peakMemory() - before) >> 20)));
    }
};

QTEST_GUILESS_MAIN(HostileModelsTest)
#include "test_hostilemodels.moc"
