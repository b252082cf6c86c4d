// What the commands of quendra-cli share: usage errors, reading inputs, finding the images
// of folders, writing 0/255 pictures and CSV fields, and running images on several threads.
#pragma once
#include <QImage>
#include <QSize>
#include <QMap>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <stdexcept>

#include "ops/core/image.h"
#include "ops/io/imageio.h"

class CommandLine;
class Progress;

// A wrong command line: reported as a usage error (exit status 2).
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An input that cannot be read: reported with the reader's message (exit status 3, or the
// image skipped in a batch).
struct LoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The frames of one input and the pixel size its file states.
struct InputFrames {
    ImageList frames;     // never empty
    int firstNumber = 1;  // the 1-based frame number of frames[0] in its file
    Calibration calibration;
};

// Reads an image file (colour pictures as the chosen channel), DICOM file or .cimg file:
// every frame, or frame N alone when path is FILE#N (1-based; only when no file is named
// path itself). Throws LoadError with the reader's message, or for a frame the file lacks.
InputFrames loadInputFrames(const QString &path, Progress &progress, Channel channel = Channel::Gray);

// loadInputFrames for commands that work on one image: a file of several frames must be
// named with #N (LoadError otherwise, so that a batch reports it and goes on).
InputFrames loadSingleInput(const QString &path, Progress &progress, Channel channel = Channel::Gray);

// How loadInputFrames reads DICOM files from now on (the file's window unless set).
void useDicomWindow(DicomWindow window);

// The image of loadSingleInput.
Image loadInput(const QString &path, Progress &progress, Channel channel = Channel::Gray);

// The image files among inputs: files as given (FILE#N too), folders searched recursively
// for image suffixes (.png .bmp .jpg .jpeg .tif .tiff .gif .pgm .ppm .cimg .dcm) and DICOM
// files of any name, sorted by path within each folder. Files below exclude (a folder; may be empty) are left out of folder searches, so
// earlier results in an output folder inside an input folder are not taken as inputs.
// Throws UsageError for an input that does not exist.
QStringList collectImages(const QStringList &inputs, const QString &exclude = {});

// True for a path with one of the image suffixes above (case-insensitive) or a file that
// starts with the DICOM preamble.
bool isImageFile(const QString &path);

// 255 where the value is 255, 0 elsewhere, as an 8-bit gray picture.
QImage binaryPicture(const Image &image);

// Writes picture as .png, .bmp, .tif or .jpg by path's suffix; throws std::runtime_error.
void writePicture(const QImage &picture, const QString &path);

// Writes text (UTF-8) to path as writeFileReplacing does; throws std::runtime_error naming
// the file and the system's reason.
void writeTextFile(const QString &path, const QString &text);

// A CSV field, quoted when it holds a comma, a quote or a line break; text a spreadsheet
// would run as a formula (= + - @ first) gets a leading apostrophe.
QString csvField(const QString &text);
// A number for CSV: 'g' with 10 digits; NaN as "nan".
QString csvNumber(double v);

// Throws std::runtime_error, with the figures, when segmenting width x height pixels by
// method (hysteresis, fuzzy or classifier) needs more memory than there is free.
void requireMemoryToSegment(int width, int height, const QString &method);

// The size a picture file's header declares (path may be FILE#N), read without decoding;
// invalid for DICOM and .cimg files and for files no picture reader knows.
QSize declaredPictureSize(const QString &path);

// Runs work(i) for i in 0..count-1 on `threads` threads in all, each index once: up to
// `threads` indices at a time, their row passes sharing the rest. afterDone(done) is
// called (under a lock) each time an index finishes. work must not throw.
void runParallel(int count, int threads, const std::function<void(int)> &work, const std::function<void(int)> &afterDone);

// A folder's images by file name stem, for pairing with other images of the same stem
// (evaluate's predictions, train's photographs). When some stems carry one of the role's
// suffixes (retina-truth.png beside retina.png), only those count and the suffix is taken
// off. Throws UsageError when two files share a stem.
QMap<QString, QString> indexByStem(const QString &folder, const QStringList &suffixes);
// Throws UsageError naming both files that share a stem.
void refuseStemClash(const QString &stem, const QString &first, const QString &second);

// The sub-commands: each declares its command line (options and help) and runs on it.
CommandLine segmentCommandLine();
int segmentCommand(const CommandLine &line, QTextStream &out, QTextStream &err);
CommandLine evaluateCommandLine();
int evaluateCommand(const CommandLine &line, QTextStream &out, QTextStream &err);
CommandLine trainCommandLine();
int trainCommand(const CommandLine &line, QTextStream &out, QTextStream &err);
CommandLine mergeCommandLine();
int mergeCommand(const CommandLine &line, QTextStream &out, QTextStream &err);
CommandLine overlayCommandLine();
int overlayCommand(const CommandLine &line, QTextStream &out, QTextStream &err);
CommandLine stenosisCommandLine();
int stenosisCommand(const CommandLine &line, QTextStream &out, QTextStream &err);
