// The plain neighbourhood scan of flat erosion and dilation, written cell by cell as the
// operation is defined: the fast path in ops/morphology.cpp must give the same values.
#pragma once
#include <cfloat>

#include "ops/core/imagehelpers.h"

namespace reference {

inline Image morph(const Image &in, const Image &element, bool erode)
{
    Image out(in.width(), in.height(), 1, 1, 0.0);
    const int ox = element.width() / 2, oy = element.height() / 2;
    for (int x = 0; x < in.width(); ++x)
        for (int y = 0; y < in.height(); ++y) {
            double v = erode ? DBL_MAX : -DBL_MAX;
            for (int i = 0; i < element.width(); ++i)
                for (int j = 0; j < element.height(); ++j) {
                    const double cell = element(i, j);
                    if (!(cell > 0.0 || cell == -1.0)) continue;
                    const int xx = x + i - ox, yy = y + j - oy;
                    if (xx < 0 || yy < 0 || xx >= in.width() || yy >= in.height()) continue;
                    v = erode ? minOf(v, in(xx, yy)) : maxOf(v, in(xx, yy));
                }
            out(x, y) = v;
        }
    return out;
}

inline Image erode(const Image &in, const Image &element) { return morph(in, element, true); }
inline Image dilate(const Image &in, const Image &element) { return morph(in, element, false); }

}  // namespace reference
