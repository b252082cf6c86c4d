#include "ops/measure/vesselmeasure.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "ops/core/imagehelpers.h"
#include "ops/morphology/components.h"
#include "ops/morphology/thinning.h"

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
    return (long long)connectedComponents(cimg_library::CImg<unsigned char>(member.data(), g.w, g.h, 1, 1, true), true).count;
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

namespace {

// The skeleton cut at its junction regions (junction pixels and their skeleton neighbours);
// what is left (rest) falls into the segments.
struct Cut {
    Classified c;
    std::vector<uint8_t> region, rest;
};
Cut cutAtJunctions(const Grid &g)
{
    const auto ring = g.ring();
    const size_t n = g.on.size();
    Cut cut{classify(g), std::vector<uint8_t>(n, 0), std::vector<uint8_t>(n, 0)};
    for (size_t i = 0; i < n; ++i) {
        if (!cut.c.junction[i]) continue;
        cut.region[i] = 1;
        for (const std::ptrdiff_t d : ring) {
            const size_t q = size_t(std::ptrdiff_t(i) + d);
            if (g.on[q]) cut.region[q] = 1;
        }
    }
    for (size_t i = 0; i < n; ++i) cut.rest[i] = g.on[i] && !cut.region[i];
    return cut;
}

SkeletonMeasures countParts(const Grid &g, const Cut &cut)
{
    SkeletonMeasures m;
    m.pixels = cut.c.pixels;
    m.stepLength = double(cut.c.straight) + double(cut.c.diagonal) * std::sqrt(2.0);
    long long spursInRegion = 0;
    for (size_t i = 0; i < g.on.size(); ++i) {
        m.endPoints += cut.c.endPoint[i];
        spursInRegion += cut.c.endPoint[i] && cut.region[i];
    }
    m.branchPoints = countComponents(g, cut.region);
    m.segments = countComponents(g, cut.rest) + spursInRegion;
    return m;
}

}  // namespace

SkeletonMeasures skeletonMeasures(const Image &skeleton)
{
    requireNonEmpty(skeleton);
    const Grid g(skeleton);
    return countParts(g, cutAtJunctions(g));
}

namespace {

// Tracing one piece of the cut skeleton. Steps within a piece follow the step-length rule:
// 4-neighbours always, a diagonal neighbour only when neither pixel beside the step belongs
// to the piece, so a staircase is walked through its corners and the steps form a chain.
class PieceTracer {
public:
    PieceTracer(const Grid &g, const Cut &cut) : g_(g), cut_(cut), ring_(g.ring()), label_(g.on.size(), 0) {}

    // Collects the 8-connected piece of rest around seed and traces it.
    TracedSegment tracePiece(size_t seed, int id)
    {
        std::vector<size_t> piece{seed};
        label_[seed] = id;
        for (size_t k = 0; k < piece.size(); ++k)
            for (const std::ptrdiff_t d : ring_) {
                const size_t q = size_t(std::ptrdiff_t(piece[k]) + d);
                if (cut_.rest[q] && !label_[q]) {
                    label_[q] = id;
                    piece.push_back(q);
                }
            }
        TracedSegment s;
        for (const size_t p : piece) s.pixels.push_back(imageIndex(p));
        size_t start = piece.front();
        bool hasEnd = false;
        for (const size_t p : piece)
            if (steps(p, id).size() <= 1) {
                start = p;
                hasEnd = true;
                break;
            }
        const std::vector<size_t> path = hasEnd ? longestRoute(start, id) : walkRound(start, id, s.closed);
        for (const size_t p : path) s.path.push_back(imageIndex(p));
        if (!s.closed) {
            const std::vector<size_t> first = joinToJunction(path.front(), {});
            const std::vector<size_t> last = joinToJunction(path.back(), first);
            for (const size_t p : first) s.startJoin.push_back(imageIndex(p));
            for (const size_t p : last) s.endJoin.push_back(imageIndex(p));
        }
        return s;
    }

    bool traced(size_t p) const { return label_[p] != 0; }

    // An end point inside a junction region: a spur of one pixel, joined to its junction.
    TracedSegment traceSpur(size_t p)
    {
        TracedSegment s;
        s.pixels = s.path = {imageIndex(p)};
        for (const size_t q : joinToJunction(p, {})) s.endJoin.push_back(imageIndex(q));
        return s;
    }

private:
    int imageIndex(size_t p) const
    {
        const int x = int(p % size_t(g_.w)) - 1, y = int(p / size_t(g_.w)) - 1;
        return x + y * (g_.w - 2);
    }

    std::vector<size_t> steps(size_t p, int id) const
    {
        std::vector<size_t> out;
        for (int k = 0; k < 8; ++k) {
            const size_t q = size_t(std::ptrdiff_t(p) + ring_[size_t(k)]);
            if (label_[q] != id) continue;
            if (k % 2 == 1) {
                const size_t a = size_t(std::ptrdiff_t(p) + ring_[size_t(k - 1)]);
                const size_t b = size_t(std::ptrdiff_t(p) + ring_[size_t((k + 1) % 8)]);
                if (label_[a] == id || label_[b] == id) continue;
            }
            out.push_back(q);
        }
        return out;
    }

