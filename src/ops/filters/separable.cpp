#include "ops/filters/separable.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <sys/mman.h>

#include "ops/core/execution.h"
#include "ops/filters/separablefused.h"

namespace fast {

namespace {

inline int clampIndex(int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }

// One row filtered horizontally: pad holds the row with r repeated edge values on each
// side, so the inner loop has no border test.
void filterRow(const double *src, int w, const std::vector<double> &taps, double *pad, double *dst)
{
    const int r = int(taps.size()) / 2;
    for (int k = 0; k < r; ++k) {
        pad[k] = src[0];
        pad[r + w + k] = src[w - 1];
    }
    std::copy(src, src + w, pad + r);
    const double c = taps[size_t(r)];
    for (int x = 0; x < w; ++x) dst[x] = c * pad[x + r];
    // The kernel is symmetric: pair the two taps of equal weight.
    for (int k = 1; k <= r; ++k) {
        const double t = taps[size_t(r + k)];
        const double *lo = pad + r - k, *hi = pad + r + k;
        for (int x = 0; x < w; ++x) dst[x] += t * (lo[x] + hi[x]);
    }
}

}  // namespace


void allocate(Image &image, int w, int h)
{
    if (image.width() == w && image.height() == h && image.depth() == 1 && image.spectrum() == 1) return;
    image.assign(w, h, 1, 1);
    adviseHugePages(image.data(), image.size() * sizeof(double));
}

std::vector<double> gaussTaps(int n, double sigma)
{
    const int r = (n - 1) / 2;
    std::vector<double> taps(size_t(2 * r + 1));
    double sum = 0.0;
    for (int i = -r; i <= r; ++i) {
        taps[size_t(i + r)] = std::exp(-double(i * i) / (2.0 * sigma * sigma));
        sum += taps[size_t(i + r)];
    }
    if (sum != 0.0)
        for (double &t : taps) t /= sum;
    return taps;
}

void separableFilter(const Image &in, const std::vector<double> &taps, Image &out)
{
    separableFilter(in, taps, out, simd::active());
}

void separableFilter(const Image &in, const std::vector<double> &taps, Image &out, simd::Path path)
{
    const int w = in.width(), h = in.height();
    allocate(out, w, h);
    if (in.is_empty()) return;
    const int r = int(taps.size()) / 2;
    if (r >= 1 && r <= kMaxFusedRadius && w > 2 * r) {
        filterFused(in, taps.data(), r, out, path);
        return;
    }
    const int m = 2 * r + 1;
    execution::parallelRows(h, [&](int begin, int end) {
        // A ring of the horizontally filtered rows the current output row needs.
        std::vector<double> ring(size_t(m) * size_t(w)), pad(size_t(w + 2 * r));
        auto slot = [&](int row) { return ring.data() + size_t(row % m) * size_t(w); };
        int next = std::max(0, begin - r);
        for (int y = begin; y < end; ++y) {
            for (const int last = std::min(h - 1, y + r); next <= last; ++next)
                filterRow(in.data(0, next), w, taps, pad.data(), slot(next));
            double *dst = out.data(0, y);
            const double *mid = slot(y);
            const double c = taps[size_t(r)];
            for (int x = 0; x < w; ++x) dst[x] = c * mid[x];
            for (int k = 1; k <= r; ++k) {
                const double t = taps[size_t(r + k)];
                const double *lo = slot(clampIndex(y - k, h)), *hi = slot(clampIndex(y + k, h));
                for (int x = 0; x < w; ++x) dst[x] += t * (lo[x] + hi[x]);
            }
        }
    });
}

void gaussFilter(const Image &in, int n, double sigma, Image &out)
{
    separableFilter(in, gaussTaps(n, sigma), out);
}

LinearAxis::LinearAxis(int n, int N) : index(size_t(N)), alpha(size_t(N), 0.0)
{
    if (n <= 1 || N == n) {
        for (int k = 0; k < N; ++k) index[size_t(k)] = n <= 1 ? 0 : k;
        return;
    }
    // The library's own recurrence, so the weights match it bit for bit.
    const double step = (n - 1.0) / (N - 1);
    double curr = 0.0, old = 0.0;
    unsigned int pos = 0;
    for (int k = 0; k < N; ++k) {
        alpha[size_t(k)] = curr - (unsigned int)curr;
        index[size_t(k)] = int(pos);
        old = curr;
        curr = std::min(n - 1.0, curr + step);
        pos += (unsigned int)curr - (unsigned int)old;
    }
}

LinearEnlarger::LinearEnlarger(const Image &in, int W, int H) : in_(in), ax_(in.width(), W), ay_(in.height(), H)
{
    rows_[0].resize(size_t(W));
    rows_[1].resize(size_t(W));
}

const double *LinearEnlarger::xRow(int sourceRow, int avoidSlot)
{
    for (int s = 0; s < 2; ++s)
        if (rowId_[s] == sourceRow) return rows_[s].data();
    const int s = avoidSlot == 0 ? 1 : (avoidSlot == 1 ? 0 : (rowId_[0] <= rowId_[1] ? 0 : 1));
    const double *src = in_.data(0, sourceRow);
    const int last = in_.width() - 1;
    double *dst = rows_[s].data();
    const size_t W = rows_[s].size();
    for (size_t x = 0; x < W; ++x) {
        const int i = ax_.index[x];
        const double a = ax_.alpha[x], v1 = src[i], v2 = i < last ? src[i + 1] : v1;
        dst[x] = (1 - a) * v1 + a * v2;
    }
    rowId_[s] = sourceRow;
    return dst;
}

void LinearEnlarger::row(int y, double *dst)
{
    const int iy = ay_.index[size_t(y)];
    const double a = ay_.alpha[size_t(y)];
    const double *r1 = xRow(iy, -1);
    const int slot1 = rowId_[0] == iy ? 0 : 1;
    const double *r2 = iy < in_.height() - 1 ? xRow(iy + 1, slot1) : r1;
    const size_t W = rows_[0].size();
    for (size_t x = 0; x < W; ++x) dst[x] = (1 - a) * r1[x] + a * r2[x];
}

void LinearEnlarger::coveringRow(int y, int width, std::vector<double> &dst)
{
    const int W = int(rows_[0].size()), H = int(ay_.index.size());
    dst.resize(size_t(std::max(width, W)));
    row(std::min(y, H - 1), dst.data());
    std::fill(dst.begin() + W, dst.end(), dst[size_t(W - 1)]);
}

void enlargeLinear(const Image &in, int W, int H, Image &out)
{
    allocate(out, W, H);
    execution::parallelRows(H, [&](int begin, int end) {
        LinearEnlarger up(in, W, H);
        for (int y = begin; y < end; ++y) up.row(y, out.data(0, y));
    });
}

void minMax(const Image &image, double &lo, double &hi)
{
    lo = hi = image.is_empty() ? 0.0 : image[0];
    if (image.is_empty()) return;
    // Per band: NaN never wins a < or > comparison, so seeding every band with the
    // infinities and the whole with the first value gives the sequential scan's answer.
    const size_t rowLen = size_t(image.width());
    const size_t rows = image.size() / rowLen;
    std::vector<double> bandLo(rows, std::numeric_limits<double>::infinity()),
        bandHi(rows, -std::numeric_limits<double>::infinity());
    execution::parallelRows(int(rows), [&](int begin, int end) {
        double l = std::numeric_limits<double>::infinity(), u = -l;
        for (int y = begin; y < end; ++y) {
            const double *p = image.data() + size_t(y) * rowLen;
            for (size_t x = 0; x < rowLen; ++x) {
                if (p[x] < l) l = p[x];
                if (p[x] > u) u = p[x];
            }
        }
        bandLo[size_t(begin)] = l;
        bandHi[size_t(begin)] = u;
    });
    for (size_t i = 0; i < rows; ++i) {
        if (bandLo[i] < lo) lo = bandLo[i];
        if (bandHi[i] > hi) hi = bandHi[i];
    }
}

void normalizeTo255(Image &image)
{
    if (image.is_empty()) return;
    double m, M;
    minMax(image, m, M);
    if (m == M) {
        image.fill(0.0);
        return;
    }
    const double range = M - m;
    const size_t rowLen = size_t(image.width());
    execution::parallelRows(int(image.size() / rowLen), [&](int begin, int end) {
        double *p = image.data() + size_t(begin) * rowLen;
        double *const stop = image.data() + size_t(end) * rowLen;
        for (; p < stop; ++p) *p = (*p - m) / range * 255.0;
    });
}

}  // namespace fast
