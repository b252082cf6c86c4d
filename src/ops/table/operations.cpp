#include "ops/table/operations.h"

#include <new>
#include <stdexcept>

#include "ops/core/cancel.h"
#include "ops/core/progress.h"
#include "ops/core/viewtext.h"
#include "ops/filters/fourier.h"

#include "ops/table/runs.h"

namespace {

using P = Preparation;
using K = ParamKind;
using C = OpCode;
using A = Ask;
using M = MenuGroup;
using T = ToolBarGroup;

// Shared by the morphology rows: the disc of the structuring element.
// The spectrum of a non-square image is taken on a square canvas: where the image lies on it.
QString spectrumNotice(const Image &current)
{
    if (current.width() == current.height()) return {};
    const CanvasOffsets off = spectrumOffsets(current);
    return ViewText::tr("txoffset: %1, tyoffset: %2").arg(off.x).arg(off.y);
}

const ParamInfo discSize{"size", QT_TRANSLATE_NOOP("PixmapWidget", "Disc size"), K::Integer, 1, 999, "3", "disc size"};

std::vector<OperationRow> buildTable()
{
    // Keep the rows in code order: row i is code i. The second line of a row says how the
    // window runs it: how it asks, what it reports, where its action stands.
    return {
        {C::Erode, "f_erode", QT_TRANSLATE_NOOP("MainWindow", "Erosion"), true, P::Edit, "erode", {discSize}, runErode, "grayscale erosion with a disc",
         A::Disc, QT_TRANSLATE_NOOP("PixmapWidget", "The image was eroded"), {M::Morphology, 1}, {T::Morphology, 1}},
        {C::Dilate, "f_dilate", QT_TRANSLATE_NOOP("MainWindow", "Dilation"), true, P::Edit, "dilate", {discSize}, runDilate, "grayscale dilation with a disc",
         A::Disc, QT_TRANSLATE_NOOP("PixmapWidget", "The image was dilated"), {M::Morphology, 2}, {T::Morphology, 2}},
        {C::Open, "f_open", QT_TRANSLATE_NOOP("MainWindow", "Opening"), true, P::Edit, "open", {discSize}, runOpen, "erosion, then dilation",
         A::Disc, QT_TRANSLATE_NOOP("PixmapWidget", "The image was opened"), {M::Morphology, 3}, {T::Morphology, 3}},
        {C::Close, "f_close", QT_TRANSLATE_NOOP("MainWindow", "Closing"), true, P::Edit, "close", {discSize}, runClose, "dilation, then erosion",
         A::Disc, QT_TRANSLATE_NOOP("PixmapWidget", "The image was closed"), {M::Morphology, 4}, {T::Morphology, 4}},
        {C::Invert, "f_invert", QT_TRANSLATE_NOOP("MainWindow", "Invert"), true, P::Edit, "invert", {}, runInvert, "v -> 255 - v",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "The image was inverted"), {M::General, 1}, {T::General, 1}},
        {C::TopHat, "f_tophat", QT_TRANSLATE_NOOP("MainWindow", "Top-hat"), true, P::Edit, "tophat", {discSize}, runTopHat, "white top-hat",
         A::Disc, QT_TRANSLATE_NOOP("PixmapWidget", "The image was top-hat transformed"), {M::Morphology, 5}, {T::Morphology, 5}},
        {C::MGradient, "f_mgradient", QT_TRANSLATE_NOOP("MainWindow", "Morph. gradient"), true, P::Edit, "gradient", {discSize}, runGradient, "dilation minus erosion",
         A::Disc, QT_TRANSLATE_NOOP("PixmapWidget", "The morphological gradient was calculated"), {M::Morphology, 6}, {T::Morphology, 6}},
        {C::Normalize, "f_normalize", QT_TRANSLATE_NOOP("MainWindow", "Normalize"), true, P::Edit, "normalize", {}, runNormalize, "stretch the values to 0..255",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "The image was normalized"), {M::General, 2}, {T::General, 2}},
        // Only the dispatcher's working copy or clone, and nothing to report.
        {C::GaussBlur, "f_gaussblur", QT_TRANSLATE_NOOP("MainWindow", "Gaussian blur"), true, P::Edit, "", {}, runNothing, "the working copy only",
         A::Nothing},
        {C::Sqrt, "f_sqrt", QT_TRANSLATE_NOOP("MainWindow", "Square root"), true, P::Edit, "sqrt", {}, runSqrt, "square root, normalized",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Square root image was calculated"), {M::NonLinear, 1}, {T::NonLinear, 1}},
        {C::Power, "f_power", QT_TRANSLATE_NOOP("MainWindow", "Power"), true, P::Edit, "power",
         {{"exponent", QT_TRANSLATE_NOOP("PixmapWidget", "Please enter the exponent:"), K::Number, 0, 100, "2", "0 to 100"}}, runPower, "power, normalized",
         A::Number, QT_TRANSLATE_NOOP("PixmapWidget", "The image by its power by %1 was calculated"), {M::NonLinear, 2}, {T::NonLinear, 2}, "",
         QT_TRANSLATE_NOOP("PixmapWidget", "Exponent")},
        {C::Log2, "f_log2", QT_TRANSLATE_NOOP("MainWindow", "Logarithm 2"), true, P::Edit, "log", {}, runLog, "logarithm, normalized",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "The image by its logarithm to the base of 2 was calculated")},
        {C::Fft, "f_fft", QT_TRANSLATE_NOOP("MainWindow", "Magnitude spectrum"), true, P::Edit, "fft", {}, runFft, "Fourier magnitude spectrum",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Magnitude spectrum was calculated"), {M::General, 4}, {}, "", "", false,
         tool::Normal, "", "", false, false, spectrumNotice},
        {C::InvFft, "f_invfft", "Inverse FFT", false, P::Edit, "invfft", {}, runInvFft, "inverse Fourier transform",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Inverse FFT was calculated")},
        {C::Eigenv, "f_eigenv", "Eigenvls. of hessian M.", false, P::Edit, "eigen", {}, runEigen, "eigenvalues of the Hessian",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Vessel enhancement calculated"), {M::General, 5}},
        {C::LaplEnh, "f_laplenh", QT_TRANSLATE_NOOP("MainWindow", "Laplacian pyramid"), true, P::Edit, "laplacian", {}, runLaplEnh, "Laplacian pyramid enhancement",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Vessel enhancement calculated"), {M::Vessel, 3, true}, {},
         QT_TRANSLATE_NOOP("MainWindow", "Vessel enhancement with laplacian pyramid decomposition")},
        {C::HessEnh, "f_hessenh", QT_TRANSLATE_NOOP("MainWindow", "Hessian enhancement"), true, P::Edit, "hessian", {}, runHessEnh, "Hessian vessel enhancement",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Vessel enhancement calculated"), {M::Vessel, 4}, {},
         QT_TRANSLATE_NOOP("MainWindow", "Vessel enhancement with hessian matrix calculations")},
        {C::HomoVes, "f_homoves", QT_TRANSLATE_NOOP("MainWindow", "Homomorphic filter"), true, P::Edit, "homomorphic", {}, runHomomorphic, "homomorphic filter",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Homomorphic vessel enhancement was calculated"), {M::Vessel, 5}, {},
         QT_TRANSLATE_NOOP("MainWindow", "Vessel enhancement by high-pass channel amplifiction")},
        {C::VesNonl, "f_vesnonl", QT_TRANSLATE_NOOP("MainWindow", "Non-linear filter"), true, P::Edit, "nonlinear", {}, runNonLinear, "non-linear vessel filter",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "Vessel enhancement calculated"), {M::Vessel, 6}},
        {C::HystThres, "f_hystthres", QT_TRANSLATE_NOOP("MainWindow", "Hysteresis thresholding"), true, P::Edit, "hysteresis",
         {{"disc", "", K::Integer, 1, 99, "13", "top-hat disc size"},
          {"preset", "", K::Choice, 0, 0, "retina", "retina, skin or coronary"},
          {"vessel", "", K::Number, 0, 100, "3", "own vessel coverage in percent, instead of the preset"},
          {"background", "", K::Number, 0, 100, "85", "own background coverage in percent, instead of the preset"}},
         runHysteresis, "vessel segmentation by hysteresis thresholding",
         A::Own, "", {M::Vessel, 1}, {T::Vessel, 1}, "", "", false, tool::Normal, "opHystThres", "hysteresis"},
        {C::Threshold, "f_threshold", "Thresholding", false, P::Edit, "threshold",
         {{"border", "", K::Integer, 0, 255, "0", "threshold border 0..255"},
          {"invert", "", K::Flag, 0, 1, "0", "invert afterwards (0 or 1)"}},
         runThreshold, "binary threshold",
         A::Own, "", {M::General, 3}, {}, "", "", false, tool::Normal, "opThreshold", "", true},
        {C::FuzzyClust, "f_fuzzyclust", QT_TRANSLATE_NOOP("MainWindow", "Fuzzy clustering"), true, P::Edit, "fuzzy", {}, runFuzzy, "automatic segmentation",
         A::Nothing, "", {M::Vessel, 2}, {T::Vessel, 2}, "", "", true, tool::Normal, "", "fuzzy"},
        {C::Skeletonize, "f_thinning", QT_TRANSLATE_NOOP("MainWindow", "Skeletonizing"), true, P::Edit, "skeletonize", {}, runSkeletonize, "hit-or-miss skeleton",
         A::Nothing, QT_TRANSLATE_NOOP("PixmapWidget", "The image was thinned"), {M::Morphology, 7}, {}, "", "", true},
        {C::SelectRect, "f_selectrect", QT_TRANSLATE_NOOP("MainWindow", "Select rectangle"), true, P::Tool, "", {}, nullptr, "",
         A::Tool, "", {M::Select, 1}, {T::Vessel, 3, true}, "", "", false, tool::Rectangle},
        {C::SelectEllipse, "f_selectellipse", QT_TRANSLATE_NOOP("MainWindow", "Select ellipse"), true, P::Tool, "", {}, nullptr, "",
         A::Tool, "", {M::Select, 2}, {T::Vessel, 4}, "", "", false, tool::Ellipse},
        {C::SelectArea, "f_selectarea", QT_TRANSLATE_NOOP("MainWindow", "Selection mode"), true, P::AreaTool, "", {}, nullptr, "",
         A::Tool, "", {M::Select, 4}, {T::Vessel, 6}, "", "", false, tool::Area},
        {C::GrayStats, "f_graystats", QT_TRANSLATE_NOOP("MainWindow", "Graylevel image statistics"), true, P::ReadOnly, "", {}, nullptr, "",
         A::Own, "", {M::Statistics, 1}, {}, "", "", false, tool::Normal, "opGrayStats"},
        {C::BwStats, "f_bwstats", QT_TRANSLATE_NOOP("MainWindow", "Binary image statistics"), true, P::ReadOnly, "", {}, nullptr, "",
         A::Own, "", {M::Statistics, 2}, {T::Vessel, 7, true}, "", "", false, tool::Normal, "opBwStats"},
        {C::Erase, "f_erase", "Erase tool", false, P::Edit, "", {}, nullptr, "",
         A::Own, "", {}, {}, "", "", false, tool::Normal, "startErase"},
        // Reports nothing: the thinned image speaks for itself.
        {C::ZhangSuen, "f_zhangsuen", QT_TRANSLATE_NOOP("MainWindow", "Thinning"), true, P::Edit, "thin", {}, runZhangSuen, "Zhang-Suen thinning",
         A::Nothing, "", {M::Morphology, 8}},
        {C::SelectPoly, "f_selectpoly", QT_TRANSLATE_NOOP("MainWindow", "Select polygon"), true, P::Tool, "", {}, nullptr, "",
         A::Tool, "", {M::Select, 3}, {T::Vessel, 5}, "", "", false, tool::Polygon},
        // The window asks for the model and offers the model's channel first; on the command
        // line it is segment --method classifier.
        {C::VesselClassifier, "f_vesselclassifier", QT_TRANSLATE_NOOP("MainWindow", "Vessel classifier..."), true, P::Edit, "",
         {{"model", "", K::Text, 0, 0, "", "the model file"},
          {"source", "", K::Text, 0, 0, "", "the file the image was read from (its gray levels give the field of view)"},
          {"scale", "", K::Number, 0, 8, "0", "resize factor before classifying; 0: the model's own rule"},
          {"pixelsize", "", K::Number, 0, 1000, "0", "the image's pixel size in mm, 0 when unknown"}},
         runVesselClassifier, "vessel segmentation by a trained classifier",
         A::Own, "", {M::Vessel, 7, true}, {}, "", "", false, tool::Normal, "opVesselClassifier", "classifier"},
        // Asks what to colour by and shows the picture in a window of its own.
        {C::MorphometryOverlay, "f_morphometryoverlay", QT_TRANSLATE_NOOP("MainWindow", "Morphometry overlay..."), true, P::ReadOnly, "", {}, nullptr, "",
         A::Own, "", {M::Statistics, 3}, {}, "", "", false, tool::Normal, "opMorphometryOverlay"},
        // A tool with a panel of its own; the list changes only when its result is kept.
        {C::ScribbleClassifier, "f_scribbleclassifier", QT_TRANSLATE_NOOP("MainWindow", "Train classifier by scribbles..."), true, P::ReadOnly, "", {}, nullptr, "",
         A::Own, "", {M::Vessel, 8}, {}, "", "", false, tool::Normal, "startScribbles", "", false, true},
        // A window of its own with the path tool; on the command line it is stenosis.
        {C::VesselStenosis, "f_vesselstenosis", QT_TRANSLATE_NOOP("MainWindow", "Vessel stenosis..."), true, P::ReadOnly, "", {}, nullptr, "",
         A::Own, "", {M::Statistics, 4}, {}, "", "", false, tool::Normal, "opVesselStenosis"},
        // A run's frames: asks for a segmentation row and its parameters, appends one result
        // per frame; on the command line segment does it for every file of several frames.
        {C::SegmentFrames, "f_segmentframes", QT_TRANSLATE_NOOP("MainWindow", "Segment every frame..."), true, P::ReadOnly, "", {}, nullptr, "",
         A::Own, "", {M::Run, 1}, {}, QT_TRANSLATE_NOOP("MainWindow", "Segments every frame of the run with one method and appends the results"),
         "", false, tool::Normal, "opSegmentFrames"},
        // Vessel area and length of the frames' results, in a window of its own; segment --curve.
        {C::RunCurve, "f_runcurve", QT_TRANSLATE_NOOP("MainWindow", "Run curve..."), true, P::ReadOnly, "", {}, nullptr, "",
         A::Own, "", {M::Run, 2}, {}, QT_TRANSLATE_NOOP("MainWindow", "Plots vessel area and length against the frame number"),
         "", false, tool::Normal, "opRunCurve"},
    };
}

}  // namespace

