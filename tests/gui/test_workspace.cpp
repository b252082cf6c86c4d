// The workspace as the user meets it: the exit question while another window is active, the
// navigation dialog and the selection actions following the document the user works in,
// scroll bars after tiling, and windows that open, tile and cascade at a usable size.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QtTest>

#include "ops/table/operations.h"

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "document/imgnavdlg.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "view/pixmapwidget.h"

class WorkspaceTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;

    static QMdiSubWindow *windowOf(CImgDoc *doc) { return qobject_cast<QMdiSubWindow *>(doc->parentWidget()); }
    static ImageList listOf(int count, int w = 40, int h = 30)
    {
        ImageList list;
        for (int i = 0; i < count; ++i) list.push_back(Image(w, h, 1, 1, 20.0 * i));
        return list;
    }
    // Shows w, active, with "New window when editing" off.
    static void showActive(MainWindow &w)
    {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (QAction *a : w.findChildren<QAction *>())
            if (a->isCheckable() && a->text() == "New window when editing") a->setChecked(false);
    }
    static CImgDoc *open(MainWindow &w, const ImageList &list)
    {
        w.createNewWindow(list);
        QCoreApplication::processEvents();
        return w.activeDocument();
    }
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Drags the slider's handle with the mouse to its left (toMaximum false) or right end.
    static void dragSlider(QSlider *slider, bool toMaximum)
    {
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = option.sliderValue = slider->value();
        const QRect handle =
            slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
        const QPoint end(toMaximum ? slider->width() + 50 : -50, handle.center().y());
        QTest::mousePress(slider, Qt::LeftButton, {}, handle.center());
        QMouseEvent move(QEvent::MouseMove, end, slider->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(slider, &move);
        QTest::mouseRelease(slider, Qt::LeftButton, {}, end);
    }
    // The selection action that is checked ("" for none).
    static QString checkedSelection(MainWindow &w)
    {
        QString checked;
        for (const OpCode op : {OpCode::SelectRect, OpCode::SelectEllipse, OpCode::SelectArea, OpCode::SelectPoly})
            if (w.operationAction(op)->isChecked()) checked += w.operationAction(op)->text();
        return checked;
    }

private slots:
    void init() { answers = ScriptedDialogs(); }

    // Closing asks whenever a document is open, also while another program is active and the
    // workspace therefore has no active sub-window.
    void exitQuestionWhileAnotherProgramIsActive_data()
    {
        QTest::addColumn<bool>("otherActive");
        QTest::addColumn<int>("answer");
        QTest::newRow("main window active, No") << false << 1;
        QTest::newRow("other program active, No") << true << 1;
        QTest::newRow("other program active, Yes") << true << 0;
    }
    void exitQuestionWhileAnotherProgramIsActive()
    {
        QFETCH(bool, otherActive);
        QFETCH(int, answer);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        showActive(w);
        open(w, listOf(1));
        if (otherActive) {
            // What the window system sends when the user switches to another program.
            QEvent away(QEvent::ApplicationDeactivate);
            QCoreApplication::sendEvent(qApp, &away);
            QVERIFY(!w.workspace->activeSubWindow());
        }
        answers.answers.enqueue(answer);
        QCOMPARE(w.close(), answer == 0);
        QCOMPARE(answers.shown, QStringList{"Question|Do you really want to close Quendra?"});
        settle();
        QCOMPARE(w.documents().size(), answer == 0 ? 0 : 1);
    }

    // Switching documents by a click into the image or by the workspace's own activation
    // re-targets the navigation dialog and sets the selection actions from the new document.
    void navigationAndSelectionFollowActivation_data()
    {
        QTest::addColumn<bool>("byClick");
        QTest::newRow("click into the image") << true;
        QTest::newRow("next window") << false;
    }
    void navigationAndSelectionFollowActivation()
    {
        QFETCH(bool, byClick);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        showActive(w);
        CImgDoc *b = open(w, listOf(2));
        CImgDoc *a = open(w, listOf(4));
        w.operationAction(OpCode::SelectRect)->trigger();  // "Select rectangle" on a: a working copy, state 1
        QCOMPARE(a->view->state, 1);
        ImgNavDlg *nav = w.imgNavDlg;
        nav->show();
        QCOMPARE(nav->windowTitle(), QString("Image navigation (5/5)"));

        if (byClick)
            QTest::mouseClick(b->view, Qt::LeftButton, {}, QPoint(5, 5));
        else
            w.workspace->activateNextSubWindow();
        QCOMPARE(w.activeDocument(), b);
        QCOMPARE(nav->currentDoc.data(), b);
        QCOMPARE(nav->windowTitle(), QString("Image navigation (2/2)"));
        QCOMPARE(checkedSelection(w), QString());
        dragSlider(nav->horizontalSlider, false);  // pages b only
        QCOMPARE(b->view->currentIndex(), 0);
        QCOMPARE(a->view->currentIndex(), 4);

        w.workspace->activatePreviousSubWindow();
        QCOMPARE(nav->currentDoc.data(), a);
        QCOMPARE(checkedSelection(w), QString("Select rectangle"));
        dragSlider(nav->horizontalSlider, false);
        QCOMPARE(a->view->currentIndex(), 0);
        QCOMPARE(b->view->currentIndex(), 0);
    }

    // After an edit of the list or the closing of its document the dialog shows what is left.
    void navigationAfterListEditsAndClosing_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("title");
        QTest::newRow("delete image") << "delete" << "Image navigation (2/2)";
        QTest::newRow("selection tool's working copy") << "select" << "Image navigation (4/4)";
        QTest::newRow("its document closes, another stays") << "close" << "Image navigation (1/1)";
        QTest::newRow("the last document closes") << "closeAll" << "Image navigation";
    }
    void navigationAfterListEditsAndClosing()
    {
        QFETCH(QString, edit);
        QFETCH(QString, title);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        showActive(w);
        CImgDoc *other = open(w, listOf(1));
        CImgDoc *doc = open(w, listOf(3));
        ImgNavDlg *nav = w.imgNavDlg;
        QCOMPARE(nav->windowTitle(), QString("Image navigation (3/3)"));
        if (edit == "delete") {
            answers.answers.enqueue(0);  // "Yes"
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), doc->view->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(doc->view, &click);
            auto *menu = doc->view->findChild<QMenu *>();
            QVERIFY(menu && menu->isVisible());
            for (QAction *a : menu->actions())
                if (a->text() == "Delete image") a->trigger();
            QCOMPARE(doc->view->imageCount(), 2);
            QCOMPARE(nav->windowTitle(), title);  // before the closing menu gives the focus back
            menu->close();
        } else if (edit == "select") {
            w.operationAction(OpCode::SelectEllipse)->trigger();
        } else if (edit == "close") {
            windowOf(doc)->close();
        } else {
            w.workspace->closeAllSubWindows();
        }
        settle();
        QCOMPARE(nav->windowTitle(), title);
        if (edit == "close") QCOMPARE(nav->currentDoc.data(), other);
        if (edit == "closeAll") {
            QVERIFY(!nav->currentDoc);
            QCOMPARE(nav->horizontalSlider->maximum(), 0);
        }
    }

    // A tiled window shows scroll bars at once when its image is larger than the window.
    void scrollBarsAfterTiling_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("larger than the tiles") << QSize(400, 300) << true;
        QTest::newRow("smaller than the tiles") << QSize(30, 20) << false;
    }
    void scrollBarsAfterTiling()
    {
        QFETCH(QSize, image);
        QFETCH(bool, scrolls);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        showActive(w);
        for (int i = 0; i < 4; ++i) open(w, listOf(1, image.width(), image.height()));
        w.workspace->tileSubWindows();
        settle();
        for (CImgDoc *doc : w.documents()) {
            QCOMPARE(doc->horizontalScrollBar()->isVisible(), scrolls);
            QCOMPARE(doc->verticalScrollBar()->isVisible(), scrolls);
            QCOMPARE(doc->horizontalScrollBar()->maximum() > 0, scrolls);
        }
    }

    // New windows, and windows after "Cascade", lie inside the workspace's visible area at a
    // usable size: a window shows all of an image that fits (a 1 x 1 one with the whole title
    // bar and its buttons), and at least half the area of one that does not.
    void windowsStayInsideAtAUsableSize_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<int>("count");
        QTest::newRow("1 x 1") << QSize(1, 1) << 2;
        QTest::newRow("many small ones") << QSize(120, 90) << 12;
        QTest::newRow("larger than the workspace") << QSize(900, 700) << 3;
    }
    void windowsStayInsideAtAUsableSize()
    {
        QFETCH(QSize, image);
        QFETCH(int, count);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        showActive(w);
        const QSize area = w.workspace->viewport()->size();
        const bool fits = image.width() < area.width() / 2 && image.height() < area.height() / 2;
        const auto check = [&](const char *when) {
            for (CImgDoc *doc : w.documents()) {
                QMdiSubWindow *window = windowOf(doc);
                QVERIFY2(w.workspace->viewport()->rect().contains(window->geometry()), when);
                QVERIFY2(window->width() >= window->minimumSizeHint().width(), when);
                QVERIFY2(window->height() >= window->minimumSizeHint().height(), when);
                if (fits) {
                    QVERIFY2(doc->width() >= image.width() + 10 && doc->height() >= image.height() + 10, when);
                    QCOMPARE(doc->horizontalScrollBar()->maximum(), 0);
                    QCOMPARE(doc->verticalScrollBar()->maximum(), 0);
                } else {
                    QVERIFY2(window->width() >= area.width() / 2 && window->height() >= area.height() / 2, when);
                }
            }
        };
        for (int i = 0; i < count; ++i) open(w, listOf(1, image.width(), image.height()));
        check("opened");
        for (QAction *a : w.findChildren<QAction *>())
            if (a->text() == "&Cascade") a->trigger();
        settle();
        check("cascaded");
    }
};

QUENDRA_GUI_TEST_MAIN(WorkspaceTest)

#include "test_workspace.moc"
