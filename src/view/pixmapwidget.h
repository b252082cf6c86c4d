// The image view of a document window and the owner of its data: the image list with its
// current index, the preview image and the displayed 8-bit pixmap. It converts images to
// the pixmap, loads, saves and prints, paints and zooms, carries the selection tools, and
// runs the operations on its model (one thin method per operation).
#pragma once
#include <QList>
#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QPolygon>
#include <QRect>
#include <QWidget>
#include <memory>

#include "ops/selection/areafill.h"
#include "ops/io/imageio.h"
#include "ops/core/imagemodel.h"
#include "ops/core/params.h"
#include "ops/measure/runcurve.h"
#include "view/tools.h"

class Progress;
enum class OpCode : int;
struct OperationRow;
struct VesselModel;
struct RunOutcome;
class QMenu;
class QPrinter;
class QAction;
class ScribblePanel;
class ScribbleTool;


// fileName with "." and format appended, unless it already ends with them (any case).
QString withSuffix(const QString &fileName, const char *format);

class PixmapWidget : public QWidget {
    Q_OBJECT

public:
    PixmapWidget(const ImageList &list, int number, QWidget *parent);
    PixmapWidget(const QPixmap &picture, int number, QWidget *parent);
    // Reads and converts the file (every frame of a multi-frame file, the first current;
    // colour pictures as channel); loadError() tells whether that failed.
    PixmapWidget(const QString &fileName, int number, QWidget *parent, Channel channel = Channel::Gray,
                 DicomWindow window = DicomWindow::File);
    ~PixmapWidget() override;

    // The window's images (never empty), its preview and reference images.
    ImageModel model;
    QList<int> windowList;
    std::unique_ptr<QPixmap> pixmap;
    int xOffset = 0, yOffset = 0;
    int imageNumber = 0;
    float zoomFactor = 1.0f;
    int xCenterOffset = 0, yCenterOffset = 0;
    tool::State state = tool::Normal;
    QList<PointRecord> areaPoints;
    QRect selectionRect;
    QPoint lastMousePos;
    // Where the button went down for a new rectangle or ellipse, and whether the mouse
    // has moved since: only a drag draws a shape.
    QPoint pressPos;
    bool shapeDragged = false;
    QPolygon polygon;
    bool polygonClosed = false;
    int selectionArea = 0;
    int whiteCount = 0;
    // The selection's pixels inside the image, of which whiteCount gives the white share.
    int shapePixels = 0;
    // The pixel size the opened file states, for the binary report's millimetre figures.
    Calibration calibration;
    // The file the images were read from and its colour channel; empty for images made
    // otherwise (a selection's pieces).
    QString sourceFile;
    Channel channel = Channel::Gray;
    // The image the last segmentation row of the table ran on (the photograph, before it
    // became the classifier's probability map): the morphometry overlay is drawn over it.
    Image segmentationSource;
    // The time between the frames of a cine run as its file states it; 0 when it does not.
    double frameTimeMs = 0.0;
    // How many images at the start of the list are the frames of the run the file held (1
    // for a single picture): "Segment every frame" segments these.
    int frameCount = 1;
    // The vessel area and length of each frame's result of the last "Segment every frame".
    std::vector<RunCurvePoint> runCurve;
    static QString calibrationSourceText(CalibrationSource source);
    // The hysteresis dialog this view has open, if any.
    QPointer<QWidget> hystDialog;

    int currentIndex() const { return model.currentIndex; }
    int imageCount() const { return model.count(); }
    const QString &loadError() const { return loadError_; }

    // Conversions and list edits; none of them repaints.
    void refreshView();
    void showPreviewImage();
    void currentToPreview();
    void duplicateCurrent();

    // Files and printing. saveImage writes the displayed rendering, or the current image's
    // values as 16-bit gray or as .cimg doubles (format "cimg"), adding the format's suffix.
    enum class SaveDepth { Rendering, Gray16, Doubles };
    bool saveImage(const QString &fileName, const char *format, QString *error = nullptr,
                   SaveDepth depth = SaveDepth::Rendering);
    // True when the current image holds more than 256 levels, which 8 bits cannot keep.
    bool holdsDeepValues() const;
    void printImage(QPrinter *printer);

    // Tools.
    void setSelectionMode(tool::State mode);
    Q_INVOKABLE void startErase();
    void countSelectedWhite();
    void pasteWhite(const Image &img);
    ImageList extractSelection(int x1, int y1, int x2, int y2, int shape);

    // Set by an operation whose parameter dialog the user cancelled: it ended without a
    // result, and the dispatcher takes back the clone or working copy it prepared.
    bool cancelled = false;

    // The one path of a plain operation of the table: asks its parameters as its row says
    // (a cancelled dialog sets `cancelled` and changes nothing), runs it as one transaction
    // with a progress dialog on a thread of its own while the window keeps painting
    // (appending a working copy first when workingCopy is set, else on the current image),
    // shows the notes it leaves, then refreshes, updates the navigation and reports with the
    // row's text. A failed run is rolled back and its outcome returned for the caller to report.
    RunOutcome runTableOperation(OpCode code, bool workingCopy = false);
    // The same with parameters already chosen; those the row asks for are added.
    RunOutcome runTableOperation(const OperationRow &row, Params params, bool workingCopy);
    std::unique_ptr<Progress> makeProgress();
    // Asks for the parameters of row as it says; false when the user cancelled.
    bool askParameters(const OperationRow &row, Params &params);

