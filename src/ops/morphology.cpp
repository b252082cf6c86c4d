#include "ops/morphology.h"

#include <QCoreApplication>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <vector>

#include "ops/imagehelpers.h"
#include "ops/largebuffer.h"

namespace {

// One column of the element as an offset from the origin and the run of rows it covers.
struct ColumnRun {
    int dx;
    int top;     // first row offset
    int bottom;  // last row offset
};

bool takesPart(double cell) { return cell > 0.0 || cell == -1.0; }

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

// Reports about a hundred progress values per pass, always including the last one.
class PassProgress {
public:
    PassProgress(Progress &progress, int maximum)
        : progress_(progress), maximum_(maximum), step_(std::max(1, maximum / 100)) {}
    void tick(int value)
    {
        if (value < next_ && value != maximum_) return;
        progress_.setValue(value);
        next_ = value + step_;
    }

private:
    Progress &progress_;
    int maximum_;
    int step_;
    int next_ = 0;
};

struct MinOp {
    static constexpr const char *title = QT_TRANSLATE_NOOP("PixmapWidget", "Erosion");
    static constexpr double identity = std::numeric_limits<double>::infinity();
    static constexpr double start = DBL_MAX;
    // b < a ? b : a keeps the first of equal values and compiles to a vector minimum.
    static double pick(double a, double b) { return b < a ? b : a; }
    static double scan(double running, double v) { return minOf(running, v); }
};

struct MaxOp {
    static constexpr const char *title = QT_TRANSLATE_NOOP("PixmapWidget", "Dilation");
    static constexpr double identity = -std::numeric_limits<double>::infinity();
    static constexpr double start = -DBL_MAX;
    static double pick(double a, double b) { return b > a ? b : a; }
    static double scan(double running, double v) { return maxOf(running, v); }
};

// Columns of the element that cover the same rows share one vertical extremum.
struct RunGroup {
    int top, bottom;
    std::vector<int> dxs;
};

std::vector<RunGroup> groupRuns(const std::vector<ColumnRun> &runs)
{
    std::vector<RunGroup> groups;
    for (const ColumnRun &run : runs) {
        if (groups.empty() || groups.back().top != run.top || groups.back().bottom != run.bottom)
            groups.push_back({run.top, run.bottom, {}});
        groups.back().dxs.push_back(run.dx);
    }
    return groups;
}

template <class Op>
[[gnu::always_inline]] inline void foldRow(double *__restrict acc, const double *__restrict row, int n)
{
    for (int x = 0; x < n; ++x) acc[x] = Op::pick(acc[x], row[x]);
}

template <class Op>
[[gnu::always_inline]] inline void foldTwoRows(double *__restrict acc, const double *__restrict a, const double *__restrict b, int n)
{
    for (int x = 0; x < n; ++x) acc[x] = Op::pick(Op::pick(acc[x], a[x]), b[x]);
}

// Columns wide enough to keep the rows of a disc of radius 50 in the second-level cache.
constexpr int kStripWidth = 256;

// Each output row of a strip of columns: the element's column runs, from the shortest to
// the longest, share one accumulated vertical extremum that grows by the rows each longer
// run adds; every column then folds that row, shifted by its dx, into the output. Rows and
// columns outside the image are not visited, which is exactly the direct scan's skipping of
// cells, and min / max need no rounding, so the result is the direct scan's bit for bit.
template <class Op>
[[gnu::always_inline]] inline void columnRunBody(const Image &in, Image &out, const std::vector<ColumnRun> &runs,
                                                 PassProgress &tick)
{
    const int w = in.width(), h = in.height();
    const std::vector<RunGroup> groups = groupRuns(runs);
    int reach = 0;
    for (const ColumnRun &run : runs) reach = std::max(reach, std::abs(run.dx));
    reach = std::min(reach, w);
    std::vector<double> accBuffer(static_cast<size_t>(std::min(w, kStripWidth + 2 * reach)));
    for (int x0 = 0; x0 < w; x0 += kStripWidth) {
        const int x1 = std::min(w, x0 + kStripWidth);
        const int a0 = std::max(0, x0 - reach), a1 = std::min(w, x1 + reach);
        double *acc = accBuffer.data() - a0;  // acc[x] for x in a0..a1-1
        for (int y = 0; y < h; ++y) {
            double *dst = out.data(0, y);
            std::fill(dst + x0, dst + x1, Op::identity);
            std::fill(acc + a0, acc + a1, Op::identity);
            int lo = y, hi = y - 1;  // rows folded into acc so far: none
            for (const RunGroup &g : groups) {
                const int top = std::max(0, y + g.top), bottom = std::min(h - 1, y + g.bottom);
                if (top > bottom) continue;
                if (hi < lo) {
                    lo = top;
                    hi = top - 1;
                }
                for (; lo > top && hi < bottom;) {
                    --lo;
                    ++hi;
                    foldTwoRows<Op>(acc + a0, in.data(a0, lo), in.data(a0, hi), a1 - a0);
                }
                for (; lo > top;) foldRow<Op>(acc + a0, in.data(a0, --lo), a1 - a0);
                for (; hi < bottom;) foldRow<Op>(acc + a0, in.data(a0, ++hi), a1 - a0);
                for (const int dx : g.dxs) {
                    const int b0 = std::max(x0, -dx), b1 = std::min(x1, w - dx);
                    if (b0 < b1) foldRow<Op>(dst + b0, acc + b0 + dx, b1 - b0);
                }
            }
            for (int x = x0; x < x1; ++x) dst[x] = Op::pick(dst[x], Op::start);
        }
        tick.tick(x1);
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same code compiled for 4-wide vectors; min and max are exact, so the values agree.
template <class Op>
[[gnu::target("avx2")]] void columnRunPassAvx2(const Image &in, Image &out, const std::vector<ColumnRun> &runs,
                                               PassProgress &tick)
{
    columnRunBody<Op>(in, out, runs, tick);
}
#endif

template <class Op>
void columnRunPass(const Image &in, Image &out, const std::vector<ColumnRun> &runs, PassProgress &tick)
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2")) return columnRunPassAvx2<Op>(in, out, runs, tick);
#endif
    columnRunBody<Op>(in, out, runs, tick);
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
    for (const double v : image)
        if (std::isnan(v)) throw std::runtime_error(std::string(Op::title) + ": the image holds undefined (NaN) values");
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

int discSizeParam(const Params &params)
{
    const int size = params.integer("size", 3);
    if (size < 1 || size > 999)
        throw std::invalid_argument(QString("size= must lie between 1 and 999, not %1").arg(size).toStdString());
    return size;
}

void runErode(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(erodeImage(model.current(), disc, progress));
}

void runDilate(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(dilateImage(model.current(), disc, progress));
}

void runOpen(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(dilateImage(erodeImage(model.current(), disc, progress), disc, progress));
}

void runClose(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(erodeImage(dilateImage(model.current(), disc, progress), disc, progress));
}

void runTopHat(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(topHatImage(model.current(), disc, progress));
}

void runGradient(ImageModel &model, const Params &params, Progress &progress, Notes &)
{
    const Image disc = makeStructEl(1, discSizeParam(params));
    model.replaceCurrent(gradientImage(model.current(), disc, progress));
}
