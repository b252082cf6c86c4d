// Fourier magnitude spectrum and inverse transform, and the real-input transforms the
// frequency-domain filters share.
//
// The transforms run through FFTW directly on the real input (half spectrum, rows and
// columns in fixed blocks spread over the cores), which gives what the library's list
// transform of a (real, all-zero imaginary) pair gives, up to rounding, for every size.
#pragma once
#include <vector>

#include "ops/core/image.h"
#include "ops/filters/complex.h"
#include "ops/filters/separable.h"
#include "ops/core/simd.h"

// Where the image sits on the square canvas of side max(w, h): ((N - w) / 2, (N - h) / 2).
struct CanvasOffsets {
    int x = 0;
    int y = 0;
};
CanvasOffsets spectrumOffsets(const Image &image);

// The centred magnitude spectrum of the image placed on its square canvas (side max(w, h),
// zero elsewhere): ln(1 + |F|) with the zero frequency moved to (N/2, N/2), scaled to 0..255
// over the whole canvas, then cut back to the image's size at the offsets above.
// Throws std::runtime_error for an empty image.
// The compression runs on the half spectrum FFTW computes, with a logarithm that gives the
// same bits on every vector path (fast::logAtLeastOne).
Image magnitudeSpectrum(const Image &image);
Image magnitudeSpectrum(const Image &image, simd::Path path);

// Takes the image as a centred real spectrum: translates it periodically by (-w/2, -h/2),
// transforms inversely (with the 1 / (w h) of the library's inverse) and returns the real
// part, unscaled. The input is not changed. Throws std::runtime_error for an empty image.
Image inverseSpectrum(const Image &image);

namespace fast {

using HalfSpectrum = std::vector<Complex, BigAllocator<Complex>>;

// The half spectrum of a real image: F(u, v) for u = 0 .. w/2, row-major, h rows of
// w/2 + 1 values; the other half is F(u, v) = conj(F(w - u, (h - v) mod h)).
HalfSpectrum realForward(const Image &image);

// The real image of size w x h whose half spectrum is given (taken as Hermitian), times
// 1 / (w h) as the library's inverse scales. half is used as working memory.
Image realInverse(HalfSpectrum &half, int w, int h);

}  // namespace fast
