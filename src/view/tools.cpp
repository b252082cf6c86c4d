// Tool entry points of the view: selection modes, the context menu, the erase mode, and
// the one place where the tools' requests change the image list or reach other windows.
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "dialogs/userdialogs.h"
#include "ops/selection/selection.h"
#include "view/pixmapwidget.h"

using namespace tool;

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
    if (state == Area || state == Polygon || state == Scribble) return;  // the right button belongs to these tools
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

void PixmapWidget::setSelectionMode(tool::State mode)
{
    leaveScribbles();  // another tool ends the scribble tool, its strokes and result
    currentToPreview();
    clearAreaOverlay();  // leaving or entering the area tool ends its selection
    switch (mode) {
    case Normal:
        state = Normal;
        refreshView();
        setCursor(Qt::ArrowCursor);
        break;
    case Rectangle:
    case Ellipse:
    case Polygon:
        state = mode;
        setCursor(Qt::CrossCursor);
        break;
    case Area:
        setZoomFactor(1.0f);
        state = Area;
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
    state = Erase;
    eraseMask = QImage(pixmap->size(), QImage::Format_Grayscale8);
    eraseMask.fill(0);
    setCursor(Qt::BlankCursor);
}

void PixmapWidget::drawStroke(const QPoint &from, const QPoint &to)
{
    const QPen pen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (state == Area) {
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
    if (state == Erase && !eraseMask.isNull()) {
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
    const Image &image = model.current();
    Image strokes(image.width(), image.height(), 1, 1, 0.0);
    bool drawn = false;
    for (int y = 0; y < std::min(eraseMask.height(), image.height()); ++y) {
        const uchar *row = eraseMask.constScanLine(y);
        for (int x = 0; x < std::min(eraseMask.width(), image.width()); ++x)
            if (row[x]) {
                strokes(x, y) = kWhite;
                drawn = true;
            }
    }
    if (drawn) applyRequest(BlackOut{std::move(strokes), false, false});
    eraseMask = QImage();
    state = Normal;
    setCursor(Qt::ArrowCursor);
    refreshView();
    update();
    if (drawn) emit updateImgNav();
    emit sendState(state);
}

void PixmapWidget::applyRequest(const Request &request)
{
    if (const auto *cut = std::get_if<Cut>(&request)) {
        if (cut->dropWorkingCopy) {
            // The working copy made for the tool goes; the image before it is current again.
            model.deleteCurrent();
            emit updateImgNav();
        }
        const ImageList pieces = cutSelection(model.toList(), cut->selection);
        if (pieces.size() > 0) emit doCreateNewWindow(pieces);
    } else if (const auto *open = std::get_if<OpenWindow>(&request)) {
        emit doCreateNewWindow(open->images);
    } else if (const auto *send = std::get_if<SendToWindow>(&request)) {
        emit addToImg(send->window, send->image);
    } else if (const auto *blackOut = std::get_if<BlackOut>(&request)) {
        Image result = blackedOut(model.current(), blackOut->mask);
        if (blackOut->newWindow) {
            emit doCreateNewWindow(ImageList(result));
            return;
        }
        if (blackOut->keepAsPreview) model.previewImage = result;
        model.replaceCurrent(std::move(result));
    } else if (const auto *paste = std::get_if<PasteWhite>(&request)) {
        if (!::pasteWhite(model.current(), paste->image)) {
            const QString text = tr("Cannot copy to image %1, because of different heights and widths.");
            dialogs().information(this, tr("Information"), text.arg(imageNumber));
            return;
        }
        refreshView();
        update();
    }
}
