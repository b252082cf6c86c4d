// The drawn test image of the segmentation benchmarks: bright curves of width 1 to 7 on a
// dark noisy background, like the peer script's vessel image.
#pragma once
#include <algorithm>
#include <cmath>
#include <random>

#include "ops/image.h"

inline Image vesselImage(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> turn(0.0, 0.04), noise(0.0, 25.0);
    Image img(w, h, 1, 1, 40.0);
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
                        img(px, py) = 190.0;
                }
        }
    }
    img.blur(1.5f);
    for (double &v : img) v += noise(rng);
    return img;
}
