// "Vessel classifier..." in the window: the model is chosen through the dialog seam, the
// probability map and the 0/255 result land in the list (working copy or new window), and
// a cancel or a refused model leaves the document as it was.
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

#include "documentsupport.h"
#include "ops/core/progress.h"
#include "ops/measure/evaluation.h"
#include "ops/table/operations.h"
#include "ops/classify/vesselmodel.h"
#include "ops/syntheticfundus.h"
#include "scripteddialogs.h"
#include "view/pixmapwidget.h"

namespace {

const QString kModelFileItem = "Model file...";

// A model trained on two synthetic photographs, written to dir.
QString writeModel(const QTemporaryDir &dir)
{
    TrainingSamples samples;
    for (const unsigned seed : {1u, 2u}) {
        const synth::Fundus s = synth::fundus(80, 80, seed);
        addTrainingPixels(samples, computeVesselFeatures(s.image, s.fov, Polarity::Dark), labelsFromTruth(s.truth, s.fov),
                          3000, seed);
    }
    TreeSettings settings;
    settings.rounds = 15;
    QString error;
    const QString path = dir.filePath("synthetic.qvm");
    if (!saveVesselModel(trainVesselModel(samples, Channel::Gray, Polarity::Dark, 1, settings), path, &error))
        qFatal("%s", qPrintable(error));
    return path;
}

}  // namespace

class TestVesselClassifierGui : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString model;
    ScriptedDialogs answers;

private slots:
    void initTestCase() { model = writeModel(dir); }
    void init() { answers = ScriptedDialogs(); }
    void appendsProbabilityAndResult_data();
    void appendsProbabilityAndResult();
    void leavesDocumentAsItWas_data();
    void leavesDocumentAsItWas();
    void cancelBetweenStepsTakesTheRunBack();
};

void TestVesselClassifierGui::appendsProbabilityAndResult_data()
{
    QTest::addColumn<bool>("newWindow");
    QTest::newRow("working copy") << false;
    QTest::newRow("new window") << true;
}

void TestVesselClassifierGui::appendsProbabilityAndResult()
{
    QFETCH(bool, newWindow);
    ScriptedDialogs::Scope scope(answers);
    answers.items.enqueue(kModelFileItem);
    answers.fileNames.enqueue(model);
    MainWindow w;
    const synth::Fundus scene = synth::fundus(80, 80, 3);
    CImgDoc *doc = openDocument(w, scene.image);
    setNewWindowWhenEditing(w, newWindow);
    w.operationAction(OpCode::VesselClassifier)->trigger();

    CImgDoc *target = w.activeDocument();
    QCOMPARE(target != doc, newWindow);
    QCOMPARE(doc->view->model.count(), newWindow ? 1 : 3);
    const ImageModel &m = target->view->model;
    // The clone's image itself, or the working copy after the original, became the
    // probability map; the result follows it.
    const int first = newWindow ? 0 : 1;
    QCOMPARE(m.count(), first + 2);
    QCOMPARE(m.currentIndex, first + 1);
    if (!newWindow) QVERIFY((*m.image(0)) == scene.image);
    QVERIFY((*m.image(first)).min() >= 0.0 && (*m.image(first)).max() <= 255.0);
    QVERIFY((*m.image(first)).max() > 200.0);
    const Image result = *m.image(first + 1);
    for (size_t p = 0; p < result.size(); ++p) QVERIFY(result.data()[p] == 0.0 || result.data()[p] == kWhite);
    QVERIFY(evaluationFigures(confusionCounts(result, scene.truth, &scene.fov)).dice > 0.85);
    QVERIFY(answers.sawTitle("Filter applied"));
    closeAll(w);
}

void TestVesselClassifierGui::leavesDocumentAsItWas_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("warning");
    QTest::newRow("no model chosen") << QStringList() << QString() << QString();
    QTest::newRow("file dialog cancelled") << QStringList{kModelFileItem} << QString() << QString();
    QTest::newRow("not a model") << QStringList{kModelFileItem} << "notamodel.qvm" << "is not a vessel model";
    QTest::newRow("missing file") << QStringList{kModelFileItem} << "missing.qvm" << "cannot read";
}

void TestVesselClassifierGui::leavesDocumentAsItWas()
{
    QFETCH(QStringList, items);
    QFETCH(QString, file);
    QFETCH(QString, warning);
    QFile junk(dir.filePath("notamodel.qvm"));
    QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("P5 1 1 255 x") > 0);
    junk.close();
    ScriptedDialogs::Scope scope(answers);
    for (const QString &item : items) answers.items.enqueue(item);
    if (!file.isEmpty()) answers.fileNames.enqueue(dir.filePath(file));
    for (const bool newWindow : {false, true}) {
        MainWindow w;
        CImgDoc *doc = openDocument(w, synth::fundus(40, 40, 4).image);
        setNewWindowWhenEditing(w, newWindow);
        w.operationAction(OpCode::VesselClassifier)->trigger();
        QCOMPARE(w.documents().size(), 1);
        QCOMPARE(doc->view->model.count(), 1);
        if (!warning.isEmpty()) QVERIFY2(answers.shown.join("\n").contains(warning), qPrintable(answers.shown.join("\n")));
        closeAll(w);
        for (const QString &item : items) answers.items.enqueue(item);
        if (!file.isEmpty()) answers.fileNames.enqueue(dir.filePath(file));
    }
}

// The classifier heeds a Cancel between its steps (once the features are computed, between
// the network's tiles): the run ends as cancelled, not as failed, and the image is as it was.
void TestVesselClassifierGui::cancelBetweenStepsTakesTheRunBack()
{
    struct CancelledAll : Progress {
        bool cancelled() const override { return true; }
    } progress;
    const synth::Fundus scene = synth::fundus(80, 80, 3);
    ImageModel m(scene.image);
    Params params;
    params.set("model", model);
    params.set("source", QString());
    const RunOutcome outcome = runOperation(m, operationRow(OpCode::VesselClassifier), params, progress);
    QVERIFY2(outcome.result == RunResult::Cancelled, qPrintable(outcome.error));
    QCOMPARE(m.count(), 1);
    QVERIFY(*m.currentImage() == scene.image);
}

QTEST_MAIN(TestVesselClassifierGui)
#include "test_vesselclassifiergui.moc"
