// quendra-cli train: a vessel classifier learned from photographs and their manual
// annotations, written as a model file for segment --method classifier and the GUI.
#include <QDateTime>
#include <QFileInfo>

#include "cli.h"
#include "commandline.h"
#include "commands.h"
#include "ops/classify/fieldofview.h"
#include "ops/core/progress.h"
#include "ops/classify/vesselmodel.h"
#include "terminalprogress.h"

namespace {

// Training pixels drawn from each photograph: about half of a DRIVE photograph's field of
// view. Fewer cost Dice on unseen photographs; 20 photographs still learn in under a minute.
constexpr size_t kPixelsPerImage = 100000;

struct TrainSettings {
    QString truth, mask, out;
    Channel channel = Channel::Gray;
    Polarity polarity = Polarity::Bright;
    int threads = 1;
    size_t pixelsPerImage = kPixelsPerImage;
};

struct Example {
    QString image, truth, mask;  // mask empty: found automatically
};

TrainSettings parseTrainSettings(const CommandLine &line)
{
    TrainSettings s;
    s.threads = line.threads();
    s.channel = line.channel();
    s.truth = line.value("truth");
    s.mask = line.value("mask");
    s.out = line.value("out");
    const QString pixels = line.value("pixels-per-image");
    s.polarity = line.isSet("dark-vessels") ? Polarity::Dark : Polarity::Bright;
    if (s.truth.isEmpty()) throw UsageError("train needs --truth T (the manual annotations)");
    if (s.out.isEmpty()) throw UsageError("train needs --out MODEL");
    if (!pixels.isEmpty()) {
        bool ok = false;
        const int n = pixels.toInt(&ok);
        if (!ok || n < 100 || n > 10000000)
            throw UsageError(QString("--pixels-per-image must be 100 to 10000000, not \"%1\"").arg(pixels).toStdString());
        s.pixelsPerImage = size_t(n);
    }
    if (line.positional().isEmpty()) throw UsageError("train needs at least one IMAGE file or folder");
    for (const QString &path : {s.truth, s.mask})
        if (!path.isEmpty() && !QFileInfo::exists(path))
            throw UsageError(QString("no such file or folder: %1").arg(path).toStdString());
    return s;
}

// Each photograph with its annotation (and mask), paired by name stem like evaluate does.
std::vector<Example> pairExamples(const QStringList &images, const TrainSettings &s)
{
    const bool truthFolder = QFileInfo(s.truth).isDir(), maskFolder = !s.mask.isEmpty() && QFileInfo(s.mask).isDir();
    if ((!truthFolder || (!s.mask.isEmpty() && !maskFolder)) && images.size() > 1)
        throw UsageError("with several images, --truth (and --mask) must be folders, paired by file name stem");
    const QMap<QString, QString> truths = truthFolder ? indexByStem(s.truth, {"-truth", "_truth"}) : QMap<QString, QString>();
    const QMap<QString, QString> masks = maskFolder ? indexByStem(s.mask, {"-mask", "_mask"}) : QMap<QString, QString>();
    QMap<QString, QString> seen;
    std::vector<Example> examples;
    for (const QString &image : images) {
        const QString stem = QFileInfo(image).completeBaseName();
        if (seen.contains(stem)) refuseStemClash(stem, seen.value(stem), image);
        seen.insert(stem, image);
        Example e{image, truthFolder ? truths.value(stem) : s.truth, maskFolder ? masks.value(stem) : s.mask};
        if (e.truth.isEmpty())
            throw UsageError(QString("%1: no annotation named %2 in %3").arg(image, stem, s.truth).toStdString());
        if (maskFolder && e.mask.isEmpty())
            throw UsageError(QString("%1: no mask named %2 in %3").arg(image, stem, s.mask).toStdString());
        examples.push_back(e);
    }
    return examples;
}

// The training pixels of one photograph; the seed is its place in the list, so a run
// draws the same pixels whatever the thread count.
TrainingSamples samplesOf(const Example &e, const TrainSettings &s, uint32_t seed)
{
    NullProgress quiet;
    const Image image = loadInput(e.image, quiet, s.channel);
    const Image truth = loadInput(e.truth, quiet);
    const Image mask = e.mask.isEmpty() ? Image() : loadInput(e.mask, quiet);
    for (const Image *other : {&truth, &mask})
        if (!other->is_empty() && (other->width() != image.width() || other->height() != image.height()))
            throw LoadError(QString("%1 and its annotation or mask differ in size").arg(e.image).toStdString());
    // Without a mask the surround is found on the gray levels, as segment does.
    const Image fov = !mask.is_empty()                ? fieldOfViewFromMask(mask, image.width(), image.height())
                      : s.channel == Channel::Gray ? findFieldOfView(image)
                                                   : findFieldOfView(loadInput(e.image, quiet, Channel::Gray));
    TrainingSamples samples;
    addTrainingPixels(samples, computeVesselFeatures(image, fov, s.polarity), labelsFromTruth(truth, fov),
                      s.pixelsPerImage, seed);
    return samples;
}

}  // namespace

