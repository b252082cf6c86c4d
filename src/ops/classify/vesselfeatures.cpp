#include "ops/classify/vesselfeatures.h"

#include <algorithm>
#include <functional>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "ops/core/execution.h"
#include "ops/classify/fieldofview.h"
#include "ops/filters/hessian.h"
#include "ops/core/imagehelpers.h"
#include "ops/core/viewtext.h"
#include "ops/morphology/morphology.h"
#include "ops/filters/pyramid.h"
#include "ops/filters/separable.h"

namespace {

constexpr double kScales[] = {1.0, 2.0, 4.0};
constexpr int kTopHatRadii[] = {3, 7, 11};
constexpr int kLineLengths[] = {5, 9, 15};
constexpr int kLineWindow = 15;
constexpr int kOrientations = 12;

// Gaussian smoothing with sigma, the kernel reaching three sigma on each side.
Image smoothed(const Image &image, double sigma)
{
    Image out;
    fast::separableFilter(image, fast::gaussTaps(2 * int(std::ceil(3.0 * sigma)) + 1, sigma), out);
    return out;
}

// The gradient magnitude of s by central differences (edge pixels repeated), times scale.
Image gradientMagnitude(const Image &s, double scale)
{
    const int w = s.width(), h = s.height();
    Image out;
    fast::allocate(out, w, h);
    execution::parallelRows(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const double *up = s.data(0, std::max(0, y - 1)), *down = s.data(0, std::min(h - 1, y + 1)), *row = s.data(0, y);
            for (int x = 0; x < w; ++x) {
                const double gx = 0.5 * row[std::min(w - 1, x + 1)] - 0.5 * row[std::max(0, x - 1)];
                const double gy = 0.5 * down[x] - 0.5 * up[x];
                out(x, y) = std::sqrt(gx * gx + gy * gy) * scale;
            }
        }
    });
    return out;
}

// The pixel offsets of a centred line of odd length at angle k * 15 degrees: one pixel per
// step along the axis the line is closer to, so the points are distinct.
std::vector<std::pair<int, int>> lineOffsets(int k, int length)
{
    const double angle = k * std::numbers::pi / kOrientations;
    const double c = std::cos(angle), s = std::sin(angle);
    std::vector<std::pair<int, int>> offsets;
    const int half = length / 2;
    // Ordered by distance from the centre, so shorter lines are prefixes of longer ones.
    for (int r = 0; r <= half; ++r)
        for (const int t : r == 0 ? std::vector<int>{0} : std::vector<int>{-r, r}) {
            if (std::abs(c) >= std::abs(s)) offsets.emplace_back(t, int(std::lround(t * s / c)));
            else offsets.emplace_back(int(std::lround(t * c / s)), t);
        }
    return offsets;
}

void requireFeatureInput(const Image &image, const Image &fov)
{
    requireFilterSize(image, kFeatureMinimumSide, "The vessel classifier");
    if (!allFinite(image)) throw std::runtime_error(
            ViewText::tr("The vessel classifier needs an image without NaN or infinite values.").toStdString());
    if (fov.width() != image.width() || fov.height() != image.height())
        throw std::runtime_error("The field-of-view mask (" + std::to_string(fov.width()) + " x " +
                                 std::to_string(fov.height()) + ") and the image (" + std::to_string(image.width()) +
                                 " x " + std::to_string(image.height()) + ") differ in size.");
}

}  // namespace

const QStringList &vesselFeatureNames()
{
    static const QStringList names = [] {
        QStringList n{"intensity"};
        for (const double s : kScales) n << QString("gauss_s%1").arg(s);
        for (const double s : kScales) n << QString("ridge_s%1").arg(s);
        for (const double s : kScales) n << QString("bend_s%1").arg(s);
        n << "gradient_s1" << "gradient_s2";
        for (const int r : kTopHatRadii) n << QString("tophat_r%1").arg(r);
        for (const int l : kLineLengths) n << QString("line_l%1").arg(l);
        n << "hessian_enhancement" << "laplacian_pyramid";
        return n;
    }();
    return names;
}

