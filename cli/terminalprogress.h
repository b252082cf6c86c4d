// Progress as one line on the terminal, rewritten in place, only when stderr is a terminal.
#pragma once
#include <QTextStream>

#include "ops/core/progress.h"

class TerminalProgress : public Progress {
public:
    explicit TerminalProgress(QTextStream &err);
    void start(const QString &title, const QString &label, int maximum) override;
    void setLabel(const QString &label) override;
    void setValue(int value) override;
    void finish() override;

private:
    void draw();
    QTextStream &err_;
    bool enabled_;
    QString title_, label_;
    int maximum_ = 0, value_ = 0, lastPercent_ = -1;
};
