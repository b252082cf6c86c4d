#include "ops/table/runs.h"

#include <stdexcept>

#include "ops/core/imagehelpers.h"
#include "ops/filters/pointops.h"
#include "ops/morphology/morphology.h"
#include "ops/morphology/thinning.h"

namespace {

int discSizeParam(const Params &params)
{
    const int size = params.integer("size", 3);
    if (size < 1 || size > 999)
        throw std::invalid_argument(QString("size= must lie between 1 and 999, not %1").arg(size).toStdString());
    return size;
}

double exponentParam(const Params &params)
{
    const double p = params.number("exponent", 2.0);
    if (p < 0.0 || p > 100.0)
        throw std::invalid_argument(QString("exponent= must lie between 0 and 100, not %1").arg(p).toStdString());
    return p;
}

}  // namespace

void runInvert(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(getInverted(model.current(), false));
}

void runNormalize(ImageModel &model, const Params &, Progress &, Notes &notes)
{
    model.replaceCurrent(normalizedImage(model.current(), notes));
}

void runLog(ImageModel &model, const Params &, Progress &, Notes &notes)
{
    model.replaceCurrent(logImage(model.current(), notes));
}

void runSqrt(ImageModel &model, const Params &, Progress &, Notes &notes)
{
    model.replaceCurrent(sqrtImage(model.current(), notes));
}

void runPower(ImageModel &model, const Params &params, Progress &, Notes &notes)
{
    const double p = exponentParam(params);
    model.replaceCurrent(powerImage(model.current(), p, notes));
}

void runNothing(ImageModel &, const Params &, Progress &, Notes &) {}

void runErode(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(erodeImage(model.current(), disc, progress));
}

void runDilate(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(dilateImage(model.current(), disc, progress));
}

void runOpen(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(dilateImage(erodeImage(model.current(), disc, progress), disc, progress));
}

void runClose(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(erodeImage(dilateImage(model.current(), disc, progress), disc, progress));
}

void runTopHat(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(topHatImage(model.current(), disc, progress));
}

void runGradient(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(gradientImage(model.current(), disc, progress));
}

void runSkeletonize(ImageModel &model, const Params &, Progress &progress, Notes &)
{
    model.replaceCurrent(skeletonizeImage(model.current(), [&progress](const Image &cycle) {
        progress.intermediate(cycle);
        progress.processEvents();
    }));
}

void runZhangSuen(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(zhangSuenThin(model.current()));
}
