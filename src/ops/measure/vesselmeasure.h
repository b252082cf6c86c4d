// Vessel measurements from the skeleton of a binary segmentation: end points, branch
// points, segments and a skeleton length that counts diagonal steps as sqrt(2).
#pragma once
#include <vector>

#include "ops/core/image.h"
#include "ops/measure/statistics.h"

// Figures of a skeleton (pixels equal to 255 are skeleton, everything else background).
//
// Each skeleton pixel's crossing number is the count of background-to-skeleton changes met
// going once round its eight neighbours. A pixel with crossing number 1 is an end point;
// one with 3 or more is a junction pixel. Junction pixels are widened by their skeleton
// neighbours into junction regions, and each 8-connected junction region is one branch
// point, so the few junction pixels a thinned crossing leaves count once. Segments are
// the 8-connected pieces of the skeleton outside the junction regions, plus the end points
// that lie inside one (a spur shorter than two pixels); a closed ring is one segment, an
// isolated pixel too.
// stepLength joins 4-neighbours with 1 and diagonal neighbours with sqrt(2); a diagonal
// step is left out where one of the two pixels beside it is skeleton too, since the path
// then runs through that pixel already.
struct SkeletonMeasures {
    long long pixels = 0;
    long long endPoints = 0;
    long long branchPoints = 0;
    long long segments = 0;
    double stepLength = 0.0;
};
SkeletonMeasures skeletonMeasures(const Image &skeleton);

// One segment of a skeleton, traced: a piece between junction regions and end points, or a
// spur inside a junction region, or a closed ring. Pixels are image indices x + y * width.
// path runs along the piece from one end to the other (a ring: once round, from any pixel);
// side pixels of an unusual piece that branches inside itself are in pixels but not on path.
// startJoin and endJoin lead from the path's first and last pixel through the junction
// region to a junction pixel (empty at a free end), so lengths reach the branch point.
struct TracedSegment {
    std::vector<int> pixels, path, startJoin, endJoin;
    bool closed = false;
};
// The figures of skeletonMeasures and the segments they count, from one pass; segments.size()
// equals measures.segments.
struct SkeletonTrace {
    SkeletonMeasures measures;
    std::vector<TracedSegment> segments;
};
SkeletonTrace traceSkeleton(const Image &skeleton);

// Each pixel's part in the skeleton, by the same rules, for drawing: the skeleton's size,
// values kNotSkeleton, kSkeletonLine, kEndPoint or kJunctionPixel.
inline constexpr double kNotSkeleton = 0.0, kSkeletonLine = 1.0, kEndPoint = 2.0, kJunctionPixel = 3.0;
Image skeletonParts(const Image &skeleton);

// The binary report's figures and the skeleton figures of one segmentation, from one
// Zhang-Suen thinning. meanWidth = area / stepLength (0 when there is no skeleton).
// With a pixel size (mm per pixel, > 0) the lengths are also given in millimetres and the
// length density is the skeleton length in mm per mm^2 of the whole image.
struct VesselMeasures {
    BinaryStats basic{};
    SkeletonMeasures skeleton;
    double meanWidth = 0.0;
    double pixelSize = 0.0;  // 0: not given
    double lengthMm = 0.0, meanWidthMm = 0.0, lengthDensity = 0.0;
};
// Throws the library's argument exception for an empty image and std::invalid_argument
// for a pixel size that is negative or not finite.
VesselMeasures vesselMeasures(const Image &binary, double pixelSizeMm = 0.0);
// The same with zhangSuenThin(binary) already at hand.
VesselMeasures vesselMeasures(const Image &binary, const Image &skeleton, double pixelSizeMm = 0.0);
