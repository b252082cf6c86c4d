// Image model and conversions of the view: construction, display conversion, list edits.
#include "view/pixmapwidget.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

#include "dialogs/userdialogs.h"
#include "ops/io/dicomio.h"
#include "ops/io/display.h"
#include "ops/io/imageio.h"
#include "ops/core/largebuffer.h"
#include "view/backgroundrun.h"
#include "view/guiprogress.h"

PixmapWidget::PixmapWidget(const ImageList &list, int number, QWidget *parent)
    : QWidget(parent), model(list), imageNumber(number)
{
    const int w = model.isEmpty() ? 0 : model.image(0)->width();
    const int h = model.isEmpty() ? 0 : model.image(0)->height();
    QImage blank(w, h, QImage::Format_RGB32);
    blank.fill(Qt::black);
    pixmap = std::make_unique<QPixmap>(QPixmap::fromImage(blank));
    if (model.isEmpty()) model = ImageModel(Image(1, 1, 1, 1, 0.0));
    refreshView();
    finishConstruction();
}

PixmapWidget::PixmapWidget(const QPixmap &picture, int number, QWidget *parent)
    : QWidget(parent), imageNumber(number)
{
    pixmap = std::make_unique<QPixmap>(picture);
    // The gray levels of the picture are written straight into the list's one image.
    Image gray = uninitializedImage(picture.width(), picture.height());
    grayInto(picture.toImage(), gray);
    model = ImageModel::adopt(std::move(gray));
    model.previewImage.assign(picture.width(), picture.height(), 1, 1, 0.0);
    finishConstruction();
}

PixmapWidget::PixmapWidget(const QString &fileName, int number, QWidget *parent, Channel channel, DicomWindow window)
    : QWidget(parent), imageNumber(number)
{
    // Read off the window's thread, which goes on painting: a large photograph or a long
    // run takes a while to decode.
    GuiProgress progress(this);
    LoadResult loaded;
    runInBackground([&](Progress &p) {
        loaded = isDicomFile(fileName) ? loadDicomImage(fileName, p, channel, window) : loadGrayImage(fileName, p, channel);
    }, progress);
    if (!loaded.ok()) {
        loadError_ = loaded.error;
        loaded.image.assign(1, 1, 1, 1, 0.0);
    }
    calibration = loaded.calibration;
    sourceFile = fileName;
    this->channel = channel;
    frameTimeMs = loaded.frameTimeMs;
    const int w = loaded.image.width(), h = loaded.image.height();
    // The frames of a run in order, the first one shown; the navigation dialog pages through them.
    model = ImageModel(loaded.takeFrames());
    model.currentIndex = 0;
    frameCount = model.count();
    model.previewImage.assign(w, h, 1, 1, 0.0);
    pixmap = std::make_unique<QPixmap>(QPixmap::fromImage(toDisplayImage(*model.currentImage())));
    finishConstruction();
    if (loadError_.isEmpty())
        dialogs().information(this, tr("Image loaded"), tr("Image was loaded and converted to grayscale"));
}

PixmapWidget::~PixmapWidget()
{
    // A view can go without a close event (its window deleted, the main window destroyed):
    // its hysteresis dialog, a top-level window of its own, must not outlive it.
    delete hystDialog.data();
}

void PixmapWidget::finishConstruction()
{
    zoomFactor = 1.0f;
    xOffset = yOffset = 0;
    state = tool::Normal;
    polygonClosed = false;
    buildContextMenu();
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PixmapWidget::renderToPixmap(const Image &source)
{
    QImage picture = pixmap->toImage().convertToFormat(QImage::Format_RGB32);
    renderInto(source, picture);
    *pixmap = QPixmap::fromImage(picture);
}

// The area tool's marks are painted over the pixmap (paintEvent), not into it.
void PixmapWidget::refreshView() { renderToPixmap(*model.currentImage()); }

void PixmapWidget::showPreviewImage() { renderToPixmap(model.previewImage); }

void PixmapWidget::currentToPreview()
{
    // The preview takes the current image's pixels over the pixmap's extent.
    Image &preview = model.previewImage;
    const Image &src = model.current();
    const int w = std::min({pixmap->width(), preview.width(), src.width()});
    const int h = std::min({pixmap->height(), preview.height(), src.height()});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) preview(x, y) = src(x, y);
}

void PixmapWidget::duplicateCurrent() { model.duplicateCurrent(); }

void PixmapWidget::previewToCurrent(int) { model.previewToCurrent(); }

void PixmapWidget::deleteImg(bool confirm)
{
    if (model.count() < 2) return;
    if (confirm) {
        const int answer = dialogs().warningQuestion(this, tr("Delete image"),
                                                     tr("Do you really want to delete the image?"),
                                                     {tr("Yes"), tr("No")}, 1, 1);
        if (answer != 0) return;
    }
    // A deleted frame is no longer one of the run's.
    if (model.currentIndex < frameCount) --frameCount;
    model.deleteCurrent();
    refreshView();
    update();
    emit updateImgNav();
    if (confirm) dialogs().information(this, tr("Delete image"), tr("Image deleted."));
}

void PixmapWidget::setImage(int nr)
{
    if (nr < 0 || nr >= model.count()) return;
    // Strokes and result belong to the image they were painted on.
    if (nr != model.currentIndex) leaveScribbles();
    model.currentIndex = nr;
    refreshView();
    update();
}

void PixmapWidget::decIndex()
{
    if (model.currentIndex <= 0) return;
    --model.currentIndex;
    refreshView();
    update();
    emit updateImgNav();
}

void PixmapWidget::incIndex()
{
    if (model.currentIndex >= model.count() - 1) return;
    ++model.currentIndex;
    refreshView();
    update();
    emit updateImgNav();
}

void PixmapWidget::closeEvent(QCloseEvent *event)
{
    emit closeDlg();
    event->accept();
}
