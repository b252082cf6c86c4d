// Construction, closing and stored geometry of the main window.
#include "app/mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalMapper>
#include <QStatusBar>
#include <QToolBar>

#include "app/appsettings.h"
#include "dialogs/userdialogs.h"
#include "document/cimgdoc.h"
#include "document/imgnavdlg.h"

MainWindow::MainWindow()
{
    workspace = new QMdiArea(this);
    setCentralWidget(workspace);
    connect(workspace, &QMdiArea::subWindowActivated, this, &MainWindow::updateMenus);
    connect(workspace, &QMdiArea::subWindowActivated, this, &MainWindow::documentActivated);
    windowMapper = new QSignalMapper(this);
    connect(windowMapper, &QSignalMapper::mappedObject, this, [this](QObject *window) {
        workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(window));
    });
    workspace->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    workspace->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    imgNavDlg = new ImgNavDlg(this, 0);
    imgNavDlg->move(0, height() - 100);

    workspace->setBackground(QBrush(QPixmap(":/images/logosmall.png")));

    buildActions();
    buildMenus();
    buildToolBars();
    statusBar()->showMessage(tr("Ready"));
    updateMenus();
    loadWindowSettings();
    setWindowTitle(tr("Quendra Tool - V%1").arg(kVersionText));
}

void MainWindow::loadWindowSettings()
{
    QSettings settings = appSettings();
    restoreState(settings.value("mainWindow").toByteArray());
    const QPoint pos = settings.value("pos", QPoint(200, 200)).toPoint();
    const QSize size = settings.value("size", QSize(400, 400)).toSize();
    actNewWindow->setChecked(settings.value("toggleWndw", true).toBool());
    move(pos);
    resize(size);
}

void MainWindow::saveWindowSettings()
{
    QSettings settings = appSettings();
    settings.setValue("pos", pos());
    settings.setValue("size", size());
    settings.setValue("toggleWndw", actNewWindow->isChecked());
    settings.setValue("mainWindow", saveState(0));
}

MainWindow::~MainWindow()
{
    // Destroying a visible window hides the workspace and its documents after this part of
    // the object is gone; their signals must not reach its slots any more.
    disconnect(workspace, nullptr, this, nullptr);
    for (CImgDoc *doc : documents()) disconnect(doc, nullptr, this, nullptr);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Ask whenever a document is open: while another program (or another window of this one)
    // is active, the workspace has no active sub-window, yet closing would lose every document.
    if (!workspace->subWindowList().isEmpty()) {
        const int answer = dialogs().question(this, tr("Question"), tr("Do you really want to close Quendra?"),
                                              {tr("Yes"), tr("No")}, 1, 1);
        if (answer != 0) {
            event->ignore();
            return;
        }
    }
    workspace->closeAllSubWindows();
    if (!workspace->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    saveWindowSettings();
    event->accept();
}

void MainWindow::updateStatusBar(QString s) { statusBar()->showMessage(s); }

void MainWindow::showFileToolbar() { fileToolBar->show(); }
