// quendra-cli overlay: the input in gray with the segmentation's outline, its skeleton and
// the skeleton's end and branch points drawn in colour, for looking at a result.
#include <QFileInfo>

#include "commandline.h"
#include "commands.h"
#include "ops/measure/morphometryoverlay.h"
#include "ops/core/progress.h"
#include "ops/morphology/thinning.h"
#include "ops/measure/vesselmeasure.h"

namespace {

const QRgb kOutline = qRgb(0, 220, 0);      // green: the vessel border
const QRgb kSkeleton = qRgb(255, 0, 0);     // red: the centre lines
const QRgb kEnd = qRgb(0, 140, 255);        // blue: end points
const QRgb kBranch = qRgb(255, 230, 0);     // yellow: branch points

uchar grayByte(double v) { return uchar(v <= 0.0 ? 0 : v >= 255.0 ? 255 : int(v + 0.5)); }

void mark(QImage &picture, int cx, int cy, QRgb colour)
{
    for (int y = cy - 1; y <= cy + 1; ++y)
        for (int x = cx - 1; x <= cx + 1; ++x)
            if (x >= 0 && y >= 0 && x < picture.width() && y < picture.height()) picture.setPixel(x, y, colour);
}

}  // namespace

CommandLine overlayCommandLine()
{
    return CommandLine("overlay", "[--color-by diameter|tortuosity] INPUT SEGMENTATION OUTPUT",
                       "Draws the outline of SEGMENTATION (green), its skeleton (red), end points (blue) and branch "
                       "points (yellow) over INPUT in gray, into the picture OUTPUT (.png, .bmp, .tif or .jpg).")
        .option("color-by", "WHAT",
                "diameter or tortuosity: draw each skeleton segment in the colour of its mean diameter or its "
                "tortuosity, with a legend, instead");
}

int overlayCommand(const CommandLine &line, QTextStream &out, QTextStream &)
{
    const QStringList args = line.positional();
    const QString colorBy = line.value("color-by");
    if (!colorBy.isEmpty() && colorBy != "diameter" && colorBy != "tortuosity")
        throw UsageError(QString("--color-by must be diameter or tortuosity, not \"%1\"").arg(colorBy).toStdString());
    if (args.size() != 3) throw UsageError("overlay needs INPUT SEGMENTATION OUTPUT");
    const QString inputPath = args[0], segPath = args[1], outPath = args[2];
    static const QStringList known = {"png", "bmp", "tif", "tiff", "jpg", "jpeg"};
    if (!known.contains(QFileInfo(outPath).suffix().toLower()))
        throw UsageError(QString("OUTPUT must end in .png, .bmp, .tif or .jpg: %1").arg(outPath).toStdString());
    NullProgress progress;
    const Image input = loadInput(inputPath, progress), seg = loadInput(segPath, progress);
    if (input.width() != seg.width() || input.height() != seg.height())
        throw std::runtime_error(QString("overlay: %1 is %2 x %3 pixels but %4 is %5 x %6")
                                     .arg(inputPath)
                                     .arg(input.width())
                                     .arg(input.height())
                                     .arg(segPath)
                                     .arg(seg.width())
                                     .arg(seg.height())
                                     .toStdString());
    if (!colorBy.isEmpty()) {
        // Segments coloured by their morphometry instead of outline, skeleton and points.
        const OverlayValue by = colorBy == "diameter" ? OverlayValue::Diameter : OverlayValue::Tortuosity;
        writePicture(morphometryOverlay(input, vesselMorphometry(seg), by), outPath);
        out << "wrote " << outPath << "\n";
        return 0;
    }
    const int w = input.width(), h = input.height();
    QImage picture(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uchar g = grayByte(input(x, y));
            picture.setPixel(x, y, qRgb(g, g, g));
        }
    // Outline: vessel pixels with a 4-neighbour outside the vessels or the image.
    auto vessel = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && seg(x, y) == kWhite; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (vessel(x, y) && !(vessel(x - 1, y) && vessel(x + 1, y) && vessel(x, y - 1) && vessel(x, y + 1)))
                picture.setPixel(x, y, kOutline);
    const Image parts = skeletonParts(zhangSuenThin(seg));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (parts(x, y) != kNotSkeleton) picture.setPixel(x, y, kSkeleton);
    // The points last, as small squares, so they stay visible over the lines.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (parts(x, y) == kEndPoint) mark(picture, x, y, kEnd);
            if (parts(x, y) == kJunctionPixel) mark(picture, x, y, kBranch);
        }
    writePicture(picture, outPath);
    out << "wrote " << outPath << "\n";
    return 0;
}
