#include "ops/measure/diameterprofile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kChordStep = 0.05;  // pixels along the normal when searching the binary edge
constexpr double kGrayStep = 0.25;   // pixels between gray samples across the vessel

double median(std::vector<double> v)
{
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

double binaryAt(const Image &seg, const ProfileSample &p, double t)
{
    return seg.linear_atXY(float(p.x + t * p.nx), float(p.y + t * p.ny), 0, 0, 0.0) / kWhite;
}

// Where along the normal the vessel is: 0 when the centre-line point is inside, else the
// nearest offset within 3 pixels that is (smoothing can cut the inside of a tight bend).
double insideOffset(const Image &seg, const ProfileSample &p)
{
    for (double t = 0.0; t <= 3.0; t += 0.25)
        for (double signed_t : {t, -t})
            if (binaryAt(seg, p, signed_t) >= 0.5) return signed_t;
    return 0.0;
}

// Where the bilinear segmentation falls below half white going from offset `from` along
// direction sign * normal; the offset t, sub-step by linear interpolation.
double binaryEdge(const Image &seg, const ProfileSample &p, double from, int sign)
{
    const double reach = seg.width() + seg.height();
    double previous = binaryAt(seg, p, from);
    if (previous < 0.5) return from;
    for (double t = kChordStep; t < reach; t += kChordStep) {
        const double v = binaryAt(seg, p, from + sign * t);
        if (v < 0.5) return from + sign * (t - kChordStep + kChordStep * (previous - 0.5) / (previous - v));
        previous = v;
    }
    return from + sign * reach;
}

// The gray reading across one sample: the darkness against the background integrated
// across the vessel (gray level times pixels) and its centroid along the normal.
struct GrayReading {
    double integral = 0.0, peak = 0.0, centre = 0.0;
};

// The vessel is read over `halfWidth` pixels either side of the segmentation's chord middle
// (at least the chord), plus 3 pixels for the blur, and its background beyond.
GrayReading readGray(const Image &gray, const ProfileSample &p, double polarity, double halfWidth)
{
    // Centred on the middle of the segmentation's chord.
    const double middle = 0.5 * (p.near + p.far);
    const double r0 = std::max({1.0, 0.5 * p.diameter, halfWidth}), inner = r0 + 3.0, reach = std::max(2.0 * r0 + 4.0, r0 + 8.0);
    const int n = int(reach / kGrayStep);
    std::vector<double> t(2 * n + 1), v(2 * n + 1);
    for (int i = -n; i <= n; ++i) {
        t[i + n] = i * kGrayStep;
        v[i + n] = gray.linear_atXY(float(p.x + (middle + t[i + n]) * p.nx), float(p.y + (middle + t[i + n]) * p.ny));
    }
    // Background on each side, joined by a straight line.
    double sumL = 0, sumR = 0;
    int countL = 0, countR = 0;
    for (int i = 0; i <= 2 * n; ++i) {
        if (t[i] <= -inner) sumL += v[i], ++countL;
        if (t[i] >= inner) sumR += v[i], ++countR;
    }
    const double left = countL ? sumL / countL : v.front(), right = countR ? sumR / countR : v.back();
    const double tl = -(inner + reach) / 2, tr = (inner + reach) / 2;
    GrayReading r;
    double moment = 0.0;
    for (int i = 0; i <= 2 * n; ++i) {
        if (std::abs(t[i]) > inner) continue;
        const double deficit = polarity * (left + (right - left) * (t[i] - tl) / (tr - tl) - v[i]);
        r.integral += deficit * kGrayStep;
        moment += deficit * t[i] * kGrayStep;
        // The peak from the middle of the vessel, averaged over 0.75 pixel against noise.
        if (std::abs(t[i]) <= r0) {
            double local = 0;
            for (int j = -1; j <= 1; ++j)
                local += polarity * (left + (right - left) * (t[i + j] - tl) / (tr - tl) - v[i + j]) / 3;
            r.peak = std::max(r.peak, local);
        }
    }
    r.centre = middle + (r.integral > 0 ? std::clamp(moment / r.integral, -r0, r0) : 0.0);
    return r;
}

// Which way the vessel differs from its background: +1 darker, -1 brighter.
double vesselPolarity(const Image &gray, const std::vector<ProfileSample> &samples)
{
    std::vector<double> contrast;
    for (const auto &p : samples) {
        const double r = 0.5 * p.diameter + 3.0;
        const double outside = 0.5 * (gray.linear_atXY(float(p.x - r * p.nx), float(p.y - r * p.ny)) +
                                      gray.linear_atXY(float(p.x + r * p.nx), float(p.y + r * p.ny)));
        contrast.push_back(outside - gray.linear_atXY(float(p.x), float(p.y)));
    }
    return median(contrast) >= 0 ? 1.0 : -1.0;
}

// A round vessel of diameter D whose contrast darkens by k gray levels per pixel of path
// through it has the peak darkness k * D and the integrated darkness k * pi * D^2 / 4
// across it, whatever the blur. k = pi * peak^2 / (4 * integral) is learnt on the wider half
// of the samples (by the segmentation's chords), where blur leaves the peak alone, so the
// diameters do not depend on where the segmentation put the vessel's edges; narrowings are
// then measured by their integral alone.
void grayDiameters(const Image &gray, std::vector<ProfileSample> &samples)
{
    const double polarity = vesselPolarity(gray, samples);
    std::vector<GrayReading> readings;
    std::vector<double> chords;
    for (const auto &p : samples) chords.push_back(p.diameter);
    const double wide = median(chords);
    for (const auto &p : samples) readings.push_back(readGray(gray, p, polarity, 0.5 * wide));
    std::vector<double> perPixel;
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i].diameter >= wide && readings[i].integral > 0)
            perPixel.push_back(std::numbers::pi * readings[i].peak * readings[i].peak / (4 * readings[i].integral));
    const double k = median(perPixel);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double d = k > 0 ? std::sqrt(std::max(0.0, readings[i].integral) / (std::numbers::pi / 4 * k)) : 0.0;
        samples[i].near = readings[i].centre - d / 2, samples[i].far = readings[i].centre + d / 2, samples[i].diameter = d;
    }
}

