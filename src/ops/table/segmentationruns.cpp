#include "ops/table/runs.h"

#include <stdexcept>

#include "ops/segmentation/fuzzy.h"
#include "ops/segmentation/hysteresis.h"
#include "ops/segmentation/threshold.h"

namespace {

int borderParam(const Params &params)
{
    const int border = params.integer("border", 0);
    if (border < 0 || border > 255)
        throw std::invalid_argument(QString("border= must lie between 0 and 255, not %1").arg(border).toStdString());
    return border;
}

}  // namespace

void runThreshold(ImageModel &model, const Params &params, Progress &, Notes &)
{
    const int border = borderParam(params);
    const bool invert = params.flag("invert", false);
    if (model.current().is_empty()) throw std::runtime_error("Thresholding: the image is empty");
    model.previewImage = thresholdImage(model.current(), border, invert);
    model.replaceCurrent(model.previewImage);
}

void runHysteresis(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const int disc = hysteresisDiscSize(params);
    const HystCoverages coverages = hysteresisCoverages(params);
    // The working copy is overwritten by the result below: until then the pre-step may
    // use its buffer.
    requirePreStepInput(model.current(), disc);
    model.referenceImage = hysteresisPreStep(std::move(model.current()), disc, progress);
    model.previewImage = hysteresisCalculate(model.referenceImage, coverages.weakb, coverages.hardb, progress);
    // The calculation writes its result into the last image, the working copy (into its
    // buffer, without a new one); "Close" after a calculation writes the same result there
    // once more.
    model.edit(model.count() - 1) = model.previewImage;
}

void runFuzzy(ImageModel &model, const Params &, Progress &progress, Notes &notes)
{
    fuzzyClustering(model, progress, notes);
}
