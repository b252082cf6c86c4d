// quendra-cli train and segment --method classifier on small synthetic photographs, the
// command line's refusals, and the window and the command line giving one result.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "app/mainwindow.h"
#include "cli/runcli.h"
#include "document/cimgdoc.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/io/imageio.h"
#include "ops/core/progress.h"
#include "ops/classify/vesselmodel.h"
#include "ops/syntheticfundus.h"
#include "ops/table/operations.h"
#include "view/pixmapwidget.h"

class TestClassifierCli : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString images, truth, model;

private slots:
    void initTestCase();
    void segmentsUnseenPhotographs();
    void trainsTheSameModelWithAnyThreadCount();
    void trainsAndSegmentsWithANetwork();
    void refuses_data();
    void refuses();
    void windowAndCommandLineAgree();
};

void TestClassifierCli::initTestCase()
{
    images = dir.filePath("images"), truth = dir.filePath("truth");
    QDir().mkpath(images);
    QDir().mkpath(truth);
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        const synth::Fundus s = synth::fundus(80, 80, seed);
        const QString folder = seed <= 2 ? images : dir.filePath("unseen");
        QDir().mkpath(folder);
        saveGray(s.image, QString("%1/p%2.png").arg(folder).arg(seed));
        saveGray(s.truth, QString("%1/p%2.png").arg(truth).arg(seed));
    }
    model = dir.filePath("m.qvm");
    QString out, err;
    QCOMPARE(run({"train", "--truth", truth, "--dark-vessels", "--threads", "2", "--out", model, images}, &out, &err), 0);
    QVERIFY2(out.contains("of 2 images"), qPrintable(out + err));
}

void TestClassifierCli::segmentsUnseenPhotographs()
{
    const QString out = dir.filePath("seg");
    QString text, err;
    QCOMPARE(run({"segment", "--method", "classifier", "--model", model, "--probabilities", "--out", out,
                  dir.filePath("unseen")},
                 &text, &err),
             0);
    QVERIFY(QFile::exists(out + "/p3.png") && QFile::exists(out + "/p3-probability.png"));
    QFile csv(out + "/measurements.csv");
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.readAll().contains(",classifier,"));
    QCOMPARE(run({"evaluate", "--truth", truth, "--csv", dir.filePath("eval.csv"), out + "/p3.png", out + "/p4.png"}, &text, &err),
             0);
    const double dice = text.section("mean Dice ", 1).section(',', 0, 0).toDouble();
    QVERIFY2(dice > 0.85, qPrintable(text));
}

void TestClassifierCli::trainsTheSameModelWithAnyThreadCount()
{
    const QString other = dir.filePath("one-thread.qvm");
    QCOMPARE(run({"train", "--truth", truth, "--dark-vessels", "--threads", "1", "--out", other, images}), 0);
    QFile a(model), b(other);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QVERIFY(a.readAll() == b.readAll());
}

void TestClassifierCli::trainsAndSegmentsWithANetwork()
{
    const QString network = dir.filePath("n.qvm"), out = dir.filePath("net-seg");
    QString text, err;
    QCOMPARE(run({"train", "--learner", "network", "--steps", "30", "--base-channels", "4", "--truth", truth,
                  "--dark-vessels", "--threads", "2", "--out", network, images},
                 &text, &err),
             0);
    QVERIFY2(text.contains("trained the network"), qPrintable(text + err));
    QCOMPARE(run({"segment", "--method", "classifier", "--model", network, "--scale", "1.5", "--out", out,
                  dir.filePath("unseen")},
                 &text, &err),
             0);
    const LoadedModel loaded = loadVesselModel(network);
    QVERIFY(loaded.ok() && loaded.model.learner == Learner::Network);
    QFile csv(out + "/measurements.csv");
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString table = csv.readAll();
    QVERIFY2(table.contains("," + network + "," + loaded.model.checksum + ",1.5\n"), qPrintable(table));
}

