// The enhancement and frequency-domain operations through the main window's dispatcher.
#include <QAction>
#include <QMdiArea>
#include <QSignalSpy>
#include <QtTest>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "ops/fourier.h"
#include "ops/hessian.h"
#include "ops/homomorphic.h"
#include "ops/progress.h"
#include "ops/pyramid.h"
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
    static Image expected(int code, const Image &in)
    {
        NullProgress progress;
        switch (code) {
        case 12: return magnitudeSpectrum(in);
        case 13: return inverseSpectrum(in);
        case 14: return hessianEigen(in, 7)[0];
        case 15: return laplPyramidImage(in);
        case 16: return hessEnhImage(in, progress);
        case 17: return homomorphicImage(in);
        default: return nonLinearImage(in);
        }
    }

private slots:
    void init() { answers = ScriptedDialogs(); }

    void operationsReplaceTheWorkingCopy_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("spectrum") << 12 << "Magnitude spectrum was calculated";
        QTest::newRow("inverse") << 13 << "Inverse FFT was calculated";
        QTest::newRow("eigenvalues") << 14 << "Vessel enhancement calculated";
        QTest::newRow("pyramid") << 15 << "Vessel enhancement calculated";
        QTest::newRow("hessian") << 16 << "Vessel enhancement calculated";
        QTest::newRow("homomorphic") << 17 << "Homomorphic vessel enhancement was calculated";
        QTest::newRow("non-linear") << 18 << "Vessel enhancement calculated";
    }

    void operationsReplaceTheWorkingCopy()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        const Image in = testImage(32, 32);
        CImgDoc *doc = openDocument(w, in);
        QSignalSpy nav(doc->view, &PixmapWidget::updateImgNav);
        w.applyOperation(code, false);
        const int extra = code == 14 ? 1 : 0;
        QCOMPARE(doc->view->imageCount(), 2 + extra);
        QCOMPARE(doc->view->currentIndex(), 1 + extra);
        QCOMPARE(doc->view->model.imageList[1], expected(code, in));
        QCOMPARE(doc->view->model.imageList[0], in);
        if (code == 14) QCOMPARE(doc->view->model.current(), hessianEigen(in, 7)[1]);
        QVERIFY(answers.shown.contains("Filter applied|" + text));
        QVERIFY(!answers.sawTitle("Debug info"));
        QVERIFY(nav.count() >= 1);
        closeAll(w);
    }

    void spectrumOfNonSquareImageShowsOffsets()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        const Image in = testImage(40, 20);
        CImgDoc *doc = openDocument(w, in);
        w.applyOperation(12, false);
        QCOMPARE(answers.shown.first(), QString("Debug info|txoffset: 0, tyoffset: 10"));
        QCOMPARE(doc->view->model.current().width(), 40);
        QCOMPARE(doc->view->model.current().height(), 20);
        QCOMPARE(doc->view->model.current(), magnitudeSpectrum(in));
        closeAll(w);
    }

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
        w.applyOperation(code, false);
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

int main(int argc, char **argv)
{
    isolateSettings();
    QApplication app(argc, argv);
    EnhancementTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_enhancement.moc"
