// Point operations of the view: each runs its row of the operation table on the model
// (notes about values outside the operation's domain are shown as a warning), then
// refreshes, updates the navigation and reports. Coverage thresholding with its live
// preview is here too.
#include <stdexcept>

#include "dialogs/userdialogs.h"
#include "ops/histogram.h"
#include "ops/threshold.h"
#include "view/pixmapwidget.h"
#include "view/thresholddialog.h"

void PixmapWidget::opInvert()
{
    runCore(4, Params());
    finishOperation(tr("The image was inverted"));
}

void PixmapWidget::opNormalize()
{
    runCore(7, Params());
    finishOperation(tr("The image was normalized"));
}

void PixmapWidget::opLog2()
{
    runCore(11, Params());
    finishOperation(tr("The image by its logarithm to the base of 2 was calculated"));
}

void PixmapWidget::opSqrt()
{
    runCore(9, Params());
    finishOperation(tr("Square root image was calculated"));
}

void PixmapWidget::opPower()
{
    bool ok = false;
    const double exponent =
        dialogs().getDouble(this, tr("Exponent"), tr("Please enter the exponent:"), 2.0, 0.0, 100.0, 2, &ok);
    cancelled = !ok;
    if (!ok) return;
    Params params;
    params.set("exponent", exponent);
    runCore(10, params);
    finishOperation(tr("The image by its power by %1 was calculated").arg(exponent));
}

void PixmapWidget::opThreshold()
{
    if (model.current().is_empty()) throw std::runtime_error(tr("Thresholding: the image is empty").toStdString());
    ThresholdDialog dialog(histogram256(model.current()), nullptr);
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
    model.previewImage = thresholdImage(model.current(), tborder, invert);
    showPreviewImage();
    repaint();
}
