#include "ops/filters/histogram.h"

Image histogram256(const Image &image)
{
    Image bins(256, 1, 1, 1, 0.0);
    for (const double v : image) {
        const double index = 255.0 * (v - 0.0) / (255.0 - 0.0);
        // Checked before truncating: the conversion of NaN or of a huge value is undefined.
        if (!(index > -1.0 && index < 256.0)) continue;
        bins[size_t(int(index))] += 1.0;
    }
    return bins;
}
