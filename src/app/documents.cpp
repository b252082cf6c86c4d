// Documents and window management of the main window: finding, creating, fitting and
// arranging the document windows, opening, saving and printing files.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QSignalMapper>
#include <QStatusBar>
#include <algorithm>

#include "app/appsettings.h"
#include "app/mainwindow.h"
#include "dialogs/userdialogs.h"
#include "document/cimgdoc.h"
#include "document/imgnavdlg.h"
#include "ops/table/operations.h"
#include "view/pixmapwidget.h"

CImgDoc *MainWindow::activeDocument() const
{
    QMdiSubWindow *window = workspace->activeSubWindow();
    return window ? qobject_cast<CImgDoc *>(window->widget()) : nullptr;
}

QList<CImgDoc *> MainWindow::documents() const
{
    QList<CImgDoc *> list;
    for (QMdiSubWindow *window : workspace->subWindowList(QMdiArea::CreationOrder))
        if (auto *doc = qobject_cast<CImgDoc *>(window->widget())) list << doc;
    return list;
}

QList<int> MainWindow::windowNumbers() const
{
    QList<int> numbers;
    for (CImgDoc *doc : documents()) numbers << doc->imageNumber;
    return numbers;
}

CImgDoc *MainWindow::numberCImgDoc(int nr) const
{
    for (CImgDoc *doc : documents())
        if (doc->imageNumber == nr) return doc;
    return nullptr;
}

CImgDoc *MainWindow::findDocument(const QString &name, int channel, DicomWindow window) const
{
    const QString canonical = QFileInfo(name).canonicalFilePath();
    for (CImgDoc *doc : documents())
        if (doc->fileName == canonical && int(doc->channel) == channel && doc->dicomWindow == window) return doc;
    return nullptr;
}

void MainWindow::connectDocument(CImgDoc *doc)
{
    connect(this, &MainWindow::newWindowList, doc, &CImgDoc::updateWindowList);
    connect(doc, &CImgDoc::updateStatusBar, this, &MainWindow::updateStatusBar);
    connect(doc, &CImgDoc::doCreateNewWindow, this, &MainWindow::createNewWindow);
    connect(doc, &CImgDoc::setCurrentIndex, imgNavDlg, &ImgNavDlg::setCurrentIndexSlot);
    // Every change of the list or of the document worked in is reported so.
    connect(doc, &CImgDoc::setCurrentIndex, this, &MainWindow::updateRunActions);
    connect(doc, &CImgDoc::addToImg, this, &MainWindow::addToImgSlot);
    connect(doc, &CImgDoc::transmitState, this, &MainWindow::setSelectionModeBtn);
    if (doc->view)
        connect(doc->view, &PixmapWidget::keepResult, this, [this, d = QPointer<CImgDoc>(doc)](Image result) {
            if (d) keepResult(d, result);
        });
}

QMdiSubWindow *MainWindow::addDocument(CImgDoc *doc)
{
    QMdiSubWindow *window = workspace->addSubWindow(doc);
    window->setAttribute(Qt::WA_DeleteOnClose);
    return window;
}

CImgDoc *MainWindow::createCImgDoc(CImgDoc *parent)
{
    auto *doc = new CImgDoc(workspace, parent);
    connectDocument(doc);
    addDocument(doc);
    return doc;
}

CImgDoc *MainWindow::createCImgDoc(const ImageList &img)
{
    auto *doc = new CImgDoc(workspace, img);
    connectDocument(doc);
    addDocument(doc);
    return doc;
}

void MainWindow::fitToImage(CImgDoc *doc)
{
    if (!doc->view) return;
    auto *window = qobject_cast<QMdiSubWindow *>(doc->parentWidget());
    if (!window) {
        doc->resize(doc->sizeHint());
        return;
    }
    // The document's size hint is its image plus a margin; the sub-window adds its frame and
    // title bar. However small the image, the title bar shows its buttons and its title.
    window->resize(window->sizeHint().expandedTo(smallestWindow(window)));
}

