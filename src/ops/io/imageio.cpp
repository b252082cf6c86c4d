#include "ops/io/imageio.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "ops/io/dicomio.h"
#include "ops/io/cimgread.h"
#include "ops/io/display.h"
#include "ops/io/filecheck.h"
#include "ops/io/filewrite.h"
#include "ops/core/memoryestimate.h"
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
// per band of columns; 16-bit gray samples are read as signed when signedSamples is set.
// Throws std::bad_alloc or the library's exception when memory runs out.
Image grayLevels(const QImage &picture, Channel channel, Progress &progress, bool signedSamples)
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
                // Two's complement -32768..32767 onto 0..65535 by flipping the sign bit.
                const quint16 flip = signedSamples ? 0x8000 : 0;
                for (int x = x0; x < x1; ++x) dst[x] = from16(quint16(src[x] ^ flip));
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
    bool signedSamples = false;
    {
        // The JPEG and BMP readers fill a truncated file with made-up pixels: refuse it first.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() > 0) {
            const uchar *data = file.map(0, file.size());
            const QString problem = data ? truncatedPictureProblem(data, file.size()) : QString();
            if (data) calibration = pictureCalibration(data, file.size());
            if (data) signedSamples = tiffHasSignedSamples(data, file.size());
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
    if (pages > kMaxPictureFrames)
        return refused(path, ImageIO::tr("it has %1 pages; at most %2 can be opened").arg(pages).arg(kMaxPictureFrames));
    // Decoding holds the decoded page, its converted copy and the doubles (16 bytes a pixel),
    // and the doubles of every page.
    if (size.isValid()) {
        const double pixels = double(size.width()) * size.height();
        const QString shortfall = memoryShortfall(
            ImageIO::tr("reading its %1 x %2 pixels").arg(size.width()).arg(size.height()), pixels * (16.0 + 8.0 * pages));
        if (!shortfall.isEmpty()) return refused(path, shortfall);
    }

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
            Image levels = grayLevels(picture, channel, progress, signedSamples);
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
    // error of a failed write, so a full disk would pass for success. The whole encoding is
    // then written and checked in one go.
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
    return writeFileReplacing(path, encoded, error);
}

bool saveCimgImage(const Image &image, const QString &path, QString *error)
{
    // The library writes to a FILE* without reporting a short write: it writes into memory
    // here, and the file is written as a whole, checked, by writeFileReplacing.
    char *data = nullptr;
    size_t size = 0;
    std::FILE *stream = ::open_memstream(&data, &size);
    if (!stream) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QString failure;
    try {
        image.save_cimg(stream);
    } catch (const cimg_library::CImgException &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    const bool encoded = std::fclose(stream) == 0 && failure.isEmpty();
    const std::unique_ptr<char, void (*)(void *)> owned(data, std::free);
    if (!encoded) {
        if (error) *error = failure.isEmpty() ? ImageIO::tr("not enough memory") : failure;
        return false;
    }
    return writeFileReplacing(path, QByteArray::fromRawData(data, qsizetype(size)), error);
}
