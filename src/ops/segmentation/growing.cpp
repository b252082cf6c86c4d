#include "ops/segmentation/growing.h"

#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "ops/core/largebuffer.h"

namespace {

// A seed whose neighbours have been looked at; folded back into kGrowSeed at the end.
constexpr uint8_t kDone = 3;

}  // namespace

void growFromSeeds(GrowState &state, int width, int height)
{
    if (width < 0 || height < 0 || state.size() != size_t(width) * size_t(height))
        throw std::invalid_argument("Region growing: the state does not match the image size");
    if (width == 0 || height == 0) return;

    // Work on a copy framed by one blocked pixel on every side, so the eight neighbours of
    // every pixel exist and the flood needs no bounds checks.
    const size_t W = size_t(width) + 2;
    const size_t H = size_t(height) + 2;
    if (W * H > size_t(std::numeric_limits<uint32_t>::max()))
        throw std::invalid_argument("Region growing: the image is too large");
    std::unique_ptr<uint8_t[]> frame(new uint8_t[W * H]);
    adviseHugePages(frame.get(), W * H);
    uint8_t *const p = frame.get();
    std::memset(p, kGrowBlocked, W);
    std::memset(p + (H - 1) * W, kGrowBlocked, W);
    for (int y = 0; y < height; ++y) {
        uint8_t *row = p + (size_t(y) + 1) * W;
        row[0] = row[W - 1] = kGrowBlocked;
        std::memcpy(row + 1, &state[size_t(y) * size_t(width)], size_t(width));
    }

    const ptrdiff_t w = ptrdiff_t(W);
    const ptrdiff_t offsets[8] = {-w - 1, -w, -w + 1, -1, 1, w - 1, w, w + 1};
    std::vector<uint32_t> stack;
    stack.reserve(1024);

    // Each pixel enters the stack at most once (when it turns from candidate to done), so
    // the work is bounded by eight looks per pixel.
    auto spread = [&](size_t i) {
        for (const ptrdiff_t o : offsets) {
            const size_t j = size_t(ptrdiff_t(i) + o);
            if (p[j] == kGrowCandidate) {
                p[j] = kDone;
                stack.push_back(uint32_t(j));
            }
        }
        while (!stack.empty()) {
            const size_t k = stack.back();
            stack.pop_back();
            for (const ptrdiff_t o : offsets) {
                const size_t j = size_t(ptrdiff_t(k) + o);
                if (p[j] == kGrowCandidate) {
                    p[j] = kDone;
                    stack.push_back(uint32_t(j));
                }
            }
        }
    };

    for (size_t y = 1; y + 1 < H; ++y) {
        const size_t row = y * W;
        for (size_t i = row + 1; i < row + W - 1; ++i) {
            if (p[i] != kGrowSeed) continue;
            p[i] = kDone;
            spread(i);
        }
    }

    for (int y = 0; y < height; ++y) {
        const uint8_t *src = p + (size_t(y) + 1) * W + 1;
        uint8_t *dst = &state[size_t(y) * size_t(width)];
        for (int x = 0; x < width; ++x) dst[x] = src[x] >= kGrowSeed ? kGrowSeed : src[x];
    }
}
