// The separable filter for the small radii of the program's Gaussians, one pass per row
// and direction, built for every vector path (ops/simd.h).
#pragma once
#include "ops/core/image.h"
#include "ops/core/simd.h"

namespace fast {

inline constexpr int kMaxFusedRadius = 4;

// out (already of in's size) = in filtered with the symmetric taps[0 .. 2r] along x, then
// along y, repeated-edge borders; 1 <= r <= kMaxFusedRadius and width > 2r. Every pixel
// takes the same operations in the same order as the multi-pass loop in separable.cpp:
// c * v, then + t_k * (left_k + right_k) for k = 1 .. r.
void filterFused(const Image &in, const double *taps, int r, Image &out, simd::Path path);

}  // namespace fast
