// One image through a vessel model of either learner, at the model's scale.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ops/classify/fieldofview.h"
#include "ops/classify/networkinference.h"
#include "ops/classify/networkinput.h"
#include "ops/classify/vesselfeatures.h"
#include "ops/classify/vesselmodel.h"
#include "ops/core/progress.h"

Image modelProbability(const VesselModel &model, const Image &image, const Image &fov, int threads, Progress &progress)
{
    if (model.learner == Learner::Trees) {
        // The features take most of the time: a Cancel meanwhile is heeded before the trees run.
        const FeatureStack features = computeVesselFeatures(image, fov, model.polarity);
        if (progress.cancelled()) throw OperationCancelled();
        return vesselProbability(model, features, fov, threads);
    }
    if (!model.network) throw std::runtime_error("The model holds no network.");
    Image p = networkProbability(*model.network, networkInput(image, fov, model.polarity), image.width(), image.height(),
                                 threads, progress);
    cimg_forXY(p, x, y) if (fov(x, y) != kWhite) p(x, y) = 0.0;
    return p;
}

VesselClassification classifyVessels(const VesselModel &model, const Image &image, const Image &mask, int threads,
                                     const ClassifyOptions &options)
{
    VesselClassification c;
    if (!mask.is_empty() && (mask.width() != image.width() || mask.height() != image.height()))
        throw std::runtime_error("The field-of-view mask and the image differ in size.");
    NullProgress quiet;
    Progress &progress = options.progress ? *options.progress : quiet;
    c.fov = mask.is_empty() ? findFieldOfView(image) : fieldOfViewFromMask(mask, image.width(), image.height());
    c.scale = options.scale > 0.0 ? options.scale : segmentationFactor(model.scale, c.fov, options.pixelSizeMm);
    if (c.scale == 1.0) {
        c.probability = modelProbability(model, image, c.fov, threads, progress);
    } else {
        const Image scaled = resizedByFactor(image, c.scale, kFeatureMinimumSide);
        const Image scaledFov = resizedMask(c.fov, scaled.width(), scaled.height());
        c.probability = resizedBack(modelProbability(model, scaled, scaledFov, threads, progress), image.width(), image.height());
        cimg_forXY(c.probability, x, y) if (c.fov(x, y) != kWhite) c.probability(x, y) = 0.0;
    }
    // The smallest vessel region is counted at the model's scale.
    const int smallest = int(std::lround(model.smallestComponent / (c.scale * c.scale)));
    c.segmentation = vesselSegmentation(c.probability, model.threshold, smallest);
    return c;
}
