#include "ops/classify/vesselscale.h"

#include <algorithm>
#include <cmath>

double fieldOfViewDiameter(const Image &fov)
{
    int x0 = fov.width(), x1 = -1, y0 = fov.height(), y1 = -1;
    long long inside = 0;
    cimg_forXY(fov, x, y) if (fov(x, y) == kWhite)
    {
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        ++inside;
    }
    if (inside == 0 || inside == (long long)fov.width() * fov.height()) return 0.0;
    return double(std::max(x1 - x0 + 1, y1 - y0 + 1));
}

double segmentationFactor(const ModelScale &trained, const Image &fov, double pixelSizeMm)
{
    double factor = 1.0;
    if (trained.kind == ModelScale::Kind::FieldOfView && trained.value > 0.0) {
        const double diameter = fieldOfViewDiameter(fov);
        if (diameter > 0.0) factor = trained.value / diameter;
    } else if (trained.kind == ModelScale::Kind::PixelSize && trained.value > 0.0 && pixelSizeMm > 0.0) {
        factor = pixelSizeMm / trained.value;
    }
    if (!std::isfinite(factor) || (factor <= kScaleTolerance && factor >= 1.0 / kScaleTolerance)) return 1.0;
    return std::clamp(factor, kSmallestFactor, kLargestFactor);
}

Image resizedByFactor(const Image &image, double factor, int minimumSide)
{
    const int w = std::max(minimumSide, int(std::lround(image.width() * factor)));
    const int h = std::max(minimumSide, int(std::lround(image.height() * factor)));
    return image.get_resize(w, h, 1, 1, 3);
}

Image resizedMask(const Image &mask, int width, int height)
{
    Image out = mask.get_resize(width, height, 1, 1, 3);
    cimg_for(out, p, double)*p = *p >= kWhite / 2.0 ? kWhite : 0.0;
    return out;
}
