// ln(1 + |F|) over rows of a half spectrum, the compression step of the magnitude
// spectrum, built for every vector path (ops/simd.h).
#pragma once
#include "ops/filters/complex.h"
#include "ops/core/simd.h"

namespace fast {

// The natural logarithm with the same bits on every path: the classic fdlibm reduction
// (y = 2^k (1 + f), f within sqrt(1/2) - 1 .. sqrt(2) - 1) and its degree-14 polynomial in
// s = f / (2 + f), written without branches so that it vectorises; within about one unit
// in the last place of the library's log. For y >= 1 (and y = +inf or NaN, returned as is).
double logAtLeastOne(double y);

// dst[i] = logAtLeastOne(1 + sqrt(re^2 + im^2)) of src[i], i < count. dst may be the very
// memory of src (the values are compacted in place); scratch holds count doubles.
void logMagnitudeRow(const Complex *src, int count, double *dst, double *scratch, simd::Path path);

}  // namespace fast
