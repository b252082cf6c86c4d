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
    // Prints the shown page on printer, with images looked up in doc/.
    void printOn(QPrinter *printer);

    QTextBrowser *browser = nullptr;
    QPushButton *btnHome = nullptr, *btnBack = nullptr, *btnClose = nullptr, *btnPrint = nullptr;

private slots:
    void updateCaption();
    void print();
};
