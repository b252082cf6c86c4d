// What segment needs to run a vessel classifier: the model chosen with --model, and one
// photograph through it.
#pragma once
#include <QStringList>
#include <memory>

#include "ops/core/execution.h"
#include "ops/classify/vesselmodel.h"

struct ClassifierSettings {
    std::shared_ptr<const VesselModel> model;  // null unless --method classifier
    QString modelName;                         // as given with --model
    bool probabilities = false;                // also write the probability map
    double scale = 0.0;                        // --scale F; 0: the model's rule
};

// The model named on the command line: a file, or the name of an installed model. Throws
// UsageError when there is none, LoadError when it is refused.
std::shared_ptr<const VesselModel> loadNamedModel(const QString &name);

// The file of a model installed with the program ("retina" -> .../models/retina.qvm),
// found where the catalogue and the manual are found.
QString shippedModelPath(const QString &name);

// Reads --model, --scale and --probabilities. With classifier false they are refused; with it,
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

// The last columns of measurements.csv: the model (as named with --model), the SHA-256 of
// its learned bytes and the factor the image was resized by; empty without a classifier.
QString classifierCsvHeader();
QString classifierCsvValues(const ClassifierSettings &s, double scale);
