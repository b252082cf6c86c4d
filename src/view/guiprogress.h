// Progress shown as a progress dialog of the view, created per pass and moved to (0, 0),
// shown once a pass has taken half a second (while the window's thread handles events).
// Its Cancel button asks a run in the background to stop (cancelRequested). While a pass
// lets events be processed, other user input waits until the pass has ended: a command
// given meanwhile would run on the very images the pass is working on.
#pragma once
#include <QPointer>
#include <QProgressDialog>

#include "ops/core/progress.h"

class GuiProgress : public Progress {
public:
    // With showAtOnce, every pass shows its dialog when it starts instead of after Qt's
    // delay of a few seconds.
    explicit GuiProgress(QWidget *parent, bool showAtOnce = false) : parent_(parent), showAtOnce_(showAtOnce) {}
    ~GuiProgress() override { finish(); }
    void start(const QString &title, const QString &label, int maximum) override;
    void setLabel(const QString &label) override;
    void setValue(int value) override;
    void finish() override;
    void processEvents() override;
    // Whether the user pressed Cancel in one of its dialogs.
    bool cancelRequested() const { return cancelled_; }

private:
    QWidget *parent_;
    bool showAtOnce_;
    QPointer<QProgressDialog> dialog_;
    bool cancelled_ = false;
};
