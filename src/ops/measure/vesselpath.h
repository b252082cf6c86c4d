// The centre line of one vessel between two points of a segmentation: a minimal-cost path
// that prefers the middle of the vessel, smoothed and resampled at even arc length.
#pragma once
#include <QString>
#include <vector>

#include "ops/core/image.h"

struct PathPoint {
    double x = 0.0, y = 0.0;
};

// A point off the vessel closer than this (in pixels) to a vessel pixel is moved onto the
// nearest one: a click beside a thin vessel still means that vessel.
inline constexpr double kSnapDistance = 3.0;

// The result of a path search. On success `pixels` holds the 8-connected pixel chain from
// the proximal to the distal point (each pixel's index x + y * width) and `error` is empty;
// otherwise `error` says in plain words why there is no path.
struct VesselPath {
    std::vector<int> pixels;
    int width = 0;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The path through the white pixels (255) of `segmentation` from `from` to `to` (pixel
// coordinates) of least summed cost, where a step costs its length (1 or sqrt 2) times the
// mean of its two pixels' cost 1 / d^2, d being the pixel's distance to the background:
// the path keeps to the vessel's middle and takes narrowings only where the vessel has them.
// Dijkstra's algorithm with 8-connected steps. Refuses an empty segmentation, a point outside
// the image, a point more than kSnapDistance from the vessel (saying how far the nearest
// vessel pixel is), and two points on vessels that do not connect.
VesselPath findVesselPath(const Image &segmentation, PathPoint from, PathPoint to);

// The chain's pixel centres smoothed along its length (a Gaussian of `smoothing` pixels of
// arc length, the two ends kept) and resampled every `step` pixels of arc length, the first
// point at the proximal end. Smoothing takes the staircase out of the pixel chain so the
// normals across the vessel are true.
std::vector<PathPoint> centreLine(const VesselPath &path, double step = 0.5, double smoothing = 2.0);

// The length of a polyline.
double polylineLength(const std::vector<PathPoint> &line);
