// Gaussian and Hessian machinery of the vessel-enhancement filters: the sampled Gaussian
// kernel, half-size decimation, the eigenvalue images of the smoothed Hessian matrix and
// the three-scale Hessian vessel enhancement built on them.
//
// "Filtering" below always means the library's convolution with border condition 1 (a
// pixel outside the image takes the value of the nearest edge pixel), unweighted, the
// result of the input's size. The functions compute it with separable passes that agree
// with img.get_convolve(kernel, 1, false) to rounding (see ops/separable.h).
#pragma once
#include "ops/core/image.h"

#include <cmath>

class Progress;

// The n x n Gaussian kernel, n made odd downwards: radius r = (n - 1) / 2 (truncating),
// side 2r + 1, value exp(-(i*i + j*j) / (2 sigma^2)) at pixel (r + i, r + j), divided by
// the sum of all values. Size 4 gives 3 x 3; size 1 (and 0) the single value 1.
// Throws std::runtime_error for n < 0 or sigma <= 0 (or not finite).
Image gaussKernel(int n, double sigma);

// Every second pixel: out(x, y) = in(2x, 2y), floor(w / 2) by floor(h / 2). No smoothing;
// callers smooth first. A side of 1 gives an empty image.
Image halfSize(const Image &image);

// The eigenvalues of the symmetric 2 x 2 matrix (a, b; b, d): with tr = a + d and
// det = a * d - b * b, (tr +- sqrt(tr * tr - 4 * det)) / 2. The value under the root is
// mathematically (a - d)^2 + 4 b^2 >= 0; a rounding-level negative one is taken as 0.
inline double eigenRoot(double a, double d, double b)
{
    const double tr = a + d;
    const double det = a * d - b * b;
    const double disc = tr * tr - 4.0 * det;
    return disc < 0.0 ? 0.0 : std::sqrt(disc);
}
inline double largerEigenvalue(double a, double d, double b) { return (a + d + eigenRoot(a, d, b)) / 2.0; }
inline double smallerEigenvalue(double a, double d, double b) { return (a + d - eigenRoot(a, d, b)) / 2.0; }

// The raw (unscaled) Hessian eigenvalues of an already smoothed image S: Sx and Sy are S
// filtered with (-0.5, 0, 0.5) along x and y, Hxx = dx(Sx), Hyy = dy(Sy), Hxy = dx(Sy),
// each step with repeated edges. Either output may be null; outputs get S's size.
void hessianEigenvalues(const Image &smoothed, Image *larger, Image *smaller);

// The Hessian eigenvalue pair of image with smoothing size n (Gaussian of size n and sigma
// n * 0.25): element 0 the larger, element 1 the smaller eigenvalue per pixel, each scaled
// to 0..255 on its own with normalizeTo255. Both have the input's size.
// Throws std::runtime_error for an empty image or n < 1.
ImageList hessianEigen(const Image &image, int n);

// Hessian vessel enhancement: the larger Hessian eigenvalue at three scales of a
// decimation pyramid (levels 0, 1, 2 at full, half and quarter size, gains 4.0, 2.3 and 1,
// enlarged back by linear interpolation), combined by the pixel-wise maximum of the
// inverted responses where each level reaches, inverted again and scaled to 0..255.
// Dark vessels on a bright background come out bright. The result has the input's size;
// the input is not changed. Throws std::runtime_error naming the smallest accepted size
// (4 x 4) for smaller images. progress only gets processEvents() between the levels.
// An input passed as a temporary lends its buffer to the computation.
Image hessEnhImage(Image image, Progress &progress);

// Throws std::runtime_error("<operation> needs ...") unless image is a single-channel
// two-dimensional image of at least minSide x minSide pixels.
void requireFilterSize(const Image &image, int minSide, const char *operation);
