// Point operations: every value is mapped on its own.
#pragma once
#include "ops/operations.h"

// Headless runs for the operation table.
void runInvert(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
// Leaves the working copy as it is (the table's placeholder for "Gaussian blur").
void runNothing(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
