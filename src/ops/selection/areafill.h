// The area tool's region fill over a gray-level working image.
#pragma once
#include <QList>

#include "ops/core/image.h"

// A picked pixel: x, y, an unused third value (always 0) and a count (the number of
// records of its region in a region's header, 0 in the other records).
struct PointRecord {
    int x = 0, y = 0, z = 0, count = 0;
    bool operator==(const PointRecord &o) const = default;
};

// The region of value f = image(x0, y0) (truncated) around (x0, y0), as a header record
// followed by the pixels in the order found. Works column by column: each seed runs up,
// then down its column, and queues left and right neighbours (with connectivity 8 also the
// diagonal ones) through one flag per side, so some corner connections of thin diagonal
// lines are not followed. Marks visited pixels in image with f - 1. An empty list when
// (x0, y0) is outside the image or black.
QList<PointRecord> areaFill(Image &image, int x0, int y0, int connectivity);
