#include "ops/classify/vesselmodel.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <random>
#include <stdexcept>

#include "ops/classify/fieldofview.h"
#include "ops/classify/treecheck.h"
#include "ops/io/filewrite.h"
#include "ops/morphology/components.h"
#include "ops/classify/networkinput.h"
#include "ops/classify/networkmodel.h"

namespace {

// The messages of model files, translated in the window.
struct ModelText {
    Q_DECLARE_TR_FUNCTIONS(VesselModel)
};

const QByteArray kMagic = "QUENDRA VESSEL MODEL\n";

QString polarityName(Polarity p) { return p == Polarity::Dark ? "dark" : "bright"; }

// The header keys of the learned bytes: "trees_bytes" and "trees_sha256" as in format 1.
QString payloadKey(Learner learner) { return learner == Learner::Trees ? "trees" : "network"; }

QString scaleKindName(ModelScale::Kind kind)
{
    return kind == ModelScale::Kind::FieldOfView ? "field_of_view_px"
           : kind == ModelScale::Kind::PixelSize ? "pixel_size_mm"
                                                 : "none";
}

bool parseScaleKind(const QString &name, ModelScale::Kind *kind)
{
    for (const ModelScale::Kind k : {ModelScale::Kind::None, ModelScale::Kind::FieldOfView, ModelScale::Kind::PixelSize})
        if (scaleKindName(k) == name) return *kind = k, true;
    return false;
}

// k distinct members of pool drawn by a partial Fisher-Yates shuffle, in ascending order.
std::vector<size_t> draw(std::vector<size_t> pool, size_t k, std::mt19937 &generator)
{
    if (k >= pool.size()) return pool;
    for (size_t i = 0; i < k; ++i) {
        const size_t j = i + size_t(generator() % uint32_t(pool.size() - i));
        std::swap(pool[i], pool[j]);
    }
    pool.resize(k);
    std::sort(pool.begin(), pool.end());
    return pool;
}

// Clears every 8-connected region of 255 pixels smaller than smallest.
void clearSmallRegions(Image &binary, size_t smallest)
{
    cimg_library::CImg<unsigned char> white(binary.width(), binary.height(), 1, 1, 0);
    for (size_t p = 0; p < binary.size(); ++p) white[p] = binary[p] == kWhite;
    const Components c = connectedComponents(white, true);
    for (size_t p = 0; p < binary.size(); ++p)
        if (white[p] && c.size[c.label[p]] < smallest) binary[p] = 0.0;
}

void appendRow(TrainingSamples &samples, const FeatureStack &features, size_t p, float label)
{
    const float *row = features.pixel(p);
    samples.rows.insert(samples.rows.end(), row, row + features.count);
    samples.labels.push_back(label);
}

}  // namespace

void addTrainingPixels(TrainingSamples &samples, const FeatureStack &features, const Image &labels, size_t maxPixels,
                       uint32_t seed)
{
    if (samples.featureCount == 0) samples.featureCount = features.count;
    if (samples.featureCount != features.count) throw std::runtime_error("The training images have different features.");
    std::vector<size_t> vessel, background;
    for (size_t p = 0; p < labels.size(); ++p) {
        if (labels.data()[p] == kVesselLabel) vessel.push_back(p);
        else if (labels.data()[p] == kBackgroundLabel) background.push_back(p);
    }
    const size_t total = vessel.size() + background.size();
    const double share = total > maxPixels ? double(maxPixels) / double(total) : 1.0;
    std::mt19937 generator(seed);
    for (const size_t p : draw(vessel, size_t(std::llround(share * double(vessel.size()))), generator))
        appendRow(samples, features, p, 1.0f);
    for (const size_t p : draw(background, size_t(std::llround(share * double(background.size()))), generator))
        appendRow(samples, features, p, 0.0f);
}

Image labelsFromTruth(const Image &truth, const Image &fov)
{
    if (truth.width() != fov.width() || truth.height() != fov.height())
        throw std::runtime_error("The annotation and the field-of-view mask differ in size.");
    Image labels(truth.width(), truth.height(), 1, 1, kNoLabel);
    for (size_t p = 0; p < labels.size(); ++p)
        if (fov.data()[p] == kWhite) labels.data()[p] = truth.data()[p] >= 128.0 ? kVesselLabel : kBackgroundLabel;
    return labels;
}

