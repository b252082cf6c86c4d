#include "ops/fuzzy.h"

#include <QCoreApplication>
#include <cmath>
#include <stdexcept>
#include <algorithm>
#include <cstdint>

#include "ops/hessian.h"
#include "ops/homomorphic.h"
#include "ops/imagehelpers.h"
#include "ops/largebuffer.h"
#include "ops/morphology.h"
#include "ops/packedbinary.h"
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

// What a pass reads. The memberships before the pass are not stored: they are those of the
// initial image (first pass) or follow from the previous centres by the same formula, so
// recomputing them gives the same bits and saves an image of memory and its traffic.
struct PassInput {
    const double *f[kFeatures];
    double cv[kFeatures], cb[kFeatures];  // this iteration's centres
    double pv[kFeatures] = {}, pb[kFeatures] = {};  // the previous iteration's, when initial is null
    const double *initial = nullptr;      // the memberships before the first iteration
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

// The memberships before the pass, for pixels begin..end-1.
inline double previousMembership(const PassInput &in, size_t i)
{
    return in.initial ? in.initial[i] : membershipOf(squaredDistance(in.f, i, in.pv), squaredDistance(in.f, i, in.pb));
}

// Pixels are taken in blocks: first every pixel's own values (segmentation, squared change,
// weights), then the sums in pixel order, which keeps every sum's order of additions exactly
// that of a plain loop.
constexpr size_t kBlock = 256;

struct BlockValues {
    double dd[kBlock], wv[kBlock], wb[kBlock];
    std::uint8_t white[kBlock];
};

void pixelValues(const PassInput &in, size_t begin, size_t end, BlockValues &b, ClusterPass &out)
{
    for (size_t i = begin; i < end; ++i) {
        const double dv = squaredDistance(in.f, i, in.cv);
        const double db = squaredDistance(in.f, i, in.cb);
        if (dv == 0.0) ++(db == 0.0 ? out.atBothCentres : out.atVesselCentre);
        const double up = membershipOf(dv, db);
        const double d = up - previousMembership(in, i);
        const size_t j = i - begin;
        b.white[j] = up >= kSegmentationThreshold;
        b.dd[j] = d * d;
        b.wv[j] = CentreSums::weight(up);
        b.wb[j] = CentreSums::weight(1.0 - up);
    }
}

ClusterPass clusterPass(const PassInput &in, PackedBinary &segmentation, size_t n)
{
    ClusterPass out;
    BlockValues b;
    for (size_t begin = 0; begin < n; begin += kBlock) {
        const size_t end = std::min(n, begin + kBlock);
        pixelValues(in, begin, end, b, out);
        CentreSums &s = out.sums;
        for (size_t i = begin; i < end; ++i) {
            const size_t j = i - begin;
            out.squares += b.dd[j];
            s.vesselWeight += b.wv[j];
            s.backgroundWeight += b.wb[j];
            for (int k = 0; k < kFeatures; ++k) {
                const double x = in.f[k][i];
                s.vessel[k] += b.wv[j] * x;
                s.background[k] += b.wb[j] * x;
            }
        }
        for (size_t w = begin; w < end; w += 64) {
            std::uint64_t bits = 0;
            for (size_t i = w; i < std::min(end, w + 64); ++i) bits |= std::uint64_t(b.white[i - begin]) << (i - w);
            segmentation.setWord(w / 64, bits);
        }
    }
    return out;
}

// The segmentation of the memberships before a pass (a cluster without weight ends the
// clustering with them).
PackedBinary previousSegmentation(const PassInput &in, int w, int h, int d, int c)
{
    PackedBinary seg(w, h, d, c);
    const size_t n = seg.size();
    for (size_t w = 0; w * 64 < n; ++w) {
        std::uint64_t bits = 0;
        for (size_t i = w * 64; i < std::min(n, w * 64 + 64); ++i)
            bits |= std::uint64_t(previousMembership(in, i) >= kSegmentationThreshold) << (i & 63);
        seg.setWord(w, bits);
    }
    return seg;
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
                        const std::function<void(PackedBinary &&segmentation)> &onSegmentation, Notes &notes,
                        bool keepMembership)
{
    requireFeatures(membership, features);
    const size_t n = membership.size();
    PassInput in;
    for (int k = 0; k < kFeatures; ++k) in.f[k] = features[k].data();
    in.initial = membership.data();
    // The size of every segmentation (the initial image may be freed on the way).
    const int w = membership.width(), h = membership.height(), d = membership.depth(), c = membership.spectrum();

    FuzzyResult result;
    CentreSums sums;
    double x[kFeatures];
    for (size_t i = 0; i < n; ++i) {
        for (int k = 0; k < kFeatures; ++k) x[k] = in.f[k][i];
        sums.add(membership[i], x);
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
            onSegmentation(previousSegmentation(in, w, h, d, c));
            break;
        }
        const Image cvImage = centreImage(sums.vessel, sums.vesselWeight);
        const Image cbImage = centreImage(sums.background, sums.backgroundWeight);
        result.centres.push_back(cvImage);
        result.centres.push_back(cbImage);
        for (int k = 0; k < kFeatures; ++k) {
            in.cv[k] = cvImage[k];
            in.cb[k] = cbImage[k];
        }

        // One pass: the new memberships' segmentation, the change, and the centre sums the
        // next iteration starts from.
        PackedBinary seg(w, h, d, c);
        const ClusterPass pass = clusterPass(in, seg, n);
        std::copy(in.cv, in.cv + kFeatures, in.pv);
        std::copy(in.cb, in.cb + kFeatures, in.pb);
        if (in.initial && !keepMembership) membership.assign();
        in.initial = nullptr;
        atVesselCentre += pass.atVesselCentre;
        atBothCentres += pass.atBothCentres;
        sums = pass.sums;
        change = std::sqrt(pass.squares);
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
    if (keepMembership && !in.initial)
        for (size_t i = 0; i < n; ++i) membership[i] = previousMembership(in, i);
    if (keepMembership) result.membership = std::move(membership);
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
    // The features are independent filters of F1; the ones with the largest intermediate
    // images go first, while few features are held, which keeps the peak memory low.
    ImageList features(kFeatures);
    Image &f1 = features[0];
    topHatImage(image, makeStructEl(1, 9), progress).move_to(f1);
    normalizeTo255(f1);
    hessEnhImage(getInverted(f1, false), progress).move_to(features[4]);
    laplPyramidImage(f1).move_to(features[1]);
    normalizeTo255(features[1]);
    homomorphicImage(f1).move_to(features[3]);
    nonLinearImage(f1).move_to(features[2]);
    normalizeTo255(features[2]);
    return features;
}

void runFuzzy(ImageModel &model, const Params &, Progress &progress, Notes &notes)
{
    fuzzyClustering(model, progress, notes);
}

void fuzzyClustering(ImageModel &model, Progress &progress, Notes &notes)
{
    GrowState mask;
    ImageList features;
    {
        const ImageRead read = model.currentImage();
        const Image &image = *read;
        if (image.width() < kMinimumSide || image.height() < kMinimumSide)
            throw std::runtime_error(
                QString("Fuzzy clustering needs an image of at least %1 by %1 pixels, not %2 by %3")
                    .arg(kMinimumSide)
                    .arg(image.width())
                    .arg(image.height())
                    .toStdString());
        mask = structureMask(image);
        fuzzyFeatures(image, progress).move_to(features);
    }
    // Each segmentation is appended in one bit per pixel and shown through the preview,
    // whose buffer is reused from iteration to iteration.
    fuzzyCMeans(initialMembership(features[0]), kFuzzyMaxIterations, features, progress,
                [&](PackedBinary &&seg) {
                    seg.unpackInto(model.previewImage);
                    model.appendCompact(std::move(seg));
                    model.currentIndex = model.count() - 1;
                    progress.intermediate(model.previewImage);
                },
                notes, false);
    features.assign();
    // The preview holds the last segmentation as doubles.
    model.appendCompact(connectedRefinement(model.previewImage, mask));
    model.currentIndex = model.count() - 1;
}
