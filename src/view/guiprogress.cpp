#include "view/guiprogress.h"

#include <QApplication>

void GuiProgress::start(const QString &title, const QString &label, int maximum)
{
    finish();
    dialog_ = new QProgressDialog(label, QCoreApplication::translate("PixmapWidget", "Please wait"), 0, maximum, parent_);
    dialog_->setWindowTitle(title);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->move(0, 0);
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
