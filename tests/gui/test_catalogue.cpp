// The German catalogue: the program started with the stored language 1 shows its menus,
// actions, dialogs and messages in German, keeps the four texts that stay English, and the
// catalogue's source file leaves no text unfinished, untranslated or damaged.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QXmlStreamReader>
#include <QtTest>

#include "ops/table/operations.h"

#include "app/appsettings.h"
#include "app/catalogue.h"
#include "app/helpbrowser.h"
#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"
#include "view/pixmapwidget.h"

namespace {

struct Entry {
    QString context, source, translation, type;
};

// Every message of a .ts file, in file order.
QList<Entry> readCatalogue(const QString &path, QString *language = nullptr, QString *sourceLanguage = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QXmlStreamReader xml(&file);
    QList<Entry> entries;
    QString context;
    Entry entry;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement()) continue;
        const auto name = xml.name();
        if (name == u"TS") {
            if (language) *language = xml.attributes().value("language").toString();
            if (sourceLanguage) *sourceLanguage = xml.attributes().value("sourcelanguage").toString();
        } else if (name == u"name") {
            context = xml.readElementText();
        } else if (name == u"message") {
            entry = Entry{context, {}, {}, {}};
        } else if (name == u"source") {
            entry.source = xml.readElementText();
        } else if (name == u"translation") {
            entry.type = xml.attributes().value("type").toString();
            entry.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            entries << entry;
        }
    }
    return entries;
}

QStringList matches(const QString &text, const QString &pattern)
{
    QStringList found;
    auto it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext()) found << it.next().captured(0);
    return found;
}

// The menu accelerator of a text (the letter after a single &), or a null char.
QChar accelerator(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        if (text[i + 1].isLetterOrNumber()) return text[i + 1].toLower();
    }
    return {};
}