std::vector<Image> lineDetectors(const Image &bright, const std::vector<int> &lengths, int window)
{
    const int w = bright.width(), h = bright.height(), longest = *std::max_element(lengths.begin(), lengths.end());
    const int half = longest / 2;
    Image windowMean;
    fast::separableFilter(bright, std::vector<double>(size_t(window), 1.0 / window), windowMean);
    // The image with a border of `half` repeated edge pixels, so the lines need no clamping.
    const int pw = w + 2 * half;
    std::vector<double> padded(size_t(pw) * size_t(h + 2 * half));
    for (int y = -half; y < h + half; ++y)
        for (int x = -half; x < w + half; ++x)
            padded[size_t(x + half) + size_t(y + half) * size_t(pw)] =
                bright(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
    // Offsets ordered by distance from the centre: a shorter line is a prefix of a longer one,
    // so one walk along each orientation serves every length.
    std::vector<std::vector<long>> steps(kOrientations);
    for (int k = 0; k < kOrientations; ++k)
        for (const auto &[dx, dy] : lineOffsets(k, longest)) steps[size_t(k)].push_back(long(dx) + long(dy) * pw);
    std::vector<Image> out(lengths.size());
    for (Image &o : out) fast::allocate(o, w, h);
    // A whole row at a time: for one offset the pixels of a row read consecutive values, so
    // the sums vectorise. Each pixel still adds its line's values in the same order.
    execution::parallelRows(h, [&](int begin, int end) {
        std::vector<double> sum(static_cast<size_t>(w)), best(lengths.size() * size_t(w));
        for (int y = begin; y < end; ++y) {
            std::fill(best.begin(), best.end(), -std::numeric_limits<double>::infinity());
            const double *centre = padded.data() + size_t(half) + size_t(y + half) * size_t(pw);
            for (const std::vector<long> &line : steps) {
                std::fill(sum.begin(), sum.end(), 0.0);
                size_t taken = 0;
                for (size_t l = 0; l < lengths.size(); ++l) {
                    for (; taken < size_t(lengths[l]); ++taken) {
                        const double *source = centre + line[taken];
                        for (int x = 0; x < w; ++x) sum[size_t(x)] += source[x];
                    }
                    double *b = best.data() + l * size_t(w);
                    for (int x = 0; x < w; ++x) b[x] = std::max(b[x], sum[size_t(x)]);
                }
            }
            const double *mean = windowMean.data(0, y);
            for (size_t l = 0; l < lengths.size(); ++l) {
                double *o = out[l].data(0, y);
                const double *b = best.data() + l * size_t(w);
                for (int x = 0; x < w; ++x) o[x] = b[x] / lengths[l] - mean[x];
            }
        }
    });
    return out;
}

Image lineDetector(const Image &bright, int length, int window)
{
    return std::move(lineDetectors(bright, {length}, window).front());
}

namespace {

// Receives feature image number `index` (in vesselFeatureNames() order) from a job.
using FeatureSink = std::function<void(size_t index, Image &&feature)>;
// A part of the features that needs nothing from the other parts.
using FeatureJob = std::function<void(const FeatureSink &)>;

constexpr size_t kFirstGauss = 1, kFirstRidge = kFirstGauss + std::size(kScales), kFirstBend = kFirstRidge + std::size(kScales);
constexpr size_t kFirstGradient = kFirstBend + std::size(kScales), kGradients = 2;
constexpr size_t kFirstTopHat = kFirstGradient + kGradients, kFirstLine = kFirstTopHat + std::size(kTopHatRadii);
constexpr size_t kHessianEnhancement = kFirstLine + std::size(kLineLengths), kLaplacianPyramid = kHessianEnhancement + 1;

// The features of an image already turned vessels-bright, in independent jobs, the
// costliest first so that the threads finish together.
std::vector<FeatureJob> featureJobs(const Image &bright)
{
    std::vector<FeatureJob> jobs;
    jobs.push_back([&bright](const FeatureSink &sink) {
        std::vector<Image> lines = lineDetectors(bright, {std::begin(kLineLengths), std::end(kLineLengths)}, kLineWindow);
        for (size_t l = 0; l < lines.size(); ++l) sink(kFirstLine + l, std::move(lines[l]));
    });
    for (size_t k = std::size(kScales); k-- > 0;)
        jobs.push_back([&bright, k](const FeatureSink &sink) {
            Image smooth = smoothed(bright, kScales[k]), larger, smaller;
            hessianEigenvalues(smooth, &larger, &smaller);
            const double norm = kScales[k] * kScales[k];
            smaller *= -norm;
            larger *= norm;
            sink(kFirstRidge + k, std::move(smaller));
            sink(kFirstBend + k, std::move(larger));
            if (k < kGradients) sink(kFirstGradient + k, gradientMagnitude(smooth, kScales[k]));
            sink(kFirstGauss + k, std::move(smooth));
        });
    for (size_t r = std::size(kTopHatRadii); r-- > 0;)
        jobs.push_back([&bright, r](const FeatureSink &sink) {
            NullProgress quiet;
            sink(kFirstTopHat + r, topHatImage(bright, makeStructEl(1, kTopHatRadii[r]), quiet));
        });
    jobs.push_back([&bright](const FeatureSink &sink) {
        // The enhancement filter expects dark vessels.
        NullProgress quiet;
        sink(kHessianEnhancement, hessEnhImage(getInverted(bright, false), quiet));
    });
    jobs.push_back([&bright](const FeatureSink &sink) { sink(kLaplacianPyramid, laplPyramidImage(bright)); });
    jobs.push_back([&bright](const FeatureSink &sink) { sink(0, Image(bright)); });
    return jobs;
}

// Runs the jobs on up to execution::rowThreads() threads, each job whole on one thread with
// a budget of one row thread, so each feature is computed the same way whatever the count.
// The first failure is thrown again once every thread has stopped.
void runFeatureJobs(const std::vector<FeatureJob> &jobs, const FeatureSink &sink)
{
    const int count = int(jobs.size());
    execution::parallelFor(count, std::min(execution::rowThreads(), count), 1, [&](int j) { jobs[size_t(j)](sink); });
}

}  // namespace

std::vector<Image> rawVesselFeatures(const Image &bright)
{
    std::vector<Image> features(size_t(vesselFeatureNames().size()));
    runFeatureJobs(featureJobs(bright), [&](size_t index, Image &&feature) { features[index] = std::move(feature); });
    return features;
}

FeatureStack computeVesselFeatures(const Image &image, const Image &fov, Polarity polarity)
{
    requireFeatureInput(image, fov);
    const Image turned = polarity == Polarity::Dark ? getInverted(image, false) : image;
    const Image bright = extendBeyondFieldOfView(turned, fov);

    FeatureStack stack;
    stack.width = image.width();
    stack.height = image.height();
    stack.count = int(vesselFeatureNames().size());
    const size_t n = image.size(), count = size_t(stack.count);
    std::vector<size_t> inside;
    for (size_t p = 0; p < n; ++p)
        if (fov.data()[p] == kWhite) inside.push_back(p);
    // Each feature, as soon as it is made, is shifted and scaled to mean 0 and standard
    // deviation 1 over the field of view (sums in pixel order, so the figures do not depend
    // on the thread count) and kept as one float per inside pixel; the full-size image is
    // then released.
    std::vector<std::vector<float>> columns(count);
    runFeatureJobs(featureJobs(bright), [&](size_t f, Image &&feature) {
        const double *v = feature.data();
        double sum = 0.0, squares = 0.0;
        for (const size_t p : inside) sum += v[p];
        const double mean = inside.empty() ? 0.0 : sum / double(inside.size());
        for (const size_t p : inside) squares += (v[p] - mean) * (v[p] - mean);
        const double sd = inside.empty() ? 0.0 : std::sqrt(squares / double(inside.size()));
        const double scale = sd > 1e-12 ? 1.0 / sd : 0.0;
        std::vector<float> &column = columns[f];
        column.resize(inside.size());
        for (size_t i = 0; i < inside.size(); ++i) column[i] = float((v[inside[i]] - mean) * scale);
        feature.assign();
    });
    stack.values.assign(n * count, 0.0f);
    const int w = image.width();
    execution::parallelRows(image.height(), [&](int begin, int end) {
        const auto first = std::lower_bound(inside.begin(), inside.end(), size_t(begin) * size_t(w));
        const auto last = std::lower_bound(inside.begin(), inside.end(), size_t(end) * size_t(w));
        for (size_t i = size_t(first - inside.begin()); i < size_t(last - inside.begin()); ++i) {
            float *row = stack.values.data() + inside[i] * count;
            for (size_t f = 0; f < count; ++f) row[f] = columns[f][i];
        }
    });
    return stack;
}
