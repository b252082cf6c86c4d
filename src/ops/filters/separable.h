// Fast building blocks of the enhancement filters: separable Gaussian filtering with
// repeated-edge borders, corner-aligned linear enlargement, band-parallel row loops and a
// parallel min/max scan. Each gives what the library's plain call gives (get_convolve with
// border condition 1, get_resize with linear interpolation, normalizeTo255) up to the
// rounding of a different summation order, and each output pixel is computed by the same
// arithmetic whichever thread computes it, so results do not depend on the thread count.
#pragma once
#include <vector>

#include "ops/core/image.h"
#include "ops/core/largebuffer.h"
#include "ops/core/simd.h"

namespace fast {


// Gives image the size w x h x 1 x 1 (keeping its buffer when the size is already that)
// and advises huge pages before anything touches the memory. The values are undefined.
void allocate(Image &image, int w, int h);

// An allocator for large working vectors of trivial types: huge pages, no zero-filling.
template <class T>
struct BigAllocator {
    using value_type = T;
    BigAllocator() = default;
    template <class U>
    BigAllocator(const BigAllocator<U> &) {}
    T *allocate(size_t n)
    {
        T *p = static_cast<T *>(::operator new(n * sizeof(T)));
        adviseHugePages(p, n * sizeof(T));
        return p;
    }
    void deallocate(T *p, size_t) { ::operator delete(p); }
    template <class U>
    void construct(U *) {}  // default-initialise: leave the memory untouched
    template <class U, class... A>
    void construct(U *p, A &&...args) { ::new (static_cast<void *>(p)) U(std::forward<A>(args)...); }
    bool operator==(const BigAllocator &) const { return true; }
    bool operator!=(const BigAllocator &) const { return false; }
};

// The 1-D taps t of length m = 2 * ((n - 1) / 2) + 1 whose outer product t(i) * t(j) is
// gaussKernel(n, sigma) up to rounding: t(i) = exp(-i * i / (2 sigma^2)) / sum.
std::vector<double> gaussTaps(int n, double sigma);

// out = in filtered with the separable kernel taps x taps (odd length, centred), a pixel
// outside the image taking the value of the nearest edge pixel. out is (re)allocated to
// the input's size unless it already has it; it must not be in.
void separableFilter(const Image &in, const std::vector<double> &taps, Image &out);
// The same on a given vector path (tests compare the paths; any path the processor lacks
// is lowered to the best it has).
void separableFilter(const Image &in, const std::vector<double> &taps, Image &out, simd::Path path);

// The same with a 2-D kernel image that is separable (a Gaussian kernel): the row
// through its centre, normalised, serves as taps.
void gaussFilter(const Image &in, int n, double sigma, Image &out);

// Enlarges one axis of length n to length N >= n the way the library's linear resize
// does (corner-aligned, the step accumulated from the left): value k of the output is
// (1 - alpha[k]) * v[index[k]] + alpha[k] * v[index[k] + 1], the second index clamped.
struct LinearAxis {
    std::vector<int> index;
    std::vector<double> alpha;
    LinearAxis(int n, int N);
};

// Produces the rows of in enlarged to W x H (W >= width, H >= height) one at a time, as
// in.get_resize(W, H, 1, 1, 3) would hold them. One instance per thread.
class LinearEnlarger {
public:
    LinearEnlarger(const Image &in, int W, int H);
    // Writes output row y (W values) into dst.
    void row(int y, double *dst);
    // Row y of the enlargement stretched to cover a width x (height) image: rows and
    // columns beyond H and W repeat the last ones. dst is resized to width.
    void coveringRow(int y, int width, std::vector<double> &dst);

private:
    const double *xRow(int sourceRow, int slot);
    const Image &in_;
    LinearAxis ax_, ay_;
    std::vector<double> rows_[2];
    int rowId_[2] = {-1, -1};
};

// in.get_resize(W, H, 1, 1, 3) for W >= width and H >= height, written into out.
void enlargeLinear(const Image &in, int W, int H, Image &out);

// The minimum and maximum as normalizeTo255 finds them (seeded with the first value,
// compared with < and >), scanned by bands.
void minMax(const Image &image, double &lo, double &hi);

// normalizeTo255, the scan and the scaling done by bands; bit for bit the same values.
void normalizeTo255(Image &image);

}  // namespace fast
