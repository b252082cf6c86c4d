// quendra-cli on DICOM runs and calibrated files: segment writes one row and one result per
// frame, FILE#N names one frame, stats and segment take the pixel size from the file unless
// --pixel-size is given, folders yield DICOM files of any name.
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

#include "cli/runcli.h"
#include "commands.h"
#include "ops/loadingfixtures.h"

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The rows of a CSV file (no quoted fields here) as column name -> value.
QList<QMap<QString, QString>> csvRows(const QString &path)
{
    const QStringList lines = readText(path).trimmed().split('\n');
    const QStringList header = lines.value(0).split(',');
    QList<QMap<QString, QString>> rows;
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.split(',');
        QMap<QString, QString> row;
        for (int i = 0; i < header.size(); ++i) row[header[i]] = fields.value(i);
        rows << row;
    }
    return rows;
}

// "name: value" lines of stats as a map.
QMap<QString, QString> statsFigures(const QString &out)
{
    QMap<QString, QString> figures;
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts)) figures[line.section(": ", 0, 0)] = line.section(": ", 1);
    return figures;
}

}  // namespace

class DicomInputsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString fixture(const QString &name) const { return dir.filePath("fixtures/" + name); }
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        const QString problem = makeLoadingFixtures(dir.filePath("fixtures"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // Frames in order, each its own result; a frame named alone gives the same result.
    void segmentWritesOneRowPerFrame()
    {
        QString out, err;
        QCOMPARE(run({"segment", "--method", "hysteresis", "--preset", "coronary", "--out", path("run"),
                      fixture("frames12-jpegls.dcm"), fixture("mono16.dcm#1")},
                     &out, &err),
                 0);
        QVERIFY2(out.contains("segmented 4 of 4 images"), qPrintable(out + err));
        const auto rows = csvRows(path("run/measurements.csv"));
        QCOMPARE(rows.size(), 4);
        const QStringList frames = {"1", "2", "3", "1"}, results = {"frames12-jpegls.frame1.png", "frames12-jpegls.frame2.png",
                                                                    "frames12-jpegls.frame3.png", "mono16.frame1.png"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(rows[i]["frame"], frames[i]);
            QCOMPARE(rows[i]["result"], results[i]);
            QVERIFY(QFile::exists(path("run/" + results[i])));
        }
        QCOMPARE(rows[0]["pixel_size_mm"], QString("0.25"));
        QCOMPARE(rows[0]["calibration"], QString("dicom-pixel-spacing"));
        QCOMPARE(rows[3]["calibration"], QString("dicom-imager-pixel-spacing"));
        QCOMPARE(rows[3]["channel"], QString("gray"));

        QCOMPARE(run({"segment", "--method", "hysteresis", "--preset", "coronary", "--pixel-size", "0.5", "--out",
                      path("one"), fixture("frames12.dcm#2")}),
                 0);
        const auto one = csvRows(path("one/measurements.csv"));
        QCOMPARE(one.size(), 1);
        QCOMPARE(one[0]["frame"], QString("2"));
        QCOMPARE(one[0]["pixel_size_mm"], QString("0.5"));
        QCOMPARE(one[0]["calibration"], QString("command-line"));
        NullProgress progress;
        QVERIFY(loadInput(path("one/frames12.frame2.png"), progress) == loadInput(path("run/frames12-jpegls.frame2.png"), progress));
    }

    void statsOnFrames_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QString>("value");
        const QString run = fixture("frames12.dcm");
        QTest::newRow("all frames") << QStringList{"stats", run} << 3 << QString() << QString();
        QTest::newRow("frame 4 of 3") << QStringList{"stats", run + "#4"} << 3 << QString() << QString();
        // The smallest stored value of frame f (0-based), as the fixture script makes them.
        const auto smallest = [](int f) {
            int low = 4096;
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 16; ++x) low = std::min(low, (x * 257 + y * 31 + f * 1000) % 4096);
            return QString::number(low * 255.0 / 4095.0, 'g', 17);
        };
        for (const int f : {1, 2, 3})
            QTest::newRow(qPrintable(QString("frame %1").arg(f))) << QStringList{"stats", run + "#" + QString::number(f)} << 0
                                                                 << "minimum" << smallest(f - 1);
        QTest::newRow("green channel") << QStringList{"stats", fixture("rgb8.dcm"), "--channel", "green"} << 0 << "maximum"
                                       << "100";
        QTest::newRow("calibrated DICOM") << QStringList{"stats", run + "#1", "--binary"} << 0 << "calibration"
                                          << "dicom-pixel-spacing";
        QTest::newRow("file's window") << QStringList{"stats", fixture("window12.dcm")} << 0 << "maximum" << "255";
        QTest::newRow("full stored range") << QStringList{"stats", fixture("window12.dcm"), "--dicom-window", "range"} << 0
                                           << "maximum" << QString::number(4072 * 255.0 / 4095.0, 'g', 17);
        QTest::newRow("frame count no number") << QStringList{"stats", fixture("frames-abc.dcm")} << 3 << QString() << QString();
        QTest::newRow("dicom-window unknown") << QStringList{"stats", run, "--dicom-window", "auto"} << 2 << QString() << QString();
                QTest::newRow("uncalibrated DICOM") << QStringList{"stats", fixture("rgb8.dcm"), "--binary"} << 0
                                            << "pixel_size_mm" << QString();
    }

    void statsOnFrames()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, figure);
        QFETCH(QString, value);
        QString out, err;
        QCOMPARE(run(args, &out, &err), status);
        if (status != 0) {
            QVERIFY2(err.contains(status == 2 ? "dicom-window" : "frame"), qPrintable(err));
            return;
        }
        QCOMPARE(statsFigures(out).value(figure), value);
    }

    // Millimetre figures from a PNG's own pHYs, and --pixel-size over it.
    void binaryStatsUseTheFilesCalibration()
    {
        QImage cross(21, 21, QImage::Format_Grayscale8);
        cross.fill(0);
        for (int k = 2; k <= 18; ++k) cross.scanLine(10)[k] = cross.scanLine(k)[10] = 255;
        cross.setDotsPerMeterX(2000);  // 0.5 mm
        cross.setDotsPerMeterY(2000);
        QVERIFY(QImageWriter(path("cross.png"), "png").write(cross));
        QString out;
        QCOMPARE(run({"stats", path("cross.png"), "--binary"}, &out), 0);
        auto figures = statsFigures(out);
        QCOMPARE(figures["pixel_size_mm"], QString("0.5"));
        QCOMPARE(figures["calibration"], QString("png-phys"));
        QCOMPARE(figures["skeleton_length_mm"], QString("16"));
        QCOMPARE(run({"stats", path("cross.png"), "--binary", "--pixel-size", "0.25"}, &out), 0);
        figures = statsFigures(out);
        QCOMPARE(figures["calibration"], QString("command-line"));
        QCOMPARE(figures["skeleton_length_mm"], QString("8"));
    }

    void foldersYieldDicomFilesOfAnyName()
    {
        const QStringList found = collectImages({dir.filePath("fixtures")});
        const auto has = [&](const QString &name) { return found.contains(QDir::cleanPath(fixture(name))); };
        QVERIFY(has("no-suffix"));
        QVERIFY(has("frames12.dcm"));
        QVERIFY(has("rgb8-bmp.bmp"));
        QVERIFY(!has("make-loading-fixtures.py"));
        QCOMPARE(collectImages({fixture("frames12.dcm#2")}), QStringList{fixture("frames12.dcm#2")});
    }
};

QTEST_GUILESS_MAIN(DicomInputsTest)
#include "test_dicominputs.moc"
