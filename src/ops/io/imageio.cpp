#include "ops/io/imageio.h"

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

#include "ops/io/dicomio.h"
#include "ops/io/cimgread.h"
#include "ops/io/display.h"
#include "ops/io/filecheck.h"
#include "ops/core/progress.h"

namespace {

struct ImageIO {
    Q_DECLARE_TR_FUNCTIONS(ImageIO)
};

// A failed read: no image, and a message naming the file and the reason.
LoadResult refused(const QString &path, const QString &why)
{
    LoadResult result;
    result.error = cannotReadText(path, why);
    return result;
}

// Checks that a picture of this size (and, with pixels, all pages read so far) can be held
// as doubles before any allocation.
bool fitsInMemory(const QSize &size, double pixels = 0.0)
{
    const double bytes = std::max(double(size.width()) * size.height(), pixels) * sizeof(double);
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

// Formats whose channels carry 16 bits; everything else is converted from 8 bits as always.
bool isSixteenBit(QImage::Format format)
{
    return format == QImage::Format_Grayscale16 || format == QImage::Format_RGBX64 || format == QImage::Format_RGBA64 ||
           format == QImage::Format_RGBA64_Premultiplied;
}

double from16(quint16 v) { return v * 255.0 / 65535.0; }

// The gray levels of one decoded picture for the chosen channel, reporting progress once
// per band of columns. Throws std::bad_alloc or the library's exception when memory runs out.
Image grayLevels(const QImage &picture, Channel channel, Progress &progress)
{
    const bool deep = isSixteenBit(picture.format());
    const bool grayOnly = picture.format() == QImage::Format_Grayscale16;
    const QImage converted = picture.convertToFormat(grayOnly ? QImage::Format_Grayscale16
                                                     : deep   ? QImage::Format_RGBA64
                                                              : QImage::Format_ARGB32);
    Image image(converted.width(), converted.height(), 1, 1, 0.0);
    progress.start(ImageIO::tr("Open image"), ImageIO::tr("Open & convert to grayscale ..."), converted.width());
    // Rows are converted in bands so that the column progress can be shown cheaply.
    const int w = converted.width(), h = converted.height();
    const int band = std::max(1, w / 100);
    for (int x0 = 0; x0 < w; x0 += band) {
        const int x1 = std::min(w, x0 + band);
        for (int y = 0; y < h; ++y) {
            double *dst = image.data(0, y);
            if (grayOnly) {
                const auto *src = reinterpret_cast<const quint16 *>(converted.constScanLine(y));
                for (int x = x0; x < x1; ++x) dst[x] = from16(src[x]);
            } else if (deep) {
                const auto *src = reinterpret_cast<const QRgba64 *>(converted.constScanLine(y));
                for (int x = x0; x < x1; ++x) {
                    const double r = from16(src[x].red()), g = from16(src[x].green()), b = from16(src[x].blue());
                    dst[x] = channel == Channel::Red     ? r
                             : channel == Channel::Green ? g
                             : channel == Channel::Blue  ? b
                                                         : (11 * r + 16 * g + 5 * b) / 32;
                }
            } else {
                const auto *src = reinterpret_cast<const QRgb *>(converted.constScanLine(y));
                if (channel == Channel::Gray)
                    for (int x = x0; x < x1; ++x) dst[x] = grayOf(src[x]);
                else
                    for (int x = x0; x < x1; ++x) dst[x] = channelValue(src[x], channel);
            }
        }
        progress.setValue(x1);
    }
    progress.finish();
    return image;
}

}  // namespace

LoadResult loadGrayImage(const QString &path, Progress &progress, Channel channel)
{
    if (const QString problem = notAFileProblem(path); !problem.isEmpty())
        return refused(path, problem);
    Calibration calibration;
    {
        // The JPEG and BMP readers fill a truncated file with made-up pixels: refuse it first.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() > 0) {
            const uchar *data = file.map(0, file.size());
            const QString problem = data ? truncatedPictureProblem(data, file.size()) : QString();
            if (data) calibration = pictureCalibration(data, file.size());
            if (data) file.unmap(const_cast<uchar *>(data));
            if (!problem.isEmpty()) return refused(path, problem);
        }
    }
    QImageReader reader(path);
    reader.setAllocationLimit(kReaderAllocationLimitMB);
    reader.setDecideFormatFromContent(true);
    // The pages of a TIFF file are frames; other formats' further images (animations) are
    // not. Qt's TIFF reader counts its pages correctly only before anything else is asked.
    const int pages = QImageReader::imageFormat(path) == "tiff" ? std::max(1, reader.imageCount()) : 1;
    const QSize size = reader.size();
    if (size.isValid() && !fitsInMemory(size))
        return refused(path, ImageIO::tr("the picture is too large (%1 x %2 pixels)").arg(size.width()).arg(size.height()));

