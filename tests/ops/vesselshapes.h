// Binary (0/255) shapes whose vessel figures are known, shared by the morphometry tests and
// benchmark: bars, circular arcs, sine curves, boxes, the Sierpinski carpet, and a random
// network of curved vessels of several widths.
#pragma once
#include <cmath>
#include <functional>
#include <random>

#include "ops/core/image.h"

namespace shapes {

inline const double kPi = 3.14159265358979323846;

// White where inside(x, y) holds for the pixel centre.
inline Image paint(int w, int h, const std::function<bool(double, double)> &inside)
{
    Image img(w, h, 1, 1, 0.0);
    cimg_forXY(img, x, y) if (inside(x, y)) img(x, y) = kWhite;
    return img;
}

// A bar `width` pixels wide and `length` long between the centres of its round ends (square
// corners would thin into short hooks), through the image centre at `degrees`. The image is
// about `size` pixels, odd for an odd width, so the bar lies symmetric on the pixel grid.
inline Image bar(int size, int width, int length, double degrees)
{
    size += (size + width) % 2;
    const double a = degrees * kPi / 180.0, c = std::cos(a), s = std::sin(a), m = (size - 1) / 2.0;
    return paint(size, size, [=](double x, double y) {
        const double along = (x - m) * c + (y - m) * s, across = -(x - m) * s + (y - m) * c;
        return std::hypot(std::max(0.0, std::abs(along) - length / 2.0), across) < width / 2.0;
    });
}

// A ring sector of centre radius r and thickness t from angle a0 to a1 (degrees).
inline Image arc(int size, double r, double t, double a0, double a1)
{
    const double m = (size - 1) / 2.0;
    return paint(size, size, [=](double x, double y) {
        const double d = std::hypot(x - m, y - m);
        double a = std::atan2(y - m, x - m) * 180.0 / kPi;
        if (a < 0) a += 360.0;
        return std::abs(d - r) <= t / 2.0 && a >= a0 && a <= a1;
    });
}

// y = h / 2 + amplitude * sin(2 pi x / period), thickness t, for x in [margin, w - margin].
inline double sineY(double x, int h, double amplitude, double period) { return h / 2.0 + amplitude * std::sin(2 * kPi * x / period); }
inline Image sine(int w, int h, double amplitude, double period, double t, int margin)
{
    Image img(w, h, 1, 1, 0.0);
    for (double x = margin; x <= w - margin; x += 0.05) {
        const double y = sineY(x, h, amplitude, period);
        img.draw_circle(int(std::lround(x)), int(std::lround(y)), int(t / 2), &kWhite);
    }
    return img;
}

// Arc length of the sine curve between x0 and x1 (Simpson's rule).
inline double sineLength(double x0, double x1, double amplitude, double period)
{
    const int n = 20000;
    const double step = (x1 - x0) / n;
    double sum = 0.0;
    for (int i = 0; i <= n; ++i) {
        const double slope = amplitude * 2 * kPi / period * std::cos(2 * kPi * (x0 + i * step) / period);
        sum += (i == 0 || i == n ? 1 : i % 2 ? 4 : 2) * std::sqrt(1 + slope * slope);
    }
    return sum * step / 3.0;
}

// The Sierpinski carpet of 3^level pixels a side.
inline Image carpet(int level)
{
    const int n = int(std::pow(3, level));
    return paint(n, n, [](double fx, double fy) {
        for (int x = int(fx), y = int(fy); x > 0 || y > 0; x /= 3, y /= 3)
            if (x % 3 == 1 && y % 3 == 1) return false;
        return true;
    });
}

// Curved vessels 1 to 11 pixels wide, wandering from random starts, like a segmented fundus.
inline Image vesselNetwork(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> turn(0.0, 0.05);
    Image img(w, h, 1, 1, 0.0);
    const int vessels = int(60.0 * w * h / (1024.0 * 1024.0));
    for (int v = 0; v < vessels; ++v) {
        double x = u(rng) * w, y = u(rng) * h, angle = u(rng) * 2 * kPi, bend = 0.0;
        const int radius = int(u(rng) * 6.0);
        for (int s = 0; s < 400; ++s) {
            bend = 0.9 * bend + turn(rng);
            angle += bend;
            x += 2.0 * std::cos(angle);
            y += 2.0 * std::sin(angle);
            img.draw_circle(int(x), int(y), radius, &kWhite);
        }
    }
    return img;
}

}  // namespace shapes
