#include "ops/classify/networkmodel.h"

#include <QCryptographicHash>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

#include "ops/classify/networkinput.h"
#include "ops/classify/vesselscale.h"
#include "ops/core/viewtext.h"

ModelScale trainingScale(const std::vector<Image> &fovs, const std::vector<double> &pixelSizesMm)
{
    ModelScale scale;
    if (fovs.empty()) return scale;
    double diameters = 0.0, sizes = 0.0;
    bool everyDiameter = true, everySize = pixelSizesMm.size() == fovs.size();
    for (size_t i = 0; i < fovs.size(); ++i) {
        const double d = fieldOfViewDiameter(fovs[i]);
        everyDiameter = everyDiameter && d > 0.0;
        diameters += d;
        if (everySize) everySize = pixelSizesMm[i] > 0.0, sizes += pixelSizesMm[i];
    }
    if (everyDiameter) scale = {ModelScale::Kind::FieldOfView, diameters / double(fovs.size())};
    else if (everySize) scale = {ModelScale::Kind::PixelSize, sizes / double(fovs.size())};
    return scale;
}

VesselModel trainNetworkModel(const std::vector<NetworkExample> &examples, Channel channel, Polarity polarity,
                              const ModelScale &scale, const NetworkTrainingSettings &settings, int baseChannels,
                              const VesselModel *from, Progress &progress, NetworkTrainingResult *result)
{
    if (from && (from->learner != Learner::Network || !from->network || !from->network->trainable()))
        throw std::runtime_error(
            ViewText::tr("Only a network model trained by this program can be trained further.").toStdString());
    setNetworkThreads(settings.threads);
    VesselNetwork network = from ? VesselNetwork::fromBytes(from->network->toBytes(), from->network->baseChannels())
                                 : VesselNetwork(baseChannels, settings.seed);
    const NetworkTrainingResult r = trainNetwork(network, examples, settings, progress);
    if (result) *result = r;
    VesselModel model;
    model.version = QUENDRA_VERSION;
    model.learner = Learner::Network;
    model.features = networkInputNames();
    model.channel = channel;
    model.polarity = polarity;
    model.threshold = 0.5;
    model.scale = scale;
    for (const NetworkExample &e : examples) model.trainingPixels += (long long)e.labelled.size();
    model.network = std::make_shared<const VesselNetwork>(std::move(network));
    return model;
}

QString torchScriptSideFile(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + ".json");
}

bool isTorchScript(const QByteArray &bytes) { return bytes.startsWith("PK\x03\x04"); }

LoadedModel loadTorchScriptModel(const QByteArray &bytes, const QString &path)
{
    LoadedModel loaded;
    auto refuse = [&](const QString &why) {
        loaded.error = why;
        return loaded;
    };
    const QString sidePath = torchScriptSideFile(path);
    QFile side(sidePath);
    if (!side.open(QIODevice::ReadOnly) || side.size() > 65536)
        return refuse(QString("%1 is a TorchScript network without its side file %2 (channel, vessels, scale).")
                          .arg(path, sidePath));
    const QJsonDocument doc = QJsonDocument::fromJson(side.readAll());
    const QJsonObject h = doc.object();
    VesselModel &m = loaded.model;
    m.learner = Learner::TorchScript;
    m.features = networkInputNames();
    const QString kind = h["scale_kind"].toString("none");
    m.scale.kind = kind == "field_of_view_px" ? ModelScale::Kind::FieldOfView
                   : kind == "pixel_size_mm"  ? ModelScale::Kind::PixelSize
                                              : ModelScale::Kind::None;
    m.scale.value = h["scale"].toDouble(0.0);
    m.threshold = h["threshold"].toDouble(0.5);
    m.smallestComponent = h["smallest_component"].toInt(0);
    if (!doc.isObject() || !parseChannel(h["channel"].toString(), &m.channel) ||
        (h["vessels"] != "dark" && h["vessels"] != "bright") ||
        (kind != "none" && kind != "field_of_view_px" && kind != "pixel_size_mm") || !(m.scale.value >= 0.0) ||
        !(m.threshold >= 0.0 && m.threshold <= 1.0) || m.smallestComponent < 0 || m.smallestComponent > 1000000)
        return refuse(QString("%1 does not name a channel (gray, red, green, blue), the vessels (dark, bright) and a "
                              "valid scale and threshold.")
                          .arg(sidePath));
    m.polarity = h["vessels"] == "dark" ? Polarity::Dark : Polarity::Bright;
    m.checksum = QString(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    try {
        m.network = std::make_shared<const VesselNetwork>(VesselNetwork::fromTorchScript(bytes));
        // One small pass shows at once whether the network takes one plane and gives one.
        const std::vector<float> probe(64 * 64, 0.0f);
        m.network->probability(probe.data(), 64, 64);
    } catch (const std::exception &e) {
        return refuse(ViewText::tr("%1 is not a usable vessel network: %2").arg(path, QString::fromLocal8Bit(e.what())));
    }
    return loaded;
}
