// The field of view of a photograph: the part of the image that shows the subject. Fundus
// cameras frame the retina in a disc surrounded by black; everything a vessel classifier
// normalises, learns, predicts and measures is counted inside that disc only.
#pragma once
#include "ops/core/image.h"

// A field-of-view mask holds 255 inside and 0 outside.

// Finds the dark surround of a photograph: pixels above a low threshold (a tenth of the
// way from the darkest value to the median), their largest 4-connected component with its
// holes filled, eroded by a disc of radius 1 so that the blurred rim is left out. When
// there is no surround (the component covers nearly the whole image, or is too small to
// be a field of view), the whole image is the field of view.
Image findFieldOfView(const Image &image);

// A mask read from a file: 255 where the value is at least 128, 0 elsewhere. An empty
// image (no mask given) becomes an all-255 mask of the given size.
Image fieldOfViewFromMask(const Image &mask, int width, int height);

// The number of pixels inside the field of view.
long long fieldOfViewArea(const Image &mask);

// Where outside the field of view, the nearest inside values spread outwards layer by
// layer (each outside pixel takes the mean of its already filled 8-neighbours), so that
// filters near the rim see a continuation of the picture instead of a black edge that
// would look like a huge vessel. Pixels the spreading never reaches get the inside mean.
Image extendBeyondFieldOfView(const Image &image, const Image &mask);
