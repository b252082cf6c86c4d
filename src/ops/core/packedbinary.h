// A binary image (every value +0 or 255) held in one bit per pixel: a document's list keeps
// segmentations this way until someone edits them.
#pragma once
#include <cstdint>
#include <vector>

#include "ops/core/image.h"

class PackedBinary {
public:
    PackedBinary() = default;
    // An all-black image of the given size.
    PackedBinary(int width, int height, int depth = 1, int spectrum = 1);

    // image packed, or an empty PackedBinary when some value is neither +0 nor 255.
    static PackedBinary pack(const Image &image);

    bool isEmpty() const { return size() == 0; }
    size_t size() const { return size_t(width_) * size_t(height_) * size_t(depth_) * size_t(spectrum_); }
    int width() const { return width_; }
    int height() const { return height_; }
    bool white(size_t i) const { return (words_[i >> 6] >> (i & 63)) & 1u; }
    // Sets the 64 pixels from 64 * word on (bit j: pixel 64 * word + j), a whole word at once.
    void setWord(size_t word, std::uint64_t bits) { words_[word] = bits; }

    // The doubles 0.0 and 255.0; into reuses out's buffer when it has the same size.
    Image unpack() const;
    void unpackInto(Image &out) const;

private:
    int width_ = 0, height_ = 0, depth_ = 0, spectrum_ = 0;
    std::vector<std::uint64_t> words_;
};
