// The selection tools: drawing, moving and cutting rectangles, ellipses and polygons. The
// pixel maths live in ops/selection; cuts reach the image list as requests (applyRequest).
#include <QKeyEvent>
#include <QMouseEvent>

#include "dialogs/userdialogs.h"
#include "ops/io/display.h"
#include "view/pixmapwidget.h"

using namespace tool;

Selection PixmapWidget::currentSelection() const
{
    if (isPolygon(state)) return {SelectionShape::Polygon, polygon.boundingRect(), polygon};
    return {shapeOf(state), selectionRect, {}};
}

void PixmapWidget::recomputeSelectionArea()
{
    if (state == Rectangle || state == Ellipse || state == Polygon) selectionArea = ::selectionArea(currentSelection());
}

void PixmapWidget::countSelectedWhite()
{
    if (!isPolygon(state)) {
        // A corner left of or above the image moves the box inside, keeping its size.
        if (selectionRect.left() < 0) selectionRect.translate(-selectionRect.left(), 0);
        if (selectionRect.top() < 0) selectionRect.translate(0, -selectionRect.top());
    }
    const bool open = isPolygon(state) && !polygonClosed;  // an open polygon selects nothing yet
    whiteCount = open ? 0 : countWhite(*model.currentImage(), currentSelection());
    shapePixels = open ? 0 : countInside(*model.currentImage(), currentSelection());
}

ImageList PixmapWidget::extractSelection(int x1, int y1, int x2, int y2, int shape)
{
    const QRect box(QPoint(x1, y1), QPoint(x2, y2));
    if (shape == Polygon) return cutSelection(model.toList(), {SelectionShape::Polygon, box, polygon});
    const SelectionShape cut = shape == Ellipse ? SelectionShape::Ellipse : SelectionShape::Rectangle;
    return cutSelection(model.toList(), {cut, box, {}});
}

void PixmapWidget::mousePressEvent(QMouseEvent *event)
{
    if (state == Scribble) return scribbleMouse(event);
    const QPoint p = imagePosition(event->pos(), true);
    if (isBoxWaiting(state) && selectionRect.contains(p)) {
        state = moving(state);
        return;
    }
    if (state == Polygon && polygonClosed && polygon.boundingRect().contains(p)) {
        state = PolygonMoving;
        return;
    }
    if (state == Erase) lastMousePos = imagePosition(event->pos(), false);
    if (isBoxWaiting(state)) {
        // A new shape starts only once the mouse is dragged: a plain click keeps the
        // existing selection instead of spanning one from a stale corner to the click.
        pressPos = p;
        shapeDragged = false;
        state = drawing(state);
        return;
    }
    selectionRect.setTopLeft(p);
}

void PixmapWidget::moveSelection(const QPoint &p)
{
    const QPoint delta = p - lastMousePos;
    const int w = model.current().width(), h = model.current().height();
    if (state == RectangleMoving || state == EllipseMoving) {
        QRect &r = selectionRect;
        r.translate(delta);
        if (r.left() < 0) r.translate(-r.left(), 0);
        if (r.top() < 0) r.translate(0, -r.top());
        if (r.right() > pixmap->width()) r.translate(w - 2 - r.right(), 0);
        if (r.bottom() > pixmap->height()) r.translate(0, h - 2 - r.bottom());
    } else {
        polygon.translate(delta);
        const QRect b = polygon.boundingRect();
        if (b.left() < 0) polygon.translate(-b.left(), 0);
        if (b.top() < 0) polygon.translate(0, -b.top());
        const QRect c = polygon.boundingRect();
        if (c.right() > pixmap->width()) polygon.translate(w - c.right(), 0);
        if (c.bottom() > pixmap->height()) polygon.translate(0, h - c.bottom());
    }
    countSelectedWhite();
}

void PixmapWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (state == Scribble) return scribbleMouse(event);
    const QPoint p = imagePosition(event->pos(), false);
    const auto strictlyInside = [&](const QRect &r) {
        return p.x() > r.left() && p.x() < r.right() && p.y() > r.top() && p.y() < r.bottom();
    };
    if ((isBoxWaiting(state) && strictlyInside(selectionRect)) ||
        (state == Polygon && polygonClosed && strictlyInside(polygon.boundingRect())))
        setCursor(Qt::SizeAllCursor);
    else if (state == Erase && !(event->buttons() & Qt::LeftButton) && cursor().shape() == Qt::BlankCursor)
        setCursor(Qt::ArrowCursor);
    else if (state != Erase)
        setCursor(state == Area ? Qt::CrossCursor : Qt::ArrowCursor);

    const Image &image = model.current();
    if (isDrawing(state) && (shapeDragged || p != pressPos)) {
        if (!shapeDragged) selectionRect = QRect(pressPos, pressPos);
        shapeDragged = true;
        if (p.x() < image.width() && p.y() < image.height()) selectionRect.setBottomRight(p);
    }
    if (isMoving(state)) moveSelection(p);
    update();
    if (state == Normal) {
        // The probe reports what is displayed at the mouse, overlays and frame included.
        const QImage shown = grab().toImage();
        if (shown.valid(event->pos()))
            emit setStatusBarMsg(tr("Color %1 at (%2,%3)").arg(grayOf(shown.pixel(event->pos()))).arg(p.x()).arg(p.y()));
    }
    if (state == Area && event->buttons() == Qt::RightButton) drawStroke(lastMousePos, p);
    if (state == Erase && event->buttons() == Qt::LeftButton) drawStroke(lastMousePos, p);
    lastMousePos = p;
}

Request PixmapWidget::finishDrawnSelection()
{
    selectionRect = selectionRect.normalized();
    const int answer = dialogs().question(this, tr("Selection"), tr("Copy selection?"), {tr("Yes"), tr("No")}, 0, 1);
    Request request;
    if (answer == 0) {
        const Image &image = model.current();
        if (selectionRect.right() > image.width()) selectionRect.setRight(image.width() - 4);
        if (selectionRect.bottom() > image.height()) selectionRect.setBottom(image.height() - 4);
        request = Cut{{shapeOf(state), selectionRect, {}}, true};
    } else {
        emit updateImgNav();
    }
    return request;
}

void PixmapWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (state == Scribble) return scribbleMouse(event);
    switch (state) {
    case RectangleDrawing:
    case EllipseDrawing:
        if (!shapeDragged) {  // a click without a drag selects nothing
            state = waiting(state);
            break;
        }
        applyRequest(finishDrawnSelection());
        state = waiting(state);
        recomputeSelectionArea();
        countSelectedWhite();
        break;
    case RectangleMoving:
    case EllipseMoving:
    case PolygonMoving:
        state = waiting(state);
        break;
    case Polygon:
        if (polygonClosed) {
            polygon.clear();
            polygonClosed = false;
        }
        polygon << imagePosition(event->pos(), true);
        if (event->button() == Qt::RightButton) {
            polygonClosed = true;
            recomputeSelectionArea();
            countSelectedWhite();
        }
        break;
    case Area:
        if (event->button() == Qt::LeftButton) areaClick(event->pos());
        break;
    default:
        break;
    }
    emit sendState(state);
    update();
}

void PixmapWidget::keyReleaseEvent(QKeyEvent *event)
{
    const bool space = event->key() == Qt::Key_Space;
    if (state == Scribble && event->key() == Qt::Key_Escape) return leaveScribbles();
    if (state == Scribble && event->matches(QKeySequence::Undo)) return undoScribble();
    if (space && (isBoxWaiting(state) || (state == Polygon && polygonClosed))) {
        applyRequest(Cut{currentSelection(), false});
    } else if (state == Area && space) {
        if (areaPoints.isEmpty()) return;  // nothing picked: nothing to copy, nothing to ask
        applyRequest(copyAreaSelection());
        finishAreaAction();
    } else if (state == Area && event->key() == Qt::Key_Delete) {
        applyRequest(blackOutAreaSelection());
        finishAreaAction();
    } else if (state == Erase && space) {
        endErase();
    }
}
