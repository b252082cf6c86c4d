#include "ops/filters/pointops.h"

#include <QCoreApplication>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "ops/core/imagehelpers.h"
#include "ops/core/viewtext.h"

namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

// After a mapping has left NaN where a value has no result and infinities where it
// overflowed: NaN and -inf take the lowest finite value of the image (black once
// normalized), +inf the highest (white). The callers note the undefined values (they know
// why); overflows are noted here. Without any finite value the image becomes 0 everywhere.
void replaceNonFinite(Image &image, Notes &notes)
{
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    size_t undefined = 0, overflow = 0;
    for (const double v : image) {
        if (std::isnan(v)) ++undefined;
        else if (std::isinf(v)) ++overflow;
        else {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (undefined == 0 && overflow == 0) return;
    const bool anyFinite = lo <= hi;
    for (double &v : image) {
        if (!anyFinite && !std::isfinite(v)) v = 0.0;
        else if (std::isnan(v) || v == -std::numeric_limits<double>::infinity()) v = lo;
        else if (std::isinf(v)) v = hi;
    }
    if (overflow > 0)
        notes << ViewText::tr("%1 values were too large in magnitude for a number; they were set to the "
                    "largest (white) or lowest (black) finite result.")
                     .arg(overflow);
}

// NaN values of the input, which no point operation can map.
size_t countNaN(const Image &image)
{
    size_t n = 0;
    for (const double v : image) n += std::isnan(v) ? 1 : 0;
    return n;
}

void noteNaNInput(const Image &image, Notes &notes)
{
    if (const size_t n = countNaN(image))
        notes << ViewText::tr("%1 values of the image were undefined (not a number); they are shown black.").arg(n);
}

}  // namespace

Image normalizedImage(const Image &image, Notes &notes)
{
    Image out(image);
    noteNaNInput(image, notes);
    replaceNonFinite(out, notes);
    normalizeTo255(out);
    return out;
}

Image logImage(const Image &image, Notes &notes)
{
    Image out(image);
    size_t outside = 0;
    for (double &v : out) {
        if (v > 0.0) v = std::log(v);
        else {
            outside += std::isnan(v) ? 0 : 1;
            v = kUndefined;
        }
    }
    noteNaNInput(image, notes);
    if (outside > 0)
        notes << ViewText::tr("%1 values were 0 or negative and have no logarithm; they were given the lowest "
                    "logarithm of the image, so they show black.")
                     .arg(outside);
    replaceNonFinite(out, notes);
    normalizeTo255(out);
    return out;
}

Image sqrtImage(const Image &image, Notes &notes)
{
    Image out(image);
    size_t negative = 0;
    for (double &v : out) {
        if (v < 0.0) {
            ++negative;
            v = 0.0;
        } else {
            v = std::sqrt(v);
        }
    }
    noteNaNInput(image, notes);
    if (negative > 0)
        notes << ViewText::tr("%1 values were negative and have no square root; they were taken as 0, so they show black.")
                     .arg(negative);
    replaceNonFinite(out, notes);
    normalizeTo255(out);
    return out;
}

Image powerImage(const Image &image, double p, Notes &notes)
{
    if (!(p >= 0.0 && p <= 100.0))
        throw std::invalid_argument(ViewText::tr("Power: the exponent must lie between 0 and 100").toStdString());
    Image out(image);
    const bool fractional = p != std::floor(p);
    size_t negative = 0;
    if (p == 0.0) {
        out.fill(1.0);
    } else if (p == 2.0) {
        for (double &v : out) v = v * v;
    } else if (p == 3.0) {
        for (double &v : out) v = v * v * v;
    } else if (p == 4.0) {
        for (double &v : out) v = v * v * v * v;
    } else if (p != 1.0) {
        for (double &v : out) {
            if (fractional && v < 0.0) {
                ++negative;
                v = 0.0;
            } else {
                v = std::pow(v, p);
            }
        }
    }
    if (p != 0.0) noteNaNInput(image, notes);
    if (negative > 0)
        notes << ViewText::tr("%1 values were negative and have no power by %2; they were taken as 0, so they show black.")
                     .arg(negative)
                     .arg(p);
    replaceNonFinite(out, notes);
    normalizeTo255(out);
    return out;
}
