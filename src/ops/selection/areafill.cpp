#include "ops/selection/areafill.h"

#include <QPoint>
#include <QQueue>

QList<PointRecord> areaFill(Image &image, int x0, int y0, int connectivity)
{
    const int w = image.width(), h = image.height();
    if (x0 < 0 || y0 < 0 || x0 >= w || y0 >= h || image(x0, y0) == 0.0) return {};
    const double f = double(static_cast<long long>(image(x0, y0)));
    PointRecord header{x0, y0, 0, 0};
    QList<PointRecord> found;
    QQueue<QPoint> seeds;
    seeds.enqueue(QPoint(x0, y0));
    const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h; };
    const auto visit = [&](int nx, int ny, bool &flag) {
        if (!inside(nx, ny)) return;
        const bool equal = image(nx, ny) == f;
        if (!flag) {
            if (equal) {
                seeds.enqueue(QPoint(nx, ny));
                flag = true;
            }
        } else {
            flag = equal;
        }
    };
    while (!seeds.isEmpty()) {
        const QPoint seed = seeds.dequeue();
        const int x = seed.x();
        int y = seed.y();
        while (y >= 0 && image(x, y) == f) --y;
        bool left = false, right = false;
        for (int r = y + 1; r < h && image(x, r) == f; ++r) {
            image(x, r) = f - 1;
            found.append({x, r, 0, 0});
            if (x < header.x || (x == header.x && r < header.y)) {
                header.x = x;
                header.y = r;
            }
            visit(x - 1, r, left);
            visit(x + 1, r, right);
            if (connectivity == 8) {
                visit(x - 1, r - 1, left);
                visit(x - 1, r + 1, left);
                visit(x + 1, r - 1, right);
                visit(x + 1, r + 1, right);
            }
        }
    }
    header.count = int(found.size()) + 1;
    found.prepend(header);
    return found;
}
