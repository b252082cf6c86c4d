// Turning a DICOM dataset's pixels into gray-level frames through DCMTK's DicomImage.
#pragma once
#include <QString>

#include "ops/io/imageio.h"

class DcmDataset;

// Decodes frames frames of dataset (whose pixel data is already in an uncompressed
// representation and checked against its declared size) into result's image and
// moreFrames, as loadDicomImage describes. Returns why DCMTK could not render them, in
// words; empty on success. Reports progress once per frame.
QString renderDicomFrames(DcmDataset &dataset, long frames, Channel channel, DicomWindow window, Progress &progress,
                          LoadResult &result);
