// quendra-cli segment, evaluate, overlay and stats --binary on small made-up images.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <random>

#include "cli/runcli.h"
#include "commands.h"
#include "ops/io/imageio.h"
#include "ops/core/progress.h"

namespace {

// Dark lines on a bright, noisy background, different for every seed.
Image vesselImage(unsigned seed, int size = 64)
{
    std::mt19937 rng(seed);
    Image img(size, size, 1, 1, 0.0);
    for (double &v : img) v = 190.0 + double(rng() % 20);
    const double dark = 70.0;
    for (int k = 0; k < 3; ++k) {
        const int x0 = int(rng() % unsigned(size)), x1 = int(rng() % unsigned(size));
        img.draw_line(x0, 0, x1, size - 1, &dark);
        img.draw_line(x0 + 1, 0, x1 + 1, size - 1, &dark);
    }
    img.draw_line(0, int(rng() % unsigned(size)), size - 1, int(rng() % unsigned(size)), &dark);
    return img;
}

Image readBack(const QString &path)
{
    NullProgress progress;
    const LoadResult r = loadAnyImage(path, progress);
    return r.image;
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

class BatchTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString inputs;  // a folder of five images in two levels

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        inputs = path("in");
        QVERIFY(QDir().mkpath(inputs + "/deeper"));
        for (unsigned i = 0; i < 4; ++i) saveGray(vesselImage(i), QString("%1/img%2.png").arg(inputs).arg(i));
        saveGray(vesselImage(9), inputs + "/deeper/more.png");
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no method") << QStringList{"segment", "--out", "o", "x.png"};
        QTest::newRow("unknown method") << QStringList{"segment", "--method", "otsu", "--out", "o", "x.png"};
        QTest::newRow("no output folder") << QStringList{"segment", "--method", "fuzzy", "x.png"};
        QTest::newRow("preset and own coverages")
            << QStringList{"segment", "--method", "hysteresis", "--preset", "skin", "--vessel", "3", "--out", "o", "x.png"};
        QTest::newRow("unknown preset") << QStringList{"segment", "--method", "hysteresis", "--preset", "lung", "--out", "o", "x.png"};
        QTest::newRow("vessel above background")
            << QStringList{"segment", "--method", "hysteresis", "--vessel", "90", "--background", "10", "--out", "o", "x.png"};
        QTest::newRow("disc out of range") << QStringList{"segment", "--method", "hysteresis", "--disc", "0", "--out", "o", "x.png"};
        QTest::newRow("fuzzy with a preset") << QStringList{"segment", "--method", "fuzzy", "--preset", "retina", "--out", "o", "x.png"};
        QTest::newRow("negative pixel size")
            << QStringList{"segment", "--method", "fuzzy", "--pixel-size", "-1", "--out", "o", "x.png"};
        QTest::newRow("zero threads") << QStringList{"segment", "--method", "fuzzy", "--threads", "0", "--out", "o", "x.png"};
        QTest::newRow("unknown option") << QStringList{"segment", "--method", "fuzzy", "--fast", "--out", "o", "x.png"};
        QTest::newRow("no input") << QStringList{"segment", "--method", "fuzzy", "--out", "o"};
        QTest::newRow("missing input") << QStringList{"segment", "--method", "fuzzy", "--out", "o", "nowhere.png"};
        QTest::newRow("evaluate without truth") << QStringList{"evaluate", "x.png"};
        QTest::newRow("overlay too few") << QStringList{"overlay", "a.png", "b.png"};
        QTest::newRow("stats pixel size without binary") << QStringList{"stats", "x.png", "--pixel-size", "0.1"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        for (QString &a : args)
            if (a == "o" || a.endsWith(".png")) a = path(a);
        QString err;
        QCOMPARE(run(args, nullptr, &err), 2);
        QVERIFY2(err.startsWith("quendra-cli: usage error: "), qPrintable(err));
        QVERIFY(!QFile::exists(path("o/measurements.csv")));
    }

    // The rows and images do not depend on the number of threads, and come in input order.
    void sameResultsWithOneAndTwoThreads_data()
    {
        QTest::addColumn<QStringList>("method");
        QTest::newRow("hysteresis") << QStringList{"--method", "hysteresis", "--preset", "retina", "--dark-vessels",
                                                   "--pixel-size", "0.01"};
        QTest::newRow("fuzzy") << QStringList{"--method", "fuzzy", "--dark-vessels"};
    }
    void sameResultsWithOneAndTwoThreads()
    {
        QFETCH(QStringList, method);
        const QString tag = QTest::currentDataTag();
        QString csv[2];
        for (int t = 1; t <= 2; ++t) {
            const QString out = path(QString("%1-%2").arg(tag).arg(t));
            QString stdOut;
            QCOMPARE(run(QStringList{"segment"} << method << "--threads" << QString::number(t) << "--out" << out << inputs,
                         &stdOut),
                     0);
            QVERIFY(stdOut.contains("segmented 5 of 5 images"));
            csv[t - 1] = readText(out + "/measurements.csv");
        }
        QCOMPARE(csv[1], csv[0]);
        const QStringList lines = csv[0].trimmed().split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[1].startsWith(inputs + "/deeper/more.png,more.png,64,64,"));
        QVERIFY(lines[2].startsWith(inputs + "/img0.png,img0.png,64,64,"));
        QVERIFY(lines[5].startsWith(inputs + "/img3.png,"));
        QVERIFY(lines[2].contains("," QUENDRA_VERSION ","));
        for (const char *name : {"img0.png", "img1.png", "img2.png", "img3.png", "more.png"}) {
            const Image one = readBack(path(tag + "-1/" + name)), two = readBack(path(tag + "-2/" + name));
            QVERIFY(!one.is_empty());
            QVERIFY(one == two);
            for (const double v : one) QVERIFY(v == 0.0 || v == 255.0);
        }
    }

