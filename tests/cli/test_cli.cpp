// quendra-cli: exit statuses, outputs and --all naming.
#include <QTemporaryDir>
#include <QtTest>

#include "cli/runcli.h"
#include "ops/io/imageio.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"

class CliTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString input;

private slots:
    void initTestCase()
    {
        QImage picture(8, 5, QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 8; ++x) picture.setPixel(x, y, qRgb(x * 30, x * 30, x * 30));
        input = dir.filePath("in.png");
        QVERIFY(picture.save(input));
    }

    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("nothing") << QStringList() << 2;
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2;
        QTest::newRow("unknown operation") << QStringList{"apply", "sharpen", "in.png", "out.png"} << 2;
        QTest::newRow("too few arguments") << QStringList{"apply", "invert", "in.png"} << 2;
        QTest::newRow("unknown parameter") << QStringList{"apply", "invert", "in.png", "out.png", "size=3"} << 2;
        QTest::newRow("not a pair") << QStringList{"apply", "invert", "in.png", "out.png", "size"} << 2;
        QTest::newRow("unknown output format") << QStringList{"apply", "invert", "in.png", "out.xyz"} << 2;
        // Parameters are checked against the table before the (here missing) input is read.
        for (const char *param : {"exponent=101", "exponent=-1", "exponent=two"})
            QTest::addRow("power %s", param) << QStringList{"apply", "power", "nowhere.png", "out.png", param} << 2;
        for (const char *param : {"size=0", "size=1000", "size=2.5"})
            QTest::addRow("erode %s", param) << QStringList{"apply", "erode", "nowhere.png", "out.png", param} << 2;
        for (const char *param : {"preset=lung", "disc=100", "vessel=101"})
            QTest::addRow("hysteresis %s", param) << QStringList{"apply", "hysteresis", "nowhere.png", "out.png", param} << 2;
        QTest::newRow("threads above the row passes' limit") << QStringList{"apply", "invert", "in.png", "out.png", "--threads", "65"} << 2;
        QTest::newRow("option given twice") << QStringList{"stats", "in.png", "--channel", "red", "--channel", "blue"} << 2;
        QTest::newRow("option without its value") << QStringList{"stats", "in.png", "--channel"} << 2;
        QTest::newRow("unknown channel") << QStringList{"stats", "nowhere.png", "--channel", "alpha"} << 2;
        QTest::newRow("threshold invert=2") << QStringList{"apply", "threshold", "nowhere.png", "out.png", "invert=2"} << 2;
        QTest::newRow("hysteresis preset=coronary") << QStringList{"apply", "hysteresis", "nowhere.png", "out.png", "preset=coronary"} << 3;
        QTest::newRow("missing input") << QStringList{"apply", "invert", "nowhere.png", "out.png"} << 3;
        QTest::newRow("stats of missing input") << QStringList{"stats", "nowhere.png"} << 3;
        QTest::newRow("unwritable output") << QStringList{"apply", "invert", "in.png", "no/such/dir/out.png"} << 4;
    }
    void exitStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        for (QString &a : args)
            if (a.endsWith(".png") || a.endsWith(".xyz")) a = dir.filePath(a);
        QString err;
        QCOMPARE(run(args, nullptr, &err), status);
        QCOMPARE(err.count('\n'), 1);  // one clear line
        QVERIFY(err.startsWith("quendra-cli: "));
    }

    void versionAndHelp()
    {
        QString out;
        QCOMPARE(run({"--version"}, &out), 0);
        QCOMPARE(out, QString(QUENDRA_VERSION "\n"));
        QCOMPARE(run({"--help"}, &out), 0);
        QVERIFY(out.contains("invert"));
        QVERIFY(out.contains("display"));
        // Each command's help is its own section of the whole, in the same order.
        qsizetype last = 0;
        for (const char *command : {"apply", "stats", "segment", "train", "evaluate", "overlay", "merge"}) {
            QString own;
            QCOMPARE(run({command, "--help"}, &own), 0);
            const QString section = own.section("\nExit status:", 0, 0);
            QVERIFY2(out.indexOf(section) > last, command);
            last = out.indexOf(section);
        }
        QVERIFY(out.contains("--pixels-per-image N"));
    }

    void doubleDashEndsOptions()
    {
        const QString dashed = dir.filePath("-in.png");
        QVERIFY(QFile::copy(input, dashed));
        QDir::setCurrent(dir.path());
        QCOMPARE(run({"apply", "invert", "--threads", "1", "--", "-in.png", "dashed.png"}), 0);
        QVERIFY(QFile::exists(dir.filePath("dashed.png")));
        QCOMPARE(run({"apply", "invert", "-in.png", "dashed.png"}), 2);  // read as an option
    }

    void invertWritesTheRenderingOrTheValues()
    {
        const QString png = dir.filePath("inv.png"), cimg = dir.filePath("inv.cimg");
        QCOMPARE(run({"apply", "invert", input, png}), 0);
        QCOMPARE(QImage(png).pixel(2, 1), qRgb(255 - 60, 255 - 60, 255 - 60));
        QCOMPARE(run({"apply", "invert", input, cimg}), 0);
        const LoadResult values = loadCimgImage(cimg);
        QVERIFY(values.ok());
        QCOMPARE(values.image(7, 4), 255.0 - 210.0);

        // A .cimg input keeps its doubles: 255 - 300.25 is negative and stays so.
        Image doubles(3, 2, 1, 1, 300.25);
        const QString in = dir.filePath("doubles.cimg"), back = dir.filePath("back.cimg");
        QVERIFY(saveCimgImage(doubles, in, nullptr));
        QCOMPARE(run({"apply", "invert", in, back}), 0);
        QCOMPARE(loadCimgImage(back).image(1, 1), -45.25);
        const QString shown = dir.filePath("shown.png");
        QCOMPARE(run({"apply", "display", in, shown}), 0);
        QCOMPARE(QImage(shown).pixel(0, 0), qRgb(44, 44, 44));
    }

    void allWritesTheAppendedImages()
    {
        const QString out = dir.filePath("all.png");
        QCOMPARE(run({"apply", "invert", input, out, "--all"}), 0);
        // The working copy is the one appended image.
        QVERIFY(QFile::exists(dir.filePath("all.1.png")));
        QVERIFY(!QFile::exists(dir.filePath("all.2.png")));
        QVERIFY(!QFile::exists(dir.filePath("all.reference.png")));
        // Hysteresis also writes the vessel enhancement it thresholded, losslessly in .cimg.
        const QString hyst = dir.filePath("hyst.cimg");
        QCOMPARE(run({"apply", "hysteresis", input, hyst, "--all"}), 0);
        NullProgress progress;
        const Image reference = loadAnyImage(dir.filePath("hyst.reference.cimg"), progress).image;
        QCOMPARE(reference.width(), 8);
        QCOMPARE(reference.height(), 5);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
