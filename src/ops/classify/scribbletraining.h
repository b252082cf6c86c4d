// Learning a vessel classifier from strokes painted on one image: the user marks a few
// vessel and background pixels, the trees learn from those pixels' features, and the whole
// image is classified. The features cost far more than the trees: they are computed once,
// on a worker thread while the user paints, and every training reuses them.
#pragma once
#include <memory>

#include "ops/core/image.h"
#include "ops/core/channel.h"
#include "ops/classify/vesselmodel.h"

// The most stroke pixels one training learns from; more are drawn evenly from each class
// (a broad brush over a large photograph gives hundreds of thousands of nearly alike pixels).
inline constexpr size_t kMaxScribblePixels = 200000;

// Stroke pixels inside the field of view, per class.
struct ScribbleCounts {
    long long vessel = 0, background = 0;
};

// One training's outcome: the model (for saving), the vessel probability (0..1) and the
// 0/255 segmentation made from it as the model says (the same as the saved model gives on
// this image), 0 outside the field of view.
struct ScribbleResult {
    VesselModel model;
    Image probability;
    Image segmentation;
};

class ScribbleTrainer {
public:
    // image: gray levels as loaded in channel (recorded in the model). The field of view is
    // found automatically, as the classifier does on the image it classifies.
    ScribbleTrainer(const Image &image, Channel channel);
    ScribbleTrainer(const ScribbleTrainer &) = delete;
    ScribbleTrainer &operator=(const ScribbleTrainer &) = delete;

    const Image &image() const { return *image_; }
    const Image &fieldOfView() const { return *fov_; }
    Channel channel() const { return channel_; }

    // Starts computing the features of polarity on the program's worker threads, unless
    // they are computed or on the way. The trainer may go at any time; a computation that
    // is no longer wanted finishes on its own and is dropped.
    void prepare(Polarity polarity);

    // The labelled pixels of labels (kVesselLabel, kBackgroundLabel, anything else
    // unlabelled, the image's size) that lie inside the field of view.
    ScribbleCounts count(const Image &labels) const;

    // Learns from every labelled pixel inside the field of view (at most kMaxScribblePixels,
    // drawn with a fixed seed) with the learner's deterministic settings, and classifies the
    // image. It waits for the features of polarity (prepare) and keeps them. The trees learn
    // and predict on one thread: on strokes that takes a few tenths of a second, while the
    // library's worker threads wait for each other busily and, on a machine whose cores are
    // busy with other work, were seen to take 5 to 10 s instead.
    // Throws std::runtime_error when a class has no pixel inside the field of view, the
    // features cannot be computed or the library fails; the trainer is then as before.
    ScribbleResult train(const Image &labels, Polarity polarity);

private:
    struct Pending;
    const FeatureStack &features(Polarity polarity);

    std::shared_ptr<const Image> image_, fov_;
    Channel channel_;
    std::shared_ptr<Pending> dark_, bright_;
};
