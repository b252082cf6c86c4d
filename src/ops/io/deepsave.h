// Keeping more than the 8-bit rendering when an image is saved: a 16-bit gray picture of
// the values, for images (DICOM, 16-bit files, filter results) that hold more levels than
// 8 bits show.
#pragma once
#include <QImage>

#include "ops/core/image.h"

// True when the image holds more than 256 distinct values; stops counting at the 257th.
bool holdsMoreThan256Levels(const Image &image);

// The values as 16-bit gray, the inverse of the readers' v * 255 / 65535:
// round(v * 65535 / 255), values below 0 and above 255 (and NaN) clamped to 0 and 65535.
QImage toGray16(const Image &image);
