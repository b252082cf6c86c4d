#include "ops/packedbinary.h"

#include <algorithm>
#include <cmath>

#include "ops/largebuffer.h"

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
        out = uninitializedImage(width_, height_, depth_, spectrum_);
    double *d = out.data();
    const size_t n = size();
    for (size_t w = 0; w * 64 < n; ++w) {
        const std::uint64_t bits = words_[w];
        const size_t end = std::min(n, w * 64 + 64);
        for (size_t i = w * 64; i < end; ++i) d[i] = (bits >> (i & 63)) & 1u ? kWhite : 0.0;
    }
}
