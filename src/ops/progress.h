// How long operations report their progress: a title naming the pass, a label, a range
// and a value. The view shows it as a progress dialog, the command-line tool as a
// terminal line, tests and benchmarks ignore it. Algorithms never see a widget.
#pragma once
#include <QString>

class Progress {
public:
    virtual ~Progress() = default;
    // A new pass starts: values run from 0 to maximum.
    virtual void start(const QString &title, const QString &label, int maximum) { (void)title; (void)label; (void)maximum; }
    virtual void setLabel(const QString &label) { (void)label; }
    virtual void setValue(int value) { (void)value; }
    // The pass has ended; its display may go.
    virtual void finish() {}
    // Called about once per cycle of long iterative loops, so a GUI can keep painting.
    virtual void processEvents() {}
};

// Progress that goes nowhere.
class NullProgress : public Progress {};

// Updates a progress display about a hundred times per pass, whatever the size.
class ProgressThrottle {
public:
    ProgressThrottle(Progress &progress, int maximum)
        : progress_(progress), step_(maximum > 100 ? maximum / 100 : 1) {}
    void tick(int value)
    {
        if (value % step_ == 0 || value == last_) progress_.setValue(value);
    }
    void setLast(int last) { last_ = last; }

private:
    Progress &progress_;
    int step_;
    int last_ = -1;
};
