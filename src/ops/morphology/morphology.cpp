#include "ops/morphology/morphology.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "ops/core/imagehelpers.h"
#include "ops/core/largebuffer.h"
#include "ops/morphology/morphpass.h"

namespace {

using namespace morphpass;

// The element's columns as single row runs, ordered so that each run lies inside the next
// one. Returns false when some column has a gap or the runs are not nested; the caller then
// falls back to the direct scan.
bool nestedColumnRuns(const Image &element, std::vector<ColumnRun> &runs)
{
    const int ox = element.width() / 2, oy = element.height() / 2;
    runs.clear();
    for (int i = 0; i < element.width(); ++i) {
        int first = -1, last = -1;
        for (int j = 0; j < element.height(); ++j) {
            if (!takesPart(element(i, j))) continue;
            if (first < 0) first = j;
            else if (last != j - 1) return false;  // a gap inside the column
            last = j;
        }
        if (first >= 0) runs.push_back({i - ox, first - oy, last - oy});
    }
    std::stable_sort(runs.begin(), runs.end(), [](const ColumnRun &a, const ColumnRun &b) {
        return a.bottom - a.top < b.bottom - b.top;
    });
    for (size_t k = 1; k < runs.size(); ++k)
        if (runs[k].top > runs[k - 1].top || runs[k].bottom < runs[k - 1].bottom) return false;
    return true;
}

// The plain scan, cell by cell, for elements that have no nested column runs.
template <class Op>
void directPass(const Image &in, Image &out, const Image &element, PassProgress &tick)
{
    const int w = in.width(), h = in.height();
    const int ox = element.width() / 2, oy = element.height() / 2;
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            double v = Op::start;
            for (int j = 0; j < element.height(); ++j) {
                const int yy = y + j - oy;
                if (yy < 0 || yy >= h) continue;
                for (int i = 0; i < element.width(); ++i) {
                    const int xx = x + i - ox;
                    if (xx < 0 || xx >= w || !takesPart(element(i, j))) continue;
                    v = Op::scan(v, in(xx, yy));
                }
            }
            out(x, y) = v;
        }
        tick.tick(x + 1);
    }
}

// Without an early exit, so that the scan vectorises.
bool holdsNaN(const Image &image)
{
    bool nan = false;
    for (const double v : image) nan |= v != v;
    return nan;
}

bool hasCell(const Image &element)
{
    for (const double v : element)
        if (takesPart(v)) return true;
    return false;
}

template <class Op>
Image morphPass(const Image &image, const Image &element, Progress &progress)
{
    if (!hasCell(element))
        throw std::runtime_error(std::string(Op::title) + ": the structuring element has no cells");
    if (holdsNaN(image)) throw std::runtime_error(std::string(Op::title) + ": the image holds undefined (NaN) values");
    Image out = uninitializedImage(image.width(), image.height(), image.depth(), image.spectrum());
    if (image.is_empty()) return out;
    if (image.depth() != 1 || image.spectrum() != 1)
        throw std::runtime_error(std::string(Op::title) + ": only single-channel two-dimensional images are supported");
    progress.start(QCoreApplication::translate("PixmapWidget", Op::title),
                   QCoreApplication::translate("PixmapWidget", "Working ..."), image.width());
    PassProgress tick(progress, image.width());
    std::vector<ColumnRun> runs;
    if (nestedColumnRuns(element, runs)) columnRunPass<Op>(image, out, runs, tick);
    else directPass<Op>(image, out, element, tick);
    progress.finish();
    return out;
}

// a - b value by value, written into b.
void subtractInto(const Image &a, Image &b)
{
    const double *src = a.data();
    double *dst = b.data();
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) dst[i] = src[i] - dst[i];
}

}  // namespace

Image makeStructEl(int type, int size)
{
    if (type == 1 && size >= 0) {
        const int n = 2 * size + 1;
        Image disc(n, n, 1, 1, 0.0);
        const long long r2 = (long long)size * size;
        for (int j = -size; j <= size; ++j)
            for (int i = -size; i <= size; ++i)
                if ((long long)i * i + (long long)j * j <= r2) disc(i + size, j + size) = 1.0;
        return disc;
    }
    if (type == 2 && size > 0) return Image(size, size, 1, 1, 1.0);
    return Image();
}

Image erodeImage(const Image &image, const Image &element, Progress &progress)
{
    return morphPass<MinOp>(image, element, progress);
}

Image dilateImage(const Image &image, const Image &element, Progress &progress)
{
    return morphPass<MaxOp>(image, element, progress);
}

Image topHatImage(const Image &image, const Image &element, Progress &progress)
{
    Image opened = dilateImage(erodeImage(image, element, progress), element, progress);
    subtractInto(image, opened);
    return opened;
}

Image gradientImage(const Image &image, const Image &element, Progress &progress)
{
    const Image dilated = dilateImage(image, element, progress);
    Image eroded = erodeImage(image, element, progress);
    subtractInto(dilated, eroded);
    return eroded;
}
