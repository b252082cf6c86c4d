// The area tool: picking regions by clicking, and the requests to copy them into other
// windows, to black them out, and to paste white pixels from another window. The green
// marks of the picked regions and the separating strokes are an overlay over the pixmap:
// the fills see them, but the pixmap, which is what is saved and printed, keeps showing
// the image.
#include <QPainter>

#include "dialogs/userdialogs.h"
#include "ops/io/display.h"
#include "ops/selection/selection.h"
#include "view/pixmapwidget.h"

void PixmapWidget::startAreaOverlay()
{
    areaStrokes = QImage(pixmap->size(), QImage::Format_ARGB32_Premultiplied);
    areaStrokes.fill(Qt::transparent);
    areaOverlay = areaStrokes;
}

void PixmapWidget::clearAreaOverlay()
{
    areaStrokes = QImage();
    areaOverlay = QImage();
}

void PixmapWidget::areaClick(const QPoint &viewPos)
{
    // The fill works on what the user sees: earlier strokes read as 0, earlier picks as 115.
    QImage picture = pixmap->toImage().convertToFormat(QImage::Format_RGB32);
    if (!areaOverlay.isNull()) QPainter(&picture).drawImage(0, 0, areaOverlay);
    grayInto(picture, model.previewImage);
    const QPoint p(viewPos.x() - xCenterOffset, viewPos.y() - yCenterOffset);
    Image work = model.previewImage;
    const QList<PointRecord> region = areaFill(work, p.x(), p.y(), 8);
    if (region.isEmpty()) return;
    const PointRecord &header = region.first();
    int found = -1;
    for (int i = 0; i < areaPoints.size() && found < 0; ++i)
        if (areaPoints[i].x == header.x && areaPoints[i].y == header.y) found = i;
    if (found >= 0)
        areaPoints.remove(found, std::min<qsizetype>(areaPoints[found].count, areaPoints.size() - found));
    else
        areaPoints.append(region);
    paintAreaMarks();
    update();
}

void PixmapWidget::paintAreaMarks()
{
    // The marks go over the strokes, so a picked region stays whole for its second click.
    if (areaStrokes.isNull()) startAreaOverlay();
    areaOverlay = areaStrokes.copy();
    for (const PointRecord &p : areaPoints)
        if (areaOverlay.valid(p.x, p.y)) areaOverlay.setPixel(p.x, p.y, qRgb(0, 230, 0));
}

tool::Request PixmapWidget::copyAreaSelection()
{
    const Image &current = model.current();
    Image picked = pickedPixels(current.width(), current.height(), areaPoints);
    QStringList choices = {tr("New window")};
    QList<int> targets = {0};
    for (int n : windowList)
        if (n != imageNumber) {
            choices << tr("Image %1").arg(n);
            targets << n;
        }
    bool ok = false;
    const QString choice = dialogs().getItem(this, tr("Choose window"), tr("Please choose the target window."), choices, 0, &ok);
    // The target is found by its place in the list, so translated entries work as well.
    const int index = ok ? int(choices.indexOf(choice)) : -1;
    if (index == 0) return tool::OpenWindow{ImageList(picked)};
    if (index > 0) return tool::SendToWindow{targets[index], std::move(picked)};
    return {};
}

tool::Request PixmapWidget::blackOutAreaSelection()
{
    const int answer = dialogs().question(this, tr("New window?"), tr("Open a new window?"),
                                          {tr("Yes"), tr("No"), tr("Cancel")}, 2, 2);
    if (answer != 0 && answer != 1) return {};
    const Image &current = model.current();
    // Answered No, the blacked-out image replaces the current one and is the tool's working image.
    return tool::BlackOut{pickedPixels(current.width(), current.height(), areaPoints), answer == 0, true};
}

void PixmapWidget::finishAreaAction()
{
    // The selection has ended: its marks and strokes go, the image shows as it is.
    areaPoints.clear();
    startAreaOverlay();
    refreshView();
    update();
    emit updateImgNav();
}

void PixmapWidget::pasteWhite(const Image &img) { applyRequest(tool::PasteWhite{img}); }