QSize MainWindow::smallestWindow(const QMdiSubWindow *window)
{
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    const QSize least = window->minimumSizeHint();
    return QSize(least.width() + title.horizontalAdvance(window->windowTitle()), least.height());
}

void MainWindow::keepInsideWorkspace(QMdiSubWindow *window)
{
    if (!workspace->isVisible() || window->isMinimized() || window->isMaximized()) return;
    const QSize area = workspace->viewport()->size();
    const QSize least = smallestWindow(window);
    QRect g = window->geometry();
    // No larger than the visible area (the document scrolls instead), and shrunk towards the
    // area's edge only down to half the area: a window that would get smaller moves instead.
    const QSize usable = g.size().boundedTo(area / 2).expandedTo(least);
    const QSize room(area.width() - std::max(0, g.x()), area.height() - std::max(0, g.y()));
    g.setSize(g.size().boundedTo(area).boundedTo(room).expandedTo(usable).expandedTo(least));
    g.moveLeft(std::max(0, std::min(g.x(), area.width() - g.width())));
    g.moveTop(std::max(0, std::min(g.y(), area.height() - g.height())));
    window->setGeometry(g);
}

void MainWindow::showDocument(CImgDoc *doc)
{
    fitToImage(doc);
    if (auto *window = qobject_cast<QMdiSubWindow *>(doc->parentWidget())) {
        window->show();
        keepInsideWorkspace(window);
        workspace->setActiveSubWindow(window);
    }
    doc->show();
    doc->setFocus();
}

void MainWindow::createNewWindow(ImageList img)
{
    CImgDoc *doc = createCImgDoc(img);
    showDocument(doc);
    emit newWindowList(windowNumbers());
}

void MainWindow::addToImgSlot(int nr, Image img)
{
    // The number may belong to a document closed since the list was sent: then nothing happens.
    if (CImgDoc *doc = numberCImgDoc(nr); doc && doc->view) doc->view->pasteWhite(img);
}

CImgDoc *MainWindow::openFile(const QString &name)
{
    // Files open with the channel and DICOM gray levels last chosen in the open dialog; the
    // same file read another way is another document.
    const int channel = storedChannel();
    const auto window = DicomWindow(storedDicomWindow());
    if (CImgDoc *open = findDocument(name, channel, window)) {
        workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(open->parentWidget()));
        return open;
    }
    auto *doc = new CImgDoc(workspace, nullptr);
    if (!doc->openImageFile(QFileInfo(name).canonicalFilePath().isEmpty() ? name : QFileInfo(name).canonicalFilePath(),
                            Channel(channel), window)) {
        const QString error = doc->loadError();
        delete doc;
        dialogs().warning(this, tr("Image not loaded"), error);
        return nullptr;
    }
    connectDocument(doc);
    addDocument(doc);
    statusBar()->showMessage(tr("File loaded"), 2000);
    showDocument(doc);
    emit newWindowList(windowNumbers());
    return doc;
}

void MainWindow::open()
{
    // The choices are remembered for the next dialog and for files opened otherwise.
    QList<UserDialogs::Choice> choices = {
        {tr("Colour channel:"), {tr("Gray (weighted sum)"), tr("Red"), tr("Green"), tr("Blue")}, storedChannel()},
        {tr("DICOM gray levels:"), {tr("The file's window"), tr("The full stored range")}, storedDicomWindow()}};
    const QString name = dialogs().getOpenImageFileName(
        this, tr("Open File"), QDir::currentPath(),
        tr("Images (*.png *.bmp *.jpg *.tif *.tiff *.dcm)") + ";;" + tr("All files (*)"), choices);
    if (name.isEmpty()) return;
    appSettings().setValue("channel", choices[0].index);
    appSettings().setValue("dicomWindow", choices[1].index);
    openFile(name);
}

