#include "cli.h"
#include "commandline.h"
#include "commands.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <exception>

#include "ops/io/display.h"
#include "ops/io/imageio.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "ops/measure/statistics.h"
#include "ops/measure/vesselmeasure.h"
#include "morphometryoutput.h"
#include "ops/morphology/thinning.h"
#include "terminalprogress.h"

namespace {

const char *const kExitStatuses =
    "Exit status: 0 success, 1 some inputs failed, 2 usage error, 3 unreadable input, 4 operation failed.\n";

const char *const kInputs =
    "INPUT is an image file (read as gray levels), a DICOM file (.dcm, or any name starting with the DICOM "
    "preamble) or a .cimg file of doubles. 16-bit pictures and DICOM pixels are mapped onto 0..255 as doubles. "
    "Frame N (from 1) of a file of several frames (DICOM run, multi-page TIFF) is FILE#N; segment takes FILE for "
    "every frame. Options may stand anywhere among the arguments; -- ends them, so a file name may start with -.";

CommandLine applyCommandLine()
{
    CommandLine line("apply", "OPERATION INPUT OUTPUT [NAME=VALUE ...] [options]",
                     "Runs OPERATION on INPUT, as a document window does, and writes the result to OUTPUT: a .cimg "
                     "OUTPUT holds the values losslessly, .png, .bmp, .tif and .jpg hold the 8-bit display rendering. "
                     "NAME=VALUE sets a parameter of the operation; the others keep their defaults.");
    line.flag("all",
              "also write every image the operation appended, as OUTPUT with .1, .2, ... before the suffix, and the "
              "reference image it worked from (hysteresis: the vessel enhancement) with .reference")
        .channelOption()
        .dicomWindowOption()
        .threadsOption();
    QString operations = "Operations:\n  display        the input's display rendering\n";
    for (const OperationRow &row : operationTable()) {
        if (!*row.cliName || !row.run) continue;
        operations += QString("  %1 %2\n").arg(QString(row.cliName).leftJustified(14), row.summary);
        for (const ParamInfo &p : row.params)
            operations += QString("  %1 %2=%3: %4\n").arg(QString().leftJustified(14), p.name, paramValueName(p), paramHelp(p));
    }
    operations.chop(1);
    return line.note(operations);
}

CommandLine statsCommandLine()
{
    CommandLine line("stats", "INPUT [--binary [options]] [--json]",
                     "Prints the gray-level statistics of INPUT (size, minimum, maximum, mean, population variance), "
                     "one NAME: VALUE line each. With --binary it prints the binary report instead: area, length and "
                     "white coverage, end points, branch points, segments, skeleton length and mean width (in mm "
                     "too when the pixel size is known), and the vessel morphometry: area fraction, length and "
                     "junction densities, diameters from the distance to the border and their classes, tortuosity, "
                     "fractal dimension and lacunarity.");
    line.flag("binary", "the binary report and the vessel morphometry (the options below belong to it)")
        .pixelSizeOption("mm per pixel, overriding the pixel size the file states");
    addMorphometryOptions(line, false);
    return line.flag("json", "print the figures as one JSON object").channelOption().dicomWindowOption();
}

// OUTPUT with ".tag" inserted before its suffix: out.png -> out.1.png, out.reference.png.
QString taggedPath(const QString &path, const QString &tag)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    return suffix.isEmpty() ? QString("%1.%2").arg(base, tag) : QString("%1.%2.%3").arg(base, tag, suffix);
}

// Writes image to path: lossless doubles for .cimg, the display rendering otherwise.
void writeImage(const Image &image, const QString &path)
{
    if (QFileInfo(path).suffix().toLower() == "cimg") {
        QString error;
        if (!saveCimgImage(image, path, &error)) throw std::runtime_error(QString("cannot write %1: %2").arg(path, error).toStdString());
        return;
    }
    writePicture(toDisplayImage(image), path);
}

void checkOutputSuffix(const QString &path)
{
    static const QStringList known = {"cimg", "png", "bmp", "tif", "tiff", "jpg", "jpeg"};
    if (!known.contains(QFileInfo(path).suffix().toLower()))
        throw UsageError(QString("OUTPUT must end in .cimg, .png, .bmp, .tif or .jpg: %1").arg(path).toStdString());
}

