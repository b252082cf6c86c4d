// Plain full-scan versions of the two thinning algorithms, written step by step as they are
// defined (marker 120, mask images); the fast versions in ops/thinning.cpp must match them.
#pragma once
#include <cmath>

#include "ops/core/imagehelpers.h"

namespace reference {

inline int setAt(const Image &w, int x, int y)
{
    const double v = std::trunc(w(x, y));
    return (v != 0.0 && !std::isnan(v)) ? 1 : 0;
}

inline Image zhangSuen(const Image &input)
{
    Image w(input);
    for (;;) {
        int marked = 0;
        for (int sub = 0; sub < 2; ++sub) {
            auto visit = [&](int x, int y) {
                if (w(x, y) != 255.0) return;
                const int p[10] = {0, 0, setAt(w, x - 1, y), setAt(w, x - 1, y + 1), setAt(w, x, y + 1),
                                   setAt(w, x + 1, y + 1), setAt(w, x + 1, y), setAt(w, x + 1, y - 1),
                                   setAt(w, x, y - 1), setAt(w, x - 1, y - 1)};
                int b = 0, a = 0;
                for (int k = 2; k <= 9; ++k) {
                    b += p[k];
                    if (p[k] == 0 && p[k == 9 ? 2 : k + 1] == 1) ++a;
                }
                const bool c3 = sub == 0 ? p[2] * p[4] * p[6] == 0 : p[2] * p[4] * p[8] == 0;
                const bool c4 = sub == 0 ? p[4] * p[6] * p[8] == 0 : p[2] * p[6] * p[8] == 0;
                if (b >= 3 && b <= 6 && a == 1 && c3 && c4) {
                    w(x, y) = 120.0;
                    ++marked;
                }
            };
            if (sub == 0) {
                for (int x = 1; x <= w.width() - 2; ++x)
                    for (int y = 1; y <= w.height() - 2; ++y) visit(x, y);
            } else {
                for (int x = w.width() - 2; x >= 1; --x)
                    for (int y = w.height() - 2; y >= 1; --y) visit(x, y);
            }
            for (double &v : w)
                if (v == 120.0) v = 0.0;
        }
        if (marked == 0) return w;
    }
}

inline Image skeleton(const Image &input, int *cycles = nullptr)
{
    static const int templates[8][9] = {
        {0, 0, 0, -1, 255, -1, 255, 255, 255},  {-1, 0, 0, 255, 255, 0, 255, 255, -1},
        {255, -1, 0, 255, 255, 0, 255, -1, 0},  {255, 255, -1, 255, 255, 0, -1, 0, 0},
        {255, 255, 255, -1, 255, -1, 0, 0, 0},  {-1, 255, 255, 0, 255, 255, 0, 0, -1},
        {0, -1, 255, 0, 255, 255, 0, -1, 255},  {0, 0, -1, 0, 255, 255, -1, 255, 255},
    };
    Image w(input);
    normalizeTo255(w);
    int n = 0;
    for (;;) {
        ++n;
        int matches = 0;
        for (const auto &t : templates) {
            Image mask(w.width(), w.height(), 1, 1, 0.0);
            for (int y = 0; y < w.height(); ++y)
                for (int x = 0; x < w.width(); ++x) {
                    bool match = true;
                    for (int j = 0; j < 3 && match; ++j)
                        for (int i = 0; i < 3 && match; ++i) {
                            const int xx = x + i - 1, yy = y + j - 1;
                            if (xx < 0 || yy < 0 || xx >= w.width() || yy >= w.height()) continue;
                            const int want = t[j * 3 + i];
                            match = want == -1 || w(xx, yy) == double(want);
                        }
                    if (match) {
                        mask(x, y) = 255.0;
                        ++matches;
                    }
                }
            w -= mask;
        }
        if (matches == 0) break;
    }
    if (cycles) *cycles = n;
    return w;
}

}  // namespace reference
