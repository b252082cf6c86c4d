#include "ops/measure/statistics.h"

#include "ops/core/imagehelpers.h"
#include "ops/morphology/thinning.h"

GrayStats grayStatistics(const Image &image)
{
    requireNonEmpty(image);
    double lo = image[0], hi = image[0], sum = 0.0;
    for (const double v : image) {
        if (v < lo) lo = v;
        if (v > hi) hi = v;
        sum += v;
    }
    const double n = double(image.size());
    const double mean = sum / n;
    double squares = 0.0;
    for (const double v : image) {
        const double d = v - mean;
        squares += d * d;
    }
    return {image.width(), image.height(), lo, hi, mean, squares / n};
}

namespace {
long long countWhite(const Image &image)
{
    long long n = 0;
    for (const double v : image) n += v == kWhite ? 1 : 0;
    return n;
}
}  // namespace

BinaryStats binaryStatistics(const Image &measured)
{
    requireNonEmpty(measured);
    return binaryStatistics(measured, zhangSuenThin(measured));
}

BinaryStats binaryStatistics(const Image &measured, const Image &skeleton)
{
    requireNonEmpty(measured);
    const long long area = countWhite(measured);
    const long long length = countWhite(skeleton);
    const double coverage = double(area) * 100.0 / (double(measured.width()) * double(measured.height()));
    return {measured.width(), measured.height(), area, length, coverage};
}
