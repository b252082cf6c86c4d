// The statistics reports of the view: gray-level figures of the current image and binary
// figures (area, length, white coverage) of the current image or the hysteresis preview.
#include "dialogs/userdialogs.h"
#include "ops/statistics.h"
#include "view/pixmapwidget.h"

void PixmapWidget::opGrayStats()
{
    const GrayStats s = grayStatistics(model.current());
    const QString text =
        tr("<p><h3>Graylevel image information<br>Image %1</h3></p><p><b>Width:</b> %2 px<br><b>Height:</b> %3 "
           "px</p><p><b>Minimum value:</b> %4<br><b>Maximum value:</b> %5</p><p><b>Mean:</b> %6<br><b>Variance:</b> "
           "%7</p>")
            .arg(imageNumber)
            .arg(s.width)
            .arg(s.height)
            .arg(s.minimum)
            .arg(s.maximum)
            .arg(s.mean)
            .arg(s.variance);
    dialogs().information(this, tr("Graylevel image information"), text);
}

void PixmapWidget::opBwStats()
{
    // While the hysteresis dialog is open its preview is what the user sees and measures.
    const Image &measured = hystDialog ? model.previewImage : model.current();
    const BinaryStats s = binaryStatistics(measured);
    const Image &first = model.imageList[0];
    const QString text = tr("<p><h3>Binary image information<br>Image %1</h3></p><p><b>Width:</b> %2 px<br><b>Height:</b> "
                            "%3 px</p><p><b>Area:</b> %4 px<br><b>Length:</b> %5 px</p><p>White coverage: %6 %</p>")
                             .arg(imageNumber)
                             .arg(first.width())
                             .arg(first.height())
                             .arg(s.area)
                             .arg(s.length)
                             .arg(s.coverage);
    dialogs().information(this, tr("Binary image information"), text);
}
