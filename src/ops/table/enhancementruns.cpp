#include "ops/table/runs.h"

#include "ops/filters/fourier.h"
#include "ops/filters/hessian.h"
#include "ops/filters/homomorphic.h"
#include "ops/filters/pyramid.h"

void runFft(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(magnitudeSpectrum(model.current()));
}

void runInvFft(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(inverseSpectrum(model.current()));
}

void runEigen(ImageModel &model, const Params &, Progress &, Notes &)
{
    ImageList pair = hessianEigen(model.current(), 7);
    model.replaceCurrent(std::move(pair[0]));
    model.append(pair[1]);
    model.currentIndex = model.count() - 1;
}

void runLaplEnh(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(laplPyramidImage(model.current()));
}

void runHessEnh(ImageModel &model, const Params &, Progress &progress, Notes &)
{
    // The working copy is replaced by the result: the computation may use its buffer, once
    // the size is known to be accepted (a refused image stays as it was).
    requireFilterSize(model.current(), 4, "Hessian enhancement");
    model.replaceCurrent(hessEnhImage(std::move(model.current()), progress));
}

void runHomomorphic(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(homomorphicImage(model.current()));
}

void runNonLinear(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(nonLinearImage(model.current()));
}
