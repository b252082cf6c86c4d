// Automatic vessel segmentation by fuzzy clustering.
//
// Five enhancement images of the input serve as features. A hard split of the first at
// its median starts a two-cluster fuzzy c-means (Bezdek's algorithm, fuzzifier m = 1.5)
// in the five-dimensional feature space; after every iteration the hard segmentation
// (vessel membership >= 0.5) is handed on. The last segmentation is then refined to its
// 8-connected components that touch a mask of strongly oriented structure.
#pragma once
#include <functional>

#include "ops/segmentation/growing.h"
#include "ops/core/image.h"
#include "ops/core/imagemodel.h"
#include "ops/core/notes.h"
#include "ops/core/packedbinary.h"

class Progress;

inline constexpr double kFuzzifier = 1.5;
inline constexpr int kFuzzyMaxIterations = 30;
// The clustering stops once the memberships change by at most this (Euclidean norm).
inline constexpr double kFuzzyStopChange = 1.0;

// The structure mask M0 of an image: 1 where the larger eigenvalue of the structure
// tensor, scaled with normalizeTo255, is greater than 20. Gradients are the library's
// convolution (border condition 1) with the kernels (-0.5, 0.5) along x and along y; the
// tensor components gx*gx, gy*gy, gx*gy are smoothed with gaussKernel(7, 5.0), applied as
// its separable taps (structureStrength), which differs from the 2-D kernel by rounding only.
// A rounding-level negative discriminant is taken as 0 (largerEigenvalue).
GrowState structureMask(const Image &image);

// The five features, in this order: F1 = normalizeTo255(white top-hat, disc of size 9),
// F2 = normalizeTo255(Laplacian pyramid of F1), F3 = normalizeTo255(non-linear filter of
// F1), F4 = homomorphic filter of F1, F5 = Hessian enhancement of 255 - F1.
ImageList fuzzyFeatures(const Image &image, Progress &progress);

// The initial vessel membership: 1 where f1 > t and 0 elsewhere, t being the smallest
// k >= 1 for which bins 0..k-1 of f1's 256-bin histogram (bin trunc(v), values outside
// 0..255 not counted, counts in single precision) hold at least half of the pixels.
Image initialMembership(const Image &f1);

// What the clustering ended with.
struct FuzzyResult {
    int iterations = 0;   // iterations executed (= segmentations handed on)
    double change = 0.0;  // the membership change of the last iteration
    Image membership;     // the last vessel membership, 0..1 (when kept)
    ImageList centres;    // 5 x 1 images: iteration l's vessel centre at 2l, background at 2l + 1
};

// Runs at most maxIterations iterations from the initial membership (values in 0..1, the
// features' size). Iteration l: label "%1. iteration ...", progress trunc(100 / change),
// events processed once; centres cv and cb as the u^1.5- and (1 - u)^1.5-weighted means of
// the feature vectors; new membership u' = 1 / (1 + (dv / db)^2) with dv, db the squared
// distances to cv and cb; onSegmentation receives the binary image white where u' >= 0.5;
// change = sqrt(sum (u' - u)^2); the loop ends once change <= 1.
// One pass over the features per iteration: the centre sums of the next iteration are
// gathered while the memberships are computed. The memberships are not kept between
// iterations: u follows from the previous centres by the same formula, so it is computed
// again, bit for bit. u^1.5 is evaluated as u * sqrt(u).
// A pixel at the vessel centre (dv = 0) gets u' = 1, or 0.5 when the two centres
// coincide there too. A cluster without weight has no centre: the iteration keeps the
// memberships, hands on their segmentation and ends the loop. Both are told in notes.
// The last memberships are returned in FuzzyResult::membership unless spare is given: then
// they are not kept, and after the first iteration the initial image's buffer is moved into
// *spare for the caller to reuse.
// Throws std::runtime_error when the sizes disagree or a feature holds a value that is
// not finite.
FuzzyResult fuzzyCMeans(Image initial, int maxIterations, const ImageList &features, Progress &progress,
                        const std::function<void(PackedBinary &&segmentation)> &onSegmentation, Notes &notes,
                        Image *spare = nullptr);

// The union of the 8-connected components of the segmentation's white pixels that hold
// at least one pixel of the mask: 255 there, 0 elsewhere.
Image connectedRefinement(const Image &segmentation, const GrowState &mask);

// The whole operation on the model's current image: every iteration's segmentation becomes
// the preview and is appended in one bit per pixel (the index follows it, then the preview
// goes to progress.intermediate, so a view can show it at once), and finally the refined
// result is appended (as doubles) and made current. Needs at least 8 x 8 pixels; throws std::runtime_error before
// any change otherwise.
void fuzzyClustering(ImageModel &model, Progress &progress, Notes &notes);
