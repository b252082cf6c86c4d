// The exact Euclidean distance of every vessel pixel to the background, for vessel widths.
#pragma once
#include <cstdint>
#include <vector>

#include "ops/core/image.h"

// Marks a pixel of an image that has no background pixel at all.
inline constexpr uint32_t kNoBackground = UINT32_MAX;

// The squared distance between each pixel's centre and the centre of the nearest background
// pixel (any value other than 255), in pixels squared; 0 on the background. Pixels outside
// the image are not background. The values equal the library's squared Euclidean distance
// transform (distance(0, 3) of a 0/1 image); this one is a linear-time transform after
// Meijster, Roerdink and Hesselink whose column pass runs along rows and whose row pass is
// shared among the row threads, which makes it several times faster on large images.
// Index x + y * width.
std::vector<uint32_t> squaredDistanceToBackground(const Image &binary);
