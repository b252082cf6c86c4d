// Vessel morphometry on the command line: stats --binary figures and segment table, masks,
// diameter classes, segment's appended columns, overlay colours, and wrong options.
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "cli/runcli.h"
#include "ops/core/image.h"

namespace {

void savePicture(const Image &image, const QString &path)
{
    QImage picture(image.width(), image.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) picture.scanLine(y)[x] = uchar(image(x, y));
    QVERIFY(picture.save(path));
}

QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).trimmed().split('\n');
}

// "key: value" lines of stats into a map.
QMap<QString, QString> figures(const QString &out)
{
    QMap<QString, QString> map;
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts)) map.insert(line.section(": ", 0, 0), line.section(": ", 1));
    return map;
}

}  // namespace

class MorphometryCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        // Two horizontal vessels, 5 and 3 px wide, the thinner one half outside the mask.
        Image bars(300, 100, 1, 1, 0.0), mask(300, 100, 1, 1, 0.0);
        bars.draw_rectangle(10, 20, 289, 24, &kWhite);
        bars.draw_rectangle(10, 70, 289, 72, &kWhite);
        mask.draw_rectangle(0, 0, 149, 99, &kWhite);
        savePicture(bars, path("bars.png"));
        savePicture(mask, path("bars-mask.png"));
        Image gray(300, 100, 1, 1, 90.0);
        savePicture(gray, path("gray.png"));
        // A picture segment can work on: dark lines on a bright background.
        Image photo(96, 96, 1, 1, 200.0);
        const double dark = 60.0;
        for (int k = 0; k < 3; ++k) photo.draw_rectangle(8 + 30 * k, 4, 11 + 30 * k, 91, &dark);
        QDir().mkpath(path("photos"));
        QDir().mkpath(path("masks"));
        savePicture(photo, path("photos/eye.png"));
        savePicture(Image(96, 96, 1, 1, kWhite), path("masks/eye_mask.png"));
    }

    void statsFiguresAndSegmentTable()
    {
        QString out;
        QCOMPARE(run({"stats", path("bars.png"), "--binary", "--segments-csv", path("table.csv"), "--gray", path("gray.png")}, &out), 0);
        const auto f = figures(out);
        QCOMPARE(f.value("area"), QString("2240"));  // the binary report's figures stay first and unchanged
        QCOMPARE(f.value("vessel_area_fraction"), QString::number(2240.0 / 30000, 'g', 17));
        QCOMPARE(f.value("mean_tortuosity"), QString("1"));
        QCOMPARE(f.value("diameter_3_to_6px_percent"), QString("100"));
        QVERIFY(f.contains("fractal_dimension") && f.contains("lacunarity") && f.contains("junction_density_per_px2"));
        QVERIFY(out.indexOf("mean_width:") < out.indexOf("vessel_area_fraction:"));
        const QStringList table = readLines(path("table.csv"));
        QCOMPARE(table.size(), 3);  // header and the two vessels
        QVERIFY(table[0].startsWith("segment,x0,y0,x1,y1,closed,pixels,length_steps_px,length_px,chord_px,tortuosity,"));
        const QStringList row = table[1].split(',');
        QCOMPARE(row.size(), table[0].split(',').size());
        QCOMPARE(row[14], QString("90"));  // mean gray under the segment
    }

    void maskAndMillimetreClasses()
    {
        QString out;
        QCOMPARE(run({"stats", path("bars.png"), "--binary", "--mask", path("bars-mask.png"), "--pixel-size", "0.5",
                      "--diameter-classes", "2"},
                     &out),
                 0);
        const auto f = figures(out);
        QCOMPARE(f.value("vessel_area_fraction"), QString::number(1120.0 / 15000, 'g', 17));
        QVERIFY(f.contains("diameter_below_2mm_percent") && f.contains("diameter_2mm_and_above_percent"));
        QVERIFY(f.value("vessel_length_mm").toDouble() > 0.0);
        // Without classes of its own, a calibrated report keeps the 3 and 6 px bounds, in mm.
        QCOMPARE(run({"stats", path("bars.png"), "--binary", "--pixel-size", "0.5"}, &out), 0);
        QVERIFY(figures(out).contains("diameter_below_1.5mm_percent"));
    }

    void segmentAppendsColumnsAndWritesTables()
    {
        QString out, err;
        QCOMPARE(run({"segment", "--method", "hysteresis", "--dark-vessels", "--segments", "--mask", path("masks"),
                      "--out", path("seg"), path("photos")},
                     &out, &err),
                 0);
        const QStringList csv = readLines(path("seg/measurements.csv"));
        QCOMPARE(csv.size(), 2);
        const QStringList header = csv[0].split(',');
        // The existing columns keep their places; the morphometry follows the date.
        QCOMPARE(header.indexOf("date"), header.indexOf("version") + 1);
        QCOMPARE(header.indexOf("vessel_area_fraction"), header.indexOf("date") + 1);
        QCOMPARE(csv[1].split(',').size(), header.size());
        QVERIFY(readLines(path("seg/eye-segments.csv")).size() >= 2);

        QCOMPARE(run({"segment", "--method", "hysteresis", "--mask", path("nowhere"), "--out", path("seg2"), path("photos")},
                     &out, &err),
                 1);  // the image is reported and skipped
        QVERIFY(err.contains("eye.png: skipped"));
    }

    void overlayColoursSegments()
    {
        QCOMPARE(run({"overlay", path("gray.png"), path("bars.png"), path("ov.png"), "--color-by", "diameter"}), 0);
        const QImage picture(path("ov.png"));
        // The thicker vessel takes the top of the scale (red), the thinner the bottom (blue).
        const QColor thick = picture.pixelColor(250, 22), thin = picture.pixelColor(250, 71);
        QVERIFY2(thick.red() > 200 && thick.blue() < 80, qPrintable(thick.name()));
        QVERIFY2(thin.blue() > 200 && thin.red() < 80, qPrintable(thin.name()));
        QCOMPARE(picture.pixelColor(250, 50), QColor(90, 90, 90));
    }

    void wrongOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("mask without binary") << QStringList{"stats", "x.png", "--mask", "m.png"};
        QTest::newRow("classes not ascending") << QStringList{"stats", "x.png", "--binary", "--diameter-classes", "6,3"};
        QTest::newRow("classes not numbers") << QStringList{"stats", "x.png", "--binary", "--diameter-classes", "a"};
        QTest::newRow("colour by what") << QStringList{"overlay", "a.png", "b.png", "c.png", "--color-by", "age"};
    }
    void wrongOptions()
    {
        QFETCH(QStringList, args);
        QCOMPARE(run(args), 2);
    }
};

QTEST_GUILESS_MAIN(MorphometryCliTest)
#include "test_morphometrycli.moc"
