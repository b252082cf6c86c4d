// Actions, menus and toolbars of the main window.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QToolBar>
#include <algorithm>
#include <vector>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"
#include "view/pixmapwidget.h"
#include "ops/table/operations.h"

namespace {

QString actionText(const OperationRow &row)
{
    return row.translated ? QCoreApplication::translate("MainWindow", row.actionText) : QString::fromLatin1(row.actionText);
}

// Adds the operation actions the table places in group to a menu or toolbar, ordered by
// their position, with the separators the table asks for.
template <class Bar, class Group>
void addOperations(Bar *bar, const QMap<OpCode, QAction *> &actions, Place<Group> OperationRow::*place, Group group)
{
    std::vector<const OperationRow *> rows;
    for (const OperationRow &row : operationTable())
        if ((row.*place).group == group) rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [place](const OperationRow *a, const OperationRow *b) {
        return (a->*place).position < (b->*place).position;
    });
    for (const OperationRow *row : rows) {
        if ((row->*place).separatorBefore) bar->addSeparator();
        bar->addAction(actions.value(row->code));
    }
}

}  // namespace

void MainWindow::buildActions()
{
    for (const OperationRow &row : operationTable()) {
        auto *action = new QAction(actionText(row), this);
        action->setObjectName(QLatin1String(row.slot));
        // The selection tools are modes: their actions stay checked while the mode is on.
        action->setCheckable(row.ask == Ask::Tool);
        if (*row.statusTip) action->setStatusTip(QCoreApplication::translate("MainWindow", row.statusTip));
        const OpCode code = row.code;
        const bool readOnly = row.preparation == Preparation::ReadOnly;
        connect(action, &QAction::triggered, this, [this, code, readOnly] { applyOperation(code, readOnly); });
        operationActions.insert(code, action);
    }

    const auto make = [this](const QString &text, const QString &shortcut, const QString &icon, const QString &tip) {
        auto *action = new QAction(text, this);
        if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
        if (!icon.isEmpty()) action->setIcon(QIcon(icon));
        if (!tip.isEmpty()) action->setStatusTip(tip);
        return action;
    };
    actOpen = make(tr("&Open..."), tr("Ctrl+O"), ":/images/fileopen.png", tr("Open an existing file"));
    connect(actOpen, &QAction::triggered, this, &MainWindow::open);
    actSaveAs = make(tr("Save &As..."), tr("Ctrl+Shift+S"), ":/images/filesaveas.png", tr("Save the document under a new name"));
    connect(actSaveAs, &QAction::triggered, this, &MainWindow::saveAs);
    actPrint = make(tr("&Print..."), tr("Ctrl+P"), ":/images/fileprint.png", tr("Prints the active image"));
    connect(actPrint, &QAction::triggered, this, &MainWindow::print);
    actSettings = make(tr("&Settings..."), {}, ":/images/configure.png", tr("Opens the configuration"));
    connect(actSettings, &QAction::triggered, this, &MainWindow::settings);
    actExit = make(tr("E&xit"), tr("Ctrl+Q"), ":/images/gohome.png", tr("Exit the application"));
    connect(actExit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    actImgNav = make(tr("Show image navigation"), {}, {}, {});
    connect(actImgNav, &QAction::triggered, this, &MainWindow::toggleImgNav);
    actNewWindow = make(tr("New window when editing"), {}, {}, tr("When activated, opens a new window when editing an image"));
    actNewWindow->setCheckable(true);
    actNewWindow->setChecked(true);
    actShowToolbar = make(tr("Show toolbar"), {}, {}, {});
    connect(actShowToolbar, &QAction::triggered, this, &MainWindow::showFileToolbar);
    actMinimize = make(tr("Minimize window"), {}, {}, {});
    connect(actMinimize, &QAction::triggered, this, &MainWindow::minimizeWndw);
    actClose = make(tr("Cl&ose"), tr("Ctrl+F4"), {}, tr("Close the active window"));
    connect(actClose, &QAction::triggered, workspace, &QMdiArea::closeActiveSubWindow);
    actCloseAll = make(tr("Close &All"), {}, {}, tr("Close all the windows"));
    connect(actCloseAll, &QAction::triggered, workspace, &QMdiArea::closeAllSubWindows);
    actTile = make(tr("&Tile"), {}, {}, tr("Tile the windows"));
    connect(actTile, &QAction::triggered, workspace, &QMdiArea::tileSubWindows);
    actCascade = make(tr("&Cascade"), {}, {}, tr("Cascade the windows"));
    connect(actCascade, &QAction::triggered, this, &MainWindow::cascade);
    actArrangeIcons = make(tr("Arrange &icons"), {}, {}, tr("Arrange the icons"));
    connect(actArrangeIcons, &QAction::triggered, this, &MainWindow::arrangeIcons);
    actNext = make(tr("Ne&xt"), tr("Ctrl+F6"), {}, tr("Move the focus to the next window"));
    connect(actNext, &QAction::triggered, workspace, &QMdiArea::activateNextSubWindow);
    actPrevious = make(tr("Pre&vious"), tr("Ctrl+Shift+F6"), {}, tr("Move the focus to the previous window"));
    connect(actPrevious, &QAction::triggered, workspace, &QMdiArea::activatePreviousSubWindow);
    actFitToWindow = make(tr("&Fit to window"), tr("Ctrl+0"), {}, tr("Zoom the active image to fill its window"));
    connect(actFitToWindow, &QAction::triggered, this, [this] {
        if (CImgDoc *doc = activeDocument()) doc->fitZoomToWindow();
    });
    actActualSize = make(tr("Act&ual size"), tr("Ctrl+1"), {}, tr("Show the active image at 100 %"));
    connect(actActualSize, &QAction::triggered, this, [this] {
        if (CImgDoc *doc = activeDocument()) doc->view->requestZoom(1.0f);
    });
    actWindowSeparator = new QAction(this);
    actWindowSeparator->setSeparator(true);
    actHelp = make(tr("&Help"), tr("F1"), {}, {});
    connect(actHelp, &QAction::triggered, this, &MainWindow::help);
    actAbout = make(tr("&About"), {}, {}, tr("Show the application's About box"));
    connect(actAbout, &QAction::triggered, this, &MainWindow::about);
    actAboutQt = make(tr("About &Qt"), {}, {}, tr("Show the Qt library's About box"));
    connect(actAboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void MainWindow::buildMenus()
{
    const auto add = [this](QMenu *menu, MenuGroup group) {
        addOperations(menu, operationActions, &OperationRow::menu, group);
    };
    menuFile = menuBar()->addMenu(tr("&File"));
    menuFile->addAction(actOpen);
    menuFile->addAction(actSaveAs);
    menuFile->addAction(actPrint);
    menuFile->addSeparator();
    menuFile->addAction(actSettings);
    menuFile->addSeparator();
    menuFile->addAction(actExit);

    menuImage = menuBar()->addMenu(tr("&Image"));
    menuSelect = menuImage->addMenu(tr("Select"));
    add(menuSelect, MenuGroup::Select);
    menuStats = menuImage->addMenu(tr("Image statistics"));
    add(menuStats, MenuGroup::Statistics);
    menuImage->addSeparator();
    menuGeneral = menuImage->addMenu(tr("&General actions"));
    add(menuGeneral, MenuGroup::General);
    menuMorph = menuImage->addMenu(tr("Morphological filters"));
    add(menuMorph, MenuGroup::Morphology);
    menuVessel = menuImage->addMenu(tr("Vessel enhancement filters"));
    add(menuVessel, MenuGroup::Vessel);
    menuNonlinear = menuImage->addMenu(tr("Non-linear filters"));
    add(menuNonlinear, MenuGroup::NonLinear);
    menuImage->addSeparator();
    menuImage->addAction(actNewWindow);
    // The run's entries stand beside the navigation that pages through its frames.
    menuImage->addSeparator();
    add(menuImage, MenuGroup::Run);
    menuImage->addAction(actImgNav);

    menuWindow = menuBar()->addMenu(tr("&View"));
    connect(menuWindow, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);
    updateWindowMenu();
    menuBar()->addSeparator();
    menuHelp = menuBar()->addMenu(tr("&Help"));
    menuHelp->addAction(actHelp);
    menuHelp->addSeparator();
    menuHelp->addAction(actAbout);
    menuHelp->addAction(actAboutQt);
}

void MainWindow::buildToolBars()
{
    const auto bar = [this](const QString &title, const char *name) {
        QToolBar *toolBar = addToolBar(title);
        toolBar->setObjectName(QLatin1String(name));
        toolBar->setToolButtonStyle(Qt::ToolButtonFollowStyle);
        return toolBar;
    };
    fileToolBar = bar(tr("File"), "objFileToolBar");
    fileToolBar->addActions({actOpen, actSaveAs, actPrint, actExit});
    const auto add = [this](QToolBar *toolBar, ToolBarGroup group) {
        addOperations(toolBar, operationActions, &OperationRow::toolBar, group);
    };
    add(bar(tr("General actions"), "objGeneralFToolBar"), ToolBarGroup::General);
    add(bar(tr("Morphological operations"), "objMorphoToolbar"), ToolBarGroup::Morphology);
    add(bar(tr("Non-linear filters"), "objNonlinearToolbar"), ToolBarGroup::NonLinear);
    add(bar(tr("Vessel enhancement operations"), "objVesselEnhToolBar"), ToolBarGroup::Vessel);
    bar(tr("New Window"), "objNewwindowToolBar")->addAction(actNewWindow);
}
