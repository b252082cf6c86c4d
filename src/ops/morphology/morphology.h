// Gray-level morphology with a flat structuring element: erosion, dilation and their
// compositions (opening, closing, white top-hat, morphological gradient).
#pragma once
#include "ops/core/image.h"
#include "ops/core/progress.h"

// Structuring element. A cell takes part when its value is > 0 or exactly -1; its origin is
// the cell (width / 2, height / 2).
//   type 1: disc of (2 size + 1)^2 cells, offset (i, j) set when i^2 + j^2 <= size^2
//   type 2: size x size square of ones (empty for size 0)
//   other:  empty image
Image makeStructEl(int type, int size);

// Flat erosion: each output pixel is the minimum of the input over the element cells placed
// at it. Cells falling outside the image are skipped (the neighbourhood shrinks at the
// border, the image is not extended); the running minimum starts at the largest finite
// double, so a pixel no cell reaches gets that value. Every output value is an input value
// (or that start value); nothing is rounded.
// The result equals the direct cell-by-cell scan bit for bit. Elements whose columns are
// single nested runs (discs, squares) are computed column-run by column-run, which costs
// about 4 radius + 2 comparisons per pixel instead of one per element cell, on the widest
// vectors the processor has.
// One progress pass titled "Erosion", maximum = image width.
// Throws std::runtime_error for an element without cells or an image holding NaN.
Image erodeImage(const Image &image, const Image &element, Progress &progress);
// Flat dilation: the same with the maximum, starting at the lowest finite double.
// One progress pass titled "Dilation".
Image dilateImage(const Image &image, const Image &element, Progress &progress);
// White top-hat: image - dilate(erode(image)), the image minus its opening.
Image topHatImage(const Image &image, const Image &element, Progress &progress);
// Morphological gradient: dilate(image) - erode(image).
Image gradientImage(const Image &image, const Image &element, Progress &progress);
