// Synthetic angiograms with known narrowings: a contrast-filled round vessel seen in
// projection (darkness proportional to the path length of the X-rays through it), blurred
// like an X-ray system and with noise, and the binary segmentation a segmenter would give.
#pragma once
#include <cmath>
#include <random>

#include "ops/core/image.h"
#include "ops/measure/vesselpath.h"

namespace phantoms {

inline constexpr double kMmPerPixel = 0.2;
inline constexpr double kBackground = 200.0;
inline constexpr double kDarknessPerPixel = 6.0;  // gray levels per pixel of contrast path

struct Tube {
    double diameterMm = 3.0;
    double stenosis = 0.5;      // fraction of the diameter narrowed at the lesion's middle
    bool curved = false;        // an arc of a circle instead of a straight line
    bool eccentric = false;     // the lumen keeps to one wall instead of narrowing evenly
    double blurPixels = 1.0;    // Gaussian sigma of the system's blur
    double noise = 1.5;         // Gaussian noise, gray levels
    unsigned seed = 1;
    // The segmentation a global threshold gives (half the healthy vessel's contrast) instead
    // of the lumen's pixels: tight narrowings come out too thin, as from a real segmenter.
    bool thresholded = false;
};

struct Angiogram {
    Image image, segmentation;
    PathPoint from, to;
    double mldMm = 0.0;
};

// The tube's geometry: its centre line runs along arc length s from 0 to length (a straight
// line, or an arc over 0.8 pi of a circle); the lesion is a cosine-shaped narrowing three
// diameters long (at least 3 mm) in the middle.
struct Geometry {
    static constexpr double kPi = 3.14159265358979323846;
    Tube tube;
    double d0 = 0, length = 0, lesion = 0, radius = 0, cx = 0, cy = 0;
    int width = 0, height = 0;
    explicit Geometry(const Tube &t) : tube(t)
    {
        d0 = t.diameterMm / kMmPerPixel;
        lesion = std::max(3.0 * d0, 3.0 / kMmPerPixel);
        length = lesion + 6.0 * d0 + 20.0;
        radius = length / (0.8 * kPi);
        width = int(t.curved ? 2 * radius + 2 * d0 + 20 : length + 20);
        // Off the pixel lattice, so that no edge falls exactly between two pixel centres.
        cx = width / 2.0 + 0.3, cy = radius + d0 + 10.3;
        height = int(t.curved ? cy - 0.3 * radius + d0 + 10 : 2 * d0 + 30);
    }
    double diameter(double s) const
    {
        const double u = (s - length / 2) / (lesion / 2);
        return std::abs(u) >= 1 ? d0 : d0 * (1 - tube.stenosis * 0.5 * (1 + std::cos(kPi * u)));
    }
    // Where the lumen's axis lies across the centre line: an eccentric lumen keeps one wall.
    double offset(double s) const { return tube.eccentric ? (d0 - diameter(s)) / 2 : 0.0; }
    // Arc length along, and signed distance across, the centre line of a point.
    std::pair<double, double> along(double x, double y) const
    {
        if (!tube.curved) return {x - 10.0, y - height / 2.0 - 0.3};
        return {(0.9 * kPi - std::atan2(cy - y, x - cx)) * radius, std::hypot(x - cx, y - cy) - radius};
    }
    // The point at arc length s, n across the centre line.
    PathPoint at(double s, double n = 0.0) const
    {
        if (!tube.curved) return {10.0 + s, height / 2.0 + 0.3 + n};
        const double a = 0.9 * kPi - s / radius;
        return {cx + (radius + n) * std::cos(a), cy - (radius + n) * std::sin(a)};
    }
    // X-ray path length through the lumen at a point.
    double thickness(double x, double y) const
    {
        const auto [s, n] = along(x, y);
        if (s < 0 || s > length) return 0.0;
        const double r = diameter(s) / 2, q = r * r - (n - offset(s)) * (n - offset(s));
        return q > 0 ? 2 * std::sqrt(q) : 0.0;
    }
};

// A segmenter keeps even the tightest narrowing connected: the lumen's axis is vessel.
inline void connectAxis(Image &segmentation, const Geometry &g)
{
    for (double s = 0; s <= g.length; s += 0.25) {
        const PathPoint c = g.at(s, g.offset(s));
        const int x = int(std::lround(c.x)), y = int(std::lround(c.y));
        if (x >= 0 && y >= 0 && x < g.width && y < g.height) segmentation(x, y) = kWhite;
    }
}

inline Angiogram make(const Tube &tube)
{
    const Geometry g(tube);
    Angiogram a;
    a.image.assign(g.width, g.height, 1, 1, 0.0);
    a.segmentation.assign(g.width, g.height, 1, 1, 0.0);
    const int sub = 4;
    cimg_forXY(a.image, x, y) {
        double path = 0, inside = 0;
        for (int j = 0; j < sub; ++j)
            for (int i = 0; i < sub; ++i) {
                const double t = g.thickness(x - 0.5 + (i + 0.5) / sub, y - 0.5 + (j + 0.5) / sub);
                path += t, inside += t > 0;
            }
        a.image(x, y) = kBackground - kDarknessPerPixel * path / (sub * sub);
        if (inside * 2 >= sub * sub) a.segmentation(x, y) = kWhite;
    }
    connectAxis(a.segmentation, g);
    a.image.blur(float(tube.blurPixels), float(tube.blurPixels), 0, true, true);
    std::mt19937 rng(tube.seed);
    std::normal_distribution<double> noise(0.0, tube.noise);
    cimg_for(a.image, v, double) *v += noise(rng);
    if (tube.thresholded) {
        cimg_forXY(a.image, x, y) a.segmentation(x, y) = kBackground - a.image(x, y) > kDarknessPerPixel * g.d0 / 2 ? kWhite : 0.0;
        connectAxis(a.segmentation, g);
    }
    a.from = g.at(g.d0);
    a.to = g.at(g.length - g.d0);
    a.mldMm = g.diameter(g.length / 2) * kMmPerPixel;
    return a;
}

}  // namespace phantoms
