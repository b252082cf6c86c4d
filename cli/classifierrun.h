// What segment needs to run a vessel classifier: the model chosen with --model, read once
// before any image.
#pragma once
#include <QStringList>
#include <memory>

#include "ops/classify/vesselmodel.h"

struct ClassifierSettings {
    QString path;                              // the model file; empty unless --method classifier
    QString modelName;                         // as given with --model
    std::shared_ptr<const VesselModel> model;  // what it holds
    bool probabilities = false;                // also write the probability map
    double scale = 0.0;                        // --scale F; 0: the model's rule
};

// The model named on the command line: the name of an installed model (never a file of that
// name in the current folder: ./NAME names that), or a file. Throws UsageError when there is
// none, LoadError when it is refused. path receives the file.
std::shared_ptr<const VesselModel> loadNamedModel(const QString &name, QString *path = nullptr);

// Reads --model, --scale and --probabilities. With classifier false they are refused; with it,
// --model is required and the model is read at once (LoadError when it is refused, so
// nothing is segmented with a damaged or foreign model).
class CommandLine;
ClassifierSettings classifierSettings(const CommandLine &line, bool classifier);

// The probability map of the classifier row (0..255) as an 8-bit picture.
void writeProbabilityPicture(const Image &probability, const QString &path);

// The last columns of measurements.csv: the model (as named with --model), the SHA-256 of
// its learned bytes and the factor the image was resized by; empty without a classifier.
QString classifierCsvHeader();
QString classifierCsvValues(const ClassifierSettings &s, double scale);