    // --dark-vessels and the preset give what "Invert" and then hysteresis give.
    void segmentMatchesTheSingleOperations()
    {
        const QString in = inputs + "/img1.png", inv = path("inv.cimg"), hyst = path("hyst.cimg");
        QCOMPARE(run({"apply", "invert", in, inv}), 0);
        QCOMPARE(run({"apply", "hysteresis", inv, hyst, "preset=skin", "disc=9"}), 0);
        QCOMPARE(run({"segment", "--method", "hysteresis", "--preset", "skin", "--disc", "9", "--dark-vessels", "--out",
                      path("single"), in}),
                 0);
        const Image expected = readBack(hyst), got = readBack(path("single/img1.png"));
        QVERIFY(expected == got);
        const QStringList row = readText(path("single/measurements.csv")).split('\n')[1].split(',');
        QCOMPARE(row.mid(4, 3), (QStringList{"hysteresis", "9", "skin"}));
        QCOMPARE(row[9], QString("yes"));
    }

    void unreadableImageIsSkipped()
    {
        const QString folder = path("mixed");
        QVERIFY(QDir().mkpath(folder));
        saveGray(vesselImage(3), folder + "/a.png");
        QFile broken(folder + "/b.png");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture");
        broken.close();
        saveGray(vesselImage(4), folder + "/c.png");
        QString out, err;
        QCOMPARE(run({"segment", "--method", "hysteresis", "--threads", "2", "--out", path("mixed-out"), folder}, &out, &err), 1);
        QVERIFY(err.contains(folder + "/b.png: skipped: "));
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(out.contains("segmented 2 of 3 images"));
        const QStringList lines = readText(path("mixed-out/measurements.csv")).trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].startsWith(folder + "/a.png,"));
        QVERIFY(lines[2].startsWith(folder + "/c.png,"));
        QVERIFY(QFile::exists(path("mixed-out/c.png")));
        QVERIFY(!QFile::exists(path("mixed-out/b.png")));
    }

    // Equal stems in different folders, an input in the output folder, results of an earlier run.
    void outputsNeverOverwriteEachOtherOrInputs()
    {
        const QString root = path("names");
        QVERIFY(QDir().mkpath(root + "/a"));
        QVERIFY(QDir().mkpath(root + "/b"));
        saveGray(vesselImage(5), root + "/a/x.png");
        saveGray(vesselImage(6), root + "/b/x.png");
        const QByteArray inputBytes = readBytes(root + "/a/x.png");
        QCOMPARE(run({"segment", "--method", "hysteresis", "--out", root + "/a", root + "/a/x.png", root + "/b/x.png"}), 0);
        QVERIFY(QFile::exists(root + "/a/x-2.png"));
        QVERIFY(QFile::exists(root + "/a/x-3.png"));
        QCOMPARE(readBytes(root + "/a/x.png"), inputBytes);  // the input is untouched
        // The results now lie in a/, the output folder, which a second run does not read.
        QString out;
        QCOMPARE(run({"segment", "--method", "hysteresis", "--out", root + "/a", root}, &out), 0);
        QVERIFY(out.contains("segmented 1 of 1"));
    }

    void shardsCoverTheInputsOnceAndMergeIntoOneRun()
    {
        // Three shards of five inputs: disjoint, complete, named and merged as one run would.
        QStringList shardTables;
        for (int k = 1; k <= 3; ++k) {
            const QString out = path(QString("shard%1").arg(k));
            QCOMPARE(run({"segment", "--method", "hysteresis", "--shard", QString("%1/3").arg(k), "--out", out, inputs}), 0);
            shardTables << out + "/measurements.csv";
        }
        QCOMPARE(run({"segment", "--method", "hysteresis", "--out", path("whole"), inputs}), 0);
        QCOMPARE(run(QStringList{"merge", path("merged.csv")} << shardTables), 0);
        const auto rows = [](const QString &text) {  // every column but version and date
            QList<QStringList> lines;
            for (const QString &line : text.trimmed().split('\n')) lines << line.split(',');
            for (const QString name : {"version", "date"}) {
                const qsizetype k = lines.first().indexOf(name);
                for (QStringList &line : lines) line.removeAt(k);
            }
            return lines;
        };
        QCOMPARE(rows(readText(path("merged.csv"))), rows(readText(path("whole/measurements.csv"))));

        // Refused: different columns, different runs, a bad shard; a mean row is computed again.
        QCOMPARE(run({"segment", "--method", "fuzzy", "--shard", "1/3", "--out", path("fuzzyshard"), inputs}), 0);
        writeText(path("other.csv"), "file,area\na.png,1\n");
        writeText(path("eval1.csv"), "file,tp,dice,thresholded\na.png,2,0.5,no\nmean,2,0.5,\n");
        writeText(path("eval2.csv"), "file,tp,dice,thresholded\n\"b,1.png\",4,nan,yes\nmean,4,nan,\n");
        const struct {
            QStringList args;
            int status;
        } cases[] = {{{"merge", path("m.csv"), shardTables[0], path("other.csv")}, 2},
                     {{"merge", path("m.csv"), shardTables[0], path("fuzzyshard/measurements.csv")}, 2},
                     {{"merge", path("m.csv"), path("missing.csv")}, 3},
                     {{"segment", "--method", "fuzzy", "--shard", "4/3", "--out", path("s"), inputs}, 2},
                     {{"merge", path("m.csv"), path("eval1.csv"), path("eval2.csv")}, 0}};
        for (const auto &c : cases) QCOMPARE(run(c.args), c.status);
        QCOMPARE(readText(path("m.csv")), QString("file,tp,dice,thresholded\na.png,2,0.5,no\n\"b,1.png\",4,nan,yes\nmean,3,0.5,\n"));
    }

    void evaluatePairsByStem()
    {
        const QString pred = path("eval/pred"), truth = path("eval/truth"), mask = path("eval/mask");
        for (const QString &d : {pred, truth, mask}) QVERIFY(QDir().mkpath(d));
        Image p(4, 2, 1, 1, 0.0), t(4, 2, 1, 1, 0.0);
        p(0, 0) = p(1, 0) = p(0, 1) = 255;  // tp 2, fp 1, fn 1, tn 4
        t(0, 0) = t(2, 0) = t(0, 1) = 255;
        saveGray(p, pred + "/one.png");
        saveGray(p, pred + "/two.png");
        saveGray(Image(4, 2, 1, 1, 200.0), pred + "/gray.png");  // not binary: all vessel
        saveGray(p, pred + "/orphan.png");                    // no truth
        saveGray(Image(5, 2, 1, 1, 0.0), pred + "/wide.png");   // wrong size
        // The input images beside the truths share the stems; the suffixed names win.
        saveGray(Image(4, 2, 1, 1, 77.0), truth + "/one.png");
        for (const char *n : {"one", "two", "gray", "wide"}) saveGray(t, truth + "/" + n + "-truth.png");
        Image m(4, 2, 1, 1, 255.0);
        m(2, 0) = 0;  // hides the miss
        saveGray(m, mask + "/two_mask.png");

        QString out, err;
        const QString csv = path("eval/result.csv");
        QCOMPARE(run({"evaluate", "--truth", truth, "--mask", mask, "--csv", csv, pred}, &out, &err), 1);
        QVERIFY(err.contains("orphan.png: no ground truth named orphan in " + truth + ": skipped"));
        QVERIFY(err.contains(pred + "/wide.png (5 x 2) and " + truth + "/wide-truth.png (4 x 2) differ in size: skipped"));
        QVERIFY(err.contains(pred + "/gray.png is not binary: thresholded at 128"));
        QVERIFY(err.contains(pred + "/one.png: no mask named one in " + mask + ": the whole image counts"));
        QVERIFY(out.startsWith("evaluated 3 of 5 images: mean Dice "));
        QCOMPARE(out.count('\n'), 1);

        const QStringList lines = readText(csv).trimmed().split('\n');
        QCOMPARE(lines.size(), 5);  // header, gray, one, two, mean
        QVERIFY(lines[1].startsWith(pred + "/gray.png," + truth + "/gray-truth.png,,3,5,0,0,1,0,0.375,"));
        QVERIFY(lines[1].endsWith(",yes"));
        QVERIFY(lines[2].startsWith(pred + "/one.png," + truth + "/one-truth.png,,2,1,4,1,0.6666666667,0.8,0.75,"));
        QVERIFY2(lines[3].startsWith(pred + "/two.png," + truth + "/two-truth.png," + mask + "/two_mask.png,2,1,4,0,1,0.8,"), qPrintable(lines[3]));
        // Mean of the defined values: gray's MCC is undefined (no true negatives) and left out.
        const QStringList mean = lines[4].split(',');
        QCOMPARE(mean[0], QString("mean"));
        QCOMPARE(mean[3], QString("2.333333333"));
        QVERIFY(std::abs(mean[7].toDouble() - (1.0 + 2.0 / 3.0 + 1.0) / 3.0) < 1e-9);
        QVERIFY(std::abs(mean[12].toDouble() - (7.0 / 15.0 + 8.0 / std::sqrt(120.0)) / 2.0) < 1e-9);

        // Single files need no stems.
        QCOMPARE(run({"evaluate", "--truth", truth + "/one-truth.png", "--csv", path("eval/single.csv"), pred + "/one.png"}, &out), 0);
        QVERIFY(out.contains("mean Dice 0.6667"));
        QCOMPARE(run({"evaluate", "--truth", truth + "/one-truth.png", pred}), 2);  // several predictions, one truth

        // Two files with one stem would share a truth (or a truth its prediction): refused.
        const QString clash = path("eval/clash");
        QVERIFY(QDir().mkpath(clash + "/sub"));
        saveGray(p, clash + "/one.png");
        saveGray(p, clash + "/sub/one.png");
        QCOMPARE(run({"evaluate", "--truth", truth, "--csv", path("eval/clash.csv"), clash}, &out, &err), 2);
        QVERIFY2(err.contains(clash + "/one.png and " + clash + "/sub/one.png have the same name stem \"one\""), qPrintable(err));
        QVERIFY(QDir().mkpath(truth + "/sub"));
        saveGray(t, truth + "/sub/two-truth.png");
        QCOMPARE(run({"evaluate", "--truth", truth, "--csv", path("eval/clash.csv"), pred + "/two.png"}, &out, &err), 2);
        QVERIFY2(err.contains(truth + "/sub/two-truth.png and " + truth + "/two-truth.png"), qPrintable(err));
        QVERIFY(!QFile::exists(path("eval/clash.csv")));
    }

    // DRIVE's own names pair without renaming: 01_test with 01_manual1 and 01_test_mask;
    // the second observer's 01_manual2 is no truth.
    void evaluatePairsDriveNames()
    {
        const QString pred = path("drive/pred"), truth = path("drive/truth"), mask = path("drive/mask");
        for (const QString &d : {pred, truth, mask}) QVERIFY(QDir().mkpath(d));
        Image p(4, 2, 1, 1, 0.0);
        p(0, 0) = 255;
        saveGray(p, pred + "/01_test.png");
        saveGray(p, truth + "/01_manual1.png");
        saveGray(Image(4, 2, 1, 1, 0.0), truth + "/01_manual2.png");
        saveGray(Image(4, 2, 1, 1, 255.0), mask + "/01_test_mask.png");
        QString out, err;
        QCOMPARE(run({"evaluate", "--truth", truth, "--mask", mask, "--csv", path("drive/e.csv"), pred}, &out, &err), 0);
        QVERIFY2(out.startsWith("evaluated 1 of 1 images: mean Dice 1"), qPrintable(out + err));
        QVERIFY(readText(path("drive/e.csv")).contains(truth + "/01_manual1.png," + mask + "/01_test_mask.png,1,0,7,0"));
    }

    void overlayColours()
    {
        Image seg(30, 11, 1, 1, 0.0);
        seg.draw_rectangle(5, 3, 24, 7, &kWhite);
        Image gray(30, 11, 1, 1, 100.0);
        saveGray(seg, path("ov-seg.png"));
        saveGray(gray, path("ov-in.png"));
        QCOMPARE(run({"overlay", path("ov-in.png"), path("ov-seg.png"), path("ov.png")}), 0);
        const QImage o(path("ov.png"));
        QCOMPARE(o.size(), QSize(30, 11));
        QCOMPARE(o.pixel(0, 0), qRgb(100, 100, 100));  // the input outside
        QCOMPARE(o.pixel(15, 3), qRgb(0, 220, 0));     // outline
        QCOMPARE(o.pixel(15, 5), qRgb(255, 0, 0));     // skeleton in the middle
        int ends = 0;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 30; ++x) ends += o.pixel(x, y) == qRgb(0, 140, 255);
        QVERIFY(ends >= 2 * 4);  // both end points drawn as small squares
        saveGray(Image(8, 8, 1, 1, 0.0), path("ov-small.png"));
        QString err;
        QCOMPARE(run({"overlay", path("ov-in.png"), path("ov-small.png"), path("ov2.png")}, nullptr, &err), 4);
        QVERIFY(err.contains("ov-in.png is 30 x 11 pixels but "));
        QVERIFY(!QFile::exists(path("ov2.png")));
    }

    void statsBinaryReportsTheSkeleton()
    {
        Image cross(21, 21, 1, 1, 0.0);
        for (int k = 2; k <= 18; ++k) cross(k, 10) = cross(10, k) = 255.0;
        saveGray(cross, path("cross.png"));
        QString out;
        QCOMPARE(run({"stats", path("cross.png"), "--binary", "--pixel-size", "0.5"}, &out), 0);
        QVERIFY(out.contains("area: 33\n"));
        QVERIFY(out.contains("end_points: 4\nbranch_points: 1\nsegments: 4\nskeleton_length: 32\nmean_width: 1.03125\n"));
        QVERIFY(out.contains("skeleton_length_mm: 16\n"));
        QVERIFY(out.contains("length_density_mm_per_mm2: " + QString::number(16.0 / (10.5 * 10.5), 'g', 17) + "\n"));
        QCOMPARE(run({"stats", path("cross.png"), "--binary", "--json"}, &out), 0);
        QVERIFY(out.contains("\"branch_points\": 1"));
        QVERIFY(!out.contains("_mm"));
    }
};

QTEST_GUILESS_MAIN(BatchTest)
#include "test_batch.moc"
