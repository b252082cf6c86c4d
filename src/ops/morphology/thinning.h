// Reducing white (255) structures of a binary image to lines one pixel wide.
#pragma once
#include <functional>

#include "ops/core/image.h"

// Parallel thinning after Zhang and Suen (1984) in two sub-iterations, with the neighbour
// count bound 3 <= B <= 6 of the Lue-Wang variant. A pixel takes part when it equals 255;
// any value whose integer part is non-zero counts as a set neighbour, so gray values are
// never removed but hold their neighbours. Neighbours of (x, y): P2 (x-1, y), P3 (x-1, y+1),
// P4 (x, y+1), P5 (x+1, y+1), P6 (x+1, y), P7 (x+1, y-1), P8 (x, y-1), P9 (x-1, y-1).
// The outermost rows and columns never change. Every decision of a sub-iteration sees the
// image as it was at its start; values equal to 120 (the deletion mark) become 0.
// After the first full pass only pixels next to a removed one are examined again: a
// pixel's decision depends on its 3 x 3 neighbourhood alone.
Image zhangSuenThin(const Image &image);

// Sequential hit-or-miss thinning with eight 3 x 3 templates (background above, then each
// turned by 45 degrees clockwise), after normalizeTo255 of a copy of the input, so only the
// pixels at the image maximum are foreground. Template cells outside the image are ignored.
// Cycles of all eight templates repeat until a whole cycle removes nothing; onCycle, when
// given, receives the working image after each cycle (the view shows it live).
// After the first cycle only pixels next to a removed one are examined again.
Image skeletonizeImage(const Image &image, const std::function<void(const Image &)> &onCycle = {});
