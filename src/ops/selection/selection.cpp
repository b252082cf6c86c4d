#include "ops/selection/selection.h"

#include <algorithm>
#include <vector>

namespace {

bool insideImage(const Image &image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width() && y < image.height();
}

// The ceiling of num / den for den > 0.
long long ceilDiv(long long num, long long den) { return num >= 0 ? (num + den - 1) / den : -((-num) / den); }

// Where the polygon's edges cross row y, sorted; see polygonMask for which edges count.
void rowCrossings(const QList<QPoint> &polygon, long long y, std::vector<long long> &crossings)
{
    crossings.clear();
    const qsizetype n = polygon.size();
    for (qsizetype k = 0; k < n; ++k) {
        QPoint upper = polygon[k == 0 ? n - 1 : k - 1], lower = polygon[k];
        if (upper.y() == lower.y()) continue;
        if (upper.y() > lower.y()) std::swap(upper, lower);
        if (y < upper.y() || y >= lower.y()) continue;
        const long long dx = (long long)lower.x() - upper.x(), dy = (long long)lower.y() - upper.y();
        crossings.push_back(upper.x() + ceilDiv(dx * (y - upper.y()), dy));
    }
    std::sort(crossings.begin(), crossings.end());
}

// The selection's mask over its box, or an empty image for a rectangle (no mask).
Image shapeMask(const Selection &s)
{
    switch (s.shape) {
    case SelectionShape::Ellipse:
        return ellipseMask(s.box.width(), s.box.height());
    case SelectionShape::Polygon:
        return polygonMask(s.polygon, s.box);
    case SelectionShape::Rectangle:
        break;
    }
    return Image();
}

}  // namespace

Image ellipseMask(int w, int h)
{
    Image mask(std::max(w, 0), std::max(h, 0), 1, 1, 0.0);
    if (mask.is_empty()) return mask;
    const double one = 1.0;
    mask.draw_ellipse(w / 2, h / 2, float(w / 2), float(h / 2), 0.0f, &one, 1.0f);
    return mask;
}

Image polygonMask(const QList<QPoint> &polygon, const QRect &box)
{
    Image mask(std::max(box.width(), 0), std::max(box.height(), 0), 1, 1, 0.0);
    if (mask.is_empty() || polygon.size() < 3) return mask;
    std::vector<long long> crossings;
    for (int j = 0; j < mask.height(); ++j) {
        rowCrossings(polygon, (long long)box.top() + j, crossings);
        // Sorted crossings pair up into runs [c0, c1), [c2, c3), ...: a pixel is inside
        // exactly when an odd number of crossings lie at or left of it.
        for (size_t c = 0; c + 1 < crossings.size(); c += 2) {
            const long long from = std::max<long long>(crossings[c], box.left());
            const long long to = std::min<long long>(crossings[c + 1] - 1, box.right());
            for (long long x = from; x <= to; ++x) mask(int(x - box.left()), j) = 1.0;
        }
    }
    return mask;
}

QRect boundingBox(const QList<QPoint> &polygon)
{
    if (polygon.isEmpty()) return QRect();
    int left = polygon[0].x(), right = left, top = polygon[0].y(), bottom = top;
    for (const QPoint &p : polygon) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

int selectionArea(const Selection &s)
{
    const int w = s.box.width(), h = s.box.height();
    switch (s.shape) {
    case SelectionShape::Rectangle:
        return w * h;
    case SelectionShape::Ellipse:
        return int(float(w) * 3.1415f * float(h) * 0.25f);
    case SelectionShape::Polygon:
        break;
    }
    const Image mask = polygonMask(s.polygon, s.box);
    return int(std::count(mask.begin(), mask.end(), 1.0));
}

namespace {

// The pixels of the selection's shape inside image, all of them or only the white ones.
int countShape(const Image &image, const Selection &s, bool whiteOnly)
{
    const Image mask = shapeMask(s);
    const QRect &b = s.box;
    int count = 0;
    for (int y = b.top(); y <= b.bottom(); ++y)
        for (int x = b.left(); x <= b.right(); ++x)
            if (insideImage(image, x, y) && (!whiteOnly || image(x, y) == kWhite) &&
                (mask.is_empty() || mask(x - b.left(), y - b.top()) != 0.0))
                ++count;
    return count;
}

}  // namespace

int countWhite(const Image &image, const Selection &s) { return countShape(image, s, true); }

int countInside(const Image &image, const Selection &s) { return countShape(image, s, false); }

double whiteCoverage(int white, int area) { return area == 0 ? 0.0 : white * 100.0 / area; }

ImageList cutSelection(const ImageList &list, const Selection &s)
{
    const Image mask = shapeMask(s);
    const QRect &b = s.box;
    ImageList pieces;
    for (const Image &image : list) {
        const int l = std::max(0, b.left()), t = std::max(0, b.top());
        const int r = std::min(image.width() - 1, b.right()), btm = std::min(image.height() - 1, b.bottom());
        if (l > r || t > btm) continue;
        Image piece(r - l + 1, btm - t + 1, 1, 1, 0.0);
        cimg_forXY(piece, i, j)
        {
            const double v = image(l + i, t + j);
            piece(i, j) = mask.is_empty() ? v : v * mask(l - b.left() + i, t - b.top() + j);
        }
        pieces.push_back(piece);
    }
    return pieces;
}

Image pickedPixels(int w, int h, const QList<PointRecord> &points)
{
    Image picked(std::max(w, 0), std::max(h, 0), 1, 1, 0.0);
    for (const PointRecord &p : points)
        if (insideImage(picked, p.x, p.y)) picked(p.x, p.y) = kWhite;
    return picked;
}

Image blackedOut(const Image &image, const Image &mask)
{
    Image result = image;
    const int w = std::min(image.width(), mask.width()), h = std::min(image.height(), mask.height());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (mask(x, y) == kWhite) result(x, y) = 0.0;
    return result;
}

bool pasteWhite(Image &target, const Image &source)
{
    if (source.width() != target.width() || source.height() != target.height()) return false;
    const size_t n = target.size();
    for (size_t i = 0; i < n; ++i)
        if (source[i] == kWhite) target[i] = kWhite;
    return true;
}
