// What a vessel network sees of an image: one plane of contrast-equalised, standardised
// values, the same for training and for segmentation.
#pragma once
#include <vector>

#include "ops/classify/vesselfeatures.h"
#include "ops/core/image.h"

// The names of the input planes, recorded in a network model as its feature list.
const QStringList &networkInputNames();

// The input plane of image (gray levels 0..255, one channel) inside the field-of-view mask
// fov (255 inside, the image's size): contrast-limited adaptive histogram equalisation
// (Zuiderveld, "Contrast limited adaptive histogram equalization", Graphics Gems IV, 1994;
// clip limit 2, 8 x 8 tiles, on the values rounded to 8 bits), then shifted and scaled to
// mean 0 and standard deviation 1 inside the field of view, negated when the vessels are
// dark so that vessels are always bright, and 0 outside. Row-major, the image's size.
// Throws std::runtime_error for a multi-channel image or a mask of another size.
std::vector<float> networkInput(const Image &image, const Image &fov, Polarity polarity);
