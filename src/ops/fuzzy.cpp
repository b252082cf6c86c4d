#include "ops/fuzzy.h"

#include <QCoreApplication>
#include <cmath>
#include <stdexcept>
#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "ops/hessian.h"
#include "ops/homomorphic.h"
#include "ops/imagehelpers.h"
#include "ops/largebuffer.h"
#include "ops/morphology.h"
#include "ops/progress.h"
#include "ops/pyramid.h"
#include "ops/separable.h"
#include "ops/structuretensor.h"
#include "ops/viewtext.h"

namespace {

constexpr int kFeatures = 5;
constexpr double kStructureThreshold = 20.0;
constexpr double kSegmentationThreshold = 0.5;
// The Laplacian pyramid halves the image three times.
constexpr int kMinimumSide = 8;

// The weighted sums that make the two centres: weights u^m for the vessel cluster and
// (1 - u)^m for the background, summed over the pixels in buffer order.
static_assert(kFuzzifier == 1.5, "the weights below are written for m = 1.5");
struct CentreSums {
    double vesselWeight = 0.0;
    double backgroundWeight = 0.0;
    double vessel[kFeatures] = {};
    double background[kFeatures] = {};

    void add(double u, const double (&x)[kFeatures])
    {
        const double wv = weight(u);
        const double wb = weight(1.0 - u);
        vesselWeight += wv;
        backgroundWeight += wb;
        for (int k = 0; k < kFeatures; ++k) {
            vessel[k] += wv * x[k];
            background[k] += wb * x[k];
        }
    }
    // u^m for m = 1.5, evaluated as u * sqrt(u): two correctly rounded operations, so the
    // weights (and every sharp u' >= 0.5 downstream) are the same with every maths
    // library, which a general pow() does not promise; it is also several times faster.
    static double weight(double u) { return u * std::sqrt(u); }
};

// trunc(100 / change) as a progress value, kept inside 0..100.
int progressValue(double change)
{
    const double v = 100.0 / change;
    if (!(v > 0.0)) return 0;
    return v >= 100.0 ? 100 : int(v);
}

Image centreImage(const double (&sum)[kFeatures], double weight)
{
    Image c(kFeatures, 1, 1, 1);
    for (int k = 0; k < kFeatures; ++k) c[k] = sum[k] / weight;
    return c;
}

// One iteration's pass over the pixels, given the two centres.
struct ClusterPass {
    double squares = 0.0;  // sum of (u' - u)^2
    size_t atVesselCentre = 0, atBothCentres = 0;
    CentreSums sums;       // of the new memberships, for the next centres
};

// The new membership of one pixel from its squared distances to the two centres:
// u' = 1 / ((dv / dv)^2 + (dv / db)^2), the first term being 1 unless dv is 0. At the
// vessel centre u' is 1, at both (coinciding) centres 0.5; at the background centre alone
// dv / db is infinite and u' is 0.
inline double membershipOf(double dv, double db)
{
    if (dv == 0.0) return db == 0.0 ? 0.5 : 1.0;
    const double r = dv / db;
    return 1.0 / (1.0 + r * r);
}

// Pixels are taken in blocks: first every pixel's own values (membership, segmentation,
// squared change, weights), two at a time where the processor has SSE2, then the sums in
// pixel order, which keeps every sum's order of additions exactly that of a plain loop.
constexpr size_t kBlock = 256;

void pixelValues(const double *const f[kFeatures], const double *cv, const double *cb, double *u, double *seg,
                 size_t begin, size_t end, double *dd, double *wv, double *wb, ClusterPass &out)
{
    size_t i = begin;
#ifdef __SSE2__
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
    const __m128d white = _mm_set1_pd(kWhite);
    for (; i + 2 <= end; i += 2) {
        __m128d dv = zero, db = zero;
        for (int k = 0; k < kFeatures; ++k) {
            const __m128d x = _mm_loadu_pd(f[k] + i);
            const __m128d a = _mm_sub_pd(x, _mm_set1_pd(cv[k]));
            const __m128d b = _mm_sub_pd(x, _mm_set1_pd(cb[k]));
            dv = _mm_add_pd(dv, _mm_mul_pd(a, a));
            db = _mm_add_pd(db, _mm_mul_pd(b, b));
        }
        const __m128d r = _mm_div_pd(dv, db);
        __m128d up = _mm_div_pd(one, _mm_add_pd(one, _mm_mul_pd(r, r)));
        const __m128d dvZero = _mm_cmpeq_pd(dv, zero), dbZero = _mm_cmpeq_pd(db, zero);
        const __m128d special = _mm_or_pd(_mm_and_pd(dbZero, half), _mm_andnot_pd(dbZero, one));
        up = _mm_or_pd(_mm_and_pd(dvZero, special), _mm_andnot_pd(dvZero, up));
        const int vesselOnly = _mm_movemask_pd(_mm_andnot_pd(dbZero, dvZero));
        const int both = _mm_movemask_pd(_mm_and_pd(dbZero, dvZero));
        out.atVesselCentre += (vesselOnly & 1) + (vesselOnly >> 1);
        out.atBothCentres += (both & 1) + (both >> 1);

        const __m128d d = _mm_sub_pd(up, _mm_loadu_pd(u + i));
        _mm_storeu_pd(u + i, up);
        _mm_storeu_pd(seg + i, _mm_and_pd(_mm_cmpge_pd(up, half), white));
        const __m128d v = _mm_sub_pd(one, up);
        _mm_storeu_pd(dd + (i - begin), _mm_mul_pd(d, d));
        _mm_storeu_pd(wv + (i - begin), _mm_mul_pd(up, _mm_sqrt_pd(up)));
        _mm_storeu_pd(wb + (i - begin), _mm_mul_pd(v, _mm_sqrt_pd(v)));
    }
#endif
    for (; i < end; ++i) {
        double dv = 0.0, db = 0.0;
        for (int k = 0; k < kFeatures; ++k) {
            const double a = f[k][i] - cv[k];
            const double b = f[k][i] - cb[k];
            dv += a * a;
            db += b * b;
        }
        if (dv == 0.0) ++(db == 0.0 ? out.atBothCentres : out.atVesselCentre);
        const double up = membershipOf(dv, db);
        const double d = up - u[i];
        u[i] = up;
        seg[i] = up >= kSegmentationThreshold ? kWhite : 0.0;
        dd[i - begin] = d * d;
        wv[i - begin] = CentreSums::weight(up);
        wb[i - begin] = CentreSums::weight(1.0 - up);
    }
}

ClusterPass clusterPass(const double *const f[kFeatures], const double *cv, const double *cb, double *u, double *seg,
                        size_t n)
{
    ClusterPass out;
    double dd[kBlock], wv[kBlock], wb[kBlock];
    for (size_t begin = 0; begin < n; begin += kBlock) {
        const size_t end = std::min(n, begin + kBlock);
        pixelValues(f, cv, cb, u, seg, begin, end, dd, wv, wb, out);
        CentreSums &s = out.sums;
        for (size_t i = begin; i < end; ++i) {
            const size_t j = i - begin;
            out.squares += dd[j];
            s.vesselWeight += wv[j];
            s.backgroundWeight += wb[j];
            for (int k = 0; k < kFeatures; ++k) {
                const double x = f[k][i];
                s.vessel[k] += wv[j] * x;
                s.background[k] += wb[j] * x;
            }
        }
    }
    return out;
}

void requireFeatures(const Image &initial, const ImageList &features)
{
    if (initial.is_empty()) throw std::runtime_error("Fuzzy clustering: the initial membership is empty");
    if (features.size() != kFeatures)
        throw std::runtime_error(QString("Fuzzy clustering needs %1 features, not %2")
                                     .arg(kFeatures)
                                     .arg(features.size())
                                     .toStdString());
    for (int k = 0; k < kFeatures; ++k) {
        if (!features[k].is_sameXYZC(initial))
            throw std::runtime_error(
                QString("Fuzzy clustering: feature %1 differs in size from the membership").arg(k + 1).toStdString());
        if (!allFinite(features[k]))
            throw std::runtime_error(
                QString("Fuzzy clustering: feature %1 holds values that are not finite").arg(k + 1).toStdString());
    }
    if (!allFinite(initial)) throw std::runtime_error("Fuzzy clustering: the initial membership is not finite");
}

// An image of the size of like, its values not yet set (large buffers advised for huge
// pages: one is written per iteration).
Image freshImage(const Image &like) { return uninitializedImage(like.width(), like.height(), like.depth(), like.spectrum()); }

Image hardSegmentation(const Image &membership)
{
    Image seg = freshImage(membership);
    const double *u = membership.data();
    double *s = seg.data();
    for (size_t i = 0; i < membership.size(); ++i) s[i] = u[i] >= kSegmentationThreshold ? kWhite : 0.0;
    return seg;
}

}  // namespace

