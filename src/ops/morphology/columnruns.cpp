// The column-run pass of erosion and dilation on the widest vectors the processor has.
#include <cstdint>
#include <cstdlib>

#include "ops/core/largebuffer.h"
#include "ops/core/simd.h"
#include "ops/morphology/morphpass.h"

namespace morphpass {

namespace {

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
[[gnu::always_inline]] inline void columnRunBody(Op, const Image &in, Image &out, const std::vector<ColumnRun> &runs,
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

// columnRunScan(path, Op(), ...): the scan built for each vector width; min and max are
// exact, so every build gives the same values.
QUENDRA_SIMD_KERNEL(columnRunScan, columnRunBody)

}  // namespace

template <class Op>
void columnRunPass(const Image &in, Image &out, const std::vector<ColumnRun> &runs, PassProgress &tick)
{
    columnRunScan(simd::active(), Op{}, in, out, runs, tick);
}

template void columnRunPass<MinOp>(const Image &, Image &, const std::vector<ColumnRun> &, PassProgress &);
template void columnRunPass<MaxOp>(const Image &, Image &, const std::vector<ColumnRun> &, PassProgress &);

}  // namespace morphpass
