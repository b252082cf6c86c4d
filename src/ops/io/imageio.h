// Reading image files as gray levels and writing the 8-bit rendering.
#pragma once
#include <QImage>
#include <QString>

#include "ops/io/calibration.h"
#include "ops/core/channel.h"
#include "ops/core/image.h"

class Progress;

// Outcome of a read: the image (the first frame of a multi-frame file, whose further frames
// follow in moreFrames) and the pixel size the file states, or an empty image and a
// message in plain words.
struct LoadResult {
    Image image;
    QString error;
    ImageList moreFrames;
    Calibration calibration;
    double frameTimeMs = 0.0;  // between the frames of a DICOM cine run; 0 when not stated
    bool ok() const { return error.isEmpty(); }
    int frameCount() const { return image.is_empty() ? 0 : 1 + int(moreFrames.size()); }
    // Every frame in order, moved out of the result.
    ImageList takeFrames();
};


// How DICOM files' monochrome values become gray levels (see loadDicomImage): through the
// file's first window (centre and width, else its first VOI lookup table; files with
// neither are read as Range), or stretched from the full range the stored bits can take
// after the modality transform.
enum class DicomWindow { File, Range };
// "file", "range"; parseDicomWindow returns false for any other text.
QString dicomWindowName(DicomWindow window);
bool parseDicomWindow(const QString &name, DicomWindow *window);

// Reads any picture the image readers recognise and converts it to gray levels with
// (11 r + 16 g + 5 b) / 32 (or takes the chosen channel), reporting progress once per
// column. 8-bit pictures give whole gray levels; 16-bit pictures (PNG, TIFF) are mapped
// from 0..65535 onto 0..255 as doubles (v * 255 / 65535), the gray of their channels
// taken from those doubles; signed 16-bit gray TIFF samples from -32768..32767 likewise.
// The pages of a multi-page TIFF file are its frames (at most kMaxPictureFrames). The
// calibration comes from TIFF resolution tags or the PNG pHYs chunk. Pictures beyond the
// reader's allocation limit, too large to hold as doubles, or needing more memory to decode
// than is free, are refused.
LoadResult loadGrayImage(const QString &path, Progress &progress, Channel channel = Channel::Gray);

// Reads CImg's native .cimg format of doubles as it is (NaN and infinities included).
LoadResult loadCimgImage(const QString &path);

// loadCimgImage for a .cimg suffix (case-insensitive), loadDicomImage for DICOM files
// (a .dcm suffix or the DICOM preamble), loadGrayImage for anything else.
LoadResult loadAnyImage(const QString &path, Progress &progress, Channel channel = Channel::Gray,
                        DicomWindow window = DicomWindow::File);

// Writes picture to path in format ("png", "bmp", "jpg", "tif") through a temporary file
// that replaces path only when everything was written, so an existing file is never left
// half-written. Returns false and a message on failure.
bool savePicture(const QImage &picture, const QString &path, const char *format, QString *error);

// Writes the values losslessly as .cimg (doubles), through a temporary file as above.
bool saveCimgImage(const Image &image, const QString &path, QString *error);

// The most pages of a multi-page picture (TIFF) that are opened: the reader finds each page
// by walking the file from its first one, so pages take quadratic time (4,000 took 32 s).
inline constexpr int kMaxPictureFrames = 1000;

// The largest picture the readers accept, in megabytes of decoded data.
inline constexpr int kReaderAllocationLimitMB = 1024;
