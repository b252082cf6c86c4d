#include "ops/morphology/distancemap.h"

#include <algorithm>

#include "ops/core/execution.h"

namespace {

// Floor division for the parabola intersections (the numerator may be negative).
long long floorDiv(long long a, long long b)
{
    const long long q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

}  // namespace

std::vector<uint32_t> squaredDistanceToBackground(const Image &binary)
{
    const int w = binary.width(), h = binary.height();
    const size_t n = size_t(w) * size_t(h);
    std::vector<uint32_t> out(n, 0);
    if (n == 0) return out;
    // Vertical distance to the nearest background pixel of the same column; "infinite" is
    // w + h, larger than any real one, so its squares stay comparable without overflow.
    const long long infinite = (long long)w + h;
    std::vector<int> g(n);
    const double *v = binary.data();
    // Columns in bands of x, each band walking down and then up the rows (memory order).
    execution::parallelRows(w, [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x) g[size_t(x)] = v[x] == kWhite ? int(infinite) : 0;
        for (int y = 1; y < h; ++y) {
            const size_t row = size_t(y) * size_t(w);
            for (int x = x0; x < x1; ++x)
                g[row + size_t(x)] = v[row + size_t(x)] == kWhite ? std::min(int(infinite), g[row - size_t(w) + size_t(x)] + 1) : 0;
        }
        for (int y = h - 2; y >= 0; --y) {
            const size_t row = size_t(y) * size_t(w);
            for (int x = x0; x < x1; ++x)
                g[row + size_t(x)] = std::min(g[row + size_t(x)], g[row + size_t(w) + size_t(x)] + 1);
        }
    });
    // Each row: the lower envelope of the parabolas (x - i)^2 + g(i)^2.
    execution::parallelRows(h, [&](int y0, int y1) {
        std::vector<int> s(static_cast<size_t>(w)), t(static_cast<size_t>(w));
        for (int y = y0; y < y1; ++y) {
            const int *gr = g.data() + size_t(y) * size_t(w);
            const auto f = [&](long long x, long long i) { return (x - i) * (x - i) + (long long)gr[i] * gr[i]; };
            int q = 0;
            s[0] = t[0] = 0;
            for (int u = 1; u < w; ++u) {
                while (q >= 0 && f(t[size_t(q)], s[size_t(q)]) > f(t[size_t(q)], u)) --q;
                if (q < 0) {
                    q = 0;
                    s[0] = u;
                } else {
                    const long long i = s[size_t(q)];
                    const long long sep = floorDiv((long long)u * u - i * i + (long long)gr[u] * gr[u] - (long long)gr[i] * gr[i],
                                                   2 * (u - i));
                    const long long next = 1 + sep;
                    if (next < w) {
                        ++q;
                        s[size_t(q)] = u;
                        t[size_t(q)] = int(next);
                    }
                }
            }
            uint32_t *dst = out.data() + size_t(y) * size_t(w);
            for (int u = w - 1; u >= 0; --u) {
                const long long d = f(u, s[size_t(q)]);
                dst[u] = d >= infinite * infinite ? kNoBackground : uint32_t(d);
                if (u == t[size_t(q)]) --q;
            }
        }
    });
    return out;
}
