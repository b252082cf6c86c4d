// The selection tools: drawing, moving and cutting rectangles, ellipses and polygons.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegion>

#include "dialogs/userdialogs.h"
#include "ops/display.h"
#include "view/pixmapwidget.h"

namespace {

// 1 inside the ellipse inscribed in a w x h box, as the library draws it, else 0.
Image ellipseMask(int w, int h)
{
    Image mask(std::max(w, 0), std::max(h, 0), 1, 1, 0.0);
    if (mask.is_empty()) return mask;
    const double one = 1.0;
    mask.draw_ellipse(w / 2, h / 2, float(w / 2), float(h / 2), 0.0f, &one, 1.0f);
    return mask;
}

QRegion regionOf(const QPolygon &polygon) { return QRegion(polygon, Qt::OddEvenFill); }

}  // namespace

void PixmapWidget::recomputeSelectionArea()
{
    const QRect &r = selectionRect;
    if (state == 1) {
        selectionArea = r.width() * r.height();
    } else if (state == 4) {
        selectionArea = int(float(r.width()) * 3.1415f * float(r.height()) * 0.25f);
    } else if (state == 9) {
        const QRegion region = regionOf(polygon);
        const QRect b = polygon.boundingRect();
        int inside = 0;
        for (int y = b.top(); y <= b.bottom(); ++y)
            for (int x = b.left(); x <= b.right(); ++x) inside += region.contains(QPoint(x, y));
        selectionArea = inside;
    }
}

void PixmapWidget::countSelectedWhite()
{
    const Image &image = model.current();
    const auto white = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() && image(x, y) == kWhite;
    };
    int count = 0;
    if (state == 9 || state == 11) {
        if (polygonClosed) {
            const QRegion region = regionOf(polygon);
            const QRect b = polygon.boundingRect();
            for (int y = b.top(); y <= b.bottom(); ++y)
                for (int x = b.left(); x <= b.right(); ++x) count += region.contains(QPoint(x, y)) && white(x, y);
        }
        whiteCount = count;
        return;
    }
    if (selectionRect.left() < 0) selectionRect.translate(-selectionRect.left(), 0);
    if (selectionRect.top() < 0) selectionRect.translate(0, -selectionRect.top());
    const QRect r = selectionRect;
    const bool ellipse = state >= 4 && state <= 6;
    const Image mask = ellipse ? ellipseMask(r.width(), r.height()) : Image();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (white(x, y) && (!ellipse || mask(x - r.left(), y - r.top()) != 0.0)) ++count;
    whiteCount = count;
}

ImageList PixmapWidget::extractSelection(int x1, int y1, int x2, int y2, int shape)
{
    const int w = x2 - x1 + 1, h = y2 - y1 + 1;
    Image mask;
    if (shape == 4) mask = ellipseMask(w, h);
    if (shape == 9) {
        const QRegion region = regionOf(polygon);
        mask.assign(std::max(w, 0), std::max(h, 0), 1, 1, 0.0);
        cimg_forXY(mask, i, j) mask(i, j) = region.contains(QPoint(x1 + i, y1 + j)) ? 1.0 : 0.0;
    }
    ImageList pieces;
    for (const Image &image : model.imageList) {
        // Only the part inside the image is cut: nothing is ever read outside it.
        const int l = std::max(0, x1), t = std::max(0, y1);
        const int r = std::min(image.width() - 1, x2), b = std::min(image.height() - 1, y2);
        if (l > r || t > b) continue;
        Image piece(r - l + 1, b - t + 1, 1, 1, 0.0);
        cimg_forXY(piece, i, j)
        {
            const double v = image(l + i, t + j);
            piece(i, j) = mask.is_empty() ? v : v * mask(l - x1 + i, t - y1 + j);
        }
        pieces.push_back(piece);
    }
    return pieces;
}

void PixmapWidget::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = imagePosition(event->pos(), true);
    if ((state == 1 || state == 4) && selectionRect.contains(p)) {
        state = state == 1 ? 3 : 6;
        return;
    }
    if (state == 9 && polygonClosed && polygon.boundingRect().contains(p)) {
        state = 11;
        return;
    }
    if (state == 8) lastMousePos = imagePosition(event->pos(), false);
    if (state == 1 || state == 4) {
        // A new shape starts only once the mouse is dragged: a plain click keeps the
        // existing selection instead of spanning one from a stale corner to the click.
        pressPos = p;
        shapeDragged = false;
        state = state == 1 ? 2 : 5;
        return;
    }
    selectionRect.setTopLeft(p);
}