GrowState structureMask(const Image &image)
{
    requireNonEmpty(image);
    Image e = structureStrength(image);
    fast::normalizeTo255(e);
    GrowState mask(e.size());
    for (size_t i = 0; i < e.size(); ++i) mask[i] = e[i] > kStructureThreshold ? 1 : 0;
    return mask;
}

Image initialMembership(const Image &f1)
{
    requireNonEmpty(f1);
    // Counted exactly, then held in single precision as the histogram keeps them.
    size_t counts[256] = {};
    for (const double v : f1)
        if (v >= 0.0 && v <= 255.0) ++counts[int(v)];
    const double total = double(f1.width()) * double(f1.height());
    int t = 1;
    double sum = float(counts[0]);
    while (t < 256 && sum / total < 0.5) sum += float(counts[t++]);
    if (sum / total < 0.5) t = 256;

    Image u = freshImage(f1);
    for (size_t i = 0; i < f1.size(); ++i) u[i] = f1[i] > t ? 1.0 : 0.0;
    return u;
}

FuzzyResult fuzzyCMeans(Image membership, int maxIterations, const ImageList &features, Progress &progress,
                        const std::function<void(Image &&segmentation)> &onSegmentation, Notes &notes)
{
    requireFeatures(membership, features);
    const size_t n = membership.size();
    const double *f[kFeatures];
    for (int k = 0; k < kFeatures; ++k) f[k] = features[k].data();

    FuzzyResult result;
    // The memberships are updated in place: each pixel's old value is needed only for its
    // own change, so one image serves where the description keeps a list of them.
    Image &u = membership;
    CentreSums sums;
    double x[kFeatures];
    for (size_t i = 0; i < n; ++i) {
        for (int k = 0; k < kFeatures; ++k) x[k] = f[k][i];
        sums.add(u[i], x);
    }

    progress.start(ViewText::tr("Fuzzy clustering"), ViewText::tr("Initialize clustering algorithm ..."), 100);
    double change = 1000.0;
    size_t atVesselCentre = 0, atBothCentres = 0;
    for (int l = 0; l < maxIterations; ++l) {
        progress.setLabel(ViewText::tr("%1. iteration ...").arg(l + 1));
        progress.setValue(progressValue(change));
        progress.processEvents();

        if (!(sums.vesselWeight > 0.0) || !(sums.backgroundWeight > 0.0)) {
            // A cluster without weight has no centre: nothing is left to separate.
            notes << (sums.vesselWeight > 0.0
                          ? ViewText::tr("Fuzzy clustering stopped in iteration %1: no pixel belonged to the background "
                                     "cluster, so every pixel counts as vessel.")
                          : ViewText::tr("Fuzzy clustering stopped in iteration %1: no pixel belonged to the vessel "
                                     "cluster (for example because the image is constant), so no pixel counts as vessel."))
                         .arg(l + 1);
            change = 0.0;
            result.iterations = l + 1;
            onSegmentation(hardSegmentation(u));
            break;
        }
        const Image cvImage = centreImage(sums.vessel, sums.vesselWeight);
        const Image cbImage = centreImage(sums.background, sums.backgroundWeight);
        result.centres.push_back(cvImage);
        result.centres.push_back(cbImage);
        double cv[kFeatures], cb[kFeatures];
        for (int k = 0; k < kFeatures; ++k) {
            cv[k] = cvImage[k];
            cb[k] = cbImage[k];
        }

        // One pass: the new memberships, their segmentation, the change, and the centre
        // sums the next iteration starts from.
        Image seg = freshImage(u);
        const ClusterPass pass = clusterPass(f, cv, cb, u.data(), seg.data(), n);
        const double squares = pass.squares;
        atVesselCentre += pass.atVesselCentre;
        atBothCentres += pass.atBothCentres;
        sums = pass.sums;
        change = std::sqrt(squares);
        result.iterations = l + 1;
        onSegmentation(std::move(seg));
        if (change <= kFuzzyStopChange) break;
    }
    progress.setValue(progressValue(change));
    progress.finish();

    if (atVesselCentre > 0)
        notes << ViewText::tr("Fuzzy clustering: %1 times a pixel's features lay exactly at the vessel centre; such a "
                          "pixel has no distance ratio and was taken as a vessel pixel.")
                     .arg(atVesselCentre);
    if (atBothCentres > 0)
        notes << ViewText::tr("Fuzzy clustering: %1 times a pixel's features lay exactly at both centres, which "
                          "coincided; such a pixel was given the membership 0.5.")
                     .arg(atBothCentres);
    result.change = change;
    result.membership = std::move(u);
    return result;
}

