// quendra-cli stenosis on a synthetic angiogram: figures, calibration, files and refusals.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "ops/angiophantoms.h"
#include "ops/io/imageio.h"
#include "runcli.h"

class StenosisCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    phantoms::Angiogram angiogram;
    QString image, seg;

    static QString xy(PathPoint p) { return QString("%1,%2").arg(p.x).arg(p.y); }
    QStringList base() const { return {"stenosis", image, "--segmentation", seg, "--from", xy(angiogram.from), "--to", xy(angiogram.to)}; }

private slots:
    void initTestCase()
    {
        phantoms::Tube tube;
        tube.diameterMm = 2.0, tube.stenosis = 0.5;
        angiogram = phantoms::make(tube);
        image = dir.filePath("angio.cimg"), seg = dir.filePath("seg.png");
        QString error;
        QVERIFY(saveCimgImage(angiogram.image, image, &error));
        saveGray(angiogram.segmentation, seg);
    }

    void figuresInMillimetres_data()
    {
        QTest::addColumn<QStringList>("calibration");
        QTest::addColumn<QString>("source");
        // The healthy stretch before the narrowing is 2 mm wide, as a 6F catheter is.
        QTest::newRow("pixel size") << QStringList{"--pixel-size", "0.2"} << "command-line";
        QTest::newRow("catheter") << QStringList{"--catheter", "12,25.3,40,25.3", "--catheter-size", "6F"} << "catheter";
    }
    void figuresInMillimetres()
    {
        QFETCH(QStringList, calibration);
        QFETCH(QString, source);
        QString out, err;
        QCOMPARE(run(base() << calibration << "--json", &out, &err), 0);
        const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
        QCOMPARE(o["calibration"].toString(), source);
        QVERIFY(std::abs(o["pixel_size_mm"].toDouble() - 0.2) <= 0.006);
        QVERIFY(std::abs(o["percent_diameter_stenosis"].toDouble() - 50) <= 5);
        QVERIFY(std::abs(o["mld_mm"].toDouble() - angiogram.mldMm) <= 0.1);
        QVERIFY(o["lesion_length_mm"].toDouble() > 1.0);
    }

    void writesProfileAndPicture()
    {
        const QString csv = dir.filePath("profile.csv"), png = dir.filePath("picture.png");
        QString out;
        QCOMPARE(run(base() << "--profile" << csv << "--picture" << png, &out), 0);
        QVERIFY(out.contains("percent_diameter_stenosis: "));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines[0], QString("arc_px,x,y,diameter_px,reference_px,in_lesion"));
        // One row every half pixel along the path.
        QVERIFY(std::abs(lines.size() - 1 - 2 * lines.last().section(',', 0, 0).toDouble()) <= 2);
        const QImage picture(png);
        QVERIFY(picture.height() > angiogram.image.height());
    }

    // The run curve: one point per result, the plot written as a picture.
    void segmentWritesRunCurve()
    {
        QStringList inputs;
        for (int k = 0; k < 3; ++k) {
            inputs << dir.filePath(QString("frame%1.png").arg(k));
            saveGray(angiogram.image, inputs.last());
        }
        const QString curve = dir.filePath("curve.png");
        QCOMPARE(run(QStringList{"segment", "--method", "hysteresis", "--preset", "coronary", "--dark-vessels", "--out",
                                 dir.filePath("results"), "--curve", curve} << inputs), 0);
        QCOMPARE(QImage(curve).size(), QSize(640, 360));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("off the vessel") << QStringList{"--to", "60,2"} << 4 << "not on a vessel";
        QTest::newRow("outside") << QStringList{"--to", "900,20"} << 4 << "outside the image";
        QTest::newRow("bad point") << QStringList{"--to", "60"} << 2 << "--to needs 2 numbers";
        QTest::newRow("bad size") << QStringList{"--catheter", "1,2,3,4", "--catheter-size", "6"} << 2 << "6F or 2.0mm";
        QTest::newRow("both calibrations") << QStringList{"--catheter", "1,2,3,4", "--catheter-size", "6F", "--pixel-size", "0.2"}
                                           << 2 << "not both";
    }
    void refusals()
    {
        QFETCH(QStringList, change);
        QFETCH(int, status);
        QFETCH(QString, message);
        QStringList args = base();
        if (change[0] == "--to") args.removeAt(args.indexOf("--to") + 1), args.removeAll("--to");
        QString err;
        QCOMPARE(run(args << change, nullptr, &err), status);
        QVERIFY2(err.contains(message), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(StenosisCliTest)
#include "test_stenosiscli.moc"
