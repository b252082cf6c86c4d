// The main window: the workspace of document windows, every action, menu and toolbar,
// the one dispatcher that sends each operation to the active document, and window
// management.
#pragma once
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <optional>

#include "ops/core/image.h"
#include "ops/io/imageio.h"
#include "ops/table/toolstate.h"

enum class OpCode : int;

class CImgDoc;
struct OperationRow;
class ImgNavDlg;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSignalMapper;
class QToolBar;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow();
    ~MainWindow() override;

    // Runs operation code on the active document, after the preparation its row names.
    void applyOperation(OpCode code, bool readOnly);
    CImgDoc *activeDocument() const;
    CImgDoc *numberCImgDoc(int nr) const;
    QList<int> windowNumbers() const;
    QList<CImgDoc *> documents() const;
    // Opens name as a new document in the channel last chosen in the open dialog (or
    // activates the document already showing it so).
    CImgDoc *openFile(const QString &name);
    QAction *operationAction(OpCode code) const { return operationActions.value(code); }

    QMdiArea *workspace = nullptr;
    ImgNavDlg *imgNavDlg = nullptr;

public slots:
    void updateStatusBar(QString s);
    void createNewWindow(ImageList img);
    void addToImgSlot(int nr, Image img);

signals:
    void newWindowList(QList<int> list);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void open();
    void saveAs();
    void print();
    void settings();
    void help();
    void about();
    void updateMenus();
    void updateWindowMenu();
    void toggleImgNav();
    void minimizeWndw();
    void showFileToolbar();
    void setSelectionModeBtn(tool::State state);
    void arrangeIcons();
    void cascade();
    void documentActivated(QMdiSubWindow *window);
    // "Segment every frame" for a document of several frames, "Run curve" for one with
    // per-frame results.
    void updateRunActions();

private:
    void buildActions();
    void buildMenus();
    void buildToolBars();
    void loadWindowSettings();
    void saveWindowSettings();
    CImgDoc *createCImgDoc(CImgDoc *parent);
    CImgDoc *createCImgDoc(const ImageList &img);
    // Writes a tool's result (the scribble classifier's) into doc's list as an edit.
    void keepResult(CImgDoc *doc, const Image &result);
    void connectDocument(CImgDoc *doc);
    QMdiSubWindow *addDocument(CImgDoc *doc);
    // The document opened from the file name with the given colour channel and DICOM gray
    // levels, if any.
    CImgDoc *findDocument(const QString &name, int channel, DicomWindow window) const;
    void fitToImage(CImgDoc *doc);
    void keepInsideWorkspace(QMdiSubWindow *window);
    static QSize smallestWindow(const QMdiSubWindow *window);
    void showDocument(CImgDoc *doc);
    void applySelectionRule(const OperationRow &row);
    // Runs a plain operation through the view's one transaction, or one with its own flow;
    // each returns why it failed, nothing when it ended well or was cancelled.
    std::optional<QString> runPlain(CImgDoc *doc, const OperationRow &row, bool workingCopy);
    std::optional<QString> runOwn(CImgDoc *doc, const OperationRow &row, bool workingCopy);
    // The body of an operation with its own flow: a selection tool, or its view method.
    void runOwnFlow(CImgDoc *doc, const OperationRow &row);

    QSignalMapper *windowMapper = nullptr;
    QMenu *menuFile = nullptr, *menuImage = nullptr, *menuWindow = nullptr, *menuHelp = nullptr;
    QMenu *menuSelect = nullptr, *menuStats = nullptr, *menuGeneral = nullptr, *menuMorph = nullptr;
    QMenu *menuVessel = nullptr, *menuNonlinear = nullptr;
    QToolBar *fileToolBar = nullptr;
    QMap<OpCode, QAction *> operationActions;
    QAction *actOpen = nullptr, *actSaveAs = nullptr, *actPrint = nullptr, *actSettings = nullptr;
    QAction *actExit = nullptr, *actImgNav = nullptr, *actNewWindow = nullptr, *actShowToolbar = nullptr;
    QAction *actMinimize = nullptr, *actClose = nullptr, *actCloseAll = nullptr, *actTile = nullptr;
    QAction *actCascade = nullptr, *actArrangeIcons = nullptr, *actNext = nullptr, *actPrevious = nullptr;
    QAction *actWindowSeparator = nullptr, *actHelp = nullptr, *actAbout = nullptr, *actAboutQt = nullptr;
    QAction *actFitToWindow = nullptr, *actActualSize = nullptr;

    friend class MainWindowTest;
    friend class ShellTest;
};
