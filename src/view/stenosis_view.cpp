// "Vessel stenosis..." in the view: the path tool on the current segmentation, over the
// window's first picture when it has the same size (the image that was segmented). The
// image list is only read; a catheter calibration is kept in the document.
#include "dialogs/userdialogs.h"
#include "view/pixmapwidget.h"
#include "view/stenosiswindow.h"

namespace {

bool isBinary(const Image &image)
{
    bool white = false;
    cimg_for(image, v, double) {
        if (*v != 0.0 && *v != kWhite) return false;
        white = white || *v == kWhite;
    }
    return white;
}

}  // namespace

void PixmapWidget::opVesselStenosis()
{
    const ImageRead current = model.currentImage(), firstRead = model.image(0);
    const Image &segmentation = *current, &first = *firstRead;
    if (!isBinary(segmentation)) {
        dialogs().information(this, tr("Vessel stenosis"),
                              tr("The current image must be a segmentation: white vessels (255) on black (0)."));
        cancelled = true;
        return;
    }
    const bool overSource = !isBinary(first) && first.width() == segmentation.width() && first.height() == segmentation.height();
    auto *window = new StenosisWindow(this, segmentation, overSource ? first : Image(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(tr("Vessel stenosis: image %1").arg(imageNumber));
    window->show();
}
