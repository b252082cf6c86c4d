#include "ops/core/imagehelpers.h"

#include <cmath>

void requireNonEmpty(const Image &image)
{
    if (image.is_empty())
        throw cimg_library::CImgArgumentException(
            "CImgStats::CImgStats() : Specified input image (%u,%u,%u,%u,%p) is empty.",
            image.width(), image.height(), image.depth(), image.spectrum(), (const void *)image.data());
}

void normalizeTo255(Image &image)
{
    if (image.is_empty()) return;
    double m = image[0], M = image[0];
    // Seeded with the first value and compared with <, >, as the library's own min and max.
    for (const double v : image) {
        if (v < m) m = v;
        if (v > M) M = v;
    }
    if (m == M) {
        image.fill(0.0);
        return;
    }
    const double range = M - m;
    // Divide, then multiply: the order decides the last bit and sharp thresholds see it.
    for (double &v : image) v = (v - m) / range * 255.0;
}

Image getInverted(Image image, bool useMaximum)
{
    requireNonEmpty(image);
    double k = 255.0;
    if (useMaximum) {
        k = image[0];
        for (const double v : image) k = maxOf(k, v);
    }
    for (double &v : image) v = k - v;
    return image;
}

bool allFinite(const Image &image)
{
    for (const double v : image)
        if (!std::isfinite(v)) return false;
    return true;
}
