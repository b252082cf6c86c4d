#include "ops/measure/morphometry.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "ops/morphology/distancemap.h"
#include "ops/core/execution.h"
#include "ops/core/imagehelpers.h"
#include "ops/morphology/thinning.h"
#include "ops/measure/vesselmeasure.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every 6th centreline pixel carries the polyline whose length estimates the curve's: long
// enough to smooth out the staircase of a digital line, short enough to follow a bend.
constexpr size_t kPolylineStride = 6;

void requireSameSize(const Image *other, const Image &segmentation, const char *what)
{
    if (other && (other->width() != segmentation.width() || other->height() != segmentation.height()))
        throw std::invalid_argument(QString("vessel morphometry: the %1 is %2 x %3 pixels, the segmentation %4 x %5")
                                        .arg(what)
                                        .arg(other->width())
                                        .arg(other->height())
                                        .arg(segmentation.width())
                                        .arg(segmentation.height())
                                        .toStdString());
}

void checkOptions(const Image &segmentation, const MorphometryOptions &o)
{
    requireNonEmpty(segmentation);
    requireSameSize(o.gray, segmentation, "gray picture");
    requireSameSize(o.mask, segmentation, "mask");
    requireSameSize(o.skeleton, segmentation, "skeleton");
    if (!(o.pixelSize >= 0.0) || !std::isfinite(o.pixelSize))
        throw std::invalid_argument(
            QString("vessel morphometry: the pixel size must be a positive number, not %1").arg(o.pixelSize).toStdString());
    for (size_t i = 0; i < o.diameterClasses.size(); ++i) {
        const double b = o.diameterClasses[i];
        if (!(b > 0.0) || !std::isfinite(b) || (i > 0 && !(b > o.diameterClasses[i - 1])))
            throw std::invalid_argument("vessel morphometry: the diameter class bounds must be positive and ascending");
    }
}

struct Point {
    double x, y;
};
double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The segment's points from one end to the other: the join into the first junction (walked
// backwards), the centreline, the join into the last junction.
std::vector<Point> segmentPoints(const TracedSegment &s, int width)
{
    std::vector<Point> points;
    const auto add = [&](int i) { points.push_back({double(i % width), double(i / width)}); };
    for (auto it = s.startJoin.rbegin(); it != s.startJoin.rend(); ++it) add(*it);
    for (const int i : s.path) add(i);
    for (const int i : s.endJoin) add(i);
    if (s.closed) points.push_back(points.front());  // once round, back to the start
    return points;
}

double polylineLength(const std::vector<Point> &p)
{
    double length = 0.0;
    size_t last = 0;
    for (size_t i = kPolylineStride; i < p.size(); i += kPolylineStride) {
        length += distance(p[last], p[i]);
        last = i;
    }
    if (last + 1 < p.size()) length += distance(p[last], p.back());
    return length;
}

double stepLength(const std::vector<Point> &p)
{
    double length = 0.0;
    for (size_t i = 1; i < p.size(); ++i) length += distance(p[i - 1], p[i]);
    return length;
}

