// The pass-by-pass growing that hysteresis thresholding and the fuzzy refinement describe,
// and the images that make it slow: random fields, one-pixel spirals and combs.
#pragma once
#include <QString>
#include <algorithm>
#include <random>

#include "ops/segmentation/growing.h"

namespace reference {

// Repeated passes over the candidates in row order: a candidate with a seed among its
// eight neighbours inside the grid becomes a seed at once (later candidates of the same
// pass see it) and leaves the list; stop after a pass that added nothing.
inline GrowState passGrow(GrowState s, int w, int h)
{
    std::vector<int> candidates;
    for (int i = 0; i < w * h; ++i)
        if (s[i] == kGrowCandidate) candidates.push_back(i);
    for (bool added = true; added;) {
        added = false;
        std::vector<int> rest;
        for (const int p : candidates) {
            const int x = p % w, y = p / w;
            bool touch = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if ((dx || dy) && nx >= 0 && ny >= 0 && nx < w && ny < h && s[nx + ny * w] == kGrowSeed)
                        touch = true;
                }
            if (touch) {
                s[p] = kGrowSeed;
                added = true;
            } else {
                rest.push_back(p);
            }
        }
        candidates.swap(rest);
    }
    return s;
}

// A growing state of the named shape on a w x h grid:
//   "random": candidates with probability 0.45, seeds with 0.01;
//   "spiral": a square spiral of candidates one pixel wide with one-pixel gaps between
//             its turns, seeded at its innermost end, so growth runs against the rows;
//   "comb":   teeth of candidates hanging from the bottom row, seeded at the top of the
//             last tooth.
inline GrowState shape(const QString &name, int w, int h, unsigned seed)
{
    GrowState s(size_t(w) * h, kGrowBlocked);
    auto at = [&](int x, int y) -> uint8_t & { return s[size_t(x) + size_t(y) * w]; };
    if (name == "random") {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        for (uint8_t &v : s) {
            const double r = u(rng);
            v = r < 0.01 ? kGrowSeed : (r < 0.46 ? kGrowCandidate : kGrowBlocked);
        }
    } else if (name == "spiral") {
        int endX = 0, endY = 0;
        for (int k = 0;; ++k) {
            const int x0 = 2 * k, y0 = 2 * k, x1 = w - 1 - 2 * k, y1 = h - 1 - 2 * k;
            if (x0 > x1 || y0 > y1) break;
            for (int x = x0; x <= x1; ++x) at(x, y0) = at(x, y1) = kGrowCandidate;
            for (int y = y0; y <= y1; ++y) at(x1, y) = kGrowCandidate;
            for (int y = y1; y >= y0 + 2; --y) at(x0, y) = kGrowCandidate;
            endX = x0;
            endY = std::min(y0 + 2, y1);
            // The step into the next turn.
            if (x0 + 2 <= x1 - 2 && y0 + 2 <= y1 - 2) at(x0 + 1, y0 + 2) = kGrowCandidate;
        }
        at(endX, endY) = kGrowSeed;
    } else {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; x += 2) at(x, y) = kGrowCandidate;
        for (int x = 0; x < w; ++x) at(x, h - 1) = kGrowCandidate;
        at((w - 1) / 2 * 2, 0) = kGrowSeed;
    }
    return s;
}

}  // namespace reference
