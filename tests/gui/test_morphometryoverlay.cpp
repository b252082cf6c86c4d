// "Morphometry overlay..." in the window: the choice goes through the dialog seam, the
// coloured picture opens in a window of its own over the segmented photograph, it can be
// saved, and the image list is only read.
#include <QTemporaryDir>
#include <QtTest>

#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/table/operations.h"
#include "view/overlayviewer.h"
#include "view/pixmapwidget.h"

namespace {

// A photograph-like gray picture and a horizontal bar 5 px wide as its segmentation, below
// the legend in the top-left corner.
ImageList photographAndBar()
{
    Image photo(260, 80, 1, 1), bar(260, 80, 1, 1, 0.0);
    cimg_forXY(photo, x, y) photo(x, y) = 60.0 + (x * 3 + y) % 50;
    for (int y = 60; y <= 64; ++y)
        for (int x = 10; x <= 250; ++x) bar(x, y) = kWhite;
    ImageList list;
    list.push_back(photo);
    list.push_back(bar);
    return list;
}

bool isGray(QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c); }

}  // namespace

class TestMorphometryOverlay : public QObject {
    Q_OBJECT
    ScriptedDialogs answers;

private slots:
    void init() { answers = ScriptedDialogs(); }

    void showsColouredSegmentsAndSaves_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::newRow("diameter") << "Mean diameter";
        QTest::newRow("tortuosity") << "Tortuosity";
    }

    void showsColouredSegmentsAndSaves()
    {
        QFETCH(QString, choice);
        ScriptedDialogs::Scope scope(answers);
        QTemporaryDir dir;
        MainWindow w;
        w.show();
        const ImageList list = photographAndBar();
        w.createNewWindow(list);
        CImgDoc *doc = w.activeDocument();
        answers.items.enqueue(choice);
        w.operationAction(OpCode::MorphometryOverlay)->trigger();

        auto *viewer = doc->view->findChild<OverlayViewer *>();
        QVERIFY(viewer);
        const QImage &picture = viewer->picture();
        QCOMPARE(picture.size(), QSize(260, 80));
        QVERIFY(!isGray(picture.pixel(130, 62)));                    // the centreline, coloured
        QCOMPARE(qRed(picture.pixel(130, 75)), 60 + (390 + 75) % 50);  // the photograph beneath
        QCOMPARE(doc->view->imageCount(), 2);
        QCOMPARE(*doc->view->model.currentImage(), list[1]);

        answers.fileNames.enqueue(dir.filePath("overlay"));
        answers.fileNames.enqueue(dir.filePath("missing/overlay.png"));
        viewer->savePicture();
        QCOMPARE(QImage(dir.filePath("overlay.png")).size(), QSize(260, 80));
        viewer->savePicture();
        QVERIFY(answers.shown.last().startsWith("Save picture|The picture could not be written"));
        closeAll(w);
    }

    void cancelShowsNothing()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, photographAndBar()[1]);
        w.operationAction(OpCode::MorphometryOverlay)->trigger();
        QVERIFY(!doc->view->findChild<OverlayViewer *>());
        QCOMPARE(doc->view->imageCount(), 1);
        closeAll(w);
    }
};

QUENDRA_GUI_TEST_MAIN(TestMorphometryOverlay)

#include "test_morphometryoverlay.moc"
