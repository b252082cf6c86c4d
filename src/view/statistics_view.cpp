// The statistics reports of the view: gray-level figures of the current image and binary
// figures (area, length, white coverage) of the current image or the hysteresis preview,
// followed by the skeleton measurements (end and branch points, segments, length, width).
#include <algorithm>

#include "dialogs/userdialogs.h"
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
    dialogs().report(this, tr("Binary image information"), text);
}

