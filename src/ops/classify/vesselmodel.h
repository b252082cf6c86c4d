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

#include "ops/classify/boostedtrees.h"
#include "ops/core/image.h"
#include "ops/core/channel.h"
#include "ops/classify/vesselfeatures.h"

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
    // Probability at and above which a pixel is vessel: under one half, because at 0.4 the
    // vessel area drawn on photographs the model has not seen matches the annotated area
    // (at 0.5 it falls about 15 % short, and with it every area and width measured).
    double threshold = 0.40;
    // Vessel regions (8-connected) of fewer pixels than this are cleared from the
    // segmentation: isolated specks are noise, not vessels. 0 keeps everything (models
    // written before this setting existed).
    int smallestComponent = 10;
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

// 255 where the probability reaches the threshold, 0 elsewhere; then every 8-connected
// vessel region of fewer than smallestComponent pixels is cleared.
Image vesselSegmentation(const Image &probability, double threshold, int smallestComponent = 0);
// The same with the model's threshold and smallest region.
Image vesselSegmentation(const Image &probability, const VesselModel &model);

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
