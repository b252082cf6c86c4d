// Headless runs of the vessel-enhancement and frequency-domain operations for the
// operation table. Each computes its result from the current image first and only then
// writes it into the model, so a failure leaves the model as it was.
#pragma once
#include "ops/table/operations.h"

void runFft(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runInvFft(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
// The larger eigenvalue replaces the current image; the smaller one is appended and
// becomes current.
void runEigen(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runLaplEnh(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runHessEnh(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runHomomorphic(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runNonLinear(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
