// Saving and printing the displayed 8-bit rendering.
#include <QPainter>
#include <QPrinter>

#include "ops/io/imageio.h"
#include "view/pixmapwidget.h"

QString withSuffix(const QString &fileName, const char *format)
{
    // A name that already ends with the chosen suffix keeps it once.
    const QString suffix = QLatin1Char('.') + QLatin1String(format);
    return fileName.endsWith(suffix, Qt::CaseInsensitive) ? fileName : fileName + suffix;
}

bool PixmapWidget::saveImage(const QString &fileName, const char *format, QString *error)
{
    return savePicture(pixmap->toImage(), withSuffix(fileName, format), format, error);
}

void PixmapWidget::printImage(QPrinter *printer)
{
    if (pixmap->isNull()) return;
    QPainter painter(printer);
    // The pixmap is scaled by one factor for both axes to fit the page inside a margin of
    // 20 device units, so the printed image keeps its proportions whatever the view's shape.
    const QRect page = painter.viewport().adjusted(20, 20, -20, -20);
    QSize size = pixmap->size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(QRect(page.topLeft(), size));
    painter.setWindow(pixmap->rect());
    painter.drawPixmap(0, 0, *pixmap);
    painter.end();
}
