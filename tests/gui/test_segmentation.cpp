// Hysteresis thresholding and fuzzy clustering through the main window's dispatcher: the
// question, the non-modal dialog with its couplings, what its closing paths keep, the
// binary report's link, and the fuzzy clustering's list growth.
#include <QAction>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QMdiArea>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include "ops/table/operations.h"
#include "ops/table/runs.h"

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/segmentation/fuzzy.h"
#include "ops/segmentation/hysteresis.h"
#include "ops/core/progress.h"
#include "view/hysttdialog.h"
#include "view/pixmapwidget.h"

// Counts the paints of a view made while its progress dialog of a given title is up.
class PaintsUnderProgress : public QObject {
public:
    PaintsUnderProgress(QWidget *view, const QString &title) : view_(view), title_(title) { view->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            for (QProgressDialog *p : view_->findChildren<QProgressDialog *>())
                if (p->isVisible() && p->windowTitle() == title_) {
                    ++count;
                    break;
                }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *view_;
    QString title_;
};

class SegmentationTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;

    template <class T>
    static T *child(QObject *dialog, const char *name)
    {
        T *widget = dialog->findChild<T *>(name);
        if (!widget) qFatal("no %s in the dialog", name);
        return widget;
    }
    static HystTDialog *dialogOf(CImgDoc *doc) { return qobject_cast<HystTDialog *>(doc->view->hystDialog.data()); }
    // Opens the hysteresis dialog on doc, answering "Continue".
    HystTDialog *openHysteresis(MainWindow &w, CImgDoc *doc)
    {
        answers.answers.enqueue(0);
        w.applyOperation(OpCode::HystThres, false);
        return dialogOf(doc);
    }
    static void drag(QSlider *slider, int value)
    {
        slider->setSliderDown(true);
        slider->setSliderPosition(value);  // emits sliderMoved while down
        slider->setSliderDown(false);      // emits sliderReleased
    }

private slots:
    void init() { answers = ScriptedDialogs(); }

