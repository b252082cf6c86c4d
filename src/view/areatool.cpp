// The area tool: picking regions by clicking, copying them into other windows, blacking
// them out, and pasting white pixels from another window. The green marks of the picked
// regions and the separating strokes are an overlay over the pixmap: the fills see them,
// but the pixmap, which is what is saved and printed, keeps showing the image.
#include <QPainter>

#include "dialogs/userdialogs.h"
#include "ops/display.h"
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

void PixmapWidget::copyAreaSelection()
{
    if (areaPoints.isEmpty()) return;  // nothing picked: nothing to copy, nothing to ask
    const Image &current = model.current();
    Image picked(current.width(), current.height(), 1, 1, 0.0);
    for (const PointRecord &p : areaPoints)
        if (p.x >= 0 && p.y >= 0 && p.x < picked.width() && p.y < picked.height()) picked(p.x, p.y) = kWhite;
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
    if (index == 0) {
        ImageList list;
        list.push_back(picked);
        emit doCreateNewWindow(list);
    } else if (index > 0) {
        emit addToImg(targets[index], picked);
    }
    finishAreaAction();
}

void PixmapWidget::blackOutAreaSelection()
{
    Image copy = model.current();
    for (const PointRecord &p : areaPoints)
        if (p.x >= 0 && p.y >= 0 && p.x < copy.width() && p.y < copy.height()) copy(p.x, p.y) = 0.0;
    const int answer = dialogs().question(this, tr("New window?"), tr("Open a new window?"),
                                          {tr("Yes"), tr("No"), tr("Cancel")}, 2, 2);
    if (answer == 0) {
        ImageList list;
        list.push_back(copy);
        emit doCreateNewWindow(list);
    } else if (answer == 1) {
        model.previewImage = copy;
        model.replaceCurrent(std::move(copy));
    }
    finishAreaAction();
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