VesselModel trainVesselModel(const TrainingSamples &samples, Channel channel, Polarity polarity, int threads,
                             const TreeSettings &settings)
{
    TreeSettings s = settings;
    s.threads = threads;
    VesselModel model;
    model.version = QUENDRA_VERSION;
    model.features = vesselFeatureNames();
    model.channel = channel;
    model.polarity = polarity;
    model.trainingPixels = (long long)samples.size();
    model.trees = std::make_shared<BoostedTrees>(BoostedTrees::train(samples.rows, samples.labels, samples.featureCount, s));
    return model;
}

Image vesselProbability(const VesselModel &model, const FeatureStack &features, const Image &fov, int threads)
{
    std::vector<size_t> inside;
    for (size_t p = 0; p < fov.size(); ++p)
        if (fov.data()[p] == kWhite) inside.push_back(p);
    std::vector<float> rows(inside.size() * size_t(features.count));
    for (size_t i = 0; i < inside.size(); ++i)
        std::copy_n(features.pixel(inside[i]), features.count, rows.data() + i * size_t(features.count));
    const std::vector<float> p = model.trees->predict(rows.data(), inside.size(), features.count, threads);
    Image probability(features.width, features.height, 1, 1, 0.0);
    for (size_t i = 0; i < inside.size(); ++i) probability.data()[inside[i]] = double(p[i]);
    return probability;
}

Image vesselProbability(const VesselModel &model, const Image &image, const Image &fov, int threads)
{
    return vesselProbability(model, computeVesselFeatures(image, fov, model.polarity), fov, threads);
}

Image vesselSegmentation(const Image &probability, double threshold, int smallestComponent)
{
    Image result(probability.width(), probability.height(), 1, 1, 0.0);
    for (size_t p = 0; p < result.size(); ++p)
        if (probability.data()[p] >= threshold) result.data()[p] = kWhite;
    if (smallestComponent > 1) clearSmallRegions(result, size_t(smallestComponent));
    return result;
}

Image vesselSegmentation(const Image &probability, const VesselModel &model)
{
    return vesselSegmentation(probability, model.threshold, model.smallestComponent);
}

QString learnerName(Learner learner)
{
    return learner == Learner::Trees ? "trees" : learner == Learner::Network ? "network" : "torchscript";
}

