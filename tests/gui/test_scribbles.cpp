// The scribble tool through real mouse events: strokes show in two colours over the
// picture and never reach the list; Train on a synthetic fundus finds its vessels; Keep
// adds the result like an edit (working copy or new window); the saved model is one the
// core reads; every way out leaves the list as it was; a training without both kinds of
// strokes, or one the features fail on, is refused in words. A network chosen in the panel
// is fine-tuned by the strokes, Train again goes on from it, a cancelled fine-tuning keeps
// the last result, and a model that cannot be fine-tuned is refused.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "documentsupport.h"
#include "ops/core/progress.h"
#include "ops/measure/evaluation.h"
#include "ops/table/operations.h"
#include "ops/scribblefixtures.h"
#include "ops/syntheticfundus.h"
#include "ops/classify/vesselmodel.h"
#include "scripteddialogs.h"
#include "view/pixmapwidget.h"
#include "view/scribblepanel.h"
#include "view/scribbletool.h"

namespace {

// A view position over image pixel p (the top left of its zoomed square).
QPoint viewPos(PixmapWidget *view, QPoint p)
{
    const float z = view->zoomFactor;
    return QPoint(view->xCenterOffset + int(p.x() * z), view->yCenterOffset + int(p.y() * z));
}

// A stroke through the image pixels points: press at the first, moves, release at the last.
void stroke(PixmapWidget *view, Qt::MouseButton button, const QList<QPoint> &points)
{
    QTest::mousePress(view, button, Qt::NoModifier, viewPos(view, points.first()));
    for (const QPoint &p : points.mid(1)) QTest::mouseMove(view, viewPos(view, p));
    QTest::mouseRelease(view, button, Qt::NoModifier, viewPos(view, points.last()));
}

// Dots on every fourth vessel pixel of the truth (left button) and on a grid of pixels at
// least three pixels away from any vessel (right button), inside the field of view.
void scribbleFromTruth(PixmapWidget *view, const synth::Fundus &scene)
{
    synth::strokesFromTruth(scene, [&](int x, int y, bool vessel) {
        stroke(view, vessel ? Qt::LeftButton : Qt::RightButton, {{x, y}});
    });
}

ScribblePanel *panelOf(PixmapWidget *view) { return view->findChild<ScribblePanel *>(); }

void press(PixmapWidget *view, const char *button) { panelOf(view)->findChild<QPushButton *>(button)->click(); }

QRgb shownAt(PixmapWidget *view, QPoint p) { return view->grab().toImage().pixel(viewPos(view, p)); }

// Picks the panel's classifier item of that text, as the user's choice in the list does.
void pickClassifier(PixmapWidget *view, const QString &text)
{
    auto *box = panelOf(view)->findChild<QComboBox *>("learner");
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

}  // namespace

class TestScribbles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    ScriptedDialogs answers;

    // Opens image in w and enters the scribble tool; returns the view.
    PixmapWidget *enter(MainWindow &w, const Image &image, float zoom = 1.0f)
    {
        CImgDoc *doc = openDocument(w, image);
        doc->view->setZoomFactor(zoom);
        w.operationAction(OpCode::ScribbleClassifier)->trigger();
        doc->view->grab();  // lays the view out: its centring offsets
        return doc->view;
    }

private slots:
    void init() { answers = ScriptedDialogs(); }
    void labelsArePixelExact();
    void strokesShowButNeverReachTheImage_data();
    void strokesShowButNeverReachTheImage();
    void trainKeepAndSave_data();
    void trainKeepAndSave();
    void leavingDiscards_data();
    void leavingDiscards();
    void refusesTraining_data();
    void refusesTraining();
    void fineTunesANetwork();
    void cancelledFineTuningKeepsTheLastResult();
    void refusesModelsItCannotFineTune_data();
    void refusesModelsItCannotFineTune();

private:
    // Enters the tool on scene with the untrained network file as Train's start, strokes
    // painted from its truth and short training settings.
    PixmapWidget *enterWithNetwork(MainWindow &w, const synth::Fundus &scene)
    {
        const QString path = dir.filePath("untrained.qvm");
        QString error;
        if (!QFile::exists(path) && !saveVesselModel(synth::untrainedNetwork(), path, &error)) qFatal("%s", qPrintable(error));
        PixmapWidget *view = enter(w, scene.image);
        answers.fileNames.enqueue(path);
        pickClassifier(view, "Model file...");
        view->scribbleTool()->networkSettings = synth::quickTuning();
        panelOf(view)->findChild<QSpinBox *>("brush")->setValue(1);
        scribbleFromTruth(view, scene);
        return view;
    }
};

