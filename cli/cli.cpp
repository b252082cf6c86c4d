#include "cli.h"
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

QString usageText()
{
    QString text =
        "Usage:\n"
        "  quendra-cli apply OPERATION INPUT OUTPUT [NAME=VALUE ...] [--all] [--threads N] [--channel C]\n"
        "  quendra-cli stats INPUT [--binary [--pixel-size MM] [--mask M] [--gray G] [--segments FILE.csv]\n"
        "                   [--diameter-classes A,B,...]] [--json] [--channel C]\n"
        "  quendra-cli segment --method hysteresis|fuzzy [--preset retina|skin|coronary | --vessel P --background P]\n"
        "                      [--disc N] [--dark-vessels] [--pixel-size MM] [--threads N] [--channel C] --out DIR INPUT...\n"
        "  quendra-cli segment --method classifier --model MODEL|retina [--probabilities] [--pixel-size MM]\n"
        "                      [--threads N] --out DIR INPUT...\n"
        "  quendra-cli train --truth T [--mask M] [--channel C] [--dark-vessels] [--threads N] --out MODEL IMAGES...\n"
        "  quendra-cli segment ... [--mask M|DIR] [--segments] [--diameter-classes A,B,...] (vessel morphometry)\n"
        "  quendra-cli segment ... --curve FILE.png (vessel area and length per frame of a run, as a plot)\n"
        "  quendra-cli evaluate --truth T [--mask M] [--csv FILE] PRED...\n"
        "  quendra-cli overlay INPUT SEGMENTATION OUTPUT [--color-by diameter|tortuosity]\n"
        "  quendra-cli stenosis IMAGE --segmentation SEG --from X,Y --to X,Y [--pixel-size MM |\n"
        "                       --catheter X1,Y1,X2,Y2 --catheter-size 6F|2mm] [--diameters gray|segmentation]\n"
        "                       [--json] [--profile FILE.csv] [--picture FILE.png]\n"
        "  quendra-cli merge OUT.csv IN.csv...\n"
        "  quendra-cli --help | --version\n\n"
        "INPUT is an image file (read as gray levels; --channel red, green or blue reads that channel\n"
        "of a colour picture instead), a DICOM file (.dcm, or any name starting with the DICOM\n"
        "preamble) or a .cimg file of doubles. 16-bit pictures and DICOM pixels are mapped onto 0..255\n"
        "as doubles. A file of several frames (DICOM run, multi-page TIFF) is FILE#N for frame N\n"
        "(from 1); segment takes FILE for every frame. A .cimg OUTPUT holds\n"
        "the values losslessly; .png, .bmp, .tif and .jpg hold the 8-bit display rendering. --all also\n"
        "writes every image the operation appended, as OUTPUT with .1, .2, ... before the suffix, and\n"
        "the reference image it worked from (hysteresis: the vessel enhancement) with .reference.\n"
        "--threads N sets how many threads apply and segment use (default: the number of cores).\n\n"
        "segment runs hysteresis thresholding or fuzzy clustering on every INPUT (files, or folders\n"
        "searched recursively) on all cores; --dark-vessels inverts each image first. Each result is\n"
        "DIR/<input stem>.png (0/255); DIR/measurements.csv has one row per image. Unreadable images are\n"
        "reported and skipped; a file of several frames gives one row and one result per frame.\n"
        "Lengths in mm and the length density use the pixel size the file states (DICOM Pixel\n"
        "Spacing or Imager Pixel Spacing, TIFF resolution, PNG pHYs); --pixel-size (mm per pixel)\n"
        "overrides it. The calibration column or figure says where the pixel size came from.\n"
        "segment --method classifier runs a trained vessel classifier (MODEL, or retina for the shipped\n"
        "model of fundus photographs) inside the automatically found field of view, in the model's channel;\n"
        "the coverage is the share of the field of view. --probabilities also writes DIR/<stem>-probability.png.\n"
        "train learns a classifier from IMAGES and their annotations T (folders paired by stem like\n"
        "evaluate) inside the masks M (else found automatically); --dark-vessels for vessels darker\n"
        "than their surround; the channel and polarity are stored in MODEL.\n"
        "evaluate compares PRED with the ground truth T inside the mask M (folders are paired by file\n"
        "name stem; \"-truth\" and \"-mask\" after the stem are understood) and writes the CSV to FILE,\n"
        "stats --binary also gives the vessel morphometry: area fraction, length and junction densities,\n"
        "diameters (from the distance to the border) and their classes (--diameter-classes, px or mm\n"
        "with a pixel size; default 3,6), tortuosity, fractal dimension and lacunarity; --mask takes the\n"
        "densities inside the mask, --segments writes one CSV row per skeleton segment, --gray names the\n"
        "picture whose mean gray level each segment row gives.\n"
        "segment appends the same figures to measurements.csv (--mask: one mask for all, or a folder of\n"
        "masks named like the inputs, optionally with -mask or _mask; --segments writes\n"
        "DIR/<stem>-segments.csv). overlay --color-by draws each skeleton segment in the colour of its\n"
        "mean diameter or tortuosity, with a legend.\n"
        "by default evaluation.csv beside PRED. overlay draws the outline (green), skeleton (red), end\n"
        "points (blue) and branch points (yellow) over INPUT.\n"
        "segment --shard K/N takes only the K-th of N parts of the inputs (sorted by path), so N jobs\n"
        "cover every input once; merge joins their measurements.csv (or evaluation.csv) files in the\n"
        "order given into OUT.csv, refusing files whose columns or run parameters differ, and\n"
        "computes the mean row again.\n"
        "stenosis follows the vessel of SEG from the --from point to the --to point along its centre,\n"
        "measures its diameter every 0.5 pixel (from IMAGE's gray levels, or --diameters segmentation)\n"
        "and prints the minimal lumen diameter, the interpolated reference diameter, the percent\n"
        "diameter and area stenosis and the lesion length; in mm with the file's pixel size, --pixel-size,\n"
        "or a catheter of known size marked between two points of its centre line (1F = 1/3 mm).\n"
        "--profile writes the profile as CSV, --picture the path over IMAGE and the profile plot.\n\n"
        "Operations:\n"
        "  display        the input's display rendering\n";
    for (const OperationRow &row : operationTable()) {
        if (!*row.cliName || !row.run) continue;
        QString line = QString("  %1 %2").arg(QString(row.cliName).leftJustified(14), row.summary);
        for (const ParamInfo &p : row.params)
            line += QString("\n  %1 %2=%3 (%4)").arg(QString().leftJustified(14), p.name,
                                                     *p.defaultValue ? p.defaultValue : "-", p.help);
        text += line + "\n";
    }
    text += "\nExit status: 0 success, 1 some inputs failed, 2 usage error, 3 unreadable input, 4 operation failed.\n";
    return text;
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

int apply(const QStringList &args, QTextStream &err)
{
    QStringList rest = args;
    const bool all = rest.removeAll("--all") > 0;
    threadCount(rest);
    const Channel channel = takeChannel(rest);
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

int stats(const QStringList &args, QTextStream &out)
{
    QStringList rest = args;
    const bool binary = rest.removeAll("--binary") > 0;
    const bool json = rest.removeAll("--json") > 0;
    const Channel channel = takeChannel(rest);
    const MorphometryArgs morphometryArgs = takeMorphometryArgs(rest, false);
    if (morphometryArgs.given && !binary)
        throw UsageError("--mask, --gray, --segments and --diameter-classes belong to stats --binary");
    const QString pixelSizeText = takeOption(rest, "--pixel-size");
    if (!pixelSizeText.isEmpty() && !binary) throw UsageError("--pixel-size belongs to stats --binary");
    double pixelSize = 0.0;
    if (!pixelSizeText.isEmpty()) {
        bool ok = false;
        pixelSize = pixelSizeText.toDouble(&ok);
        if (!ok || !(pixelSize > 0.0) || !std::isfinite(pixelSize))
            throw UsageError(QString("--pixel-size must be a positive number of millimetres, not \"%1\"")
                                 .arg(pixelSizeText)
                                 .toStdString());
    }
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
        const Image gray = morphometryArgs.gray.isEmpty() ? Image() : loadInput(morphometryArgs.gray, progress, channel);
        const Image mask = morphometryArgs.mask.isEmpty() ? Image() : loadInput(morphometryArgs.mask, progress);
        const Morphometry m = measureMorphometry(image, &skeleton, gray.is_empty() ? nullptr : &gray,
                                                 mask.is_empty() ? nullptr : &mask, morphometryArgs, calibration.pixelSizeMm);
        for (const auto &[name, value] : morphometryFigures(m)) {
            if (!calibration.known() && name.contains("_mm")) continue;  // millimetres only when known
            figures[name] = value;
            order << name;
        }
        if (!morphometryArgs.segments.isEmpty()) writeTextFile(morphometryArgs.segments, segmentsCsv(m));
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

int runCli(const QStringList &args, QTextStream &out, QTextStream &err)
{
    try {
        if (args.isEmpty()) throw UsageError("no command given (try --help)");
        const QString command = args[0];
        if (command == "--help" || command == "-h") {
            out << usageText();
            return kOk;
        }
        if (command == "--version") {
            out << QUENDRA_VERSION << "\n";
            return kOk;
        }
        if (command == "apply") return apply(args.mid(1), err);
        if (command == "stats") return stats(args.mid(1), out);
        if (command == "segment") return segmentCommand(args.mid(1), out, err);
        if (command == "evaluate") return evaluateCommand(args.mid(1), out, err);
        if (command == "train") return trainCommand(args.mid(1), out, err);
        if (command == "merge") return mergeCommand(args.mid(1), out, err);
        if (command == "overlay") return overlayCommand(args.mid(1), out, err);
        if (command == "stenosis") return stenosisCommand(args.mid(1), out, err);
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
