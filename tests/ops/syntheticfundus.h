// A small synthetic fundus photograph with known truth: a bright disc on a black surround,
// an illumination slope, dark curved vessels 1 to 5 pixels wide, and noise. Shared by the
// classifier tests of the core, the command line and the window.
#pragma once
#include <cmath>
#include <random>

#include "ops/core/image.h"

namespace synth {

struct Fundus {
    Image image;  // gray levels, vessels dark
    Image truth;  // 255 on vessels
    Image fov;    // 255 inside the disc
};

inline Fundus fundus(int w, int h, unsigned seed, bool withSurround = true)
{
    Fundus f{Image(w, h, 1, 1, 0.0), Image(w, h, 1, 1, 0.0), Image(w, h, 1, 1, 0.0)};
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 4.0);
    const double cx = w / 2.0, cy = h / 2.0, radius = 0.46 * std::min(w, h);
    // Vessels: circular arcs around random centres, each of one width.
    struct Arc {
        double x, y, r, width;
    };
    std::vector<Arc> arcs;
    for (int k = 0; k < 9; ++k)
        arcs.push_back({u(rng) * w, u(rng) * h, 0.3 * w + u(rng) * w, 1.0 + (k % 5)});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inside = !withSurround || std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= radius;
            bool vessel = false;
            for (const Arc &a : arcs)
                vessel = vessel || std::abs(std::hypot(x + 0.5 - a.x, y + 0.5 - a.y) - a.r) < a.width / 2.0;
            const double background = 150.0 + 30.0 * double(x) / w;
            f.fov(x, y) = inside ? kWhite : 0.0;
            f.truth(x, y) = inside && vessel ? kWhite : 0.0;
            f.image(x, y) = inside ? std::clamp((vessel ? background - 60.0 : background) + noise(rng), 0.0, 255.0)
                                   : std::clamp(3.0 + noise(rng) * 0.5, 0.0, 255.0);
        }
    return f;
}

}  // namespace synth
