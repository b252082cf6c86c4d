// The erosion and dilation passes' shared pieces: the element's columns as row runs, the
// pass's progress, the minimum and maximum, and the column-run pass (columnruns.cpp).
#pragma once
#include <QCoreApplication>
#include <algorithm>
#include <cfloat>
#include <limits>
#include <vector>

#include "ops/core/image.h"
#include "ops/core/imagehelpers.h"
#include "ops/core/progress.h"

namespace morphpass {

// One column of the element as an offset from the origin and the run of rows it covers.
struct ColumnRun {
    int dx;
    int top;     // first row offset
    int bottom;  // last row offset
};

// A cell takes part when its value is > 0 or exactly -1.
inline bool takesPart(double cell) { return cell > 0.0 || cell == -1.0; }

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

// The pass of Op (MinOp or MaxOp) over elements whose columns are single nested runs,
// ordered shortest first: the direct scan's result bit for bit.
template <class Op>
void columnRunPass(const Image &in, Image &out, const std::vector<ColumnRun> &runs, PassProgress &tick);

}  // namespace morphpass
