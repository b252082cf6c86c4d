// The gray-level and binary reports' figures.
#pragma once
#include "ops/core/image.h"

struct GrayStats {
    int width, height;
    double minimum, maximum, mean, variance;
};
// Minimum, maximum, mean (sum / N) and population variance (sum of squared differences from
// the mean / N, two passes). Throws the library's argument exception for an empty image.
GrayStats grayStatistics(const Image &image);

struct BinaryStats {
    int width, height;      // of the measured image
    long long area, length; // values equal to 255 in the image and in its Zhang-Suen thinning
    double coverage;        // area * 100 / (width * height)
};
// Values other than 255 count for neither area nor length. Throws the library's argument
// exception for an empty image.
BinaryStats binaryStatistics(const Image &measured);
// The same figures with the Zhang-Suen skeleton of measured already at hand.
BinaryStats binaryStatistics(const Image &measured, const Image &skeleton);
