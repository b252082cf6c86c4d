// A simple window over the HTML help pages, with Home, Back, Print and Close.
#pragma once
#include <QWidget>

class QPrinter;
class QPushButton;
class QTextBrowser;

class HelpBrowser : public QWidget {
    Q_OBJECT

public:
    HelpBrowser(const QString &path, const QString &page, QWidget *parent = nullptr);
    // Opens a further help window on page of the manual.
    static HelpBrowser *openHelpPage(const QString &page);
    // The manual's folder: doc/ beside the executable, else the installed one.
    static QString helpFolder();
    // The shown page as HTML whose image sources point into the manual's folder, so that
    // printing finds them whatever the working directory.
    QString printableHtml() const;
    // Prints the shown page on printer.
    void printOn(QPrinter *printer);

    QTextBrowser *browser = nullptr;
    QPushButton *btnHome = nullptr, *btnBack = nullptr, *btnClose = nullptr, *btnPrint = nullptr;

private:
    QString folder;

private slots:
    void updateCaption();
    void print();
};
