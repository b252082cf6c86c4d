// Per-pixel features for a vessel classifier: a handful of multi-scale filter responses,
// each normalised inside the field of view, laid out pixel by pixel for a learner.
#pragma once
#include <QStringList>
#include <vector>

#include "ops/core/image.h"

// Whether the vessels are darker than their surround (fundus photographs, angiograms) or
// brighter. Every feature is computed on the image turned so that vessels are bright, so a
// dark vessel and the same vessel drawn bright give the same features.
enum class Polarity { Dark, Bright };

// The features of every pixel of one image: values[p * count + f] is feature f at pixel p
// (p = x + y * width). Pixels outside the field of view hold 0 in every feature.
struct FeatureStack {
    int width = 0, height = 0, count = 0;
    std::vector<float> values;
    const float *pixel(size_t p) const { return values.data() + p * size_t(count); }
};

// The names of the features in the order computeVesselFeatures lays them out. A model
// records them, so a model trained on a different feature list is recognised.
const QStringList &vesselFeatureNames();

// Smallest image side the features accept (the coarsest pyramid level must not be empty).
inline constexpr int kFeatureMinimumSide = 16;

// Computes the features of image (gray levels, nominally 0..255) inside the field-of-view
// mask fov (255 inside, the image's size):
//   intensity         the input, turned so that vessels are bright
//   gauss_s1..s4      Gaussian-smoothed intensities (sigma 1, 2, 4)
//   ridge_s1..s4      minus the smaller Hessian eigenvalue, times sigma^2 (scale-normalised):
//                     large across a bright line as wide as about 2 sigma
//   bend_s1..s4         the larger Hessian eigenvalue, times sigma^2: near 0 along a line,
//                     large on blobs and at the line's flanks
//   gradient_s1, _s2  the gradient magnitude of the smoothed image, times sigma: marks edges
//   tophat_r3..r11    white top-hats with discs of radius 3, 7, 11 (vessels narrower than
//                     the disc stand out from the local background)
//   line_l5..l15      line detector: the largest mean along a line of length L through the
//                     pixel over 12 orientations, minus the mean of the 15 x 15 window
//   hessian_enhancement, laplacian_pyramid   the program's own enhancement filters
// Before filtering, the picture outside the field of view is replaced by a continuation of
// the inside (extendBeyondFieldOfView), so the black surround does not look like a vessel.
// Each feature is then shifted and scaled to mean 0 and standard deviation 1 over the field
// of view. The result is the same for any thread count.
// Throws std::runtime_error for a multi-channel image, one smaller than kFeatureMinimumSide
// in either direction, one holding NaN or infinities, or a mask of another size.
FeatureStack computeVesselFeatures(const Image &image, const Image &fov, Polarity polarity);

// The raw (not normalised) feature images of an image already turned vessels-bright,
// in vesselFeatureNames() order. Exposed for tests and for pictures in the manual.
std::vector<Image> rawVesselFeatures(const Image &bright);

// The line detector alone: for each pixel, the largest mean along a centred line of the
// given odd length over 12 orientations (15 degree steps), minus the mean of the
// window x window square around it; positions beyond the border repeat the edge pixel.
Image lineDetector(const Image &bright, int length, int window);
// The same for several lengths (odd, ascending) in one pass.
std::vector<Image> lineDetectors(const Image &bright, const std::vector<int> &lengths, int window);
