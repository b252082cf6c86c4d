// The vessel stenosis window driven by real clicks: the figures equal the core's, the ends
// move, and a catheter calibration stays with the document and its clones.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/angiophantoms.h"
#include "ops/table/operations.h"
#include "view/pixmapwidget.h"
#include "view/stenosiswindow.h"

namespace {

// Clicks the window's canvas at coordinates p of an image `width` pixels wide.
void clickImage(StenosisWindow *window, int width, PathPoint p)
{
    auto *canvas = window->findChild<QWidget *>("canvas");
    const double scale = double(canvas->width()) / width;
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(int((p.x + 0.5) * scale), int((p.y + 0.5) * scale)));
}

}  // namespace

class TestStenosisWindow : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;

private slots:
    void measuresCalibratesAndKeepsTheCalibration()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        setNewWindowWhenEditing(w, true);
        phantoms::Tube tube;
        tube.diameterMm = 2.0, tube.stenosis = 0.5;
        const auto a = phantoms::make(tube);
        ImageList list;
        list.push_back(a.image);
        list.push_back(a.segmentation);
        w.createNewWindow(list);
        CImgDoc *doc = w.activeDocument();
        w.operationAction(OpCode::VesselStenosis)->trigger();
        auto *window = doc->view->findChild<StenosisWindow *>();
        QVERIFY(window);
        QCOMPARE(doc->view->imageCount(), 2);

        // Whole-pixel points, so the clicks land exactly on them.
        const PathPoint from{std::round(a.from.x), std::round(a.from.y)}, to{std::round(a.to.x), std::round(a.to.y)};
        const int width = a.image.width();
        clickImage(window, width, from);
        clickImage(window, width, to);
        const VesselMeasurement direct = measureVessel(a.segmentation, &a.image, from, to, DiameterSource::GrayLevels);
        QVERIFY2(window->measurement().ok(), qPrintable(window->measurement().error));
        QCOMPARE(window->measurement().figures.percentDiameter, direct.figures.percentDiameter);
        QVERIFY(window->figures->text().contains(QString::number(direct.figures.percentDiameter, 'f', 1)));

        // A click near the distal end moves that end; the proximal one stays.
        const PathPoint nearer{to.x - 10, to.y};
        clickImage(window, width, nearer);
        QVERIFY(window->measurement().profile.samples.back().arc < direct.profile.samples.back().arc - 5);
        QCOMPARE(window->measurement().path.pixels.front(), direct.path.pixels.front());

        // The healthy stretch before the narrowing is 2 mm wide, as a 6F catheter.
        window->catheterSize->setText("6F");
        QTest::mouseClick(window->catheterButton, Qt::LeftButton);
        clickImage(window, width, {12, from.y});
        clickImage(window, width, {40, from.y});
        QCOMPARE(doc->view->calibration.source, CalibrationSource::Catheter);
        QVERIFY(std::abs(doc->view->calibration.pixelSizeMm - 0.2) < 0.006);
        QVERIFY(window->figures->text().contains("mm"));

        // An edit in a new window clones the document with its calibration.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(doc->parentWidget()));
        QCOMPARE(w.activeDocument(), doc);
        w.operationAction(OpCode::Invert)->trigger();
        CImgDoc *clone = w.activeDocument();
        QVERIFY(clone != doc);
        QCOMPARE(clone->view->calibration.pixelSizeMm, doc->view->calibration.pixelSizeMm);
    }

    // A gray image is not a segmentation: the window says so and opens nothing.
    void refusesAGrayImage()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        CImgDoc *doc = openDocument(w, lineTestImage(30, 20));
        w.operationAction(OpCode::VesselStenosis)->trigger();
        QVERIFY(!doc->view->findChild<StenosisWindow *>());
        QVERIFY(answers.shown.join('\n').contains("must be a segmentation"));
    }
};

QUENDRA_GUI_TEST_MAIN(TestStenosisWindow)
#include "test_stenosiswindow.moc"
