#include "app/helpbrowser.h"

#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "ops/io/datafolders.h"
#include "dialogs/userdialogs.h"

HelpBrowser::HelpBrowser(const QString &path, const QString &page, QWidget *parent) : QWidget(parent), folder(path)
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

QString HelpBrowser::helpFolder() { return dataFolder("doc"); }

HelpBrowser *HelpBrowser::openHelpPage(const QString &page)
{
    auto *window = new HelpBrowser(helpFolder(), page, nullptr);
    window->resize(650, 400);
    window->show();
    return window;
}

void HelpBrowser::updateCaption() { setWindowTitle(tr("Help: %1").arg(browser->documentTitle())); }

QString HelpBrowser::printableHtml() const
{
    QString html = browser->document()->toHtml();
    html.replace(QLatin1String("src=\""), QLatin1String("src=\"") + folder + "/");
    return html;
}

void HelpBrowser::printOn(QPrinter *printer)
{
    QTextDocument document;
    document.setHtml(printableHtml());
    document.print(printer);
}

void HelpBrowser::print()
{
    QPrinter printer(QPrinter::ScreenResolution);
    if (!dialogs().print(this, &printer)) return;
    printOn(&printer);
}
