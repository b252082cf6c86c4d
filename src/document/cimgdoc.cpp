#include "document/cimgdoc.h"

#include <QCloseEvent>
#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QScrollBar>

#include "dialogs/userdialogs.h"
#include "view/pixmapwidget.h"

int CImgDoc::documentCounter = 0;

CImgDoc::CImgDoc(QWidget *parent, CImgDoc *source) : QScrollArea(parent)
{
    initWindow();
    if (!source) return;
    zoomFactor = 1.0f;
    fileName = source->fileName;
    setTitle();
    channel = source->channel;
    dicomWindow = source->dicomWindow;
    view = new PixmapWidget(*source->view->pixmap, imageNumber, this);
    view->calibration = source->view->calibration;
    view->sourceFile = source->view->sourceFile;
    view->channel = source->view->channel;
    view->frameTimeMs = source->view->frameTimeMs;
    wireView();
}

CImgDoc::CImgDoc(QWidget *parent, const ImageList &images) : QScrollArea(parent)
{
    initWindow();
    zoomFactor = 1.0f;
    view = new PixmapWidget(images, imageNumber, this);
    wireView();
    setTitle();
}

void CImgDoc::initWindow()
{
    imageNumber = ++documentCounter;
    // The sub-window around the document deletes it (and its view) when it closes.
    setBackgroundRole(QPalette::Dark);
}

bool CImgDoc::openImageFile(const QString &name, Channel channel, DicomWindow window)
{
    auto *created = new PixmapWidget(name, imageNumber, this, channel, window);
    if (!created->loadError().isEmpty()) {
        loadError_ = created->loadError();
        delete created;
        return false;
    }
    view = created;
    wireView();
    fileName = name;
    this->channel = channel;
    dicomWindow = window;
    zoomFactor = 1.0f;
    setTitle();
    return true;
}

void CImgDoc::wireView()
{
    connect(view, &PixmapWidget::updateImgNav, this, &CImgDoc::forwardCurrentIndex);
    connect(view, &PixmapWidget::zoomFactorChanged, this, &CImgDoc::getZoomFactorChanged);
    connect(view, &PixmapWidget::setStatusBarMsg, this, &CImgDoc::forwardStatusBarMsg);
    connect(view, &PixmapWidget::doCreateNewWindow, this, &CImgDoc::forwardCreateNewWindowMsg);
    connect(view, &PixmapWidget::addToImg, this, &CImgDoc::forwardAddToImgMsg);
    connect(view, &PixmapWidget::sendState, this, &CImgDoc::forwardState);
    connect(horizontalScrollBar(), &QScrollBar::sliderMoved, view, &PixmapWidget::setXOffset);
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, view, &PixmapWidget::setYOffset);
    // Every zoom keeps the view's minimum size at its zoomed image; a new view starts at zoom
    // 1 with it too, so the scroll bars appear whenever the window is smaller than the image
    // (after "Tile", for one), not only after the first zoom.
    view->setMinimumSize(view->pixmap->size());
    setWidget(view);
    setWidgetResizable(true);
}

QString CImgDoc::documentName() const
{
    return fileName.isEmpty() ? tr("Image %1").arg(imageNumber) : tr("%1 - Image %2").arg(shortFileName()).arg(imageNumber);
}

void CImgDoc::setTitle()
{
    setWindowTitle(tr("%1 (%2%)").arg(documentName()).arg(int(double(zoomFactor) * 100.0)));
}

void CImgDoc::fitZoomToWindow()
{
    if (!view || view->pixmap->isNull()) return;
    // The area the image may fill once no scroll bar is needed.
    const QSize area = maximumViewportSize();
    const QSize image = view->pixmap->size();
    view->requestZoom(std::min(float(area.width()) / float(image.width()), float(area.height()) / float(image.height())));
}

QSize CImgDoc::sizeHint() const
{
    if (!view) return QScrollArea::sizeHint();
    const QSize image = view->pixmap->size();
    return QSize(int(float(image.width()) * zoomFactor) + 10, int(float(image.height()) * zoomFactor) + 10);
}

