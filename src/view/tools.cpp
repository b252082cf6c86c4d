// Tool entry points of the view: selection modes, the context menu, the colour probe,
// cutting selections and pasting white pixels from another window.
#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "dialogs/userdialogs.h"
#include "ops/display.h"
#include "view/pixmapwidget.h"

void PixmapWidget::buildContextMenu()
{
    contextMenu = new QMenu(this);
    prevAction = contextMenu->addAction(tr("Previous image"), this, &PixmapWidget::decIndex);
    nextAction = contextMenu->addAction(tr("Next image"), this, &PixmapWidget::incIndex);
    contextMenu->addSeparator();
    deleteAction = contextMenu->addAction(tr("Delete image"), this, qOverload<>(&PixmapWidget::deleteImg));
    for (QAction *a : {prevAction, nextAction, deleteAction}) a->setEnabled(false);
}

void PixmapWidget::contextMenuEvent(QContextMenuEvent *event)
{
    if (state == 7 || state == 9) return;
    prevAction->setEnabled(model.currentIndex > 0);
    nextAction->setEnabled(model.currentIndex < model.count() - 1);
    deleteAction->setEnabled(model.count() > 1);
    contextMenu->popup(event->globalPos());
}

QPoint PixmapWidget::imagePosition(const QPoint &viewPos, bool clampToOne) const
{
    const float z = zoomFactor;
    const int vx = clampToOne ? std::max(viewPos.x(), 1) : viewPos.x();
    const int vy = clampToOne ? std::max(viewPos.y(), 1) : viewPos.y();
    return QPoint(int((vx - xCenterOffset) / z), int((vy - yCenterOffset) / z));
}

void PixmapWidget::setSelectionMode(int mode)
{
    currentToPreview();
    switch (mode) {
    case 0:
        state = 0;
        refreshView();
        setCursor(Qt::ArrowCursor);
        break;
    case 1:
    case 4:
    case 9:
        state = mode;
        setCursor(Qt::CrossCursor);
        break;
    case 7:
        setZoomFactor(1.0f);
        state = 7;
        areaPoints.clear();
        setCursor(Qt::CrossCursor);
        emit setStatusBarMsg(tr("Select by clicking into the image. You can either press SPACE for copying or "
                                "DELETE for deleting. Use the RIGHT mouse button for erasing."));
        break;
    default:
        break;
    }
    update();
}

void PixmapWidget::startErase()
{
    dialogs().information(this, tr("Erase"),
                          tr("<p>Erase by pressing the left mouse button</p><p>Pressing <b>SPACE</b> will finish "
                             "erasing.</p>"));
    setZoomFactor(1.0f);
    state = 8;
    setCursor(Qt::BlankCursor);
}

void PixmapWidget::mousePressEvent(QMouseEvent *event) { lastMousePos = imagePosition(event->pos(), true); }

void PixmapWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = imagePosition(event->pos(), false);
    if (state == 0) {
        // The probe reports what is displayed at the mouse, overlays and frame included.
        const QImage shown = grab().toImage();
        const QPoint at = event->pos();
        if (shown.valid(at))
            emit setStatusBarMsg(tr("Color %1 at (%2,%3)").arg(grayOf(shown.pixel(at))).arg(p.x()).arg(p.y()));
    } else if (state == 8) {
        setCursor(Qt::ArrowCursor);
    }
    lastMousePos = p;
}

void PixmapWidget::mouseReleaseEvent(QMouseEvent *)
{
    emit sendState(state);
    update();
}

void PixmapWidget::keyReleaseEvent(QKeyEvent *event) { (void)event; }

ImageList PixmapWidget::extractSelection(int x1, int y1, int x2, int y2, int shape)
{
    (void)shape;
    ImageList pieces;
    for (const Image &image : model.imageList) {
        // Only the part inside the image is cut: nothing is ever read outside it.
        const int l = std::max(0, x1), t = std::max(0, y1);
        const int r = std::min(image.width() - 1, x2), b = std::min(image.height() - 1, y2);
        if (l > r || t > b) continue;
        pieces.push_back(image.get_crop(l, t, r, b));
    }
    return pieces;
}

void PixmapWidget::pasteWhite(const Image &img)
{
    Image &target = model.current();
    if (img.width() != target.width() || img.height() != target.height()) {
        dialogs().information(this, tr("Information"),
                              tr("Cannot copy to image %1, because of different heights and widths.").arg(imageNumber));
        return;
    }
    const size_t n = target.size();
    for (size_t i = 0; i < n; ++i)
        if (img[i] == kWhite) target[i] = kWhite;
    refreshView();
    update();
}
