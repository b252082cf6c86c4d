// A trained vessel classifier: the boosted trees together with everything needed to use
// them again the same way (feature list, colour channel, vessel polarity, threshold,
// program version), learning from labelled pixels, predicting vessel probabilities, and
// the model file.
#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "ops/boostedtrees.h"
#include "ops/image.h"
#include "ops/imageio.h"
#include "ops/vesselfeatures.h"

class Progress;

// Labels of training pixels: vessel, background, or not labelled (not learned from).
inline constexpr double kVesselLabel = 255.0;
inline constexpr double kBackgroundLabel = 0.0;
inline constexpr double kNoLabel = -1.0;

struct VesselModel {
    QString version;          // the program version that trained it
    QStringList features;     // vesselFeatureNames() of that version
    Channel channel = Channel::Gray;
    Polarity polarity = Polarity::Dark;
    // Probability at and above which a pixel is vessel: a little under one half, because the
    // Dice figure weighs a missed thin vessel pixel more than the accuracy does.
    double threshold = 0.45;
    long long trainingPixels = 0;
    std::shared_ptr<const BoostedTrees> trees;
};

// Training pixels gathered from one or more images: feature rows and 0/1 labels.
struct TrainingSamples {
    int featureCount = 0;
    std::vector<float> rows;
    std::vector<float> labels;
    size_t size() const { return labels.size(); }
};

// Adds the labelled pixels of one image (labels: kVesselLabel, kBackgroundLabel, anything
// else not used) to samples. At most maxPixels are taken; when there are more, the same
// share of each class is drawn by a generator seeded with seed, so the classes keep their
// proportion and the draw is the same on every run.
void addTrainingPixels(TrainingSamples &samples, const FeatureStack &features, const Image &labels, size_t maxPixels,
                       uint32_t seed);

// Labels from a manual annotation inside a field of view: vessel where the truth is at
// least 128, background elsewhere inside the field of view, no label outside it.
Image labelsFromTruth(const Image &truth, const Image &fov);

// Learns a model from the samples; threads only changes the speed.
VesselModel trainVesselModel(const TrainingSamples &samples, Channel channel, Polarity polarity, int threads,
                             const TreeSettings &settings = TreeSettings());

// The vessel probability (0..1) of every pixel of image inside fov (0 outside), computed
// with the model's features and polarity on threads threads.
Image vesselProbability(const VesselModel &model, const Image &image, const Image &fov, int threads);
// The same from features already computed.
Image vesselProbability(const VesselModel &model, const FeatureStack &features, const Image &fov, int threads);

// 255 where the probability reaches the threshold, 0 elsewhere.
Image vesselSegmentation(const Image &probability, double threshold);

// One photograph through a model: its field of view (the mask when one is given, 255
// inside; else found automatically), the vessel probability and the 0/255 segmentation
// at the model's threshold.
struct VesselClassification {
    Image fov, probability, segmentation;
};
VesselClassification classifyVessels(const VesselModel &model, const Image &image, const Image &mask, int threads);

// Writes the model file through a temporary file; false and a message on failure.
bool saveVesselModel(const VesselModel &model, const QString &path, QString *error);

// Reads a model file. Refuses, with a message in plain words, a file that is not a vessel
// model, one that is damaged (its checksum does not match), and one trained by another
// program version or on another feature list.
struct LoadedModel {
    VesselModel model;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
LoadedModel loadVesselModel(const QString &path);
// The same from the file's bytes; name is used in the messages.
LoadedModel parseVesselModel(const QByteArray &bytes, const QString &name);
