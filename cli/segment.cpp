// quendra-cli segment: a segmentation row of the operation table (hysteresis thresholding,
// fuzzy clustering or the vessel classifier) over many images, each result a 0/255 PNG, and one CSV row of measurements per image (per frame of
// a file of several frames).
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "classifierrun.h"
#include "ops/measure/runcurve.h"
#include "commandline.h"
#include "commands.h"
#include "folderlock.h"
#include "morphometryoutput.h"
#include "ops/morphology/thinning.h"
#include "ops/classify/fieldofview.h"
#include "ops/table/framesegmentation.h"
#include "ops/table/runs.h"
#include "ops/core/progress.h"
#include "ops/measure/vesselmeasure.h"
#include "terminalprogress.h"

namespace {

struct Settings {
    QString method;        // the row's segment method: "hysteresis", "fuzzy" or "classifier"
    const OperationRow *row = nullptr;
    Params params;         // the row's parameters
    QString presetColumn;  // preset name, or "own" for own coverages
    int disc = 0;
    HystCoverages coverages{};
    bool darkVessels = false;
    Channel channel = Channel::Gray;
    double pixelSize = 0.0;  // mm per pixel, 0 when not given
    QString outDir;
    int threads = 1;
    int shard = 1, shards = 1;  // --shard K/N: this run takes the K-th of N parts
    ClassifierSettings classifier;  // --method classifier: the model
    MorphometryArgs morphometry;    // --mask, --segments, --diameter-classes
};

struct Outcome {
    bool ok = false;
    QString error;
    Notes notes;
    VesselMeasures measures;
    int frame = 1;            // 1-based, in its file
    QString output;           // the result picture
    Calibration calibration;  // the pixel size of the mm figures: --pixel-size, else the file's
    Morphometry morphometry;
    long long fovArea = -1;   // the classifier's field of view in pixels; -1 for other methods
    double scale = 0.0;       // the classifier's resize factor
};

Settings parseSettings(const CommandLine &line)
{
    Settings s;
    s.threads = line.threads();
    s.channel = line.channel();
    s.method = line.value("method");
    const QString preset = line.value("preset"), vessel = line.value("vessel"), background = line.value("background"),
                  disc = line.value("disc");
    s.outDir = line.value("out");
    if (const QString shard = line.value("shard"); !shard.isEmpty()) {
        const QStringList parts = shard.split('/');
        bool okK = false, okN = false;
        if (parts.size() == 2) {
            s.shard = parts[0].toInt(&okK);
            s.shards = parts[1].toInt(&okN);
        }
        if (!okK || !okN || s.shards < 1 || s.shard < 1 || s.shard > s.shards)
            throw UsageError(QString("--shard must be K/N with 1 <= K <= N, not \"%1\"").arg(shard).toStdString());
    }
    s.darkVessels = line.isSet("dark-vessels");
    const QString methods = segmentMethods().join(", ");
    if (s.method.isEmpty()) throw UsageError(QString("segment needs --method %1").arg(methods).toStdString());
    s.row = findSegmentMethod(s.method);
    if (!s.row)
        throw UsageError(QString("--method must be one of %1, not \"%2\"").arg(methods, s.method).toStdString());
    if (s.outDir.isEmpty()) throw UsageError("segment needs --out DIR");
    s.classifier = classifierSettings(line, s.method == "classifier");
    if (s.method == "hysteresis") {
        if (!preset.isEmpty() && (!vessel.isEmpty() || !background.isEmpty()))
            throw UsageError("give either --preset or --vessel and --background, not both");
        if (!disc.isEmpty()) s.params.set("disc", disc);
        if (!preset.isEmpty()) s.params.set("preset", preset);
        if (!vessel.isEmpty()) s.params.set("vessel", vessel);
        if (!background.isEmpty()) s.params.set("background", background);
        try {
            const ParamValues values(*s.row, s.params);
            s.disc = values.integer("disc");
            s.coverages = hysteresisCoverages(values);
        } catch (const std::invalid_argument &e) {
            throw UsageError(e.what());
        }
        s.presetColumn = vessel.isEmpty() && background.isEmpty() ? (preset.isEmpty() ? QString("retina") : preset)
                                                                  : QString("own");
    } else if (s.method == "fuzzy") {
        if (!preset.isEmpty() || !vessel.isEmpty() || !background.isEmpty() || !disc.isEmpty())
            throw UsageError("--preset, --vessel, --background and --disc belong to --method hysteresis");
    } else if (s.method == "classifier") {
        // The model knows the channel and the polarity it was trained on.
        if (!preset.isEmpty() || !vessel.isEmpty() || !background.isEmpty() || !disc.isEmpty() || s.darkVessels)
            throw UsageError("--preset, --vessel, --background, --disc and --dark-vessels do not apply to --method "
                             "classifier: the model knows its polarity");
        if (line.isSet("channel") && s.channel != s.classifier.model->channel)
            throw UsageError(QString("the model was trained on the %1 channel").arg(channelName(s.classifier.model->channel)).toStdString());
        s.channel = s.classifier.model->channel;
        s.params.set("model", s.classifier.path);
        if (s.classifier.scale > 0.0) s.params.set("scale", s.classifier.scale);
    }
    s.pixelSize = line.pixelSize();
    s.morphometry = morphometryArgs(line, true);
    if (line.positional().isEmpty()) throw UsageError("segment needs at least one INPUT file or folder");
    return s;
}

// DIR/<stem>.png for every input, in input order; a name already taken (by an earlier
// result or by an input itself) gets -2, -3, ... so nothing is overwritten twice or lost.
QStringList outputPaths(const QStringList &inputs, const QString &dir)
{
    QSet<QString> taken;
    for (const QString &in : inputs) taken.insert(QFileInfo(in).absoluteFilePath());
    QStringList paths;
    static const QRegularExpression framed("#([0-9]+)$");
    for (const QString &in : inputs) {
        // FILE#N (when no file has that name) is frame N of FILE: <stem>.frameN.png.
        const QRegularExpressionMatch frame = QFileInfo::exists(in) ? QRegularExpressionMatch() : framed.match(in);
        const QString stem = frame.hasMatch() ? QFileInfo(in.left(frame.capturedStart())).completeBaseName() + ".frame" + frame.captured(1)
                                              : QFileInfo(in).completeBaseName();
        QString path = QDir(dir).absoluteFilePath(stem + ".png");
        for (int k = 2; taken.contains(path); ++k) path = QDir(dir).absoluteFilePath(QString("%1-%2.png").arg(stem).arg(k));
        taken.insert(path);
        paths << path;
    }
    return paths;
}

// One image, as a user does it in the GUI: open (in the model's channel for the
// classifier), optionally "Invert", then the method's row on a working copy; the kept
// result is measured. frame is the opened image (taken).
Outcome segmentOne(const Settings &s, const QString &input, const QString &output, Image *frame,
                   const Calibration &calibration, bool oneFrame)
{
    Outcome o;
    o.output = output;
    o.calibration = calibration;
    try {
        requireMemoryToSegment(frame->width(), frame->height(), s.method);
        NullProgress progress;
        FrameMethod method{s.row, s.params, s.darkVessels};
        // The classifier finds the field of view on the file's gray levels, as the window does.
        if (s.row->code == OpCode::VesselClassifier) {
            if (oneFrame) method.params.set("source", input);
            method.params.set("pixelsize", calibration.pixelSizeMm);
        }
        ImageModel model = segmentFrame(std::move(*frame), method, progress, o.notes);
        const Image &result = model.current();
        writePicture(binaryPicture(result), output);
        if (s.row->code == OpCode::VesselClassifier) {
            o.fovArea = fieldOfViewArea(model.referenceImage);
            o.scale = s.classifier.scale > 0.0 ? s.classifier.scale
                                               : segmentationFactor(s.classifier.model->scale, model.referenceImage,
                                                                    calibration.pixelSizeMm);
            if (s.classifier.probabilities)
                writeProbabilityPicture(*model.image(model.count() - 2),
                                        QString(output).replace(QRegularExpression("\\.png$"), "-probability.png"));
        }
        const Image skeleton = zhangSuenThin(result);
        o.measures = vesselMeasures(result, skeleton, calibration.pixelSizeMm);
        // Diameter classes are in mm only when the command line gives the pixel size, so one
        // table's class columns mean the same for every image.
        const ImageRead first = model.image(0);
        o.morphometry = segmentMorphometry(s.morphometry, input, output, result, skeleton, &*first,
                                           calibration.pixelSizeMm, s.pixelSize > 0.0);
        o.ok = true;
    } catch (const std::bad_alloc &) {
        o.error = "not enough memory for this image";
    } catch (const std::exception &e) {
        o.error = QString::fromLocal8Bit(e.what());
    }
    return o;
}

// Every frame of one input (most files hold one), in frame order. Frame N of a file of
// several frames is written as <output stem>.frameN.png.
std::vector<Outcome> segmentInput(const Settings &s, const QString &input, const QString &output)
{
    const Calibration typed{s.pixelSize, s.pixelSize > 0.0 ? CalibrationSource::CommandLine : CalibrationSource::None};
    InputFrames loaded;
    Outcome failed;
    try {
        // The header first: decoding a 15000 x 15000 picture alone takes 30 s and 3.5 GB.
        if (const QSize size = declaredPictureSize(input); size.isValid())
            requireMemoryToSegment(size.width(), size.height(), s.method);
        NullProgress progress;
        loaded = loadInputFrames(input, progress, s.channel);
    } catch (const std::bad_alloc &) {
        failed.error = "not enough memory for this image";
        return {failed};
    } catch (const std::exception &e) {
        failed.error = QString::fromLocal8Bit(e.what());
        return {failed};
    }
    const Calibration calibration = typed.known() ? typed : loaded.calibration;
    const int count = int(loaded.frames.size());
    std::vector<Outcome> outcomes;
    for (int k = 0; k < count; ++k) {
        const int number = loaded.firstNumber + k;
        const QString path =
            count == 1 ? output : QString(output).replace(QRegularExpression("\\.png$"), QString(".frame%1.png").arg(number));
        outcomes.push_back(segmentOne(s, input, path, &loaded.frames[k], calibration, count == 1));
        outcomes.back().frame = number;
    }
    return outcomes;
}

// Keeps the K-th of N parts of the inputs (and their result names): the inputs sorted by
// path and cut into N runs of consecutive inputs, as equal as can be, so N jobs cover every
// input exactly once and their tables, joined in order K = 1..N, follow the sorted order.
void takeShard(int k, int n, QStringList &inputs, QStringList &outputs)
{
    std::vector<int> order(size_t(inputs.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return inputs[a] < inputs[b]; });
    const qsizetype total = inputs.size(), begin = total * (k - 1) / n, end = total * k / n;
    QStringList keptInputs, keptOutputs;
    for (qsizetype i = begin; i < end; ++i) {
        keptInputs << inputs[order[size_t(i)]];
        keptOutputs << outputs[order[size_t(i)]];
    }
    inputs = keptInputs;
    outputs = keptOutputs;
}

QString csvHeader()
{
    return "file,result,width,height,method,disc,preset,vessel_coverage_percent,background_coverage_percent,"
           "dark_vessels,pixel_size_mm,area_px,length_px,white_coverage_percent,end_points,branch_points,segments,"
           "skeleton_length_px,mean_width_px,skeleton_length_mm,mean_width_mm,length_density_mm_per_mm2,channel,frame,"
           "calibration,version,date";
}

QString csvRow(const Settings &s, const QString &input, const Outcome &o, const QString &date)
{
    const QString &output = o.output;
    const VesselMeasures &m = o.measures;
    const bool hyst = s.method == "hysteresis";
    const bool mm = o.calibration.known();
    QStringList f;
    f << csvField(input) << csvField(QFileInfo(output).fileName()) << QString::number(m.basic.width)
      << QString::number(m.basic.height) << s.method << (hyst ? QString::number(s.disc) : QString())
      << (hyst ? s.presetColumn : QString()) << (hyst ? csvNumber(s.coverages.hardb * 100.0) : QString())
      << (hyst ? csvNumber(s.coverages.weakb * 100.0) : QString()) << (s.darkVessels ? "yes" : "no")
      << (mm ? csvNumber(o.calibration.pixelSizeMm) : QString()) << QString::number(m.basic.area) << QString::number(m.basic.length)
      << csvNumber(m.basic.coverage) << QString::number(m.skeleton.endPoints) << QString::number(m.skeleton.branchPoints)
      << QString::number(m.skeleton.segments) << csvNumber(m.skeleton.stepLength) << csvNumber(m.meanWidth)
      << (mm ? csvNumber(m.lengthMm) : QString()) << (mm ? csvNumber(m.meanWidthMm) : QString())
      << (mm ? csvNumber(m.lengthDensity) : QString()) << channelName(s.channel) << QString::number(o.frame)
      << calibrationSourceName(o.calibration.source) << QUENDRA_VERSION << date;
    return f.join(',');
}

// The field of view's figures, after every other column: filled for the classifier, which
// finds one, empty for the other methods. white_coverage_percent is of the whole image in
// every row; fov_coverage_percent is the vessel area's share of the field of view.
QString fovCsvHeader() { return ",fov_area_px,fov_coverage_percent"; }

QString fovCsvValues(const Outcome &o)
{
    if (o.fovArea < 0) return ",,";
    const double share = o.fovArea > 0 ? double(o.measures.basic.area) * 100.0 / double(o.fovArea) : 0.0;
    return "," + QString::number(o.fovArea) + "," + csvNumber(share);
}

}  // namespace

