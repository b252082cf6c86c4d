// The operation table's headless runs: each reads its parameters, computes its result from
// the model's current image (the working copy) and only then writes it into the model, so
// a failure leaves the model as it was.
#pragma once
#include <memory>

#include "ops/classify/vesselmodel.h"
#include "ops/segmentation/hysteresis.h"
#include "ops/table/operations.h"

// Point operations.
void runInvert(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runNormalize(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runLog(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runSqrt(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runPower(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
// Leaves the working copy as it is (the table's placeholder for "Gaussian blur").
void runNothing(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);

// Morphology with a disc of the row's size=; thinning.
void runErode(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runDilate(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runOpen(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runClose(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runTopHat(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runGradient(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runSkeletonize(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runZhangSuen(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);

// Vessel enhancement and frequency domain.
void runFft(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runInvFft(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
// The larger eigenvalue replaces the current image; the smaller one is appended and
// becomes current.
void runEigen(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runLaplEnh(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runHessEnh(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runHomomorphic(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runNonLinear(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);

// Segmentation. Threshold: throws for an empty image. Hysteresis: pre-step on the working copy, one calculation, and the result kept in
// the working copy as "Close" keeps it; the reference image stays in the model's
// referenceImage. Fuzzy: fuzzyClustering.
void runThreshold(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
void runHysteresis(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
// The hysteresis row's coverages: the preset's, or the own vessel= and background= (each
// defaulting to the row's value when only the other is given). Throws
// std::invalid_argument when the vessel coverage exceeds the background coverage.
HystCoverages hysteresisCoverages(const ParamValues &values);
void runFuzzy(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);

// Vessel classification with a trained model (model=, a model file; the window and the
// command line read the image in the model's channel). The field of view is found on the
// gray levels of source= (the file the image was read from) when that file holds one
// frame of the image's size, else on the image itself. The working copy becomes the vessel
// probability map (0..255), the 0/255 segmentation at the model's threshold, without its
// specks, is appended and becomes current, and the field of view (255 inside) is kept as
// the model's reference image.
void runVesselClassifier(ImageModel &model, const ParamValues &values, Progress &progress, Notes &notes);
// The model file at path, read once and shared until the file changes; throws
// std::runtime_error with the reader's words when it is refused.
std::shared_ptr<const VesselModel> sharedVesselModel(const QString &path);
// The file of a model installed with the program ("retina" -> .../models/retina.qvm).
QString shippedModelPath(const QString &name);
