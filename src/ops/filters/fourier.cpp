#include "ops/filters/fourier.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>

#include "ops/core/execution.h"
#include "ops/filters/hessian.h"
#include "ops/filters/logmagnitude.h"
#include "ops/filters/separable.h"

namespace fast {

namespace {

// Columns are transformed in blocks of this many; the split depends on the size alone,
// never on the number of threads, so every column sees the same plan.
constexpr int kColumnBlock = 16;

// FFTW's planner (creating and destroying plans, the thread count) is not thread-safe,
// and batch workers transform images at the same time. Only fftw_execute may run
// concurrently, so every other FFTW call in the program holds this lock.
std::mutex plannerMutex;
struct PlanLock {
    std::lock_guard<std::mutex> guard{plannerMutex};
};

fftw_plan planColumns(fftw_complex *data, int h, int wc, int count, int sign)
{
    int n[1] = {h};
    return fftw_plan_many_dft(1, n, count, data, nullptr, wc, 1, data, nullptr, wc, 1, sign,
                              FFTW_ESTIMATE | FFTW_UNALIGNED);
}

// Transforms every column of the h x wc complex array in place.
void transformColumns(Complex *half, int h, int wc, int sign)
{
    fftw_complex *data = reinterpret_cast<fftw_complex *>(half);
    const int blocks = (wc + kColumnBlock - 1) / kColumnBlock, rest = wc - (blocks - 1) * kColumnBlock;
    fftw_plan full = nullptr, last = nullptr;
    {
        PlanLock lock;
        fftw_plan_with_nthreads(1);
        if (blocks > 1) full = planColumns(data, h, wc, kColumnBlock, sign);
        last = planColumns(data, h, wc, rest, sign);
    }
    execution::parallelRows(blocks, [&](int begin, int end) {
        for (int b = begin; b < end; ++b) {
            fftw_complex *p = data + size_t(b) * kColumnBlock;
            fftw_execute_dft(b == blocks - 1 ? last : full, p, p);
        }
    });
    PlanLock lock;
    if (full) fftw_destroy_plan(full);
    fftw_destroy_plan(last);
}

}  // namespace

HalfSpectrum realForward(const Image &image)
{
    const int w = image.width(), h = image.height(), wc = w / 2 + 1;
    HalfSpectrum half(size_t(h) * size_t(wc));
    double *in = const_cast<double *>(image.data());
    fftw_complex *out = reinterpret_cast<fftw_complex *>(half.data());
    fftw_plan rows;
    {
        PlanLock lock;
        fftw_plan_with_nthreads(1);
        rows = fftw_plan_dft_r2c_1d(w, in, out, FFTW_ESTIMATE | FFTW_UNALIGNED | FFTW_PRESERVE_INPUT);
    }
    execution::parallelRows(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) fftw_execute_dft_r2c(rows, in + size_t(y) * w, out + size_t(y) * wc);
    });
    {
        PlanLock lock;
        fftw_destroy_plan(rows);
    }
    if (h > 1) transformColumns(half.data(), h, wc, FFTW_FORWARD);
    return half;
}

Image realInverse(HalfSpectrum &half, int w, int h)
{
    const int wc = w / 2 + 1;
    if (h > 1) transformColumns(half.data(), h, wc, FFTW_BACKWARD);
    Image out;
    allocate(out, w, h);
    fftw_complex *in = reinterpret_cast<fftw_complex *>(half.data());
    fftw_plan rows;
    {
        PlanLock lock;
        fftw_plan_with_nthreads(1);
        rows = fftw_plan_dft_c2r_1d(w, in, out.data(), FFTW_ESTIMATE | FFTW_UNALIGNED | FFTW_DESTROY_INPUT);
    }
    const double a = 1.0 / (double(w) * h);
    execution::parallelRows(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            double *row = out.data(0, y);
            fftw_execute_dft_c2r(rows, in + size_t(y) * wc, row);
            for (int x = 0; x < w; ++x) row[x] = a * row[x];
        }
    });
    PlanLock lock;
    fftw_destroy_plan(rows);
    return out;
}

}  // namespace fast

CanvasOffsets spectrumOffsets(const Image &image)
{
    const int n = std::max(image.width(), image.height());
    return {(n - image.width()) / 2, (n - image.height()) / 2};
}

Image magnitudeSpectrum(const Image &image) { return magnitudeSpectrum(image, simd::active()); }

