#include "ops/vesselfeatures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "ops/fieldofview.h"
#include "ops/hessian.h"
#include "ops/imagehelpers.h"
#include "ops/morphology.h"
#include "ops/pyramid.h"
#include "ops/separable.h"

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
    fast::parallelRows(h, [&](int begin, int end) {
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
    if (!allFinite(image)) throw std::runtime_error("The vessel classifier needs an image without NaN or infinite values.");
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
    fast::parallelRows(h, [&](int begin, int end) {
        std::vector<double> best(lengths.size());
        for (int y = begin; y < end; ++y)
            for (int x = 0; x < w; ++x) {
                const double *centre = padded.data() + size_t(x + half) + size_t(y + half) * size_t(pw);
                std::fill(best.begin(), best.end(), -std::numeric_limits<double>::infinity());
                for (const std::vector<long> &line : steps) {
                    double sum = 0.0;
                    size_t taken = 0;
                    for (size_t l = 0; l < lengths.size(); ++l) {
                        for (; taken < size_t(lengths[l]); ++taken) sum += centre[line[taken]];
                        best[l] = std::max(best[l], sum);
                    }
                }
                for (size_t l = 0; l < lengths.size(); ++l) out[l](x, y) = best[l] / lengths[l] - windowMean(x, y);
            }
    });
    return out;
}

Image lineDetector(const Image &bright, int length, int window)
{
    return std::move(lineDetectors(bright, {length}, window).front());
}

std::vector<Image> rawVesselFeatures(const Image &bright)
{
    std::vector<Image> features;
    features.push_back(bright);
    std::vector<Image> smooth;
    for (const double s : kScales) smooth.push_back(smoothed(bright, s));
    for (const Image &s : smooth) features.push_back(s);
    std::vector<Image> ridges, bends;
    for (size_t k = 0; k < std::size(kScales); ++k) {
        Image larger, smaller;
        hessianEigenvalues(smooth[k], &larger, &smaller);
        const double norm = kScales[k] * kScales[k];
        smaller *= -norm;
        larger *= norm;
        ridges.push_back(std::move(smaller));
        bends.push_back(std::move(larger));
    }
    for (Image &r : ridges) features.push_back(std::move(r));
    for (Image &b : bends) features.push_back(std::move(b));
    features.push_back(gradientMagnitude(smooth[0], kScales[0]));
    features.push_back(gradientMagnitude(smooth[1], kScales[1]));
    NullProgress quiet;
    for (const int r : kTopHatRadii) features.push_back(topHatImage(bright, makeStructEl(1, r), quiet));
    for (Image &line : lineDetectors(bright, {std::begin(kLineLengths), std::end(kLineLengths)}, kLineWindow))
        features.push_back(std::move(line));
    // The enhancement filter expects dark vessels.
    features.push_back(hessEnhImage(getInverted(bright, false), quiet));
    features.push_back(laplPyramidImage(bright));
    return features;
}

FeatureStack computeVesselFeatures(const Image &image, const Image &fov, Polarity polarity)
{
    requireFeatureInput(image, fov);
    const Image turned = polarity == Polarity::Dark ? getInverted(image, false) : image;
    const std::vector<Image> raw = rawVesselFeatures(extendBeyondFieldOfView(turned, fov));

    FeatureStack stack;
    stack.width = image.width();
    stack.height = image.height();
    stack.count = int(raw.size());
    const size_t n = image.size(), count = raw.size();
    stack.values.assign(n * count, 0.0f);
    // Mean and standard deviation of each feature over the field of view, summed in pixel
    // order so the figures do not depend on the thread count.
    std::vector<double> mean(count, 0.0), scale(count, 0.0);
    long long inside = 0;
    for (size_t p = 0; p < n; ++p) inside += fov.data()[p] == kWhite;
    if (inside == 0) return stack;
    for (size_t f = 0; f < count; ++f) {
        const double *v = raw[f].data();
        double sum = 0.0, squares = 0.0;
        for (size_t p = 0; p < n; ++p)
            if (fov.data()[p] == kWhite) sum += v[p];
        mean[f] = sum / double(inside);
        for (size_t p = 0; p < n; ++p)
            if (fov.data()[p] == kWhite) squares += (v[p] - mean[f]) * (v[p] - mean[f]);
        const double sd = std::sqrt(squares / double(inside));
        scale[f] = sd > 1e-12 ? 1.0 / sd : 0.0;
    }
    const int w = image.width();
    fast::parallelRows(image.height(), [&](int begin, int end) {
        for (size_t p = size_t(begin) * size_t(w); p < size_t(end) * size_t(w); ++p) {
            if (fov.data()[p] != kWhite) continue;
            float *row = stack.values.data() + p * count;
            for (size_t f = 0; f < count; ++f) row[f] = float((raw[f].data()[p] - mean[f]) * scale[f]);
        }
    });
    return stack;
}
