// Windows that go away while something still refers to them: a document closed or deleted
// under its hysteresis dialog, the main window closed with several such dialogs open, the
// navigation dialog following a closed document, a paste into a closed document's number.
// Also hostile files opened from the window and degenerate images through the dispatcher.
// Run under the sanitizers, a dangling pointer here fails the test.
#include <QAction>
#include <QBuffer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "ops/table/operations.h"
#include <limits>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "document/imgnavdlg.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "view/hysttdialog.h"
#include "view/pixmapwidget.h"

class LifecycleTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;
    QTemporaryDir dir;

    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static void closeAll(MainWindow &w)
    {
        w.workspace->closeAllSubWindows();
        settle();
    }
    static QMdiSubWindow *windowOf(CImgDoc *doc) { return qobject_cast<QMdiSubWindow *>(doc->parentWidget()); }
    static QPushButton *button(QObject *dialog, const char *name)
    {
        auto *b = dialog->findChild<QPushButton *>(name);
        if (!b) qFatal("no %s in the dialog", name);
        return b;
    }
    // Opens the hysteresis dialog on doc (answering "Continue"), optionally after the pre-step.
    QPointer<HystTDialog> openHysteresis(MainWindow &w, CImgDoc *doc, bool preStep)
    {
        w.workspace->setActiveSubWindow(windowOf(doc));
        answers.answers.enqueue(0);
        w.applyOperation(OpCode::HystThres, false);
        QPointer<HystTDialog> dlg = qobject_cast<HystTDialog *>(doc->view->hystDialog.data());
        if (dlg && preStep) button(dlg, "calcthbtn")->click();
        return dlg;
    }

