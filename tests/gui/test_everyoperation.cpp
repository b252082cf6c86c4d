// Every plain operation of the table through its real action and the dispatcher, with
// scripted dialogs, both where an edit can go (a working copy in the same document and a
// clone in a new window), compared with a direct run of the core on the same image: the
// list the document holds, its current image and every message box, in order.
#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "view/pixmapwidget.h"

namespace {

Image rampImage()
{
    Image img(24, 16, 1, 1, 0.0);
    cimg_forXY(img, x, y) img(x, y) = (x * 11 + y * 5) % 256;
    return img;
}

// No zeros: the logarithm has nothing to note.
Image brightRamp() { return rampImage() + 1.0; }

Image wavyImage(int w, int h)
{
    Image img(w, h, 1, 1);
    cimg_forXY(img, x, y) img(x, y) = 127.0 + 100.0 * std::sin(0.4 * x) * std::cos(0.3 * y) + (x * y) % 7;
    return img;
}

Image barImage()
{
    Image img(30, 20, 1, 1, 0.0);
    for (int y = 6; y <= 10; ++y)
        for (int x = 4; x <= 25; ++x) img(x, y) = 255.0;
    return img;
}

// What a clone of doc starts from: the gray levels of its displayed rendering.
Image displayedImage(CImgDoc *doc)
{
    const PixmapWidget clone(*doc->view->pixmap, 0, nullptr);
    return *clone.model.currentImage();
}

}  // namespace

class EveryOperationTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;

private slots:
    void init() { answers = ScriptedDialogs(); }

    // code, input, the answer its dialog gets (disc size or exponent), the boxes shown
    // before the run, and the "Filter applied" text ("" when it reports nothing).
    void plainOperation_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<Image>("input");
        QTest::addColumn<double>("answer");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("newWindow");
        struct Row {
            const char *name;
            OpCode code;
            Image input;
            double answer;
            QStringList before;
            QString text;
        };
        const QStringList none, disc{"exec|Structuring element"};
        const Row rows[] = {
            {"invert", OpCode::Invert, brightRamp(), 0, none, "The image was inverted"},
            {"normalize", OpCode::Normalize, brightRamp(), 0, none, "The image was normalized"},
            {"sqrt", OpCode::Sqrt, brightRamp(), 0, none, "Square root image was calculated"},
            {"log", OpCode::Log2, brightRamp(), 0, none, "The image by its logarithm to the base of 2 was calculated"},
            {"power", OpCode::Power, rampImage(), 3.0, {"Exponent"}, "The image by its power by 3 was calculated"},
            {"erode", OpCode::Erode, rampImage(), 2, disc, "The image was eroded"},
            {"dilate", OpCode::Dilate, rampImage(), 2, disc, "The image was dilated"},
            {"open", OpCode::Open, rampImage(), 2, disc, "The image was opened"},
            {"close", OpCode::Close, rampImage(), 2, disc, "The image was closed"},
            {"top-hat", OpCode::TopHat, rampImage(), 2, disc, "The image was top-hat transformed"},
            {"gradient", OpCode::MGradient, rampImage(), 2, disc, "The morphological gradient was calculated"},
            {"zhang-suen", OpCode::ZhangSuen, barImage(), 0, none, ""},
            {"gaussian blur", OpCode::GaussBlur, rampImage(), 0, none, ""},
            {"spectrum", OpCode::Fft, wavyImage(32, 32), 0, none, "Magnitude spectrum was calculated"},
            {"spectrum of 40 x 20", OpCode::Fft, wavyImage(40, 20), 0, {"Debug info|txoffset: 0, tyoffset: 10"},
             "Magnitude spectrum was calculated"},
            {"inverse", OpCode::InvFft, wavyImage(32, 32), 0, none, "Inverse FFT was calculated"},
            {"eigenvalues", OpCode::Eigenv, wavyImage(32, 32), 0, none, "Vessel enhancement calculated"},
            {"pyramid", OpCode::LaplEnh, wavyImage(32, 32), 0, none, "Vessel enhancement calculated"},
            {"hessian", OpCode::HessEnh, wavyImage(32, 32), 0, none, "Vessel enhancement calculated"},
            {"homomorphic", OpCode::HomoVes, wavyImage(32, 32), 0, none, "Homomorphic vessel enhancement was calculated"},
            {"non-linear", OpCode::VesNonl, wavyImage(32, 32), 0, none, "Vessel enhancement calculated"},
        };
        for (const Row &r : rows)
            for (const bool newWindow : {false, true})
                QTest::addRow("%s, %s", r.name, newWindow ? "new window" : "working copy")
                    << int(r.code) << r.input << r.answer << r.before << r.text << newWindow;
    }

    void plainOperation()
    {
        QFETCH(int, code);
        QFETCH(Image, input);
        QFETCH(double, answer);
        QFETCH(QStringList, before);
        QFETCH(QString, text);
        QFETCH(bool, newWindow);
        const OperationRow &row = operationRow(OpCode(code));
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        CImgDoc *doc = openDocument(w, input);
        setNewWindowWhenEditing(w, newWindow);
        QSignalSpy nav(doc->view, &PixmapWidget::updateImgNav);
        Params params;
        if (row.ask == Ask::Number) {
            answers.doubles.enqueue(answer);
            params.set("exponent", answer);
        } else if (row.ask == Ask::Disc) {
            answers.execs.enqueue([answer](QDialog *d) {
                d->findChild<QSpinBox *>()->setValue(int(answer));
                d->findChild<QPushButton *>("okButton")->click();
                return d->result();
            });
            params.set("size", QString::number(int(answer)));
        }
        w.operationAction(OpCode(code))->trigger();

        // The same run straight on the core, on what the operation started from.
        ImageModel expected(newWindow ? displayedImage(doc) : input);
        NullProgress progress;
        const RunOutcome direct = runOperation(expected, row, params, progress, newWindow);
        QVERIFY2(direct.ok(), qPrintable(direct.error));

        CImgDoc *result = w.activeDocument();
        QCOMPARE(w.documents().size(), newWindow ? 2 : 1);
        QCOMPARE(result != doc, newWindow);
        QCOMPARE(*doc->view->model.image(0), input);
        if (newWindow) QCOMPARE(doc->view->imageCount(), 1);
        const ImageModel &got = result->view->model;
        QCOMPARE(got.count(), expected.count());
        QCOMPARE(got.currentIndex, expected.currentIndex);
        for (int i = 0; i < expected.count(); ++i) QCOMPARE(*got.image(i), *expected.image(i));

        QStringList shown = before;
        if (!direct.notes.isEmpty()) shown << "Note|" + direct.notes.join("<br>");
        if (!text.isEmpty()) shown << "Filter applied|" + text;
        QCOMPARE(answers.shown, shown);
        if (!newWindow && !text.isEmpty()) QVERIFY(nav.count() >= 1);
        closeAll(w);
    }
};

QUENDRA_GUI_TEST_MAIN(EveryOperationTest)

#include "test_everyoperation.moc"
