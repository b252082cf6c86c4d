// Coverage thresholding in the view: the threshold dialog with its live preview of the
// border and the coverage it gives.
#include <stdexcept>

#include "dialogs/userdialogs.h"
#include "ops/filters/histogram.h"
#include "ops/segmentation/threshold.h"
#include "view/pixmapwidget.h"
#include "view/thresholddialog.h"

void PixmapWidget::opThreshold()
{
    if (model.currentImage()->is_empty()) throw std::runtime_error(tr("Thresholding: the image is empty").toStdString());
    ThresholdDialog dialog(histogram256(*model.currentImage()), nullptr);
    connect(&dialog, &ThresholdDialog::showThreshPreview, this, &PixmapWidget::f_doPrewThresh);
    connect(&dialog, &ThresholdDialog::savePreview, this, [this] { previewToCurrent(); });
    connect(&dialog, &ThresholdDialog::discardPreview, this, [this](bool confirm) { deleteImg(confirm); });
    // The preview of the border the dialog opens with is shown at once, so OK without a
    // change keeps what is shown.
    dialog.doPreview();
    cancelled = dialogs().exec(&dialog) != QDialog::Accepted;
    // Whichever way the dialog ended, show what the list now holds, not a stale preview.
    refreshView();
    update();
    emit updateImgNav();
}

void PixmapWidget::f_doPrewThresh(int tborder, bool invert)
{
    model.previewImage = thresholdImage(*model.currentImage(), tborder, invert);
    showPreviewImage();
    repaint();
}
