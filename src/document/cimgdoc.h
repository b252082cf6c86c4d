// A document window: a scroll area around one image view. It names the window after its
// number and zoom, remembers the file it came from, and relays the view's signals to the
// main window and the navigation dialog. It never touches pixel data itself.
#pragma once
#include <QList>
#include <QScrollArea>

#include "ops/core/image.h"
#include "ops/io/imageio.h"

class PixmapWidget;
class QPrinter;

class CImgDoc : public QScrollArea {
    Q_OBJECT

public:
    // A bare document (source null; openImageFile follows) or a clone of source.
    CImgDoc(QWidget *parent, CImgDoc *source);
    // A document over a copy of images.
    CImgDoc(QWidget *parent, const ImageList &images);

    // Creates the view from the file (every frame of a multi-frame file, colour pictures as
    // channel, DICOM gray levels as window); false (with loadError set) when it cannot be read.
    bool openImageFile(const QString &name, Channel channel = Channel::Gray, DicomWindow window = DicomWindow::File);
    QString shortFileName() const;
    // What tells documents apart: "scan.png - Image 3", or "Image 3" without a file.
    QString documentName() const;
    // Zooms the image to the largest size at which it fits the window without scrolling.
    void fitZoomToWindow();
    // The zoomed image plus a margin of 10: the size its window is fitted to.
    QSize sizeHint() const override;
    const QString &loadError() const { return loadError_; }

    // Saves the current rendering through the save dialog; true when a file was written.
    bool saveAs();
    // Prints the current rendering through the print dialog.
    void print();
    // Prints the current rendering on printer without asking.
    void printOn(QPrinter *printer);

    int imageNumber = 0;
    PixmapWidget *view = nullptr;
    QString fileName;
    Channel channel = Channel::Gray;  // the colour channel the file was opened with
    DicomWindow dicomWindow = DicomWindow::File;  // and how its DICOM gray levels were read
    float zoomFactor = 1.0f;
    bool focusReported = false;

    // The number the next document will take is one more than this.
    static int documentCounter;

public slots:
    void forwardCurrentIndex();
    void changeToImageSlot(int idx);
    void updateWindowList(QList<int> list);

signals:
    void doCreateNewWindow(ImageList img);
    void updateStatusBar(QString msg);
    void setCurrentIndex(CImgDoc *ptr, int curIndex, int size);
    void transmitState(int state);
    void addToImg(int nr, Image img);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void getZoomFactorChanged(float f);
    void forwardStatusBarMsg(QString msg);
    void forwardCreateNewWindowMsg(ImageList img);
    void forwardAddToImgMsg(int nr, Image img);
    void forwardState(int stateNr);

private:
    void initWindow();
    void setTitle();
    void wireView();
    QString loadError_;
};
