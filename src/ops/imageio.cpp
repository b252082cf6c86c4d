#include "ops/imageio.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include <new>

#include "ops/display.h"
#include "ops/progress.h"

namespace {

QString tr(const char *text) { return QCoreApplication::translate("ImageIO", text); }

QString cannotRead(const QString &path, const QString &why)
{
    return tr("The file %1 could not be opened as an image: %2").arg(QFileInfo(path).fileName(), why);
}

// Checks that a picture of this size can be held as doubles before any allocation.
bool fitsInMemory(const QSize &size)
{
    const double bytes = double(size.width()) * size.height() * sizeof(double);
    return size.width() > 0 && size.height() > 0 && bytes < double(kReaderAllocationLimitMB) * 4 * 1024 * 1024;
}

}  // namespace

LoadResult loadGrayImage(const QString &path, Progress &progress)
{
    const QFileInfo info(path);
    if (info.isDir()) return {Image(), cannotRead(path, tr("it is a folder"))};
    if (!info.exists()) return {Image(), cannotRead(path, tr("the file does not exist"))};
    QImageReader reader(path);
    reader.setAllocationLimit(kReaderAllocationLimitMB);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && !fitsInMemory(size))
        return {Image(), cannotRead(path, tr("the picture is too large (%1 x %2 pixels)").arg(size.width()).arg(size.height()))};
    QImage picture;
    try {
        picture = reader.read();
    } catch (const std::bad_alloc &) {
        return {Image(), cannotRead(path, tr("not enough memory"))};
    }
    if (picture.isNull()) return {Image(), cannotRead(path, reader.errorString())};
    if (!fitsInMemory(picture.size()))
        return {Image(), cannotRead(path, tr("the picture is too large (%1 x %2 pixels)").arg(picture.width()).arg(picture.height()))};

    LoadResult result;
    try {
        const QImage rgb = picture.convertToFormat(QImage::Format_ARGB32);
        result.image.assign(rgb.width(), rgb.height(), 1, 1, 0.0);
        progress.start(tr("Open image"), tr("Open & convert to grayscale ..."), rgb.width());
        // Rows are converted in bands so that the column progress can be shown cheaply.
        const int w = rgb.width(), h = rgb.height();
        const int band = std::max(1, w / 100);
        for (int x0 = 0; x0 < w; x0 += band) {
            const int x1 = std::min(w, x0 + band);
            for (int y = 0; y < h; ++y) {
                const auto *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
                double *dst = result.image.data(0, y);
                for (int x = x0; x < x1; ++x) dst[x] = grayOf(src[x]);
            }
            progress.setValue(x1);
        }
        progress.finish();
    } catch (const std::bad_alloc &) {
        progress.finish();
        return {Image(), cannotRead(path, tr("not enough memory"))};
    } catch (const cimg_library::CImgException &) {
        progress.finish();
        return {Image(), cannotRead(path, tr("not enough memory"))};
    }
    return result;
}

LoadResult loadCimgImage(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile()) return {Image(), cannotRead(path, tr("the file does not exist"))};
    try {
        Image image;
        image.load_cimg(QFile::encodeName(path).constData());
        if (image.is_empty()) return {Image(), cannotRead(path, tr("it holds no pixels"))};
        if (image.depth() != 1 || image.spectrum() != 1)
            return {Image(), cannotRead(path, tr("only two-dimensional gray images are supported"))};
        return {image, QString()};
    } catch (const cimg_library::CImgException &e) {
        return {Image(), cannotRead(path, QString::fromLocal8Bit(e.what()))};
    } catch (const std::bad_alloc &) {
        return {Image(), cannotRead(path, tr("not enough memory"))};
    }
}

LoadResult loadAnyImage(const QString &path, Progress &progress)
{
    if (QFileInfo(path).suffix().compare("cimg", Qt::CaseInsensitive) == 0) return loadCimgImage(path);
    return loadGrayImage(path, progress);
}

bool savePicture(const QImage &picture, const QString &path, const char *format, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, format);
    if (!writer.write(picture)) {
        if (error) *error = writer.errorString();
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
    // CImg writes to a FILE*: write a temporary file in the target folder, then swap it in.
    const QFileInfo info(path);
    QTemporaryFile temp(info.absolutePath() + "/.quendra-XXXXXX.cimg");
    if (!temp.open()) {
        if (error) *error = temp.errorString();
        return false;
    }
    temp.close();
    try {
        image.save_cimg(QFile::encodeName(temp.fileName()).constData());
    } catch (const cimg_library::CImgException &e) {
        if (error) *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    QFile::remove(path + ".old");
    const bool existed = QFile::exists(path);
    if (existed && !QFile::rename(path, path + ".old")) {
        if (error) *error = tr("cannot replace the existing file");
        return false;
    }
    if (!QFile::rename(temp.fileName(), path)) {
        if (existed) QFile::rename(path + ".old", path);
        if (error) *error = tr("cannot write the file");
        return false;
    }
    temp.setAutoRemove(false);
    QFile::remove(path + ".old");
    return true;
}
