// segment --method classifier: the model named on the command line.
#include "classifierrun.h"

#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "commandline.h"
#include "commands.h"
#include "ops/table/runs.h"

std::shared_ptr<const VesselModel> loadNamedModel(const QString &model, QString *path)
{
    // A bare name is one of the models installed with the program, never a file of that name
    // in the current folder (which could have been put there by anyone): ./NAME names that.
    const bool shipped = !model.contains('/') && !model.contains('.');
    const QString file = shipped ? shippedModelPath(model) : model;
    if (!QFileInfo::exists(file))
        throw UsageError((shipped ? QString("there is no installed model \"%1\" (%2); name a model file with its path, "
                                            "such as ./%1")
                                        .arg(model, file)
                                  : QString("no model file %1").arg(file))
                             .toStdString());
    if (path) *path = file;
    try {
        return sharedVesselModel(file);
    } catch (const std::runtime_error &e) {
        throw LoadError(e.what());
    }
}

ClassifierSettings classifierSettings(const CommandLine &line, bool classifier)
{
    ClassifierSettings s;
    const QString model = line.value("model"), scale = line.value("scale");
    s.probabilities = line.isSet("probabilities");
    if (!classifier) {
        if (!model.isEmpty() || s.probabilities || !scale.isEmpty())
            throw UsageError("--model, --scale and --probabilities belong to --method classifier");
        return s;
    }
    if (model.isEmpty()) throw UsageError("--method classifier needs --model MODEL (a model file, or retina-network)");
    if (!scale.isEmpty()) {
        bool ok = false;
        s.scale = scale.toDouble(&ok);
        if (!ok || !(s.scale >= kSmallestFactor && s.scale <= kLargestFactor))
            throw UsageError(QString("--scale must be a factor from 1/64 to 8, not \"%1\"").arg(scale).toStdString());
    }
    s.modelName = model;
    s.model = loadNamedModel(model, &s.path);
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

QString classifierCsvHeader() { return ",model,model_sha256,model_scale"; }

QString classifierCsvValues(const ClassifierSettings &s, double scale)
{
    if (!s.model) return ",,,";
    return "," + csvField(s.modelName) + "," + s.model->checksum + "," + csvNumber(scale);
}
