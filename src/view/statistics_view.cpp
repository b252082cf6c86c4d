// The statistics reports of the view: gray-level figures of the current image and binary
// figures (area, length, white coverage) of the current image or the hysteresis preview,
// followed by the skeleton measurements (end and branch points, segments, length, width),
// the morphometry and, for a photograph's segmentation, the figures inside its field of view.
#include <algorithm>

#include "dialogs/userdialogs.h"
#include "ops/classify/fieldofview.h"
#include "ops/measure/statistics.h"
#include "ops/measure/morphometry.h"
#include "ops/morphology/thinning.h"
#include "ops/measure/vesselmeasure.h"
#include "view/numbertext.h"
#include "view/pixmapwidget.h"

void PixmapWidget::opGrayStats()
{
    const GrayStats s = grayStatistics(*model.currentImage());
    const QString text =
        tr("<p><h3>Graylevel image information<br>Image %1</h3></p><p><b>Width:</b> %2 px<br><b>Height:</b> %3 "
           "px</p><p><b>Minimum value:</b> %4<br><b>Maximum value:</b> %5</p><p><b>Mean:</b> %6<br><b>Variance:</b> "
           "%7</p>")
            .arg(imageNumber)
            .arg(s.width)
            .arg(s.height)
            .arg(numberText(s.minimum))
            .arg(numberText(s.maximum))
            .arg(numberText(s.mean))
            .arg(numberText(s.variance));
    dialogs().report(this, tr("Graylevel image information"), text);
}

// Where a file's pixel size came from, in the report's words.
QString PixmapWidget::calibrationSourceText(CalibrationSource source)
{
    switch (source) {
    case CalibrationSource::DicomPixelSpacing: return tr("DICOM Pixel Spacing");
    case CalibrationSource::DicomImagerPixelSpacing: return tr("DICOM Imager Pixel Spacing, at the detector");
    case CalibrationSource::TiffResolution: return tr("TIFF resolution");
    case CalibrationSource::PngPhys: return tr("PNG pixel dimensions");
    case CalibrationSource::Catheter: return tr("catheter");
    case CalibrationSource::CommandLine:
    case CalibrationSource::None: break;
    }
    return QString();
}

namespace {

// The morphometry of the measured image, below the skeleton figures: diameters from the
// distance to the border, in the classes below 3 px, 3 to 6 px and 6 px and above.
QString morphometryReportText(const Image &measured, const Image &skeleton)
{
    MorphometryOptions o;
    o.skeleton = &skeleton;
    const Morphometry m = vesselMorphometry(measured, o);
    return PixmapWidget::tr("<p><b>Vessel area fraction:</b> %1 %<br><b>Vessel length (along the centre lines):</b> %2 px<br>"
              "<b>Length density:</b> %3 px/px&sup2;<br><b>Junction density:</b> %4 per 10000 px&sup2;</p>"
              "<p><b>Mean diameter:</b> %5 px<br><b>Median diameter:</b> %6 px<br><b>Diameters below 3 px:</b> %7 %<br>"
              "<b>Diameters from 3 to 6 px:</b> %8 %<br><b>Diameters of 6 px and above:</b> %9 %</p>"
              "<p><b>Mean tortuosity (length-weighted):</b> %10<br><b>Fractal dimension (boxes of %11 to %12 px):</b> "
              "%13 (vessels), %14 (skeleton)<br><b>Lacunarity (gliding boxes of %15 to %16 px):</b> %17</p>")
        .arg(numberText(m.areaFraction * 100.0))
        .arg(numberText(m.totalLength))
        .arg(numberText(m.lengthDensity))
        .arg(numberText(m.junctionDensity * 10000.0))
        .arg(numberText(m.meanDiameter))
        .arg(numberText(m.medianDiameter))
        .arg(numberText(m.classPercent[0]))
        .arg(numberText(m.classPercent[1]))
        .arg(numberText(m.classPercent[2]))
        .arg(numberText(m.meanTortuosity))
        .arg(m.fractal.smallestBox)
        .arg(m.fractal.largestBox)
        .arg(numberText(m.fractal.dimension))
        .arg(numberText(m.skeletonFractal.dimension))
        .arg(m.lacunarity.smallestBox)
        .arg(m.lacunarity.largestBox)
        .arg(numberText(m.lacunarity.value));
}

// Says how a picture that is not binary is read, or nothing for a 0/255 image.
QString notBinaryText(const Image &measured)
{
    long long others = 0;
    for (const double v : measured) others += v != 0.0 && v != kWhite ? 1 : 0;
    if (others == 0) return {};
    return PixmapWidget::tr("<p><b>This image is not binary:</b> %1 % of its pixels are neither 0 nor 255. Only the "
                            "pixels of value 255 are read as vessel, every other pixel as background.</p>")
        .arg(100.0 * double(others) / double(std::max<size_t>(1, measured.size())), 0, 'f', 1);
}

// The field of view of the document's first image when that is a photograph with a dark
// surround of the measured image's size; empty when it has none or is itself binary (a
// segmentation opened as a file has no surround to find).
Image firstImageFieldOfView(const Image &first, const Image &measured)
{
    if (!first.is_sameXY(measured) || notBinaryText(first).isEmpty()) return {};
    Image fov = findFieldOfView(first);
    if (fieldOfViewArea(fov) == (long long)fov.size()) return {};
    return fov;
}

// The figures inside the field of view, as quendra-cli's fov_ columns and stats --mask give
// them: every fraction and density over the field of view's area.
QString fieldOfViewReportText(const Image &measured, const Image &fov)
{
    long long vessels = 0;
    for (size_t p = 0; p < fov.size(); ++p) vessels += fov[p] == kWhite && measured[p] == kWhite ? 1 : 0;
    const long long area = fieldOfViewArea(fov);
    MorphometryOptions o;
    o.mask = &fov;
    const Morphometry m = vesselMorphometry(measured, o);
    return PixmapWidget::tr("<p><h3>Inside the field of view</h3></p><p>Found on image 1: %1 px (%2 % of the image)<br>"
                            "<b>Vessel area:</b> %3 px<br>White coverage of the field of view: %4 %<br>"
                            "<b>Length density:</b> %5 px/px&sup2;</p>")
        .arg(area)
        .arg(numberText(100.0 * double(area) / double(std::max<size_t>(1, fov.size()))))
        .arg(vessels)
        .arg(numberText(100.0 * double(vessels) / double(std::max(1LL, area))))
        .arg(numberText(m.lengthDensity));
}

}  // namespace

