// The two conversions between images of doubles and 8-bit pictures.
#pragma once
#include <QImage>

#include "ops/core/image.h"

// The displayed gray level of a value: truncated toward zero to a 32-bit integer, then its
// low eight bits (300 -> 44, -1 -> 255, 256 -> 0). NaN and values whose truncation does not
// fit in 32 bits give 0. No scaling and no clamping.
inline unsigned char displayGray(double v)
{
    if (!(v > -2147483649.0 && v < 2147483648.0)) return 0;
    return static_cast<unsigned char>(static_cast<unsigned int>(static_cast<int>(v)) & 0xffu);
}

// Writes the display rendering of image into target (an RGB32 picture): pixels outside
// target are dropped, target pixels outside the image keep their colour.
void renderInto(const Image &image, QImage &target);

// The display rendering of image as a new RGB32 picture of its size.
QImage toDisplayImage(const Image &image);

// The gray level of a colour as the loader computes it: (11 r + 16 g + 5 b) / 32.
inline int grayOf(QRgb c) { return (11 * qRed(c) + 16 * qGreen(c) + 5 * qBlue(c)) / 32; }

// The gray levels of a picture as an image of its size (whole values 0..255).
Image grayImageFrom(const QImage &picture);

// Writes the gray levels of picture into image wherever both have the pixel.
void grayInto(const QImage &picture, Image &image);