// A Gaussian along the line over `sigma` pixels of arc length.
void smoothAlong(std::vector<ProfileSample> &samples, double sigma, double step)
{
    const int k = int(std::ceil(3 * sigma / step));
    std::vector<double> d(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        double s = 0, sw = 0;
        for (int j = -k; j <= k; ++j) {
            const int m = int(i) + j;
            if (m < 0 || m >= int(samples.size())) continue;
            const double wgt = std::exp(-0.5 * (j * step) * (j * step) / (sigma * sigma));
            s += wgt * samples[size_t(m)].diameter, sw += wgt;
        }
        d[i] = s / sw;
    }
    for (size_t i = 0; i < samples.size(); ++i) {
        const double centre = 0.5 * (samples[i].near + samples[i].far);
        samples[i].near = centre - d[i] / 2, samples[i].far = centre + d[i] / 2, samples[i].diameter = d[i];
    }
}

}  // namespace

DiameterProfile diameterProfile(const Image &segmentation, const Image *gray, const std::vector<PathPoint> &line,
                                DiameterSource source)
{
    DiameterProfile profile;
    profile.source = gray && source == DiameterSource::GrayLevels ? DiameterSource::GrayLevels : DiameterSource::Segmentation;
    if (line.size() < 2) return profile;
    double arc = 0.0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (i > 0) arc += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
        const PathPoint &a = line[i >= 2 ? i - 2 : 0], &b = line[std::min(line.size() - 1, i + 2)];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        ProfileSample p;
        p.arc = arc, p.x = line[i].x, p.y = line[i].y;
        p.nx = len > 0 ? -(b.y - a.y) / len : 0.0, p.ny = len > 0 ? (b.x - a.x) / len : 1.0;
        const double inside = insideOffset(segmentation, p);
        p.near = binaryEdge(segmentation, p, inside, -1), p.far = binaryEdge(segmentation, p, inside, +1);
        p.diameter = p.far - p.near;
        profile.samples.push_back(p);
    }
    if (profile.source == DiameterSource::GrayLevels) grayDiameters(*gray, profile.samples);
    const double step = profile.samples.size() > 1 ? profile.samples.back().arc / double(profile.samples.size() - 1) : 0.5;
    smoothAlong(profile.samples, 0.5, step);
    return profile;
}
