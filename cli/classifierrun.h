// What segment needs to run a vessel classifier: the model chosen with --model, read once
// before any image.
#pragma once
#include <QStringList>
#include <memory>

#include "ops/classify/vesselmodel.h"

struct ClassifierSettings {
    QString path;                              // the model file; empty unless --method classifier
    std::shared_ptr<const VesselModel> model;  // what it holds
    bool probabilities = false;                // also write the probability map
};

// Reads --model and --probabilities. With classifier false they are refused; with it,
// --model is required and the model is read at once (LoadError when it is refused, so
// nothing is segmented with a damaged or foreign model).
class CommandLine;
ClassifierSettings classifierSettings(const CommandLine &line, bool classifier);

// The probability map of the classifier row (0..255) as an 8-bit picture.
void writeProbabilityPicture(const Image &probability, const QString &path);
