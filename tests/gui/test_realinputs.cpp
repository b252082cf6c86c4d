// Opening real inputs in the window: a DICOM run is one document whose frames the navigation
// dialog pages through, the open dialog's colour channel is used and remembered, and the
// binary report gives millimetres from the file's own calibration, also in a clone, and
// measures a photograph's segmentation inside its field of view. A large photograph is
// decoded while the window goes on handling events.
#include <QApplication>
#include <QImageWriter>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include "app/appsettings.h"
#include "document/imgnavdlg.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/io/dicomio.h"
#include "ops/loadingfixtures.h"
#include "ops/table/operations.h"
#include "view/pixmapwidget.h"

class RealInputsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedDialogs answers;
    QString fixture(const QString &name) const { return dir.filePath(name); }

    // Writes picture as the PNG fixture name and opens it in w, shown.
    CImgDoc *openPicture(MainWindow &w, const QImage &picture, const QString &name)
    {
        const QString path = fixture(name);
        if (!QImageWriter(path, "png").write(picture)) return nullptr;
        w.show();
        return w.openFile(path);
    }

    // Opens path through the File menu's dialog, choosing channel (-1: the one offered).
    CImgDoc *openThroughDialog(MainWindow &w, const QString &path, int channel = -1)
    {
        answers.fileNames.enqueue(path);
        if (channel >= 0) answers.channels.enqueue(channel);
        const int before = w.documents().size();
        for (QAction *action : w.findChildren<QAction *>())
            if (action->text() == "&Open...") action->trigger();
        return w.documents().size() > before ? w.activeDocument() : nullptr;
    }

private slots:
    void initTestCase()
    {
        const QString problem = makeLoadingFixtures(dir.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void runOpensAsOneDocumentPagedByTheNavigationDialog()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        CImgDoc *doc = openThroughDialog(w, fixture("frames12-jpeg.dcm"));
        QVERIFY(doc);
        QCOMPARE(doc->view->imageCount(), 3);
        QCOMPARE(doc->view->frameCount, 3);
        QCOMPARE(doc->view->currentIndex(), 0);
        LoadResult expected = loadFixture(fixture("frames12.dcm"));
        const ImageList frames = expected.takeFrames();
        for (int f = 0; f < 3; ++f) QVERIFY((*doc->view->model.image(f)) == frames[f]);

        doc->forwardCurrentIndex();
        ImgNavDlg *nav = w.imgNavDlg;
        QCOMPARE(nav->windowTitle(), QString("Image navigation (1/3)"));
        QCOMPARE(nav->horizontalSlider->maximum(), 3);
        emit nav->horizontalSlider->sliderMoved(3);
        QCOMPARE(doc->view->currentIndex(), 2);
        QCOMPARE(nav->windowTitle(), QString("Image navigation (3/3)"));
        closeAll(w);
    }

    // A large photograph is decoded off the window's thread: its events go on meanwhile.
    void largePhotographOpensWhileTheWindowRuns()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QImage picture(3000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x * 7 % 251, y * 3 % 241, (x ^ y) & 255));
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(0);
        QVERIFY(openPicture(w, picture, "large.png"));
        QVERIFY(ticks > 0);
        closeAll(w);
    }

    void channelIsChosenAndRemembered()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        appSettings().setValue("channel", 0);
        CImgDoc *green = openThroughDialog(w, fixture("rgb8.dcm"), int(Channel::Green));
        QVERIFY(green);
        QCOMPARE(green->channel, Channel::Green);
        QCOMPARE(green->view->model.current()(3, 4), 4 * 20.0);  // green is y * 20
        QCOMPARE(storedChannel(), int(Channel::Green));
        // The next dialog offers green; the same file in gray is a document of its own.
        CImgDoc *gray = openThroughDialog(w, fixture("rgb8.dcm"), int(Channel::Gray));
        QCOMPARE(answers.offeredChannel, int(Channel::Green));
        QVERIFY(gray && gray != green);
        QCOMPARE(gray->view->model.current()(3, 4), double((11 * 48 + 16 * 80 + 5 * 100) / 32));
        QCOMPARE(openThroughDialog(w, fixture("rgb8.dcm")), nullptr);  // gray is open: activated
        QCOMPARE(w.activeDocument(), gray);
        appSettings().setValue("channel", 0);
        closeAll(w);
    }

    void binaryReportGivesMillimetresFromTheFile_data()
    {
        QTest::addColumn<int>("dotsPerMetre");
        QTest::addColumn<QString>("expected");  // in the report; empty: no millimetre section
        QTest::newRow("0.5 mm") << 2000 << "<b>Pixel size:</b> 0.5 mm (from the file's PNG pixel dimensions)<br>"
                                           "<b>Skeleton length:</b> 16 mm";
        QTest::newRow("uncalibrated") << 0 << QString();
    }

    void binaryReportGivesMillimetresFromTheFile()
    {
        QFETCH(int, dotsPerMetre);
        QFETCH(QString, expected);
        QImage cross(21, 21, QImage::Format_Grayscale8);
        cross.fill(0);
        for (int k = 2; k <= 18; ++k) cross.scanLine(10)[k] = cross.scanLine(k)[10] = 255;
        cross.setDotsPerMeterX(dotsPerMetre);
        cross.setDotsPerMeterY(dotsPerMetre);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openPicture(w, cross, QString("cross%1.png").arg(dotsPerMetre));
        QVERIFY(doc);
        // "New window when editing" clones the document; the clone keeps the calibration.
        setNewWindowWhenEditing(w, true);
        w.applyOperation(OpCode::Invert, false);
        w.applyOperation(OpCode::Invert, false);
        QVERIFY(w.activeDocument() != doc);
        for (CImgDoc *measured : {doc, w.activeDocument()}) {
            answers.shown.clear();
            measured->view->opBwStats();
            QCOMPARE(answers.shown.size(), 1);
            const QString &report = answers.shown[0];
            if (expected.isEmpty()) QVERIFY(!report.contains(" mm"));
            else QVERIFY2(report.contains(expected), qPrintable(report));
            QVERIFY(!report.contains("Inside the field of view"));  // a segmentation file has no surround
        }
        closeAll(w);
    }

    // A photograph's segmentation is also measured inside the field of view found on the
    // photograph: the 50 x 50 square a 60 x 60 photograph shows, less its one-pixel rim.
    void binaryReportMeasuresInsideTheFieldOfView()
    {
        QImage photo(60, 60, QImage::Format_Grayscale8);
        photo.fill(0);
        for (int y = 5; y < 55; ++y)
            for (int x = 5; x < 55; ++x) photo.scanLine(y)[x] = 120;
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openPicture(w, photo, "photo.png");
        QVERIFY(doc);
        Image vessels(60, 60, 1, 1, 0.0);
        for (int y = 20; y < 30; ++y)
            for (int x = 20; x < 30; ++x) vessels(x, y) = kWhite;
        doc->view->model.append(std::move(vessels));
        doc->view->model.currentIndex = 1;
        answers.shown.clear();
        doc->view->opBwStats();
        QCOMPARE(answers.shown.size(), 1);
        QVERIFY2(answers.shown[0].contains("Found on image 1: 2304 px") &&
                     answers.shown[0].contains("<b>Vessel area:</b> 100 px<br>White coverage of the field of view: 4.34028 %"),
                 qPrintable(answers.shown[0]));
        closeAll(w);
    }
};

QUENDRA_GUI_TEST_MAIN(RealInputsTest)
#include "test_realinputs.moc"