QString menuText(QMenu *menu) { return menu->menuAction()->text(); }

}  // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;
    QTemporaryDir dir;
    QTranslator german;

    static QSettings settings() { return appSettings(); }
    static QString sourceDir() { return qEnvironmentVariable("QUENDRA_SOURCE_DIR"); }
    static QString catalogueSource() { return sourceDir() + "/lang/quendra_gr.ts"; }

    static ImageList listOf(std::initializer_list<double> values, int w = 8, int h = 8)
    {
        ImageList list;
        for (double v : values) list.push_back(Image(w, h, 1, 1, v));
        return list;
    }
    // A 16 x 16 image with a white cross on black: a binary image with something to measure.
    static ImageList crossImage()
    {
        Image image(16, 16, 1, 1, 0.0);
        for (int i = 2; i < 14; ++i) image(8, i) = image(i, 8) = 255.0;
        ImageList list;
        list.push_back(image);
        return list;
    }
    static QAction *actionNamed(MainWindow &w, const QString &text)
    {
        for (QAction *a : w.findChildren<QAction *>())
            if (a->text() == text) return a;
        return nullptr;
    }
    static void closeAll(MainWindow &w)
    {
        for (CImgDoc *doc : w.documents()) doc->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    template <class T>
    static QStringList textsOf(QWidget *parent, QString (T::*read)() const)
    {
        QStringList texts;
        for (T *child : parent->findChildren<T *>()) texts << (child->*read)();
        return texts;
    }

private slots:
    void initTestCase()
    {
        // The catalogue is looked up as "lang/quendra_gr" below the working directory.
        const QString build = qEnvironmentVariable("QUENDRA_BUILD_DIR");
        QVERIFY2(!build.isEmpty(), "QUENDRA_BUILD_DIR is not set");
        QVERIFY(QDir::setCurrent(build));
        QVERIFY2(QFile::exists("lang/quendra_gr.qm"), "the catalogue has not been built");
        settings().setValue("language", 1);
        QVERIFY(loadCatalogue(german, storedLanguage()));
        QCoreApplication::installTranslator(&german);
        QLocale::setDefault(languageLocale(1));  // as the program does with the catalogue
    }
    void init()
    {
        answers = ScriptedDialogs();
        settings().clear();
    }

    void storedLanguageChoosesTheCatalogue_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("fileMenu");
        QTest::newRow("German") << QVariant(1) << true << "&Datei";
        QTest::newRow("English: no catalogue needed") << QVariant(0) << false << "&File";
        QTest::newRow("first run") << QVariant() << false << "&File";
        QTest::newRow("unknown code") << QVariant(5) << false << "&File";
    }
    void storedLanguageChoosesTheCatalogue()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, loaded);
        QFETCH(QString, fileMenu);
        if (stored.isValid()) settings().setValue("language", stored);
        QTranslator translator;
        QCOMPARE(loadCatalogue(translator, storedLanguage()), loaded);
        const QString text = translator.translate("MainWindow", "&File");
        QCOMPARE(text.isEmpty() ? QString("&File") : text, fileMenu);
    }

    void menusAndToolbars()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QCOMPARE(w.windowTitle(), QString("Quendra Tool - V" QUENDRA_VERSION));
        QCOMPARE(w.statusBar()->currentMessage(), QString("Bereit"));
        QStringList bar;
        for (QAction *a : w.menuBar()->actions())
            if (!a->isSeparator()) bar << a->text();
        QCOMPARE(bar, QStringList({"&Datei", "&Bild", "&Ansicht", "&Hilfe"}));

        QStringList submenus;
        QMenu *image = w.menuBar()->actions()[1]->menu();
        for (QAction *a : image->actions())
            if (a->menu()) submenus << a->text();
        QCOMPARE(submenus, QStringList({"Auswählen", "Bildstatistik", "&Allgemeine Funktionen",
                                        "Morphologische Filter", "Filter zur Gefäßverstärkung", "Nichtlineare Filter"}));
        QCOMPARE(image->actions().last()->text(), QString("Bildnavigation anzeigen"));

        QStringList toolbars;
        for (QToolBar *t : w.findChildren<QToolBar *>()) toolbars << t->windowTitle();
        QCOMPARE(toolbars, QStringList({"Datei", "Allgemeine Funktionen", "Morphologische Operationen",
                                        "Nichtlineare Filter", "Operationen zur Gefäßverstärkung", "Neues Fenster"}));
    }

    // In every menu, the German accelerators are unique and each entry that had one keeps one.
    void acceleratorsStayUsable()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({1}));
        QList<QMenu *> menus;
        for (QAction *a : w.menuBar()->actions())
            if (a->menu()) menus << a->menu();
        for (qsizetype i = 0; i < menus.size(); ++i) {
            emit menus[i]->aboutToShow();  // the window menu is built when it opens
            for (QAction *a : menus[i]->actions())
                if (a->menu()) menus << a->menu();
        }
        QSet<QChar> bar;
        for (QMenu *menu : menus.mid(0, 4)) {
            const QChar key = accelerator(menuText(menu));
            QVERIFY2(!key.isNull() && !bar.contains(key), qPrintable(menuText(menu)));
            bar << key;
        }
        for (QMenu *menu : menus) {
            QMap<QChar, QString> used;
            for (QAction *a : menu->actions()) {
                const QChar key = accelerator(a->text());
                if (key.isNull()) continue;
                QVERIFY2(!used.contains(key), qPrintable(menuText(menu) + ": " + used.value(key) + " / " + a->text()));
                used.insert(key, a->text());
            }
        }
        closeAll(w);
    }

    void actionTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("erosion") << int(OpCode::Erode) << "Erosion";
        QTest::newRow("dilation") << int(OpCode::Dilate) << "Dilatation";
        QTest::newRow("opening") << int(OpCode::Open) << "Öffnung";
        QTest::newRow("closing") << int(OpCode::Close) << "Schließung";
        QTest::newRow("invert") << int(OpCode::Invert) << "Invertieren";
        QTest::newRow("top-hat") << int(OpCode::TopHat) << "Zylinderhut (Top-hat)";
        QTest::newRow("gaussian blur") << int(OpCode::GaussBlur) << "Gauß-Weichzeichner";
        QTest::newRow("logarithm") << int(OpCode::Log2) << "Logarithmus 2";
        QTest::newRow("spectrum") << int(OpCode::Fft) << "Betragsspektrum";
        QTest::newRow("laplacian") << int(OpCode::LaplEnh) << "Laplace-Pyramide";
        QTest::newRow("hysteresis") << int(OpCode::HystThres) << "Hysterese-Schwellwertverfahren";
        QTest::newRow("fuzzy") << int(OpCode::FuzzyClust) << "Fuzzy-Clustering";
        QTest::newRow("skeleton") << int(OpCode::Skeletonize) << "Skelettierung";
        QTest::newRow("binary statistics") << int(OpCode::BwStats) << "Binärbild-Statistik";
        QTest::newRow("thinning") << int(OpCode::ZhangSuen) << "Ausdünnung";
        QTest::newRow("polygon") << int(OpCode::SelectPoly) << "Polygon auswählen";
        // The four texts that stay English.
        QTest::newRow("inverse FFT stays") << int(OpCode::InvFft) << "Inverse FFT";
        QTest::newRow("eigenvalues stay") << int(OpCode::Eigenv) << "Eigenvls. of hessian M.";
        QTest::newRow("thresholding stays") << int(OpCode::Threshold) << "Thresholding";
        QTest::newRow("erase tool stays") << int(OpCode::Erase) << "Erase tool";
    }
    void actionTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QCOMPARE(w.operationAction(OpCode(code))->text(), text);
    }

    void fixedActionsKeepTheirShortcuts()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QMap<QString, QKeySequence> shortcuts;
        for (QAction *a : w.findChildren<QAction *>())
            if (!a->shortcut().isEmpty()) shortcuts.insert(a->text(), a->shortcut());
        QCOMPARE(shortcuts.value("&Öffnen..."), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(shortcuts.value("&Beenden"), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(shortcuts.value("&Schließen"), QKeySequence(Qt::CTRL | Qt::Key_F4));
        QCOMPARE(shortcuts.value("Nä&chstes"), QKeySequence(Qt::CTRL | Qt::Key_F6));
        QCOMPARE(shortcuts.value("&Vorheriges"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
        QCOMPARE(shortcuts.value("&Hilfe"), QKeySequence(Qt::Key_F1));
        QCOMPARE(shortcuts.value("Speichern &unter..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        QCOMPARE(shortcuts.value("&Drucken..."), QKeySequence(Qt::CTRL | Qt::Key_P));
        QCOMPARE(shortcuts.value("An &Fenster anpassen"), QKeySequence(Qt::CTRL | Qt::Key_0));
        QCOMPARE(shortcuts.value("&Originalgröße"), QKeySequence(Qt::CTRL | Qt::Key_1));
        QCOMPARE(shortcuts.size(), 10);
    }

    void settingsDialogAndItsMessage()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QStringList seen;
        answers.execs.enqueue([&](QDialog *dialog) {
            auto *tabs = dialog->findChild<QTabWidget *>();
            auto *combo = dialog->findChild<QComboBox *>();
            seen << dialog->windowTitle() << tabs->tabText(0) << textsOf<QLabel>(dialog, &QLabel::text)
                 << textsOf<QPushButton>(dialog, &QPushButton::text) << combo->itemText(0) << combo->itemText(1);
            combo->setCurrentIndex(1);
            return int(QDialog::Accepted);
        });
        QVERIFY(QMetaObject::invokeMethod(&w, "settings"));
        QCOMPARE(seen, QStringList({"Einstellungen", "Sprache", "Bitte wählen:", "OK", "Abbrechen", "Englisch",
                                    "Deutsch"}));
        QCOMPARE(answers.shown.last(), QString("Einstellungen gespeichert|Die Einstellungen wurden gespeichert.<br>"
                                               "Bitte starten Sie das Programm neu, damit die Änderungen wirksam "
                                               "werden."));
        QCOMPARE(storedLanguage(), 1);
    }

    void aboutBox()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QVERIFY(QMetaObject::invokeMethod(&w, "about"));
        QDialog *about = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == "AboutDialog" && top->isVisible()) about = qobject_cast<QDialog *>(top);
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QString("Über Quendra Tools"));
        const QString labels = textsOf<QLabel>(about, &QLabel::text).join('\n');
        QVERIFY(labels.contains("Dieses Softwarepaket bietet"));
        QVERIFY(labels.contains("<b>Autoren:</b>"));
        QVERIFY(labels.contains("<b>Programmierung:</b>"));
        QVERIFY(!labels.contains("Authors"));
        about->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void helpWindow()
    {
        HelpBrowser *help = HelpBrowser::openHelpPage("index.html");
        QVERIFY(help);
        QCOMPARE(QStringList({help->btnHome->text(), help->btnBack->text(), help->btnPrint->text(),
                              help->btnClose->text()}),
                 QStringList({"&Startseite", "&Zurück", "&Drucken", "Schließen"}));
        QVERIFY(help->windowTitle().startsWith("Hilfe: "));
        help->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void operationDialogs()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(listOf({10, 200}));
        QStringList threshold, structuringElement;
        answers.execs.enqueue([&](QDialog *dialog) {
            threshold << dialog->windowTitle() << textsOf<QGroupBox>(dialog, &QGroupBox::title)
                      << textsOf<QCheckBox>(dialog, &QCheckBox::text) << textsOf<QPushButton>(dialog, &QPushButton::text);
            return int(QDialog::Rejected);
        });
        w.applyOperation(OpCode::Threshold, false);
        QCOMPARE(threshold, QStringList({"Schwellwert", "Schwellwertgrenze", "Bild anschließend invertieren", "OK",
                                         "Abbrechen"}));

        answers.execs.enqueue([&](QDialog *dialog) {
            structuringElement << textsOf<QGroupBox>(dialog, &QGroupBox::title)
                               << textsOf<QPushButton>(dialog, &QPushButton::text);
            return int(QDialog::Rejected);
        });
        w.applyOperation(OpCode::Erode, false);
        QCOMPARE(structuringElement, QStringList({"Form", "Größe", "OK", "Abbrechen"}));

        answers.answers.enqueue(0);  // "Weiter"
        w.applyOperation(OpCode::HystThres, false);
        QCOMPARE(answers.shown.last(), QString("Frage|Die Gefäße müssen weiß sein, damit der Algorithmus gut "
                                               "funktioniert."));
        QWidget *hysteresis = w.activeDocument()->view->hystDialog;
        QVERIFY(hysteresis);
        QCOMPARE(hysteresis->windowTitle(), QString("Gefäßsegmentierung, Hysterese-Schwellwertverfahren"));
        const QStringList boxes = textsOf<QGroupBox>(hysteresis, &QGroupBox::title);
        QVERIFY2(boxes.contains("Schwellwertgrenzen"), qPrintable(boxes.join(", ")));
        const QString labels = textsOf<QLabel>(hysteresis, &QLabel::text).join('\n');
        QVERIFY2(labels.contains(QString("<b>Referenzbild: %1</b>").arg(w.activeDocument()->imageNumber)),
                 qPrintable(labels));
        hysteresis->close();
        closeAll(w);
    }

    // What an operation reports, as "title|text" (a prefix of it for the reports).
    void messages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<ImageList>("images");
        QTest::addColumn<QString>("message");
        QTest::newRow("invert") << int(OpCode::Invert) << listOf({10}) << "Filter angewandt|Das Bild wurde invertiert";
        QTest::newRow("normalize") << int(OpCode::Normalize) << listOf({10}) << "Filter angewandt|Das Bild wurde normalisiert";
        QTest::newRow("spectrum") << int(OpCode::Fft) << listOf({10}) << "Filter angewandt|Das Betragsspektrum wurde berechnet";
        QTest::newRow("logarithm of zeros") << int(OpCode::Log2) << listOf({0})
                                            << "Hinweis|64 Werte waren 0 oder negativ und haben keinen Logarithmus";
        QTest::newRow("gray statistics") << int(OpCode::GrayStats) << listOf({10})
                                         << "Grauwertbild-Information|<p><h3>Grauwertbild-Information<br>Bild ";
        QTest::newRow("binary statistics") << int(OpCode::BwStats) << crossImage()
                                           << "Binärbild-Information|<p><h3>Binärbild-Information<br>Bild ";
        ImageList broken = listOf({1});
        broken.push_back(Image());  // inverting an empty image fails in the library
        QTest::newRow("failure") << int(OpCode::Invert) << broken << "Operation fehlgeschlagen|Invertieren fehlgeschlagen: ";
    }
    void messages()
    {
        QFETCH(int, code);
        QFETCH(ImageList, images);
        QFETCH(QString, message);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        actionNamed(w, "Neues Fenster beim Bearbeiten")->setChecked(false);
        w.createNewWindow(images);
        w.applyOperation(OpCode(code), operationRow(OpCode(code)).preparation == Preparation::ReadOnly);
        const QString expected = message;
        const bool found = std::any_of(answers.shown.begin(), answers.shown.end(),
                                       [&](const QString &s) { return s.startsWith(expected); });
        QVERIFY2(found, qPrintable(answers.shown.join("\n")));
        closeAll(w);
    }

    void binaryReportInGerman()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        w.createNewWindow(crossImage());
        w.applyOperation(OpCode::BwStats, true);
        QVERIFY(!answers.shown.isEmpty());
        const QString report = answers.shown.last();
        for (const char *word : {"<b>Breite:</b> 16 px", "<b>Höhe:</b> 16 px", "<b>Fläche:</b>", "<b>Länge:</b>",
                                 "Weißanteil:"})
            QVERIFY2(report.contains(QString::fromUtf8(word)), qPrintable(report));
        for (const char *word : {"Width", "Height", "Area", "Length", "coverage"})
            QVERIFY2(!report.contains(word), qPrintable(report));
        // Figures in German notation: a decimal comma.
        QVERIFY2(report.contains(QRegularExpression(QString::fromUtf8("Weißanteil: \\d+,\\d+ %"))), qPrintable(report));
        closeAll(w);
    }

    void fileMessagesAndClosing()
    {
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        w.show();
        QVERIFY(!w.openFile(dir.filePath("missing.png")));
        QCOMPARE(answers.shown.last(), QString("Bild nicht geladen|Die Datei missing.png konnte nicht als Bild "
                                               "geöffnet werden: die Datei existiert nicht"));
        QVERIFY(w.openFile(writeTestPicture(dir, "scan.png")));
        QCOMPARE(w.statusBar()->currentMessage(), QString("Datei geladen"));
        QVERIFY(answers.sawTitle("Bild geladen"));
        QCOMPARE(w.activeDocument()->windowTitle(), QString("scan.png - Bild %1 (100%)").arg(w.activeDocument()->imageNumber));

        answers.answers.enqueue(1);  // "Nein"
        QVERIFY(!w.close());
        QCOMPARE(answers.shown.last(), QString("Frage|Möchten Sie Quendra wirklich beenden?"));
        closeAll(w);
    }

    // The source file of the catalogue: complete, and every translation keeps what the
    // program fills in or interprets (placeholders, markup, accelerators, key names).
    void catalogueEntriesAreFinished()
    {
        QString language, sourceLanguage;
        const QList<Entry> entries = readCatalogue(catalogueSource(), &language, &sourceLanguage);
        QVERIFY2(entries.size() > 200, qPrintable(catalogueSource()));
        QCOMPARE(language, QString("de_DE"));
        QCOMPARE(sourceLanguage, QString("en"));
        const QStringList english = {"Inverse FFT", "Thresholding", "Eigenvls. of hessian M.", "Erase tool"};
        const QRegularExpression keyName("^(Ctrl|Shift|Alt|Meta|F\\d+)(\\+|$)");
        for (const Entry &e : entries) {
            const QString where = e.context + ": " + e.source;
            QVERIFY2(e.type.isEmpty(), qPrintable(where + " is " + e.type));
            QVERIFY2(!e.translation.trimmed().isEmpty(), qPrintable(where + " has no translation"));
            QVERIFY2(!(e.context == "MainWindow" && english.contains(e.source)), qPrintable(where + " stays English"));
            auto placeholders = matches(e.source, "%\\d"), translated = matches(e.translation, "%\\d");
            std::sort(placeholders.begin(), placeholders.end());
            std::sort(translated.begin(), translated.end());
            QVERIFY2(placeholders == translated, qPrintable(where + " -> " + e.translation));
            QVERIFY2(matches(e.source, "<[^>]*>") == matches(e.translation, "<[^>]*>"),
                     qPrintable(where + " -> " + e.translation));
            QVERIFY2(matches(e.source, "&\\w+;") == matches(e.translation, "&\\w+;"),
                     qPrintable(where + " -> " + e.translation));
            QVERIFY2(accelerator(e.source).isNull() == accelerator(e.translation).isNull(),
                     qPrintable(where + " -> " + e.translation));
            if (keyName.match(e.source).hasMatch()) QCOMPARE(e.translation, e.source);
        }
    }

    // Every text the sources mark for translation is in the catalogue.
    void catalogueCoversTheSources()
    {
        QString lupdate = QLibraryInfo::path(QLibraryInfo::BinariesPath) + "/lupdate";
        if (!QFileInfo(lupdate).isExecutable()) lupdate = QStandardPaths::findExecutable("lupdate");
        if (lupdate.isEmpty()) QSKIP("lupdate is not installed");
        const QString fresh = dir.filePath("fresh.ts");
        QProcess run;
        run.start(lupdate, {sourceDir() + "/src", "-ts", fresh, "-locations", "none", "-silent"});
        QVERIFY(run.waitForFinished(120000));
        QCOMPARE(run.exitCode(), 0);
        QSet<QString> known;
        for (const Entry &e : readCatalogue(catalogueSource())) known << e.context + '\n' + e.source;
        QStringList missing;
        for (const Entry &e : readCatalogue(fresh))
            if (!known.contains(e.context + '\n' + e.source)) missing << e.context + ": " + e.source;
        QVERIFY2(!readCatalogue(fresh).isEmpty(), "lupdate found no texts");
        QVERIFY2(missing.isEmpty(), qPrintable("not in lang/quendra_gr.ts (run lupdate and translate them):\n" +
                                               missing.join('\n')));
    }
};

QUENDRA_GUI_TEST_MAIN(CatalogueTest)
#include "test_catalogue.moc"
