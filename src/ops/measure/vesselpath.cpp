#include "ops/measure/vesselpath.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "ops/morphology/distancemap.h"

namespace {

class VesselPathText {
    Q_DECLARE_TR_FUNCTIONS(VesselPath)
};

bool isVessel(const Image &seg, int x, int y) { return seg(x, y) == kWhite; }

// The vessel pixel nearest to (x, y) and its distance; index -1 when there is none.
std::pair<int, double> nearestVesselPixel(const Image &seg, double x, double y)
{
    int best = -1;
    double bestD2 = std::numeric_limits<double>::max();
    cimg_forXY(seg, px, py) if (isVessel(seg, px, py)) {
        const double d2 = (px - x) * (px - x) + (py - y) * (py - y);
        if (d2 < bestD2) bestD2 = d2, best = px + py * seg.width();
    }
    return {best, best < 0 ? 0.0 : std::sqrt(bestD2)};
}

// The vessel pixel a clicked point stands for, or an error.
int startPixel(const Image &seg, PathPoint p, const QString &name, QString *error)
{
    const int x = int(std::lround(p.x)), y = int(std::lround(p.y));
    if (x < 0 || y < 0 || x >= seg.width() || y >= seg.height()) {
        *error = VesselPathText::tr("The %1 point (%2, %3) lies outside the image (%4 x %5 pixels).")
                     .arg(name).arg(p.x).arg(p.y).arg(seg.width()).arg(seg.height());
        return -1;
    }
    if (isVessel(seg, x, y)) return x + y * seg.width();
    const auto [pixel, distance] = nearestVesselPixel(seg, x, y);
    if (distance <= kSnapDistance) return pixel;
    *error = VesselPathText::tr("The %1 point (%2, %3) is not on a vessel: the nearest vessel pixel is %4 pixels away.")
                 .arg(name).arg(p.x).arg(p.y).arg(distance, 0, 'f', 1);
    return -1;
}

}  // namespace

VesselPath findVesselPath(const Image &segmentation, PathPoint from, PathPoint to)
{
    VesselPath result;
    result.width = segmentation.width();
    if (segmentation.is_empty() || segmentation.max() != kWhite) {
        result.error = VesselPathText::tr("The segmentation holds no vessel pixel.");
        return result;
    }
    const int start = startPixel(segmentation, from, VesselPathText::tr("proximal"), &result.error);
    if (start < 0) return result;
    const int goal = startPixel(segmentation, to, VesselPathText::tr("distal"), &result.error);
    if (goal < 0) return result;

    const int w = segmentation.width(), h = segmentation.height();
    const auto d2 = squaredDistanceToBackground(segmentation);
    std::vector<double> pixelCost(d2.size());
    for (size_t i = 0; i < d2.size(); ++i)
        pixelCost[i] = d2[i] == 0 ? 0.0 : 1.0 / (d2[i] == kNoBackground ? double(w) * w + double(h) * h : double(d2[i]));

    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> total(d2.size(), inf);
    std::vector<int> previous(d2.size(), -1);
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    total[start] = 0.0;
    queue.push({0.0, start});
    while (!queue.empty()) {
        const auto [cost, at] = queue.top();
        queue.pop();
        if (cost > total[at]) continue;
        if (at == goal) break;
        const int ax = at % w, ay = at / w;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = ax + dx, ny = ay + dy;
                if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                const int next = nx + ny * w;
                if (pixelCost[next] == 0.0) continue;
                const double step = (dx != 0 && dy != 0 ? std::sqrt(2.0) : 1.0) * 0.5 * (pixelCost[at] + pixelCost[next]);
                if (cost + step < total[next]) {
                    total[next] = cost + step;
                    previous[next] = at;
                    queue.push({total[next], next});
                }
            }
    }
    if (total[goal] == inf) {
        result.error = VesselPathText::tr("The two points lie on vessels that do not connect: there is no path between them.");
        return result;
    }
    for (int at = goal; at >= 0; at = previous[at]) result.pixels.push_back(at);
    std::reverse(result.pixels.begin(), result.pixels.end());
    return result;
}

double polylineLength(const std::vector<PathPoint> &line)
{
    double length = 0.0;
    for (size_t i = 1; i < line.size(); ++i) length += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    return length;
}

std::vector<PathPoint> centreLine(const VesselPath &path, double step, double smoothing)
{
    std::vector<PathPoint> chain;
    for (int p : path.pixels) chain.push_back({double(p % path.width), double(p / path.width)});
    if (chain.size() < 2) return chain;
    std::vector<double> arc(chain.size(), 0.0);
    for (size_t i = 1; i < chain.size(); ++i)
        arc[i] = arc[i - 1] + std::hypot(chain[i].x - chain[i - 1].x, chain[i].y - chain[i - 1].y);
    const double length = arc.back();

    // Gaussian smoothing in arc length; beyond an end the chain is continued by its point
    // reflection about that end, which keeps the end where it is and the line straight there.
    std::vector<PathPoint> smooth(chain.size());
    const double reach = 3.0 * smoothing;
    for (size_t i = 0; i < chain.size(); ++i) {
        double sx = 0, sy = 0, sw = 0;
        auto add = [&](double s, double x, double y) {
            const double wgt = std::exp(-0.5 * (s - arc[i]) * (s - arc[i]) / (smoothing * smoothing));
            sx += wgt * x, sy += wgt * y, sw += wgt;
        };
        for (size_t j = 0; j < chain.size(); ++j) {
            if (std::abs(arc[j] - arc[i]) <= reach) add(arc[j], chain[j].x, chain[j].y);
            if (j > 0 && arc[j] <= reach - arc[i]) add(-arc[j], 2 * chain[0].x - chain[j].x, 2 * chain[0].y - chain[j].y);
            const size_t k = chain.size() - 1;
            if (j < k && length - arc[j] <= reach - (length - arc[i]))
                add(2 * length - arc[j], 2 * chain[k].x - chain[j].x, 2 * chain[k].y - chain[j].y);
        }
        smooth[i] = smoothing > 0 ? PathPoint{sx / sw, sy / sw} : chain[i];
    }

    // Resample the smoothed line at even arc length.
    std::vector<double> sarc(smooth.size(), 0.0);
    for (size_t i = 1; i < smooth.size(); ++i)
        sarc[i] = sarc[i - 1] + std::hypot(smooth[i].x - smooth[i - 1].x, smooth[i].y - smooth[i - 1].y);
    std::vector<PathPoint> line;
    size_t seg = 1;
    for (double s = 0.0; s <= sarc.back() + 1e-9; s += step) {
        while (seg + 1 < smooth.size() && sarc[seg] < s) ++seg;
        const double span = sarc[seg] - sarc[seg - 1], t = span > 0 ? std::clamp((s - sarc[seg - 1]) / span, 0.0, 1.0) : 0.0;
        line.push_back({smooth[seg - 1].x + t * (smooth[seg].x - smooth[seg - 1].x), smooth[seg - 1].y + t * (smooth[seg].y - smooth[seg - 1].y)});
    }
    return line;
}
