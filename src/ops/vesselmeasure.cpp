#include "ops/vesselmeasure.h"

#include <QString>
#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "ops/imagehelpers.h"
#include "ops/thinning.h"

namespace {

// The skeleton with a one-pixel background frame, so every pixel has eight neighbours.
struct Grid {
    int w, h;  // padded size
    std::vector<uint8_t> on;
    explicit Grid(const Image &skeleton) : w(skeleton.width() + 2), h(skeleton.height() + 2), on(size_t(w) * size_t(h), 0)
    {
        for (int y = 0; y < skeleton.height(); ++y)
            for (int x = 0; x < skeleton.width(); ++x) on[size_t(y + 1) * size_t(w) + size_t(x + 1)] = skeleton(x, y) == kWhite;
    }
    // Offsets of the eight neighbours, once round: N, NE, E, SE, S, SW, W, NW.
    std::array<std::ptrdiff_t, 8> ring() const { return {-w, -w + 1, 1, w + 1, w, w - 1, -1, -w - 1}; }
};

// Counts the 8-connected components of the pixels where member is true.
long long countComponents(const Grid &g, const std::vector<uint8_t> &member)
{
    std::vector<uint8_t> seen(member.size(), 0);
    std::vector<size_t> stack;
    const auto ring = g.ring();
    long long components = 0;
    for (size_t i = 0; i < member.size(); ++i) {
        if (!member[i] || seen[i]) continue;
        ++components;
        seen[i] = 1;
        stack.push_back(i);
        while (!stack.empty()) {
            const size_t p = stack.back();
            stack.pop_back();
            for (const std::ptrdiff_t d : ring) {
                const size_t q = size_t(std::ptrdiff_t(p) + d);
                if (member[q] && !seen[q]) {
                    seen[q] = 1;
                    stack.push_back(q);
                }
            }
        }
    }
    return components;
}

}  // namespace

namespace {

// Marks end points and junction pixels by their crossing numbers and sums the steps.
struct Classified {
    std::vector<uint8_t> junction, endPoint;
    long long pixels = 0, straight = 0, diagonal = 0;
};
Classified classify(const Grid &g)
{
    const auto ring = g.ring();
    Classified c;
    c.junction.assign(g.on.size(), 0);
    c.endPoint.assign(g.on.size(), 0);
    for (int y = 1; y < g.h - 1; ++y)
        for (int x = 1; x < g.w - 1; ++x) {
            const size_t i = size_t(y) * size_t(g.w) + size_t(x);
            if (!g.on[i]) continue;
            ++c.pixels;
            int crossings = 0;
            for (int k = 0; k < 8; ++k)
                crossings += !g.on[i + size_t(ring[size_t(k)])] && g.on[i + size_t(ring[size_t((k + 1) % 8)])];
            if (crossings == 1) c.endPoint[i] = 1;
            if (crossings >= 3) c.junction[i] = 1;
            // Steps to the right, down, down-right and down-left: each pair once.
            const size_t right = i + 1, down = i + size_t(g.w);
            c.straight += g.on[right] + g.on[down];
            if (g.on[down + 1] && !g.on[right] && !g.on[down]) ++c.diagonal;
            if (g.on[down - 1] && !g.on[i - 1] && !g.on[down]) ++c.diagonal;
        }
    return c;
}

}  // namespace

SkeletonMeasures skeletonMeasures(const Image &skeleton)
{
    requireNonEmpty(skeleton);
    const Grid g(skeleton);
    const auto ring = g.ring();
    const size_t n = g.on.size();
    const Classified c = classify(g);
    SkeletonMeasures m;
    m.pixels = c.pixels;
    m.stepLength = double(c.straight) + double(c.diagonal) * std::sqrt(2.0);

    // Junction regions: junction pixels and their skeleton neighbours.
    std::vector<uint8_t> region(n, 0), rest(n, 0);
    for (size_t i = 0; i < n; ++i) {
        if (!c.junction[i]) continue;
        region[i] = 1;
        for (const std::ptrdiff_t d : ring) {
            const size_t q = size_t(std::ptrdiff_t(i) + d);
            if (g.on[q]) region[q] = 1;
        }
    }
    long long spursInRegion = 0;
    for (size_t i = 0; i < n; ++i) {
        rest[i] = g.on[i] && !region[i];
        m.endPoints += c.endPoint[i];
        spursInRegion += c.endPoint[i] && region[i];
    }
    m.branchPoints = countComponents(g, region);
    m.segments = countComponents(g, rest) + spursInRegion;
    return m;
}

Image skeletonParts(const Image &skeleton)
{
    requireNonEmpty(skeleton);
    const Grid g(skeleton);
    const Classified c = classify(g);
    Image parts(skeleton.width(), skeleton.height(), 1, 1, 0.0);
    for (int y = 0; y < skeleton.height(); ++y)
        for (int x = 0; x < skeleton.width(); ++x) {
            const size_t i = size_t(y + 1) * size_t(g.w) + size_t(x + 1);
            parts(x, y) = !g.on[i] ? kNotSkeleton : c.junction[i] ? kJunctionPixel : c.endPoint[i] ? kEndPoint : kSkeletonLine;
        }
    return parts;
}

VesselMeasures vesselMeasures(const Image &binary, double pixelSizeMm)
{
    requireNonEmpty(binary);
    if (!(pixelSizeMm >= 0.0) || !std::isfinite(pixelSizeMm))
        throw std::invalid_argument(
            QString("vessel measurements: the pixel size must be a positive number, not %1").arg(pixelSizeMm).toStdString());
    VesselMeasures v;
    const Image skeleton = zhangSuenThin(binary);
    v.skeleton = skeletonMeasures(skeleton);
    v.basic = binaryStatistics(binary, skeleton);
    v.meanWidth = v.skeleton.stepLength > 0.0 ? double(v.basic.area) / v.skeleton.stepLength : 0.0;
    if (pixelSizeMm > 0.0) {
        v.pixelSize = pixelSizeMm;
        v.lengthMm = v.skeleton.stepLength * pixelSizeMm;
        v.meanWidthMm = v.meanWidth * pixelSizeMm;
        const double imageMm2 = double(binary.width()) * pixelSizeMm * (double(binary.height()) * pixelSizeMm);
        v.lengthDensity = v.lengthMm / imageMm2;
    }
    return v;
}
