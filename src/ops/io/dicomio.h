// Reading DICOM files (single- and multi-frame, 8 to 16 bits, monochrome and RGB,
// uncompressed, RLE, JPEG and JPEG-LS) through DCMTK.
#pragma once
#include <QString>

#include "ops/io/imageio.h"

// True when path ends in .dcm (any case) or its content starts with the DICOM preamble
// (128 bytes, then "DICM").
bool isDicomFile(const QString &path);

// Reads every frame in order. Monochrome values are mapped linearly from the range the
// stored bits can take, after the modality rescale, onto 0..255:
// (v - low) * 255 / (high - low), as doubles; MONOCHROME1 is inverted so that bright means
// bright. RGB values are mapped from 0..2^bits - 1 the same way before the channel is taken;
// 8-bit RGB gives the gray of 8-bit pictures, (11 r + 16 g + 5 b) / 32 in whole numbers.
// The calibration comes from Pixel Spacing, else Imager Pixel Spacing. Files whose declared
// size exceeds the reader's limit, whose pixel data is short or whose encoding has no
// decoder here are refused with a message naming the file and the reason.
LoadResult loadDicomImage(const QString &path, Progress &progress, Channel channel = Channel::Gray);
