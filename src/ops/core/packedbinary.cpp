#include "ops/core/packedbinary.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>

#include "ops/core/largebuffer.h"

PackedBinary::PackedBinary(int width, int height, int depth, int spectrum)
    : width_(width), height_(height), depth_(depth), spectrum_(spectrum), words_((size() + 63) / 64, 0)
{
}

PackedBinary PackedBinary::pack(const Image &image)
{
    if (image.is_empty()) return {};
    PackedBinary p(image.width(), image.height(), image.depth(), image.spectrum());
    const double *d = image.data();
    for (size_t i = 0; i < image.size(); ++i) {
        if (d[i] == kWhite)
            p.words_[i >> 6] |= std::uint64_t(1) << (i & 63);
        else if (!(d[i] == 0.0 && !std::signbit(d[i])))
            return {};
    }
    return p;
}

Image PackedBinary::unpack() const
{
    Image out;
    unpackInto(out);
    return out;
}

void PackedBinary::unpackInto(Image &out) const
{
    if (out.width() != width_ || out.height() != height_ || out.depth() != depth_ || out.spectrum() != spectrum_)
        uninitializedImage(width_, height_, depth_, spectrum_).move_to(out);
    double *d = out.data();
    const size_t n = size();
    // Four pixels at a time from a table of the 16 patterns; the last partial word alone.
    static const auto patterns = [] {
        std::array<std::array<double, 4>, 16> t{};
        for (int p = 0; p < 16; ++p)
            for (int b = 0; b < 4; ++b) t[size_t(p)][size_t(b)] = (p >> b) & 1 ? kWhite : 0.0;
        return t;
    }();
    const size_t whole = n / 64;
    for (size_t w = 0; w < whole; ++w) {
        const std::uint64_t bits = words_[w];
        double *dst = d + w * 64;
        for (int q = 0; q < 16; ++q) std::memcpy(dst + 4 * q, patterns[(bits >> (4 * q)) & 15].data(), 4 * sizeof(double));
    }
    for (size_t i = whole * 64; i < n; ++i) d[i] = white(i) ? kWhite : 0.0;
}