void TestClassifierCli::refuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("train without truth") << QStringList{"train", "--out", "x.qvm", "IMAGES"} << 2 << "--truth";
    QTest::newRow("train without out") << QStringList{"train", "--truth", "TRUTH", "IMAGES"} << 2 << "--out";
    QTest::newRow("segment without model") << QStringList{"segment", "--method", "classifier", "--out", "OUT", "IMAGES"}
                                           << 2 << "--model";
    QTest::newRow("model with another method")
        << QStringList{"segment", "--method", "fuzzy", "--model", "MODEL", "--out", "OUT", "IMAGES"} << 2 << "--method classifier";
    QTest::newRow("polarity given to the model")
        << QStringList{"segment", "--method", "classifier", "--model", "MODEL", "--dark-vessels", "--out", "OUT", "IMAGES"}
        << 2 << "polarity";
    QTest::newRow("other channel than the model's")
        << QStringList{"segment", "--method", "classifier", "--model", "MODEL", "--channel", "green", "--out", "OUT", "IMAGES"}
        << 2 << "gray channel";
    QTest::newRow("damaged model")
        << QStringList{"segment", "--method", "classifier", "--model", "DAMAGED", "--out", "OUT", "IMAGES"} << 3 << "damaged";
    QTest::newRow("network options with trees")
        << QStringList{"train", "--steps", "5", "--truth", "TRUTH", "--out", "x.qvm", "IMAGES"} << 2 << "--learner network";
    QTest::newRow("trees fine-tuned") << QStringList{"train", "--learner", "network", "--from", "MODEL", "--truth", "TRUTH",
                                                     "--out", "x.qvm", "IMAGES"}
                                      << 2 << "--from needs a network model";
    QTest::newRow("scale out of range")
        << QStringList{"segment", "--method", "classifier", "--model", "MODEL", "--scale", "0", "--out", "OUT", "IMAGES"}
        << 2 << "--scale";
    QTest::newRow("missing model")
        << QStringList{"segment", "--method", "classifier", "--model", "nomodel.qvm", "--out", "OUT", "IMAGES"} << 2
        << "no model file";
}

void TestClassifierCli::refuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFile::copy(model, dir.filePath("damaged.qvm"));
    QFile damaged(dir.filePath("damaged.qvm"));
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    damaged.seek(damaged.size() - 5);
    damaged.write("xxxxx");
    damaged.close();
    args.replaceInStrings("DAMAGED", dir.filePath("damaged.qvm"));
    args.replaceInStrings("MODEL", model);
    args.replaceInStrings("TRUTH", truth);
    args.replaceInStrings("IMAGES", images);
    args.replaceInStrings("OUT", dir.filePath("refused"));
    QString out, err;
    QCOMPARE(run(args, &out, &err), status);
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(!QFile::exists(dir.filePath("refused/measurements.csv")));
}

// A DRIVE training photograph through the shipped model: the window (opened in gray,
// reloaded in the model's green channel when it offers to) and segment give the same pixels.
void TestClassifierCli::windowAndCommandLineAgree()
{
    const QString photo = "/work/shared/data/drive-train/images/21.tif";
    if (!QFile::exists(photo)) QSKIP("no DRIVE training photograph at /work/shared/data/drive-train/images/21.tif");
    const QString shipped = qEnvironmentVariable("QUENDRA_BUILD_DIR") + "/models/retina.qvm";
    QString out, err;
    QCOMPARE(run({"segment", "--method", "classifier", "--model", shipped, "--out", dir.filePath("drive"), photo}, &out, &err), 0);
    NullProgress quiet;
    const LoadResult cli = loadAnyImage(dir.filePath("drive/21.png"), quiet);
    QVERIFY(cli.ok());

    ScriptedDialogs answers;
    ScriptedDialogs::Scope scope(answers);
    answers.items.enqueue("Model file...");
    answers.fileNames.enqueue(shipped);
    answers.answers.enqueue(0);  // read the photograph again in the green channel
    MainWindow w;
    CImgDoc *doc = w.openFile(photo);
    QVERIFY(doc && doc->channel == Channel::Gray);
    w.operationAction(OpCode::VesselClassifier)->trigger();
    QVERIFY2(answers.shown.join("\n").contains("green channel"), qPrintable(answers.shown.join("\n")));
    const ImageModel &m = w.activeDocument()->view->model;
    QVERIFY(*m.currentImage() == cli.image);
}

QUENDRA_GUI_TEST_MAIN(TestClassifierCli)
#include "test_classifiercli.moc"