void PixmapWidget::opBwStats()
{
    // While the hysteresis dialog is open its preview is what the user sees and measures.
    const ImageRead current = model.currentImage(), firstRead = model.image(0);
    const Image &measured = hystDialog ? model.previewImage : *current;
    // One thinning gives the report's length and the skeleton figures below it.
    const Image skeleton = zhangSuenThin(measured);
    const VesselMeasures v = vesselMeasures(measured, skeleton, calibration.pixelSizeMm);
    const BinaryStats &s = v.basic;
    const Image &first = *firstRead;
    QString text = tr("<p><h3>Binary image information<br>Image %1</h3></p><p><b>Width:</b> %2 px<br><b>Height:</b> "
                      "%3 px</p><p><b>Area:</b> %4 px<br><b>Length:</b> %5 px</p><p>White coverage: %6 %</p>")
                       .arg(imageNumber)
                       .arg(first.width())
                       .arg(first.height())
                       .arg(s.area)
                       .arg(s.length)
                       .arg(numberText(s.coverage));
    text += notBinaryText(measured);
    text += tr("<p><h3>Vessel measurements</h3></p><p><b>End points:</b> %1<br><b>Branch points:</b> %2<br>"
               "<b>Segments:</b> %3</p><p><b>Skeleton length (diagonal steps as &radic;2):</b> %4 px<br>"
               "<b>Mean vessel width (area / skeleton length):</b> %5 px</p>")
                .arg(v.skeleton.endPoints)
                .arg(v.skeleton.branchPoints)
                .arg(v.skeleton.segments)
                .arg(numberText(v.skeleton.stepLength))
                .arg(numberText(v.meanWidth));
    if (calibration.known())
        text += tr("<p><b>Pixel size:</b> %1 mm (from the file's %2)<br><b>Skeleton length:</b> %3 mm<br>"
                   "<b>Mean vessel width:</b> %4 mm<br><b>Length density:</b> %5 mm/mm&sup2;</p>")
                    .arg(numberText(calibration.pixelSizeMm))
                    .arg(calibrationSourceText(calibration.source))
                    .arg(numberText(v.lengthMm))
                    .arg(numberText(v.meanWidthMm))
                    .arg(numberText(v.lengthDensity));
    text += morphometryReportText(measured, skeleton);
    const Image fov = firstImageFieldOfView(first, measured);
    if (!fov.is_empty()) text += fieldOfViewReportText(measured, fov);
    dialogs().report(this, tr("Binary image information"), text);
}

