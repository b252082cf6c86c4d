#include "ops/segmentation/hysteresis.h"

#include <QCoreApplication>
#include <cmath>
#include <stdexcept>

#include "ops/segmentation/growing.h"
#include "ops/filters/hessian.h"
#include "ops/filters/histogram.h"
#include "ops/core/imagehelpers.h"
#include "ops/morphology/morphology.h"
#include "ops/core/progress.h"
#include "ops/core/viewtext.h"

namespace {

// The Hessian enhancement halves the image twice; below this size a level is empty.
constexpr int kMinimumSide = 4;

// Whether any value lies above the threshold. The mask "value at or below the threshold"
// is the inversion of the 0/1 marking "above" by that marking's own maximum, so it is
// empty, not full, when no value lies above.
bool anyAbove(const Image &image, int threshold)
{
    const double t = threshold;
    for (const double v : image)
        if (v > t) return true;
    return false;
}

}  // namespace

HystCoverages hystPresetCoverages(HystPreset preset)
{
    switch (preset) {
    case HystPreset::SkinTransplant: return {0.85, 0.03};
    case HystPreset::CoronaryAngiogram: return {0.84, 0.001};
    case HystPreset::Retina: break;
    }
    return {0.87, 0.06};
}

void requirePreStepInput(const Image &current, int discSize)
{
    if (current.width() < kMinimumSide || current.height() < kMinimumSide)
        throw std::runtime_error(ViewText::tr("Hysteresis thresholding needs an image of at least %1 by %1 pixels, not %2 by %3")
                                     .arg(kMinimumSide)
                                     .arg(current.width())
                                     .arg(current.height())
                                     .toStdString());
    if (discSize < 1)
        throw std::runtime_error(
            ViewText::tr("Hysteresis thresholding needs a disc size of at least 1, not %1").arg(discSize).toStdString());
}

Image hysteresisPreStep(Image current, int discSize, Progress &progress)
{
    requirePreStepInput(current, discSize);
    // Each intermediate image is handed on to the next step, which reuses its buffer, so
    // the step needs few image-sized buffers at a time.
    Image t;
    {
        Image normalized = std::move(current);
        normalizeTo255(normalized);
        t = topHatImage(normalized, makeStructEl(1, discSize), progress);
    }
    t = hessEnhImage(getInverted(std::move(t), false), progress);
    normalizeTo255(t);
    return t;
}

int coverageThreshold(const Image &histogram, double coverage, double total)
{
    if (histogram.size() < 256) throw std::invalid_argument("Hysteresis thresholding: the histogram needs 256 bins");
    int k = 0;
    double sum = 0.0;
    while (sum / total < coverage && k < 256) {
        sum += histogram[k];
        ++k;
    }
    return k;
}

Image hysteresisCalculate(const Image &reference, double weakb, double hardb, Progress &progress)
{
    if (reference.is_empty())
        throw std::runtime_error(
            ViewText::tr("Hysteresis thresholding needs the vessel enhancement first: the reference image is empty")
                .toStdString());

    progress.start(ViewText::tr("Hysteresis Thresholding"), ViewText::tr("Normalizing ..."), 100);
    Image inverted = getInverted(reference, false);

    progress.setLabel(ViewText::tr("Calculate histogram ..."));
    progress.setValue(51);
    const Image histogram = histogram256(inverted);
    const double total = double(inverted.width()) * double(inverted.height());
    const int t1 = coverageThreshold(histogram, hardb, total);
    const int t2 = coverageThreshold(histogram, 1.0 - weakb, total);

    progress.setLabel(ViewText::tr("Calculate thresholded images ..."));
    progress.setValue(68);
    // A = sure vessels, B = weak mask, ring C = A XOR B. A pixel of A is a seed, a ring
    // pixel outside A a candidate of the growing.
    const bool hasA = anyAbove(inverted, t1);
    const bool hasB = anyAbove(inverted, t2);
    const double d1 = t1, d2 = t2;
    GrowState state(inverted.size());
    const double *src = inverted.data();
    for (size_t i = 0; i < state.size(); ++i) {
        const bool a = hasA && !(src[i] > d1);
        const bool b = hasB && !(src[i] > d2);
        state[i] = a ? kGrowSeed : (b ? kGrowCandidate : kGrowBlocked);
    }

    progress.setLabel(ViewText::tr("Calculate combined thresholded image ..."));
    progress.setValue(85);
    growFromSeeds(state, inverted.width(), inverted.height());

    // The inverted image is not needed any more: its buffer takes the result.
    double *dst = inverted.data();
    for (size_t i = 0; i < state.size(); ++i) dst[i] = state[i] == kGrowSeed ? kWhite : 0.0;
    progress.setValue(100);
    progress.finish();
    return inverted;
}
