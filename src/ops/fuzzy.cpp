#include "ops/fuzzy.h"

#include <QCoreApplication>
#include <cmath>
#include <stdexcept>

#include "ops/hessian.h"
#include "ops/homomorphic.h"
#include "ops/imagehelpers.h"
#include "ops/morphology.h"
#include "ops/progress.h"
#include "ops/pyramid.h"

namespace {

QString viewText(const char *text) { return QCoreApplication::translate("PixmapWidget", text); }

constexpr int kFeatures = 5;
constexpr double kStructureThreshold = 20.0;
constexpr double kSegmentationThreshold = 0.5;
// The Laplacian pyramid halves the image three times.
constexpr int kMinimumSide = 8;

// The weighted sums that make the two centres: weights u^m for the vessel cluster and
// (1 - u)^m for the background, summed over the pixels in buffer order.
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
    // pow(u, m); the hard memberships 0 and 1 of the first split are common and exact.
    static double weight(double u)
    {
        if (u == 0.0) return 0.0;
        if (u == 1.0) return 1.0;
        return std::pow(u, kFuzzifier);
    }
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

Image hardSegmentation(const Image &membership)
{
    Image seg(membership, false);
    const double *u = membership.data();
    double *s = seg.data();
    for (size_t i = 0; i < membership.size(); ++i) s[i] = u[i] >= kSegmentationThreshold ? kWhite : 0.0;
    return seg;
}

}  // namespace

GrowState structureMask(const Image &image)
{
    requireNonEmpty(image);
    const Image kx(2, 1, 1, 1, -0.5, 0.5);
    const Image ky(1, 2, 1, 1, -0.5, 0.5);
    const Image gx = image.get_convolve(kx, 1, false);
    const Image gy = image.get_convolve(ky, 1, false);
    const Image g = gaussKernel(7, 5.0);
    const Image jxx = gx.get_mul(gx).convolve(g, 1, false);
    const Image jyy = gy.get_mul(gy).convolve(g, 1, false);
    const Image jxy = gx.get_mul(gy).convolve(g, 1, false);

    Image e(image, false);
    for (size_t i = 0; i < e.size(); ++i) e[i] = largerEigenvalue(jxx[i], jyy[i], jxy[i]);
    normalizeTo255(e);
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

    Image u(f1, false);
    for (size_t i = 0; i < f1.size(); ++i) u[i] = f1[i] > t ? 1.0 : 0.0;
    return u;
}

FuzzyResult fuzzyCMeans(const Image &initial, int maxIterations, const ImageList &features, Progress &progress,
                        const std::function<void(Image &&segmentation)> &onSegmentation, Notes &notes)
{
    requireFeatures(initial, features);
    const size_t n = initial.size();
    const double *f[kFeatures];
    for (int k = 0; k < kFeatures; ++k) f[k] = features[k].data();

    FuzzyResult result;
    Image u = initial;
    Image next(initial, false);
    CentreSums sums;
    double x[kFeatures];
    for (size_t i = 0; i < n; ++i) {
        for (int k = 0; k < kFeatures; ++k) x[k] = f[k][i];
        sums.add(u[i], x);
    }

    progress.start(viewText("Fuzzy clustering"), viewText("Initialize clustering algorithm ..."), 100);
    double change = 1000.0;
    size_t atVesselCentre = 0, atBothCentres = 0;
    for (int l = 0; l < maxIterations; ++l) {
        progress.setLabel(viewText("%1. iteration ...").arg(l + 1));
        progress.setValue(progressValue(change));
        progress.processEvents();

        if (!(sums.vesselWeight > 0.0) || !(sums.backgroundWeight > 0.0)) {
            // A cluster without weight has no centre: nothing is left to separate.
            notes << (sums.vesselWeight > 0.0
                          ? viewText("Fuzzy clustering stopped in iteration %1: no pixel belonged to the background "
                                     "cluster, so every pixel counts as vessel.")
                          : viewText("Fuzzy clustering stopped in iteration %1: no pixel belonged to the vessel "
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
        CentreSums nextSums;
        Image seg(initial, false);
        double *s = seg.data();
        const double *uOld = u.data();
        double *uNew = next.data();
        double squares = 0.0;
        for (size_t i = 0; i < n; ++i) {
            double dv = 0.0, db = 0.0;
            for (int k = 0; k < kFeatures; ++k) {
                x[k] = f[k][i];
                const double a = x[k] - cv[k];
                const double b = x[k] - cb[k];
                dv += a * a;
                db += b * b;
            }
            // u' = 1 / ((dv / dv)^2 + (dv / db)^2); the first term is 1 unless dv is 0.
            double up;
            if (dv == 0.0) {
                if (db == 0.0) {
                    up = 0.5;
                    ++atBothCentres;
                } else {
                    up = 1.0;
                    ++atVesselCentre;
                }
            } else {
                const double r = dv / db;
                up = 1.0 / (1.0 + r * r);
            }
            uNew[i] = up;
            s[i] = up >= kSegmentationThreshold ? kWhite : 0.0;
            const double d = up - uOld[i];
            squares += d * d;
            nextSums.add(up, x);
        }
        change = std::sqrt(squares);
        u.swap(next);
        sums = nextSums;
        result.iterations = l + 1;
        onSegmentation(std::move(seg));
        if (change <= kFuzzyStopChange) break;
    }
    progress.setValue(progressValue(change));
    progress.finish();

    if (atVesselCentre > 0)
        notes << viewText("Fuzzy clustering: %1 times a pixel's features lay exactly at the vessel centre; such a "
                          "pixel has no distance ratio and was taken as a vessel pixel.")
                     .arg(atVesselCentre);
    if (atBothCentres > 0)
        notes << viewText("Fuzzy clustering: %1 times a pixel's features lay exactly at both centres, which "
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
    Image result(segmentation, false);
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
    const Image initial = initialMembership(features[0]);

    auto appendCurrent = [&model](const Image &img) {
        model.append(img);
        model.currentIndex = model.count() - 1;
    };
    fuzzyCMeans(initial, kFuzzyMaxIterations, features, progress,
                [&](Image &&seg) {
                    model.previewImage = std::move(seg);
                    appendCurrent(model.previewImage);
                },
                notes);
    appendCurrent(connectedRefinement(model.current(), mask));
}
