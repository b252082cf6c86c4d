// Hysteresis thresholding in the view: the question, the non-modal dialog and the slots it
// drives (the pre-step and each calculation), and what its closing keeps.
#include "dialogs/userdialogs.h"
#include "ops/segmentation/hysteresis.h"
#include "ops/core/progress.h"
#include "view/hysttdialog.h"
#include "view/pixmapwidget.h"

void PixmapWidget::opHystThres()
{
    const int answer =
        dialogs().question(this, tr("Question"), tr("The vessels have to be white in order to work well with the algorithm."),
                           {tr("Continue"), tr("Cancel")}, 0, 1);
    if (answer != 0) return;

    auto *dialog = new HystTDialog(QString::number(imageNumber));
    hystDialog = dialog;
    hystListCount = model.count();
    hystHasResult = false;
    connect(dialog, &HystTDialog::calcHystT, this, &PixmapWidget::f_dohystthres);
    connect(dialog, &HystTDialog::calcTopHat, this, &PixmapWidget::f_dotophat);
    connect(dialog, &HystTDialog::savePreview, this, &PixmapWidget::f_savehystpreview);
    connect(dialog, &HystTDialog::discardPreview, this, &PixmapWidget::f_discardhystpreview);
    connect(this, &PixmapWidget::closeDlg, dialog, &HystTDialog::closeDlgSlot);
    // However it closes, the binary report measures the current image again at once.
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (hystDialog == dialog) hystDialog = nullptr;
    });
    dialog->setModal(false);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::WindowStaysOnTopHint);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void PixmapWidget::f_dotophat(int dsize)
{
    // A slot of a non-modal dialog: nothing outside catches what the computation throws.
    try {
        const auto progress = makeProgress();
        model.referenceImage = hysteresisPreStep(model.current(), dsize, *progress);
    } catch (const std::exception &e) {
        dialogs().warning(this, tr("Hysteresis Thresholding"), QString::fromLocal8Bit(e.what()));
        // Refused: there is no reference image to threshold. The dialog stays at its first
        // step, so another disc size can be tried.
        if (auto *dialog = qobject_cast<HystTDialog *>(hystDialog.data())) dialog->preStepRefused();
        return;
    }
    model.previewImage = model.referenceImage;
    showPreviewImage();
    emit updateImgNav();
    repaint();
}

void PixmapWidget::f_dohystthres(double weakb, double hardb, bool)
{
    try {
        const auto progress = makeProgress();
        model.previewImage = hysteresisCalculate(model.referenceImage, weakb, hardb, *progress);
    } catch (const std::exception &e) {
        dialogs().warning(this, tr("Hysteresis Thresholding"), QString::fromLocal8Bit(e.what()));
        return;
    }
    hystHasResult = true;
    showPreviewImage();
    f_savehystpreview(0);
    repaint();
    emit updateImgNav();
}

void PixmapWidget::f_savehystpreview(int)
{
    // Without a calculated result the preview is no result either (it may still show the
    // reference image or nothing of this dialog): keep nothing, as when nothing was calculated.
    if (!hystHasResult) {
        f_discardhystpreview(false);
        return;
    }
    // The result replaces the working copy, the last image. Should the list have changed
    // under the open dialog (another operation appended, an image was deleted), the last
    // image may be something else: then the result is appended instead, and replaced by
    // the following calculations.
    if (model.count() == hystListCount) {
        model.previewToCurrent();
        return;
    }
    model.append(model.previewImage);
    model.currentIndex = model.count() - 1;
    hystListCount = model.count();
}

void PixmapWidget::f_discardhystpreview(bool confirm)
{
    // Only the working copy goes, and only while it is still the last and current image.
    if (model.count() == hystListCount && model.currentIndex == model.count() - 1) deleteImg(confirm);
}
