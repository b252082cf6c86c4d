// The main window, its dispatcher, document windows and the navigation dialog.
#include <QAction>
#include <QFileDialog>
#include <QAbstractButton>
#include <QClipboard>
#include <QListView>
#include <QMessageBox>
#include <QScrollBar>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QSlider>
#include <QToolBar>
#include <QtTest>

#include "ops/core/progress.h"
#include "ops/io/imageio.h"
#include "ops/table/operations.h"

#include "app/mainwindow.h"
#include "dialogs/userdialogs.h"
#include "document/cimgdoc.h"
#include "document/imgnavdlg.h"
#include "gui/documentsupport.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "view/pixmapwidget.h"

namespace {

// The size, in points, at which the first picture of a PDF written by Qt is drawn: its
// content streams are inflated and the matrices in force at the picture's "Do" combined.
QSizeF placedImageSize(const QString &pdfPath)
{
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray pdf = file.readAll();
    for (qsizetype at = pdf.indexOf("stream\n"); at >= 0; at = pdf.indexOf("stream\n", at + 1)) {
        const qsizetype start = at + 7, end = pdf.indexOf("endstream", start);
        if (end < 0) break;
        QByteArray packed = QByteArray(4, '\0') + pdf.mid(start, end - start);
        const QByteArray content = qUncompress(packed);
        if (!content.contains(" Do")) continue;
        QList<QTransform> stack{QTransform()};
        QList<double> numbers;
        for (const QByteArray &token : content.simplified().split(' ')) {
            bool isNumber = false;
            const double v = token.toDouble(&isNumber);
            if (isNumber) {
                numbers << v;
                continue;
            }
            if (token == "q") stack << stack.last();
            if (token == "Q" && stack.size() > 1) stack.removeLast();
            if (token == "cm" && numbers.size() >= 6) {
                const auto n = numbers.mid(numbers.size() - 6);
                stack.last() = QTransform(n[0], n[1], n[2], n[3], n[4], n[5]) * stack.last();
            }
            if (token == "Do") {
                const QRectF r = stack.last().mapRect(QRectF(0, 0, 1, 1));
                return r.size();
            }
            numbers.clear();
        }
    }
    return {};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;
    QTemporaryDir dir;

    static QSettings settings() { return QSettings("Korvel, Zentrilo", "Quendra Tool"); }
    static ImageList listOf(std::initializer_list<double> values)
    {
        ImageList list;
        for (double v : values) list.push_back(Image(6, 4, 1, 1, v));
        return list;
    }

private slots:
    void init()
    {
        answers = ScriptedDialogs();
        settings().clear();
    }

    void firstRunDefaultsAndSettingsRoundTrip()
    {
        ScriptedDialogs::Scope scope(answers);
        {
            MainWindow w;
            QCOMPARE(w.pos(), QPoint(200, 200));
            QCOMPARE(w.size(), QSize(400, 400));
            QVERIFY(w.actNewWindow->isChecked());
            QCOMPARE(w.windowTitle(), QString("Quendra Tool - V" QUENDRA_VERSION));
            w.actNewWindow->setChecked(false);
            w.resize(500, 450);
            QVERIFY(w.close());  // no document: no question
            QVERIFY(answers.shown.isEmpty());
        }
        MainWindow again;
        QVERIFY(!again.actNewWindow->isChecked());
        QCOMPARE(again.size(), QSize(500, 450));
    }

    void refusedCloseKeepsWindowsAndStoresNothing()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({1}));
        w.actNewWindow->setChecked(false);
        answers.answers.enqueue(1);  // "No"
        QVERIFY(!w.close());
        QVERIFY(answers.sawTitle("Question"));
        QCOMPARE(w.documents().size(), 1);
        QVERIFY(!settings().contains("toggleWndw"));
        answers.answers.enqueue(0);  // "Yes"
        QVERIFY(w.close());
        QCOMPARE(settings().value("toggleWndw").toBool(), false);
    }

    void titlesFollowNumberAndZoom()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({1}));
        w.createNewWindow(listOf({2}));
        w.createNewWindow(listOf({3}));
        const int first = w.documents().first()->imageNumber;
        w.documents()[0]->parentWidget()->close();
        w.documents()[0]->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w.createNewWindow(listOf({4}));
        CImgDoc *doc = w.documents().last();
        QCOMPARE(doc->imageNumber, first + 3);  // numbers are never reused
        QCOMPARE(doc->windowTitle(), QString("Image %1 (100%)").arg(first + 3));
        const QString path = writeTestPicture(dir, "scan.png");
        CImgDoc *scan = w.openFile(path);
        QCOMPARE(scan->windowTitle(), QString("scan.png - Image %1 (100%)").arg(first + 4));
        CImgDoc *clone = w.createCImgDoc(scan);  // a clone tells its number too
        QCOMPARE(clone->windowTitle(), QString("scan.png - Image %1 (100%)").arg(first + 5));
        clone->parentWidget()->close();
        scan->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        doc = w.documents().last();
        doc->view->setZoomFactor(0.5f);
        QCOMPARE(doc->windowTitle(), QString("Image %1 (50%)").arg(first + 3));
        doc->view->setZoomFactor(0.29f);  // truncated, never rounded
        QCOMPARE(doc->windowTitle(), QString("Image %1 (28%)").arg(first + 3));
        QVERIFY(doc->fileName.isEmpty());
        closeAll(w);
    }

    void dispatchWithNewWindowOnClonesTheRendering()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({10, 300}));  // displays 44
        CImgDoc *source = w.activeDocument();
        source->view->setZoomFactor(2.0f);
        w.applyOperation(OpCode::Invert, false);  // Invert
        CImgDoc *clone = w.activeDocument();
        QVERIFY(clone != source);
        QCOMPARE(clone->imageNumber, source->imageNumber + 1);
        QCOMPARE(clone->view->imageCount(), 1);
        QCOMPARE(clone->view->model.current()(0, 0), 255.0 - 44.0);
        QCOMPARE(clone->windowTitle(), QString("Image %1 (100%)").arg(clone->imageNumber));
        QCOMPARE(source->view->imageCount(), 2);
        QCOMPARE(source->view->model.current()(0, 0), 300.0);
        QVERIFY(answers.sawTitle("Filter applied"));

        w.applyOperation(OpCode::GaussBlur, false);  // Gaussian blur: an unchanged clone
        QCOMPARE(w.activeDocument()->view->model.current()(0, 0), 255.0 - 44.0);
        QCOMPARE(w.documents().size(), 3);
        closeAll(w);
    }

    void dispatchWithNewWindowOffAppendsAWorkingCopy()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.actNewWindow->setChecked(false);
        w.createNewWindow(listOf({10, 20, 30}));
        CImgDoc *doc = w.activeDocument();
        doc->view->model.currentIndex = 0;
        w.applyOperation(OpCode::Invert, false);
        QCOMPARE(w.documents().size(), 1);
        QCOMPARE(doc->view->imageCount(), 4);
        QCOMPARE(doc->view->currentIndex(), 3);
        QCOMPARE(doc->view->model.current()(0, 0), 245.0);
        QCOMPARE((*doc->view->model.image(0))(0, 0), 10.0);
        QCOMPARE((*doc->view->model.image(2))(0, 0), 30.0);
        w.applyOperation(OpCode::GaussBlur, false);  // an unchanged copy
        QCOMPARE(doc->view->imageCount(), 5);
        QCOMPARE(doc->view->model.current()(0, 0), 245.0);
        w.applyOperation(OpCode::GrayStats, true);  // statistics never append
        QCOMPARE(doc->view->imageCount(), 5);
        closeAll(w);
    }

    void failedOperationLeavesTheDocumentAsItWas()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        ImageList broken;
        broken.push_back(Image(4, 4, 1, 1, 1.0));
        broken.push_back(Image());  // inverting an empty image fails in the library
        w.createNewWindow(broken);
        CImgDoc *doc = w.activeDocument();
        w.actNewWindow->setChecked(false);
        w.applyOperation(OpCode::Invert, false);
        QCOMPARE(doc->view->imageCount(), 2);
        QCOMPARE(doc->view->currentIndex(), 1);
        QVERIFY(answers.sawTitle("Operation failed"));
        QVERIFY(!answers.sawTitle("Filter applied"));

        closeAll(w);
    }

    void selectionActionRule()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        QAction *rect = w.operationAction(OpCode::SelectRect), *ellipse = w.operationAction(OpCode::SelectEllipse);
        QAction *area = w.operationAction(OpCode::SelectArea), *poly = w.operationAction(OpCode::SelectPoly);
        // Without a document only the triggered action toggles.
        ellipse->setChecked(true);
        rect->trigger();
        QVERIFY(rect->isChecked() && ellipse->isChecked());
        rect->setChecked(false);
        ellipse->setChecked(false);

        w.actNewWindow->setChecked(true);  // selections never clone
        w.createNewWindow(listOf({1}));
        CImgDoc *doc = w.activeDocument();
        poly->setChecked(true);
        rect->trigger();
        QVERIFY(rect->isChecked() && !poly->isChecked() && !ellipse->isChecked() && !area->isChecked());
        QCOMPARE(doc->view->state, 1);
        QCOMPARE(doc->view->imageCount(), 2);
        rect->trigger();
        QVERIFY(!rect->isChecked());
        QCOMPARE(doc->view->state, 0);
        QCOMPARE(doc->view->imageCount(), 3);
        area->trigger();
        QCOMPARE(doc->view->state, 7);
        QCOMPARE(doc->view->imageCount(), 3);
        QCOMPARE(w.documents().size(), 1);

        // The document's reported state sets the check marks, nothing else.
        emit doc->transmitState(tool::Polygon);
        QVERIFY(poly->isChecked() && !rect->isChecked() && !area->isChecked() && !ellipse->isChecked());
        emit doc->transmitState(tool::Normal);
        QVERIFY(!poly->isChecked() && !rect->isChecked() && !area->isChecked() && !ellipse->isChecked());
        QCOMPARE(doc->view->state, 7);
        closeAll(w);
    }

    void windowMenuTexts()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        const QString path = writeTestPicture(dir, "scan.png");
        answers.fileNames.enqueue(path);
        QVERIFY(w.openFile(path));
        for (int i = 0; i < 9; ++i) w.createNewWindow(listOf({double(i)}));
        w.updateWindowMenu();
        QStringList texts;
        for (QAction *a : w.menuWindow->actions())
            if (a->isCheckable()) texts << a->text();
        QCOMPARE(texts.size(), 10);
        const int first = w.documents().first()->imageNumber;
        QCOMPARE(texts[0], QString("&1 scan.png - Image %1").arg(first));
        QCOMPARE(texts[1], QString("&2 Image %1").arg(first + 1));
        QCOMPARE(texts[9], QString("10 Image %1").arg(first + 9));
        QVERIFY(w.actWindowSeparator->isVisible());
        closeAll(w);
        w.updateMenus();
        QVERIFY(!w.actSaveAs->isEnabled());
        QVERIFY(!w.actMinimize->isVisible());
    }

    void openingFiles()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        const QString path = writeTestPicture(dir, "twice.png");
        CImgDoc *first = w.openFile(path);
        QVERIFY(first);
        QVERIFY(answers.sawTitle("Image loaded"));
        QCOMPARE(first->view->model.current()(3, 2), double((3 * 7 + 2 * 3) % 256));
        QCOMPARE(first->view->pixmap->toImage().pixel(3, 2), qRgb(27, 27, 27));
        w.createNewWindow(listOf({1}));
        QCOMPARE(w.openFile(path), first);  // activates, creates nothing
        QCOMPARE(w.activeDocument(), first);
        QCOMPARE(w.documents().size(), 2);

        answers.shown.clear();
        QFile bad(dir.filePath("broken.png"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("garbage");
        bad.close();
        QVERIFY(!w.openFile(bad.fileName()));
        QCOMPARE(w.documents().size(), 2);
        QVERIFY(answers.sawTitle("Image not loaded"));
        QVERIFY(answers.shown.last().contains("broken.png"));
        QVERIFY(!answers.sawTitle("Image loaded"));
        closeAll(w);
    }

    void savingAndPrinting()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({300}));
        CImgDoc *doc = w.activeDocument();

        w.saveAs();  // cancelled: no message
        QVERIFY(answers.shown.isEmpty());

        answers.fileNames.enqueue(dir.filePath("a.PNG"));
        answers.filters.enqueue(".png");
        w.saveAs();
        QVERIFY(QFile::exists(dir.filePath("a.PNG")));
        QVERIFY(!QFile::exists(dir.filePath("a.PNG.png")));
        QCOMPARE(QImage(dir.filePath("a.PNG")).pixel(1, 1), qRgb(44, 44, 44));
        QVERIFY(answers.sawTitle("Image saved"));

        answers.shown.clear();
        answers.fileNames.enqueue(dir.filePath("scan"));
        answers.filters.enqueue(".bmp");
        w.saveAs();
        QVERIFY(QFile::exists(dir.filePath("scan.bmp")));

        answers.shown.clear();
        answers.fileNames.enqueue(dir.filePath("no-such-folder/x"));
        w.saveAs();
        QVERIFY(answers.sawTitle("Image not saved"));
        QVERIFY(!answers.sawTitle("Image saved"));

        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("page.pdf"));
        doc->printOn(&printer);
        QVERIFY(QFileInfo(dir.filePath("page.pdf")).size() > 500);
        closeAll(w);
    }

    // The printed image keeps its proportions whatever the shape of the view around it, and
    // its pixels (no JPEG).
    void printingKeepsTheImageProportions_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::newRow("wide") << QSize(90, 30);
        QTest::newRow("tall") << QSize(30, 90);
        QTest::newRow("large") << QSize(3000, 2000);
    }
    void printingKeepsTheImageProportions()
    {
        QFETCH(QSize, image);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        ImageList list;
        list.push_back(Image(image.width(), image.height(), 1, 1, 128.0));
        w.createNewWindow(list);
        CImgDoc *doc = w.activeDocument();
        doc->parentWidget()->resize(420, 150);  // a view of yet another shape

        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("proportions.pdf"));
        doc->printOn(&printer);
        const QSizeF placed = placedImageSize(dir.filePath("proportions.pdf"));
        QVERIFY(!placed.isEmpty());
        QFile pdf(dir.filePath("proportions.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY2(!pdf.readAll().contains("/DCTDecode"), "the image is stored as JPEG");
        QCOMPARE_LT(qAbs(placed.width() / placed.height() / (double(image.width()) / image.height()) - 1.0), 0.01);
        // It fills the page in one direction and fits it in the other.
        const QSizeF page = printer.pageLayout().fullRect(QPageLayout::Point).size();
        QCOMPARE_LE(placed.width(), page.width());
        QCOMPARE_LE(placed.height(), page.height());
        QCOMPARE_GT(qMax(placed.width() / page.width(), placed.height() / page.height()), 0.8);
        closeAll(w);
    }

    // What Save As offers and writes: gray renderings as 8-bit gray, the values of an image
    // of more than 256 levels as 16-bit gray or doubles; the first entry is preselected.
    void saveFormats_data()
    {
        QTest::addColumn<QList<double>>("values");  // a 300 x 1 image repeating these; none: x * 0.85
        QTest::addColumn<QString>("filter");         // a suffix picks its first filter
        QTest::addColumn<QString>("preselected");
        QTest::addColumn<QString>("format");          // of the written file as Qt reads it
        QTest::addColumn<double>("tolerance");        // of the values read back; < 0: the rendering
        const QList<double> whole = {0, 255, 44}, deep;
        QTest::newRow("gray PNG") << whole << ".png" << "PNG image (*.png)" << "Grayscale8" << -1.0;
        QTest::newRow("gray TIFF") << whole << ".tif" << "PNG image (*.png)" << "Grayscale8" << -1.0;
        QTest::newRow("16-bit PNG") << deep << ".png" << "16-bit PNG image (*.png)" << "Grayscale16" << 255.0 / 65535;
        QTest::newRow("16-bit TIFF") << deep << ".tif" << "16-bit PNG image (*.png)" << "Grayscale16" << 255.0 / 65535;
        QTest::newRow("doubles") << deep << ".cimg" << "16-bit PNG image (*.png)" << QString() << 0.0;
        QTest::newRow("deep, 8-bit rendering") << deep << "PNG image (*.png)" << "16-bit PNG image (*.png)"
                                               << "Grayscale8" << -1.0;
    }

    void saveFormats()
    {
        QFETCH(QList<double>, values);
        QFETCH(QString, filter);
        QFETCH(QString, preselected);
        QFETCH(QString, format);
        QFETCH(double, tolerance);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        Image image(300, 1, 1, 1);
        cimg_forX(image, x) image(x) = values.isEmpty() ? x * 0.85 : values[x % values.size()];
        w.createNewWindow(ImageList(image));
        const QString name = dir.filePath(QTest::currentDataTag());
        answers.fileNames.enqueue(name);
        answers.filters.enqueue(filter);
        w.saveAs();
        QCOMPARE(answers.preselectedFilter, preselected);
        const QString path = name + "." + QString(filter.startsWith('.') ? filter.mid(1) : "png");
        QVERIFY2(QFile::exists(path), qPrintable(answers.shown.join("\n")));
        if (!format.isEmpty()) QCOMPARE(QImage(path).format(), QImage::Format(QMetaEnum::fromType<QImage::Format>().keyToValue(qPrintable("Format_" + format))));
        NullProgress progress;
        const Image back = loadAnyImage(path, progress).image;
        QCOMPARE(back.width(), 300);
        const Image expected = tolerance < 0 ? image.get_round(1, -1).cut(0, 255) : image;
        QCOMPARE_LE((back - expected).abs().max(), std::max(tolerance, 0.0));
        closeAll(w);
    }

    // The real save dialog shows the filters in order and lists the files they name.
    void saveDialogListsExistingFiles()
    {
        QVERIFY(QImage(4, 4, QImage::Format_Grayscale8).save(dir.filePath("existing.png")));
        QStringList offered;
        bool listed = false;
        QElapsedTimer waited;
        waited.start();
        QTimer poll;
        // The dialog's file list fills in the background: look until the file shows.
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<QFileDialog *>(top)) {
                    offered = dialog->nameFilters();
                    const auto *list = dialog->findChild<QListView *>("listView");
                    for (int row = 0; list && row < list->model()->rowCount(list->rootIndex()); ++row)
                        listed |= list->model()->index(row, 0, list->rootIndex()).data().toString() == "existing.png";
                    if (listed || waited.elapsed() > 5000) dialog->reject();
                }
        });
        poll.start(20);
        UserDialogs real;
        QString filter = "PNG image (*.png)";
        const QStringList filters = {"JPEG image (*.jpg)", "PNG image (*.png)"};
        QVERIFY(real.getSaveFileName(nullptr, "Save image", dir.path(), filters, &filter).isEmpty());
        QCOMPARE(offered, filters);
        QVERIFY(listed);
    }

    // Fit to window fills the window without scroll bars; actual size goes back to 100 %;
    // Save As, Print and both zooms have shortcuts.
    void fitToWindowAndShortcuts()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        ImageList list;
        list.push_back(Image(400, 100, 1, 1, 9.0));
        w.createNewWindow(list);
        CImgDoc *doc = w.activeDocument();
        doc->parentWidget()->resize(300, 300);
        w.actFitToWindow->trigger();
        const QSize area = doc->maximumViewportSize();
        QCOMPARE(doc->view->zoomFactor, float(area.width()) / 400.0f);
        QVERIFY(!doc->horizontalScrollBar()->isVisible());
        QVERIFY(doc->windowTitle().endsWith(QString("(%1%)").arg(int(double(doc->view->zoomFactor) * 100.0))));
        w.actActualSize->trigger();
        QCOMPARE(doc->view->zoomFactor, 1.0f);
        QCOMPARE(w.actFitToWindow->shortcut(), QKeySequence("Ctrl+0"));
        QCOMPARE(w.actSaveAs->shortcut(), QKeySequence("Ctrl+Shift+S"));
        QCOMPARE(w.actPrint->shortcut(), QKeySequence("Ctrl+P"));
        closeAll(w);
    }

    // The reports offer their figures for copying, one "label<TAB>value" line each.
    void reportFiguresAreCopied()
    {
        QCOMPARE(reportFigures("<p><h3>Binary image information<br>Image 3</h3></p><p><b>Area:</b> 12 px<br>"
                               "<b>Length:</b> 5 px</p><p>White coverage: 4,5 %</p>"),
                 QString("Binary image information\nImage 3\nArea\t12 px\nLength\t5 px\nWhite coverage\t4,5 %\n"));
        QTimer::singleShot(0, this, [] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(top))
                    for (QAbstractButton *b : box->buttons())
                        if (b->text() == "Copy figures") b->click();
        });
        UserDialogs().report(nullptr, "Report", "<b>Mean:</b> 1.5");
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("Mean\t1.5\n"));
    }

    void navigationFollowsTheReportingDocument()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({1, 2, 3, 4, 5}));
        CImgDoc *a = w.activeDocument();
        w.createNewWindow(listOf({7, 8}));
        CImgDoc *b = w.activeDocument();
        ImgNavDlg *nav = w.imgNavDlg;

        a->forwardCurrentIndex();
        QCOMPARE(nav->windowTitle(), QString("Image navigation (5/5)"));
        QCOMPARE(nav->horizontalSlider->maximum(), 5);
        emit nav->horizontalSlider->sliderMoved(2);
        QCOMPARE(a->view->currentIndex(), 1);
        QCOMPARE(nav->windowTitle(), QString("Image navigation (2/5)"));

        b->forwardCurrentIndex();  // re-targets: dragging now changes only b
        emit nav->horizontalSlider->sliderMoved(1);
        QCOMPARE(b->view->currentIndex(), 0);
        QCOMPARE(a->view->currentIndex(), 1);

        nav->setCurrentIndexSlot(b, 0, 0);
        QCOMPARE(nav->windowTitle(), QString("Image navigation"));
        QCOMPARE(nav->horizontalSlider->maximum(), 0);

        // A destroyed document is never called into.
        b->forwardCurrentIndex();
        QPointer<CImgDoc> closed = b;
        b->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closed.isNull());
        QCOMPARE(nav->currentDoc.data(), a);  // it follows the document left active
        emit nav->horizontalSlider->sliderMoved(1);
        a->forwardCurrentIndex();
        QCOMPARE(nav->currentDoc.data(), a);
        closeAll(w);
    }

    void focusReportsPositionOnceAndStateEveryTime()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({1}));
        CImgDoc *doc = w.activeDocument();
        QSignalSpy positions(doc, &CImgDoc::setCurrentIndex);
        QSignalSpy states(doc, &CImgDoc::transmitState);
        doc->focusReported = false;
        QFocusEvent in(QEvent::FocusIn), out(QEvent::FocusOut);
        QCoreApplication::sendEvent(doc, &in);
        QCoreApplication::sendEvent(doc, &in);
        QCOMPARE(positions.count(), 1);
        QCOMPARE(states.count(), 2);
        QCoreApplication::sendEvent(doc, &out);
        QCoreApplication::sendEvent(doc, &in);
        QCOMPARE(positions.count(), 2);
        closeAll(w);
    }

    void pastingIntoAClosedDocumentIsIgnored()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({0}));
        CImgDoc *doc = w.activeDocument();
        const int gone = doc->imageNumber + 100;
        w.addToImgSlot(gone, Image(6, 4, 1, 1, 255.0));
        w.addToImgSlot(doc->imageNumber, Image(6, 4, 1, 1, 255.0));
        QCOMPARE(doc->view->model.current()(2, 2), 255.0);
        w.addToImgSlot(doc->imageNumber, Image(3, 3, 1, 1, 255.0));
        QVERIFY(answers.sawTitle("Information"));
        closeAll(w);
    }

    void menusAndToolbars()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QStringList image;
        for (QAction *a : w.menuImage->actions()) image << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(image.last(), QString("Show image navigation"));
        QCOMPARE(image.count("Show image navigation"), 1);
        QStringList toolbars;
        for (QToolBar *bar : w.findChildren<QToolBar *>()) toolbars << bar->objectName();
        QCOMPARE(toolbars, QStringList({"objFileToolBar", "objGeneralFToolBar", "objMorphoToolbar",
                                        "objNonlinearToolbar", "objVesselEnhToolBar", "objNewwindowToolBar"}));
        // Four operations are reachable by no menu, toolbar or shortcut.
        for (const OpCode op : {OpCode::GaussBlur, OpCode::InvFft, OpCode::Erase, OpCode::Log2}) {
            QAction *a = w.operationAction(op);
            QVERIFY(a->shortcut().isEmpty());
            QVERIFY2(a->associatedObjects().isEmpty(), a->text().toLatin1());
        }
        QCOMPARE(w.operationAction(OpCode::InvFft)->text(), QString("Inverse FFT"));
        QCOMPARE(w.actOpen->shortcut(), QKeySequence("Ctrl+O"));
    }
};

QUENDRA_GUI_TEST_MAIN(MainWindowTest)
#include "test_foundation.moc"
