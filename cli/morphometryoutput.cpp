#include "morphometryoutput.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "commandline.h"
#include "commands.h"
#include "ops/core/progress.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

QString boundText(double v) { return QString::number(v, 'g', 6); }

// --diameter-classes A,B,...: ascending positive bounds; {3, 6} when absent.
std::vector<double> diameterClasses(const QString &text)
{
    if (text.isEmpty()) return {3.0, 6.0};
    std::vector<double> bounds;
    for (const QString &part : text.split(',')) {
        bool ok = false;
        const double v = part.trimmed().toDouble(&ok);
        if (!ok || !(v > 0.0) || !std::isfinite(v) || (!bounds.empty() && !(v > bounds.back())))
            throw UsageError(
                QString("--diameter-classes needs ascending positive numbers separated by commas, not \"%1\"").arg(text).toStdString());
        bounds.push_back(v);
    }
    return bounds;
}

}  // namespace

void addMorphometryOptions(CommandLine &line, bool batch)
{
    if (batch)
        line.option("mask", "M|DIR",
                    "take every density and fraction inside the mask M, or inside the mask of a folder DIR named like the "
                    "input (optionally with -mask or _mask after the stem)");
    else
        line.option("mask", "M", "take every density and fraction inside the mask M");
    line.option("diameter-classes", "A,B,...",
                "the bounds of the diameter classes, ascending (default 3,6 px; in mm with a pixel size)");
    if (batch) {
        line.flag("segments", "also write one CSV row per skeleton segment into DIR/<stem>-segments.csv");
    } else {
        line.option("segments-csv", "FILE", "also write one CSV row per skeleton segment into FILE");
        line.option("gray", "G", "the picture the segmentation came from, for each segment's mean gray level");
    }
}

MorphometryArgs morphometryArgs(const CommandLine &line, bool batch)
{
    MorphometryArgs a;
    a.mask = line.value("mask");
    if (batch) {
        if (line.isSet("segments")) a.segments = "yes";
    } else {
        a.gray = line.value("gray");
        a.segments = line.value("segments-csv");
    }
    a.classesGiven = line.isSet("diameter-classes");
    a.diameterClasses = diameterClasses(line.value("diameter-classes"));
    a.given = !a.mask.isEmpty() || !a.gray.isEmpty() || !a.segments.isEmpty() || a.classesGiven;
    return a;
}

std::vector<double> classBounds(const MorphometryArgs &args, double pixelSizeMm)
{
    std::vector<double> bounds = args.diameterClasses;
    if (!args.classesGiven && pixelSizeMm > 0.0)
        for (double &b : bounds) b *= pixelSizeMm;
    return bounds;
}

Morphometry measureMorphometry(const Image &binary, const Image *skeleton, const Image *gray, const Image *mask,
                               const MorphometryArgs &args, double pixelSizeMm)
{
    MorphometryOptions o;
    o.skeleton = skeleton;
    o.gray = gray;
    o.mask = mask;
    o.pixelSize = pixelSizeMm;
    o.diameterClasses = classBounds(args, pixelSizeMm);
    return vesselMorphometry(binary, o);
}

QList<QPair<QString, double>> morphometryFigures(const Morphometry &m)
{
    const bool mm = m.pixelSize > 0.0;
    const auto ifMm = [mm](double v) { return mm ? v : kNaN; };
    QList<QPair<QString, double>> f = {
        {"vessel_area_fraction", m.areaFraction},
        {"vessel_length_px", m.totalLength},
        {"vessel_length_density_per_px", m.lengthDensity},
        {"junctions", double(m.junctions)},
        {"junction_density_per_px2", m.junctionDensity},
        {"mean_diameter_px", m.meanDiameter},
        {"median_diameter_px", m.medianDiameter},
    };
    // Classes d < b0, b0 <= d < b1, ..., d >= bn, named by their bounds in the unit given.
    const QString unit = m.classesInMm ? "mm" : "px";
    const std::vector<double> &b = m.diameterClasses;
    for (size_t c = 0; c < m.classPercent.size(); ++c) {
        QString name;
        if (b.empty()) name = "diameter_all_percent";
        else if (c == 0) name = QString("diameter_below_%1%2_percent").arg(boundText(b[0]), unit);
        else if (c == b.size()) name = QString("diameter_%1%2_and_above_percent").arg(boundText(b[c - 1]), unit);
        else name = QString("diameter_%1_to_%2%3_percent").arg(boundText(b[c - 1]), boundText(b[c]), unit);
        f.append({name, m.classPercent[c]});
    }
    f.append({"mean_tortuosity", m.meanTortuosity});
    f.append({"fractal_dimension", m.fractal.dimension});
    f.append({"skeleton_fractal_dimension", m.skeletonFractal.dimension});
    f.append({"fractal_box_min_px", double(m.fractal.smallestBox)});
    f.append({"fractal_box_max_px", double(m.fractal.largestBox)});
    f.append({"lacunarity", m.lacunarity.value});
    f.append({"lacunarity_box_min_px", double(m.lacunarity.smallestBox)});
    f.append({"lacunarity_box_max_px", double(m.lacunarity.largestBox)});
    f.append({"vessel_length_mm", ifMm(m.totalLengthMm)});
    f.append({"vessel_length_density_mm_per_mm2", ifMm(m.lengthDensityMm)});
    f.append({"junction_density_per_mm2", ifMm(m.junctionDensityMm)});
    f.append({"mean_diameter_mm", ifMm(m.meanDiameterMm)});
    f.append({"median_diameter_mm", ifMm(m.medianDiameterMm)});
    return f;
}