Params parseParams(const OperationRow *row, const QStringList &pairs)
{
    Params params;
    for (const QString &pair : pairs) {
        const int eq = pair.indexOf('=');
        if (eq <= 0) throw UsageError(QString("expected NAME=VALUE, got \"%1\"").arg(pair).toStdString());
        params.set(pair.left(eq), pair.mid(eq + 1));
    }
    try {
        if (row) validate(*row, params);
        else if (!params.names().isEmpty())
            throw std::invalid_argument(QString("unknown parameter \"%1\"").arg(params.names().first()).toStdString());
    } catch (const std::invalid_argument &e) {
        throw UsageError(e.what());
    }
    return params;
}

int apply(const CommandLine &line, QTextStream &, QTextStream &err)
{
    const QStringList rest = line.positional();
    const bool all = line.isSet("all");
    line.threads();
    const Channel channel = line.channel();
    if (rest.size() < 3) throw UsageError("apply needs OPERATION INPUT OUTPUT");
    const QString name = rest[0], input = rest[1], output = rest[2];
    const OperationRow *row = name == "display" ? nullptr : findOperation(name);
    if (name != "display" && (!row || !row->run)) throw UsageError(QString("unknown operation \"%1\"").arg(name).toStdString());
    // Everything about the command line is checked before the input is read.
    const Params params = parseParams(row, rest.mid(3));
    checkOutputSuffix(output);

    TerminalProgress progress(err);
    ImageModel model = ImageModel::adopt(loadInput(input, progress, channel));
    if (row) {
        // The operation works on a working copy, as in a document window.
        const RunOutcome outcome = runOperation(model, *row, params, progress);
        for (const QString &note : outcome.notes)
            err << "quendra-cli: note: " << QString(note).remove(QRegularExpression("<[^>]*>")) << "\n";
        if (outcome.result == RunResult::BadParameters) throw UsageError(outcome.error.toStdString());
        if (!outcome.ok()) throw std::runtime_error(outcome.error.toStdString());
    }
    writeImage(*model.currentImage(), output);
    if (all) {
        for (int i = 1; i < model.count(); ++i) writeImage(*model.image(i), taggedPath(output, QString::number(i)));
        if (!model.referenceImage.is_empty()) writeImage(model.referenceImage, taggedPath(output, "reference"));
    }
    return kOk;
}

int stats(const CommandLine &line, QTextStream &out, QTextStream &)
{
    const QStringList rest = line.positional();
    const bool binary = line.isSet("binary");
    const bool json = line.isSet("json");
    const Channel channel = line.channel();
    const MorphometryArgs morphometry = morphometryArgs(line, false);
    if (morphometry.given && !binary)
        throw UsageError("--mask, --gray, --segments-csv and --diameter-classes belong to stats --binary");
    if (line.isSet("pixel-size") && !binary) throw UsageError("--pixel-size belongs to stats --binary");
    const double pixelSize = line.pixelSize();
    if (rest.size() != 1) throw UsageError("stats needs exactly one INPUT");
    NullProgress progress;
    const InputFrames input = loadSingleInput(rest[0], progress, channel);
    const Image &image = input.frames[0];
    // A pixel size typed on the command line overrides the one the file states.
    const Calibration calibration =
        pixelSize > 0.0 ? Calibration{pixelSize, CalibrationSource::CommandLine} : input.calibration;
    QJsonObject figures;
    QStringList order;
    if (binary) {
        // The binary report's figures, the skeleton measurements and the morphometry, from one
        // thinning (a mask needs a thinning of its own, of the vessels inside it).
        const Image skeleton = zhangSuenThin(image);
        const VesselMeasures v = vesselMeasures(image, skeleton, calibration.pixelSizeMm);
        const BinaryStats &s = v.basic;
        figures = {{"width", s.width},
                   {"height", s.height},
                   {"area", double(s.area)},
                   {"length", double(s.length)},
                   {"white_coverage", s.coverage},
                   {"end_points", double(v.skeleton.endPoints)},
                   {"branch_points", double(v.skeleton.branchPoints)},
                   {"segments", double(v.skeleton.segments)},
                   {"skeleton_length", v.skeleton.stepLength},
                   {"mean_width", v.meanWidth}};
        order = {"width", "height", "area", "length", "white_coverage", "end_points", "branch_points", "segments",
                 "skeleton_length", "mean_width"};
        if (calibration.known()) {
            figures["pixel_size_mm"] = calibration.pixelSizeMm;
            figures["skeleton_length_mm"] = v.lengthMm;
            figures["mean_width_mm"] = v.meanWidthMm;
            figures["length_density_mm_per_mm2"] = v.lengthDensity;
            figures["calibration"] = calibrationSourceName(calibration.source);
            order << "pixel_size_mm" << "calibration" << "skeleton_length_mm" << "mean_width_mm" << "length_density_mm_per_mm2";
        }
        const Image gray = morphometry.gray.isEmpty() ? Image() : loadInput(morphometry.gray, progress, channel);
        const Image mask = morphometry.mask.isEmpty() ? Image() : loadInput(morphometry.mask, progress);
        const Morphometry m = measureMorphometry(image, &skeleton, gray.is_empty() ? nullptr : &gray,
                                                 mask.is_empty() ? nullptr : &mask, morphometry, calibration.pixelSizeMm);
        for (const auto &[name, value] : morphometryFigures(m)) {
            if (!calibration.known() && name.contains("_mm")) continue;  // millimetres only when known
            figures[name] = value;
            order << name;
        }
        if (!morphometry.segments.isEmpty()) writeTextFile(morphometry.segments, segmentsCsv(m));
    } else {
        const GrayStats s = grayStatistics(image);
        figures = {{"width", s.width}, {"height", s.height}, {"minimum", s.minimum}, {"maximum", s.maximum},
                   {"mean", s.mean}, {"variance", s.variance}};
        order = {"width", "height", "minimum", "maximum", "mean", "variance"};
    }
    if (json) {
        out << QJsonDocument(figures).toJson(QJsonDocument::Indented);
        return kOk;
    }
    for (const QString &key : order)
        out << key << ": "
            << (figures[key].isString() ? figures[key].toString() : QString::number(figures[key].toDouble(), 'g', 17)) << "\n";
    return kOk;
}

}  // namespace

