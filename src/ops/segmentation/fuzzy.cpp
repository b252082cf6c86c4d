#include "ops/segmentation/fuzzy.h"

#include <QCoreApplication>
#include <cmath>
#include <stdexcept>
#include <algorithm>
#include <cstdint>

#include "ops/segmentation/cmeanspass.h"
#include "ops/core/execution.h"
#include "ops/filters/hessian.h"
#include "ops/filters/homomorphic.h"
#include "ops/core/imagehelpers.h"
#include "ops/core/largebuffer.h"
#include "ops/morphology/morphology.h"
#include "ops/core/packedbinary.h"
#include "ops/core/progress.h"
#include "ops/filters/pyramid.h"
#include "ops/filters/separable.h"
#include "ops/filters/structuretensor.h"
#include "ops/core/viewtext.h"

namespace {

constexpr double kStructureThreshold = 20.0;
// The Laplacian pyramid halves the image three times.
constexpr int kMinimumSide = 8;

using cmeans::kFeatures;
using cmeans::kSegmentationThreshold;
using cmeans::PassInput;
using cmeans::previousMembership;
static_assert(kFuzzifier == 1.5, "the weights of the c-means pass are written for m = 1.5");

// Adds one pixel of membership u and feature vector x to the centre sums, in pixel order.
void addToSums(cmeans::Sums &s, double u, const double (&x)[kFeatures])
{
    const double wv = cmeans::weight(u);
    const double wb = cmeans::weight(1.0 - u);
    s.vesselWeight += wv;
    s.backgroundWeight += wb;
    for (int k = 0; k < kFeatures; ++k) {
        s.vessel[k] += wv * x[k];
        s.background[k] += wb * x[k];
    }
}

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

// The segmentation of the memberships before a pass (a cluster without weight ends the
// clustering with them).
PackedBinary previousSegmentation(const PassInput &in, int w, int h, int d, int c)
{
    PackedBinary seg(w, h, d, c);
    const size_t n = seg.size();
    for (size_t word = 0; word * 64 < n; ++word) {
        std::uint64_t bits = 0;
        for (size_t i = word * 64; i < std::min(n, word * 64 + 64); ++i)
            bits |= std::uint64_t(previousMembership(in, i) >= kSegmentationThreshold) << (i & 63);
        seg.setWord(word, bits);
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

// The structure mask from the structure strength, which is scaled in place.
GrowState maskFromStrength(Image &e)
{
    fast::normalizeTo255(e);
    GrowState mask(e.size());
    for (size_t i = 0; i < e.size(); ++i) mask[i] = e[i] > kStructureThreshold ? 1 : 0;
    return mask;
}

// The features; spare, when of the image's size, is the buffer F5's input (255 - F1) is
// written into, so that no fresh image-sized buffer is mapped for it.
ImageList featuresReusing(const Image &image, Progress &progress, Image spare)
{
    // The features are independent filters of F1; the ones with the largest intermediate
    // images go first, while few features are held, which keeps the peak memory low.
    ImageList features(kFeatures);
    Image &f1 = features[0];
    topHatImage(image, makeStructEl(1, 9), progress).move_to(f1);
    normalizeTo255(f1);
    if (spare.is_sameXYZC(f1))
        std::copy(f1.begin(), f1.end(), spare.begin());
    else
        spare = f1;
    hessEnhImage(getInverted(std::move(spare), false), progress).move_to(features[4]);
    laplPyramidImage(f1).move_to(features[1]);
    normalizeTo255(features[1]);
    homomorphicImage(f1).move_to(features[3]);
    nonLinearImage(f1).move_to(features[2]);
    normalizeTo255(features[2]);
    return features;
}

}  // namespace

GrowState structureMask(const Image &image)
{
    requireNonEmpty(image);
    Image e = structureStrength(image);
    return maskFromStrength(e);
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
                        Image *spare)
{
    requireFeatures(membership, features);
    const bool keepMembership = spare == nullptr;
    const size_t n = membership.size();
    PassInput in;
    in.n = n;
    for (int k = 0; k < kFeatures; ++k) in.f[k] = features[k].data();
    in.initial = membership.data();
    // The size of every segmentation (the initial image may be freed on the way).
    const int w = membership.width(), h = membership.height(), d = membership.depth(), c = membership.spectrum();

    FuzzyResult result;
    cmeans::Sums sums;
    double x[kFeatures];
    for (size_t i = 0; i < n; ++i) {
        for (int k = 0; k < kFeatures; ++k) x[k] = in.f[k][i];
        addToSums(sums, membership[i], x);
    }
    // The pass uses two threads when more than one is allowed: more would only wait for the
    // sums, which are added up in pixel order.
    const int threads = std::min(2, execution::rowThreads());
    const simd::Path path = simd::active();

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
            in.now.vessel[k] = cvImage[k];
            in.now.background[k] = cbImage[k];
        }

        // One pass: the new memberships' segmentation, the change, and the centre sums the
        // next iteration starts from.
        PackedBinary seg(w, h, d, c);
        const cmeans::PassResult pass = cmeans::pass(in, seg, threads, path);
        in.before = in.now;
        if (in.initial && !keepMembership) membership.move_to(*spare);
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

ImageList fuzzyFeatures(const Image &image, Progress &progress) { return featuresReusing(image, progress, Image()); }

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
        // The structure strength's buffer serves again inside the features.
        requireNonEmpty(image);
        Image strength = structureStrength(image);
        mask = maskFromStrength(strength);
        featuresReusing(image, progress, std::move(strength)).move_to(features);
    }
    // Each segmentation is appended in one bit per pixel and shown through the preview,
    // whose buffer is the initial membership's, reused from iteration to iteration.
    fuzzyCMeans(initialMembership(features[0]), kFuzzyMaxIterations, features, progress,
                [&](PackedBinary &&seg) {
                    seg.unpackInto(model.previewImage);
                    model.appendCompact(std::move(seg));
                    model.currentIndex = model.count() - 1;
                    progress.intermediate(model.previewImage);
                },
                notes, &model.previewImage);
    features.assign();
    // The preview holds the last segmentation as doubles. The result stays doubles: it is
    // what the user goes on with, saves or measures.
    model.append(connectedRefinement(model.previewImage, mask));
    model.currentIndex = model.count() - 1;
}
