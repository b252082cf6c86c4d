#include "ops/classify/vesselscale.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

Image resizedBack(const Image &probability, int width, int height)
{
    const int w = probability.width(), h = probability.height();
    if (width < w || height < h) return probability.get_resize(width, height, 1, 1, 3);
    // Source coordinate of an output pixel centre, and its two neighbours and weight.
    auto taps = [](int size, int out, std::vector<int> &lo, std::vector<double> &weight) {
        lo.resize(size_t(out)), weight.resize(size_t(out));
        for (int i = 0; i < out; ++i) {
            const double u = std::clamp((i + 0.5) * size / out - 0.5, 0.0, double(size - 1));
            lo[size_t(i)] = std::min(int(u), std::max(0, size - 2));
            weight[size_t(i)] = size > 1 ? u - lo[size_t(i)] : 0.0;
        }
    };
    std::vector<int> x0, y0;
    std::vector<double> wx, wy;
    taps(w, width, x0, wx);
    taps(h, height, y0, wy);
    Image out(width, height, 1, 1, 0.0);
    for (int y = 0; y < height; ++y) {
        const int ya = y0[size_t(y)], yb = std::min(ya + 1, h - 1);
        for (int x = 0; x < width; ++x) {
            const int xa = x0[size_t(x)], xb = std::min(xa + 1, w - 1);
            const double top = probability(xa, ya) * (1.0 - wx[size_t(x)]) + probability(xb, ya) * wx[size_t(x)];
            const double bottom = probability(xa, yb) * (1.0 - wx[size_t(x)]) + probability(xb, yb) * wx[size_t(x)];
            out(x, y) = top * (1.0 - wy[size_t(y)]) + bottom * wy[size_t(y)];
        }
    }
    return out;
}
