#include "document/cimgdoc.h"

#include <QCloseEvent>
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
    setTitle();
    fileName = source->fileName;
    channel = source->channel;
    view = new PixmapWidget(*source->view->pixmap, imageNumber, this);
    view->calibration = source->view->calibration;
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

bool CImgDoc::openImageFile(const QString &name, Channel channel)
{
    auto *created = new PixmapWidget(name, imageNumber, this, channel);
    if (!created->loadError().isEmpty()) {
        loadError_ = created->loadError();
        delete created;
        return false;
    }
    view = created;
    wireView();
    fileName = name;
    this->channel = channel;
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

void CImgDoc::setTitle()
{
    setWindowTitle(tr("Image %1 (%2%)").arg(imageNumber).arg(int(double(zoomFactor) * 100.0)));
}

QSize CImgDoc::sizeHint() const
{
    if (!view) return QScrollArea::sizeHint();
    const QSize image = view->pixmap->size();
    return QSize(int(float(image.width()) * zoomFactor) + 10, int(float(image.height()) * zoomFactor) + 10);
}

QString CImgDoc::shortFileName() const { return fileName.isEmpty() ? QString() : QFileInfo(fileName).fileName(); }

bool CImgDoc::saveAs()
{
    if (!view) return false;
    const QStringList filters = {".jpg", ".png", ".bmp", ".tif"};
    // Preselected: lossless, so a binary segmentation is not saved as JPEG by default.
    QString filter = ".png";
    const QString name = dialogs().getSaveFileName(this, tr("Save image"), QDir::currentPath(), filters, &filter);
    if (name.isEmpty()) return false;
    if (!filters.contains(filter)) filter = ".png";
    const QByteArray format = filter.mid(1).toLatin1();
    QString error;
    if (view->saveImage(name, format.constData(), &error)) return true;
    dialogs().warning(this, tr("Image not saved"),
                      tr("The image could not be saved as %1: %2").arg(withSuffix(name, format.constData()), error));
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
void CImgDoc::forwardState(int stateNr) { emit transmitState(stateNr); }
