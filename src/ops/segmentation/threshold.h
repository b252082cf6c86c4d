// Coverage thresholding: one global border turns a gray image into 0/255.
#pragma once
#include <array>

#include "ops/core/image.h"

// The coverage table of a 256-bin histogram: entry t is the integer part of the percentage
// of counted pixels in bins 0..t, i.e. of the pixels that thresholding at t turns black
// (white with inversion). Computed exactly in integers, so 29 of 100 pixels read 29, not
// 28. When the histogram counts nothing, every entry is 0.
std::array<int, 256> coverageTable(const Image &histogram);

// Values <= border become 0 and values above it 255; with invert the other way round, so
// the pixels counted by the coverage become white. Values outside 0..255 are thresholded
// like any other. The result has the input's size.
Image thresholdImage(const Image &image, double border, bool invert);