// Diameters along the centreline, from the distance map of the vessels.
class DiameterReader {
public:
    DiameterReader(const Image &vessels, const Image &skeleton, std::vector<uint32_t> squared)
        : vessels_(vessels), skeleton_(skeleton), squared_(std::move(squared))
    {
    }
    unsigned squared(int i) const { return squared_[size_t(i)]; }
    // The diameter at path pixel i whose squared distance is taken as d: a neighbour off the
    // centreline as far from the background as the pixel itself means a two-pixel ridge.
    double at(int i, unsigned d) const
    {
        const int w = vessels_.width(), h = vessels_.height(), x = i % w, y = i / w;
        bool ridge = false;
        for (int dy = -1; dy <= 1 && !ridge; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if ((!dx && !dy) || nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                if (skeleton_(nx, ny) == kWhite || vessels_(nx, ny) != kWhite) continue;
                if (squared_[size_t(nx) + size_t(ny) * size_t(w)] >= d) {
                    ridge = true;
                    break;
                }
            }
        return centrelineDiameter(d, ridge);
    }

private:
    const Image &vessels_, &skeleton_;
    std::vector<uint32_t> squared_;
};

// The diameters read along a segment's path. A staircase corner of the centreline lies off
// the middle, so each pixel takes the largest distance among itself and its two path
// neighbours. Near a free end or a junction the nearest background is the vessel's tip or
// the other vessels, not its walls: a pixel closer to an end (along the path) than to the
// background is left out, unless that leaves nothing.
std::vector<double> pathDiameters(const TracedSegment &s, const DiameterReader &reader, const std::vector<Point> &points)
{
    const size_t n = s.path.size(), joinBefore = s.startJoin.size();
    std::vector<unsigned> squared(n);
    for (size_t k = 0; k < n; ++k) {
        unsigned d = reader.squared(s.path[k]);
        if (k > 0) d = std::max(d, reader.squared(s.path[k - 1]));
        if (k + 1 < n) d = std::max(d, reader.squared(s.path[k + 1]));
        squared[k] = d;
    }
    // Distance along the segment from its first point to each point.
    std::vector<double> along(points.size(), 0.0);
    for (size_t k = 1; k < points.size(); ++k) along[k] = along[k - 1] + distance(points[k - 1], points[k]);
    const double total = s.closed ? 0.0 : along.back();
    std::vector<double> all, inner;
    for (size_t k = 0; k < n; ++k) {
        const double d = reader.at(s.path[k], squared[k]);
        if (std::isnan(d)) continue;
        all.push_back(d);
        const double a = along[joinBefore + k];
        if (s.closed || std::min(a, total - a) >= std::sqrt(double(squared[k]))) inner.push_back(d);
    }
    return inner.empty() ? all : inner;
}

SegmentFigures segmentFigures(const TracedSegment &s, int width, const DiameterReader &reader, const Image *gray,
                              std::vector<double> &diametersRead)
{
    SegmentFigures f;
    const std::vector<Point> points = segmentPoints(s, width);
    f.x0 = int(points.front().x);
    f.y0 = int(points.front().y);
    f.x1 = int(points.back().x);
    f.y1 = int(points.back().y);
    f.closed = s.closed;
    f.pixels = int(s.pixels.size());
    f.pixelIndices = s.pixels;
    f.stepLength = stepLength(points);
    f.length = polylineLength(points);
    f.chord = distance(points.front(), points.back());
    f.tortuosity = f.chord > 0.0 ? f.length / f.chord : kNaN;
    const std::vector<double> diameters = pathDiameters(s, reader, points);
    f.meanDiameter = f.minDiameter = f.maxDiameter = kNaN;
    if (!diameters.empty()) {
        double sum = 0.0;
        for (const double d : diameters) sum += d;
        f.meanDiameter = sum / double(diameters.size());
        f.minDiameter = *std::min_element(diameters.begin(), diameters.end());
        f.maxDiameter = *std::max_element(diameters.begin(), diameters.end());
    }
    diametersRead.insert(diametersRead.end(), diameters.begin(), diameters.end());
    double graySum = 0.0;
    if (gray)
        for (const int i : s.path) graySum += (*gray)[size_t(i)];
    f.meanGray = gray ? graySum / double(s.path.size()) : kNaN;
    return f;
}

double median(std::vector<double> v)
{
    if (v.empty()) return kNaN;
    const size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(mid), v.end());
    const double upper = v[mid];
    if (v.size() % 2) return upper;
    const double lower = *std::max_element(v.begin(), v.begin() + std::ptrdiff_t(mid));
    return (lower + upper) / 2.0;
}

// Network-wide diameter figures over every diameter read along the segments.
void diameterFigures(Morphometry &m, const std::vector<double> &all, const MorphometryOptions &o)
{
    double sum = 0.0;
    for (const double d : all) sum += d;
    m.meanDiameter = all.empty() ? kNaN : sum / double(all.size());
    m.medianDiameter = median(all);
    m.diameterClasses = o.diameterClasses;
    m.classesInMm = o.classesInMm && o.pixelSize > 0.0;
    std::vector<long long> counts(o.diameterClasses.size() + 1, 0);
    const double toClassUnit = m.classesInMm ? o.pixelSize : 1.0;
    for (const double d : all) {
        const double v = d * toClassUnit;
        size_t c = 0;
        while (c < o.diameterClasses.size() && v >= o.diameterClasses[c]) ++c;
        ++counts[c];
    }
    for (const long long c : counts) m.classPercent.push_back(all.empty() ? kNaN : 100.0 * double(c) / double(all.size()));
}

}  // namespace

