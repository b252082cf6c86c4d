#include "ops/morphology.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "ops/imagehelpers.h"

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
    static constexpr const char *title = "Erosion";
    static constexpr double identity = std::numeric_limits<double>::infinity();
    static constexpr double start = DBL_MAX;
    // b < a ? b : a keeps the first of equal values and compiles to a vector minimum.
    static double pick(double a, double b) { return b < a ? b : a; }
    static double scan(double running, double v) { return minOf(running, v); }
};

struct MaxOp {
    static constexpr const char *title = "Dilation";
    static constexpr double identity = -std::numeric_limits<double>::infinity();
    static constexpr double start = -DBL_MAX;
    static double pick(double a, double b) { return b > a ? b : a; }
    static double scan(double running, double v) { return maxOf(running, v); }
};

template <class Op>
void combineRow(double *__restrict acc, const double *__restrict row, int n)
{
    for (int x = 0; x < n; ++x) acc[x] = Op::pick(acc[x], row[x]);
}

// Each output row: the element's columns, from the shortest run to the longest, share one
// accumulated vertical extremum that grows by the rows each longer run adds; every column
// then folds that row, shifted by its dx, into the output. Rows and columns outside the
// image are simply not visited, which is exactly the direct scan's skipping of cells.
template <class Op>
void columnRunPass(const Image &in, Image &out, const std::vector<ColumnRun> &runs, PassProgress &tick)
{
    const int w = in.width(), h = in.height();
    std::vector<double> acc(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        double *dst = out.data(0, y);
        std::fill(dst, dst + w, Op::identity);
        std::fill(acc.begin(), acc.end(), Op::identity);
        int lo = y, hi = y - 1;  // rows folded into acc so far: none
        for (size_t k = 0; k < runs.size(); ++k) {
            const ColumnRun &run = runs[k];
            const int dx = run.dx;
            if (dx >= w || -dx >= w) continue;
            const int top = std::max(0, y + run.top), bottom = std::min(h - 1, y + run.bottom);
            if (top > bottom) continue;
            if (hi < lo) {
                lo = top;
                hi = top - 1;
            }
            for (; lo > top;) combineRow<Op>(acc.data(), in.data(0, --lo), w);
            for (; hi < bottom;) combineRow<Op>(acc.data(), in.data(0, ++hi), w);
            const int x0 = std::max(0, -dx), x1 = std::min(w, w - dx);
            combineRow<Op>(dst + x0, acc.data() + x0 + dx, x1 - x0);
        }
        for (int x = 0; x < w; ++x) dst[x] = Op::pick(dst[x], Op::start);
        tick.tick(int((long long)(y + 1) * w / h));
    }
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
    Image out(image.width(), image.height(), image.depth(), image.spectrum());
    if (image.is_empty()) return out;
    if (image.depth() != 1 || image.spectrum() != 1)
        throw std::runtime_error(std::string(Op::title) + ": only single-channel two-dimensional images are supported");
    progress.start(QString::fromLatin1(Op::title), QStringLiteral("Working ..."), image.width());
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
