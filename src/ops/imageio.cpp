#include "ops/imageio.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <unistd.h>

#include "ops/display.h"
#include "ops/filecheck.h"
#include "ops/progress.h"

namespace {

struct ImageIO {
    Q_DECLARE_TR_FUNCTIONS(ImageIO)
};

QString cannotRead(const QString &path, const QString &why)
{
    return ImageIO::tr("The file %1 could not be opened as an image: %2").arg(QFileInfo(path).fileName(), why);
}

// Why path is no file a reader may open: a folder, missing, or a pipe or device, which
// could block the reader or never end. Empty for a regular file.
QString notAFileProblem(const QFileInfo &info)
{
    if (info.isDir()) return ImageIO::tr("it is a folder");
    if (!info.exists()) return ImageIO::tr("the file does not exist");
    if (!info.isFile()) return ImageIO::tr("it is not a regular file");
    return {};
}

// Checks that a picture of this size can be held as doubles before any allocation.
bool fitsInMemory(const QSize &size)
{
    const double bytes = double(size.width()) * size.height() * sizeof(double);
    return size.width() > 0 && size.height() > 0 && bytes < double(kReaderAllocationLimitMB) * 4 * 1024 * 1024;
}

// The gray level a pixel gives for the chosen channel.
int channelValue(QRgb c, Channel channel)
{
    switch (channel) {
    case Channel::Red: return qRed(c);
    case Channel::Green: return qGreen(c);
    case Channel::Blue: return qBlue(c);
    case Channel::Gray: break;
    }
    return grayOf(c);
}

const char *const kChannelNames[] = {"gray", "red", "green", "blue"};

}  // namespace

QString channelName(Channel channel)
{
    return kChannelNames[int(channel)];
}

bool parseChannel(const QString &name, Channel *channel)
{
    for (int i = 0; i < 4; ++i)
        if (name == kChannelNames[i]) {
            *channel = Channel(i);
            return true;
        }
    return false;
}

LoadResult loadGrayImage(const QString &path, Progress &progress, Channel channel)
{
    if (const QString problem = notAFileProblem(QFileInfo(path)); !problem.isEmpty())
        return {Image(), cannotRead(path, problem)};
    {
        // The JPEG and BMP readers fill a truncated file with made-up pixels: refuse it first.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() > 0) {
            const uchar *data = file.map(0, file.size());
            const QString problem = data ? truncatedPictureProblem(data, file.size()) : QString();
            if (data) file.unmap(const_cast<uchar *>(data));
            if (!problem.isEmpty()) return {Image(), cannotRead(path, problem)};
        }
    }
    QImageReader reader(path);
    reader.setAllocationLimit(kReaderAllocationLimitMB);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && !fitsInMemory(size))
        return {Image(), cannotRead(path, ImageIO::tr("the picture is too large (%1 x %2 pixels)").arg(size.width()).arg(size.height()))};
    QImage picture;
    try {
        picture = reader.read();
    } catch (const std::bad_alloc &) {
        return {Image(), cannotRead(path, ImageIO::tr("not enough memory"))};
    }
    if (picture.isNull()) return {Image(), cannotRead(path, reader.errorString())};
    if (!fitsInMemory(picture.size()))
        return {Image(), cannotRead(path, ImageIO::tr("the picture is too large (%1 x %2 pixels)").arg(picture.width()).arg(picture.height()))};

    LoadResult result;
    try {
        const QImage rgb = picture.convertToFormat(QImage::Format_ARGB32);
        result.image.assign(rgb.width(), rgb.height(), 1, 1, 0.0);
        progress.start(ImageIO::tr("Open image"), ImageIO::tr("Open & convert to grayscale ..."), rgb.width());
        // Rows are converted in bands so that the column progress can be shown cheaply.
        const int w = rgb.width(), h = rgb.height();
        const int band = std::max(1, w / 100);
        for (int x0 = 0; x0 < w; x0 += band) {
            const int x1 = std::min(w, x0 + band);
            for (int y = 0; y < h; ++y) {
                const auto *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
                double *dst = result.image.data(0, y);
                if (channel == Channel::Gray)
                    for (int x = x0; x < x1; ++x) dst[x] = grayOf(src[x]);
                else
                    for (int x = x0; x < x1; ++x) dst[x] = channelValue(src[x], channel);
            }
            progress.setValue(x1);
        }
        progress.finish();
    } catch (const std::bad_alloc &) {
        progress.finish();
        return {Image(), cannotRead(path, ImageIO::tr("not enough memory"))};
    } catch (const cimg_library::CImgException &) {
        progress.finish();
        return {Image(), cannotRead(path, ImageIO::tr("not enough memory"))};
    }
    return result;
}

