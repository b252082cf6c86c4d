// The size of a pixel as an image file states it, and where that statement came from.
#pragma once
#include <QString>

enum class CalibrationSource {
    None,
    DicomPixelSpacing,        // (0028,0030): in the patient
    DicomImagerPixelSpacing,  // (0018,1164): at the detector, used when Pixel Spacing is absent
    TiffResolution,           // XResolution / YResolution with ResolutionUnit
    PngPhys,                  // the pHYs chunk in pixels per metre
    CommandLine,              // --pixel-size, which overrides the file
    Catheter,                 // measured on a catheter of known size
};

struct Calibration {
    double pixelSizeMm = 0.0;  // millimetres per pixel; 0 when unknown
    CalibrationSource source = CalibrationSource::None;
    bool known() const { return pixelSizeMm > 0.0; }
};

// A short fixed name for tables and CSV files: "dicom-pixel-spacing", "dicom-imager-pixel-spacing",
// "tiff-resolution", "png-phys", "command-line", "catheter"; empty for None.
QString calibrationSourceName(CalibrationSource source);

// A calibration from a pixel size along x and along y: known only when both are positive,
// finite and equal within rounding (the measurements assume square pixels).
Calibration squarePixels(double xMm, double yMm, CalibrationSource source);

// The calibration stated by a TIFF file's resolution tags (of its first page) or a PNG file's
// pHYs chunk; unknown for other data and for files without a physical unit. 72, 96 and 100
// dots per inch are not taken: writers put them in by default (Qt writes its screen's
// resolution into every PNG and TIFF), so they say nothing about the picture.
Calibration pictureCalibration(const uchar *data, qint64 size);