const std::vector<OperationRow> &operationTable()
{
    static const std::vector<OperationRow> table = buildTable();
    return table;
}

const OperationRow &operationRow(OpCode code) { return operationTable().at(size_t(code)); }

const OperationRow *findOperation(const QString &cliName)
{
    if (cliName.isEmpty()) return nullptr;
    for (const OperationRow &row : operationTable())
        if (cliName == QLatin1String(row.cliName)) return &row;
    return nullptr;
}

const OperationRow *findSegmentMethod(const QString &name)
{
    for (const OperationRow &row : operationTable())
        if (*row.segmentMethod && name == QLatin1String(row.segmentMethod)) return &row;
    return nullptr;
}

QStringList segmentMethods()
{
    QStringList names;
    for (const OperationRow &row : operationTable())
        if (*row.segmentMethod) names << row.segmentMethod;
    return names;
}

const OperationRow *findToolRow(tool::State state)
{
    for (const OperationRow &row : operationTable())
        if (row.ask == Ask::Tool && row.tool == state) return &row;
    return nullptr;
}

const ParamInfo *findParam(const OperationRow &row, const QString &name)
{
    for (const ParamInfo &p : row.params)
        if (name == QLatin1String(p.name)) return &p;
    return nullptr;
}

ParamValues::ParamValues(const OperationRow &row, const Params &given)
{
    validate(row, given);
    for (const ParamInfo &p : row.params) {
        Value v;
        v.given = given.has(p.name);
        v.text = v.given ? given.text(p.name) : QString(p.defaultValue);
        if (!v.given && v.text.isEmpty()) continue;
        if (p.kind == ParamKind::Flag)
            v.number = QStringList{"1", "true", "yes"}.contains(v.text) ? 1.0 : 0.0;
        else if (p.kind == ParamKind::Integer || p.kind == ParamKind::Number)
            v.number = v.text.toDouble();
        values_.insert(p.name, v);
    }
}

