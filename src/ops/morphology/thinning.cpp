#include "ops/morphology/thinning.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "ops/core/imagehelpers.h"
#include "ops/core/largebuffer.h"
#include "ops/core/progress.h"

namespace {

// Per-pixel state bytes; kQueued marks pixels already taken as candidates in this round.
constexpr uint8_t kQueued = 0x80;

// Pixels whose 3 x 3 neighbourhood contains one of the changed pixels, each once, among
// those in x0..x1, y0..y1 that keep(p) accepts. The caller clears kQueued afterwards.
template <class Keep>
void neighboursOf(const std::vector<int> &changed, int w, int x0, int y0, int x1, int y1, uint8_t *state,
                  Keep keep, std::vector<int> &out)
{
    for (const int q : changed) {
        const int qx = q % w, qy = q / w;
        for (int y = std::max(y0, qy - 1); y <= std::min(y1, qy + 1); ++y)
            for (int x = std::max(x0, qx - 1); x <= std::min(x1, qx + 1); ++x) {
                const int p = y * w + x;
                if ((state[p] & kQueued) || !keep(p)) continue;
                state[p] |= kQueued;
                out.push_back(p);
            }
    }
}

void clearQueued(const std::vector<int> &candidates, uint8_t *state)
{
    for (const int p : candidates) state[p] &= uint8_t(~kQueued);
}

// A byte buffer of n entries, not yet set, advised for huge pages.
std::unique_ptr<uint8_t[]> byteBuffer(size_t n)
{
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[n]);
    adviseHugePages(buffer.get(), n);
    return buffer;
}

// ---- Zhang-Suen ----

// Neighbour code bit k is P(k + 2): P2 .. P9 in their cyclic order.
struct ZhangSuenTables {
    std::array<uint8_t, 256> first{}, second{};
    ZhangSuenTables()
    {
        for (int c = 0; c < 256; ++c) {
            auto p = [c](int k) { return (c >> (k - 2)) & 1; };
            int b = 0, a = 0;
            for (int k = 2; k <= 9; ++k) {
                b += p(k);
                if (!p(k) && p(k == 9 ? 2 : k + 1)) ++a;
            }
            const bool common = b >= 3 && b <= 6 && a == 1;
            first[size_t(c)] = common && !(p(2) && p(4) && p(6)) && !(p(4) && p(6) && p(8));
            second[size_t(c)] = common && !(p(2) && p(4) && p(8)) && !(p(2) && p(6) && p(8));
        }
    }
};

// A value counts as a set neighbour when its integer part is non-zero.
bool isSet(double v) { return v >= 1.0 || v <= -1.0; }

}  // namespace

Image zhangSuenThin(const Image &image)
{
    static const ZhangSuenTables tables;
    const int w = image.width(), h = image.height();
    const size_t n = image.size();
    Image out = uninitializedImage(w, h, image.depth(), image.spectrum());
    if (image.depth() != 1 || image.spectrum() != 1 || w < 3 || h < 3) {
        for (size_t i = 0; i < n; ++i) out[i] = image[i] == 120.0 ? 0.0 : image[i];
        return out;
    }
    // State per pixel: bit 0 set neighbour, bit 1 removable foreground (255), kQueued.
    constexpr uint8_t kSet = 1, kFore = 2;
    std::unique_ptr<uint8_t[]> stateBuffer = byteBuffer(n);
    uint8_t *state = stateBuffer.get();
    std::vector<int> marked120;
    for (size_t i = 0; i < n; ++i) {
        const double v = image[i];
        state[i] = uint8_t((isSet(v) ? kSet : 0) | (v == kWhite ? kFore : 0));
        if (v == 120.0) marked120.push_back(int(i));
    }
    auto code = [state, w](int p) {
        return (state[p - 1] & kSet) | (state[p - 1 + w] & kSet) << 1 | (state[p + w] & kSet) << 2 |
               (state[p + 1 + w] & kSet) << 3 | (state[p + 1] & kSet) << 4 | (state[p + 1 - w] & kSet) << 5 |
               (state[p - w] & kSet) << 6 | (state[p - 1 - w] & kSet) << 7;
    };
    auto keep = [state](int p) { return (state[p] & kFore) != 0; };
    std::vector<int> candidates, removed, changedLast, changedBefore;
    for (bool firstPass = true;; firstPass = false) {
        size_t marks = 0;
        for (int sub = 0; sub < 2; ++sub) {
            const std::array<uint8_t, 256> &table = sub == 0 ? tables.first : tables.second;
            removed.clear();
            if (firstPass) {
                for (int y = 1; y < h - 1; ++y)
                    for (int p = y * w + 1; p < y * w + w - 1; ++p)
                        if ((state[p] & kFore) && table[size_t(code(p))]) removed.push_back(p);
            } else {
                // Only pixels next to one that changed since this sub-iteration last ran.
                candidates.clear();
                neighboursOf(changedLast, w, 1, 1, w - 2, h - 2, state, keep, candidates);
                neighboursOf(changedBefore, w, 1, 1, w - 2, h - 2, state, keep, candidates);
                clearQueued(candidates, state);
                for (const int p : candidates)
                    if (table[size_t(code(p))]) removed.push_back(p);
            }
            // All decisions are taken; now the marked pixels go.
            for (const int p : removed) state[p] = 0;
            marks += removed.size();
            // The first clean-up also clears values that were 120 from the start.
            if (firstPass && sub == 0)
                for (const int p : marked120) {
                    state[p] = 0;
                    removed.push_back(p);
                }
            changedBefore.swap(changedLast);
            changedLast.swap(removed);
        }
        if (marks == 0) break;
    }
    // Removed pixels were 255 and lost their foreground bit; values of 120 become 0.
    for (size_t i = 0; i < n; ++i) {
        const double v = image[i];
        out[i] = (v == kWhite && !(state[i] & kFore)) || v == 120.0 ? 0.0 : v;
    }
    return out;
}

