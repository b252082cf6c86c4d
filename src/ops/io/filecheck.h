// Structural checks of image files before they are decoded. The picture readers fill a
// truncated JPEG or BMP with made-up pixels and report success; a .cimg header may promise
// more pixels than the file holds, or more than memory. These checks find such files
// first, so that they are refused with a message instead of opening as a document.
#pragma once
#include <QByteArray>
#include <QString>

// "The file NAME could not be opened as an image: WHY", naming the file without its folder.
QString cannotReadText(const QString &path, const QString &why);

// Why path is no file a reader may open: a folder, missing, or a pipe or device, which
// could block the reader or never end. Empty for a regular file.
QString notAFileProblem(const QString &path);

// Why the JPEG or BMP data ends before its picture does; empty when it is complete or is
// neither format (other formats' readers report truncation themselves).
QString truncatedPictureProblem(const uchar *data, qint64 size);

// Why the .cimg file at path cannot be read safely: a header that cannot be parsed, a
// pixel type or a compression this reader does not handle, dimensions whose pixels the
// file does not hold, or more than maxBytes as doubles. Empty when it can be read.
QString cimgHeaderProblem(const QString &path, double maxBytes);

// True when data is a TIFF file whose first page stores one sample per pixel as signed
// integers (SampleFormat 2). The picture reader hands such samples over as unsigned ones,
// so -1 would read as 65535.
bool tiffHasSignedSamples(const uchar *data, qint64 size);
