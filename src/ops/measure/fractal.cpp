#include "ops/measure/fractal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <stdexcept>

#include "ops/core/execution.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Least-squares slope of y against x.
double slope(const std::vector<double> &x, const std::vector<double> &y)
{
    const double n = double(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

// Summed-area table with a zero first row and column: (w + 1) x (h + 1).
std::vector<uint32_t> summedArea(const Image &img, bool (*inside)(double))
{
    const int w = img.width(), h = img.height();
    std::vector<uint32_t> sat(size_t(w + 1) * size_t(h + 1), 0);
    for (int y = 0; y < h; ++y) {
        uint32_t rowSum = 0;
        const double *src = img.data(0, y);
        uint32_t *above = sat.data() + size_t(y) * size_t(w + 1), *row = above + (w + 1);
        for (int x = 0; x < w; ++x) {
            rowSum += inside(src[x]) ? 1u : 0u;
            row[x + 1] = above[x + 1] + rowSum;
        }
    }
    return sat;
}

}  // namespace

FractalFit boxCountingDimension(const Image &binary)
{
    FractalFit fit;
    fit.dimension = kNaN;
    const int w = binary.width(), h = binary.height();
    if (std::min(w, h) < 16) return fit;
    // Occupancy of the boxes of side s, halved in each direction per level.
    int lw = w, lh = h;
    std::vector<uint8_t> level(size_t(w) * size_t(h));
    for (size_t i = 0; i < level.size(); ++i) level[i] = binary[i] == kWhite;
    std::vector<double> logInverseSide, logCount;
    for (int s = 2; s <= std::min(w, h) / 4; s *= 2) {
        const int nw = (lw + 1) / 2, nh = (lh + 1) / 2;
        std::vector<uint8_t> next(size_t(nw) * size_t(nh), 0);
        for (int y = 0; y < lh; ++y)
            for (int x = 0; x < lw; ++x)
                if (level[size_t(y) * size_t(lw) + size_t(x)]) next[size_t(y / 2) * size_t(nw) + size_t(x / 2)] = 1;
        // A box reaching past the image's right or bottom edge counts with the share of it
        // that lies inside, so the edge does not add boxes that an object of the image's
        // size would not fill (a filled image counts exactly w * h / s^2).
        const double lastColumn = double(w - (nw - 1) * s) / s, lastRow = double(h - (nh - 1) * s) / s;
        double count = 0.0;
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < nw; ++x)
                if (next[size_t(y) * size_t(nw) + size_t(x)])
                    count += (x == nw - 1 ? lastColumn : 1.0) * (y == nh - 1 ? lastRow : 1.0);
        if (count == 0.0) return fit;
        logInverseSide.push_back(-std::log(double(s)));
        logCount.push_back(std::log(count));
        if (!fit.smallestBox) fit.smallestBox = s;
        fit.largestBox = s;
        level.swap(next);
        lw = nw;
        lh = nh;
    }
    if (logCount.size() >= 2) fit.dimension = slope(logInverseSide, logCount);
    return fit;
}

Lacunarity glidingBoxLacunarity(const Image &binary, const Image *mask)
{
    Lacunarity result;
    result.value = kNaN;
    const int w = binary.width(), h = binary.height();
    if (mask && (mask->width() != w || mask->height() != h))
        throw std::invalid_argument("lacunarity: the mask must have the size of the image");
    const std::vector<uint32_t> mass = summedArea(binary, [](double v) { return v == kWhite; });
    std::vector<uint32_t> region;
    if (mask) region = summedArea(*mask, [](double v) { return v >= 128.0; });
    const auto boxSum = [w](const std::vector<uint32_t> &sat, int x, int y, int r) {
        const size_t stride = size_t(w + 1);
        const size_t top = size_t(y) * stride, bottom = size_t(y + r) * stride;
        return sat[bottom + size_t(x + r)] - sat[bottom + size_t(x)] - sat[top + size_t(x + r)] + sat[top + size_t(x)];
    };
    double sum = 0.0;
    int used = 0;
    for (int r = 2; r <= 64 && r <= std::min(w, h) / 2; r *= 2) {
        if (!result.smallestBox) result.smallestBox = r;
        result.largestBox = r;
        // Integer sums are exact, so the result does not depend on how rows are shared out.
        long long positions = 0, m1 = 0, m2 = 0;
        std::mutex lock;
        execution::parallelRows(h - r + 1, [&](int y0, int y1) {
            long long p = 0, s1 = 0, s2 = 0;
            const uint32_t full = uint32_t(r) * uint32_t(r);
            for (int y = y0; y < y1; ++y)
                for (int x = 0; x + r <= w; ++x) {
                    if (mask && boxSum(region, x, y, r) != full) continue;
                    const long long m = boxSum(mass, x, y, r);
                    ++p;
                    s1 += m;
                    s2 += m * m;
                }
            const std::lock_guard<std::mutex> guard(lock);
            positions += p;
            m1 += s1;
            m2 += s2;
        });
        double lambda = kNaN;
        if (positions > 0 && m1 > 0) lambda = double(positions) * double(m2) / (double(m1) * double(m1));
        result.perSide.push_back(lambda);
        if (!std::isnan(lambda)) {
            sum += lambda;
            ++used;
        }
    }
    if (used > 0) result.value = sum / double(used);
    return result;
}
