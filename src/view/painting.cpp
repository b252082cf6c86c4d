// Painting, zoom and scrolling of the view.
#include <QPainter>
#include <QWheelEvent>

#include "dialogs/userdialogs.h"
#include "ops/selection/selection.h"
#include "view/numbertext.h"
#include "view/pixmapwidget.h"
#include "view/scribbletool.h"

using namespace tool;

void PixmapWidget::setZoomFactor(float f)
{
    if (f == zoomFactor) return;
    zoomFactor = f;
    emit zoomFactorChanged(f);
    setMinimumSize(int(pixmap->width() * f), int(pixmap->height() * f));
    if (parentWidget()) resize(parentWidget()->size());
    repaint();
}

void PixmapWidget::wheelEvent(QWheelEvent *event)
{
    event->accept();
    requestZoom(float(double(zoomFactor) + event->angleDelta().y() * 0.001));
}

void PixmapWidget::requestZoom(float f)
{
    if (isBoxWaiting(state) || state == Area || state == Erase) {
        dialogs().information(this, tr("Information"),
                              tr("You cannot zoom in this mode.<br>Press <b>SPACE</b> to return to normal mode."));
        return;
    }
    if (pixmap->width() > 0 && 32.0 / pixmap->width() > f) f = float(32.0 / pixmap->width());
    setZoomFactor(f);
}

void PixmapWidget::setXOffset(int v)
{
    xOffset = v;
    emit setStatusBarMsg(tr("x scrolloffset: %1").arg(v));
}

void PixmapWidget::setYOffset(int v)
{
    yOffset = v;
    emit setStatusBarMsg(tr("y scrolloffset: %1").arg(v));
}

void PixmapWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const float z = zoomFactor;
    const float pw = pixmap->width(), ph = pixmap->height();
    const bool centredX = pw * z < width();
    const bool centredY = ph * z < height();
    xCenterOffset = centredX ? int((width() - pw * z) * 0.5f) : 0;
    yCenterOffset = centredY ? int((height() - ph * z) * 0.5f) : 0;

    painter.save();
    painter.translate(xCenterOffset, yCenterOffset);
    painter.scale(z, z);
    painter.drawPixmap(0, 0, *pixmap);
    if (state == Area && !areaOverlay.isNull()) painter.drawImage(0, 0, areaOverlay);
    if (state == Scribble && scribbles) {
        // Slightly translucent, so the vessel under a stroke stays visible.
        painter.setOpacity(0.75);
        painter.drawImage(0, 0, scribbles->strokes());
    }
    painter.restore();

    painter.setPen(QPen(Qt::red, 1));
    const auto vx = [&](float x) { return int(x * z + xCenterOffset); };
    const auto vy = [&](float y) { return int(y * z + yCenterOffset); };
    const QString coverage = tr("white coverage: %1 %").arg(numberText(whiteCoverage(whiteCount, shapePixels)));
    if (isRectangle(state) || isEllipse(state)) {
        const int x1 = selectionRect.left(), y1 = selectionRect.top();
        const int x2 = selectionRect.right(), y2 = selectionRect.bottom();
        const QRect box(vx(x1), vy(y1), int((x2 - x1) * z), int((y2 - y1) * z));
        if (isRectangle(state))
            painter.drawRect(box);
        else
            painter.drawEllipse(box);
        painter.drawText(vx(x1) + 3, vy(y1) + 12, tr("w: %1px, h: %2px").arg(x2 - x1 + 1).arg(y2 - y1 + 1));
        if ((x2 - x1 + 1) * (y2 - y1 + 1) != 0 && selectionArea != 0)
            painter.drawText(vx(x1) + 3, vy(y2) - 12, coverage);
    } else if (isPolygon(state)) {
        for (int i = 0; i < polygon.size(); ++i) {
            const QPoint p = polygon[i];
            painter.drawText(vx(p.x()), vy(p.y()), ".");
            if (i > 0) painter.drawLine(vx(polygon[i - 1].x()), vy(polygon[i - 1].y()), vx(p.x()), vy(p.y()));
        }
        if (polygonClosed && !polygon.isEmpty())
            painter.drawLine(vx(polygon.last().x()), vy(polygon.last().y()), vx(polygon.first().x()),
                             vy(polygon.first().y()));
        if (!polygon.isEmpty()) {
            const QRect b = polygon.boundingRect();
            painter.drawText(vx(b.left()) + 3, vy(b.top()) + 12, tr("w: %1px, h: %2px").arg(b.width()).arg(b.height()));
            if (polygonClosed && selectionArea != 0)
                painter.drawText(vx(b.left()) + 3, vy(b.bottom()) - 12, coverage);
        }
    }
    if (centredX || centredY) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(xCenterOffset - 1, yCenterOffset - 1, int(pw * z + 1.0f), int(ph * z + 1.0f));
    }
}
