// The fixed-range 256-bin histogram that coverage thresholding and the hysteresis
// presets read.
#pragma once
#include "ops/core/image.h"

// 256 bins over the fixed range 0..255: value v falls into bin b = integer part (toward
// zero) of 255 * (v - 0) / (255 - 0), computed in double as written. Values whose bin falls
// outside 0..255 (below -1 or from 256 up) and NaN are not counted. The result is a
// 256 x 1 image of counts.
Image histogram256(const Image &image);
