// The one image navigation dialog: a slider over the image list of the document that
// last reported its position. Dragging, clicks beside the handle and the keys (Page Down
// and Page Up one image on and back, Home and End to the first and last) change the image;
// Play shows the images one after another at the run's frame time, over and over, until
// Stop. It never calls into a document that has been destroyed.
#pragma once
#include <QDialog>
#include <QPointer>

class CImgDoc;
class QLCDNumber;
class QSlider;
class QTimer;
class QToolButton;

// The frame time used when a run's file states none: 15 frames per second.
inline constexpr double kDefaultFrameTimeMs = 1000.0 / 15;

class ImgNavDlg : public QDialog {
    Q_OBJECT

public:
    ImgNavDlg(QWidget *parent, int n);

    QSlider *horizontalSlider = nullptr;
    QLCDNumber *lcdNumber = nullptr;
    QToolButton *playButton = nullptr;
    QTimer *playTimer = nullptr;
    // Cleared by Qt when the document is destroyed.
    QPointer<CImgDoc> currentDoc;

public slots:
    void setCurrentIndexSlot(CImgDoc *ptr, int curIndex, int size);

signals:
    void changeToImage(int nr);

private slots:
    void sendValueChanged(int val);
    void play(bool on);
    void showNextFrame();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Set while a report moves the slider, so that the move is not sent back.
    bool reporting = false;
    // Resets the dialog when the document it shows is destroyed.
    QMetaObject::Connection forgetDoc;
};
