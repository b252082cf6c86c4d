#include "ops/table/runs.h"

#include "ops/core/imagehelpers.h"
#include "ops/filters/pointops.h"
#include "ops/morphology/morphology.h"
#include "ops/morphology/thinning.h"

void runInvert(ImageModel &model, const ParamValues &, Progress &, Notes &)
{
    model.replaceCurrent(getInverted(model.current(), false));
}

void runNormalize(ImageModel &model, const ParamValues &, Progress &, Notes &notes)
{
    model.replaceCurrent(normalizedImage(model.current(), notes));
}

void runLog(ImageModel &model, const ParamValues &, Progress &, Notes &notes)
{
    model.replaceCurrent(logImage(model.current(), notes));
}

void runSqrt(ImageModel &model, const ParamValues &, Progress &, Notes &notes)
{
    model.replaceCurrent(sqrtImage(model.current(), notes));
}

void runPower(ImageModel &model, const ParamValues &values, Progress &, Notes &notes)
{
    model.replaceCurrent(powerImage(model.current(), values.number("exponent"), notes));
}

void runNothing(ImageModel &, const ParamValues &, Progress &, Notes &) {}

void runErode(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, values.integer("size"));
    model.replaceCurrent(erodeImage(model.current(), disc, progress));
}

void runDilate(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, values.integer("size"));
    model.replaceCurrent(dilateImage(model.current(), disc, progress));
}

void runOpen(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, values.integer("size"));
    model.replaceCurrent(dilateImage(erodeImage(model.current(), disc, progress), disc, progress));
}

void runClose(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, values.integer("size"));
    model.replaceCurrent(erodeImage(dilateImage(model.current(), disc, progress), disc, progress));
}

void runTopHat(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, values.integer("size"));
    model.replaceCurrent(topHatImage(model.current(), disc, progress));
}

void runGradient(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, values.integer("size"));
    model.replaceCurrent(gradientImage(model.current(), disc, progress));
}

void runSkeletonize(ImageModel &model, const ParamValues &, Progress &progress, Notes &)
{
    model.replaceCurrent(skeletonizeImage(model.current(), [&progress](const Image &cycle) {
        progress.intermediate(cycle);
        progress.processEvents();
    }));
}

void runZhangSuen(ImageModel &model, const ParamValues &, Progress &, Notes &)
{
    model.replaceCurrent(zhangSuenThin(model.current()));
}
