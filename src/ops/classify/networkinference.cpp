#include "ops/classify/networkinference.h"

#include <QString>
#include <algorithm>
#include <stdexcept>

#include "ops/core/progress.h"
#include "ops/core/viewtext.h"

namespace {

int roundUp8(int n) { return (n + 7) / 8 * 8; }

// Mirror index for reflection without repeating the edge (... 2 1 | 0 1 2 ... n-1 | n-2 ...).
int reflect(int i, int n)
{
    if (n == 1) return 0;
    const int period = 2 * (n - 1);
    i %= period;
    if (i < 0) i += period;
    return i < n ? i : period - i;
}

// The plane reflected at its right and bottom sides up to W x H.
std::vector<float> reflected(const std::vector<float> &plane, int w, int h, int W, int H)
{
    std::vector<float> out(size_t(W) * size_t(H));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) out[size_t(x) + size_t(y) * size_t(W)] = plane[size_t(reflect(x, w)) + size_t(reflect(y, h)) * size_t(w)];
    return out;
}

}  // namespace

Image networkProbability(const VesselNetwork &network, const std::vector<float> &plane, int width, int height,
                         int threads, Progress &progress, const NetworkTiling &tiling)
{
    if (width < 1 || height < 1 || plane.size() != size_t(width) * size_t(height))
        throw std::runtime_error("The network's input plane does not match its size.");
    if (tiling.tile < 8 || tiling.tile % 8 != 0 || tiling.margin < 0 || tiling.margin % 8 != 0)
        throw std::runtime_error("The network's tiles must be multiples of 8.");
    setNetworkThreads(threads);
    const int W = std::max(8, roundUp8(width)), H = std::max(8, roundUp8(height));
    const std::vector<float> padded = reflected(plane, width, height, W, H);
    Image probability(width, height, 1, 1, 0.0);
    if ((long long)W * H <= tiling.onePassPixels) {
        const std::vector<float> p = network.probability(padded.data(), W, H);
        cimg_forXY(probability, x, y) probability(x, y) = double(p[size_t(x) + size_t(y) * size_t(W)]);
        return probability;
    }
    const int across = (W + tiling.tile - 1) / tiling.tile, down = (H + tiling.tile - 1) / tiling.tile;
    progress.start(ViewText::tr("Vessel network"), ViewText::tr("Classifying the image in tiles ..."), across * down);
    std::vector<float> tile;
    for (int ty = 0; ty < down; ++ty)
        for (int tx = 0; tx < across; ++tx) {
            if (progress.cancelled()) {
                progress.finish();
                throw OperationCancelled();
            }
            const int kx0 = tx * tiling.tile, ky0 = ty * tiling.tile;
            const int kx1 = std::min(W, kx0 + tiling.tile), ky1 = std::min(H, ky0 + tiling.tile);
            const int x0 = std::max(0, kx0 - tiling.margin), y0 = std::max(0, ky0 - tiling.margin);
            const int x1 = std::min(W, kx1 + tiling.margin), y1 = std::min(H, ky1 + tiling.margin);
            const int tw = x1 - x0, th = y1 - y0;
            tile.resize(size_t(tw) * size_t(th));
            for (int y = 0; y < th; ++y)
                std::copy_n(padded.data() + size_t(x0) + size_t(y0 + y) * size_t(W), tw, tile.data() + size_t(y) * size_t(tw));
            const std::vector<float> p = network.probability(tile.data(), tw, th);
            for (int y = ky0; y < std::min(ky1, height); ++y)
                for (int x = kx0; x < std::min(kx1, width); ++x)
                    probability(x, y) = double(p[size_t(x - x0) + size_t(y - y0) * size_t(tw)]);
            progress.setValue(ty * across + tx + 1);
            progress.processEvents();
        }
    progress.finish();
    return probability;
}
