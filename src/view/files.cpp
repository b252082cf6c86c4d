// Saving and printing: the displayed 8-bit rendering (gray when it holds no colour), or the
// values themselves as 16-bit gray or .cimg doubles.
#include <QPainter>
#include <QPrinter>

#include "ops/io/deepsave.h"
#include "ops/io/imageio.h"
#include "view/pixmapwidget.h"

QString withSuffix(const QString &fileName, const char *format)
{
    // A name that already ends with the chosen suffix keeps it once.
    const QString suffix = QLatin1Char('.') + QLatin1String(format);
    return fileName.endsWith(suffix, Qt::CaseInsensitive) ? fileName : fileName + suffix;
}

QImage PixmapWidget::renderingToSave() const
{
    // Marks drawn into the pixmap (the area tool's green) keep it in colour; otherwise a
    // gray rendering is written as 8-bit gray, a third of the size and read back as gray.
    QImage picture = pixmap->toImage();
    return picture.allGray() ? picture.convertToFormat(QImage::Format_Grayscale8) : picture;
}

bool PixmapWidget::holdsDeepValues() const { return holdsMoreThan256Levels(*model.currentImage()); }

bool PixmapWidget::saveImage(const QString &fileName, const char *format, QString *error, SaveDepth depth)
{
    const QString path = withSuffix(fileName, format);
    switch (depth) {
    case SaveDepth::Rendering: return savePicture(renderingToSave(), path, format, error);
    case SaveDepth::Gray16: return savePicture(toGray16(*model.currentImage()), path, format, error);
    case SaveDepth::Doubles: return saveCimgImage(*model.currentImage(), path, error);
    }
    return false;
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
    // Lossless: a PDF would otherwise hold the image as JPEG, which blurs a binary result.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(0, 0, renderingToSave());
    painter.end();
}
