#include "ops/io/calibration.h"

#include <cmath>
#include <cstring>

namespace {

quint32 read32(const uchar *p, bool big)
{
    return big ? quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]
               : quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0];
}
quint16 read16(const uchar *p, bool big) { return big ? quint16(p[0] << 8 | p[1]) : quint16(p[1] << 8 | p[0]); }

// Dots per inch that writers store when they know nothing of the picture's scale: 72 (many
// programs), 96 and 100 (Qt, by screen or without one).
bool isScreenDefault(double dotsPerInch)
{
    for (const double d : {72.0, 96.0, 100.0})
        if (std::abs(dotsPerInch - d) < 0.05) return true;
    return false;
}

Calibration fromDotsPerInch(double xDpi, double yDpi, CalibrationSource source)
{
    if (isScreenDefault(xDpi) && isScreenDefault(yDpi)) return {};
    return squarePixels(25.4 / xDpi, 25.4 / yDpi, source);
}

// XResolution (282), YResolution (283) and ResolutionUnit (296) of the first directory.
Calibration tiffCalibration(const uchar *data, qint64 size)
{
    const bool big = data[0] == 'M';
    if (read16(data + 2, big) != 42) return {};  // BigTIFF and others
    const qint64 ifd = read32(data + 4, big);
    if (ifd < 8 || ifd + 2 > size) return {};
    const int count = read16(data + ifd, big);
    if (ifd + 2 + qint64(count) * 12 > size) return {};
    double resolution[2] = {0.0, 0.0};
    int unit = 2;  // inches, when the tag is absent
    for (int i = 0; i < count; ++i) {
        const uchar *entry = data + ifd + 2 + i * 12;
        const int tag = read16(entry, big), type = read16(entry + 2, big);
        if ((tag == 282 || tag == 283) && type == 5) {  // one RATIONAL, stored at an offset
            const qint64 at = read32(entry + 8, big);
            if (at < 8 || at + 8 > size) return {};
            const quint32 denominator = read32(data + at + 4, big);
            if (denominator == 0) return {};
            resolution[tag - 282] = double(read32(data + at, big)) / denominator;
        } else if (tag == 296 && type == 3) {
            unit = read16(entry + 8, big);
        }
    }
    if (!(resolution[0] > 0.0) || !(resolution[1] > 0.0)) return {};
    if (unit == 2) return fromDotsPerInch(resolution[0], resolution[1], CalibrationSource::TiffResolution);
    if (unit == 3) return fromDotsPerInch(resolution[0] * 2.54, resolution[1] * 2.54, CalibrationSource::TiffResolution);
    return {};  // no physical unit
}

// The pHYs chunk, which must come before the first IDAT.
Calibration pngCalibration(const uchar *data, qint64 size)
{
    qint64 pos = 8;
    while (pos + 12 <= size) {
        const qint64 length = read32(data + pos, true);
        const uchar *type = data + pos + 4;
        if (length > size - pos - 12) return {};
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return {};
        if (std::memcmp(type, "pHYs", 4) == 0) {
            if (length != 9 || data[pos + 16] != 1) return {};  // unit 1: metre; 0: aspect ratio only
            const double x = read32(data + pos + 8, true), y = read32(data + pos + 12, true);
            if (x == 0.0 || y == 0.0) return {};
            return fromDotsPerInch(x * 0.0254, y * 0.0254, CalibrationSource::PngPhys);
        }
        pos += 12 + length;
    }
    return {};
}

}  // namespace

QString calibrationSourceName(CalibrationSource source)
{
    switch (source) {
    case CalibrationSource::None: break;
    case CalibrationSource::DicomPixelSpacing: return "dicom-pixel-spacing";
    case CalibrationSource::DicomImagerPixelSpacing: return "dicom-imager-pixel-spacing";
    case CalibrationSource::TiffResolution: return "tiff-resolution";
    case CalibrationSource::PngPhys: return "png-phys";
    case CalibrationSource::CommandLine: return "command-line";
    case CalibrationSource::Catheter: return "catheter";
    }
    return QString();
}

Calibration squarePixels(double xMm, double yMm, CalibrationSource source)
{
    if (!(xMm > 0.0) || !(yMm > 0.0) || !std::isfinite(xMm) || !std::isfinite(yMm)) return {};
    if (std::abs(xMm - yMm) > 1e-6 * std::max(xMm, yMm)) return {};
    return {xMm, source};
}

Calibration pictureCalibration(const uchar *data, qint64 size)
{
    if (size >= 8 && (std::memcmp(data, "II", 2) == 0 || std::memcmp(data, "MM", 2) == 0))
        return tiffCalibration(data, size);
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) return pngCalibration(data, size);
    return {};
}