void TestScribbles::labelsArePixelExact()
{
    // A dot labels its one pixel, a line its run, and a later stroke relabels what it covers.
    ScribbleTool tool(Image(20, 20, 1, 1, 100.0), Channel::Gray);
    tool.setBrush(1);
    tool.paint({5, 5}, {5, 5}, true);
    tool.paint({2, 10}, {8, 10}, false);
    tool.paint({4, 8}, {4, 12}, true);
    const Image labels = tool.labels();
    QCOMPARE(labels(5, 5), kVesselLabel);
    QCOMPARE(labels(3, 10), kBackgroundLabel);
    QCOMPARE(labels(4, 10), kVesselLabel);
    QCOMPARE(int(std::count(labels.begin(), labels.end(), kVesselLabel)), 6);
    QCOMPARE(int(std::count(labels.begin(), labels.end(), kBackgroundLabel)), 6);
}

void TestScribbles::strokesShowButNeverReachTheImage_data()
{
    QTest::addColumn<float>("zoom");
    QTest::newRow("zoom 1") << 1.0f;
    QTest::newRow("zoom 3") << 3.0f;
}

void TestScribbles::strokesShowButNeverReachTheImage()
{
    QFETCH(float, zoom);
    ScriptedDialogs::Scope scope(answers);
    MainWindow w;
    const Image image(40, 30, 1, 1, 128.0);
    PixmapWidget *view = enter(w, image, zoom);
    QCOMPARE(int(view->state), int(tool::Scribble));
    stroke(view, Qt::LeftButton, {{5, 5}, {15, 5}, {25, 5}});
    stroke(view, Qt::RightButton, {{5, 20}, {25, 20}});
    // Red over the vessel stroke's whole length, blue over the background stroke, the
    // picture's gray between them: the strokes follow the mouse at any zoom.
    for (const QPoint p : {QPoint(5, 5), QPoint(10, 5), QPoint(20, 5), QPoint(25, 5)})
        QVERIFY(qRed(shownAt(view, p)) > qBlue(shownAt(view, p)) + 60);
    for (const QPoint p : {QPoint(5, 20), QPoint(15, 20), QPoint(25, 20)})
        QVERIFY(qBlue(shownAt(view, p)) > qRed(shownAt(view, p)) + 60);
    QCOMPARE(qRed(shownAt(view, {15, 12})), qBlue(shownAt(view, {15, 12})));
    QCOMPARE(view->model.count(), 1);
    QVERIFY(*view->model.currentImage() == image);
    // The right button paints; it opens no context menu.
    QVERIFY(!view->findChild<QMenu *>() || !view->findChild<QMenu *>()->isVisible());
    // Undo takes the strokes back one by one, from the panel and with Ctrl+Z.
    press(view, "undo");
    QCOMPARE(qRed(shownAt(view, {15, 20})), qBlue(shownAt(view, {15, 20})));
    QVERIFY(qRed(shownAt(view, {15, 5})) > qBlue(shownAt(view, {15, 5})) + 60);
    QTest::keyClick(w.activeDocument(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(qRed(shownAt(view, {15, 5})), qBlue(shownAt(view, {15, 5})));
    QVERIFY(!panelOf(view)->findChild<QPushButton *>("undo")->isEnabled());
    closeAll(w);
}

void TestScribbles::trainKeepAndSave_data()
{
    QTest::addColumn<float>("zoom");
    QTest::addColumn<bool>("newWindow");
    QTest::newRow("zoom 1, working copy") << 1.0f << false;
    QTest::newRow("zoom 2, new window") << 2.0f << true;
}

void TestScribbles::trainKeepAndSave()
{
    QFETCH(float, zoom);
    QFETCH(bool, newWindow);
    ScriptedDialogs::Scope scope(answers);
    MainWindow w;
    const synth::Fundus scene = synth::fundus(80, 80, 5);
    PixmapWidget *view = enter(w, scene.image, zoom);
    CImgDoc *source = w.activeDocument();
    setNewWindowWhenEditing(w, newWindow);
    panelOf(view)->findChild<QSpinBox *>("brush")->setValue(1);
    scribbleFromTruth(view, scene);
    press(view, "train");
    QVERIFY2(answers.shown.isEmpty(), qPrintable(answers.shown.join("\n")));
    QCOMPARE(view->model.count(), 1);  // the preview is no image of the list yet

    const QString path = dir.filePath(QString("scribbles%1").arg(int(zoom)));
    answers.fileNames.enqueue(path);
    press(view, "saveModel");
    const LoadedModel saved = loadVesselModel(path + ".qvm");
    QVERIFY2(saved.ok(), qPrintable(saved.error));
    QVERIFY(saved.model.polarity == Polarity::Dark);

    press(view, "keep");
    QCOMPARE(int(view->state), int(tool::Normal));
    QCOMPARE(w.documents().size(), newWindow ? 2 : 1);
    CImgDoc *target = w.activeDocument();
    QCOMPARE(target != source, newWindow);
    ImageModel &m = target->view->model;
    QCOMPARE(m.count(), newWindow ? 1 : 2);
    QCOMPARE(m.currentIndex, m.count() - 1);
    const Image result = *m.currentImage();
    const double dice = evaluationFigures(confusionCounts(result, scene.truth, &scene.fov)).dice;
    QVERIFY2(dice > 0.8, qPrintable(QString::number(dice)));
    // The saved model gives the same result as the one kept.
    QVERIFY(classifyVessels(saved.model, scene.image, Image(), 1).segmentation == result);
    QCOMPARE(source->view->model.count(), newWindow ? 1 : 2);
    source->view->setImage(0);
    QVERIFY(*source->view->model.currentImage() == scene.image);
    closeAll(w);
}

void TestScribbles::leavingDiscards_data()
{
    QTest::addColumn<QString>("way");
    for (const char *way : {"cancel", "escape", "panel closed", "another tool", "another operation"})
        QTest::newRow(way) << QString(way);
}

void TestScribbles::leavingDiscards()
{
    QFETCH(QString, way);
    ScriptedDialogs::Scope scope(answers);
    MainWindow w;
    const synth::Fundus scene = synth::fundus(40, 40, 6);
    PixmapWidget *view = enter(w, scene.image);
    stroke(view, Qt::LeftButton, {{20, 10}, {20, 30}});
    stroke(view, Qt::RightButton, {{8, 20}, {14, 20}});
    press(view, "train");
    QPointer<ScribblePanel> panel = panelOf(view);
    if (way == "cancel") press(view, "cancel");
    if (way == "escape") QTest::keyClick(view, Qt::Key_Escape);
    if (way == "panel closed") panel->close();
    if (way == "another tool") w.operationAction(OpCode::SelectRect)->trigger();
    if (way == "another operation") w.operationAction(OpCode::Invert)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!panel);
    QVERIFY(view->state != tool::Scribble);
    // A selection tool and an edit each make their working copy, of the image itself.
    const int edits = way.startsWith("another") ? 1 : 0;
    QCOMPARE(w.documents().size(), 1);
    QCOMPARE(view->model.count(), 1 + edits);
    view->setImage(0);
    QVERIFY(*view->model.currentImage() == scene.image);
    // Neither strokes nor the preview stay on screen.
    QCOMPARE(qRed(shownAt(view, {20, 20})), qBlue(shownAt(view, {20, 20})));
    closeAll(w);
}

void TestScribbles::refusesTraining_data()
{
    QTest::addColumn<QStringList>("strokes");
    QTest::addColumn<bool>("nan");
    QTest::addColumn<QString>("message");
    const QString paint = "Paint at least one vessel stroke";
    QTest::newRow("no strokes") << QStringList() << false << paint;
    QTest::newRow("vessel strokes only") << QStringList{"vessel"} << false << paint;
    // Strokes on the black surround are outside the field of view and do not count.
    QTest::newRow("background outside the field of view") << QStringList{"vessel", "outside"} << false << paint;
    QTest::newRow("features fail") << QStringList{"vessel", "background"} << true << "could not be trained";
}

void TestScribbles::refusesTraining()
{
    QFETCH(QStringList, strokes);
    QFETCH(bool, nan);
    QFETCH(QString, message);
    ScriptedDialogs::Scope scope(answers);
    MainWindow w;
    Image image = synth::fundus(40, 40, 7).image;
    if (nan) image(30, 20) = std::nan("");
    PixmapWidget *view = enter(w, image);
    if (strokes.contains("vessel")) stroke(view, Qt::LeftButton, {{20, 10}, {20, 30}});
    if (strokes.contains("background")) stroke(view, Qt::RightButton, {{8, 20}, {14, 20}});
    if (strokes.contains("outside")) stroke(view, Qt::RightButton, {{0, 0}, {3, 0}});
    press(view, "train");
    QCOMPARE(answers.shown.size(), 1);
    QVERIFY2(answers.shown[0].contains(message), qPrintable(answers.shown[0]));
    QVERIFY(!panelOf(view)->findChild<QPushButton *>("keep")->isEnabled());
    QCOMPARE(view->model.count(), 1);
    const ImageRead kept = view->model.currentImage();  // bit for bit: NaN is not equal to itself
    QVERIFY(kept->size() == image.size() && std::memcmp(kept->data(), image.data(), image.size() * sizeof(double)) == 0);
    closeAll(w);
}

void TestScribbles::fineTunesANetwork()
{
    ScriptedDialogs::Scope scope(answers);
    MainWindow w;
    const synth::Fundus scene = synth::fundus(80, 80, 5);
    PixmapWidget *view = enterWithNetwork(w, scene);
    const ScribbleTool *tool = view->scribbleTool();
    QVERIFY(panelOf(view)->findChild<QComboBox *>("learner")->currentText() == "untrained.qvm");
    press(view, "train");
    QVERIFY2(answers.shown.isEmpty(), qPrintable(answers.shown.join("\n")));
    const ScribbleResult first = *tool->result;
    const Image labels = tool->labels();
    const double right = synth::strokesRight(first.segmentation, labels);
    QVERIFY2(right > 0.95, qPrintable(QString("%1 of the painted pixels right").arg(right)));
    // Train again goes on from the network trained last, not from the file.
    press(view, "train");
    NullProgress quiet;
    const ScribbleResult again =
        fineTuneOnScribbles(tool->trainer, labels, Polarity::Dark, first.model, synth::quickTuning(), quiet);
    QVERIFY(tool->result->model.network->toBytes() == again.model.network->toBytes());
    // The saved file is a network model that segments the image as the tool showed.
    answers.fileNames.enqueue(dir.filePath("tuned"));
    press(view, "saveModel");
    const LoadedModel saved = loadVesselModel(dir.filePath("tuned.qvm"));
    QVERIFY2(saved.ok(), qPrintable(saved.error));
    QCOMPARE(saved.model.learner, Learner::Network);
    QVERIFY(classifyVessels(saved.model, scene.image, Image(), 2).segmentation == again.segmentation);
    press(view, "keep");
    QVERIFY(*view->model.currentImage() == again.segmentation);
    closeAll(w);
}

void TestScribbles::cancelledFineTuningKeepsTheLastResult()
{
    ScriptedDialogs::Scope scope(answers);
    MainWindow w;
    const synth::Fundus scene = synth::fundus(64, 64, 6);
    PixmapWidget *view = enterWithNetwork(w, scene);
    ScribbleTool *tool = view->scribbleTool();
    press(view, "train");
    const Image shown = tool->result->segmentation;
    const QImage before = view->grab().toImage();
    const QByteArray network = tool->result->model.network->toBytes();
    // A long training, cancelled from its progress dialog once it runs.
    tool->networkSettings.steps = 1000000;
    QTimer cancel;
    connect(&cancel, &QTimer::timeout, [view] {
        if (auto *dialog = view->findChild<QProgressDialog *>()) dialog->findChild<QPushButton *>()->click();
    });
    cancel.start(100);
    press(view, "train");
    QVERIFY(answers.shown.isEmpty());
    QVERIFY(tool->result->model.network->toBytes() == network);
    QVERIFY(tool->tuned->network->toBytes() == network);
    QVERIFY(view->grab().toImage() == before);
    QVERIFY(panelOf(view)->findChild<QLabel *>("status")->text().contains("cancelled"));
    press(view, "keep");
    QVERIFY(*view->model.currentImage() == shown);
    closeAll(w);
}

void TestScribbles::refusesModelsItCannotFineTune_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");  // empty: nothing is said
    QTest::newRow("file dialog cancelled") << QString() << QString();
    QTest::newRow("TorchScript network") << "tests/data/tinyvessel.pt" << "holds no network the program can fine-tune";
    QTest::newRow("not a model") << "tests/data/tinyvessel.json" << "could not be read";
}

void TestScribbles::refusesModelsItCannotFineTune()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    ScriptedDialogs::Scope scope(answers);
    MainWindow w;
    PixmapWidget *view = enter(w, synth::fundus(40, 40, 6).image);
    if (!file.isEmpty()) answers.fileNames.enqueue(QString(qgetenv("QUENDRA_SOURCE_DIR")) + "/" + file);
    pickClassifier(view, "Model file...");
    QCOMPARE(answers.shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) QVERIFY2(answers.shown[0].contains(message), qPrintable(answers.shown[0]));
    // The choice goes back to the trees.
    QCOMPARE(panelOf(view)->startModel(), QString());
    QCOMPARE(panelOf(view)->findChild<QComboBox *>("learner")->currentText(), QString("Boosted trees"));
    closeAll(w);
}

QTEST_MAIN(TestScribbles)
#include "test_scribbles.moc"
