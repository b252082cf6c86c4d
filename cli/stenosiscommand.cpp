// quendra-cli stenosis: the diameter profile of one vessel between two points and the
// narrowing's figures, calibrated by the file's pixel size, --pixel-size or a catheter.
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "cli.h"
#include "commandline.h"
#include "commands.h"
#include "morphometryoutput.h"
#include "ops/core/progress.h"
#include "ops/measure/stenosis.h"
#include "ops/measure/stenosispicture.h"

namespace {

// "X,Y" (or "X1,Y1,X2,Y2" with count 4) as numbers; UsageError otherwise.
std::vector<double> numbers(const QString &text, int count, const QString &option)
{
    const QStringList parts = text.split(QLatin1Char(','));
    std::vector<double> values;
    for (const QString &part : parts) {
        bool ok = false;
        values.push_back(part.trimmed().toDouble(&ok));
        if (!ok || !std::isfinite(values.back())) values.clear();
        if (values.empty()) break;
    }
    if (int(values.size()) != count || parts.size() != count)
        throw UsageError(QString("%1 needs %2 numbers separated by commas, not \"%3\"")
                             .arg(option).arg(count).arg(text).toStdString());
    return values;
}

PathPoint point(const CommandLine &line, const QString &option)
{
    const QString text = line.value(option);
    if (text.isEmpty()) throw UsageError(QString("stenosis needs --%1 X,Y").arg(option).toStdString());
    const auto v = numbers(text, 2, "--" + option);
    return {v[0], v[1]};
}

struct Scale {
    double mmPerPixel = 0.0;
    QString source;  // where it came from
    double catheterWidth = 0.0;
};

Scale calibrate(const CommandLine &line, const InputFrames &input, const Image &seg, const Image *gray, DiameterSource source)
{
    const double pixelSize = line.pixelSize();
    const QString catheter = line.value("catheter"), catheterSize = line.value("catheter-size");
    Scale scale;
    if (pixelSize > 0) {
        scale = {pixelSize, calibrationSourceName(CalibrationSource::CommandLine), 0.0};
    } else if (!catheter.isEmpty()) {
        const auto v = numbers(catheter, 4, "--catheter");
        const double sizeMm = catheterSizeMm(catheterSize);
        if (!(sizeMm > 0))
            throw UsageError(QString("--catheter-size must be a size in French or mm such as 6F or 2.0mm, not \"%1\"")
                                 .arg(catheterSize).toStdString());
        const CatheterCalibration c = calibrateOnCatheter(seg, gray, {v[0], v[1]}, {v[2], v[3]}, source, sizeMm);
        if (!c.ok()) throw std::runtime_error(c.error.toStdString());
        scale = {c.mmPerPixel, calibrationSourceName(CalibrationSource::Catheter), c.meanWidth};
    } else if (input.calibration.known()) {
        scale = {input.calibration.pixelSizeMm, calibrationSourceName(input.calibration.source), 0.0};
    }
    return scale;
}

QJsonObject figuresJson(const VesselMeasurement &m, const Scale &scale)
{
    const StenosisFigures &f = m.figures;
    QJsonObject o{{"diameter_source", m.profile.source == DiameterSource::GrayLevels ? "gray-levels" : "segmentation"},
                  {"path_length_px", m.profile.samples.back().arc},
                  {"mld_px", f.mld},
                  {"mld_x", f.mldX},
                  {"mld_y", f.mldY},
                  {"mld_position_px", f.mldArc},
                  {"reference_diameter_px", f.reference},
                  {"percent_diameter_stenosis", f.percentDiameter},
                  {"percent_area_stenosis", f.percentArea},
                  {"lesion_start_px", f.lesionStart},
                  {"lesion_end_px", f.lesionEnd},
                  {"lesion_length_px", f.lesionLength}};
    if (scale.mmPerPixel > 0) {
        const double k = scale.mmPerPixel;
        o["pixel_size_mm"] = k;
        o["calibration"] = scale.source;
        o["path_length_mm"] = m.profile.samples.back().arc * k;
        o["mld_mm"] = f.mld * k;
        o["reference_diameter_mm"] = f.reference * k;
        o["lesion_length_mm"] = f.lesionLength * k;
        if (scale.catheterWidth > 0) o["catheter_width_px"] = scale.catheterWidth;
    }
    return o;
}

QString profileCsv(const VesselMeasurement &m, double mmPerPixel)
{
    QString text = "arc_px,x,y,diameter_px,reference_px,in_lesion";
    if (mmPerPixel > 0) text += ",arc_mm,diameter_mm,reference_mm";
    text += "\n";
    for (const ProfileSample &p : m.profile.samples) {
        const double ref = m.figures.referenceAt(p.arc);
        const bool lesion = m.figures.lesionLength > 0 && p.arc >= m.figures.lesionStart && p.arc <= m.figures.lesionEnd;
        text += QStringList{csvNumber(p.arc), csvNumber(p.x), csvNumber(p.y), csvNumber(p.diameter), csvNumber(ref),
                            lesion ? "1" : "0"}.join(',');
        if (mmPerPixel > 0)
            text += "," + QStringList{csvNumber(p.arc * mmPerPixel), csvNumber(p.diameter * mmPerPixel), csvNumber(ref * mmPerPixel)}.join(',');
        text += "\n";
    }
    return text;
}

}  // namespace

