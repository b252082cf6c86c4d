// Small helpers that many operations share.
#pragma once
#include "ops/core/image.h"

// Maps the value range linearly onto 0..255: v -> (v - m) / (M - m) * 255 with m and M the
// minimum and maximum. A constant image becomes all 0; an empty image is left alone.
void normalizeTo255(Image &image);

// K - v for every value, K = 255, or the image's own maximum when useMaximum is true.
// An image passed as a temporary is inverted in its own buffer.
// Throws cimg_library::CImgArgumentException for an empty image.
Image getInverted(Image image, bool useMaximum);

// The larger and the smaller of two doubles; when either is NaN both return b.
inline double maxOf(double a, double b) { return a >= b ? a : b; }
inline double minOf(double a, double b) { return b >= a ? a : b; }

// Throws the library's argument exception for an empty image, naming its dimensions.
void requireNonEmpty(const Image &image);

// True when every value is finite.
bool allFinite(const Image &image);