LoadResult loadCimgImage(const QString &path)
{
    if (const QString problem = notAFileProblem(QFileInfo(path)); !problem.isEmpty())
        return {Image(), cannotRead(path, problem)};
    // The library's reader trusts the header: it allocates what the header names and reads
    // short files without complaint. Check the header against the file and the limit first.
    if (const QString problem = cimgHeaderProblem(path, double(kReaderAllocationLimitMB) * 4 * 1024 * 1024);
        !problem.isEmpty())
        return {Image(), cannotRead(path, problem)};
    try {
        Image image;
        image.load_cimg(QFile::encodeName(path).constData());
        if (image.is_empty()) return {Image(), cannotRead(path, ImageIO::tr("it holds no pixels"))};
        if (image.depth() != 1 || image.spectrum() != 1)
            return {Image(), cannotRead(path, ImageIO::tr("only two-dimensional gray images are supported"))};
        return {image, QString()};
    } catch (const cimg_library::CImgException &e) {
        return {Image(), cannotRead(path, QString::fromLocal8Bit(e.what()))};
    } catch (const std::bad_alloc &) {
        return {Image(), cannotRead(path, ImageIO::tr("not enough memory"))};
    }
}

LoadResult loadAnyImage(const QString &path, Progress &progress, Channel channel)
{
    if (QFileInfo(path).suffix().compare("cimg", Qt::CaseInsensitive) == 0) return loadCimgImage(path);
    return loadGrayImage(path, progress, channel);
}

bool savePicture(const QImage &picture, const QString &path, const char *format, QString *error)
{
    // Encode in memory first: the TIFF writer seeks while it writes, and a seek clears the
    // error of a failed write, so a full disk would pass for success. One write of the
    // whole encoding reports any failure, and the save file then discards its temporary.
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (!writer.write(picture)) {
            if (error) *error = writer.errorString();
            return false;
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.write(encoded) != encoded.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool saveCimgImage(const Image &image, const QString &path, QString *error)
{
    // The library writes through a FILE* and does not report a short write. Write a
    // temporary file in the target folder through our own FILE*, check every step, and
    // only then rename it over the target in one step, so an existing file stays whole.
    const QFileInfo info(path);
    QTemporaryFile temp(info.absolutePath() + "/.quendra-XXXXXX.cimg");
    if (!temp.open()) {
        if (error) *error = temp.errorString();
        return false;
    }
    temp.close();
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    std::FILE *file = std::fopen(tempName.constData(), "wb");
    if (!file) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QString failure;
    try {
        image.save_cimg(file);
    } catch (const cimg_library::CImgException &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    errno = 0;
    bool written = failure.isEmpty() && std::fflush(file) == 0 && !std::ferror(file) && ::fsync(fileno(file)) == 0;
    const int writeErrno = errno ? errno : EIO;
    written = std::fclose(file) == 0 && written;
    if (!written) {
        if (error)
            *error = failure.isEmpty() ? ImageIO::tr("cannot write the file: %1").arg(QString::fromLocal8Bit(std::strerror(writeErrno)))
                                       : failure;
        return false;
    }
    // The new file gets the permissions of the one it replaces, or the usual ones.
    QFile::setPermissions(temp.fileName(), info.exists() ? info.permissions()
                                                         : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        if (error) *error = ImageIO::tr("cannot write the file: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}
