// segment --method classifier: the model named on the command line, and one photograph
// through it.
#include "classifierrun.h"

#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "app/datafolders.h"
#include "commandline.h"
#include "commands.h"
#include "ops/classify/fieldofview.h"
#include "ops/core/progress.h"

QString shippedModelPath(const QString &name)
{
    return QDir(dataFolder("models")).filePath(name + ".qvm");
}

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
    // A bare name without a file of that name is one of the models installed with the program.
    const QString path = !QFileInfo::exists(model) && !model.contains('/') && !model.contains('.')
                             ? shippedModelPath(model)
                             : model;
    if (!QFileInfo::exists(path))
        throw UsageError(QString("no model file %1%2").arg(path, path == model ? QString() : QString(" (the installed model \"%1\")").arg(model)).toStdString());
    LoadedModel loaded = loadVesselModel(path);
    if (!loaded.ok()) throw LoadError(loaded.error.toStdString());
    s.model = std::make_shared<const VesselModel>(std::move(loaded.model));
    return s;
}

ClassifierResult classifyFile(const ClassifierSettings &s, const QString &input)
{
    NullProgress quiet;
    const Image image = loadInput(input, quiet, s.model->channel);
    // The dark surround is found on the gray levels of all channels: a single channel (the
    // green one of a fundus photograph) can be too dark inside the rim to tell it apart.
    const Image gray = s.model->channel == Channel::Gray ? image : loadInput(input, quiet, Channel::Gray);
    ClassifierResult r;
    r.classification = classifyVessels(*s.model, image, findFieldOfView(gray), execution::rowThreads());
    r.fovArea = fieldOfViewArea(r.classification.fov);
    return r;
}

void writeProbabilityPicture(const Image &probability, const QString &path)
{
    QImage picture(probability.width(), probability.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < probability.height(); ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < probability.width(); ++x) line[x] = uchar(std::lround(std::clamp(probability(x, y), 0.0, 1.0) * 255.0));
    }
    writePicture(picture, path);
}
