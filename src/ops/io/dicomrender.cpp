#include "ops/io/dicomrender.h"

#include <QCoreApplication>
#include <algorithm>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmimage/diregist.h"  // registers colour models (RGB, palette, YCbCr) with DicomImage
#include "dcmtk/dcmimgle/dcmimage.h"

#include "ops/core/progress.h"

namespace {

struct ImageIO {
    Q_DECLARE_TR_FUNCTIONS(ImageIO)
};

// What DicomImage's status means, in our own words (its texts are English fragments).
QString statusText(EI_Status status)
{
    switch (status) {
    case EIS_Normal: return {};
    case EIS_MissingAttribute: return ImageIO::tr("an attribute the picture needs is missing");
    case EIS_InvalidValue: return ImageIO::tr("an attribute of the picture has an invalid value");
    case EIS_NotSupportedValue: return ImageIO::tr("an attribute of the picture has a value that is not supported");
    case EIS_MemoryFailure: return ImageIO::tr("not enough memory");
    default: return ImageIO::tr("its pixels cannot be decoded");
    }
}

// The modality values of one frame, of whichever whole-number type DCMTK holds them in.
template <typename T>
void copyModality(const void *data, size_t offset, size_t count, double *out)
{
    const T *values = static_cast<const T *>(data) + offset;
    std::copy(values, values + count, out);
}

// Range: the modality values stretched from the range the stored bits can take.
bool rangeFrame(const DicomImage &image, unsigned long frame, Image &out)
{
    const DiPixel *inter = image.getInterData();
    double low = 0.0, high = 0.0;
    if (!inter || !image.getMinMaxValues(low, high, 1) || !(high > low)) return false;
    const size_t count = size_t(image.getWidth()) * image.getHeight(), offset = count * frame;
    if (inter->getCount() < offset + count) return false;
    double *dst = out.data();
    switch (inter->getRepresentation()) {
    case EPR_Uint8: copyModality<Uint8>(inter->getData(), offset, count, dst); break;
    case EPR_Sint8: copyModality<Sint8>(inter->getData(), offset, count, dst); break;
    case EPR_Uint16: copyModality<Uint16>(inter->getData(), offset, count, dst); break;
    case EPR_Sint16: copyModality<Sint16>(inter->getData(), offset, count, dst); break;
    case EPR_Uint32: copyModality<Uint32>(inter->getData(), offset, count, dst); break;
    case EPR_Sint32: copyModality<Sint32>(inter->getData(), offset, count, dst); break;
    }
    const bool invert = image.getPhotometricInterpretation() == EPI_Monochrome1;
    for (size_t i = 0; i < count; ++i)
        dst[i] = invert ? (high - dst[i]) * 255.0 / (high - low) : (dst[i] - low) * 255.0 / (high - low);
    return true;
}

// File: DicomImage's 16-bit rendering through the window chosen on it.
bool windowFrame(DicomImage &image, unsigned long frame, Image &out)
{
    const auto *rendered = static_cast<const Uint16 *>(image.getOutputData(16, frame));
    if (!rendered) return false;
    const size_t count = size_t(image.getWidth()) * image.getHeight();
    double *dst = out.data();
    for (size_t i = 0; i < count; ++i) dst[i] = rendered[i] * 255.0 / 65535.0;
    return true;
}

// Colour, rendered interleaved at its own depth (8 or up to 16 bits per sample).
template <typename Word>
void colourValues(const Word *rgb, int depth, Channel channel, size_t count, double *dst)
{
    const double top = double((quint32(1) << depth) - 1);
    for (size_t i = 0; i < count; ++i) {
        const Word r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        switch (channel) {
        case Channel::Red: dst[i] = r * 255.0 / top; break;
        case Channel::Green: dst[i] = g * 255.0 / top; break;
        case Channel::Blue: dst[i] = b * 255.0 / top; break;
        case Channel::Gray:
            dst[i] = depth == 8 ? double((11 * r + 16 * g + 5 * b) / 32)
                                : (11 * (r * 255.0 / top) + 16 * (g * 255.0 / top) + 5 * (b * 255.0 / top)) / 32;
            break;
        }
    }
}

bool colourFrame(DicomImage &image, unsigned long frame, Channel channel, Image &out)
{
    const int depth = std::clamp(image.getDepth(), 1, 16);
    const void *rendered = image.getOutputData(depth, frame, 0);
    if (!rendered) return false;
    const size_t count = size_t(image.getWidth()) * image.getHeight();
    if (depth <= 8) colourValues(static_cast<const Uint8 *>(rendered), depth, channel, count, out.data());
    else colourValues(static_cast<const Uint16 *>(rendered), depth, channel, count, out.data());
    return true;
}

// Chooses the file's first window or VOI lookup table; false when it has neither.
bool chooseFileWindow(DicomImage &image)
{
    if (image.getWindowCount() > 0) return image.setWindow(0) != 0;
    if (image.getVoiLutCount() > 0) return image.setVoiLut(0) != 0;
    return false;
}

}  // namespace

QString renderDicomFrames(DcmDataset &dataset, long frames, Channel channel, DicomWindow window, Progress &progress,
                          LoadResult &result)
{
    DicomImage image(&dataset, dataset.getCurrentXfer(), CIF_MayDetachPixelData, 0, frames);
    if (image.getStatus() != EIS_Normal) return statusText(image.getStatus());
    if (long(image.getFrameCount()) != frames) return ImageIO::tr("its pixels cannot be decoded");
    const bool mono = image.isMonochrome();
    const bool windowed = mono && window == DicomWindow::File && chooseFileWindow(image);
    progress.start(ImageIO::tr("Open image"), ImageIO::tr("Open & convert to grayscale ..."), int(frames));
    for (long k = 0; k < frames; ++k) {
        Image frame(int(image.getWidth()), int(image.getHeight()), 1, 1);
        const bool done = !mono    ? colourFrame(image, k, channel, frame)
                          : windowed ? windowFrame(image, k, frame)
                                     : rangeFrame(image, k, frame);
        if (!done) {
            progress.finish();
            return ImageIO::tr("its pixels cannot be decoded");
        }
        if (k == 0) frame.move_to(result.image);
        else frame.move_to(result.moreFrames);
        image.deleteOutputData();
        progress.setValue(int(k + 1));
    }
    progress.finish();
    return {};
}
