#include "ops/classify/scribblenetwork.h"

#include <cmath>
#include <stdexcept>

#include "ops/classify/networkinput.h"
#include "ops/classify/networkmodel.h"
#include "ops/classify/vesselscale.h"
#include "ops/core/progress.h"

namespace {

// The strokes at width x height, where the image was resized by the library: when it was
// enlarged (corner-aligned interpolation) every pixel takes the label of the source pixel
// nearest to where it samples; when it was shrunk (area average) every label lands on the
// pixel it falls in, so that no thin stroke is lost.
Image resizedLabels(const Image &labels, int width, int height)
{
    Image out(width, height, 1, 1, kNoLabel);
    const int w = labels.width(), h = labels.height();
    if (width >= w && height >= h) {
        const double sx = width > 1 ? double(w - 1) / (width - 1) : 0.0, sy = height > 1 ? double(h - 1) / (height - 1) : 0.0;
        cimg_forXY(out, x, y) out(x, y) = labels(int(std::lround(x * sx)), int(std::lround(y * sy)));
        return out;
    }
    const double fx = double(width) / w, fy = double(height) / h;
    cimg_forXY(labels, x, y) if (labels(x, y) == kVesselLabel || labels(x, y) == kBackgroundLabel)
        out(std::min(width - 1, int(x * fx)), std::min(height - 1, int(y * fy))) = labels(x, y);
    return out;
}

// Every unpainted field-of-view pixel asks, with a small weight, for the starting network's
// own answer there, so that strokes on a few vessels do not unlearn the rest of the image.
void keepStartingAnswer(NetworkExample &e, const Image &probability, float weight)
{
    for (size_t p = 0; p < e.weight.size(); ++p) {
        if (!e.inside[p] || e.weight[p] > 0.0f) continue;
        e.target[p] = float(probability.data()[p]);
        e.weight[p] = weight;
    }
}

}  // namespace

NetworkTrainingSettings scribbleNetworkSettings()
{
    NetworkTrainingSettings s;
    s.steps = 40;
    s.batch = 16;
    s.patch = 64;
    s.learningRate = 1e-3;
    s.seed = 1;
    s.threads = 2;
    s.keepWeight = 0.2;
    s.keepStatistics = true;
    return s;
}

ScribbleResult fineTuneOnScribbles(const ScribbleTrainer &trainer, const Image &labels, Polarity polarity,
                                   const VesselModel &from, const NetworkTrainingSettings &settings,
                                   Progress &progress)
{
    const ScribbleCounts counts = trainer.count(labels);
    if (counts.vessel == 0) throw std::runtime_error("There is no vessel stroke inside the field of view.");
    if (counts.background == 0) throw std::runtime_error("There is no background stroke inside the field of view.");
    const Image &image = trainer.image(), &fov = trainer.fieldOfView();
    const double factor = segmentationFactor(from.scale, fov, 0.0);
    Image scaled = image, scaledFov = fov, scaledLabels = labels;
    if (factor != 1.0) {
        scaled = resizedByFactor(image, factor, kFeatureMinimumSide);
        scaledFov = resizedMask(fov, scaled.width(), scaled.height());
        scaledLabels = resizedLabels(labels, scaled.width(), scaled.height());
    }
    // Strokes on the surround are not learned from: the network's input is 0 there.
    cimg_foroff(scaledLabels, p) if (scaledFov[p] != kWhite) scaledLabels[p] = kNoLabel;
    std::vector<NetworkExample> examples{
        networkExample(networkInput(scaled, scaledFov, polarity), scaledLabels, scaledFov)};
    if (settings.keepWeight > 0.0) {
        NullProgress quiet;
        keepStartingAnswer(examples[0], modelProbability(from, scaled, scaledFov, settings.threads, quiet),
                           float(settings.keepWeight));
    }
    ScribbleResult result;
    result.model = trainNetworkModel(examples, trainer.channel(), polarity, from.scale, settings, 0, &from, progress);
    result.model.threshold = from.threshold;
    result.model.smallestComponent = from.smallestComponent;
    VesselClassification c = classifyVessels(result.model, image, Image(), settings.threads);
    result.probability = std::move(c.probability);
    result.segmentation = std::move(c.segmentation);
    return result;
}
