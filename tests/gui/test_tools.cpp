// The view's mouse and keyboard tools: selections, the area tool and the erase mode.
#include <QtTest>

#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/io/display.h"
#include "view/pixmapwidget.h"

namespace {

ImageList listOf(std::initializer_list<Image> images)
{
    ImageList list;
    for (const Image &i : images) list.push_back(i);
    return list;
}

}  // namespace

class ToolsTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;
    std::unique_ptr<PixmapWidget> view;
    QList<ImageList> newWindows;

    // A view exactly as large as its 40 x 30 pixmap, so image and view positions agree.
    void makeView(const ImageList &list)
    {
        view = std::make_unique<PixmapWidget>(list, 2, nullptr);
        view->resize(view->pixmap->size());
        view->show();
        view->grab();  // paints once: centring offsets are 0
        newWindows.clear();
        connect(view.get(), &PixmapWidget::doCreateNewWindow, this, [this](ImageList l) { newWindows << l; });
    }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(pos), view->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view.get(), &event);
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, from, button, button);
        send(QEvent::MouseMove, to, Qt::NoButton, button);
        send(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonPress, at, button, button);
        send(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    void key(int k)
    {
        QKeyEvent event(QEvent::KeyRelease, k, Qt::NoModifier);
        view->keyReleaseEvent(&event);
    }
    static Image ramp()
    {
        Image image(40, 30, 1, 1, 0.0);
        cimg_forXY(image, x, y) image(x, y) = x + 100 * (y % 2);
        return image;
    }

private slots:
    void init() { answers = ScriptedDialogs(); }
    void cleanup() { view.reset(); }

    void rectangleAndEllipseAreas_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("area");
        QTest::newRow("rectangle") << 1 << 50;
        QTest::newRow("ellipse") << 4 << 39;  // 10 * 3.1415 * 5 * 0.25, truncated
    }
    void rectangleAndEllipseAreas()
    {
        QFETCH(int, mode);
        QFETCH(int, area);
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({ramp()}));
        QSignalSpy states(view.get(), &PixmapWidget::sendState);
        view->setSelectionMode(tool::State(mode));
        answers.answers.enqueue(1);  // "No"
        drag({10, 10}, {19, 14});
        QVERIFY(answers.sawTitle("Selection"));
        QCOMPARE(view->state, mode);
        QCOMPARE(view->selectionArea, area);
        QCOMPARE(view->selectionRect, QRect(QPoint(10, 10), QPoint(19, 14)));
        QCOMPARE(states.last().at(0).toInt(), mode);
        QVERIFY(newWindows.isEmpty());
        // On a white image the white share is 100 %, not white count over the area estimate.
        view->model.current().fill(kWhite);
        view->countSelectedWhite();
        QVERIFY(view->shapePixels > 0);
        QCOMPARE(view->whiteCount, view->shapePixels);
    }

    void yesCutsTheSourceAndDropsTheWorkingCopy()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({ramp(), Image(40, 30, 1, 1, 7.0)}));  // [A, A'] with A' current
        view->setSelectionMode(tool::Rectangle);
        answers.answers.enqueue(0);
        drag({10, 10}, {19, 14});
        QCOMPARE(view->imageCount(), 1);
        QCOMPARE(view->currentIndex(), 0);
        QCOMPARE(newWindows.size(), 1);
        QCOMPARE(newWindows[0].size(), 1u);
        QCOMPARE(newWindows[0][0].width(), 10);
        QCOMPARE(newWindows[0][0].height(), 5);
        QCOMPARE(newWindows[0][0](0, 0), 10.0);
    }

    void movingARectangleKeepsItsSize()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({ramp()}));
        view->setSelectionMode(tool::Rectangle);
        answers.answers.enqueue(1);
        drag({10, 10}, {19, 14});
        answers.shown.clear();
        drag({12, 12}, {39, 12});  // far right: x2 ends at width - 2
        QVERIFY(answers.shown.isEmpty());  // moving asks nothing
        QCOMPARE(view->state, 1);
        QCOMPARE(view->selectionRect.right(), 38);
        QCOMPARE(view->selectionRect.width(), 10);
    }

    void spaceCutsEveryImageAndKeepsTheList()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({ramp(), ramp(), ramp()}));
        view->setSelectionMode(tool::Ellipse);
        answers.answers.enqueue(1);
        drag({0, 0}, {9, 9});
        key(Qt::Key_Space);
        QCOMPARE(newWindows.size(), 1);
        QCOMPARE(newWindows[0].size(), 3u);
        QCOMPARE(view->imageCount(), 3);
        // The ellipse mask blacks out the corners and keeps the centre.
        QCOMPARE(newWindows[0][0](0, 0), 0.0);
        QCOMPARE(newWindows[0][0](5, 5), ramp()(6, 6));  // the press corner is at least (1, 1)
    }

    void selectionsReachingOutsideAreClipped()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({ramp()}));
        const ImageList pieces = view->extractSelection(-5, 25, 3, 40, 1);
        QCOMPARE(pieces.size(), 1u);
        QCOMPARE(pieces[0].width(), 4);
        QCOMPARE(pieces[0].height(), 5);
        QCOMPARE(pieces[0](3, 0), ramp()(3, 25));
        QCOMPARE(view->extractSelection(50, 50, 60, 60, 1).size(), 0u);
        QCOMPARE(view->extractSelection(-9, -9, 3, 3, 4)[0].width(), 4);
    }

    void polygonClosesWithTheRightButton()
    {
        ScriptedDialogs::Scope scope(answers);
        Image image(40, 30, 1, 1, 255.0);
        makeView(listOf({image}));
        view->setSelectionMode(tool::Polygon);
        click({5, 5});
        click({25, 5});
        click({25, 20});
        QVERIFY(!view->polygonClosed);
        click({5, 20}, Qt::RightButton);
        QVERIFY(view->polygonClosed);
        QCOMPARE(view->polygon.size(), 4);
        QVERIFY(view->selectionArea > 0);
        QCOMPARE(view->selectionArea, 20 * 15);  // right and bottom edges lie outside
        QCOMPARE(view->whiteCount, view->selectionArea);
        key(Qt::Key_Space);
        QCOMPARE(newWindows.size(), 1);
        const Image piece = newWindows[0][0];
        QCOMPARE(piece.width(), 21);
        QCOMPARE(piece(19, 14), 255.0);
        QCOMPARE(piece(20, 14) + piece(19, 15), 0.0);
        click({1, 1});  // a new polygon starts with this click
        QVERIFY(!view->polygonClosed);
        QCOMPARE(view->polygon.size(), 1);
    }

    void areaToolTogglesRegionsAndRespectsStrokes()
    {
        ScriptedDialogs::Scope scope(answers);
        Image image(40, 30, 1, 1, 0.0);
        image.draw_rectangle(5, 5, 20, 15, &kWhite);
        makeView(listOf({image}));
        view->setSelectionMode(tool::Area);
        click({8, 8});
        QCOMPARE(view->areaPoints.size(), 16 * 11 + 1);
        QCOMPARE(view->grab().toImage().pixel(8, 8), qRgb(0, 230, 0));
        click({8, 8});  // the same region again: deselected
        QVERIFY(view->areaPoints.isEmpty());
        // A right-button stroke across the blob separates its halves.
        drag({12, 2}, {12, 25}, Qt::RightButton);
        click({8, 8});
        QVERIFY(!view->areaPoints.isEmpty());
        for (const PointRecord &p : view->areaPoints) QVERIFY(p.x < 12);
    }

    // What the user leaves behind in the area tool: marks and strokes are shown over the
    // image, never written into what is saved, and go when the selection ends.
    void areaMarksAndStrokesStayOutOfTheImage_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("marksShown");
        QTest::newRow("picked") << "" << true;
        QTest::newRow("deselected") << "click" << false;
        QTest::newRow("copied") << "space" << false;
        QTest::newRow("blackout cancelled") << "delete" << false;
    }
    void areaMarksAndStrokesStayOutOfTheImage()
    {
        QFETCH(QString, then);
        QFETCH(bool, marksShown);
        ScriptedDialogs::Scope scope(answers);
        Image image(40, 30, 1, 1, 0.0);
        image.draw_rectangle(5, 5, 20, 15, &kWhite);
        makeView(listOf({image}));
        view->setSelectionMode(tool::Area);
        drag({12, 2}, {12, 25}, Qt::RightButton);
        click({8, 8});
        QVERIFY(!view->areaPoints.isEmpty());
        answers.items.enqueue("New window");
        answers.answers.enqueue(2);  // Cancel the blackout
        if (then == "click") click({8, 8});
        if (then == "space") key(Qt::Key_Space);
        if (then == "delete") key(Qt::Key_Delete);

        const QImage rendering = toDisplayImage(image);
        QCOMPARE(view->pixmap->toImage().convertToFormat(QImage::Format_RGB32), rendering);
        QTemporaryDir dir;
        QVERIFY(view->saveImage(dir.filePath("out"), "png"));
        QCOMPARE(QImage(dir.filePath("out.png")).convertToFormat(QImage::Format_RGB32), rendering);
        const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(8, 8) == qRgb(0, 230, 0), marksShown);
        if (then.isEmpty() || then == "click") QCOMPARE(shown.pixel(12, 10), qRgb(0, 0, 0));  // the stroke
        if (then == "space" || then == "delete") QCOMPARE(shown, rendering);  // the strokes went too
        if (then == "space") QCOMPARE(newWindows.value(0).at(0)(8, 8), 255.0);
    }

    // A click without a drag, or a copy with nothing picked, asks nothing and changes nothing.
    void inputThatSelectsNothingDoesNothing_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("space");
        QTest::newRow("rectangle click") << 1 << false;
        QTest::newRow("ellipse click") << 4 << false;
        QTest::newRow("area space") << 7 << true;
    }
    void inputThatSelectsNothingDoesNothing()
    {
        QFETCH(int, mode);
        QFETCH(bool, space);
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({ramp(), ramp()}));
        QSignalSpy pasted(view.get(), &PixmapWidget::addToImg);
        view->setSelectionMode(tool::State(mode));
        answers.items.enqueue("New window");
        const QRect before = view->selectionRect;
        if (space)
            key(Qt::Key_Space);
        else
            click({25, 20});
        QVERIFY2(answers.shown.isEmpty(), qPrintable(answers.shown.join(";")));
        QVERIFY(newWindows.isEmpty());
        QCOMPARE(pasted.count(), 0);
        QCOMPARE(view->state, mode);
        QCOMPARE(view->selectionRect, before);
        QCOMPARE(view->imageCount(), 2);
    }

    void areaCopyOffersTheOtherWindows()
    {
        ScriptedDialogs::Scope scope(answers);
        Image image(40, 30, 1, 1, 0.0);
        image.draw_rectangle(5, 5, 9, 9, &kWhite);
        makeView(listOf({image}));
        view->windowList = {1, 2, 3};
        QSignalSpy pasted(view.get(), &PixmapWidget::addToImg);
        view->setSelectionMode(tool::Area);
        click({6, 6});
        answers.items.enqueue("Image 3");
        key(Qt::Key_Space);
        QVERIFY(answers.shown.contains("Choose window|New window,Image 1,Image 3"));
        QCOMPARE(pasted.count(), 1);
        QCOMPARE(pasted.first().at(0).toInt(), 3);
        QCOMPARE(pasted.first().at(1).value<Image>()(6, 6), 255.0);
        QVERIFY(view->areaPoints.isEmpty());
    }

    void areaDeleteAnswers()
    {
        ScriptedDialogs::Scope scope(answers);
        Image image(40, 30, 1, 1, 0.0);
        image.draw_rectangle(5, 5, 9, 9, &kWhite);
        makeView(listOf({image}));
        view->setSelectionMode(tool::Area);
        click({6, 6});
        answers.answers.enqueue(2);  // Cancel: only the marks go
        key(Qt::Key_Delete);
        QCOMPARE(view->model.current()(6, 6), 255.0);
        QVERIFY(view->areaPoints.isEmpty());
        click({6, 6});
        answers.answers.enqueue(0);  // Yes: a blacked-out copy opens, the image stays
        key(Qt::Key_Delete);
        QCOMPARE(newWindows.size(), 1);
        QCOMPARE(newWindows[0][0](6, 6), 0.0);
        QCOMPARE(newWindows[0][0].sum(), 0.0);
        QCOMPARE(view->model.current()(6, 6), 255.0);
        click({6, 6});
        answers.answers.enqueue(1);  // No: the current image is blacked out
        key(Qt::Key_Delete);
        QCOMPARE(view->model.current()(6, 6), 0.0);
        QCOMPARE(view->imageCount(), 1);
    }

    void eraseModeWritesStrokesOnSpace()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({Image(40, 30, 1, 1, 200.0)}));
        view->startErase();
        QCOMPARE(view->state, 8);
        QVERIFY(answers.sawTitle("Erase"));
        drag({5, 10}, {30, 10});
        QCOMPARE(view->model.current()(15, 10), 200.0);  // only the pixmap until space
        key(Qt::Key_Space);
        QCOMPARE(view->state, 0);
        QCOMPARE(view->model.current()(15, 10), 0.0);
        QCOMPARE(view->model.current()(15, 20), 200.0);
    }

    void contextMenuEntriesFollowTheList()
    {
        ScriptedDialogs::Scope scope(answers);
        makeView(listOf({ramp()}));
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(1, 1), view->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(view.get(), &event);
        const QList<QAction *> actions = view->findChildren<QAction *>();
        for (QAction *a : actions)
            if (QStringList({"Previous image", "Next image", "Delete image"}).contains(a->text()))
                QVERIFY(!a->isEnabled());
    }
};

QUENDRA_GUI_TEST_MAIN(ToolsTest)
#include "test_tools.moc"
