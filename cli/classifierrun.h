// What segment needs to run a vessel classifier: the model chosen with --model, and one
// photograph through it.
#pragma once
#include <QStringList>
#include <memory>

#include "ops/core/execution.h"
#include "ops/classify/vesselmodel.h"

struct ClassifierSettings {
    std::shared_ptr<const VesselModel> model;  // null unless --method classifier
    bool probabilities = false;                // also write the probability map
};

// The file of a model installed with the program ("retina" -> .../models/retina.qvm),
// found where the catalogue and the manual are found.
QString shippedModelPath(const QString &name);

// Reads --model and --probabilities. With classifier false they are refused; with it,
// --model is required and the model is read at once (LoadError when it is refused, so
// nothing is segmented with a damaged or foreign model).
class CommandLine;
ClassifierSettings classifierSettings(const CommandLine &line, bool classifier);

struct ClassifierResult {
    VesselClassification classification;
    long long fovArea = 0;
};

// Reads input in the model's channel and classifies it inside its field of view, found
// automatically on the picture's gray levels.
ClassifierResult classifyFile(const ClassifierSettings &s, const QString &input);

// The probability map as an 8-bit picture (0..1 scaled to 0..255).
void writeProbabilityPicture(const Image &probability, const QString &path);