struct Command {
    CommandLine (*commandLine)();
    int (*run)(const CommandLine &line, QTextStream &out, QTextStream &err);
};

// In the order of the help: one image, many images, learning, judging, looking, joining.
const Command kCommands[] = {
    {applyCommandLine, apply},
    {statsCommandLine, stats},
    {segmentCommandLine, segmentCommand},
    {trainCommandLine, trainCommand},
    {evaluateCommandLine, evaluateCommand},
    {overlayCommandLine, overlayCommand},
    {stenosisCommandLine, stenosisCommand},
    {mergeCommandLine, mergeCommand},
};

QString programHelp()
{
    QString text = "Usage: quendra-cli COMMAND [ARGUMENTS]   (quendra-cli COMMAND --help: that command alone)\n"
                   "       quendra-cli --help | --version\n\n" +
                   wrapText(kInputs, 0) + "\n\n";
    for (const Command &c : kCommands) text += c.commandLine().help() + "\n";
    return text + kExitStatuses;
}

int runCli(const QStringList &args, QTextStream &out, QTextStream &err)
{
    try {
        if (args.isEmpty()) throw UsageError("no command given (try --help)");
        const QString command = args[0];
        if (command == "--help" || command == "-h") {
            out << programHelp();
            return kOk;
        }
        if (command == "--version") {
            out << QUENDRA_VERSION << "\n";
            return kOk;
        }
        for (const Command &c : kCommands) {
            CommandLine line = c.commandLine();
            if (line.command() != command) continue;
            line.parse(args.mid(1));
            useDicomWindow(line.dicomWindow());  // every command reads DICOM inputs the same way
            if (line.helpAsked()) {
                out << line.help() << "\n" << kExitStatuses;
                return kOk;
            }
            return c.run(line, out, err);
        }
        throw UsageError(QString("unknown command \"%1\" (try --help)").arg(command).toStdString());
    } catch (const UsageError &e) {
        err << "quendra-cli: usage error: " << e.what() << "\n";
        return kUsage;
    } catch (const LoadError &e) {
        err << "quendra-cli: " << e.what() << "\n";
        return kUnreadable;
    } catch (const std::bad_alloc &) {
        err << "quendra-cli: not enough memory for this operation\n";
        return kOperationFailed;
    } catch (const std::exception &e) {
        err << "quendra-cli: operation failed: " << e.what() << "\n";
        return kOperationFailed;
    }
}