Image magnitudeSpectrum(const Image &image, simd::Path path)
{
    requireFilterSize(image, 1, "Magnitude spectrum");
    const int w = image.width(), h = image.height(), n = std::max(w, h), wc = n / 2 + 1;
    const CanvasOffsets off = spectrumOffsets(image);
    fast::HalfSpectrum half;
    if (w == n && h == n) {
        half = fast::realForward(image);
    } else {
        Image canvas;
        fast::allocate(canvas, n, n);
        canvas.fill(0.0);
        canvas.draw_image(off.x, off.y, image);
        half = fast::realForward(canvas);
    }

    // ln(1 + |F|) of the half spectrum only, each row compacted in place to wc doubles at
    // the start of its own memory: |F(u, v)| = |F(n - u, n - v)| supplies the other half.
    // The minimum and maximum are those of the whole spectrum, which holds the same values.
    double *logs = reinterpret_cast<double *>(half.data());
    const size_t stride = 2 * size_t(wc);
    std::vector<double> bandLo(size_t(n), INFINITY), bandHi(size_t(n), -INFINITY);
    execution::parallelRows(n, [&](int begin, int end) {
        std::vector<double> scratch(static_cast<size_t>(wc));
        double lo = INFINITY, hi = -INFINITY;
        for (int v = begin; v < end; ++v) {
            double *row = logs + size_t(v) * stride;
            fast::logMagnitudeRow(half.data() + size_t(v) * wc, wc, row, scratch.data(), path);
            for (int u = 0; u < wc; ++u) {
                if (row[u] < lo) lo = row[u];
                if (row[u] > hi) hi = row[u];
            }
        }
        bandLo[size_t(begin)] = lo;
        bandHi[size_t(begin)] = hi;
    });
    // Centred: pixel (x, y) shows frequency ((x - n/2) mod n, (y - n/2) mod n).
    auto logAt = [&](int x, int y) {
        const int u = (x + n - n / 2) % n, v = (y + n - n / 2) % n;
        return u < wc ? logs[size_t(v) * stride + size_t(u)] : logs[size_t((n - v) % n) * stride + size_t(n - u)];
    };
    // normalizeTo255's scan: seeded with the first pixel, so a NaN there decides as it does.
    double m = logAt(0, 0), M = m;
    for (int i = 0; i < n; ++i) {
        if (bandLo[size_t(i)] < m) m = bandLo[size_t(i)];
        if (bandHi[size_t(i)] > M) M = bandHi[size_t(i)];
    }
    const double range = M - m;
    Image out;
    fast::allocate(out, w, h);
    execution::parallelRows(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            double *dst = out.data(0, y);
            const int cy = y + off.y, v = (cy + n - n / 2) % n;
            const double *direct = logs + size_t(v) * stride, *mirror = logs + size_t((n - v) % n) * stride;
            if (m == M) {
                std::fill(dst, dst + w, 0.0);
                continue;
            }
            for (int x = 0; x < w; ++x) {
                const int u = (x + off.x + n - n / 2) % n;
                const double l = u < wc ? direct[u] : mirror[n - u];
                dst[x] = (l - m) / range * 255.0;
            }
        }
    });
    return out;
}

Image inverseSpectrum(const Image &image)
{
    requireFilterSize(image, 1, "Inverse FFT");
    const int w = image.width(), h = image.height(), wc = w / 2 + 1;
    // Un-centre: pixel (x, y) takes the value at ((x + w/2) mod w, (y + h/2) mod h).
    Image shifted;
    fast::allocate(shifted, w, h);
    for (int y = 0; y < h; ++y) {
        const double *src = image.data(0, (y + h / 2) % h);
        double *dst = shifted.data(0, y);
        const int sx = w / 2;
        std::copy(src + sx, src + w, dst);
        std::copy(src, src + sx, dst + (w - sx));
    }
    // For a real input the real part of the inverse transform is the real part of the
    // forward one, divided by the pixel count.
    const fast::HalfSpectrum half = fast::realForward(shifted);
    const double a = 1.0 / (double(w) * h);
    execution::parallelRows(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            double *dst = shifted.data(0, y);
            const size_t mirror = size_t((h - y) % h) * wc;
            for (int x = 0; x < w; ++x)
                dst[x] = a * (x < wc ? half[size_t(y) * wc + x] : half[mirror + (w - x)]).re;
        }
    });
    return shifted;
}
