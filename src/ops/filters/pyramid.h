// Laplacian pyramid vessel enhancement.
#pragma once
#include "ops/core/image.h"

// Decomposes image into four band-pass detail levels (L0 with the 5 x 5 Gaussian of sigma
// 1.5, L1 to L3 with the 3 x 3 Gaussian of sigma 1.0, each level decimated from the blurred
// level before), then rebuilds from the details alone with the gains 1, 1.3, 3.0 and 1:
// T2 = 3.0 L2 + up2(L3), T1 = 1.3 L1 + up2(T2), T0 = L0 + up2(T1), scaled to 0..255.
// up2 is the enlargement to 200 % by linear interpolation. Where a level has an odd side
// the enlarged coarser term is one pixel short: it is added to the pixels with the same
// coordinates, and its last column or row is repeated for the finer level's last one, so
// every pixel gets every band.
// The result has the input's size; the background and the low-pass residue are removed.
// Throws std::runtime_error for images smaller than 8 x 8 (the coarsest level would be empty).
Image laplPyramidImage(const Image &image);

// Coordinate-aligned sum fine + coarse over fine's extent: where coarse does not reach,
// its last column and row are repeated. Both single-channel 2-D images, coarse not empty.
void addCovering(Image &fine, const Image &coarse);
