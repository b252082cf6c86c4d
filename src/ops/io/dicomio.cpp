#include "ops/io/dicomio.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <vector>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcrledrg.h"
#include "dcmtk/dcmdata/dcxfer.h"
#include "dcmtk/dcmjpeg/djdecode.h"
#include "dcmtk/dcmjpls/djdecode.h"
#include "dcmtk/oflog/oflog.h"

#include "ops/io/dicomrender.h"
#include "ops/io/filecheck.h"
#include "ops/core/progress.h"

namespace {

struct ImageIO {
    Q_DECLARE_TR_FUNCTIONS(ImageIO)
};

// The decoders are registered once for the process; DCMTK's log would print every parse
// problem on the terminal, where the message we return already says what went wrong.
void prepareToolkit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        OFLog::configure(OFLogger::OFF_LOG_LEVEL);
        DcmRLEDecoderRegistration::registerCodecs();
        DJDecoderRegistration::registerCodecs();
        DJLSDecoderRegistration::registerCodecs();
    });
}

// What the image pixel module says about the pixel data.
struct PixelFormat {
    Uint16 rows = 0, columns = 0, samples = 1, bitsAllocated = 0, bitsStored = 0, highBit = 0;
    Uint16 pixelRepresentation = 0;
    qint64 frames = 1;
    QString framesText;  // Number of Frames as written, when it is no whole number
    Float64 slope = 1.0, intercept = 0.0;
    QString photometric;

    double framePixels() const { return double(rows) * columns; }
    double decodedBytes() const { return framePixels() * samples * (bitsAllocated / 8) * frames; }
};

// DCMTK clears the output of a lookup that fails, so absent attributes keep their defaults
// only through these helpers.
template <typename T, typename Get>
void readIfPresent(T &value, Get get)
{
    T read{};
    if (get(read).good()) value = read;
}

PixelFormat readFormat(DcmDataset &ds)
{
    PixelFormat f;
    const auto u16 = [&](const DcmTagKey &tag, Uint16 &value) {
        readIfPresent(value, [&](Uint16 &v) { return ds.findAndGetUint16(tag, v); });
    };
    u16(DCM_Rows, f.rows);
    u16(DCM_Columns, f.columns);
    u16(DCM_SamplesPerPixel, f.samples);
    u16(DCM_BitsAllocated, f.bitsAllocated);
    u16(DCM_BitsStored, f.bitsStored);
    f.highBit = Uint16(std::max(1, int(f.bitsStored)) - 1);
    u16(DCM_HighBit, f.highBit);
    u16(DCM_PixelRepresentation, f.pixelRepresentation);
    // Read as text: DCMTK's number parser wraps counts beyond 32 bits and yields nothing for
    // a value that is no number, which would read one frame of many without a word.
    OFString frames;
    if (ds.findAndGetOFStringArray(DCM_NumberOfFrames, frames).good()) {
        const QString text = QString::fromLatin1(frames.c_str()).trimmed();
        bool number = false;
        f.frames = text.toLongLong(&number);
        if (!number) f.framesText = text;
    }
    readIfPresent(f.slope, [&](Float64 &v) { return ds.findAndGetFloat64(DCM_RescaleSlope, v); });
    readIfPresent(f.intercept, [&](Float64 &v) { return ds.findAndGetFloat64(DCM_RescaleIntercept, v); });
    OFString photometric;
    ds.findAndGetOFString(DCM_PhotometricInterpretation, photometric);
    f.photometric = QString::fromLatin1(photometric.c_str()).trimmed();
    return f;
}

// Why these pixels cannot be read, before any of them is decoded; empty when they can.
QString formatProblem(const PixelFormat &f)
{
    if (f.rows == 0 || f.columns == 0) return ImageIO::tr("it holds no picture (no rows or columns)");
    if (!f.framesText.isEmpty()) return ImageIO::tr("its number of frames \"%1\" is no whole number").arg(f.framesText);
    if (f.frames < 1) return ImageIO::tr("it names %1 frames").arg(f.frames);
    if (f.bitsAllocated != 8 && f.bitsAllocated != 16)
        return ImageIO::tr("%1 bits per pixel are not supported (8 or 16 are)").arg(f.bitsAllocated);
    if (f.bitsStored < 1 || f.bitsStored > f.bitsAllocated || f.highBit >= f.bitsAllocated ||
        f.highBit + 1 < f.bitsStored)
        return ImageIO::tr("its bit layout (%1 stored, high bit %2) does not fit %3 bits")
            .arg(f.bitsStored)
            .arg(f.highBit)
            .arg(f.bitsAllocated);
    const bool mono = f.photometric == "MONOCHROME1" || f.photometric == "MONOCHROME2";
    const bool oneSample = mono || f.photometric == "PALETTE COLOR";
    const bool threeSamples = f.photometric == "RGB" || f.photometric.startsWith("YBR_");
    if (!(f.samples == 1 && oneSample) && !(f.samples == 3 && threeSamples))
        return ImageIO::tr("its colour model %1 with %2 samples per pixel is not supported").arg(f.photometric).arg(f.samples);
    if (mono && (!std::isfinite(f.slope) || !std::isfinite(f.intercept) || f.slope == 0.0))
        return ImageIO::tr("its rescale (slope %1, intercept %2) is not usable").arg(f.slope).arg(f.intercept);
    // The same limits as the picture readers: the decoded data, and the frames as doubles.
    const double limit = double(kReaderAllocationLimitMB) * 1024 * 1024;
    if (f.decodedBytes() > limit || f.framePixels() * f.frames * sizeof(double) > 4 * limit)
        return ImageIO::tr("the picture is too large (%1 x %2 pixels, %3 frames)").arg(f.columns).arg(f.rows).arg(f.frames);
    if (f.frames > kDicomFrameLimit)
        return ImageIO::tr("it declares %1 frames; at most %2 are read").arg(f.frames).arg(kDicomFrameLimit);
    return {};
}

