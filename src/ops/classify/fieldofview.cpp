#include "ops/classify/fieldofview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ops/core/imagehelpers.h"
#include "ops/morphology/components.h"
#include "ops/morphology/morphology.h"

namespace {

// A field of view covering more than this share of the image means there is no surround.
constexpr double kNoSurroundShare = 0.97;
// A bright component covering less than this share is no field of view.
constexpr double kSmallestShare = 0.10;
// The rim of a fundus photograph is blurred: one pixel of it is left out.
constexpr int kRimErosion = 1;

using Mask = cimg_library::CImg<unsigned char>;

// The pixels of the largest 4-connected component of on (the first in raster order among
// equals, so the result depends on nothing but the image).
Mask largestComponent(const Mask &on)
{
    const Components c = connectedComponents(on, false);
    const long best = c.largest();
    Mask result(on.width(), on.height(), 1, 1, 0);
    for (size_t i = 0; i < on.size(); ++i) result[i] = best >= 0 && long(c.label[i]) == best;
    return result;
}

// Fills the holes of a region: every pixel not reachable from the image border through
// pixels outside the region belongs to it.
void fillHoles(Mask &region)
{
    const int w = region.width(), h = region.height();
    Mask rest(w, h, 1, 1, 0);
    for (size_t i = 0; i < region.size(); ++i) rest[i] = !region[i];
    const Components c = connectedComponents(rest, false);
    std::vector<char> outside(c.size.size(), 0);
    auto border = [&](int x, int y) {
        if (!region(x, y)) outside[c.label(x, y)] = 1;
    };
    for (int x = 0; x < w; ++x) border(x, 0), border(x, h - 1);
    for (int y = 0; y < h; ++y) border(0, y), border(w - 1, y);
    for (size_t i = 0; i < region.size(); ++i) region[i] = !(rest[i] && outside[c.label[i]]);
}

Image wholeImage(const Image &image) { return Image(image.width(), image.height(), 1, 1, kWhite); }

}  // namespace

Image findFieldOfView(const Image &image)
{
    requireNonEmpty(image);
    const int w = image.width(), h = image.height();
    const size_t n = size_t(w) * size_t(h);
    std::vector<double> values(image.data(), image.data() + n);
    std::nth_element(values.begin(), values.begin() + long(n / 2), values.end());
    const double median = values[n / 2];
    const double lo = *std::min_element(values.begin(), values.end());
    if (!(median > lo)) return wholeImage(image);
    const double threshold = lo + 0.1 * (median - lo);

    Mask on(w, h, 1, 1, 0);
    for (size_t i = 0; i < n; ++i) on[i] = image.data()[i] > threshold;
    Mask region = largestComponent(on);
    fillHoles(region);
    const double share = double(std::count(region.begin(), region.end(), 1)) / double(n);
    if (share > kNoSurroundShare || share < kSmallestShare) return wholeImage(image);

    Image mask(w, h, 1, 1, 0.0);
    for (size_t i = 0; i < n; ++i)
        if (region[i]) mask.data()[i] = kWhite;
    NullProgress quiet;
    return erodeImage(mask, makeStructEl(1, kRimErosion), quiet);
}

Image fieldOfViewFromMask(const Image &mask, int width, int height)
{
    if (mask.is_empty()) return Image(width, height, 1, 1, kWhite);
    Image result(mask.width(), mask.height(), 1, 1, 0.0);
    for (size_t i = 0; i < result.size(); ++i)
        if (mask.data()[i] >= 128.0) result.data()[i] = kWhite;
    return result;
}

long long fieldOfViewArea(const Image &mask)
{
    long long area = 0;
    for (size_t i = 0; i < mask.size(); ++i) area += mask.data()[i] == kWhite;
    return area;
}

Image extendBeyondFieldOfView(const Image &image, const Image &mask)
{
    const int w = image.width(), h = image.height();
    const size_t n = size_t(w) * size_t(h);
    Image out(image);
    std::vector<char> filled(n);
    double insideSum = 0.0;
    long long inside = 0;
    for (size_t i = 0; i < n; ++i) {
        filled[i] = mask.data()[i] == kWhite;
        if (filled[i]) insideSum += image.data()[i], ++inside;
    }
    if (inside == 0 || inside == (long long)n) return out;
    // The current layer: outside pixels touching a filled one. Each is computed from pixels
    // filled in earlier layers only, so the result does not depend on the visiting order.
    std::vector<int> layer, nextLayer;
    std::vector<char> queued(n, 0);
    auto touchesFilled = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int u = x + dx, v = y + dy;
                if (u >= 0 && v >= 0 && u < w && v < h && filled[size_t(u + v * w)]) return true;
            }
        return false;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t p = size_t(x + y * w);
            if (!filled[p] && touchesFilled(x, y)) layer.push_back(int(p)), queued[p] = 1;
        }
    std::vector<double> values;
    while (!layer.empty()) {
        values.assign(layer.size(), 0.0);
        for (size_t k = 0; k < layer.size(); ++k) {
            const int x = layer[k] % w, y = layer[k] / w;
            double sum = 0.0;
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u < 0 || v < 0 || u >= w || v >= h || !filled[size_t(u + v * w)]) continue;
                    sum += out.data()[u + v * w];
                    ++count;
                }
            values[k] = sum / count;
        }
        nextLayer.clear();
        for (size_t k = 0; k < layer.size(); ++k) out.data()[layer[k]] = values[k], filled[size_t(layer[k])] = 1;
        for (const int p : layer) {
            const int x = p % w, y = p / w;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u < 0 || v < 0 || u >= w || v >= h) continue;
                    const size_t q = size_t(u + v * w);
                    if (!filled[q] && !queued[q]) queued[q] = 1, nextLayer.push_back(int(q));
                }
        }
        layer.swap(nextLayer);
    }
    const double mean = insideSum / double(inside);
    for (size_t i = 0; i < n; ++i)
        if (!filled[i]) out.data()[i] = mean;
    return out;
}
