#include "ops/segmentation/threshold.h"

#include <stdexcept>

std::array<int, 256> coverageTable(const Image &histogram)
{
    std::array<int, 256> table{};
    long long total = 0;
    for (int b = 0; b < 256 && b < int(histogram.size()); ++b) total += (long long)histogram[size_t(b)];
    if (total <= 0) return table;
    long long running = 0;
    for (int t = 0; t < 256; ++t) {
        if (t < int(histogram.size())) running += (long long)histogram[size_t(t)];
        table[size_t(t)] = int(running * 100 / total);
    }
    return table;
}

Image thresholdImage(const Image &image, double border, bool invert)
{
    Image out(image, false);
    const double low = invert ? 255.0 : 0.0, high = invert ? 0.0 : 255.0;
    const double *src = image.data();
    double *dst = out.data();
    const size_t n = image.size();
    for (size_t i = 0; i < n; ++i) dst[i] = src[i] <= border ? low : high;
    return out;
}
