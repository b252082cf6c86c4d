// A vessel network over a whole image of any size: the sides reflected up to a multiple of
// 8 (the network halves the image three times), and large images in overlapping tiles so
// that memory stays bounded.
#pragma once
#include <vector>

#include "ops/classify/vesselnetwork.h"
#include "ops/core/image.h"

class Progress;

struct NetworkTiling {
    // Images of at most this many pixels (after reflection) go through in one pass; larger
    // ones in tiles. One pass of a million pixels with 16 base channels peaks near 0.5 GB.
    long long onePassPixels = 1000000;
    int tile = 512;    // the side of the part of a tile that is kept (a multiple of 8)
    // Context added around each kept part (a multiple of 8): more than the U-Net's reach
    // (about 60 pixels at 4 resolutions), so a tile's kept values equal one pass's.
    int margin = 64;
};

// The vessel probability (0..1) of every pixel of a width x height input plane (row-major,
// networkInput), computed on threads threads. Tiles start at multiples of 8, so their
// pooling grid is the whole image's: tiled and one-pass results agree to rounding.
// Progress counts the tiles; when it is cancelled between tiles, OperationCancelled is thrown.
Image networkProbability(const VesselNetwork &network, const std::vector<float> &plane, int width, int height,
                         int threads, Progress &progress, const NetworkTiling &tiling = NetworkTiling());
