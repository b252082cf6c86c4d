// The larger eigenvalue of the smoothed structure tensor, the measure of oriented
// structure behind the fuzzy clustering's structure mask.
#pragma once
#include "ops/core/image.h"
#include "ops/core/simd.h"

// Per pixel, unscaled: gx = 0.5 I(x - 1, y) - 0.5 I(x, y) and gy = 0.5 I(x, y - 1) - 0.5 I(x, y)
// (the library's convolution with (-0.5, 0.5) along x and along y, repeated edges); the
// products gx gx, gy gy, gx gy filtered with the separable Gaussian of size 7 and sigma 5.0
// (fast::separableFilter); then largerEigenvalue of the three. Rows are computed in bands
// on the row threads, each row fused from the input to the eigenvalue, so the tensor
// components never exist as whole images. The same bits on every path and thread count.
Image structureStrength(const Image &image);
Image structureStrength(const Image &image, simd::Path path);
