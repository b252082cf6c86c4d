#include "view/guiprogress.h"

#include <QApplication>
#include <QTimer>

void GuiProgress::start(const QString &title, const QString &label, int maximum)
{
    finish();
    dialog_ = new QProgressDialog(label, QCoreApplication::translate("PixmapWidget", "Cancel"), 0, maximum, parent_);
    dialog_->setWindowTitle(title);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->move(0, 0);
    QObject::connect(dialog_, &QProgressDialog::canceled, [this] { cancelled_ = true; });
    // A pass that reports rarely (a classification) would otherwise stay hidden until its
    // next value.
    QTimer::singleShot(500, dialog_, [dialog = dialog_] {
        if (dialog && !dialog->wasCanceled()) dialog->show();
    });
    if (showAtOnce_) {
        dialog_->setMinimumDuration(0);
        dialog_->show();
        processEvents();  // paint it before the pass takes the thread
    }
}

void GuiProgress::setLabel(const QString &label)
{
    if (dialog_) dialog_->setLabelText(label);
}

void GuiProgress::setValue(int value)
{
    if (dialog_) dialog_->setValue(value);
}

void GuiProgress::finish()
{
    if (dialog_) delete dialog_.data();
}

void GuiProgress::processEvents() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