CommandLine trainCommandLine()
{
    return CommandLine("train", "--truth T [options] --out MODEL IMAGES...",
                       "Learns a vessel classifier from the photographs IMAGES and their manual annotations T (folders "
                       "are paired by file name stem, as evaluate pairs them) inside the field-of-view masks M, and "
                       "writes it to MODEL for segment --method classifier and the program's vessel classifier. The "
                       "channel and the polarity are stored in the model.")
        .option("truth", "T", "the annotations: a file, or a folder paired by stem")
        .option("mask", "M", "the field of view: a file, or a folder paired by stem (default: found automatically)")
        .option("out", "MODEL", "the model file to write")
        .flag("dark-vessels", "the vessels are darker than their surround")
        .option("pixels-per-image", "N",
                QString("training pixels drawn from each photograph, 100 to 10000000 (default %1)").arg(kPixelsPerImage))
        .channelOption()
        .threadsOption();
}

int trainCommand(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const TrainSettings s = parseTrainSettings(line);
    const QStringList images = collectImages(line.positional());
    if (images.isEmpty()) throw UsageError("no image files among the inputs");
    const std::vector<Example> examples = pairExamples(images, s);
    const qint64 startMs = QDateTime::currentMSecsSinceEpoch();

    // Features of several photographs at once; any failure stops the training, because a
    // model silently learned from fewer images than asked would mislead.
    std::vector<TrainingSamples> perImage(examples.size());
    std::vector<QString> failures(examples.size());
    TerminalProgress progress(err);
    progress.start("train", QString("%1 images").arg(examples.size()), int(examples.size()));
    runParallel(int(examples.size()), s.threads,
                [&](int i) {
                    try {
                        perImage[size_t(i)] = samplesOf(examples[size_t(i)], s, uint32_t(1000 + i));
                    } catch (const std::exception &e) {
                        failures[size_t(i)] = QString("%1: %2").arg(examples[size_t(i)].image, QString::fromLocal8Bit(e.what()));
                    }
                },
                [&](int done) { progress.setValue(done); });
    progress.finish();
    for (const QString &f : failures)
        if (!f.isEmpty()) throw LoadError(f.toStdString());

    TrainingSamples all;
    for (const TrainingSamples &p : perImage) {
        all.featureCount = p.featureCount;
        all.rows.insert(all.rows.end(), p.rows.begin(), p.rows.end());
        all.labels.insert(all.labels.end(), p.labels.begin(), p.labels.end());
    }
    err << "train: learning from " << all.size() << " pixels of " << examples.size() << " images\n" << Qt::flush;
    const VesselModel model = trainVesselModel(all, s.channel, s.polarity, s.threads);
    QString error;
    if (!saveVesselModel(model, s.out, &error)) throw std::runtime_error(error.toStdString());
    const double seconds = double(QDateTime::currentMSecsSinceEpoch() - startMs) / 1000.0;
    out << "trained " << s.out << " on " << all.size() << " pixels of " << examples.size() << " images ("
        << channelName(s.channel) << " channel, " << (s.polarity == Polarity::Dark ? "dark" : "bright") << " vessels) in "
        << QString::number(seconds, 'f', 1) << " s\n";
    return kOk;
}