// ---- hit-or-miss skeleton ----

namespace {

// Cell classes of the working image; cells outside it match every template cell.
enum : uint8_t { kBlack = 0, kFore = 1, kOther = 2, kOutside = 3 };

// The eight templates: row by row, 255 must be white, 0 must be black, -1 anything.
constexpr int kTemplates[8][9] = {
    {0, 0, 0, -1, 255, -1, 255, 255, 255},  {-1, 0, 0, 255, 255, 0, 255, 255, -1},
    {255, -1, 0, 255, 255, 0, 255, -1, 0},  {255, 255, -1, 255, 255, 0, -1, 0, 0},
    {255, 255, 255, -1, 255, -1, 0, 0, 0},  {-1, 255, 255, 0, 255, 255, 0, 0, -1},
    {0, -1, 255, 0, 255, 255, 0, -1, 255},  {0, 0, -1, 0, 255, 255, -1, 255, 255},
};

// For every neighbourhood code (two bits of class per cell, cell k = 3 row + column at bit
// 2k) one bit per template that matches it.
const std::vector<uint8_t> &templateTable()
{
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> t(size_t(1) << 18, 0);
        for (uint32_t c = 0; c < t.size(); ++c)
            for (int m = 0; m < 8; ++m) {
                bool match = true;
                for (int k = 0; k < 9 && match; ++k) {
                    const int cls = (c >> (2 * k)) & 3, want = kTemplates[m][k];
                    if (want == -1 || cls == kOutside) continue;
                    match = want == 255 ? cls == kFore : cls == kBlack;
                }
                if (match) t[c] |= uint8_t(1u << m);
            }
        return t;
    }();
    return table;
}

}  // namespace

Image skeletonizeImage(const Image &image, const std::function<void(const Image &)> &onCycle)
{
    const std::vector<uint8_t> &table = templateTable();
    Image work = largeCopy(image);
    normalizeTo255(work);
    const int w = work.width(), h = work.height();
    if (work.is_empty() || work.depth() != 1 || work.spectrum() != 1) {
        if (onCycle) onCycle(work);
        return work;
    }
    // The class grid has a frame of outside cells one cell wide; kQueued rides on top.
    const int gw = w + 2, gh = h + 2;
    const size_t cells = size_t(gw) * size_t(gh);
    std::unique_ptr<uint8_t[]> clsBuffer = byteBuffer(cells);
    uint8_t *cls = clsBuffer.get();
    std::fill(cls, cls + gw, kOutside);
    std::fill(cls + cells - size_t(gw), cls + cells, kOutside);
    for (int y = 0; y < h; ++y) {
        uint8_t *line = cls + size_t(y + 1) * size_t(gw);
        line[0] = line[gw - 1] = kOutside;
        const double *src = work.data(0, y);
        for (int x = 0; x < w; ++x) line[x + 1] = src[x] == kWhite ? kFore : src[x] == 0.0 ? kBlack : kOther;
    }
    auto code = [cls, gw](int g) {
        uint32_t c = 0;
        int k = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx, ++k) c |= uint32_t(cls[g + dy * gw + dx] & 3) << (2 * k);
        return c;
    };
    auto keep = [cls](int g) { return (cls[g] & 3) == kFore; };
    std::array<std::vector<int>, 8> removedAt;  // grid cells removed by each template step
    std::vector<int> candidates, removed;
    for (int cycle = 0;; ++cycle) {
        size_t matches = 0;
        for (int m = 0; m < 8; ++m) {
            const uint8_t bit = uint8_t(1u << m);
            removed.clear();
            if (cycle == 0) {
                for (int y = 1; y <= h; ++y)
                    for (int g = y * gw + 1; g <= y * gw + w; ++g)
                        if (cls[g] == kFore && (table[code(g)] & bit)) removed.push_back(g);
            } else {
                // Since template m last ran, only the last eight steps' removals changed
                // any neighbourhood.
                candidates.clear();
                for (const std::vector<int> &step : removedAt) neighboursOf(step, gw, 1, 1, w, h, cls, keep, candidates);
                clearQueued(candidates, cls);
                for (const int g : candidates)
                    if (table[code(g)] & bit) removed.push_back(g);
            }
            for (const int g : removed) {
                cls[g] = kBlack;
                work(g % gw - 1, g / gw - 1) = 0.0;
            }
            matches += removed.size();
            removedAt[size_t(m)].swap(removed);
        }
        if (onCycle) onCycle(work);
        if (matches == 0) break;
    }
    return work;
}
