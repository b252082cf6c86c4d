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

namespace {

// The messages of model files, translated in the window.
struct ModelText {
    Q_DECLARE_TR_FUNCTIONS(VesselModel)
};

const QByteArray kMagic = "QUENDRA VESSEL MODEL\n";

QString polarityName(Polarity p) { return p == Polarity::Dark ? "dark" : "bright"; }

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

VesselClassification classifyVessels(const VesselModel &model, const Image &image, const Image &mask, int threads)
{
    VesselClassification c;
    if (!mask.is_empty() && (mask.width() != image.width() || mask.height() != image.height()))
        throw std::runtime_error("The field-of-view mask and the image differ in size.");
    c.fov = mask.is_empty() ? findFieldOfView(image) : fieldOfViewFromMask(mask, image.width(), image.height());
    c.probability = vesselProbability(model, image, c.fov, threads);
    c.segmentation = vesselSegmentation(c.probability, model);
    return c;
}

bool saveVesselModel(const VesselModel &model, const QString &path, QString *error)
{
    QByteArray trees;
    try {
        trees = model.trees->toBytes();
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    const QJsonObject header{
        {"program", "Quendra Tool"},
        {"version", model.version},
        {"learner", "xgboost"},
        {"features", QJsonArray::fromStringList(model.features)},
        {"channel", channelName(model.channel)},
        {"vessels", polarityName(model.polarity)},
        {"threshold", model.threshold},
        {"smallest_component", model.smallestComponent},
        {"training_pixels", double(model.trainingPixels)},
        {"trees_bytes", double(trees.size())},
        {"trees_sha256", QString(QCryptographicHash::hash(trees, QCryptographicHash::Sha256).toHex())}};
    QString reason;
    if (!writeFileReplacing(path, kMagic + QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n' + trees, &reason)) {
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
    if (m.version != QUENDRA_VERSION)
        return refuse(ModelText::tr("%1 was trained by Quendra Tool %2; this is version %3. Train the model again with this "
                              "version.")
                          .arg(name, m.version.isEmpty() ? ModelText::tr("of an unknown version") : m.version, QUENDRA_VERSION));
    for (const QJsonValue &f : h["features"].toArray()) m.features << f.toString();
    if (m.features != vesselFeatureNames())
        return refuse(ModelText::tr("%1 was trained on other features than this program computes.").arg(name));
    const QByteArray trees = bytes.mid(headerEnd + 1);
    if (h["trees_bytes"].toDouble(-1) != double(trees.size()) ||
        QCryptographicHash::hash(trees, QCryptographicHash::Sha256).toHex() != h["trees_sha256"].toString().toLatin1())
        return refuse(ModelText::tr("%1 is damaged: its contents do not match their checksum.").arg(name));
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
    if (const QString fault = checkBoostedTrees(trees, int(m.features.size())); !fault.isEmpty())
        return refuse(ModelText::tr("%1 is damaged: %2.").arg(name, fault));
    try {
        auto parsed = std::make_shared<BoostedTrees>(BoostedTrees::fromBytes(trees));
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
    return parseVesselModel(file.readAll(), path);
}