const ParamValues::Value &ParamValues::value(const char *name) const
{
    const auto it = values_.find(name);
    if (it == values_.end()) throw std::logic_error(QString("the parameter %1= has no value").arg(name).toStdString());
    return *it;
}

void validate(const OperationRow &row, const Params &params)
{
    const QString op = row.cliName;
    for (const QString &name : params.names()) {
        const ParamInfo *param = findParam(row, name);
        if (!param) throw std::invalid_argument(QString("%1: unknown parameter \"%2\"").arg(op, name).toStdString());
        const QString text = params.text(name);
        const auto refuse = [&](const QString &accepted) {
            throw std::invalid_argument(QString("%1: %2= must be %3, not \"%4\"").arg(op, name, accepted, text).toStdString());
        };
        const QString range = QString("between %1 and %2").arg(param->minimum).arg(param->maximum);
        bool ok = false;
        switch (param->kind) {
        case ParamKind::Integer: {
            const int v = text.toInt(&ok);
            if (!ok || v < param->minimum || v > param->maximum) refuse("a whole number " + range);
            break;
        }
        case ParamKind::Number: {
            const double v = text.toDouble(&ok);
            if (!ok || !(v >= param->minimum && v <= param->maximum)) refuse("a number " + range);
            break;
        }
        case ParamKind::Flag:
            if (!QStringList{"0", "1", "true", "false", "yes", "no"}.contains(text)) refuse("0 or 1");
            break;
        case ParamKind::Choice:
            if (!QString(param->help).replace(" or ", ", ").split(", ").contains(text)) refuse(param->help);
            break;
        case ParamKind::Text:
            break;
        }
    }
}

