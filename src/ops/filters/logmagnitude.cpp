#include "ops/filters/logmagnitude.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>


namespace fast {

namespace {

[[gnu::always_inline]] inline double logBody(double y)
{
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    constexpr double lg1 = 6.666666666666735130e-01, lg2 = 3.999999999940941908e-01, lg3 = 2.857142874366239149e-01,
                     lg4 = 2.222219843214978396e-01, lg5 = 1.818357216161805012e-01, lg6 = 1.531383769920937332e-01,
                     lg7 = 1.479819860511658591e-01;
    // Shift the exponent so that the mantissa falls in sqrt(1/2) .. sqrt(2).
    std::uint64_t bits = std::bit_cast<std::uint64_t>(y) + (std::uint64_t(0x3ff00000 - 0x3fe6a09e) << 32);
    const std::uint64_t biased = bits >> 52;
    bits = (bits & 0x000fffffffffffffULL) + (std::uint64_t(0x3fe6a09e) << 32);
    // k = biased - 1023 as a double, exactly, without an integer conversion instruction.
    const double k = std::bit_cast<double>(biased | 0x4330000000000000ULL) - (4503599627370496.0 + 1023.0);
    const double f = std::bit_cast<double>(bits) - 1.0;
    const double hfsq = 0.5 * f * f;
    const double s = f / (2.0 + f);
    const double z = s * s, w = z * z;
    const double t1 = w * (lg2 + w * (lg4 + w * lg6));
    const double t2 = z * (lg1 + w * (lg3 + w * (lg5 + w * lg7)));
    const double r = t2 + t1;
    const double result = s * (hfsq + r) + k * ln2Lo - hfsq + f + k * ln2Hi;
    return y <= DBL_MAX ? result : y;  // +inf and NaN pass through
}

// The square roots stay a plain loop (they keep their error semantics, so the compiler
// does not vectorise them); the logarithms, the expensive part, vectorise.
[[gnu::always_inline]] inline void rowBody(const Complex *src, int count, double *dst, double *scratch)
{
    for (int i = 0; i < count; ++i) {
        const double re = src[i].re, im = src[i].im;
        scratch[i] = std::sqrt(re * re + im * im);
    }
    const double *__restrict m = scratch;
    double *__restrict out = dst;
    for (int i = 0; i < count; ++i) out[i] = logBody(1 + m[i]);
}

QUENDRA_SIMD_KERNEL(logMagnitudeKernel, rowBody)

}  // namespace

double logAtLeastOne(double y) { return logBody(y); }

void logMagnitudeRow(const Complex *src, int count, double *dst, double *scratch, simd::Path path)
{
    logMagnitudeKernel(path, src, count, dst, scratch);
}

}  // namespace fast
