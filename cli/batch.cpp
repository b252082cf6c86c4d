#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "commands.h"
#include "ops/core/execution.h"
#include "ops/io/dicomio.h"
#include "ops/io/imageio.h"

namespace {

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

InputFrames loadInputFrames(const QString &path, Progress &progress, Channel channel)
{
    QString file = path;
    int frame = 0;
    const bool oneFrame = splitFrame(path, &file, &frame);
    LoadResult loaded = loadAnyImage(file, progress, channel);
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
        const QFileInfo info(input);
        QString file;
        int frame = 0;
        if (!info.exists() && splitFrame(input, &file, &frame) && QFileInfo(file).isFile()) {
            files << input;
            continue;
        }
        if (!info.exists()) throw UsageError(QString("no such file or folder: %1").arg(input).toStdString());
        if (!info.isDir()) {
            files << input;
            continue;
        }
        QStringList found;
        QDirIterator it(input, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
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

QString csvField(const QString &text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r')) return text;
    return '"' + QString(text).replace("\"", "\"\"") + '"';
}

QString csvNumber(double v) { return std::isnan(v) ? QString("nan") : QString::number(v, 'g', 10); }

void runParallel(int count, int threads, const std::function<void(int)> &work, const std::function<void(int)> &afterDone)
{
    std::atomic<int> next{0};
    std::mutex lock;
    int done = 0;
    const int n = std::max(1, std::min(threads, count));
    // The threads are shared out: n images at a time, each with threads / n row threads, so
    // the batch never runs more threads than asked for.
    auto worker = [&] {
        const execution::ThreadBudget budget(threads / n);
        for (int i = next++; i < count; i = next++) {
            work(i);
            const std::lock_guard<std::mutex> guard(lock);
            afterDone(++done);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < n; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread &t : pool) t.join();
}
