#include "ops/io/deepsave.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

bool holdsMoreThan256Levels(const Image &image)
{
    // Whole levels 0..255, which most images hold, are at most 256 values: no set needed.
    const bool wholeLevels = std::all_of(image.begin(), image.end(),
                                         [](double v) { return v >= 0.0 && v <= 255.0 && v == std::floor(v); });
    if (wholeLevels) return false;
    // NaN equals nothing, not even itself: it counts as one level of its own.
    std::unordered_set<double> seen;
    bool nan = false;
    for (const double v : image) {
        if (std::isnan(v)) nan = true;
        else seen.insert(v);
        if (seen.size() + nan > 256) return true;
    }
    return false;
}

QImage toGray16(const Image &image)
{
    QImage picture(image.width(), image.height(), QImage::Format_Grayscale16);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<quint16 *>(picture.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double v = image(x, y);
            row[x] = std::isnan(v) ? 0 : quint16(std::lround(std::clamp(v, 0.0, 255.0) * 65535.0 / 255.0));
        }
    }
    return picture;
}
