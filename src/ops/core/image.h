// The image types every part of the program shares.
#pragma once
#include <QMetaType>

#include "ops/core/cimg.h"

// A gray-level image of doubles: pixel (x, y) at index x + y * width. Copies are deep.
using Image = cimg_library::CImg<double>;
// An ordered list of images; copying a list copies every image.
using ImageList = cimg_library::CImgList<double>;

// White in a binary image is exactly this value; black is 0.
inline constexpr double kWhite = 255.0;

// Images travel between windows inside signals and test spies.
Q_DECLARE_METATYPE(Image)
Q_DECLARE_METATYPE(ImageList)