double centrelineDiameter(unsigned squaredDistance, bool ridgeIsTwoPixelsWide)
{
    if (squaredDistance == kNoBackground) return kNaN;
    return 2.0 * std::sqrt(double(squaredDistance)) - 1.0 + (ridgeIsTwoPixelsWide ? 1.0 : 0.0);
}

Morphometry vesselMorphometry(const Image &segmentation, const MorphometryOptions &o)
{
    checkOptions(segmentation, o);
    Morphometry m;
    m.width = segmentation.width();
    m.height = segmentation.height();
    m.pixelSize = o.pixelSize;
    // Vessels outside the region of interest do not exist for these figures.
    Image masked;
    if (o.mask) {
        masked = segmentation;
        for (size_t i = 0; i < masked.size(); ++i)
            if (!((*o.mask)[i] >= 128.0)) masked[i] = 0.0;
    }
    const Image &vessels = o.mask ? masked : segmentation;
    // The figures of the vessel area (distance map, box counting, lacunarity) do not need the
    // skeleton: with two threads or more they are made while the skeleton is thinned, each
    // with half of the row threads.
    std::vector<uint32_t> squared;
    const auto areaFigures = [&] {
        squared = squaredDistanceToBackground(vessels);
        m.fractal = boxCountingDimension(vessels);
        m.lacunarity = glidingBoxLacunarity(vessels, o.mask);
    };
    Image skeleton;
    SkeletonTrace trace;
    const auto skeletonFigures = [&] {
        skeleton = o.skeleton && !o.mask ? *o.skeleton : zhangSuenThin(vessels);
        trace = traceSkeleton(skeleton);
    };
    const int threads = execution::rowThreads();
    execution::parallelFor(2, threads >= 2 ? 2 : 1, std::max(1, threads / 2),
                           [&](int task) { task == 0 ? areaFigures() : skeletonFigures(); });
    const DiameterReader diameters(vessels, skeleton, std::move(squared));

    m.regionPixels = (long long)m.width * m.height;
    if (o.mask) {
        m.regionPixels = 0;
        for (const double v : *o.mask) m.regionPixels += v >= 128.0;
    }
    for (const double v : vessels) m.vesselPixels += v == kWhite;
    double weightedTortuosity = 0.0, tortuousLength = 0.0;
    std::vector<double> diametersRead;
    for (const TracedSegment &s : trace.segments) {
        m.segments.push_back(segmentFigures(s, m.width, diameters, o.gray, diametersRead));
        const SegmentFigures &f = m.segments.back();
        m.totalLength += f.length;
        if (!std::isnan(f.tortuosity)) {
            weightedTortuosity += f.length * f.tortuosity;
            tortuousLength += f.length;
        }
    }
    m.junctions = trace.measures.branchPoints;
    const double region = m.regionPixels > 0 ? double(m.regionPixels) : kNaN;
    m.areaFraction = double(m.vesselPixels) / region;
    m.lengthDensity = m.totalLength / region;
    m.junctionDensity = double(m.junctions) / region;
    m.meanTortuosity = tortuousLength > 0.0 ? weightedTortuosity / tortuousLength : kNaN;
    diameterFigures(m, diametersRead, o);
    m.skeletonFractal = boxCountingDimension(skeleton);
    if (o.pixelSize > 0.0) {
        const double mm2 = o.pixelSize * o.pixelSize;
        m.totalLengthMm = m.totalLength * o.pixelSize;
        m.lengthDensityMm = m.lengthDensity / o.pixelSize;
        m.junctionDensityMm = m.junctionDensity / mm2;
        m.meanDiameterMm = m.meanDiameter * o.pixelSize;
        m.medianDiameterMm = m.medianDiameter * o.pixelSize;
    }
    return m;
}
