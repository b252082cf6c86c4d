// Homomorphic and non-linear vessel filters.
#pragma once
#include "ops/core/image.h"

// Homomorphic filter: L = ln(I + 1), B = L filtered with the 5 x 5 Gaussian of sigma 1.5
// (repeated edges), E = exp(1.5 * (L - B)); the low-pass channel is not added back. The
// result, of the input's size, is scaled to 0..255. Throws std::runtime_error for an
// empty image or one holding a value of -1 or less (or not a number), whose logarithm
// ln(I + 1) is undefined.
Image homomorphicImage(const Image &image);

// Non-linear filter: the image resized to 512 x 512 by linear interpolation, every Fourier
// coefficient's magnitude replaced by its square root with its phase kept (a coefficient
// of magnitude 0 stays 0), transformed back, the real part resized to the input's size
// and scaled to 0..255. No centring shift. Throws std::runtime_error for an empty image.
Image nonLinearImage(const Image &image);

// The working size of the non-linear filter.
inline constexpr int kNonLinearSize = 512;
