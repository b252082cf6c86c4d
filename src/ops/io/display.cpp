#include "ops/io/display.h"

#include <algorithm>

void renderInto(const Image &image, QImage &target)
{
    if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32)
        target = target.convertToFormat(QImage::Format_RGB32);
    const int w = std::min(image.width(), target.width());
    const int h = std::min(image.height(), target.height());
    for (int y = 0; y < h; ++y) {
        const double *src = image.data(0, y);
        auto *dst = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const unsigned int g = displayGray(src[x]);
            dst[x] = 0xff000000u | (g << 16) | (g << 8) | g;
        }
    }
}

QImage toDisplayImage(const Image &image)
{
    QImage picture(image.width(), image.height(), QImage::Format_RGB32);
    if (picture.isNull()) return picture;
    renderInto(image, picture);
    return picture;
}

void grayInto(const QImage &picture, Image &image)
{
    const QImage rgb = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_ARGB32);
    const int w = std::min(image.width(), rgb.width());
    const int h = std::min(image.height(), rgb.height());
    for (int y = 0; y < h; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        double *dst = image.data(0, y);
        for (int x = 0; x < w; ++x) dst[x] = grayOf(src[x]);
    }
}

Image grayImageFrom(const QImage &picture)
{
    if (picture.isNull()) return Image();
    Image image(picture.width(), picture.height(), 1, 1, 0.0);
    grayInto(picture, image);
    return image;
}
