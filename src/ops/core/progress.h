// How long operations report their progress: a title naming the pass, a label, a range
// and a value. The view shows it as a progress dialog, the command-line tool as a
// terminal line, tests and benchmarks ignore it. Algorithms never see a widget.
#pragma once
#include <QString>

#include "ops/core/cancel.h"

namespace cimg_library {
template <typename T>
struct CImg;
}

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
    // A result on the way worth showing (an iteration's segmentation, a thinning cycle):
    // the view shows it live, everyone else ignores it.
    virtual void intermediate(const cimg_library::CImg<double> &image) { (void)image; }
    // Whether the user asked the run to stop. Long runs that can stop cleanly (training,
    // tiled inference) ask between steps and then throw OperationCancelled.
    virtual bool cancelled() const { return false; }
};

// Progress that goes nowhere.
class NullProgress : public Progress {};