Image connectedRefinement(const Image &segmentation, const GrowState &mask)
{
    if (mask.size() != segmentation.size())
        throw std::runtime_error("Fuzzy clustering: the structure mask differs in size from the segmentation");
    GrowState state(segmentation.size());
    const double *c = segmentation.data();
    for (size_t i = 0; i < state.size(); ++i)
        state[i] = c[i] == kWhite ? (mask[i] ? kGrowSeed : kGrowCandidate) : kGrowBlocked;
    growFromSeeds(state, segmentation.width(), segmentation.height());
    Image result = freshImage(segmentation);
    for (size_t i = 0; i < state.size(); ++i) result[i] = state[i] == kGrowSeed ? kWhite : 0.0;
    return result;
}

ImageList fuzzyFeatures(const Image &image, Progress &progress)
{
    ImageList features;
    Image f1 = topHatImage(image, makeStructEl(1, 9), progress);
    normalizeTo255(f1);
    Image f2 = laplPyramidImage(f1);
    normalizeTo255(f2);
    Image f3 = nonLinearImage(f1);
    normalizeTo255(f3);
    Image f4 = homomorphicImage(f1);
    Image f5 = hessEnhImage(getInverted(f1, false), progress);
    features.push_back(f1);
    features.push_back(f2);
    features.push_back(f3);
    features.push_back(f4);
    features.push_back(f5);
    return features;
}

void runFuzzy(ImageModel &model, const Params &, Progress &progress, Notes &notes)
{
    fuzzyClustering(model, progress, notes);
}

void fuzzyClustering(ImageModel &model, Progress &progress, Notes &notes)
{
    // A copy: the list grows below and the working copy must not move under us.
    const Image image = model.current();
    if (image.width() < kMinimumSide || image.height() < kMinimumSide)
        throw std::runtime_error(QString("Fuzzy clustering needs an image of at least %1 by %1 pixels, not %2 by %3")
                                     .arg(kMinimumSide)
                                     .arg(image.width())
                                     .arg(image.height())
                                     .toStdString());
    const GrowState mask = structureMask(image);
    const ImageList features = fuzzyFeatures(image, progress);

    auto appendCurrent = [&model](Image &&img) {
        img.move_to(model.imageList);
        model.currentIndex = model.count() - 1;
    };
    fuzzyCMeans(initialMembership(features[0]), kFuzzyMaxIterations, features, progress,
                [&](Image &&seg) {
                    model.previewImage = seg;
                    appendCurrent(std::move(seg));
                    progress.intermediate(model.previewImage);
                },
                notes);
    appendCurrent(connectedRefinement(model.current(), mask));
}
