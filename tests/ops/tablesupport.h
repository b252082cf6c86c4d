// What the core tests share: bit-for-bit image comparison and running a row of the
// operation table on a working copy, as the dispatcher prepares it.
#pragma once
#include <cstring>

#include "ops/core/image.h"
#include "ops/core/imagemodel.h"
#include "ops/core/progress.h"
#include "ops/table/operations.h"

// Same size and the same doubles, bit for bit (NaN and -0 included).
inline bool sameBits(const Image &a, const Image &b)
{
    return a.is_sameXYZC(b) && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// A model over [in, working copy] after the row named cliName ran on the copy with its
// default parameters (what it throws reaches the caller).
inline ImageModel runOnWorkingCopy(const char *cliName, const Image &in)
{
    const OperationRow *row = findOperation(cliName);
    if (!row || !row->run) throw std::logic_error("no such row");
    NullProgress progress;
    Notes notes;
    ImageModel model(in);
    model.duplicateCurrent();
    row->run(model, ParamValues(*row, Params()), progress, notes);
    return model;
}
