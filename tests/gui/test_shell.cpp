// The settings dialog, the about box and the help windows.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include "app/catalogue.h"
#include "ops/io/datafolders.h"
#include "app/helpbrowser.h"
#include "app/mainwindow.h"
#include "gui/guitestsupport.h"
#include "gui/scripteddialogs.h"

class ShellTest : public QObject {
    Q_OBJECT

    ScriptedDialogs answers;
    QTemporaryDir manual;

    static QSettings settings() { return QSettings("Korvel, Zentrilo", "Quendra Tool"); }
    void writePage(const QString &name, const QString &html)
    {
        QFile file(manual.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(html.toUtf8());
    }
    static QList<HelpBrowser *> helpWindows()
    {
        QList<HelpBrowser *> found;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *help = qobject_cast<HelpBrowser *>(w)) found << help;
        return found;
    }

private slots:
    void initTestCase()
    {
        writePage("index.html", "<html><head><title>Contents</title></head><body>"
                                "<a href=\"second.html\">next</a><img src=\"picture.png\"></body></html>");
        writePage("second.html", "<html><head><title>Second page</title></head><body>text</body></html>");
    }
    void init()
    {
        answers = ScriptedDialogs();
        settings().clear();
    }

    // Runs the settings dialog with a script that picks index choose (or cancels) and
    // records what the combo box showed on entry.
    void settingsDialog_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("choose");  // -1: cancel
        QTest::addColumn<int>("expectedStored");
        QTest::addColumn<bool>("message");
        QTest::newRow("choose German") << 0 << 1 << 1 << true;
        QTest::newRow("German preselected, back to English") << 1 << 0 << 0 << true;
        QTest::newRow("cancel keeps German") << 1 << -1 << 1 << false;
        QTest::newRow("cancel on first run writes nothing") << -1 << -1 << -1 << false;
    }
    void settingsDialog()
    {
        QFETCH(int, stored);
        QFETCH(int, choose);
        QFETCH(int, expectedStored);
        QFETCH(bool, message);
        if (stored >= 0) settings().setValue("language", stored);
        ScriptedDialogs::Scope scope(answers);
        MainWindow w;
        QStringList items;
        int preselected = -2;
        QSize size;
        answers.execs.enqueue([&](QDialog *dialog) {
            auto *combo = dialog->findChild<QComboBox *>("comboBox");
            for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
            preselected = combo->currentIndex();
            size = dialog->size();
            if (choose < 0) return int(QDialog::Rejected);
            combo->setCurrentIndex(choose);
            return int(QDialog::Accepted);
        });
        w.settings();
        QCOMPARE(answers.shown.value(0), QString("exec|Settings"));
        QCOMPARE(items, QStringList({"English", "German"}));
        QCOMPARE(preselected, qMax(stored, 0));
        QVERIFY(size.width() >= 260 && size.height() >= 125);
        QCOMPARE(settings().value("language", -1).toInt(), expectedStored);
        QCOMPARE(answers.sawTitle("Settings saved"), message);
        if (message)
            QVERIFY(answers.shown.contains("Settings saved|The settings have been saved.<br>Please restart the "
                                           "program to enable the changes."));
        QCOMPARE(w.windowTitle(), QString("Quendra Tool - V" QUENDRA_VERSION));  // not retranslated
    }

    void aboutBoxIsModalFixedAndComplete()
    {
        MainWindow w;
        w.about();
        QDialog *box = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->windowTitle() == "About Quendra Tools" && top->isVisible()) box = qobject_cast<QDialog *>(top);
        QVERIFY(box);
        QVERIFY(box->isModal());
        QCOMPARE(box->minimumSize(), QSize(455, 410));
        QCOMPARE(box->maximumSize(), QSize(455, 410));
        QString texts;
        for (QLabel *label : box->findChildren<QLabel *>()) texts += label->text();
        QVERIFY(texts.contains("Quendra Tool"));
        QVERIFY(texts.contains("This software package offers computer vision tools for the analysis of vasculature."));
        QVERIFY(texts.contains("Version " QUENDRA_VERSION));
        // Every label fits the fixed box: nothing is cut off at the right or bottom edge.
        for (QLabel *label : box->findChildren<QLabel *>()) {
            const QRect r(label->mapTo(box, QPoint(0, 0)), label->size());
            QVERIFY2(box->rect().contains(r), qPrintable(label->text()));
        }
        auto *ok = box->findChild<QPushButton *>("okButton");
        QVERIFY(ok);
        ok->click();
        QVERIFY(!box->isVisible());
    }

    void helpWindowTitlesFollowThePages()
    {
        HelpBrowser help(manual.path(), "index.html");
        QCOMPARE(help.windowTitle(), QString("Help: Contents"));
        help.browser->setSource(QUrl("second.html"));
        QCOMPARE(help.windowTitle(), QString("Help: Second page"));
        help.btnBack->click();
        QCOMPARE(help.windowTitle(), QString("Help: Contents"));
        help.browser->setSource(QUrl("second.html"));
        help.btnHome->click();
        QCOMPARE(help.windowTitle(), QString("Help: Contents"));
    }

    void missingPageShowsAnEmptyWindow()
    {
        HelpBrowser help(manual.filePath("nowhere"), "index.html");
        QVERIFY(help.browser->toPlainText().trimmed().isEmpty());
        QCOMPARE(help.windowTitle(), QString("Help: "));
    }

    void printingPointsImagesIntoTheManualFolder()
    {
        HelpBrowser help(manual.path(), "index.html");
        const QString html = help.printableHtml();
        QVERIFY2(html.contains("src=\"" + manual.path() + "/picture.png\""), qPrintable(html));
        ScriptedDialogs::Scope scope(answers);
        answers.printAccepted = false;
        help.btnPrint->click();  // cancelled print dialog: nothing happens
        QVERIFY(answers.shown.isEmpty());
    }

    void eachHelpCallOpensAFurtherWindow()
    {
        const int before = helpWindows().size();
        MainWindow w;
        w.help();
        w.help();
        const QList<HelpBrowser *> windows = helpWindows();
        QCOMPARE(windows.size(), before + 2);
        for (HelpBrowser *h : windows) {
            QCOMPARE(h->size(), QSize(650, 400));
            h->close();  // deletes itself
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(helpWindows().size(), 0);
    }

    // The chosen language reaches Qt's own dialogs and buttons, and numbers are shown and
    // typed in that language's way whatever locale was in force before.
    void languageReachesQtsDialogsAndNumbers_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("lookIn");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::newRow("English") << 0 << "Cancel" << "Look in:" << "1234.50" << "2.25";
        QTest::newRow("German") << 1 << "Abbrechen" << "Suchen in:" << "1234,50" << "2,25";
        QTest::newRow("unknown language: English") << 5 << "Cancel" << "Look in:" << "1234.50" << "2.25";
    }
    void languageReachesQtsDialogsAndNumbers()
    {
        QFETCH(int, language);
        QFETCH(QString, cancel);
        QFETCH(QString, lookIn);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        const QLocale before;
        QLocale::setDefault(QLocale(language == 1 ? QLocale::English : QLocale::German));
        QTranslator own, qt;
        installLanguage(language, own, qt);

        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        QDoubleSpinBox spin;
        spin.setRange(0, 10000);
        spin.setValue(1234.5);
        const QString cancelText = box.button(QDialogButtonBox::Cancel)->text();
        const QString lookInText = files.labelText(QFileDialog::LookIn);
        const QString spinText = spin.text();
        spin.findChild<QLineEdit *>()->selectAll();
        QTest::keyClicks(&spin, typed);
        const double value = spin.value();

        QCoreApplication::removeTranslator(&own);
        QCoreApplication::removeTranslator(&qt);
        QLocale::setDefault(before);
        QCOMPARE(cancelText, cancel);
        QCOMPARE(lookInText, lookIn);
        QCOMPARE(spinText, shown);
        QCOMPARE(value, 2.25);
    }

    void installedLayoutIsSearched()
    {
        const QStringList candidates = dataFolderCandidates("doc");
        QCOMPARE(candidates.value(0), QCoreApplication::applicationDirPath() + "/doc");
        QCOMPARE(candidates.value(1),
                 QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/quendra/doc"));
    }
};

QUENDRA_GUI_TEST_MAIN(ShellTest)

#include "test_shell.moc"
