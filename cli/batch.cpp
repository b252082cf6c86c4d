#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <cmath>
#include <map>
#include <mutex>

#include "commands.h"
#include "ops/core/execution.h"
#include "ops/core/memoryestimate.h"
#include "ops/io/dicomio.h"
#include "ops/io/filenames.h"
#include "ops/io/filewrite.h"
#include "ops/io/imageio.h"

namespace {

// How DICOM inputs give gray levels, set for each command by useDicomWindow.
DicomWindow inputDicomWindow = DicomWindow::File;

// The files below folder (links to files included), hidden ones and hidden folders left out,
// with their names as the system holds them: std::filesystem keeps a name's bytes where
// Qt's folder listing would replace those that are not UTF-8.
QStringList filesBelow(const QString &folder)
{
    namespace fs = std::filesystem;
    QStringList files;
    std::error_code error, ignored;
    for (fs::recursive_directory_iterator it(nativeName(folder).toStdString(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string leaf = it->path().filename().native();
        if (!leaf.empty() && leaf[0] == '.') {
            if (it->is_directory(ignored)) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(ignored)) files << nameFromNative(QByteArray::fromStdString(it->path().native()));
    }
    return files;
}

// FILE#N names frame N of FILE, unless a file has that whole name.
bool splitFrame(const QString &path, QString *file, int *frame)
{
    static const QRegularExpression pattern("^(.+)#([0-9]+)$");
    const QRegularExpressionMatch match = pattern.match(path);
    if (QFileInfo::exists(path) || !match.hasMatch()) return false;
    *file = match.captured(1);
    *frame = match.captured(2).toInt();
    return true;
}

}  // namespace

void useDicomWindow(DicomWindow window) { inputDicomWindow = window; }

InputFrames loadInputFrames(const QString &path, Progress &progress, Channel channel)
{
    QString file = path;
    int frame = 0;
    const bool oneFrame = splitFrame(path, &file, &frame);
    const ReadableName readable(file);
    LoadResult loaded = loadAnyImage(readable.path(), progress, channel, inputDicomWindow);
    if (!loaded.ok()) throw LoadError(loaded.error.toStdString());
    InputFrames input;
    input.calibration = loaded.calibration;
    const int count = loaded.frameCount();
    loaded.takeFrames().move_to(input.frames);  // the library's lists copy on assignment
    if (oneFrame) {
        if (frame < 1 || frame > count)
            throw LoadError(QString("%1 has %2 frame(s); there is no frame %3").arg(file).arg(count).arg(frame).toStdString());
        ImageList only;
        input.frames[frame - 1].move_to(only);
        only.move_to(input.frames);
        input.firstNumber = frame;
    }
    return input;
}

InputFrames loadSingleInput(const QString &path, Progress &progress, Channel channel)
{
    InputFrames input = loadInputFrames(path, progress, channel);
    if (input.frames.size() > 1)
        throw LoadError(QString("%1 holds %2 frames: name one as %1#N (N from 1 to %2)")
                             .arg(path)
                             .arg(input.frames.size())
                             .toStdString());
    return input;
}

Image loadInput(const QString &path, Progress &progress, Channel channel)
{
    InputFrames input = loadSingleInput(path, progress, channel);
    return std::move(input.frames[0]);
}

bool isImageFile(const QString &path)
{
    static const QStringList suffixes = {"png", "bmp", "jpg", "jpeg", "tif", "tiff", "gif", "pgm", "ppm", "cimg", "dcm"};
    return suffixes.contains(QFileInfo(path).suffix().toLower()) || isDicomFile(path);
}

QStringList collectImages(const QStringList &inputs, const QString &exclude)
{
    const QString excluded = exclude.isEmpty() ? QString() : QFileInfo(exclude).absoluteFilePath() + "/";
    QStringList files;
    for (const QString &input : inputs) {
        // Asked of the system by the name's bytes, which may not be UTF-8 (see nativeName).
        struct stat status {};
        const bool exists = ::stat(nativeName(input).constData(), &status) == 0;
        QString file;
        int frame = 0;
        if (!exists && splitFrame(input, &file, &frame) && QFileInfo(file).isFile()) {
            files << input;
            continue;
        }
        if (!exists) throw UsageError(QString("no such file or folder: %1").arg(displayName(input)).toStdString());
        if (!S_ISDIR(status.st_mode)) {
            files << input;
            continue;
        }
        QStringList found;
        for (const QString &path : filesBelow(input)) {
            if (!isImageFile(path)) continue;
            if (!excluded.isEmpty() && QFileInfo(path).absoluteFilePath().startsWith(excluded)) continue;
            found << QDir::cleanPath(path);
        }
        found.sort();
        files << found;
    }
    return files;
}

QImage binaryPicture(const Image &image)
{
    QImage picture(image.width(), image.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = picture.scanLine(y);
        for (int x = 0; x < image.width(); ++x) line[x] = image(x, y) == kWhite ? 255 : 0;
    }
    return picture;
}

void writePicture(const QImage &picture, const QString &path)
{
    static const std::map<QString, const char *> formats = {
        {"png", "png"}, {"bmp", "bmp"}, {"tif", "tif"}, {"tiff", "tif"}, {"jpg", "jpg"}, {"jpeg", "jpg"}};
    const auto format = formats.find(QFileInfo(path).suffix().toLower());
    if (format == formats.end())
        throw UsageError(QString("the output must end in .png, .bmp, .tif or .jpg: %1").arg(path).toStdString());
    QString error;
    if (!savePicture(picture, path, format->second, &error))
        throw std::runtime_error(QString("cannot write %1: %2").arg(path, error).toStdString());
}

void writeTextFile(const QString &path, const QString &text)
{
    QString error;
    if (!writeFileReplacing(path, text.toUtf8(), &error))
        throw std::runtime_error(QString("cannot write %1: %2").arg(path, error).toStdString());
}

QString csvField(const QString &text)
{
    // A spreadsheet runs a cell that starts with = + - @ (or a tab or carriage return before
    // one) as a formula: such text, unless it is a number, gets a leading apostrophe, which
    // spreadsheets show as text. A file may be named "=HYPERLINK(...).png".
    static const QString formulaStarts = "=+-@\t\r";
    bool number = false;
    text.toDouble(&number);
    const QString cell = !text.isEmpty() && formulaStarts.contains(text[0]) && !number ? "'" + text : text;
    if (!cell.contains(',') && !cell.contains('"') && !cell.contains('\n') && !cell.contains('\r')) return cell;
    return '"' + QString(cell).replace("\"", "\"\"") + '"';
}

QString csvNumber(double v) { return std::isnan(v) ? QString("nan") : QString::number(v, 'g', 10); }

void requireMemoryToSegment(int width, int height, const QString &method)
{
    // The peaks measured on 3504 x 2336 photographs (hysteresis 604 MB, fuzzy clustering
    // 1146 MB, the classifier's features and the library's copies up to 2 GB), rounded up.
    const double bytesPerPixel = method == "classifier" ? 250.0 : method == "fuzzy" ? 150.0 : 80.0;
    const QString shortfall = memoryShortfall(QString("segmenting %1 x %2 pixels by %3").arg(width).arg(height).arg(method),
                                              bytesPerPixel * double(width) * double(height));
    if (!shortfall.isEmpty()) throw std::runtime_error(shortfall.toStdString());
}

QSize declaredPictureSize(const QString &path)
{
    QString file = path;
    int frame = 0;
    splitFrame(path, &file, &frame);
    const ReadableName readable(file);
    return QImageReader(readable.path()).size();
}

void runParallel(int count, int threads, const std::function<void(int)> &work, const std::function<void(int)> &afterDone)
{
    std::mutex lock;
    int done = 0;
    // The threads are shared out: n images at a time, each with threads / n row threads, so
    // the batch never runs more threads than asked for.
    const int n = std::max(1, std::min(threads, count));
    execution::parallelFor(count, n, threads / n, [&](int i) {
        work(i);
        const std::lock_guard<std::mutex> guard(lock);
        afterDone(++done);
    });
}
