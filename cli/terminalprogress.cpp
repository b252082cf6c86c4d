#include "terminalprogress.h"

#include <unistd.h>

TerminalProgress::TerminalProgress(QTextStream &err) : err_(err), enabled_(isatty(STDERR_FILENO)) {}

void TerminalProgress::start(const QString &title, const QString &label, int maximum)
{
    title_ = title;
    label_ = label;
    maximum_ = maximum;
    value_ = 0;
    clock_.start();
    draw();
}

void TerminalProgress::setLabel(const QString &label)
{
    label_ = label;
    draw();
}

void TerminalProgress::setValue(int value)
{
    value_ = value;
    draw();
}

void TerminalProgress::finish()
{
    if (enabled_ && !drawn_.isEmpty()) err_ << "\r\033[K" << Qt::flush;
    drawn_.clear();
}

void TerminalProgress::draw()
{
    if (!enabled_) return;
    const int percent = maximum_ > 0 ? int(100.0 * value_ / maximum_) : 0;
    QString line = QString("%1: %2 %3%").arg(title_, label_).arg(percent);
    // The time left once a part is done, from the pace so far; whole seconds, so the line
    // is rewritten about once a second at most between percent steps.
    if (value_ > 0 && value_ < maximum_) {
        const double left = double(clock_.elapsed()) / 1000.0 / value_ * (maximum_ - value_);
        line += left >= 90.0 ? QString(", about %1 min left").arg(qRound(left / 60.0))
                             : QString(", about %1 s left").arg(qRound(left));
    }
    if (line == drawn_) return;
    drawn_ = line;
    err_ << "\r\033[K" << line << Qt::flush;
}
