// Reading DICOM files (single- and multi-frame, 8 to 16 bits, monochrome, palette colour
// and RGB, uncompressed, RLE, JPEG and JPEG-LS) through DCMTK.
#pragma once
#include <QString>

#include "ops/io/imageio.h"

// True when path ends in .dcm (any case) or its content starts with the DICOM preamble
// (128 bytes, then "DICM").
bool isDicomFile(const QString &path);

// The most frames a DICOM file may declare; a larger count is refused before decoding.
inline constexpr int kDicomFrameLimit = 10000;

// Reads every frame in order, decoded by DCMTK's DicomImage (modality transform, VOI
// window or lookup table, MONOCHROME1 shown so that bright means bright, palette colour
// and YCbCr converted to RGB). Gray levels are doubles on 0..255:
// - Range: the modality values v stretched linearly, (v - low) * 255 / (high - low), from
//   the range [low, high] the stored bits can take; MONOCHROME1 gives (high - v) * ...
// - File: DicomImage's 16-bit rendering through the window, r * 255 / 65535.
// Colour is rendered at its stored depth d and mapped by c * 255 / (2^d - 1) before the
// channel is taken; 8-bit colour gives the gray of 8-bit pictures, (11 r + 16 g + 5 b) / 32
// in whole numbers. The calibration comes from Pixel Spacing, else Imager Pixel Spacing.
// Files whose declared size exceeds the reader's limit, whose frame count is no number or
// above kDicomFrameLimit, whose pixel data is short or whose encoding has no decoder here
// are refused with a message naming the file and the reason.
LoadResult loadDicomImage(const QString &path, Progress &progress, Channel channel = Channel::Gray,
                          DicomWindow window = DicomWindow::File);