CommandLine segmentCommandLine()
{
    const OperationRow &hyst = operationRow(OpCode::HystThres);
    QStringList methods;
    for (const OperationRow &row : operationTable())
        if (*row.segmentMethod) methods << QString("%1 (%2)").arg(row.segmentMethod, row.summary);
    CommandLine line(
        "segment", "--method M [options] --out DIR INPUT...",
        "Segments every INPUT (files, or folders searched recursively) on all cores, as the program's tool does, and "
        "measures each result. Each result is DIR/<input stem>.png (0/255), and DIR/measurements.csv has one row per "
        "image: the parameters, area, length and white coverage, end points, branch points, segments, the skeleton "
        "length (diagonal steps counted as sqrt 2), the mean vessel width, and the vessel morphometry (area fraction, "
        "length and junction densities, diameters and their classes, tortuosity, fractal dimension, lacunarity). A "
        "file of several frames gives one result and one row per frame (<stem>.frameN.png). Unreadable images are "
        "reported and skipped, and the exit status is then 1. Lengths in mm use the pixel size the file states "
        "(DICOM Pixel Spacing or Imager Pixel Spacing, TIFF resolution, PNG pHYs) unless --pixel-size is given; the "
        "calibration column says which was used.");
    line.option("method", "M",
                methods.join(", ") +
                    ". The classifier works inside the automatically found field of view, in the model's channel. "
                    "white_coverage_percent is of the whole image for every method; fov_area_px and "
                    "fov_coverage_percent give the classifier's field of view and the vessels' share of it")
        .option("out", "DIR", "the folder of the results and measurements.csv (made when missing)");
    for (const ParamInfo &p : hyst.params) line.option(p.name, paramValueName(p), "hysteresis: " + paramHelp(p));
    line.flag("dark-vessels", "invert each image first, for vessels darker than their surround (hysteresis, fuzzy)")
        .option("model", "MODEL",
                "classifier: a model file (.qvm, or a TorchScript .pt with its side file), or a shipped model: "
                "retina-network, coronary-network or retina (boosted trees); measurements.csv names it and its checksum")
        .option("scale", "F",
                "classifier: resize each image by F (1/64 to 8) before classifying it, instead of to the scale the "
                "model was trained at")
        .flag("probabilities", "classifier: also write the probability map as DIR/<stem>-probability.png")
        .pixelSizeOption("mm per pixel for the millimetre figures, overriding the file's own")
        .channelOption()
        .dicomWindowOption()
        .threadsOption()
        .option("shard", "K/N",
                "take only the K-th of N parts of the inputs (sorted by path), so N jobs cover every input once; "
                "quendra-cli merge joins their tables");
    line.option("curve", "FILE.png", "also draw the vessel area and length of every result against its frame number "
                                     "(a run's frames; several inputs one after another), the largest area marked");
    addMorphometryOptions(line, true);
    return line;
}

