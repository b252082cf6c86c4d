// "Morphometry overlay..." in the view: the skeleton segments of the current binary image
// coloured by their mean diameter or tortuosity, over the image the window's last
// segmentation ran on, else over the window's first picture when it has the same size (the
// photograph that was segmented), shown in a window of its own. The image
// list is only read.
#include "dialogs/userdialogs.h"
#include "ops/measure/morphometryoverlay.h"
#include "view/overlayviewer.h"
#include "view/pixmapwidget.h"

void PixmapWidget::opMorphometryOverlay()
{
    const QString diameter = tr("Mean diameter"), tortuosity = tr("Tortuosity");
    bool ok = false;
    const QString choice = dialogs().getItem(this, tr("Morphometry overlay"), tr("Colour the vessel segments by:"),
                                             {diameter, tortuosity}, 0, &ok);
    if (!ok) {
        cancelled = true;
        return;
    }
    // While the hysteresis dialog is open its preview is what the user sees and measures.
    const ImageRead current = model.currentImage(), firstRead = model.image(0);
    const Image &measured = hystDialog ? model.previewImage : *current;
    // The image the segmentation came from when it is known, else the first picture.
    const Image &first = segmentationSource.is_sameXY(measured) ? segmentationSource : *firstRead;
    const bool overPhotograph = first.width() == measured.width() && first.height() == measured.height();
    MorphometryOptions options;
    options.pixelSize = calibration.pixelSizeMm;
    const Morphometry m = vesselMorphometry(measured, options);
    const QImage picture = morphometryOverlay(overPhotograph ? first : measured, m,
                                              choice == tortuosity ? OverlayValue::Tortuosity : OverlayValue::Diameter);
    auto *viewer = new OverlayViewer(picture, tr("Morphometry overlay: %1, image %2").arg(choice).arg(imageNumber), this);
    viewer->setWindowFlag(Qt::Window);
    viewer->show();
}
