// Reading real inputs at full precision: DICOM runs (every frame, in order; 8 to 16 bits,
// signed and rescaled, MONOCHROME1, RGB, palette colour; the file's window or the stored
// range; uncompressed, RLE, JPEG and JPEG-LS), 16-bit PNG
// and TIFF, multi-page TIFF, the colour channel, and the calibration each file states.
// The files come from scripts/make-loading-fixtures.py; every value follows a formula
// repeated here.
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "ops/io/dicomio.h"
#include "ops/loadingfixtures.h"

namespace {

using Expected = std::function<double(int x, int y, int frame, Channel channel)>;

double gray8(int r, int g, int b, Channel channel)
{
    switch (channel) {
    case Channel::Red: return r;
    case Channel::Green: return g;
    case Channel::Blue: return b;
    case Channel::Gray: break;
    }
    return (11 * r + 16 * g + 5 * b) / 32;
}

const Expected frames12 = [](int x, int y, int f, Channel) { return (x * 257 + y * 31 + f * 1000) % 4096 * 255.0 / 4095.0; };
const Expected sixteen = [](int x, int y, int, Channel) { return (x * 4099 + y * 13) % 65536 * 255.0 / 65535.0; };
// Stored -2048..2047, rescaled by -1024: the range -3072..1023 stretched onto 0..255.
const Expected signed12 = [](int x, int y, int, Channel) {
    const double modality = (x * 97 + y * 41) % 4096 - 2048 - 1024.0;
    return (modality - -3072.0) * 255.0 / 4095.0;
};
const Expected mono1 = [](int x, int y, int, Channel) { return 255.0 - (x * 16 + y); };
const Expected rgb8 = [](int x, int y, int, Channel c) { return gray8(x * 16, y * 20, 100, c); };
const Expected rgb16 = [](int x, int y, int, Channel c) {
    const double r = x * 8000 * 255.0 / 65535.0, g = y * 12000 * 255.0 / 65535.0, b = 30000 * 255.0 / 65535.0;
    return c == Channel::Red ? r : c == Channel::Green ? g : c == Channel::Blue ? b : (11 * r + 16 * g + 5 * b) / 32;
};
// Index i = x * 16 + y through 16-bit tables (i * 257, (255 - i) * 257, 30000).
const Expected palette = [](int x, int y, int, Channel c) {
    const double i = x * 16 + y, r = i, g = 255 - i, b = 30000 * 255.0 / 65535.0;
    return c == Channel::Red ? r : c == Channel::Green ? g : c == Channel::Blue ? b : (11 * r + 16 * g + 5 * b) / 32;
};
const Expected pages = [](int x, int y, int p, Channel) { return double((x * 8 + y + p * 50) % 256); };

}  // namespace

Q_DECLARE_METATYPE(Expected)
Q_DECLARE_METATYPE(Channel)
Q_DECLARE_METATYPE(DicomWindow)
Q_DECLARE_METATYPE(CalibrationSource)

class LoadingTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString fixture(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        const QString problem = makeLoadingFixtures(dir.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void valuesFramesAndOrder_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("frames");
        QTest::addColumn<Expected>("expected");
        for (const char *name : {"frames12.dcm", "frames12-rle.dcm", "frames12-jpeg.dcm", "frames12-jpegls.dcm", "no-suffix"})
            QTest::newRow(name) << QString(name) << Channel::Gray << 16 << 12 << 3 << frames12;
        QTest::newRow("16-bit DICOM") << "mono16.dcm" << Channel::Gray << 20 << 10 << 1 << sixteen;
        QTest::newRow("signed, rescaled") << "signed12.dcm" << Channel::Gray << 8 << 6 << 1 << signed12;
        QTest::newRow("MONOCHROME1") << "mono1.dcm" << Channel::Gray << 8 << 6 << 1 << mono1;
        QTest::newRow("MONOCHROME1, a channel") << "mono1.dcm" << Channel::Green << 8 << 6 << 1 << mono1;
        QTest::newRow("16-bit PNG") << "gray16.png" << Channel::Gray << 20 << 10 << 1 << sixteen;
        QTest::newRow("16-bit TIFF") << "gray16.tif" << Channel::Gray << 20 << 10 << 1 << sixteen;
        QTest::newRow("TIFF pages") << "pages.tif" << Channel::Gray << 8 << 6 << 3 << pages;
        for (const Channel c : {Channel::Gray, Channel::Red, Channel::Green, Channel::Blue}) {
            const QString suffix = "/" + channelName(c);
            QTest::newRow(qPrintable("RGB DICOM" + suffix)) << "rgb8.dcm" << c << 8 << 6 << 1 << rgb8;
            QTest::newRow(qPrintable("planar RGB DICOM" + suffix)) << "rgb8-planar.dcm" << c << 8 << 6 << 1 << rgb8;
            QTest::newRow(qPrintable("img2dcm" + suffix)) << "rgb8-img2dcm.dcm" << c << 8 << 6 << 1 << rgb8;
            QTest::newRow(qPrintable("8-bit BMP" + suffix)) << "rgb8-bmp.bmp" << c << 8 << 6 << 1 << rgb8;
            QTest::newRow(qPrintable("16-bit RGB PNG" + suffix)) << "rgb16.png" << c << 8 << 6 << 1 << rgb16;
            QTest::newRow(qPrintable("palette colour" + suffix)) << "palette.dcm" << c << 8 << 6 << 1 << palette;
        }
    }

    void valuesFramesAndOrder()
    {
        QFETCH(QString, file);
        QFETCH(Channel, channel);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, frames);
        QFETCH(Expected, expected);
        LoadResult loaded = loadFixture(fixture(file), channel);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.frameCount(), frames);
        const ImageList list = loaded.takeFrames();
        QCOMPARE(int(list.size()), frames);
        for (int f = 0; f < frames; ++f) {
            QCOMPARE(list[f].width(), width);
            QCOMPARE(list[f].height(), height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (list[f](x, y) != expected(x, y, f, channel))
                        QFAIL(qPrintable(QString("frame %1 (%2, %3): %4 instead of %5")
                                             .arg(f)
                                             .arg(x)
                                             .arg(y)
                                             .arg(list[f](x, y), 0, 'g', 17)
                                             .arg(expected(x, y, f, channel), 0, 'g', 17)));
        }
    }

    // The file's window (DICOM's linear function, rendered in 16 bits), or the stored range.
    void dicomWindows_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<DicomWindow>("window");
        QTest::addColumn<Expected>("expected");
        QTest::addColumn<double>("tolerance");
        const Expected windowed = [](int x, int y, int, Channel) {
            const double v = (x * 257 + y * 31) % 4096, c = 2048, w = 1024;
            if (v <= c - 0.5 - (w - 1) / 2) return 0.0;
            if (v > c - 0.5 + (w - 1) / 2) return 255.0;
            return ((v - (c - 0.5)) / (w - 1) + 0.5) * 255.0;
        };
        QTest::newRow("window") << "window12.dcm" << DicomWindow::File << windowed << 255.0 / 65535.0;
        QTest::newRow("window, range chosen") << "window12.dcm" << DicomWindow::Range << frames12 << 0.0;
        QTest::newRow("no window") << "frames12.dcm" << DicomWindow::File << frames12 << 0.0;
    }

    void dicomWindows()
    {
        QFETCH(QString, file);
        QFETCH(DicomWindow, window);
        QFETCH(Expected, expected);
        QFETCH(double, tolerance);
        NullProgress progress;
        const LoadResult loaded = loadDicomImage(fixture(file), progress, Channel::Gray, window);
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        for (int y = 0; y < loaded.image.height(); ++y)
            for (int x = 0; x < loaded.image.width(); ++x)
                if (qAbs(loaded.image(x, y) - expected(x, y, 0, Channel::Gray)) > tolerance)
                    QFAIL(qPrintable(QString("(%1, %2): %3 instead of %4").arg(x).arg(y).arg(loaded.image(x, y)).arg(expected(x, y, 0, Channel::Gray))));
    }

    void calibration_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("pixelSizeMm");
        QTest::addColumn<CalibrationSource>("source");
        QTest::newRow("Pixel Spacing") << "frames12-jpeg.dcm" << 0.25 << CalibrationSource::DicomPixelSpacing;
        QTest::newRow("Imager Pixel Spacing") << "mono16.dcm" << 0.15 << CalibrationSource::DicomImagerPixelSpacing;
        QTest::newRow("no spacing") << "rgb8.dcm" << 0.0 << CalibrationSource::None;
        QTest::newRow("PNG pHYs") << "gray16.png" << 0.1 << CalibrationSource::PngPhys;
        QTest::newRow("TIFF resolution") << "gray16.tif" << 0.05 << CalibrationSource::TiffResolution;
        QTest::newRow("BMP") << "rgb8-bmp.bmp" << 0.0 << CalibrationSource::None;
        // Pictures written by Qt: its default 96 dots per inch says nothing; a set one does.
        for (const char *format : {"png", "tif"}) {
            for (const int dotsPerMetre : {0, 20000}) {
                QImage picture(4, 3, QImage::Format_Grayscale8);
                picture.fill(7);
                if (dotsPerMetre) {
                    picture.setDotsPerMeterX(dotsPerMetre);
                    picture.setDotsPerMeterY(dotsPerMetre);
                }
                const QString name = QString("qt%1.%2").arg(dotsPerMetre).arg(format);
                QVERIFY(QImageWriter(fixture(name), format).write(picture));
                QTest::newRow(qPrintable(name)) << name << (dotsPerMetre ? 0.05 : 0.0)
                                                << (!dotsPerMetre              ? CalibrationSource::None
                                                    : QString(format) == "png" ? CalibrationSource::PngPhys
                                                                               : CalibrationSource::TiffResolution);
            }
        }
    }

    void calibration()
    {
        QFETCH(QString, file);
        QFETCH(double, pixelSizeMm);
        QFETCH(CalibrationSource, source);
        const LoadResult loaded = loadFixture(fixture(file));
        QVERIFY2(loaded.ok(), qPrintable(loaded.error));
        QCOMPARE(loaded.calibration.source, source);
        QVERIFY2(qAbs(loaded.calibration.pixelSizeMm - pixelSizeMm) < 1e-9,
                 qPrintable(QString::number(loaded.calibration.pixelSizeMm, 'g', 17)));
    }

    void nonSquarePixelsGiveNoCalibration()
    {
        QCOMPARE(squarePixels(0.2, 0.3, CalibrationSource::DicomPixelSpacing).known(), false);
        QCOMPARE(squarePixels(0.2, 0.2, CalibrationSource::DicomPixelSpacing).pixelSizeMm, 0.2);
    }
};

QTEST_GUILESS_MAIN(LoadingTest)
#include "test_loading.moc"