    void cancelKeepsOnlyTheWorkingCopy()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, lineTestImage(40, 30));
        answers.answers.enqueue(1);
        w.applyOperation(OpCode::HystThres, false);
        QVERIFY(answers.shown.contains("Question|The vessels have to be white in order to work well with the algorithm."));
        QVERIFY(!doc->view->hystDialog);
        QCOMPARE(doc->view->imageCount(), 2);
        closeAll(w);
    }

    void dialogTextsAndStartState()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, lineTestImage(40, 30));
        HystTDialog *dlg = openHysteresis(w, doc);
        QVERIFY(dlg);
        QVERIFY(!dlg->isModal());
        QVERIFY(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(dlg->windowTitle(), QString("Vessel Segmentation, Hysteresis Thresholding"));
        QObject *ui = dlg;
        QCOMPARE(child<QLabel>(ui, "referenceLabel")->text(), QString("<b>Reference image: %1</b>").arg(doc->view->imageNumber));
        QCOMPARE(child<QPushButton>(ui, "calcthbtn")->text(), QString("Calcluate vessel enhancement"));
        QCOMPARE(child<QRadioButton>(ui, "radioButton")->text(), QString("Retina image: Vessel  coverge 6%, Background coverage 87%"));
        QVERIFY(child<QGroupBox>(ui, "tophatBox")->isEnabled());
        QVERIFY(!child<QGroupBox>(ui, "thresholdBox")->isEnabled());
        QCOMPARE(child<QSpinBox>(ui, "tophatspin")->value(), 13);
        QVERIFY(child<QRadioButton>(ui, "radioButton")->isChecked());
        child<QPushButton>(ui, "closebtn")->click();
        closeAll(w);
    }

    void closingRightAfterOpeningRemovesTheWorkingCopy()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        const Image in = lineTestImage(40, 30);
        CImgDoc *doc = openDocument(w, in);
        HystTDialog *dlg = openHysteresis(w, doc);
        QCOMPARE(doc->view->imageCount(), 2);
        QVERIFY(doc->view->hystDialog);  // the binary report measures the preview now
        child<QPushButton>(dlg, "closebtn")->click();
        QVERIFY(!doc->view->hystDialog);  // and the current image again
        QCOMPARE(doc->view->imageCount(), 1);
        QCOMPARE(doc->view->model.current(), in);
        QVERIFY(answers.shown.filter("Delete image").isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        closeAll(w);
    }

    void preStepAndCalculationsWriteTheWorkingCopy()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        const Image in = lineTestImage(48, 36);
        CImgDoc *doc = openDocument(w, in);
        HystTDialog *dlg = openHysteresis(w, doc);
        QObject *ui = dlg;
        NullProgress none;
        child<QSpinBox>(ui, "tophatspin")->setValue(5);
        child<QPushButton>(ui, "calcthbtn")->click();
        const Image ref = hysteresisPreStep(in, 5, none);
        QCOMPARE(doc->view->model.referenceImage, ref);
        QCOMPARE(doc->view->model.previewImage, ref);
        QVERIFY(!child<QGroupBox>(ui, "tophatBox")->isEnabled());
        QVERIFY(child<QGroupBox>(ui, "thresholdBox")->isEnabled());
        QCOMPARE(doc->view->imageCount(), 2);

        QSignalSpy calc(dlg, &HystTDialog::calcHystT);
        child<QRadioButton>(ui, "radioButton_2")->click();
        const Image skin = hysteresisCalculate(ref, 0.85, 0.03, none);
        QCOMPARE(doc->view->imageCount(), 2);
        QCOMPARE(*doc->view->model.image(1), skin);
        QCOMPARE(doc->view->model.previewImage, skin);
        child<QRadioButton>(ui, "radioButton_3")->click();
        const Image coronary = hysteresisCalculate(ref, 0.84, 0.001, none);
        QCOMPARE(*doc->view->model.image(1), coronary);
        QCOMPARE(calc.count(), 2);
        QCOMPARE(calc[0][2].toBool(), true);  // first
        QCOMPARE(calc[1][2].toBool(), false);

        child<QPushButton>(ui, "closebtn")->click();
        QCOMPARE(doc->view->imageCount(), 2);
        QCOMPARE(*doc->view->model.image(0), in);
        QCOMPARE(*doc->view->model.image(1), coronary);
        QVERIFY(!answers.sawTitle("Filter applied"));
        closeAll(w);
    }

    void frameCloseKeepsTheLastCalculation()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, lineTestImage(40, 30));
        HystTDialog *dlg = openHysteresis(w, doc);
        QSignalSpy saves(dlg, &HystTDialog::savePreview);
        QSignalSpy discards(dlg, &HystTDialog::discardPreview);
        child<QPushButton>(dlg, "calcthbtn")->click();
        child<QPushButton>(dlg, "calculateBtn")->click();
        const Image result = *doc->view->model.image(1);
        dlg->close();
        QCOMPARE(saves.count(), 0);
        QCOMPARE(discards.count(), 0);
        QVERIFY(!doc->view->hystDialog);
        QCOMPARE(doc->view->imageCount(), 2);
        QCOMPARE(*doc->view->model.image(1), result);
        closeAll(w);
    }

    void viewClosingClosesTheDialog()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, lineTestImage(40, 30));
        QPointer<HystTDialog> dlg = openHysteresis(w, doc);
        QVERIFY(dlg && dlg->isVisible());
        closeAll(w);
        QVERIFY(!dlg);
    }

    void resultsNeverOverwriteOtherImages()
    {
        // Another operation appends to the list under the open dialog: its result stays,
        // the calculation is appended after it, and Close removes nothing.
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, lineTestImage(40, 30));
        HystTDialog *dlg = openHysteresis(w, doc);
        w.applyOperation(OpCode::Invert, false);  // invert: [source, working copy, inverted copy]
        const Image inverted = doc->view->model.current();
        child<QPushButton>(dlg, "calcthbtn")->click();
        child<QPushButton>(dlg, "calculateBtn")->click();
        QCOMPARE(doc->view->imageCount(), 4);
        QCOMPARE(*doc->view->model.image(2), inverted);
        QCOMPARE(*doc->view->model.image(3), doc->view->model.previewImage);
        child<QPushButton>(dlg, "calculateBtn")->click();  // replaces its own result from now on
        QCOMPARE(doc->view->imageCount(), 4);
        closeAll(w);

        MainWindow w2;
        CImgDoc *doc2 = openDocument(w2, lineTestImage(40, 30));
        HystTDialog *dlg2 = openHysteresis(w2, doc2);
        w2.applyOperation(OpCode::Invert, false);
        child<QPushButton>(dlg2, "closebtn")->click();  // no calculation: nothing is taken away
        QCOMPARE(doc2->view->imageCount(), 3);
        closeAll(w2);

        MainWindow w3;  // Close right after an appended result keeps it
        CImgDoc *doc3 = openDocument(w3, lineTestImage(40, 30));
        HystTDialog *dlg3 = openHysteresis(w3, doc3);
        w3.applyOperation(OpCode::Invert, false);
        child<QPushButton>(dlg3, "calcthbtn")->click();
        child<QPushButton>(dlg3, "calculateBtn")->click();
        const Image result = doc3->view->model.previewImage;
        child<QPushButton>(dlg3, "closebtn")->click();
        QCOMPARE(doc3->view->imageCount(), 4);
        QCOMPARE(*doc3->view->model.image(3), result);
        closeAll(w3);
    }

    void couplingKeepsVesselBelowBackground_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("vesselSlider");
        QTest::addColumn<double>("vesselSpin");
        QTest::addColumn<int>("bkgSlider");
        QTest::addColumn<double>("bkgSpin");
        QTest::newRow("vessel slider within") << "vesselcovslider" << 40.0 << 40 << 40.0 << 85 << 85.0;
        QTest::newRow("vessel slider drags background") << "vesselcovslider" << 90.0 << 90 << 90.0 << 90 << 90.0;
        QTest::newRow("background slider drags vessel") << "bkgcovslider" << 2.0 << 2 << 2.0 << 2 << 2.0;
        QTest::newRow("vessel spin drags background") << "vesselspin" << 95.5 << 95 << 95.5 << 95 << 95.5;
        QTest::newRow("background spin drags vessel") << "bkgspin" << 1.5 << 1 << 1.5 << 1 << 1.5;
        QTest::newRow("background spin within") << "bkgspin" << 50.0 << 3 << 3.0 << 50 << 50.0;
    }

    void couplingKeepsVesselBelowBackground()
    {
        QFETCH(QString, control);
        QFETCH(double, value);
        QFETCH(int, vesselSlider);
        QFETCH(double, vesselSpin);
        QFETCH(int, bkgSlider);
        QFETCH(double, bkgSpin);
        HystTDialog dlg("1");
        QObject *ui = &dlg;
        child<QGroupBox>(ui, "thresholdBox")->setEnabled(true);
        QSignalSpy calc(&dlg, &HystTDialog::calcHystT);
        if (auto *slider = dlg.findChild<QSlider *>(control))
            drag(slider, int(value));
        else
            dlg.findChild<QDoubleSpinBox *>(control)->setValue(value);
        QVERIFY(child<QRadioButton>(ui, "ownvalRb")->isChecked());
        QCOMPARE(child<QSlider>(ui, "vesselcovslider")->value(), vesselSlider);
        QCOMPARE(child<QDoubleSpinBox>(ui, "vesselspin")->value(), vesselSpin);
        QCOMPARE(child<QSlider>(ui, "bkgcovslider")->value(), bkgSlider);
        QCOMPARE(child<QDoubleSpinBox>(ui, "bkgspin")->value(), bkgSpin);
        // Releasing a slider calculates with the own values; a spin box does not.
        const bool slider = control.endsWith("slider");
        QCOMPARE(calc.count(), slider ? 1 : 0);
        if (slider) {
            QCOMPARE(calc[0][0].toDouble(), bkgSpin / 100.0);
            QCOMPARE(calc[0][1].toDouble(), vesselSpin / 100.0);
        }
    }

    void presetsGiveTheirCoverages_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<double>("weakb");
        QTest::addColumn<double>("hardb");
        QTest::newRow("retina") << "radioButton" << 0.87 << 0.06;
        QTest::newRow("skin") << "radioButton_2" << 0.85 << 0.03;
        QTest::newRow("coronary") << "radioButton_3" << 0.84 << 0.001;
        QTest::newRow("own") << "ownvalRb" << 0.85 << 0.03;
    }

    void presetsGiveTheirCoverages()
    {
        QFETCH(QString, button);
        QFETCH(double, weakb);
        QFETCH(double, hardb);
        HystTDialog dlg("1");
        child<QGroupBox>(&dlg, "thresholdBox")->setEnabled(true);
        QSignalSpy calc(&dlg, &HystTDialog::calcHystT);
        dlg.findChild<QRadioButton *>(button)->click();
        QCOMPARE(calc.count(), 1);
        QCOMPARE(calc[0][0].toDouble(), weakb);
        QCOMPARE(calc[0][1].toDouble(), hardb);
        QCOMPARE(dlg.calculationCount(), 1);
    }

    // A refused pre-step warns once and leaves the dialog at its first step, so another
    // disc size can be tried; closing then writes nothing and takes the working copy back.
    void tooSmallImageWarnsInsteadOfCrashing()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        const Image in(3, 3, 1, 1, 9.0);
        CImgDoc *doc = openDocument(w, in);
        HystTDialog *dlg = openHysteresis(w, doc);
        for (int attempt = 1; attempt <= 2; ++attempt) {
            child<QPushButton>(dlg, "calcthbtn")->click();
            QCOMPARE(answers.shown.filter("Hysteresis Thresholding|").size(), attempt);
            QVERIFY(child<QGroupBox>(dlg, "tophatBox")->isEnabled());
            QVERIFY(!child<QGroupBox>(dlg, "thresholdBox")->isEnabled());
        }
        QCOMPARE(doc->view->imageCount(), 2);
        child<QPushButton>(dlg, "closebtn")->click();
        QCOMPARE(doc->view->imageCount(), 1);
        QCOMPARE(doc->view->model.current(), in);
        QCOMPARE(answers.shown.filter("Hysteresis Thresholding|").size(), 2);
        closeAll(w);
    }

    void fuzzyClusteringAppendsIterationsAndResult()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        const Image in = lineTestImage(64, 48);
        CImgDoc *doc = openDocument(w, in);
        QSignalSpy nav(doc->view, &PixmapWidget::updateImgNav);
        // The iterations are shown while the run goes on, its progress dialog already up.
        const PaintsUnderProgress livePaints(doc->view, "Fuzzy clustering");
        w.applyOperation(OpCode::FuzzyClust, false);

        ImageModel expected(in);
        expected.duplicateCurrent();
        NullProgress none;
        Notes notes;
        runFuzzy(expected, {}, none, notes);
        QCOMPARE(doc->view->imageCount(), expected.count());
        for (int i = 0; i < expected.count(); ++i) QCOMPARE(*doc->view->model.image(i), *expected.image(i));
        QCOMPARE(doc->view->currentIndex(), expected.count() - 1);
        QVERIFY(livePaints.count >= 1);
        QCOMPARE(nav.count(), 1);  // the list is announced once, when the run has ended
        QVERIFY(!answers.sawTitle("Filter applied"));
        closeAll(w);
    }
};

QUENDRA_GUI_TEST_MAIN(SegmentationTest)

#include "test_segmentation.moc"
