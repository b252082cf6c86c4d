// Hostile files through the readers the window and the command line use: empty, truncated
// and bit-flipped pictures of every format, headers that promise enormous pictures or more
// data than the file holds, folders, unreadable files and wrong suffixes. Each is either
// refused with a message naming the file, or read as a proper image; none allocates what a
// header merely claims. The files are made here, in a temporary folder.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtTest>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ops/io/imageio.h"
#include "ops/loadingfixtures.h"
#include "ops/core/progress.h"

namespace {

QImage testPicture()
{
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) picture.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    return picture;
}

QByteArray encoded(const char *format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(testPicture())) qFatal("cannot encode %s", format);
    return data;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) qFatal("cannot write %s", qPrintable(path));
    return path;
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray be32(quint32 v)
{
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &body)
{
    return be32(quint32(body.size())) + type + body + be32(crc32(type + body));
}

// A valid PNG header for width x height gray pixels, followed by a few bytes of data.
QByteArray pngClaiming(quint32 width, quint32 height)
{
    const QByteArray ihdr = be32(width) + be32(height) + QByteArray("\x08\x00\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) +
           pngChunk("IDAT", QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) + pngChunk("IEND", {});
}

// A BMP header for width x height 24-bit pixels with only a few rows of data.
QByteArray bmpClaiming(qint32 width, qint32 height)
{
    QByteArray h(54, '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int k = 0; k < 4; ++k) h[at + k] = char(v >> (8 * k));
    };
    h[0] = 'B';
    h[1] = 'M';
    put32(2, 54 + 4096);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    h[26] = 1;
    h[28] = 24;
    return h + QByteArray(4096, '\x40');
}

// The most this process has ever held, in bytes.
qint64 peakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

LoadResult load(const QString &path)
{
    NullProgress progress;
    return loadAnyImage(path, progress);
}

void verifyRefused(const LoadResult &result, const QString &path)
{
    QVERIFY2(!result.ok(), qPrintable(path + " was read as an image"));
    QVERIFY(result.image.is_empty());
    QVERIFY2(result.error.contains(QFileInfo(path).fileName()), qPrintable(result.error));
}

const char *const kFormats[] = {"png", "jpg", "bmp", "tif"};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// data with the 4-byte length of the first explicit-VR element (tag, then VR) set to length.
QByteArray withValueLength(QByteArray data, const QByteArray &tagAndVr, quint32 length)
{
    const int at = data.indexOf(tagAndVr);
    if (at < 0) qFatal("element not found");
    for (int k = 0; k < 4; ++k) data[at + 8 + k] = char(length >> (8 * k));
    return data;
}

// The DICOM fixtures the hostile cases start from: uncompressed and each compression.
const char *const kDicomFiles[] = {"frames12.dcm", "frames12-rle.dcm", "frames12-jpeg.dcm", "frames12-jpegls.dcm"};

}  // namespace

class HostileFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QTemporaryDir dicomDir;

