#include "ops/table/runs.h"

#include <stdexcept>

#include "ops/segmentation/fuzzy.h"
#include "ops/segmentation/hysteresis.h"
#include "ops/segmentation/threshold.h"

HystCoverages hysteresisCoverages(const ParamValues &values)
{
    if (!values.given("vessel") && !values.given("background")) {
        const QString preset = values.text("preset");
        if (preset == "skin") return hystPresetCoverages(HystPreset::SkinTransplant);
        if (preset == "coronary") return hystPresetCoverages(HystPreset::CoronaryAngiogram);
        return hystPresetCoverages(HystPreset::Retina);
    }
    const double vessel = values.number("vessel"), background = values.number("background");
    if (vessel > background)
        throw std::invalid_argument(QString("hysteresis: vessel= (%1) must not exceed background= (%2)")
                                        .arg(vessel)
                                        .arg(background)
                                        .toStdString());
    return {background / 100.0, vessel / 100.0};
}

void runThreshold(ImageModel &model, const ParamValues &values, Progress &, Notes &)
{
    if (model.current().is_empty()) throw std::runtime_error("Thresholding: the image is empty");
    model.previewImage = thresholdImage(model.current(), values.integer("border"), values.flag("invert"));
    model.replaceCurrent(model.previewImage);
}

void runHysteresis(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    const int disc = values.integer("disc");
    const HystCoverages coverages = hysteresisCoverages(values);
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

void runFuzzy(ImageModel &model, const ParamValues &, Progress &progress, Notes &notes)
{
    fuzzyClustering(model, progress, notes);
}
