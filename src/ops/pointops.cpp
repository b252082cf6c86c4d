#include "ops/pointops.h"

#include "ops/imagehelpers.h"

void runInvert(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(getInverted(model.current(), false));
}

void runNothing(ImageModel &, const Params &, Progress &, Notes &) {}
