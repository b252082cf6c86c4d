// The one image navigation dialog: a slider over the image list of the document that
// last reported its position. It never calls into a document that has been destroyed.
#pragma once
#include <QDialog>
#include <QPointer>

class CImgDoc;
class QLCDNumber;
class QSlider;

class ImgNavDlg : public QDialog {
    Q_OBJECT

public:
    ImgNavDlg(QWidget *parent, int n);

    QSlider *horizontalSlider = nullptr;
    QLCDNumber *lcdNumber = nullptr;
    // Cleared by Qt when the document is destroyed.
    QPointer<CImgDoc> currentDoc;

public slots:
    void setCurrentIndexSlot(CImgDoc *ptr, int curIndex, int size);

signals:
    void changeToImage(int nr);

private slots:
    void sendValueChanged(int val);

private:
    // Resets the dialog when the document it shows is destroyed.
    QMetaObject::Connection forgetDoc;
};