    // The route from start to the piece's pixel farthest from it along the steps.
    std::vector<size_t> longestRoute(size_t start, int id)
    {
        std::vector<size_t> order{start};
        parent_[start] = start;
        distance_[start] = 0.0;
        size_t farthest = start;
        for (size_t k = 0; k < order.size(); ++k) {
            const size_t p = order[k];
            for (const size_t q : steps(p, id)) {
                if (parent_.count(q)) continue;
                parent_[q] = p;
                distance_[q] = distance_[p] + stepLength(p, q);
                if (distance_[q] > distance_[farthest]) farthest = q;
                order.push_back(q);
            }
        }
        std::vector<size_t> route;
        for (size_t p = farthest;; p = parent_[p]) {
            route.push_back(p);
            if (p == start) break;
        }
        std::reverse(route.begin(), route.end());
        parent_.clear();
        distance_.clear();
        return route;
    }

    // A piece without ends: walked once round; closed when the walk comes back to start.
    std::vector<size_t> walkRound(size_t start, int id, bool &closed)
    {
        std::vector<size_t> route{start};
        std::unordered_map<size_t, bool> visited{{start, true}};
        for (bool moved = true; moved;) {
            moved = false;
            for (const size_t q : steps(route.back(), id))
                if (!visited.count(q)) {
                    visited[q] = true;
                    route.push_back(q);
                    moved = true;
                    break;
                }
        }
        const std::vector<size_t> last = steps(route.back(), id);
        closed = route.size() >= 3 && std::find(last.begin(), last.end(), start) != last.end();
        return route;
    }

    double stepLength(size_t p, size_t q) const
    {
        const std::ptrdiff_t d = std::ptrdiff_t(q) - std::ptrdiff_t(p);
        return d == 1 || d == -1 || d == g_.w || d == -g_.w ? 1.0 : std::sqrt(2.0);
    }

    // The junction-region neighbour of p to step into (a junction pixel first, a
    // 4-neighbour before a diagonal one), away from avoid; then on to a junction pixel.
    std::vector<size_t> joinToJunction(size_t p, const std::vector<size_t> &avoid) const
    {
        const auto pick = [&](size_t from, bool junctionOnly) -> std::ptrdiff_t {
            std::ptrdiff_t best = -1;
            int bestRank = 99;
            for (int k = 0; k < 8; ++k) {
                const size_t q = size_t(std::ptrdiff_t(from) + ring_[size_t(k)]);
                if (!cut_.region[q] || (junctionOnly && !cut_.c.junction[q])) continue;
                if (std::find(avoid.begin(), avoid.end(), q) != avoid.end()) continue;
                if (!avoid.empty() && touches(q, avoid.front())) continue;
                const int rank = (cut_.c.junction[q] ? 0 : 2) + k % 2;
                if (rank < bestRank) {
                    bestRank = rank;
                    best = std::ptrdiff_t(q);
                }
            }
            return best;
        };
        const std::ptrdiff_t first = pick(p, false);
        if (first < 0) return {};
        if (cut_.c.junction[size_t(first)]) return {size_t(first)};
        const std::ptrdiff_t second = pick(size_t(first), true);
        if (second < 0) return {size_t(first)};
        return {size_t(first), size_t(second)};
    }

    bool touches(size_t a, size_t b) const
    {
        if (a == b) return true;
        for (const std::ptrdiff_t d : ring_)
            if (size_t(std::ptrdiff_t(a) + d) == b) return true;
        return false;
    }

    const Grid &g_;
    const Cut &cut_;
    std::array<std::ptrdiff_t, 8> ring_;
    std::vector<int> label_;
    std::unordered_map<size_t, size_t> parent_;
    std::unordered_map<size_t, double> distance_;
};

}  // namespace

SkeletonTrace traceSkeleton(const Image &skeleton)
{
    requireNonEmpty(skeleton);
    const Grid g(skeleton);
    const Cut cut = cutAtJunctions(g);
    SkeletonTrace t;
    t.measures = countParts(g, cut);
    PieceTracer tracer(g, cut);
    int id = 0;
    for (size_t i = 0; i < g.on.size(); ++i)
        if (cut.rest[i] && !tracer.traced(i)) t.segments.push_back(tracer.tracePiece(i, ++id));
    for (size_t i = 0; i < g.on.size(); ++i)
        if (cut.c.endPoint[i] && cut.region[i]) t.segments.push_back(tracer.traceSpur(i));
    return t;
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
    return vesselMeasures(binary, zhangSuenThin(binary), pixelSizeMm);
}

VesselMeasures vesselMeasures(const Image &binary, const Image &skeleton, double pixelSizeMm)
{
    requireNonEmpty(binary);
    if (!(pixelSizeMm >= 0.0) || !std::isfinite(pixelSizeMm))
        throw std::invalid_argument(
            QString("vessel measurements: the pixel size must be a positive number, not %1").arg(pixelSizeMm).toStdString());
    VesselMeasures v;
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
