// One iteration's pass of the two-cluster fuzzy c-means (fuzzifier 1.5) over all pixels:
// the new memberships from the two centres, their segmentation, the squared change from the
// memberships before, and the weighted sums that make the next centres.
//
// Every sum is added up in pixel order, as a plain loop does it, so the result has the same
// bits whatever the vector width and the number of threads: the pixels' own values are
// computed in chunks (split between the threads, vectorised), then each thread adds up its
// share of the sums over the chunk, every sum on one thread only.
#pragma once
#include <cmath>
#include <cstddef>

#include "ops/core/packedbinary.h"
#include "ops/core/simd.h"

namespace cmeans {

inline constexpr int kFeatures = 5;
inline constexpr double kSegmentationThreshold = 0.5;

// The weighted sums of one set of memberships u: weights u^1.5 (vessel) and (1 - u)^1.5
// (background), and the weighted sums of the feature vectors.
struct Sums {
    double vesselWeight = 0.0;
    double backgroundWeight = 0.0;
    double vessel[kFeatures] = {};
    double background[kFeatures] = {};
};

// u^1.5 evaluated as u * sqrt(u): two correctly rounded operations, so the weights (and
// every sharp u' >= 0.5 downstream) are the same with every maths library.
inline double weight(double u) { return u * std::sqrt(u); }

// u' = 1 / ((dv / dv)^2 + (dv / db)^2) from the squared distances to the two centres: 1 at
// the vessel centre, 0.5 where both centres coincide there, 0 at the background centre.
inline double membershipOf(double dv, double db)
{
    if (dv == 0.0) return db == 0.0 ? 0.5 : 1.0;
    const double r = dv / db;
    return 1.0 / (1.0 + r * r);
}

struct Centres {
    double vessel[kFeatures] = {};
    double background[kFeatures] = {};
};

// What a pass reads. The memberships before the pass are not stored: they are the initial
// image's (first pass) or follow from the previous centres by the same formula.
struct PassInput {
    const double *f[kFeatures] = {};
    size_t n = 0;
    Centres now;
    Centres before;                  // when initial is null
    const double *initial = nullptr;  // the memberships before the first pass
};

struct PassResult {
    double squares = 0.0;  // sum of (u' - u)^2
    size_t atVesselCentre = 0, atBothCentres = 0;
    Sums sums;             // of the new memberships
};

inline double squaredDistance(const double *const f[kFeatures], size_t i, const double (&c)[kFeatures])
{
    double d = 0.0;
    for (int k = 0; k < kFeatures; ++k) {
        const double a = f[k][i] - c[k];
        d += a * a;
    }
    return d;
}

// The membership of pixel i before the pass.
inline double previousMembership(const PassInput &in, size_t i)
{
    return in.initial ? in.initial[i]
                      : membershipOf(squaredDistance(in.f, i, in.before.vessel),
                                     squaredDistance(in.f, i, in.before.background));
}

// The pass with at most `threads` threads (it uses one or two) and the given vector path;
// segmentation (in.n pixels) receives white where u' >= 0.5.
PassResult pass(const PassInput &in, PackedBinary &segmentation, int threads, simd::Path path);

}  // namespace cmeans