bool saveVesselModel(const VesselModel &model, const QString &path, QString *error)
{
    QByteArray payload;
    try {
        if (model.learner == Learner::TorchScript) throw std::runtime_error("A TorchScript network is used where it is, not written again.");
        payload = model.learner == Learner::Trees ? model.trees->toBytes() : model.network->toBytes();
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    const QString key = payloadKey(model.learner);
    QJsonObject header{
        {"program", "Quendra Tool"},
        {"format", kModelFormat},
        {"version", model.version},
        {"learner", model.learner == Learner::Trees ? "xgboost" : "unet"},
        {"features", QJsonArray::fromStringList(model.features)},
        {"channel", channelName(model.channel)},
        {"vessels", polarityName(model.polarity)},
        {"threshold", model.threshold},
        {"smallest_component", model.smallestComponent},
        {"training_pixels", double(model.trainingPixels)},
        {"scale_kind", scaleKindName(model.scale.kind)},
        {"scale", model.scale.value},
        {key + "_bytes", double(payload.size())},
        {key + "_sha256", QString(QCryptographicHash::hash(payload, QCryptographicHash::Sha256).toHex())}};
    if (model.network) header["base_channels"] = model.network->baseChannels();
    QString reason;
    if (!writeFileReplacing(path, kMagic + QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n' + payload, &reason)) {
        *error = ModelText::tr("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return true;
}

LoadedModel parseVesselModel(const QByteArray &bytes, const QString &name)
{
    LoadedModel loaded;
    auto refuse = [&](const QString &why) {
        loaded.error = why;
        return loaded;
    };
    if (!bytes.startsWith(kMagic)) return refuse(ModelText::tr("%1 is not a vessel model of Quendra Tool.").arg(name));
    const qsizetype headerEnd = bytes.indexOf('\n', kMagic.size());
    QJsonParseError parseError;
    const QJsonDocument doc =
        headerEnd < 0 ? QJsonDocument() : QJsonDocument::fromJson(bytes.mid(kMagic.size(), headerEnd - kMagic.size()), &parseError);
    if (!doc.isObject()) return refuse(ModelText::tr("%1 is damaged: its description cannot be read.").arg(name));
    const QJsonObject h = doc.object();
    VesselModel &m = loaded.model;
    m.version = h["version"].toString();
    // Files written before formats were numbered are format 1.
    const int format = h["format"].toInt(1);
    if (format > kModelFormat || format < 1)
        return refuse(ModelText::tr("%1 is of model format %2, which this program does not know (it reads formats 1 to %3); "
                              "a newer Quendra Tool wrote it.")
                          .arg(name)
                          .arg(format)
                          .arg(kModelFormat));
    const QString learner = h["learner"].toString("xgboost");
    if (learner != "xgboost" && learner != "unet")
        return refuse(ModelText::tr("%1 holds a learner this program does not know (\"%2\").").arg(name, learner));
    m.learner = learner == "xgboost" ? Learner::Trees : Learner::Network;
    for (const QJsonValue &f : h["features"].toArray()) m.features << f.toString();
    if (m.features != (m.learner == Learner::Trees ? vesselFeatureNames() : networkInputNames()))
        return refuse(ModelText::tr("%1 was trained on other features than this program computes.").arg(name));
    const QString key = payloadKey(m.learner);
    const QByteArray payload = bytes.mid(headerEnd + 1);
    m.checksum = QString(QCryptographicHash::hash(payload, QCryptographicHash::Sha256).toHex());
    if (h[key + "_bytes"].toDouble(-1) != double(payload.size()) || m.checksum != h[key + "_sha256"].toString())
        return refuse(ModelText::tr("%1 is damaged: its contents do not match their checksum.").arg(name));
    if (!parseScaleKind(h["scale_kind"].toString("none"), &m.scale.kind) || !(h["scale"].toDouble(0.0) >= 0.0))
        return refuse(ModelText::tr("%1 is damaged: its scale is unknown.").arg(name));
    m.scale.value = h["scale"].toDouble(0.0);
    if (!parseChannel(h["channel"].toString(), &m.channel) || (h["vessels"] != "dark" && h["vessels"] != "bright"))
        return refuse(ModelText::tr("%1 is damaged: its channel or vessel polarity is unknown.").arg(name));
    m.polarity = h["vessels"] == "dark" ? Polarity::Dark : Polarity::Bright;
    // Numbers must be numbers: toDouble and toInt give -1 for text, and toInt for anything
    // that is not a whole number an int can hold.
    const QJsonValue threshold = h["threshold"], smallest = h["smallest_component"], pixels = h["training_pixels"];
    m.threshold = threshold.isUndefined() ? 0.5 : threshold.toDouble(-1);
    m.smallestComponent = smallest.isUndefined() ? 0 : smallest.toInt(-1);
    if (!(m.threshold > 0.0 && m.threshold < 1.0) || m.smallestComponent < 0 || m.smallestComponent > 1000000)
        return refuse(ModelText::tr("%1 is damaged: its threshold or smallest vessel region is out of range.").arg(name));
    if (!(pixels.toDouble(-1) >= 0.0 && pixels.toDouble() <= 1e15))
        return refuse(ModelText::tr("%1 is damaged: its number of training pixels is out of range.").arg(name));
    m.trainingPixels = (long long)pixels.toDouble();
    if (m.learner == Learner::Trees)
        if (const QString fault = checkBoostedTrees(payload, int(m.features.size())); !fault.isEmpty())
            return refuse(ModelText::tr("%1 is damaged: %2.").arg(name, fault));
    try {
        if (m.learner == Learner::Network) {
            const int channels = h["base_channels"].toInt(0);
            if (channels < 1 || channels > 256) return refuse(ModelText::tr("%1 is damaged: its network's size is out of range.").arg(name));
            m.network = std::make_shared<VesselNetwork>(VesselNetwork::fromBytes(payload, channels));
            return loaded;
        }
        auto parsed = std::make_shared<BoostedTrees>(BoostedTrees::fromBytes(payload));
        if (parsed->featureCount() != m.features.size())
            return refuse(ModelText::tr("%1 is damaged: its trees expect another number of features.").arg(name));
        m.trees = parsed;
    } catch (const std::exception &) {
        // The library's own text is English and may carry addresses and raw bytes.
        return refuse(ModelText::tr("%1 is damaged: its trees cannot be read.").arg(name));
    }
    return loaded;
}

LoadedModel loadVesselModel(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LoadedModel failed;
        failed.error = ModelText::tr("cannot read %1: %2").arg(path, file.errorString());
        return failed;
    }
    // A model is a few megabytes; anything far larger is not one.
    if (file.size() > 256LL * 1024 * 1024) {
        LoadedModel failed;
        failed.error = ModelText::tr("%1 is not a vessel model of Quendra Tool.").arg(path);
        return failed;
    }
    const QByteArray bytes = file.readAll();
    return isTorchScript(bytes) ? loadTorchScriptModel(bytes, path) : parseVesselModel(bytes, path);
}