CommandLine stenosisCommandLine()
{
    return CommandLine("stenosis", "IMAGE --segmentation SEG --from X,Y --to X,Y [options]",
                       "Follows the vessel of SEG (0/255) from the --from point to the --to point along its centre, "
                       "measures its diameter every 0.5 pixel (from IMAGE's gray levels, or from SEG alone) and prints "
                       "the minimal lumen diameter and where it lies, the interpolated reference diameter, the percent "
                       "diameter and area stenosis and the lesion length; in mm with the file's pixel size, "
                       "--pixel-size, or a catheter of known size marked between two points of its centre line. A point "
                       "more than 3 pixels off the vessel, vessels that do not connect and an empty segmentation are "
                       "refused.")
        .option("segmentation", "SEG", "the segmentation of IMAGE, white vessels on black")
        .option("from", "X,Y", "the proximal point, pixel coordinates")
        .option("to", "X,Y", "the distal point")
        .option("diameters", "FROM", "gray (from IMAGE's gray levels, the default) or segmentation")
        .pixelSizeOption("mm per pixel, instead of the file's own")
        .option("catheter", "X1,Y1,X2,Y2", "calibrate on the catheter between these two points of its centre line")
        .option("catheter-size", "SIZE", "the catheter's size: 6F (1 French = 1/3 mm) or 2.0mm")
        .option("profile", "FILE.csv", "write the diameter profile, one row per sample")
        .option("picture", "FILE.png", "draw the path over IMAGE and the profile plot below it")
        .flag("json", "print the figures as JSON");
}

int stenosisCommand(const CommandLine &line, QTextStream &out, QTextStream &)
{
    const bool json = line.isSet("json");
    const QString segPath = line.value("segmentation"), profilePath = line.value("profile"),
                  picturePath = line.value("picture"), diameters = line.value("diameters");
    if (!line.value("pixel-size").isEmpty() && !line.value("catheter").isEmpty())
        throw UsageError("give --pixel-size or --catheter, not both");
    if (line.value("catheter").isEmpty() != line.value("catheter-size").isEmpty())
        throw UsageError("--catheter and --catheter-size go together");
    if (segPath.isEmpty()) throw UsageError("stenosis needs --segmentation SEG");
    if (!diameters.isEmpty() && diameters != "gray" && diameters != "segmentation")
        throw UsageError(QString("--diameters must be gray or segmentation, not \"%1\"").arg(diameters).toStdString());
    const DiameterSource source = diameters == "segmentation" ? DiameterSource::Segmentation : DiameterSource::GrayLevels;
    const PathPoint from = point(line, "from"), to = point(line, "to");
    if (line.positional().size() != 1) throw UsageError("stenosis needs exactly one IMAGE");
    NullProgress progress;
    const InputFrames input = loadSingleInput(line.positional()[0], progress);
    const Image &image = input.frames[0];
    const Image seg = loadInput(segPath, progress);
    const Scale scale = calibrate(line, input, seg, &image, source);

    const VesselMeasurement m = measureVessel(seg, &image, from, to, source);
    if (!m.ok()) throw std::runtime_error(m.error.toStdString());
    if (!profilePath.isEmpty()) writeTextFile(profilePath, profileCsv(m, scale.mmPerPixel));
    if (!picturePath.isEmpty()) writePicture(stenosisPicture(image, m, scale.mmPerPixel), picturePath);
    const QJsonObject figures = figuresJson(m, scale);
    if (json) {
        out << QJsonDocument(figures).toJson(QJsonDocument::Indented);
        return kOk;
    }
    static const QStringList order = {"diameter_source", "calibration", "pixel_size_mm", "catheter_width_px",
                                      "path_length_px", "path_length_mm", "mld_px", "mld_mm", "mld_x", "mld_y",
                                      "mld_position_px", "reference_diameter_px", "reference_diameter_mm",
                                      "percent_diameter_stenosis", "percent_area_stenosis", "lesion_start_px",
                                      "lesion_end_px", "lesion_length_px", "lesion_length_mm"};
    for (const QString &key : order)
        if (figures.contains(key))
            out << key << ": "
                << (figures[key].isString() ? figures[key].toString() : QString::number(figures[key].toDouble(), 'g', 6)) << "\n";
    return kOk;
}