    // --- operations: point operations, thresholding, morphology, thinning, statistics ---
    void opInvert();
    void opNormalize();
    void opLog2();
    void opSqrt();
    void opPower();
    Q_INVOKABLE void opThreshold();
    void opErode();
    void opDilate();
    void opOpen();
    void opClose();
    void opTopHat();
    void opMGradient();
    void opSkeletonize();
    void opZhangSuen();
    Q_INVOKABLE void opGrayStats();
    Q_INVOKABLE void opBwStats();
    Q_INVOKABLE void opMorphometryOverlay();
    Q_INVOKABLE void opVesselStenosis();
    // --- operations: enhancement and frequency-domain filters ---
    void opFft();
    void opInvFft();
    void opEigenv();
    void opLaplEnh();
    void opHessEnh();
    void opHomoVes();
    void opVesNonl();
    // --- operations: segmentation ---
    Q_INVOKABLE void opHystThres();
    void opFuzzyClust();
    Q_INVOKABLE void opVesselClassifier();
    // The model file the user chooses (a shipped model or a file); empty when cancelled.
    QString chooseModelFile();
    // Segments each frame of the run alone with one method on a thread of its own and
    // appends the results in frame order, the first one current; cancelled, the list stays
    // as it was. Then shows the run curve.
    Q_INVOKABLE void opSegmentFrames();
    // The window of the run curve of the last "Segment every frame".
    Q_INVOKABLE void opRunCurve();
    // When the model was trained on another channel than the document's: asks whether to
    // read the file again in the model's channel into the working copy (false: cancelled);
    // classifying as it is adds what the model was trained on to notes.
    bool takeModelChannel(const VesselModel &vessels, QStringList &notes);
    // Scribble training: enter the tool on the current image (the list stays as it is until
    // Keep), and leave it, dropping strokes and preview; leaving when not in it does nothing.
    Q_INVOKABLE void startScribbles();
    void leaveScribbles();
    // The scribble tool's data while it is on, else null.
    ScribbleTool *scribbleTool() const { return scribbles.get(); }
    // The list's length when the hysteresis dialog opened, its working copy being the last
    // image: results replace that image only while the length is unchanged.
    int hystListCount = 0;
    // Whether a hysteresis calculation of the open dialog has produced a result.
    bool hystHasResult = false;

public slots:
    void setZoomFactor(float f);
    // A zoom the user asked for (wheel, fit to window, actual size): refused with a word in
    // the modes that keep zoom 1, and never narrower than 32 view pixels.
    void requestZoom(float f);
    void setImage(int nr);
    void setXOffset(int v);
    void setYOffset(int v);

signals:
    void zoomFactorChanged(float);
    void setStatusBarMsg(QString s);
    void doCreateNewWindow(ImageList img);
    void updateImgNav();
    void addToImg(int nr, Image img);
    void closeDlg();
    void sendState(tool::State state);
    // The scribble tool's result, for the main window to write into the list as an edit.
    void keepResult(Image img);

private slots:
    void decIndex();
    void incIndex();
    void deleteImg(bool confirm);
    void deleteImg() { deleteImg(true); }
    void previewToCurrent(int idx);
    void previewToCurrent() { previewToCurrent(0); }
    // --- dialog-driven slots of the operations ---
    void f_dohystthres(double weakb, double hardb, bool first);
    void f_dotophat(int dsize);
    void f_savehystpreview(int type);
    void f_discardhystpreview(bool confirm);
    void f_doPrewThresh(int tborder, bool invert);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

public:
    // The document window passes its key releases on.
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void finishConstruction();
    // The rendering as saved and printed: 8-bit gray unless it holds colour.
    QImage renderingToSave() const;
    void buildContextMenu();
    void renderToPixmap(const Image &source);
    QPoint imagePosition(const QPoint &viewPos, bool clampToOne) const;
    void recomputeSelectionArea();
    tool::Request finishDrawnSelection();
    // The selection of the current tool state, in image coordinates.
    Selection currentSelection() const;
    // Carries out what a tool asked for: the one place where tools change the image list
    // or send images to other windows.
    void applyRequest(const tool::Request &request);
    void moveSelection(const QPoint &p);
    void areaClick(const QPoint &viewPos);
    void paintAreaMarks();
    void startAreaOverlay();
    void clearAreaOverlay();
    tool::Request copyAreaSelection();
    tool::Request blackOutAreaSelection();
    void finishAreaAction();
    void drawStroke(const QPoint &from, const QPoint &to);
    void endErase();
    void scribbleMouse(QMouseEvent *event);
    void trainScribbles();
    void chooseScribbleModelFile();
    void undoScribble();
    void keepScribbles();
    void saveScribbleModel();
    void showScribbleResult(bool on);
    // The scribble tool's strokes, trainer and result while it is on.
    std::shared_ptr<ScribbleTool> scribbles;
    QPointer<ScribblePanel> scribblePanel;
    QPointF lastScribblePos;
    // Where erase strokes were drawn in the erase mode, at the pixmap's size.
    QImage eraseMask;
    // The area tool's separating strokes, and those strokes with the picked regions'
    // marks on top: drawn over the pixmap in the area tool, never into it.
    QImage areaStrokes;
    QImage areaOverlay;

    QMenu *contextMenu = nullptr;
    QAction *prevAction = nullptr;
    QAction *nextAction = nullptr;
    QAction *deleteAction = nullptr;
    QString loadError_;

    friend class PixmapWidgetTest;
};