int segmentCommand(const CommandLine &line, QTextStream &out, QTextStream &err)
{
    const Settings s = parseSettings(line);
    const QStringList args = line.positional();
    if (!QDir().mkpath(s.outDir)) throw std::runtime_error(QString("cannot make the folder %1").arg(s.outDir).toStdString());
    // One run at a time owns the folder: two runs would replace each other's results and
    // tables. The kernel holds the lock on the folder itself, so it needs no file (nor room
    // on a full disk) and ends with the process however that ends, kill -9 included.
    const FolderLock lock(s.outDir);
    QStringList inputs = collectImages(args, s.outDir);
    if (inputs.isEmpty()) throw UsageError("no image files among the inputs");
    // Result names are chosen over all inputs, so every shard names its results as one run would.
    QStringList outputs = outputPaths(inputs, s.outDir);
    if (s.shards > 1) takeShard(s.shard, s.shards, inputs, outputs);
    const QString date = QDate::currentDate().toString(Qt::ISODate);

    // The table of an earlier run goes before the first result is replaced: a run that is
    // stopped never leaves a complete-looking table beside results it does not describe.
    const QString csvPath = QDir(s.outDir).filePath("measurements.csv");
    if (QFileInfo(csvPath).isSymLink() || QFileInfo::exists(csvPath))
        if (!QFile::remove(csvPath)) throw std::runtime_error(QString("cannot replace %1").arg(csvPath).toStdString());
    std::vector<std::vector<Outcome>> outcomes(size_t(inputs.size()));
    TerminalProgress progress(err);
    progress.start("segment", QString("%1 images").arg(inputs.size()), int(inputs.size()));
    runParallel(int(inputs.size()), s.threads,
                [&](int i) { outcomes[size_t(i)] = segmentInput(s, inputs[i], outputs[i]); },
                [&](int done) { progress.setValue(done); });
    progress.finish();

    // Rows, notes and failures in input order, whatever order the threads finished in.
    QString csv = csvHeader() + morphometryCsvHeader(s.morphometry, s.pixelSize) + fovCsvHeader() + classifierCsvHeader() + "\n";
    int failed = 0, results = 0;
    std::vector<RunCurvePoint> curve;
    for (int i = 0; i < inputs.size(); ++i) {
        const bool frames = outcomes[size_t(i)].size() > 1;
        for (const Outcome &o : outcomes[size_t(i)]) {
            ++results;
            const QString name = frames ? QString("%1 (frame %2)").arg(inputs[i]).arg(o.frame) : inputs[i];
            for (const QString &note : o.notes)
                err << "quendra-cli: note: " << name << ": " << QString(note).remove(QRegularExpression("<[^>]*>")) << "\n";
            if (!o.ok) {
                ++failed;
                err << "quendra-cli: " << name << ": skipped: " << o.error << "\n";
                continue;
            }
            csv += csvRow(s, inputs[i], o, date) + morphometryCsvValues(o.morphometry) + fovCsvValues(o) +
                   classifierCsvValues(s.classifier, o.scale) + "\n";
            curve.push_back(runCurvePoint(inputs.size() == 1 ? o.frame : results, o.measures));
        }
    }
    if (const QString curvePath = line.value("curve"); !curvePath.isEmpty()) writePicture(runCurvePicture(curve), curvePath);
    writeTextFile(csvPath, csv);
    out << "segmented " << (results - failed) << " of " << results << " images into " << s.outDir
        << " (measurements in " << csvPath << ")\n";
    return failed > 0 ? 1 : 0;
}