QString CImgDoc::shortFileName() const { return fileName.isEmpty() ? QString() : QFileInfo(fileName).fileName(); }

namespace {

// One entry of the save dialog: its filter text, the suffix and writer, and what is written.
struct SaveFormat {
    QString filter;
    const char *format;
    PixmapWidget::SaveDepth depth;
};

// The displayed rendering in four formats; for an image of more than 256 levels first the
// formats that keep them. The first entry is preselected: lossless, so a binary
// segmentation is not saved as JPEG by default.
QList<SaveFormat> saveFormats(bool deep)
{
    using D = PixmapWidget::SaveDepth;
    QList<SaveFormat> formats;
    if (deep)
        formats = {{CImgDoc::tr("16-bit PNG image (*.png)"), "png", D::Gray16},
                   {CImgDoc::tr("16-bit TIFF image (*.tif)"), "tif", D::Gray16},
                   {CImgDoc::tr("CImg image of doubles (*.cimg)"), "cimg", D::Doubles}};
    formats += {{CImgDoc::tr("PNG image (*.png)"), "png", D::Rendering},
                {CImgDoc::tr("TIFF image (*.tif)"), "tif", D::Rendering},
                {CImgDoc::tr("BMP image (*.bmp)"), "bmp", D::Rendering},
                {CImgDoc::tr("JPEG image (*.jpg)"), "jpg", D::Rendering}};
    return formats;
}

}  // namespace

bool CImgDoc::saveAs()
{
    if (!view) return false;
    const QList<SaveFormat> formats = saveFormats(view->holdsDeepValues());
    QStringList filters;
    for (const SaveFormat &f : formats) filters << f.filter;
    QString filter = filters.first();
    const QString name = dialogs().getSaveFileName(this, tr("Save image"), QDir::currentPath(), filters, &filter);
    if (name.isEmpty()) return false;
    const SaveFormat &chosen = formats[std::max(0, int(filters.indexOf(filter)))];
    QString error;
    if (view->saveImage(name, chosen.format, &error, chosen.depth)) return true;
    dialogs().warning(this, tr("Image not saved"),
                      tr("The image could not be saved as %1: %2").arg(withSuffix(name, chosen.format), error));
    return false;
}

void CImgDoc::print()
{
    if (!view) return;
    QPrinter printer(QPrinter::ScreenResolution);
    if (!dialogs().print(this, &printer)) return;
    view->printImage(&printer);
}

void CImgDoc::printOn(QPrinter *printer)
{
    if (view) view->printImage(printer);
}

void CImgDoc::forwardCurrentIndex()
{
    if (view) emit setCurrentIndex(this, view->currentIndex(), view->imageCount());
}

void CImgDoc::changeToImageSlot(int idx)
{
    if (!view || idx < 0 || idx >= view->imageCount()) return;
    view->model.currentIndex = idx;
    view->refreshView();
    view->update();
}

void CImgDoc::updateWindowList(QList<int> list)
{
    if (view) view->windowList = list;
}

void CImgDoc::focusInEvent(QFocusEvent *)
{
    if (!view) return;
    if (!focusReported) {
        focusReported = true;
        emit setCurrentIndex(this, view->currentIndex(), view->imageCount());
    }
    emit transmitState(view->state);
}

void CImgDoc::focusOutEvent(QFocusEvent *) { focusReported = false; }

void CImgDoc::keyReleaseEvent(QKeyEvent *event)
{
    if (view) view->keyReleaseEvent(event);
}

void CImgDoc::closeEvent(QCloseEvent *event)
{
    if (view) emit view->closeDlg();
    event->accept();
}

void CImgDoc::getZoomFactorChanged(float f)
{
    zoomFactor = f;
    setTitle();
}

void CImgDoc::forwardStatusBarMsg(QString msg) { emit updateStatusBar(msg); }
void CImgDoc::forwardCreateNewWindowMsg(ImageList img) { emit doCreateNewWindow(img); }
void CImgDoc::forwardAddToImgMsg(int nr, Image img) { emit addToImg(nr, img); }
void CImgDoc::forwardState(tool::State state) { emit transmitState(state); }
