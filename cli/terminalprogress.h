// Progress as one line on the terminal, rewritten in place, only when stderr is a terminal:
// "segment: 20 images 15%, about 12 s left". One class serves an operation's passes (apply)
// and a batch's images (segment, train: start with the image count, setValue per image).
#pragma once
#include <QElapsedTimer>
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
    int maximum_ = 0, value_ = 0;
    QElapsedTimer clock_;
    QString drawn_;  // the line on the terminal, empty when there is none
};
