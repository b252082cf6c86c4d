#include "ops/classify/scribbletraining.h"

#include <QThreadPool>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "ops/classify/fieldofview.h"
#include "ops/core/viewtext.h"

// The features of one polarity: being computed on a worker thread, or done (or failed).
struct ScribbleTrainer::Pending {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::optional<FeatureStack> features;
    std::exception_ptr error;
};

ScribbleTrainer::ScribbleTrainer(const Image &image, Channel channel)
    : image_(std::make_shared<const Image>(image)),
      fov_(std::make_shared<const Image>(findFieldOfView(image))),
      channel_(channel)
{
}

ScribbleCounts ScribbleTrainer::count(const Image &labels) const
{
    if (labels.width() != image_->width() || labels.height() != image_->height())
        throw std::runtime_error("The strokes and the image differ in size.");
    ScribbleCounts counts;
    for (size_t p = 0; p < labels.size(); ++p) {
        if (fov_->data()[p] != kWhite) continue;
        counts.vessel += labels.data()[p] == kVesselLabel;
        counts.background += labels.data()[p] == kBackgroundLabel;
    }
    return counts;
}

void ScribbleTrainer::prepare(Polarity polarity)
{
    std::shared_ptr<Pending> &slot = polarity == Polarity::Dark ? dark_ : bright_;
    if (slot) return;
    slot = std::make_shared<Pending>();
    // The task holds what it reads and writes, so it outlives the trainer safely; the
    // global pool is waited for when the application ends.
    QThreadPool::globalInstance()->start([pending = slot, image = image_, fov = fov_, polarity] {
        std::optional<FeatureStack> features;
        std::exception_ptr error;
        try {
            features = computeVesselFeatures(*image, *fov, polarity);
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard<std::mutex> guard(pending->lock);
        pending->features = std::move(features);
        pending->error = error;
        pending->done = true;
        pending->finished.notify_all();
    });
}

const FeatureStack &ScribbleTrainer::features(Polarity polarity)
{
    prepare(polarity);
    std::shared_ptr<Pending> &slot = polarity == Polarity::Dark ? dark_ : bright_;
    std::unique_lock<std::mutex> guard(slot->lock);
    slot->finished.wait(guard, [&] { return slot->done; });
    if (slot->error) {
        // The next training tries again (memory may have been freed meanwhile).
        const std::exception_ptr error = slot->error;
        guard.unlock();
        slot.reset();
        std::rethrow_exception(error);
    }
    return *slot->features;
}

ScribbleResult ScribbleTrainer::train(const Image &labels, Polarity polarity)
{
    const int threads = 1;
    const ScribbleCounts counts = count(labels);
    if (counts.vessel == 0)
        throw std::runtime_error(ViewText::tr("There is no vessel stroke inside the field of view.").toStdString());
    if (counts.background == 0)
        throw std::runtime_error(ViewText::tr("There is no background stroke inside the field of view.").toStdString());
    // Strokes outside the field of view are not learned from: their features are all 0.
    Image inside = labels;
    for (size_t p = 0; p < inside.size(); ++p)
        if (fov_->data()[p] != kWhite) inside.data()[p] = kNoLabel;
    const FeatureStack &stack = features(polarity);
    TrainingSamples samples;
    addTrainingPixels(samples, stack, inside, kMaxScribblePixels, 1);
    ScribbleResult result;
    result.model = trainVesselModel(samples, channel_, polarity, threads);
    result.probability = vesselProbability(result.model, stack, *fov_, threads);
    result.segmentation = vesselSegmentation(result.probability, result.model);
    return result;
}
