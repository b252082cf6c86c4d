#include "ops/io/filecheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

struct ImageIO {
    Q_DECLARE_TR_FUNCTIONS(ImageIO)
};

QString truncatedText() { return ImageIO::tr("the file ends before its picture does (it may be truncated)"); }

quint32 le32(const uchar *p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }
quint16 le16(const uchar *p) { return quint16(p[0] | p[1] << 8); }

// Walks the markers from start of image to end of image, skipping segments by their
// lengths (so thumbnails inside them do not count) and entropy-coded data up to the next
// marker that is neither a stuffed byte nor a restart marker.
bool jpegIsComplete(const uchar *data, qint64 size)
{
    qint64 pos = 2;
    for (;;) {
        while (pos < size && data[pos] != 0xFF) ++pos;  // stray bytes: the decoder skips them too
        while (pos < size && data[pos] == 0xFF) ++pos;  // fill bytes
        if (pos >= size) return false;
        const uchar marker = data[pos++];
        if (marker == 0xD9) return true;
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (pos + 2 > size) return false;
        const int length = data[pos] << 8 | data[pos + 1];
        if (length < 2) return true;  // not a marker walk this check understands: the decoder decides
        pos += length;
        if (pos > size) return false;
        if (marker != 0xDA) continue;
        for (;;) {
            const void *ff = std::memchr(data + pos, 0xFF, size_t(size - pos));
            if (!ff) return false;
            pos = static_cast<const uchar *>(ff) - data;
            if (pos + 1 >= size) return false;
            const uchar next = data[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                pos += 2;
                continue;
            }
            break;
        }
    }
}

// Uncompressed BMP data must hold every row the header announces.
bool bmpIsComplete(const uchar *data, qint64 size)
{
    if (size < 26) return false;
    const qint64 offBits = le32(data + 10);
    const quint32 headerSize = le32(data + 14);
    qint64 width, height;
    int bits;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = le16(data + 18);
        height = le16(data + 20);
        bits = le16(data + 24);
    } else {
        if (size < 34) return false;
        width = qint32(le32(data + 18));
        height = qint32(le32(data + 22));
        bits = le16(data + 28);
        compression = le32(data + 30);
    }
    // Run-length data and unusual headers are left to the reader.
    if (compression != 0 && compression != 3 && compression != 6) return true;
    if (width <= 0 || height == 0 || bits <= 0) return true;
    const qint64 rowBytes = (qint64(bits) * width + 31) / 32 * 4;
    const double needed = double(offBits) + double(rowBytes) * double(std::llabs(height));
    return needed <= double(size);
}

// One header line as the library's reader takes it: up to a newline or end of file, at
// most 255 characters.
bool readHeaderLine(QFile &file, char (&line)[256])
{
    int j = 0;
    char c = 0;
    bool got = false;
    while (j < 255 && (got = file.getChar(&c)) && c != '\n') line[j++] = c;
    line[j] = 0;
    return got || j > 0;
}

}  // namespace

QString cannotReadText(const QString &path, const QString &why)
{
    return ImageIO::tr("The file %1 could not be opened as an image: %2").arg(QFileInfo(path).fileName(), why);
}

QString notAFileProblem(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir()) return ImageIO::tr("it is a folder");
    if (!info.exists()) return ImageIO::tr("the file does not exist");
    if (!info.isFile()) return ImageIO::tr("it is not a regular file");
    return {};
}

QString truncatedPictureProblem(const uchar *data, qint64 size)
{
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return jpegIsComplete(data, size) ? QString() : truncatedText();
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return bmpIsComplete(data, size) ? QString() : truncatedText();
    return QString();
}

QString cimgHeaderProblem(const QString &path, double maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    const qint64 fileSize = file.size();
    char line[256];
    bool more = true;
    do {
        more = readHeaderLine(file, line);
    } while (line[0] == '#' && more);
    unsigned int n = 0;
    char type[256] = {0}, endian[256] = {0};
    if (std::sscanf(line, "%u%*c%255[A-Za-z123468_]%*c%255[sA-Za-z_ ]", &n, type, endian) < 2)
        return ImageIO::tr("it has no CImg header");
    static const std::map<QByteArray, int> sizes = {
        {"uint8", 1},          {"unsigned_char", 1}, {"uchar", 1},   {"int8", 1},   {"char", 1},
        {"uint16", 2},         {"unsigned_short", 2}, {"ushort", 2}, {"int16", 2},  {"short", 2},
        {"uint32", 4},         {"unsigned_int", 4},  {"uint", 4},    {"int32", 4},  {"int", 4},
        {"unsigned_long", 8},  {"ulong", 8},         {"long", 8},    {"uint64", 8}, {"unsigned_int64", 8},
        {"int64", 8},          {"float32", 4},       {"float", 4},   {"float64", 8}, {"double", 8}};
    const auto found = sizes.find(QByteArray(type).toLower());
    if (found == sizes.end()) return ImageIO::tr("its pixel type \"%1\" is not supported").arg(QString::fromLatin1(type));
    double doubles = 0.0;
    for (unsigned int l = 0; l < n; ++l) {
        if (!readHeaderLine(file, line)) return truncatedText();
        unsigned int w = 0, h = 0, d = 0, c = 0;
        uint64_t compressed = 0;
        const int fields = std::sscanf(line, "%u %u %u %u #%" SCNu64, &w, &h, &d, &c, &compressed);
        if (fields < 4) return ImageIO::tr("it names an invalid image size");
        if (w == 0 || h == 0 || d == 0 || c == 0) continue;  // an empty image holds no data
        const double count = double(w) * h * d * c;
        doubles += count * sizeof(double);
        if (doubles > maxBytes || count >= 4294967296.0)
            return ImageIO::tr("the picture is too large (%1 x %2 x %3 x %4 values)").arg(w).arg(h).arg(d).arg(c);
        if (fields == 5) return ImageIO::tr("compressed .cimg files are not supported");
        const qint64 bytes = qint64(count) * found->second;
        if (file.pos() + bytes > fileSize) return truncatedText();
        file.seek(file.pos() + bytes);
    }
    return QString();
}

bool tiffHasSignedSamples(const uchar *data, qint64 size)
{
    if (size < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M'))) return false;
    const bool big = data[0] == 'M';
    const auto u16 = [&](qint64 at) { return big ? qFromBigEndian<quint16>(data + at) : qFromLittleEndian<quint16>(data + at); };
    const auto u32 = [&](qint64 at) { return big ? qFromBigEndian<quint32>(data + at) : qFromLittleEndian<quint32>(data + at); };
    if (u16(2) != 42) return false;  // BigTIFF and others
    const qint64 ifd = u32(4);
    if (ifd < 8 || ifd + 2 > size) return false;
    const qint64 count = u16(ifd);
    if (ifd + 2 + count * 12 > size) return false;
    constexpr quint16 kSampleFormat = 339, kShort = 3, kSignedInteger = 2;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 entry = ifd + 2 + i * 12;
        if (u16(entry) == kSampleFormat) return u16(entry + 2) == kShort && u32(entry + 4) == 1 && u16(entry + 8) == kSignedInteger;
    }
    return false;
}
