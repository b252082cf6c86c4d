// Tool entry points of the view: selection modes, the context menu and the erase mode.
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "dialogs/userdialogs.h"
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
    if (state == 7 || state == 9) return;  // the right button belongs to these tools
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
    clearAreaOverlay();  // leaving or entering the area tool ends its selection
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
        startAreaOverlay();
        setCursor(Qt::CrossCursor);
        emit setStatusBarMsg(tr("Select by clicking into the image. You can either press SPACE for copying or "
                                "DELETE for deleting. Use the RIGHT mouse button for erasing."));
        break;
    default:
        break;
    }
    recomputeSelectionArea();
    countSelectedWhite();
    update();
}

void PixmapWidget::startErase()
{
    dialogs().information(this, tr("Erase"),
                          tr("<p>Erase by pressing the left mouse button</p><p>Pressing <b>SPACE</b> will finish "
                             "erasing.</p>"));
    setZoomFactor(1.0f);
    state = 8;
    eraseMask = QImage(pixmap->size(), QImage::Format_Grayscale8);
    eraseMask.fill(0);
    setCursor(Qt::BlankCursor);
}

void PixmapWidget::drawStroke(const QPoint &from, const QPoint &to)
{
    const QPen pen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (state == 7) {
        // Strokes of the area tool separate regions for its fills; they are no image data.
        if (areaStrokes.isNull()) startAreaOverlay();
        for (QImage *layer : {&areaStrokes, &areaOverlay}) {
            QPainter painter(layer);
            painter.setPen(pen);
            painter.drawLine(from, to);
        }
        update();
        return;
    }
    {
        QPainter painter(pixmap.get());
        painter.setPen(pen);
        painter.drawLine(from, to);
    }
    if (state == 8 && !eraseMask.isNull()) {
        QPainter painter(&eraseMask);
        painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(from, to);
    }
    update();
}

void PixmapWidget::endErase()
{
    // The strokes black out the current image, which the dispatcher made a working copy
    // of when the mode began, so the original stays in the list.
    bool drawn = false;
    Image &image = model.current();
    for (int y = 0; y < std::min(eraseMask.height(), image.height()); ++y) {
        const uchar *row = eraseMask.constScanLine(y);
        for (int x = 0; x < std::min(eraseMask.width(), image.width()); ++x)
            if (row[x]) {
                image(x, y) = 0.0;
                drawn = true;
            }
    }
    eraseMask = QImage();
    state = 0;
    setCursor(Qt::ArrowCursor);
    refreshView();
    update();
    if (drawn) emit updateImgNav();
    emit sendState(state);
}
