#include "terminalprogress.h"

#include <unistd.h>

TerminalProgress::TerminalProgress(QTextStream &err) : err_(err), enabled_(isatty(STDERR_FILENO)) {}

void TerminalProgress::start(const QString &title, const QString &label, int maximum)
{
    title_ = title;
    label_ = label;
    maximum_ = maximum;
    value_ = 0;
    lastPercent_ = -1;
    draw();
}

void TerminalProgress::setLabel(const QString &label)
{
    label_ = label;
    lastPercent_ = -1;
    draw();
}

void TerminalProgress::setValue(int value)
{
    value_ = value;
    draw();
}

void TerminalProgress::finish()
{
    if (enabled_ && lastPercent_ >= 0) err_ << "\r\033[K" << Qt::flush;
    lastPercent_ = -1;
}

void TerminalProgress::draw()
{
    if (!enabled_) return;
    const int percent = maximum_ > 0 ? int(100.0 * value_ / maximum_) : 0;
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    err_ << "\r\033[K" << title_ << ": " << label_ << " " << percent << "%" << Qt::flush;
}