private slots:
    void initTestCase()
    {
        const QString problem = makeLoadingFixtures(dicomDir.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void emptyAndTruncatedPicturesAreRefused_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("kept");
        for (const char *format : kFormats)
            for (const double kept : {0.0, 0.05, 0.3, 0.6, 0.9, 0.98})
                QTest::newRow(qPrintable(QString("%1/%2").arg(format).arg(kept))) << QString(format) << kept;
    }

    void emptyAndTruncatedPicturesAreRefused()
    {
        QFETCH(QString, format);
        QFETCH(double, kept);
        const QByteArray whole = encoded(format.toLatin1().constData());
        const QString path = writeFile(dir, QString("cut%1.%2").arg(int(kept * 100)).arg(format),
                                       whole.left(int(whole.size() * kept)));
        verifyRefused(load(path), path);
    }

    void completePicturesStillLoad_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *format : kFormats) QTest::addRow("%s", format) << QString(format);
    }

    // The truncation checks must not refuse whole files, nor ones with bytes after the end.
    void completePicturesStillLoad()
    {
        QFETCH(QString, format);
        const QByteArray whole = encoded(format.toLatin1().constData());
        for (const QByteArray &data : {whole, whole + QByteArray(100, '\0')}) {
            const QString path = writeFile(dir, "whole." + format, data);
            const LoadResult result = load(path);
            QVERIFY2(result.ok(), qPrintable(result.error));
            QCOMPARE(result.image.width(), 64);
            QCOMPARE(result.image.height(), 48);
        }
    }

    void bitFlippedPicturesGiveAnImageOrAMessage_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("seed");
        for (const char *format : kFormats)
            for (int seed = 1; seed <= 40; ++seed) QTest::newRow(qPrintable(QString("%1/%2").arg(format).arg(seed))) << QString(format) << seed;
    }

    void bitFlippedPicturesGiveAnImageOrAMessage()
    {
        QFETCH(QString, format);
        QFETCH(int, seed);
        QByteArray data = encoded(format.toLatin1().constData());
        std::mt19937 random(seed);
        // The first seeds hit the headers, where flips matter most; later ones anywhere.
        const int span = seed <= 20 ? std::min<int>(64, data.size()) : data.size();
        for (int k = 0; k < 1 + seed % 4; ++k) data[int(random() % span)] ^= char(1 << (random() % 8));
        const QString path = writeFile(dir, QString("flip%1.%2").arg(seed).arg(format), data);
        const LoadResult result = load(path);
        if (result.ok()) {
            QVERIFY(!result.image.is_empty());
            QCOMPARE(result.image.depth(), 1);
            QCOMPARE(result.image.spectrum(), 1);
        } else {
            verifyRefused(result, path);
        }
    }

    void enormousHeadersCostNoMemory_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("png 100000 x 100000") << pngClaiming(100000, 100000) << "png";
        QTest::newRow("png 30000 x 30000") << pngClaiming(30000, 30000) << "png";
        QTest::newRow("bmp 100000 x 100000") << bmpClaiming(100000, 100000) << "bmp";
        QTest::newRow("bmp 100000 x -100000") << bmpClaiming(100000, -100000) << "bmp";
        QTest::newRow("cimg 100000 x 100000") << QByteArray("1 double little_endian\n100000 100000 1 1\n0123456789")
                                              << "cimg";
        QTest::newRow("cimg 4 gigapixels wrapping") << QByteArray("1 double little_endian\n65536 65536 1 1\n0123") << "cimg";
        QTest::newRow("cimg 4 billion images") << QByteArray("4000000000 double little_endian\n1 1 1 1\n") << "cimg";
    }

    void enormousHeadersCostNoMemory()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, suffix);
        const QString path = writeFile(dir, "huge." + suffix, data);
        const qint64 before = peakMemory();
        const LoadResult result = load(path);
        verifyRefused(result, path);
        QVERIFY2(peakMemory() - before < 64 * 1024 * 1024,
                 qPrintable(QString("reading took %1 MB").arg((peakMemory() - before) >> 20)));
    }

    void brokenCimgFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no header") << QByteArray("hello world\n");
        QTest::newRow("png content") << encoded("png");
        QTest::newRow("unknown type") << QByteArray("1 complex little_endian\n1 1 1 1\n12345678");
        QTest::newRow("bool") << QByteArray("1 bool little_endian\n8 1 1 1\n\xff");
        QTest::newRow("no size line") << QByteArray("1 double little_endian\n");
        QTest::newRow("bad size line") << QByteArray("1 double little_endian\n3 x 1 1\n");
        QTest::newRow("short data") << QByteArray("1 double little_endian\n2 2 1 1\n0123456789abcdef");
        QTest::newRow("second image missing") << QByteArray("2 uint8 little_endian\n2 1 1 1\nab");
        QTest::newRow("compressed") << QByteArray("1 double little_endian\n2 2 1 1 #12\n0123456789ab");
        QTest::newRow("three-dimensional") << QByteArray("1 uint8 little_endian\n1 1 2 1\nab");
        QTest::newRow("colour") << QByteArray("1 uint8 little_endian\n1 1 1 3\nabc");
        QTest::newRow("no pixels") << QByteArray("1 double little_endian\n0 0 0 0\n");
    }

    void brokenCimgFilesAreRefused()
    {
        QFETCH(QByteArray, data);
        const QString path = writeFile(dir, "broken.cimg", data);
        verifyRefused(load(path), path);
    }

    void cimgFilesOfOtherPixelTypesLoad()
    {
        // Written by hand as the format describes: a list header, a size line, raw values.
        const QString path = writeFile(dir, "bytes.cimg", QByteArray("1 uint8 little_endian\n3 1 1 1\n\x01\x80\xff"));
        const LoadResult result = load(path);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.image.width(), 3);
        QCOMPARE(result.image(1, 0), 128.0);
        QCOMPARE(result.image(2, 0), 255.0);
    }

    void foldersPipesMissingAndUnreadableFilesAreRefused()
    {
        const QString folder = dir.filePath("folder.png");
        QVERIFY(QDir().mkpath(folder));
        verifyRefused(load(folder), folder);
        const QString cimgFolder = dir.filePath("folder.cimg");
        QVERIFY(QDir().mkpath(cimgFolder));
        verifyRefused(load(cimgFolder), cimgFolder);
        verifyRefused(load(dir.filePath("missing.png")), dir.filePath("missing.png"));
        // A pipe with no writer would block a reader for ever, a device never end.
        const QString pipe = dir.filePath("pipe.png");
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        verifyRefused(load(pipe), pipe);
        const QString pipeCimg = dir.filePath("pipe.cimg");
        QVERIFY(mkfifo(QFile::encodeName(pipeCimg).constData(), 0600) == 0);
        verifyRefused(load(pipeCimg), pipeCimg);
        verifyRefused(load("/dev/zero"), "/dev/zero");
        if (geteuid() == 0) QSKIP("running as root, which reads files whatever their permissions");
        const QString locked = writeFile(dir, "locked.png", encoded("png"));
        QFile::setPermissions(locked, {});
        verifyRefused(load(locked), locked);
    }

    void hostileDicomFilesAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");  // words the message must hold; empty: any reason
        const auto fixture = [&](const char *name) { return dicomDir.filePath(name); };
        QTest::newRow("huge declared size") << fixture("huge-size.dcm") << "too large";
        QTest::newRow("short pixel data") << fixture("short-data.dcm") << "shorter";
        QTest::newRow("JPEG 2000") << fixture("jpeg2000.dcm") << "JPEG 2000";
        QTest::newRow("32 bits") << fixture("bits32.dcm") << "32 bits";
        QTest::newRow("frame count no number") << fixture("frames-abc.dcm") << "\"abc\"";
        QTest::newRow("frame count of 11 digits") << fixture("frames-11-digits.dcm") << "99999999999 frames";
        QTest::newRow("more frames than read") << fixture("frames20000.dcm") << "at most 10000";
        for (const char *name : kDicomFiles) {
            const QByteArray whole = readAll(fixture(name));
            for (const double kept : {0.0, 0.05, 0.3, 0.6, 0.9, 0.99}) {
                const QString cut = writeFile(dir, QString("cut%1-%2").arg(int(kept * 100)).arg(name), whole.left(int(whole.size() * kept)));
                QTest::newRow(qPrintable(QString("%1 cut to %2").arg(name).arg(kept))) << cut << QString();
            }
        }
        // Value lengths that do not fit: pixel data longer than the file, a pixel-count
        // element running into the next elements.
        const QByteArray plain = readAll(fixture("frames12.dcm"));
        QTest::newRow("pixel data length 4 GB")
            << writeFile(dir, "long-pixels.dcm", withValueLength(plain, QByteArray("\xe0\x7f\x10\x00OW", 6), 0xFFFFFFF0u)) << QString();
        QTest::newRow("pixel data length odd")
            << writeFile(dir, "odd-pixels.dcm", withValueLength(plain, QByteArray("\xe0\x7f\x10\x00OW", 6), 1151u)) << QString();
    }

    void hostileDicomFilesAreRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        const qint64 before = peakMemory();
        const LoadResult result = load(path);
        verifyRefused(result, path);
        QVERIFY2(result.error.contains(reason), qPrintable(result.error));
        QVERIFY2(peakMemory() - before < 64 * 1024 * 1024,
                 qPrintable(QString("reading took %1 MB").arg((peakMemory() - before) >> 20)));
    }

    void bitFlippedDicomFilesGiveAnImageOrAMessage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("seed");
        for (const char *name : kDicomFiles)
            for (int seed = 1; seed <= 40; ++seed) QTest::newRow(qPrintable(QString("%1/%2").arg(name).arg(seed))) << QString(name) << seed;
    }

    void bitFlippedDicomFilesGiveAnImageOrAMessage()
    {
        QFETCH(QString, name);
        QFETCH(int, seed);
        QByteArray data = readAll(dicomDir.filePath(name));
        std::mt19937 random(seed);
        // Half the seeds hit the header and the image pixel module, the rest anywhere.
        const int span = seed <= 20 ? std::min<int>(700, data.size()) : data.size();
        for (int k = 0; k < 1 + seed % 4; ++k) data[int(random() % span)] ^= char(1 << (random() % 8));
        const QString path = writeFile(dir, QString("flip%1-%2").arg(seed).arg(name), data);
        const LoadResult result = load(path);
        if (result.ok()) {
            QVERIFY(!result.image.is_empty());
            for (const Image &frame : result.moreFrames) QCOMPARE(frame.width(), result.image.width());
        } else {
            verifyRefused(result, path);
        }
    }

    void suffixesDoNotDecide()
    {
        // A PNG named .jpg is read by its content; text named .png is refused.
        const LoadResult asJpg = load(writeFile(dir, "picture.jpg", encoded("png")));
        QVERIFY2(asJpg.ok(), qPrintable(asJpg.error));
        const LoadResult asPng = load(writeFile(dir, "picture.png", encoded("png")));
        QVERIFY(asPng.ok());
        QCOMPARE(asJpg.image, asPng.image);
        const QString text = writeFile(dir, "notes.png", "These are notes, not a picture.\n");
        verifyRefused(load(text), text);
    }
};

QTEST_GUILESS_MAIN(HostileFilesTest)
#include "test_hostilefiles.moc"
