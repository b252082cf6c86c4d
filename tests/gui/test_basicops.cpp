// Point operations, thresholding, morphology, skeletonizing and the statistics reports of
// the view, driven through the dialog seam and compared with direct calls to the core: the
// cancelled dialogs, what the operations note, the threshold preview and the reports.
#include <QLCDNumber>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/io/display.h"
#include "ops/filters/histogram.h"
#include "ops/core/imagehelpers.h"
#include "ops/core/largeblocks.h"
#include "ops/table/operations.h"
#include "ops/measure/statistics.h"
#include "ops/morphology/thinning.h"
#include "ops/segmentation/threshold.h"
#include "view/pixmapwidget.h"

namespace {

Image testImage()
{
    Image img(24, 16, 1, 1, 0.0);
    cimg_forXY(img, x, y) img(x, y) = (x * 11 + y * 5) % 256;
    return img;
}

Image binaryImage()
{
    Image img(30, 20, 1, 1, 0.0);
    for (int y = 6; y <= 10; ++y)
        for (int x = 4; x <= 25; ++x) img(x, y) = 255.0;
    return img;
}

bool same(const Image &a, const Image &b) { return a.width() == b.width() && a.height() == b.height() && a == b; }

// Sets the dialog's spin box, then presses the named button; returns the dialog's result.
std::function<int(QDialog *)> pressWith(int value, const char *button)
{
    return [value, button](QDialog *d) {
        d->findChild<QSpinBox *>()->setValue(value);
        d->findChild<QPushButton *>(button)->click();
        return d->result();
    };
}

}  // namespace

class BasicOpsTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;
    std::unique_ptr<PixmapWidget> view;

    // A view over [image, working copy], as the dispatcher leaves it.
    void makeView(const Image &image)
    {
        ImageList list;
        list.push_back(image);
        view = std::make_unique<PixmapWidget>(list, 3, nullptr);
        view->duplicateCurrent();
    }
    // Runs code on the view's working copy: an operation with its own interaction through
    // its handler, a plain one through the view's one path.
    void run(int code)
    {
        const OperationRow &row = operationRow(OpCode(code));
        if (*row.viewHook) QMetaObject::invokeMethod(view.get(), row.viewHook);
        else view->runTableOperation(row.code);
    }

private slots:
    void init() { answers = ScriptedDialogs(); }
    void cleanup() { view.reset(); }

    void cancelledDialogsChangeNothing_data()
    {
        QTest::addColumn<int>("code");
        for (const char *name : {"erode", "dilate", "open", "close", "tophat", "gradient", "power"})
            QTest::newRow(name) << int(findOperation(name)->code);
    }
    void cancelledDialogsChangeNothing()
    {
        QFETCH(int, code);
        ScriptedDialogs::Scope scope(answers);
        makeView(testImage());
        if (code != int(OpCode::Power)) answers.execs.enqueue(pressWith(5, "cancelButton"));
        run(code);
        QVERIFY(same(view->model.current(), testImage()));
        QCOMPARE(view->imageCount(), 2);
        QCOMPARE(answers.shown.size(), 1);  // the dialog itself, nothing after it
    }

    // Under the dispatcher a cancelled parameter dialog takes back what was prepared for
    // the operation: the clone window or the working copy.
    void cancelledDialogsLeaveNothingBehind_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("newWindow");
        for (const bool newWindow : {true, false}) {
            const char *where = newWindow ? "new window" : "working copy";
            for (const OpCode code : {OpCode::Power, OpCode::Erode, OpCode::Threshold})
                QTest::addRow("%s, %s", operationRow(code).cliName, where) << int(code) << newWindow;
        }
    }
    void cancelledDialogsLeaveNothingBehind()
    {
        QFETCH(int, code);
        QFETCH(bool, newWindow);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, testImage());
        setNewWindowWhenEditing(w, newWindow);
        if (code != int(OpCode::Power)) answers.execs.enqueue(pressWith(5, "cancelButton"));
        w.applyOperation(OpCode(code), false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(w.documents().size(), 1);
        QCOMPARE(w.documents().first(), doc);
        QCOMPARE(doc->view->imageCount(), 1);
        QVERIFY(same(doc->view->model.current(), testImage()));
        QCOMPARE(answers.shown.size(), 1);  // the dialog, and no failure reported
        closeAll(w);
    }

    // Image-sized blocks kept for reuse during an operation go back when it has ended.
    void anOperationLeavesNoBlocksKept()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, Image(1100, 1000, 1, 1, 40.0));  // above the block size
        const auto blocks = [] { return largeblocks::counts().mapped + largeblocks::counts().reused; };
        const size_t before = blocks();
        w.applyOperation(OpCode::Invert, false);
        QCOMPARE(doc->view->model.current()(0, 0), 215.0);
#if defined(__SANITIZE_ADDRESS__)
        constexpr bool newTakesBlocks = false;  // sanitizer builds keep the plain allocator
#else
        constexpr bool newTakesBlocks = true;
