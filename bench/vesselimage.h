// The drawn test images of the benchmarks: random winding curves of width 1 to 7 like the
// peer script's vessels, as a gray picture (bright curves on a dark noisy background) or as
// a white-on-black mask.
#pragma once
#include <algorithm>
#include <cmath>
#include <random>

#include "ops/core/image.h"

// Draws the curves in value over img; the number and length of the curves grow with the
// image's larger side.
inline void drawVesselCurves(Image &img, std::mt19937 &rng, double value)
{
    const int w = img.width(), h = img.height();
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> turn(0.0, 0.04);
    const int curves = int(40.0 * std::max(w, h) / 1024.0);
    for (int c = 0; c < curves; ++c) {
        double x = u(rng) * w, y = u(rng) * h, angle = u(rng) * 6.283185307179586, dAngle = 0.0;
        const int radius = int(u(rng) * 4.0);
        for (int s = 0; s < 300 * std::max(w, h) / 1024; ++s) {
            dAngle = 0.9 * dAngle + turn(rng);
            angle += dAngle;
            x += 3.0 * std::cos(angle);
            y += 3.0 * std::sin(angle);
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int px = int(x) + dx, py = int(y) + dy;
                    if (dx * dx + dy * dy <= radius * radius && px >= 0 && py >= 0 && px < w && py < h)
                        img(px, py) = value;
                }
        }
    }
}

inline Image vesselImage(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    Image img(w, h, 1, 1, 40.0);
    drawVesselCurves(img, rng, 190.0);
    img.blur(1.5f);
    std::normal_distribution<double> noise(0.0, 25.0);
    for (double &v : img) v += noise(rng);
    return img;
}