QString segmentsCsv(const Morphometry &m)
{
    const bool mm = m.pixelSize > 0.0;
    QString csv = "segment,x0,y0,x1,y1,closed,pixels,length_steps_px,length_px,chord_px,tortuosity,mean_diameter_px,"
                  "min_diameter_px,max_diameter_px,mean_gray,length_mm,chord_mm,mean_diameter_mm,min_diameter_mm,"
                  "max_diameter_mm\n";
    const auto number = [](double v) { return std::isnan(v) ? QString() : csvNumber(v); };
    const auto inMm = [&](double v) { return mm ? number(v * m.pixelSize) : QString(); };
    int index = 0;
    for (const SegmentFigures &s : m.segments) {
        QStringList row;
        row << QString::number(++index) << QString::number(s.x0) << QString::number(s.y0) << QString::number(s.x1)
            << QString::number(s.y1) << (s.closed ? "yes" : "no") << QString::number(s.pixels) << number(s.stepLength)
            << number(s.length) << number(s.chord) << number(s.tortuosity) << number(s.meanDiameter)
            << number(s.minDiameter) << number(s.maxDiameter) << number(s.meanGray) << inMm(s.length) << inMm(s.chord)
            << inMm(s.meanDiameter) << inMm(s.minDiameter) << inMm(s.maxDiameter);
        csv += row.join(',') + "\n";
    }
    return csv;
}

QString morphometryCsvHeader(const MorphometryArgs &args, double classPixelSizeMm)
{
    Morphometry names;
    names.diameterClasses = classBounds(args, classPixelSizeMm);
    names.classesInMm = classPixelSizeMm > 0.0;
    names.classPercent.assign(names.diameterClasses.size() + 1, 0.0);
    QString header;
    for (const auto &figure : morphometryFigures(names)) header += "," + figure.first;
    return header;
}

QString morphometryCsvValues(const Morphometry &m)
{
    QString values;
    for (const auto &figure : morphometryFigures(m)) values += "," + (std::isnan(figure.second) ? QString() : csvNumber(figure.second));
    return values;
}

QString maskFor(const QString &maskArg, const QString &input)
{
    if (maskArg.isEmpty() || !QFileInfo(maskArg).isDir()) return maskArg;
    const QString stem = QFileInfo(input).completeBaseName();
    for (const QString &candidate : collectImages({maskArg})) {
        const QString name = QFileInfo(candidate).completeBaseName();
        if (name == stem || name == stem + "-mask" || name == stem + "_mask") return candidate;
    }
    throw LoadError(QString("no mask for %1 in %2 (looked for %3, %3-mask and %3_mask)").arg(input, maskArg, stem).toStdString());
}

Morphometry segmentMorphometry(const MorphometryArgs &args, const QString &input, const QString &output,
                               const Image &result, const Image &skeleton, const Image *gray, double pixelSizeMm,
                               bool classesInMm)
{
    NullProgress progress;
    const QString maskPath = maskFor(args.mask, input);
    const Image mask = maskPath.isEmpty() ? Image() : loadInput(maskPath, progress);
    MorphometryOptions o;
    o.skeleton = &skeleton;
    o.gray = gray;
    o.mask = mask.is_empty() ? nullptr : &mask;
    o.pixelSize = pixelSizeMm;
    o.diameterClasses = classBounds(args, classesInMm ? pixelSizeMm : 0.0);
    o.classesInMm = classesInMm;
    const Morphometry m = vesselMorphometry(result, o);
    if (!args.segments.isEmpty()) {
        const QString path = QString(output).replace(QRegularExpression("\\.png$"), "-segments.csv");
        writeTextFile(path, segmentsCsv(m));
    }
    return m;
}

void writeTextFile(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw std::runtime_error(QString("cannot write %1: %2").arg(path, file.errorString()).toStdString());
}
