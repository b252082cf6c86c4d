// Progress shown as a progress dialog of the view, created per pass and moved to (0, 0).
// Its cancel button ("Please wait") does not stop the computation.
#pragma once
#include <QPointer>
#include <QProgressDialog>

#include "ops/progress.h"

class GuiProgress : public Progress {
public:
    explicit GuiProgress(QWidget *parent) : parent_(parent) {}
    ~GuiProgress() override { finish(); }
    void start(const QString &title, const QString &label, int maximum) override;
    void setLabel(const QString &label) override;
    void setValue(int value) override;
    void finish() override;
    void processEvents() override;

private:
    QWidget *parent_;
    QPointer<QProgressDialog> dialog_;
};
