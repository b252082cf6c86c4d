// Morphology operations of the view: the structuring element dialog, then the table's row
// on the model with one progress dialog per erosion or dilation pass. Thinning and
// skeletonizing, the morphological reductions to lines, are here too.
#include <QCoreApplication>
#include <QDialog>

#include "dialogs/userdialogs.h"
#include "ops/thinning.h"
#include "view/pixmapwidget.h"
#include "view/structeldlg.h"

namespace {

// Asks for the disc; false when the dialog was not accepted.
bool askDisc(Params &params)
{
    StructElDlg dialog;
    if (dialogs().exec(&dialog) != QDialog::Accepted) return false;
    // The form offers the disc only; its size is the one parameter.
    params.set("size", QString::number(dialog.size()));
    return true;
}

}  // namespace

void PixmapWidget::opErode()
{
    Params params;
    cancelled = !askDisc(params);
    if (cancelled) return;
    runCore(0, params);
    finishOperation(tr("The image was eroded"));
}

void PixmapWidget::opDilate()
{
    Params params;
    cancelled = !askDisc(params);
    if (cancelled) return;
    runCore(1, params);
    finishOperation(tr("The image was dilated"));
}

void PixmapWidget::opOpen()
{
    Params params;
    cancelled = !askDisc(params);
    if (cancelled) return;
    runCore(2, params);
    finishOperation(tr("The image was opened"));
}

void PixmapWidget::opClose()
{
    Params params;
    cancelled = !askDisc(params);
    if (cancelled) return;
    runCore(3, params);
    finishOperation(tr("The image was closed"));
}

void PixmapWidget::opTopHat()
{
    Params params;
    cancelled = !askDisc(params);
    if (cancelled) return;
    runCore(5, params);
    finishOperation(tr("The image was top-hat transformed"));
}

void PixmapWidget::opMGradient()
{
    Params params;
    cancelled = !askDisc(params);
    if (cancelled) return;
    runCore(6, params);
    finishOperation(tr("The morphological gradient was calculated"));
}

void PixmapWidget::opSkeletonize()
{
    const Image result = skeletonizeImage(model.current(), [this](const Image &cycle) {
        model.previewImage = cycle;
        showPreviewImage();
        repaint();
        // Paint, but take no user input: a command now would run inside this loop.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    model.replaceCurrent(result);
    finishOperation(tr("The image was thinned"));
}

void PixmapWidget::opZhangSuen()
{
    model.replaceCurrent(zhangSuenThin(model.current()));
    refreshView();
    repaint();
}
