// Every modal question, message, input box, file dialog and dialog exec of the program goes
// through this one interface. The program uses the real Qt dialogs; tests install scripted
// answers, so no test ever blocks on a dialog.
#pragma once
#include <QList>
#include <QString>
#include <QStringList>

class QDialog;
class QPrinter;
class QWidget;

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    virtual void information(QWidget *parent, const QString &title, const QString &text);
    virtual void warning(QWidget *parent, const QString &title, const QString &text);
    // A report of figures (rich text): an information box whose "Copy figures" button puts
    // reportFigures(text) on the clipboard.
    virtual void report(QWidget *parent, const QString &title, const QString &text);
    // Asks with the given buttons (first to last); returns the index of the answer.
    virtual int question(QWidget *parent, const QString &title, const QString &text, const QStringList &buttons,
                         int defaultButton, int escapeButton);
    // Like question, shown with a warning icon.
    virtual int warningQuestion(QWidget *parent, const QString &title, const QString &text,
                                const QStringList &buttons, int defaultButton, int escapeButton);
    virtual double getDouble(QWidget *parent, const QString &title, const QString &label, double value,
                             double minimum, double maximum, int decimals, bool *ok);
    virtual QString getItem(QWidget *parent, const QString &title, const QString &label, const QStringList &items,
                            int current, bool *ok);
    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter);
    // One choice below the open dialog's file list: its label, its items, and the index
    // shown first on entry and chosen on return.
    struct Choice {
        QString label;
        QStringList items;
        int index = 0;
    };
    // The open dialog with choices below the file list, in order.
    virtual QString getOpenImageFileName(QWidget *parent, const QString &caption, const QString &dir,
                                         const QString &filter, QList<Choice> &choices);
    // The save dialog with a list of suffix filters; returns the name, sets the chosen filter.
    // A selectedFilter that names one of the filters on entry is preselected.
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QStringList &filters, QString *selectedFilter);
    // Runs a modal dialog of the program (an operation's parameter dialog) and returns its result code.
    virtual int exec(QDialog *dialog);
    // Shows the print dialog for printer; true when the user chose to print.
    virtual bool print(QWidget *parent, QPrinter *printer);
};

// The figures of a rich-text report as plain lines, "label<TAB>value" where a line reads
// "label: value", for pasting into a spreadsheet or a note.
QString reportFigures(const QString &text);

// The dialogs in use. Tests install their own with setDialogs (ownership stays with the caller).
UserDialogs &dialogs();
void setDialogs(UserDialogs *replacement);