void PixmapWidget::moveSelection(const QPoint &p)
{
    const QPoint delta = p - lastMousePos;
    const int w = model.current().width(), h = model.current().height();
    if (state == 3 || state == 6) {
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
    const QPoint p = imagePosition(event->pos(), false);
    const auto strictlyInside = [&](const QRect &r) {
        return p.x() > r.left() && p.x() < r.right() && p.y() > r.top() && p.y() < r.bottom();
    };
    if (((state == 1 || state == 4) && strictlyInside(selectionRect)) ||
        (state == 9 && polygonClosed && strictlyInside(polygon.boundingRect())))
        setCursor(Qt::SizeAllCursor);
    else if (state == 8 && !(event->buttons() & Qt::LeftButton) && cursor().shape() == Qt::BlankCursor)
        setCursor(Qt::ArrowCursor);
    else if (state != 8)
        setCursor(state == 7 ? Qt::CrossCursor : Qt::ArrowCursor);

    const Image &image = model.current();
    if ((state == 2 || state == 5) && (shapeDragged || p != pressPos)) {
        if (!shapeDragged) selectionRect = QRect(pressPos, pressPos);
        shapeDragged = true;
        if (p.x() < image.width() && p.y() < image.height()) selectionRect.setBottomRight(p);
    }
    if (state == 3 || state == 6 || state == 11) moveSelection(p);
    update();
    if (state == 0) {
        // The probe reports what is displayed at the mouse, overlays and frame included.
        const QImage shown = grab().toImage();
        if (shown.valid(event->pos()))
            emit setStatusBarMsg(tr("Color %1 at (%2,%3)").arg(grayOf(shown.pixel(event->pos()))).arg(p.x()).arg(p.y()));
    }
    if (state == 7 && event->buttons() == Qt::RightButton) drawStroke(lastMousePos, p);
    if (state == 8 && event->buttons() == Qt::LeftButton) drawStroke(lastMousePos, p);
    lastMousePos = p;
}

void PixmapWidget::finishDrawnSelection()
{
    selectionRect = selectionRect.normalized();
    const int answer = dialogs().question(this, tr("Selection"), tr("Copy selection?"), {tr("Yes"), tr("No")}, 0, 1);
    if (answer == 0) {
        const Image &image = model.current();
        if (selectionRect.right() > image.width()) selectionRect.setRight(image.width() - 4);
        if (selectionRect.bottom() > image.height()) selectionRect.setBottom(image.height() - 4);
        // The working copy made for the tool goes; the image before it is current again.
        model.deleteCurrent();
        emit updateImgNav();
        const QRect r = selectionRect;
        const ImageList pieces = extractSelection(r.left(), r.top(), r.right(), r.bottom(), state == 2 ? 1 : 4);
        if (pieces.size() > 0) emit doCreateNewWindow(pieces);
    } else {
        emit updateImgNav();
    }
    state = state == 2 ? 1 : 4;
    recomputeSelectionArea();
    countSelectedWhite();
}

void PixmapWidget::mouseReleaseEvent(QMouseEvent *event)
{
    switch (state) {
    case 2:
    case 5:
        if (shapeDragged)
            finishDrawnSelection();
        else
            state = state == 2 ? 1 : 4;  // a click without a drag selects nothing
        break;
    case 3:
        state = 1;
        break;
    case 6:
        state = 4;
        break;
    case 11:
        state = 9;
        break;
    case 9:
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
    case 7:
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
    const QRect r = selectionRect;
    if (space && (state == 1 || state == 4)) {
        const ImageList pieces = extractSelection(r.left(), r.top(), r.right(), r.bottom(), state);
        if (pieces.size() > 0) emit doCreateNewWindow(pieces);
    } else if (space && state == 9 && polygonClosed) {
        const QRect b = polygon.boundingRect();
        const ImageList pieces = extractSelection(b.left(), b.top(), b.right(), b.bottom(), 9);
        if (pieces.size() > 0) emit doCreateNewWindow(pieces);
    } else if (state == 7 && space) {
        copyAreaSelection();
    } else if (state == 7 && event->key() == Qt::Key_Delete) {
        blackOutAreaSelection();
    } else if (state == 8 && space) {
        endErase();
    }
}
