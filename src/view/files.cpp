// Saving and printing the displayed 8-bit rendering.
#include <QPainter>
#include <QPrinter>

#include "ops/imageio.h"
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
    QPainter painter(printer);
    const QRect r = painter.viewport();
    QSize size = this->size();
    size.scale(r.size(), Qt::KeepAspectRatio);
    painter.setViewport(r.x(), r.y(), size.width() - 60, size.height() - 60);
    painter.setWindow(pixmap->rect());
    painter.drawPixmap(20, 20, *pixmap);
    painter.end();
}