    LoadResult result;
    result.calibration = calibration;
    double pixels = 0.0;
    for (int page = 0; page < pages; ++page) {
        QImage picture;
        try {
            if (page > 0 && !reader.jumpToNextImage())
                return refused(path, ImageIO::tr("its page %1 cannot be read").arg(page + 1));
            picture = reader.read();
        } catch (const std::bad_alloc &) {
            return refused(path, ImageIO::tr("not enough memory"));
        }
        if (picture.isNull()) return refused(path, reader.errorString());
        pixels += double(picture.width()) * picture.height();
        if (!fitsInMemory(picture.size()) || !fitsInMemory(QSize(1, 1), pixels))
            return refused(path, ImageIO::tr("the picture is too large (%1 x %2 pixels)").arg(picture.width()).arg(picture.height()));
        if (page > 0 && picture.size() != QSize(result.image.width(), result.image.height()))
            return refused(path, ImageIO::tr("its pages differ in size"));
        try {
            Image levels = grayLevels(picture, channel, progress);
            if (page == 0) levels.move_to(result.image);
            else levels.move_to(result.moreFrames);
        } catch (const std::bad_alloc &) {
            progress.finish();
            return refused(path, ImageIO::tr("not enough memory"));
        } catch (const cimg_library::CImgException &) {
            progress.finish();
            return refused(path, ImageIO::tr("not enough memory"));
        }
    }
    return result;
}

LoadResult loadCimgImage(const QString &path)
{
    if (const QString problem = notAFileProblem(path); !problem.isEmpty())
        return refused(path, problem);
    // The library's reader trusts the header: it allocates what the header names and reads
    // short files without complaint. Check the header against the file and the limit first.
    if (const QString problem = cimgHeaderProblem(path, double(kReaderAllocationLimitMB) * 4 * 1024 * 1024);
        !problem.isEmpty())
        return refused(path, problem);
    try {
        Image image;
        if (!readNativeCimg(path, image)) image.load_cimg(QFile::encodeName(path).constData());
        if (image.is_empty()) return refused(path, ImageIO::tr("it holds no pixels"));
        if (image.depth() != 1 || image.spectrum() != 1)
            return refused(path, ImageIO::tr("only two-dimensional gray images are supported"));
        LoadResult result;
        image.move_to(result.image);
        return result;
    } catch (const cimg_library::CImgException &e) {
        return refused(path, QString::fromLocal8Bit(e.what()));
    } catch (const std::bad_alloc &) {
        return refused(path, ImageIO::tr("not enough memory"));
    }
}

LoadResult loadAnyImage(const QString &path, Progress &progress, Channel channel, DicomWindow window)
{
    if (QFileInfo(path).suffix().compare("cimg", Qt::CaseInsensitive) == 0) return loadCimgImage(path);
    if (isDicomFile(path)) return loadDicomImage(path, progress, channel, window);
    return loadGrayImage(path, progress, channel);
}

ImageList LoadResult::takeFrames()
{
    ImageList frames;
    if (!image.is_empty()) image.move_to(frames);
    for (Image &frame : moreFrames) frame.move_to(frames);
    moreFrames.assign();
    return frames;
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
