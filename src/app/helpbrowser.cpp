#include "app/helpbrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "dialogs/userdialogs.h"

HelpBrowser::HelpBrowser(const QString &path, const QString &page, QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    browser = new QTextBrowser(this);
    btnHome = new QPushButton(tr("&Home"), this);
    btnBack = new QPushButton(tr("&Back"), this);
    btnClose = new QPushButton(tr("Close"), this);
    btnPrint = new QPushButton(tr("&Print"), this);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnHome);
    buttons->addWidget(btnBack);
    buttons->addStretch(1);
    buttons->addWidget(btnPrint);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser);

    connect(btnHome, &QPushButton::clicked, browser, &QTextBrowser::home);
    connect(btnBack, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(btnPrint, &QPushButton::clicked, this, &HelpBrowser::print);
    connect(browser, &QTextBrowser::sourceChanged, this, &HelpBrowser::updateCaption);
    browser->setSearchPaths({path});
    browser->setSource(QUrl(page));
    updateCaption();
}

QString HelpBrowser::helpFolder()
{
    const QString beside = QCoreApplication::applicationDirPath() + "/doc";
    if (QDir(beside).exists()) return beside;
    return QStringLiteral(QUENDRA_DATA_DIR "/doc");
}

HelpBrowser *HelpBrowser::openHelpPage(const QString &page)
{
    auto *window = new HelpBrowser(helpFolder(), page, nullptr);
    window->resize(650, 400);
    window->show();
    return window;
}

void HelpBrowser::updateCaption() { setWindowTitle(tr("Help: %1").arg(browser->documentTitle())); }

void HelpBrowser::printOn(QPrinter *printer)
{
    // Images of the pages are found in the manual's folder.
    QString html = browser->document()->toHtml();
    html.replace(QLatin1String("src=\""), QLatin1String("src=\"") + helpFolder() + "/");
    QTextDocument document;
    document.setHtml(html);
    document.print(printer);
}

void HelpBrowser::print()
{
    QPrinter printer(QPrinter::ScreenResolution);
    if (!dialogs().print(this, &printer)) return;
    printOn(&printer);
}
