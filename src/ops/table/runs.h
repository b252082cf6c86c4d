// The operation table's headless runs: each reads its parameters, computes its result from
// the model's current image (the working copy) and only then writes it into the model, so
// a failure leaves the model as it was.
#pragma once
#include "ops/table/operations.h"

// Point operations.
void runInvert(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runNormalize(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runLog(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runSqrt(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
// exponent=, default 2, 0..100.
void runPower(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
// Leaves the working copy as it is (the table's placeholder for "Gaussian blur").
void runNothing(ImageModel &model, const Params &params, Progress &progress, Notes &notes);

// Morphology with a disc (size=, default 3, 1..999); thinning.
void runErode(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runDilate(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runOpen(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runClose(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runTopHat(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runGradient(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runSkeletonize(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runZhangSuen(ImageModel &model, const Params &params, Progress &progress, Notes &notes);

// Vessel enhancement and frequency domain.
void runFft(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runInvFft(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
// The larger eigenvalue replaces the current image; the smaller one is appended and
// becomes current.
void runEigen(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runLaplEnh(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runHessEnh(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runHomomorphic(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runNonLinear(ImageModel &model, const Params &params, Progress &progress, Notes &notes);

// Segmentation. Threshold: border= (0..255, default 0) and invert=; throws for an empty
// image. Hysteresis: pre-step on the working copy, one calculation, and the result kept in
// the working copy as "Close" keeps it; the reference image stays in the model's
// referenceImage. Fuzzy: fuzzyClustering.
void runThreshold(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runHysteresis(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
void runFuzzy(ImageModel &model, const Params &params, Progress &progress, Notes &notes);
