#include "document/imgnavdlg.h"

#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLCDNumber>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include "document/cimgdoc.h"
#include "view/pixmapwidget.h"

#include <cmath>

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
    horizontalSlider->setPageStep(1);
    horizontalSlider->installEventFilter(this);
    setFocusProxy(horizontalSlider);
    playButton = new QToolButton(this);
    playButton->setText(tr("Play"));
    playButton->setCheckable(true);
    playTimer = new QTimer(this);
    layout->addWidget(playButton, 0, 0);
    layout->addWidget(horizontalSlider, 0, 1);
    layout->addWidget(lcdNumber, 0, 2);
    setWindowTitle(plainTitle());
    resize(QSize(470, 40).expandedTo(minimumSizeHint()));
    // A drag sends each value the handle passes; clicks, keys and playing change the value
    // with the handle up. Reports move the slider without being sent back.
    connect(horizontalSlider, &QSlider::sliderMoved, lcdNumber, qOverload<int>(&QLCDNumber::display));
    connect(horizontalSlider, &QSlider::sliderMoved, this, &ImgNavDlg::sendValueChanged);
    connect(horizontalSlider, &QSlider::valueChanged, this, [this](int value) {
        if (reporting || horizontalSlider->isSliderDown()) return;
        lcdNumber->display(value);
        sendValueChanged(value);
    });
    connect(playButton, &QToolButton::toggled, this, &ImgNavDlg::play);
    connect(playTimer, &QTimer::timeout, this, &ImgNavDlg::showNextFrame);
}

bool ImgNavDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == horizontalSlider && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        QSlider *s = horizontalSlider;
        if (key == Qt::Key_PageDown) s->setValue(s->value() + 1);
        else if (key == Qt::Key_PageUp) s->setValue(s->value() - 1);
        else if (key == Qt::Key_Home) s->setValue(s->minimum());
        else if (key == Qt::Key_End) s->setValue(s->maximum());
        else return QDialog::eventFilter(watched, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ImgNavDlg::play(bool on)
{
    playButton->setText(on ? tr("Stop") : tr("Play"));
    if (!on) {
        playTimer->stop();
        return;
    }
    const double stated = currentDoc && currentDoc->view ? currentDoc->view->frameTimeMs : 0.0;
    playTimer->start(int(std::lround(stated > 0 ? stated : kDefaultFrameTimeMs)));
}

void ImgNavDlg::showNextFrame()
{
    QSlider *s = horizontalSlider;
    if (s->maximum() <= s->minimum()) {
        playButton->setChecked(false);
        return;
    }
    s->setValue(s->value() < s->maximum() ? s->value() + 1 : s->minimum());
}

void ImgNavDlg::setCurrentIndexSlot(CImgDoc *ptr, int curIndex, int size)
{
    // Playing belongs to one document: another one reporting stops it.
    if (ptr != currentDoc) playButton->setChecked(false);
    const QScopedValueRollback<bool> guard(reporting, true);
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
