// Paging and playing a run in the navigation dialog through real key and mouse events.
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "document/imgnavdlg.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "view/pixmapwidget.h"

namespace {

ImageList run(int frames)
{
    ImageList list;
    for (int i = 0; i < frames; ++i) list.push_back(Image(16, 12, 1, 1, 20.0 * i));
    return list;
}

}  // namespace

class TestRuns : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;

private slots:
    void pagingByKeysAndClicks_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("index");
        QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << 1;
        QTest::newRow("page down twice, page up") << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp} << 1;
        QTest::newRow("end") << QList<int>{Qt::Key_End} << 4;
        QTest::newRow("end, home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 0;
        QTest::newRow("page up at the first") << QList<int>{Qt::Key_PageUp} << 0;
    }
    void pagingByKeysAndClicks()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, index);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(run(5));
        CImgDoc *doc = w.activeDocument();
        doc->view->setImage(0);
        doc->forwardCurrentIndex();
        ImgNavDlg *nav = w.imgNavDlg;
        nav->show();
        for (int key : keys) QTest::keyClick(nav->horizontalSlider, Qt::Key(key));
        QCOMPARE(doc->view->currentIndex(), index);
        QCOMPARE(nav->windowTitle(), QString("Image navigation (%1/5)").arg(index + 1));

        // A click in the groove beside the handle pages one image on.
        const QSlider *s = nav->horizontalSlider;
        QTest::mouseClick(nav->horizontalSlider, Qt::LeftButton, {}, QPoint(s->width() - 3, s->height() / 2));
        QCOMPARE(doc->view->currentIndex(), std::min(index + 1, 4));
    }

    // Play shows the frames in turn at the run's frame time, from the last back to the first.
    void playsAndStops()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(run(3));
        CImgDoc *doc = w.activeDocument();
        doc->view->frameTimeMs = 5;
        doc->view->setImage(1);
        doc->forwardCurrentIndex();
        ImgNavDlg *nav = w.imgNavDlg;
        nav->show();
        QTest::mouseClick(nav->playButton, Qt::LeftButton);
        QCOMPARE(nav->playTimer->interval(), 5);
        QTRY_COMPARE(doc->view->currentIndex(), 2);
        QTRY_COMPARE(doc->view->currentIndex(), 0);
        QCOMPARE(nav->playButton->text(), QString("Stop"));
        QTest::mouseClick(nav->playButton, Qt::LeftButton);
        QVERIFY(!nav->playTimer->isActive());
        const int stoppedAt = doc->view->currentIndex();
        QTest::qWait(30);
        QCOMPARE(doc->view->currentIndex(), stoppedAt);

        // Without a frame time in the file a run plays at 15 frames per second.
        doc->view->frameTimeMs = 0;
        QTest::mouseClick(nav->playButton, Qt::LeftButton);
        QCOMPARE(nav->playTimer->interval(), 67);
    }
};

QUENDRA_GUI_TEST_MAIN(TestRuns)
#include "test_runs.moc"
