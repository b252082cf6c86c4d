#include "ops/morphology/morphology.h"

#include <QCoreApplication>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <vector>

#include "ops/core/imagehelpers.h"
#include "ops/core/largebuffer.h"
#include "ops/core/simd.h"

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
    static constexpr bool isMin = true;
    // b < a ? b : a keeps the first of equal values and compiles to a vector minimum.
    static double pick(double a, double b) { return b < a ? b : a; }
    static double scan(double running, double v) { return minOf(running, v); }
};

struct MaxOp {
    static constexpr const char *title = QT_TRANSLATE_NOOP("PixmapWidget", "Dilation");
    static constexpr double identity = -std::numeric_limits<double>::infinity();
    static constexpr double start = -DBL_MAX;
    static constexpr bool isMin = false;
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

// Strips of columns as wide as keeps the rows of the element's longest run within the
// second-level cache: wide strips spend less on the columns they share with their neighbours.
int stripWidth(int rows, int reach)
{
    constexpr int kCacheDoubles = (256 << 10) / sizeof(double);
    return std::clamp(kCacheDoubles / std::max(rows, 1) - 2 * reach, 256, 1024);
}
// How many rows ahead of the longest run the next rows are prefetched.
constexpr int kRowsAhead = 2;

// Pixels are handled in blocks of kChains independent vectors of kLanes doubles, so the
// running extrema stay in registers and enough of them are in flight to hide the latency
// of the comparisons. On narrower instruction sets the compiler splits each vector.
constexpr int kLanes = 4, kChains = 8, kBlock = kLanes * kChains;
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double)), aligned(sizeof(double))));

// Folds the vector at source into v: Op::pick lane by lane.
template <class Op>
[[gnu::always_inline]] inline void fold(Lanes &v, const double *source)
{
    const Lanes r = *reinterpret_cast<const Lanes *>(source);
    if constexpr (Op::isMin) v = r < v ? r : v;
    else v = r > v ? r : v;
}

// Folds sources[0..count) at offset x into the running extrema of a block; foldPixel below
// does the same comparisons for the last pixels of a row.
template <class Op>
[[gnu::always_inline]] inline void foldBlock(Lanes (&v)[kChains], const double *const *sources, int count, int x)
{
    for (int k = 0; k < count; ++k)
        for (int c = 0; c < kChains; ++c) fold<Op>(v[c], sources[k] + x + c * kLanes);
}

[[gnu::always_inline]] inline void fillBlock(Lanes (&v)[kChains], double value)
{
    for (int c = 0; c < kChains; ++c) v[c] = Lanes{} + value;
}

[[gnu::always_inline]] inline void storeBlock(double *dst, const Lanes (&v)[kChains])
{
    for (int c = 0; c < kChains; ++c) *reinterpret_cast<Lanes *>(dst + c * kLanes) = v[c];
}

template <class Op>
[[gnu::always_inline]] inline double foldPixel(double v, const double *const *sources, int count, int x)
{
    for (int k = 0; k < count; ++k) v = Op::pick(v, sources[k][x]);
    return v;
}

// Two output rows of a strip at a time, in two steps. First the vertical extremum of each
// group of equally tall columns, the groups from the shortest run to the longest. The rows
// both output rows share grow from group to group by the rows each longer run adds; each
// group's extremum for the upper row then adds that run's first row, the one for the lower
// row its last, and both are kept as rows of their own ("snapshots", padded by the
// element's reach and holding the identity outside the image). Then each output pixel
// folds, for every column of the element, its group's snapshot shifted by the column's dx.
// Rows and columns outside the image are not visited (they read as the identity), which is
// exactly the direct scan's skipping of cells, and min / max need no rounding, so the
// result is the direct scan's bit for bit.
struct RowPair {
    std::vector<const double *> shared;  // rows both output rows fold, group after group
    std::vector<int> groupEnds;          // end of each group's rows in `shared`
    std::vector<const double *> firstRow[2];  // per group, the row its run adds for the upper and lower row
    std::vector<double *> snapshots[2];       // per group, its extremum for the upper and lower row
    std::vector<const double *> shifted[2];  // per column, its group's snapshot shifted by dx

    void clear()
    {
        shared.clear();
        groupEnds.clear();
        for (int half = 0; half < 2; ++half) {
            firstRow[half].clear();
            snapshots[half].clear();
            shifted[half].clear();
        }
    }
};

template <class Op>
[[gnu::always_inline]] inline void verticalStep(const RowPair &p, int a0, int a1)
{
    const int groups = int(p.groupEnds.size());
    int x = a0;
    for (; x < a1 && a1 - a0 >= kBlock; x += kBlock) {
        x = std::min(x, a1 - kBlock);  // the last block overlaps the one before: same values
        Lanes v[kChains];
        fillBlock(v, Op::identity);
        for (int g = 0, k = 0; g < groups; k = p.groupEnds[g++]) {
            foldBlock<Op>(v, p.shared.data() + k, p.groupEnds[g] - k, x);
            for (int half = 0; half < 2; ++half)
                for (int c = 0; c < kChains; ++c) {
                    Lanes e = v[c];
                    fold<Op>(e, p.firstRow[half][g] + x + c * kLanes);
                    *reinterpret_cast<Lanes *>(p.snapshots[half][g] + x + c * kLanes) = e;
                }
        }
    }
    for (; x < a1; ++x) {
        double v = Op::identity;
        for (int g = 0, k = 0; g < groups; k = p.groupEnds[g++]) {
            v = foldPixel<Op>(v, p.shared.data() + k, p.groupEnds[g] - k, x);
            for (int half = 0; half < 2; ++half)
                p.snapshots[half][g][x] = Op::pick(v, p.firstRow[half][g][x]);
        }
    }
}

