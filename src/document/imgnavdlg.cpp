#include "document/imgnavdlg.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLCDNumber>
#include <QSlider>

#include "document/cimgdoc.h"

namespace {
// The dialog's plain title belongs to its form, "Dialog".
QString plainTitle() { return QCoreApplication::translate("Dialog", "Image navigation"); }
}  // namespace

ImgNavDlg::ImgNavDlg(QWidget *parent, int n) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    auto *layout = new QGridLayout(this);
    layout->setSpacing(6);
    layout->setContentsMargins(9, 9, 9, 9);
    horizontalSlider = new QSlider(Qt::Horizontal, this);
    horizontalSlider->setMaximum(n);
    horizontalSlider->setValue(n);
    lcdNumber = new QLCDNumber(3, this);
    lcdNumber->setFrameShadow(QFrame::Raised);
    lcdNumber->setSegmentStyle(QLCDNumber::Flat);
    lcdNumber->display(n);
    layout->addWidget(horizontalSlider, 0, 0);
    layout->addWidget(lcdNumber, 0, 1);
    setWindowTitle(plainTitle());
    resize(QSize(470, 40).expandedTo(minimumSizeHint()));
    connect(horizontalSlider, &QSlider::sliderMoved, lcdNumber, qOverload<int>(&QLCDNumber::display));
    connect(horizontalSlider, &QSlider::sliderMoved, this, &ImgNavDlg::sendValueChanged);
}

void ImgNavDlg::setCurrentIndexSlot(CImgDoc *ptr, int curIndex, int size)
{
    if (currentDoc) disconnect(this, &ImgNavDlg::changeToImage, currentDoc, &CImgDoc::changeToImageSlot);
    disconnect(forgetDoc);
    currentDoc = ptr;
    if (ptr) {
        connect(this, &ImgNavDlg::changeToImage, ptr, &CImgDoc::changeToImageSlot);
        // A closed document leaves nothing to page through: the dialog shows an empty list
        // until the next document reports.
        // The document is half destroyed by then: forget it without touching it as a CImgDoc.
        forgetDoc = connect(ptr, &QObject::destroyed, this, [this] {
            currentDoc.clear();
            setCurrentIndexSlot(nullptr, 0, 0);
        });
    }
    if (curIndex != 0 || size != 0) {
        horizontalSlider->setMaximum(size);
        horizontalSlider->setMinimum(1);
        horizontalSlider->setValue(curIndex + 1);
        setWindowTitle(tr("Image navigation (%1/%2)").arg(curIndex + 1).arg(size));
        lcdNumber->display(curIndex + 1);
    } else {
        horizontalSlider->setMaximum(0);
        horizontalSlider->setMinimum(0);
        horizontalSlider->setValue(0);
        setWindowTitle(plainTitle());
        lcdNumber->display(0);
    }
}

void ImgNavDlg::sendValueChanged(int val)
{
    setWindowTitle(tr("Image navigation (%1/%2)").arg(val).arg(horizontalSlider->maximum()));
    emit changeToImage(val - 1);
}
