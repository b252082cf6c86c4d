// Texture figures of a vessel pattern: fractal dimension by box counting and lacunarity by
// the gliding box.
#pragma once
#include <vector>

#include "ops/core/image.h"

// The slope of log N(s) against log(1 / s), N(s) the number of boxes of side s of a grid
// laid from the image's top-left corner that hold at least one pixel equal to 255 (a box
// reaching past the right or bottom edge counts with the share of it inside). The box
// sides are the powers of two from smallestBox to largestBox, the largest being at most a
// quarter of the image's shorter side; the line is fitted by least squares. dimension is NaN
// when the image holds no 255 pixel or is too small for two box sizes (shorter side under 16 pixels).
struct FractalFit {
    double dimension = 0.0;
    int smallestBox = 0, largestBox = 0;
};
FractalFit boxCountingDimension(const Image &binary);

// Gliding-box lacunarity: for each box side r, the box slides over every position where it
// lies wholly in the image (and, with a mask, wholly inside it: mask values >= 128); with M
// the number of 255 pixels in the box, lambda(r) = E[M^2] / E[M]^2. 1 means the vessel pixels
// are spread evenly; larger values mean gaps and clumps. value is the mean of lambda(r) over
// the box sides 2, 4, ..., 64 that fit (a side at most half the shorter side of the image);
// sides without any vessel pixel or without a position are left out. value is NaN when no side
// is left. perSide holds lambda(r) for each side from smallestBox up (NaN where left out).
struct Lacunarity {
    double value = 0.0;
    int smallestBox = 0, largestBox = 0;
    std::vector<double> perSide;
};
Lacunarity glidingBoxLacunarity(const Image &binary, const Image *mask = nullptr);