Calibration dicomCalibration(DcmDataset &ds)
{
    for (const auto &[tag, source] : {std::pair{DCM_PixelSpacing, CalibrationSource::DicomPixelSpacing},
                                      std::pair{DCM_ImagerPixelSpacing, CalibrationSource::DicomImagerPixelSpacing}}) {
        Float64 betweenRows = 0.0, betweenColumns = 0.0;
        if (ds.findAndGetFloat64(tag, betweenRows, 0).good() && ds.findAndGetFloat64(tag, betweenColumns, 1).good())
            return squarePixels(betweenColumns, betweenRows, source);
    }
    return {};
}

// The time between frames of a cine run: Frame Time in milliseconds, else Cine Rate in
// frames per second; 0 when the file states neither.
double dicomFrameTimeMs(DcmDataset &ds)
{
    Float64 frameTime = 0.0;
    if (ds.findAndGetFloat64(DCM_FrameTime, frameTime).good() && frameTime > 0 && std::isfinite(frameTime)) return frameTime;
    Sint32 cineRate = 0;
    if (ds.findAndGetSint32(DCM_CineRate, cineRate).good() && cineRate > 0) return 1000.0 / cineRate;
    return 0.0;
}

// The name of a transfer syntax without DCMTK's English remarks in parentheses: "JPEG 2000
// (Lossless only)" gives "JPEG 2000".
QString transferSyntaxName(const DcmXfer &xfer)
{
    return QString::fromLatin1(xfer.getXferName()).section(QLatin1String(" ("), 0, 0).trimmed();
}

LoadResult refuse(const QString &path, const QString &why)
{
    LoadResult result;
    result.error = cannotReadText(path, why);
    return result;
}

}  // namespace

bool isDicomFile(const QString &path)
{
    if (QFileInfo(path).suffix().compare("dcm", Qt::CaseInsensitive) == 0) return true;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    return file.size() >= 132 && file.seek(128) && file.read(4) == "DICM";
}

QString dicomWindowName(DicomWindow window) { return window == DicomWindow::Range ? "range" : "file"; }

bool parseDicomWindow(const QString &name, DicomWindow *window)
{
    if (name != "file" && name != "range") return false;
    *window = name == "range" ? DicomWindow::Range : DicomWindow::File;
    return true;
}

LoadResult loadDicomImage(const QString &path, Progress &progress, Channel channel, DicomWindow window)
{
    if (const QString problem = notAFileProblem(path); !problem.isEmpty()) return refuse(path, problem);
    prepareToolkit();
    try {
        DcmFileFormat file;
        // Large values (the pixel data) are read from the file only when they are used.
        const OFCondition loaded = file.loadFile(OFFilename(QFile::encodeName(path).constData()));
        if (loaded.bad()) return refuse(path, ImageIO::tr("it is no readable DICOM file"));
        DcmDataset &ds = *file.getDataset();
        DcmElement *pixelData = nullptr;
        if (ds.findAndGetElement(DCM_PixelData, pixelData).bad() || !pixelData)
            return refuse(path, ImageIO::tr("it holds no pixel data"));
        const PixelFormat declared = readFormat(ds);
        if (const QString problem = formatProblem(declared); !problem.isEmpty()) return refuse(path, problem);

        const DcmXfer original(ds.getOriginalXfer());
        if (original.isEncapsulated()) {
            const OFCondition decoded = ds.chooseRepresentation(EXS_LittleEndianExplicit, nullptr);
            if (decoded.bad() || !ds.canWriteXfer(EXS_LittleEndianExplicit))
                return refuse(path, ImageIO::tr("its encoding %1 cannot be decoded here").arg(transferSyntaxName(original)));
            if (ds.findAndGetElement(DCM_PixelData, pixelData).bad() || !pixelData)
                return refuse(path, ImageIO::tr("it holds no pixel data"));
        }
        // A decoder may change the colour model (JPEG's YCbCr to RGB): read the format again.
        const PixelFormat f = readFormat(ds);
        if (const QString problem = formatProblem(f); !problem.isEmpty()) return refuse(path, problem);
        if (f.rows != declared.rows || f.columns != declared.columns || f.frames != declared.frames ||
            f.samples != declared.samples || f.bitsAllocated != declared.bitsAllocated)
            return refuse(path, ImageIO::tr("its decoded pixels do not match the declared picture"));

        const size_t frameWords = size_t(f.rows) * f.columns * f.samples;
        const size_t neededBytes = frameWords * size_t(f.frames) * (f.bitsAllocated / 8);
        if (size_t(pixelData->getLength()) < neededBytes)
            return refuse(path, ImageIO::tr("its pixel data (%1 bytes) is shorter than the picture it declares (%2 bytes)")
                                    .arg(pixelData->getLength())
                                    .arg(qulonglong(neededBytes)));
        LoadResult result;
        result.calibration = dicomCalibration(ds);
        result.frameTimeMs = dicomFrameTimeMs(ds);
        if (const QString problem = renderDicomFrames(ds, long(f.frames), channel, window, progress, result);
            !problem.isEmpty())
            return refuse(path, problem);
        return result;
    } catch (const std::bad_alloc &) {
        progress.finish();
        return refuse(path, ImageIO::tr("not enough memory"));
    } catch (const cimg_library::CImgException &) {
        progress.finish();
        return refuse(path, ImageIO::tr("not enough memory"));
    }
}
