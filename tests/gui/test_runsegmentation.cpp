// "Segment every frame" and the run curve window, through the real actions and the dialog
// seam: every frame's result equals that frame segmented alone, a cancel mid-run leaves
// the list as it was, and the curve's CSV has one row per frame with the largest area marked.
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/core/progress.h"
#include "ops/table/operations.h"
#include "view/pixmapwidget.h"
#include "view/runcurvewindow.h"

namespace {

// A run of dark vessels on a bright background whose filling changes from frame to frame.
ImageList syntheticRun(int frames, int size)
{
    ImageList run;
    for (int k = 0; k < frames; ++k) {
        Image f(size, size * 5 / 6, 1, 1);
        const int half = 1 + (k * 3) % 4;  // vessel half-widths 1, 4, 3, 2
        cimg_forXY(f, x, y) {
            const bool vessel = std::abs(y - f.height() / 2) <= half || std::abs(x - y - 4) <= 1;
            f(x, y) = 200.0 - (vessel ? 50.0 + 25.0 * half : 0.0) + (x * 7 + y * 3 + k) % 11;
        }
        run.push_back(f);
    }
    return run;
}

// Opens frames as one document holding a run; returns it.
CImgDoc *openRun(MainWindow &w, const ImageList &frames)
{
    CImgDoc *doc = openDocument(w, frames[0]);
    doc->view->model = ImageModel(frames);
    doc->view->model.currentIndex = 0;
    doc->view->frameCount = int(frames.size());
    doc->forwardCurrentIndex();
    return doc;
}

long long whiteCount(const Image &image)
{
    long long n = 0;
    cimg_for(image, v, double) n += *v == kWhite;
    return n;
}

}  // namespace

class TestRunSegmentation : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedDialogs answers;

private slots:
    void init() { answers = ScriptedDialogs(); }

    // The answers given in the dialogs, and the parameters the same method gets alone.
    void everyFrameAsAlone_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QStringList>("params");
        const QString model = qEnvironmentVariable("QUENDRA_SOURCE_DIR") + "/models/retina.qvm";
        QTest::newRow("hysteresis, dark vessels") << QStringList{"Hysteresis thresholding", "Coronary angiogram"}
                                                  << QStringList() << true << "hysteresis" << QStringList{"preset", "coronary"};
        QTest::newRow("fuzzy clustering") << QStringList{"Fuzzy clustering"} << QStringList() << false << "fuzzy"
                                          << QStringList();
        QTest::newRow("vessel classifier") << QStringList{"Vessel classifier", "Model file..."} << QStringList{model}
                                           << false << "classifier" << QStringList{"model", model, "pixelsize", "0"};
    }
    void everyFrameAsAlone()
    {
        QFETCH(QStringList, items);
        QFETCH(QStringList, files);
        QFETCH(bool, dark);
        QFETCH(QString, method);
        QFETCH(QStringList, params);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QAction *segment = w.operationAction(OpCode::SegmentFrames), *curveAction = w.operationAction(OpCode::RunCurve);
        openDocument(w, syntheticRun(1, 48)[0]);
        QVERIFY(!segment->isEnabled());
        const ImageList frames = syntheticRun(4, 48);
        CImgDoc *doc = openRun(w, frames);
        QVERIFY(segment->isEnabled());
        QVERIFY(!curveAction->isEnabled());

        for (const QString &item : items) answers.items.enqueue(item);
        for (const QString &file : files) answers.fileNames.enqueue(file);
        if (method != "classifier") answers.answers.enqueue(dark ? 0 : 1);
        segment->trigger();

        const ImageModel &got = doc->view->model;
        QVERIFY2(got.count() == 8, qPrintable(answers.shown.join("\n")));
        QCOMPARE(got.currentIndex, 4);
        // The run curve window took the focus; back in the main window the entry is there.
        w.activateWindow();
        QTRY_VERIFY(curveAction->isEnabled());
        Params given;
        for (qsizetype i = 0; i + 1 < params.size(); i += 2) given.set(params[i], params[i + 1]);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(*got.image(k), frames[k]);
            // The frame alone, as a document of that one image is segmented.
            ImageModel alone(frames[k]);
            NullProgress quiet;
            if (dark) QVERIFY(runOperation(alone, operationRow(OpCode::Invert), Params(), quiet).ok());
            const RunOutcome ran = runOperation(alone, *findSegmentMethod(method), given, quiet);
            QVERIFY2(ran.ok(), qPrintable(ran.error));
            QCOMPARE(*got.image(4 + k), *alone.currentImage());
            QCOMPARE(doc->view->runCurve[size_t(k)].frame, k + 1);
            QCOMPARE(doc->view->runCurve[size_t(k)].area, double(whiteCount(*alone.currentImage())));
        }
        QVERIFY(doc->view->findChild<RunCurveWindow *>());
        closeAll(w);
    }

    // Cancel pressed while the second frame is segmented: nothing is appended, not even the
    // first frame's result. Four frames remain, far longer than the run takes to see it.
    void cancelLeavesTheListAsItWas()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        const ImageList frames = syntheticRun(6, 240);
        CImgDoc *doc = openRun(w, frames);
        answers.items.enqueue("Fuzzy clustering");
        answers.answers.enqueue(1);
        bool pressed = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            for (auto *dialog : doc->view->findChildren<QProgressDialog *>())
                if (!pressed && dialog->labelText() == "Frame 2 of 6") {
                    dialog->findChild<QPushButton *>()->click();
                    pressed = true;
                }
        });
        watch.start(0);
        w.operationAction(OpCode::SegmentFrames)->trigger();
        QVERIFY(pressed);
        QCOMPARE(doc->view->model.count(), 6);
        QCOMPARE(doc->view->model.currentIndex, 0);
        for (int k = 0; k < 6; ++k) QCOMPARE(*doc->view->model.image(k), frames[k]);
        QVERIFY(doc->view->runCurve.empty());
        QVERIFY(!doc->view->findChild<RunCurveWindow *>());
        QVERIFY(!w.operationAction(OpCode::RunCurve)->isEnabled());
        closeAll(w);
    }

    // The window saves the numbers, one row per frame with the largest area marked, and the
    // plot; a file that cannot be written is reported.
    void curveWindowSavesNumbersAndPicture()
    {
        const std::vector<RunCurvePoint> curve{{1, 120, 40.5}, {2, 310, 61}, {3, 250, 58.25}};
        RunCurveWindow window(curve, nullptr);
        ScriptedDialogs::Scope scope(answers);
        answers.fileNames << dir.filePath("curve") << dir.filePath("curve.png") << dir.filePath("missing/curve.csv");
        QTest::mouseClick(window.saveNumbersButton, Qt::LeftButton);
        QFile csv(dir.filePath("curve.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts),
                 QStringList({"frame,area_px,length_px,largest_area", "1,120,40.5,", "2,310,61,yes", "3,250,58.25,"}));
        QTest::mouseClick(window.savePictureButton, Qt::LeftButton);
        QCOMPARE(QImage(dir.filePath("curve.png")).convertToFormat(QImage::Format_RGB32), window.picture());
        QVERIFY(window.summary->text().contains("frame 2"));
        QTest::mouseClick(window.saveNumbersButton, Qt::LeftButton);
        QVERIFY2(answers.sawTitle("Run curve") && answers.shown.last().contains("could not be written"),
                 qPrintable(answers.shown.join('\n')));
    }
};

QUENDRA_GUI_TEST_MAIN(TestRunSegmentation)
#include "test_runsegmentation.moc"
