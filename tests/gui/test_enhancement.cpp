// The enhancement operations through the main window's dispatcher: an image too small for
// them is refused, and the document stays as it was.
#include <QAction>
#include <QMdiArea>
#include <QtTest>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "view/pixmapwidget.h"

class EnhancementTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;

    static Image testImage(int w, int h)
    {
        Image img(w, h, 1, 1);
        cimg_forXY(img, x, y) img(x, y) = 127.0 + 100.0 * std::sin(0.4 * x) * std::cos(0.3 * y) + (x * y) % 7;
        return img;
    }

private slots:
    void init() { answers = ScriptedDialogs(); }

    void tooSmallImagesLeaveTheDocumentUnchanged_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("size");
        QTest::newRow("hessian") << 16 << "4 x 4";
        QTest::newRow("pyramid") << 15 << "8 x 8";
    }

    void tooSmallImagesLeaveTheDocumentUnchanged()
    {
        QFETCH(int, code);
        QFETCH(QString, size);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, testImage(3, 3));
        w.applyOperation(OpCode(code), false);
        QCOMPARE(doc->view->imageCount(), 1);
        QCOMPARE(doc->view->model.current(), testImage(3, 3));
        QVERIFY(answers.sawTitle("Operation failed"));
        QVERIFY(!answers.sawTitle("Filter applied"));
        bool named = false;
        for (const QString &s : answers.shown) named = named || s.contains(size);
        QVERIFY(named);
        closeAll(w);
    }
};

QUENDRA_GUI_TEST_MAIN(EnhancementTest)
#include "test_enhancement.moc"