template <class Op>
[[gnu::always_inline]] inline void horizontalStep(const std::vector<const double *> &shifted, double *dst, int x0, int x1)
{
    const int count = int(shifted.size());
    int x = x0;
    for (; x < x1 && x1 - x0 >= kBlock; x += kBlock) {
        x = std::min(x, x1 - kBlock);
        Lanes v[kChains];
        fillBlock(v, Op::start);
        foldBlock<Op>(v, shifted.data(), count, x);
        storeBlock(dst + x, v);
    }
    for (; x < x1; ++x) dst[x] = foldPixel<Op>(Op::start, shifted.data(), count, x);
}

template <class Op>
[[gnu::always_inline]] inline void columnRunBody(const Image &in, Image &out, const std::vector<ColumnRun> &runs,
                                                 PassProgress &tick)
{
    const int w = in.width(), h = in.height();
    // Columns farther than the image is wide never reach it.
    std::vector<ColumnRun> reaching;
    for (const ColumnRun &run : runs)
        if (std::abs(run.dx) < w) reaching.push_back(run);
    const std::vector<RunGroup> groups = groupRuns(reaching);
    if (groups.empty()) {  // no cell reaches the image: every pixel keeps the start value
        std::fill(out.begin(), out.end(), Op::start);
        return tick.tick(w);
    }
    int reach = 0;
    for (const ColumnRun &run : reaching) reach = std::max(reach, std::abs(run.dx));
    const int strip = stripWidth(groups.back().bottom - groups.back().top + 1, reach);
    const int span = std::min(w, strip) + 2 * reach;
    // Snapshots of both rows, and one row of the identity standing in for rows outside the image.
    std::vector<double> buffers((2 * groups.size() + 1) * size_t(span));
    RowPair p;
    for (int x0 = 0; x0 < w; x0 += strip) {
        const int x1 = std::min(w, x0 + strip);
        const int a0 = std::max(0, x0 - reach), a1 = std::min(w, x1 + reach);
        // Snapshot rows are indexed by image column: their first element is column x0 - reach.
        const auto bufferRow = [&](size_t i) { return buffers.data() + i * size_t(span) - (x0 - reach); };
        const double *outside = bufferRow(2 * groups.size());
        const auto row = [&](int y) { return y >= 0 && y < h ? in.data(0, y) : outside; };
        std::fill(buffers.begin(), buffers.end(), Op::identity);
        for (int y = 0; y < h; y += 2) {
            p.clear();
            int lo = 0, hi = -1;  // shared rows folded so far: none
            for (size_t g = 0; g < groups.size(); ++g) {
                const int top = std::max(0, y + 1 + groups[g].top), bottom = std::min(h - 1, y + groups[g].bottom);
                if (top <= bottom) {  // the shared rows of the runs are nested as the runs are
                    if (hi < lo) lo = hi = top, p.shared.push_back(in.data(0, top));
                    for (; lo > top;) p.shared.push_back(in.data(0, --lo));
                    for (; hi < bottom;) p.shared.push_back(in.data(0, ++hi));
                }
                p.groupEnds.push_back(int(p.shared.size()));
                // The upper row's run adds its first row, the lower row's run its last.
                p.firstRow[0].push_back(row(y + groups[g].top));
                p.firstRow[1].push_back(row(y + 1 + groups[g].bottom));
                for (int half = 0; half < 2; ++half) {
                    double *snapshot = bufferRow(2 * g + size_t(half));
                    p.snapshots[half].push_back(snapshot);
                    for (const int dx : groups[g].dxs) p.shifted[half].push_back(snapshot + dx);
                }
            }
            // The rows that enter the longest run a few rows from now are fetched ahead: the
            // processor's own prefetching does not follow a strip from row to row.
            const int entering = y + groups.back().bottom + kRowsAhead;
            for (int ahead = std::max(0, entering); ahead < std::min(h, entering + 2); ++ahead)
                for (int x = a0; x < a1; x += 8) __builtin_prefetch(in.data(x, ahead));
            verticalStep<Op>(p, a0, a1);
            horizontalStep<Op>(p.shifted[0], out.data(0, y), x0, x1);
            if (y + 1 < h) horizontalStep<Op>(p.shifted[1], out.data(0, y + 1), x0, x1);
        }
        tick.tick(x1);
    }
}

template <class Op>
void columnRunBaseline(const Image &in, Image &out, const std::vector<ColumnRun> &runs, PassProgress &tick)
{
    columnRunBody<Op>(in, out, runs, tick);
}

// The same code compiled for wider vectors; min and max are exact, so the values agree.
template <class Op>
QUENDRA_SIMD_TARGET_AVX2 void columnRunAvx2(const Image &in, Image &out, const std::vector<ColumnRun> &runs,
                                            PassProgress &tick)
{
    columnRunBody<Op>(in, out, runs, tick);
}

template <class Op>
QUENDRA_SIMD_TARGET_AVX512 void columnRunAvx512(const Image &in, Image &out, const std::vector<ColumnRun> &runs,
                                                PassProgress &tick)
{
    columnRunBody<Op>(in, out, runs, tick);
}

template <class Op>
void columnRunPass(const Image &in, Image &out, const std::vector<ColumnRun> &runs, PassProgress &tick)
{
    switch (simd::active()) {
    case simd::Path::Avx512: return columnRunAvx512<Op>(in, out, runs, tick);
    case simd::Path::Avx2: return columnRunAvx2<Op>(in, out, runs, tick);
    case simd::Path::Baseline: break;
    }
    columnRunBaseline<Op>(in, out, runs, tick);
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
