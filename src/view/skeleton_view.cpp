// Skeletonizing in the view: every thinning cycle is shown as it comes.
#include <QCoreApplication>

#include "ops/thinning.h"
#include "view/pixmapwidget.h"

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