void MainWindow::saveAs()
{
    CImgDoc *doc = activeDocument();
    if (!doc || !doc->saveAs()) return;
    dialogs().information(this, tr("Image saved"), tr("Image saved"));
    statusBar()->showMessage(tr("File saved"), 2000);
}

void MainWindow::print()
{
    if (CImgDoc *doc = activeDocument()) doc->print();
}

void MainWindow::updateMenus()
{
    const bool active = activeDocument() != nullptr;
    for (QAction *action : {actSaveAs, actPrint, actFitToWindow, actActualSize, actClose, actCloseAll, actTile, actCascade,
                            actArrangeIcons, actNext, actPrevious})
        action->setEnabled(active);
    actWindowSeparator->setVisible(active);
    actMinimize->setVisible(active);
    updateRunActions();
}

void MainWindow::updateRunActions()
{
    const CImgDoc *doc = activeDocument();
    const PixmapWidget *view = doc ? doc->view : nullptr;
    operationActions.value(OpCode::SegmentFrames)->setEnabled(view && view->frameCount > 1);
    operationActions.value(OpCode::RunCurve)->setEnabled(view && !view->runCurve.empty());
}

void MainWindow::updateWindowMenu()
{
    menuWindow->clear();
    menuWindow->addAction(actShowToolbar);
    menuWindow->addSeparator();
    menuWindow->addActions({actFitToWindow, actActualSize});
    menuWindow->addSeparator();
    menuWindow->addActions({actMinimize, actClose, actCloseAll});
    menuWindow->addSeparator();
    menuWindow->addActions({actTile, actCascade, actArrangeIcons});
    menuWindow->addSeparator();
    menuWindow->addActions({actNext, actPrevious, actWindowSeparator});
    const QList<QMdiSubWindow *> windows = workspace->subWindowList(QMdiArea::CreationOrder);
    actWindowSeparator->setVisible(!windows.isEmpty());
    CImgDoc *active = activeDocument();
    for (int i = 0; i < windows.size(); ++i) {
        auto *doc = qobject_cast<CImgDoc *>(windows[i]->widget());
        if (!doc) continue;
        const QString text = i < 9 ? tr("&%1 %2").arg(i + 1).arg(doc->documentName())
                                   : tr("%1 %2").arg(i + 1).arg(doc->documentName());
        QAction *action = menuWindow->addAction(text);
        action->setCheckable(true);
        action->setChecked(doc == active);
        connect(action, &QAction::triggered, windowMapper, qOverload<>(&QSignalMapper::map));
        windowMapper->setMapping(action, windows[i]);
    }
}

void MainWindow::documentActivated(QMdiSubWindow *window)
{
    // Activation is the one signal every way of switching documents gives (a click into the
    // image gives the focus to the view, not to the document): the navigation dialog and the
    // selection actions follow the document the user now works in.
    auto *doc = window ? qobject_cast<CImgDoc *>(window->widget()) : nullptr;
    if (!doc || !doc->view) return;
    doc->forwardCurrentIndex();
    setSelectionModeBtn(doc->view->state);
}

void MainWindow::cascade()
{
    // Cascading gives each window its size hint, its image's size; those it would push out
    // of the area are fitted back in.
    workspace->cascadeSubWindows();
    for (QMdiSubWindow *window : workspace->subWindowList(QMdiArea::StackingOrder)) keepInsideWorkspace(window);
}

void MainWindow::toggleImgNav() { imgNavDlg->show(); }

void MainWindow::minimizeWndw()
{
    if (QMdiSubWindow *window = workspace->activeSubWindow()) window->showMinimized();
}

void MainWindow::arrangeIcons()
{
    // Minimised documents are laid out in a row along the bottom of the workspace.
    int x = 0;
    for (QMdiSubWindow *window : workspace->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) continue;
        const QSize size = window->size();
        window->move(x, workspace->viewport()->height() - size.height());
        x += size.width();
    }
}
