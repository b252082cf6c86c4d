#include "ops/thinning.h"

#include <array>
#include <cstdint>
#include <vector>

#include "ops/imagehelpers.h"
#include "ops/progress.h"

namespace {

// Pixels whose 3 x 3 neighbourhood contains one of the changed pixels, each once, filtered
// by keep(p). stamp marks pixels already queued in this round.
template <class Keep>
void neighboursOf(const std::vector<int> &changed, int w, int h, int x0, int y0, int x1, int y1,
                  std::vector<uint32_t> &stamp, uint32_t round, Keep keep, std::vector<int> &out)
{
    for (const int q : changed) {
        const int qx = q % w, qy = q / w;
        for (int y = std::max(y0, qy - 1); y <= std::min(y1, qy + 1); ++y)
            for (int x = std::max(x0, qx - 1); x <= std::min(x1, qx + 1); ++x) {
                const int p = y * w + x;
                if (stamp[size_t(p)] == round || !keep(p)) continue;
                stamp[size_t(p)] = round;
                out.push_back(p);
            }
    }
    (void)h;
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
    Image out(image);
    const int w = image.width(), h = image.height();
    const size_t n = image.size();
    if (image.depth() == 1 && image.spectrum() == 1 && w >= 3 && h >= 3) {
        std::vector<uint8_t> set(n), fg(n);
        std::vector<int> marked120;
        for (size_t i = 0; i < n; ++i) {
            set[i] = isSet(image[i]);
            fg[i] = image[i] == kWhite;
            if (image[i] == 120.0) marked120.push_back(int(i));
        }
        auto code = [&](int p) {
            return set[size_t(p - 1)] | set[size_t(p - 1 + w)] << 1 | set[size_t(p + w)] << 2 |
                   set[size_t(p + 1 + w)] << 3 | set[size_t(p + 1)] << 4 | set[size_t(p + 1 - w)] << 5 |
                   set[size_t(p - w)] << 6 | set[size_t(p - 1 - w)] << 7;
        };
        std::vector<uint32_t> stamp(n, 0);
        uint32_t round = 0;
        std::vector<int> candidates, removed, changedLast, changedBefore;
        for (bool firstPass = true;; firstPass = false) {
            size_t marks = 0;
            for (int sub = 0; sub < 2; ++sub) {
                const std::array<uint8_t, 256> &table = sub == 0 ? tables.first : tables.second;
                candidates.clear();
                if (firstPass) {
                    for (int y = 1; y < h - 1; ++y)
                        for (int x = 1; x < w - 1; ++x)
                            if (fg[size_t(y * w + x)]) candidates.push_back(y * w + x);
                } else {
                    // Only pixels next to one that changed since this sub-iteration last ran.
                    ++round;
                    auto keep = [&](int p) { return fg[size_t(p)] != 0; };
                    neighboursOf(changedLast, w, h, 1, 1, w - 2, h - 2, stamp, round, keep, candidates);
                    neighboursOf(changedBefore, w, h, 1, 1, w - 2, h - 2, stamp, round, keep, candidates);
                }
                removed.clear();
                for (const int p : candidates)
                    if (table[size_t(code(p))]) removed.push_back(p);
                for (const int p : removed) set[size_t(p)] = fg[size_t(p)] = 0;
                marks += removed.size();
                // The first clean-up also clears values that were 120 from the start.
                if (firstPass && sub == 0)
                    for (const int p : marked120) {
                        set[size_t(p)] = 0;
                        removed.push_back(p);
                    }
                changedBefore.swap(changedLast);
                changedLast.swap(removed);
            }
            if (marks == 0) break;
        }
        // Only inner pixels are ever removed; they lose their foreground flag.
        for (size_t i = 0; i < n; ++i)
            if (out[i] == kWhite && !fg[i]) out[i] = 0.0;
    }
    for (double &v : out)
        if (v == 120.0) v = 0.0;
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
    Image work(image);
    normalizeTo255(work);
    const int w = work.width(), h = work.height();
    if (work.is_empty() || work.depth() != 1 || work.spectrum() != 1) {
        if (onCycle) onCycle(work);
        return work;
    }
    // The class grid has a frame of outside cells one cell wide.
    const int gw = w + 2, gh = h + 2;
    std::vector<uint8_t> cls(size_t(gw) * size_t(gh), kOutside);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = work(x, y);
            cls[size_t((y + 1) * gw + x + 1)] = v == kWhite ? kFore : v == 0.0 ? kBlack : kOther;
        }
    auto code = [&](int g) {
        uint32_t c = 0;
        int k = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx, ++k) c |= uint32_t(cls[size_t(g + dy * gw + dx)]) << (2 * k);
        return c;
    };
    std::vector<uint32_t> stamp(cls.size(), 0);
    uint32_t round = 0;
    std::array<std::vector<int>, 8> removedAt;  // grid cells removed by each template step
    std::vector<int> candidates, removed;
    for (int cycle = 0;; ++cycle) {
        size_t matches = 0;
        for (int m = 0; m < 8; ++m) {
            candidates.clear();
            if (cycle == 0) {
                for (int y = 1; y <= h; ++y)
                    for (int x = 1; x <= w; ++x)
                        if (cls[size_t(y * gw + x)] == kFore) candidates.push_back(y * gw + x);
            } else {
                // Since template m last ran, only the last eight steps' removals changed
                // any neighbourhood.
                ++round;
                auto keep = [&](int g) { return cls[size_t(g)] == kFore; };
                for (const std::vector<int> &step : removedAt)
                    neighboursOf(step, gw, gh, 1, 1, w, h, stamp, round, keep, candidates);
            }
            removed.clear();
            const uint8_t bit = uint8_t(1u << m);
            for (const int g : candidates)
                if (table[code(g)] & bit) removed.push_back(g);
            for (const int g : removed) {
                cls[size_t(g)] = kBlack;
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

void runSkeletonize(ImageModel &model, const Params &, Progress &progress, Notes &)
{
    model.replaceCurrent(skeletonizeImage(model.current(), [&progress](const Image &) { progress.processEvents(); }));
}

void runZhangSuen(ImageModel &model, const Params &, Progress &, Notes &)
{
    model.replaceCurrent(zhangSuenThin(model.current()));
}