#endif
        QVERIFY(!newTakesBlocks || blocks() > before);
        QCOMPARE(largeblocks::counts().keptBytes, size_t(0));
        closeAll(w);
    }

    void valuesOutsideTheDomainAreNoted()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(testImage());  // holds zeros
        run(11);
        QCOMPARE(answers.shown.size(), 2);
        QVERIFY(answers.shown[0].startsWith("Note|"));
        QVERIFY(answers.shown[0].contains("no logarithm"));
        QVERIFY(allFinite(view->model.current()));
    }

    void thresholdPreviewAndOk()
    {
        ScriptedDialogs::Scope scope(answers);
        Image half(10, 10, 1, 1, 0.0);
        for (int y = 5; y < 10; ++y)
            for (int x = 0; x < 10; ++x) half(x, y) = 200.0;
        makeView(half);
        answers.execs.enqueue([&](QDialog *d) {
            d->findChild<QSpinBox *>()->setValue(199);
            if (d->findChild<QLCDNumber *>()->intValue() != 50) return -1;
            if (!same(view->model.previewImage, thresholdImage(half, 199, false))) return -2;
            d->findChild<QPushButton *>("okButton")->click();
            return d->result();
        });
        run(20);
        QCOMPARE(answers.shown, QStringList{"exec|Threshold"});
        QCOMPARE(view->imageCount(), 2);
        QVERIFY(same(view->model.current(), thresholdImage(half, 199, false)));
        QVERIFY(same(*view->model.image(0), half));
    }

    void thresholdOkRightAwayKeepsTheShownBorder()
    {
        ScriptedDialogs::Scope scope(answers);
        Image half(10, 10, 1, 1, 0.0);
        for (int y = 5; y < 10; ++y)
            for (int x = 0; x < 10; ++x) half(x, y) = 200.0;
        makeView(half);
        const Image border0 = thresholdImage(half, 0, false);
        bool previewShown = false;
        int coverageShown = -1;
        answers.execs.enqueue([&](QDialog *d) {
            previewShown = view->pixmap->toImage().convertToFormat(QImage::Format_RGB32) == toDisplayImage(border0);
            coverageShown = d->findChild<QLCDNumber *>()->intValue();
            d->findChild<QPushButton *>("okButton")->click();
            return d->result();
        });
        run(20);
        QVERIFY(previewShown);
        QCOMPARE(coverageShown, 50);
        QVERIFY(same(view->model.current(), border0));
        QVERIFY(same(*view->model.image(0), half));
    }

    void thresholdCancelAndFrameClose_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("count");
        QTest::newRow("cancel removes the working copy") << true << 1;
        QTest::newRow("frame close keeps it unthresholded") << false << 2;
    }
    void thresholdCancelAndFrameClose()
    {
        QFETCH(bool, cancel);
        QFETCH(int, count);
        ScriptedDialogs::Scope scope(answers);
        makeView(testImage());
        answers.execs.enqueue([cancel](QDialog *d) {
            d->findChild<QSpinBox *>()->setValue(100);
            if (cancel) d->findChild<QPushButton *>("cancelButton")->click();
            else d->close();
            return d->result();
        });
        run(20);
        QCOMPARE(answers.shown, QStringList{"exec|Threshold"});
        QCOMPARE(view->imageCount(), count);
        QVERIFY(same(view->model.current(), testImage()));
    }

    void skeletonizing()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(binaryImage());
        run(22);
        QVERIFY(same(view->model.current(), skeletonizeImage(binaryImage())));
        QCOMPARE(answers.shown, QStringList{"Filter applied|The image was thinned"});
    }

    void grayReport()
    {
        ScriptedDialogs::Scope scope(answers);
        Image in(4, 2, 1, 1, 0.0);
        for (int x = 0; x < 4; ++x) in(x, 1) = 2.0;
        makeView(in);
        run(26);
        QCOMPARE(view->imageCount(), 2);
        QCOMPARE(answers.shown.size(), 1);
        const QString &s = answers.shown[0];
        QVERIFY(s.startsWith("Graylevel image information|"));
        QVERIFY(s.contains("Image 3</h3>"));
        QVERIFY(s.contains("<b>Width:</b> 4 px<br><b>Height:</b> 2 px"));
        QVERIFY(s.contains("<b>Minimum value:</b> 0<br><b>Maximum value:</b> 2"));
        QVERIFY(s.contains("<b>Mean:</b> 1<br><b>Variance:</b> 1</p>"));
    }

    void binaryReportMeasuresThePreviewWhileHysteresisIsOpen()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(binaryImage());
        view->model.previewImage = Image(30, 20, 1, 1, 255.0);
        run(27);
        QVERIFY(answers.shown[0].contains("<b>Area:</b> 110 px"));
        QVERIFY(answers.shown[0].contains("White coverage: 18.3333 %"));
        QWidget dialog;
        view->hystDialog = &dialog;
        run(27);
        QVERIFY(answers.shown[1].startsWith("Binary image information|"));
        QVERIFY(answers.shown[1].contains("<b>Area:</b> 600 px<br><b>Length:</b> 600 px"));
        QVERIFY(answers.shown[1].contains("White coverage: 100 %"));
    }
};

QUENDRA_GUI_TEST_MAIN(BasicOpsTest)

#include "test_basicops.moc"