RunOutcome runOperation(ImageModel &model, const OperationRow &row, const Params &params, Progress &progress, bool inClone)
{
    RunOutcome outcome;
    // Edit and tool rows run on a working copy made after the mark, so taking them back
    // needs no copy of the current image; in a clone (and for other rows) the run works on
    // the current image itself.
    const bool edits = row.preparation == Preparation::Edit || row.preparation == Preparation::Tool;
    ImageModel::Mark mark = model.markMovingPreview(!edits || inClone);
    const auto fail = [&](RunResult result, const QString &error) {
        model.rollback(mark);
        outcome.result = result;
        outcome.error = error;
    };
    try {
        const ParamValues values(row, params);
        if (!row.run) throw std::logic_error("this operation has no headless run");
        if (edits && !inClone) model.duplicateCurrent();
        row.run(model, values, progress, outcome.notes);
        model.keep(std::move(mark));
    } catch (const OperationCancelled &) {
        fail(RunResult::Cancelled, QString());
    } catch (const std::invalid_argument &e) {
        fail(RunResult::BadParameters, QString::fromLocal8Bit(e.what()));
    } catch (const std::bad_alloc &) {
        fail(RunResult::OutOfMemory, QStringLiteral("not enough memory for this operation"));
    } catch (const std::exception &e) {
        fail(RunResult::Failed, QString::fromLocal8Bit(e.what()));
    }
    progress.finish();
    return outcome;
}
