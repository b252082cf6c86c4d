#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <map>
#include <mutex>
#include <stdexcept>

#include "ops/classify/fieldofview.h"
#include "ops/core/execution.h"
#include "ops/core/progress.h"
#include "ops/core/viewtext.h"
#include "ops/io/datafolders.h"
#include "ops/io/imageio.h"
#include "ops/table/runs.h"

namespace {

// The image whose dark surround marks the field of view: the gray levels of the source
// file when it holds one frame of the image's size, else the image itself. A single
// channel (the green one of a fundus photograph) can be too dark inside the rim to tell
// the surround apart; the gray levels of all channels are not.
Image fieldOfViewSource(const QString &source, const Image &image)
{
    if (source.isEmpty()) return image;
    NullProgress quiet;
    LoadResult gray = loadAnyImage(source, quiet, Channel::Gray);
    if (!gray.ok() || gray.frameCount() != 1 || !gray.image.is_sameXY(image)) return image;
    return std::move(gray.image);
}

}  // namespace

QString shippedModelPath(const QString &name) { return QDir(dataFolder("models")).filePath(name + ".qvm"); }

std::shared_ptr<const VesselModel> sharedVesselModel(const QString &path)
{
    // Every image of a batch names the same file: it is read once, and again only when it
    // has changed on disk.
    struct Cached {
        QDateTime modified;
        qint64 size = 0;
        std::shared_ptr<const VesselModel> model;
    };
    static std::mutex mutex;
    // Never destroyed: the learning library's own state may be gone when the program's
    // statics are, and freeing a model then corrupts the heap.
    static auto &cache = *new std::map<QString, Cached>;
    const QFileInfo info(path);
    const QString key = info.absoluteFilePath();
    const std::lock_guard<std::mutex> lock(mutex);
    Cached &entry = cache[key];
    if (entry.model && entry.modified == info.lastModified() && entry.size == info.size()) return entry.model;
    LoadedModel loaded = loadVesselModel(path);
    if (!loaded.ok()) throw std::runtime_error(loaded.error.toStdString());
    entry = {info.lastModified(), info.size(), std::make_shared<const VesselModel>(std::move(loaded.model))};
    return entry.model;
}

void runVesselClassifier(ImageModel &model, const ParamValues &values, Progress &progress, Notes &)
{
    if (!values.has("model")) throw std::invalid_argument("classifier: model= names the model file");
    progress.start(ViewText::tr("Vessel classifier"), ViewText::tr("Reading the model ..."), 3);
    const std::shared_ptr<const VesselModel> vessels = sharedVesselModel(values.text("model"));
    const Image &image = model.current();
    progress.setLabel(ViewText::tr("Finding the field of view ..."));
    progress.setValue(1);
    // Without source= (a frame of a run) the field of view is found on the image itself.
    Image fov = findFieldOfView(fieldOfViewSource(values.has("source") ? values.text("source") : QString(), image));
    progress.setLabel(ViewText::tr("Classifying the pixels ..."));
    progress.setValue(2);
    ClassifyOptions options;
    options.scale = values.number("scale");
    options.pixelSizeMm = values.number("pixelsize");
    options.progress = &progress;  // tiled inference reports its tiles and heeds Cancel between them
    VesselClassification c = classifyVessels(*vessels, image, fov, execution::rowThreads(), options);
    progress.setValue(3);
    model.replaceCurrent(c.probability * 255.0);
    model.append(std::move(c.segmentation));
    model.currentIndex = model.count() - 1;
    model.referenceImage = std::move(c.fov);
    progress.finish();
}
