// segment --method classifier: the model named on the command line.
#include "classifierrun.h"

#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "commandline.h"
#include "commands.h"
#include "ops/table/runs.h"

ClassifierSettings classifierSettings(const CommandLine &line, bool classifier)
{
    ClassifierSettings s;
    const QString model = line.value("model");
    s.probabilities = line.isSet("probabilities");
    if (!classifier) {
        if (!model.isEmpty() || s.probabilities)
            throw UsageError("--model and --probabilities belong to --method classifier");
        return s;
    }
    if (model.isEmpty()) throw UsageError("--method classifier needs --model MODEL (a model file, or retina)");
    // A bare name is one of the models installed with the program, never a file of that name
    // in the current folder (which could have been put there by anyone): ./NAME names that.
    const bool shipped = !model.contains('/') && !model.contains('.');
    const QString path = shipped ? shippedModelPath(model) : model;
    if (!QFileInfo::exists(path))
        throw UsageError((shipped ? QString("there is no installed model \"%1\" (%2); name a model file with its path, "
                                            "such as ./%1")
                                        .arg(model, path)
                                  : QString("no model file %1").arg(path))
                             .toStdString());
    try {
        s.model = sharedVesselModel(path);
    } catch (const std::runtime_error &e) {
        throw LoadError(e.what());
    }
    s.path = path;
    return s;
}

void writeProbabilityPicture(const Image &probability, const QString &path)
{
    QImage picture(probability.width(), probability.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < probability.height(); ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < probability.width(); ++x) line[x] = uchar(std::lround(std::clamp(probability(x, y), 0.0, 255.0)));
    }
    writePicture(picture, path);
}