private slots:
    void init() { answers = ScriptedDialogs(); }

    void documentGoesWhileItsHysteresisDialogIsOpen_data()
    {
        QTest::addColumn<int>("stage");  // 0 just opened, 1 after the pre-step, 2 after a calculation
        QTest::addColumn<bool>("deleted");  // deleted outright instead of closed
        for (int stage = 0; stage < 3; ++stage) {
            QTest::addRow("closed/stage %d", stage) << stage << false;
            QTest::addRow("deleted/stage %d", stage) << stage << true;
        }
    }

    void documentGoesWhileItsHysteresisDialogIsOpen()
    {
        QFETCH(int, stage);
        QFETCH(bool, deleted);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *keep = openDocument(w, lineTestImage(30, 20));
        CImgDoc *doc = openDocument(w, lineTestImage(40, 30));
        QPointer<HystTDialog> dlg = openHysteresis(w, doc, stage >= 1);
        QVERIFY(dlg && dlg->isVisible());
        if (stage == 2) button(dlg, "calculateBtn")->click();
        QPointer<CImgDoc> gone = doc;
        if (deleted)
            delete windowOf(doc);
        else
            windowOf(doc)->close();
        settle();
        QVERIFY(!gone);
        // The dialog goes with its document: no window is left whose buttons reach a dead view.
        QVERIFY(!dlg);
        QCOMPARE(w.documents().size(), 1);
        QCOMPARE(keep->view->imageCount(), 1);
        closeAll(w);
    }

    void dialogButtonsAfterTheDocumentClosedReachNothing()
    {
        // Between the close and the deferred deletion the dialog can still be pressed.
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, lineTestImage(40, 30));
        QPointer<HystTDialog> dlg = openHysteresis(w, doc, true);
        QVERIFY(dlg);
        windowOf(doc)->close();
        if (dlg) {
            dlg->doCalculate();
            dlg->closeDialog();
        }
        settle();
        QVERIFY(!dlg);
        QVERIFY(w.documents().isEmpty());
    }

    void mainWindowClosesWithSeveralHysteresisDialogsOpen_data()
    {
        QTest::addColumn<bool>("viaCloseEvent");
        QTest::newRow("window closed") << true;
        QTest::newRow("window destroyed") << false;
    }

    void mainWindowClosesWithSeveralHysteresisDialogsOpen()
    {
        QFETCH(bool, viaCloseEvent);
        ScriptedDialogs::Scope scope(answers);
        QList<QPointer<HystTDialog>> dialogs;
        {
            auto *w = new MainWindow;
            for (int i = 0; i < 3; ++i) {
                CImgDoc *doc = openDocument(*w, lineTestImage(20 + i, 20));
                dialogs << openHysteresis(*w, doc, i > 0);
            }
            for (const auto &d : dialogs) QVERIFY(d && d->isVisible());
            if (viaCloseEvent) {
                answers.answers.enqueue(0);  // "Do you really want to close Quendra?" Yes
                QVERIFY(w->close());
                settle();
            }
            delete w;
        }
        settle();
        for (const auto &d : dialogs) QVERIFY(!d);
    }

    void navigationFollowsAClosedDocument()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *a = openDocument(w, lineTestImage(20, 10));
        CImgDoc *b = openDocument(w, lineTestImage(20, 10));
        w.workspace->setActiveSubWindow(windowOf(a));
        w.applyOperation(OpCode::Invert, false);  // a: two images
        ImgNavDlg *nav = w.imgNavDlg;
        nav->show();
        a->forwardCurrentIndex();
        QCOMPARE(nav->currentDoc.data(), a);
        QCOMPARE(nav->horizontalSlider->maximum(), 2);
        QPointer<CImgDoc> closed = a;
        windowOf(a)->close();
        settle();
        QVERIFY(!closed);
        QCOMPARE(nav->currentDoc.data(), b);  // it follows the document left active
        // Moving the slider reaches only that document, within its own range.
        nav->horizontalSlider->setSliderDown(true);
        nav->horizontalSlider->setSliderPosition(1);
        nav->horizontalSlider->setSliderDown(false);
        QCOMPARE(b->view->currentIndex(), 0);
        // It follows the next document that reports.
        b->forwardCurrentIndex();
        QCOMPARE(nav->currentDoc.data(), b);
        closeAll(w);
        QVERIFY(!nav->currentDoc);
    }

    void pasteIntoAClosedDocumentNumber()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *a = openDocument(w, lineTestImage(20, 10));
        CImgDoc *b = openDocument(w, lineTestImage(20, 10));
        const int closedNumber = b->imageNumber;
        QVERIFY(a->view->windowList.contains(closedNumber));
        windowOf(b)->close();
        settle();
        Image white(20, 10, 1, 1, kWhite);
        const Image before = a->view->model.current();
        // As the area tool does when its target list still names the closed document.
        emit a->view->addToImg(closedNumber, white);
        w.addToImgSlot(closedNumber + 100, white);
        QCOMPARE(a->view->model.current(), before);
        QCOMPARE(w.documents().size(), 1);
        // A live target still receives it.
        emit a->view->addToImg(a->imageNumber, white);
        QCOMPARE(a->view->model.current(), white);
        closeAll(w);
    }

    void hostileFilesOpenNoDocument_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("name");
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            QImage picture(32, 32, QImage::Format_RGB32);
            picture.fill(qRgb(90, 120, 30));
            picture.save(&buffer, "jpg");
        }
        QTest::newRow("empty png") << QByteArray() << "empty.png";
        QTest::newRow("truncated jpg") << png.left(png.size() / 2) << "cut.jpg";
        QTest::newRow("text as bmp") << QByteArray("not a picture") << "text.bmp";
        QTest::newRow("folder") << QByteArray() << "folder.tif";
        QTest::newRow("missing") << QByteArray() << "missing.png";
    }

    void hostileFilesOpenNoDocument()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, name);
        const QString path = dir.filePath(name);
        if (name.startsWith("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (!name.startsWith("missing")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(data);
        }
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        QVERIFY(!w.openFile(path));
        QVERIFY(w.documents().isEmpty());
        QCOMPARE(answers.shown.size(), 1);
        QVERIFY2(answers.shown[0].startsWith("Image not loaded|") && answers.shown[0].contains(name),
                 qPrintable(answers.shown[0]));
    }

    void degenerateImagesThroughTheDispatcher_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<Image>("input");
        Image nan(3, 3, 1, 1, 10.0);
        nan(1, 1) = std::numeric_limits<double>::quiet_NaN();
        nan(2, 0) = std::numeric_limits<double>::infinity();
        const Image one(1, 1, 1, 1, 255.0), line(50, 1, 1, 1, 0.0);
        for (const OpCode op : {OpCode::Invert, OpCode::Normalize, OpCode::Sqrt, OpCode::Log2, OpCode::Fft, OpCode::InvFft,
                                OpCode::Eigenv, OpCode::LaplEnh, OpCode::HessEnh, OpCode::HomoVes, OpCode::VesNonl,
                                OpCode::FuzzyClust, OpCode::Skeletonize, OpCode::ZhangSuen}) {
            const int code = int(op);
            QTest::addRow("%d/1x1", code) << code << one;
            QTest::addRow("%d/50x1", code) << code << line;
            QTest::addRow("%d/nan", code) << code << nan;
        }
    }

    // Every answer is the default (escape, cancel): each run ends with a result, a refusal
    // or a cancel, and the document stays consistent.
    void degenerateImagesThroughTheDispatcher()
    {
        QFETCH(int, code);
        QFETCH(Image, input);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, input);
        w.applyOperation(OpCode(code), false);
        settle();
        QCOMPARE(w.documents().size(), 1);
        const ImageModel &m = doc->view->model;
        QVERIFY(m.count() >= 1);
        QVERIFY(m.currentIndex >= 0 && m.currentIndex < m.count());
        QCOMPARE((*m.image(0)).width(), input.width());
        for (int i = 0; i < m.count(); ++i) QVERIFY(!(*m.image(i)).is_empty());
        QVERIFY(!doc->view->pixmap->isNull());
        if (answers.sawTitle("Operation failed")) QCOMPARE(m.count(), 1);
        closeAll(w);
    }
};

QUENDRA_GUI_TEST_MAIN(LifecycleTest)

#include "test_lifecycle.moc"
