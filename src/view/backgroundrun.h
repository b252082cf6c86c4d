// Runs a long computation on a thread of its own while the window's thread keeps handling
// events, so windows and the progress dialog go on painting. User input reaches the
// progress dialog only (its Cancel); other input waits until the run has ended: a command
// given meanwhile would work on the very images the run is changing.
#pragma once
#include <functional>

#include "ops/core/image.h"

class Progress;

// Runs work(progress) on a worker thread and returns when it has finished. The progress
// work sees forwards every report to gui on this thread; intermediate images are copied and
// handed to showIntermediate on this thread, the latest only when the window falls behind.
// Once cancelRequested() holds (asked on this thread), every report of the worker throws
// OperationCancelled.
// What work throws is thrown again here, once the worker has stopped. work must not touch
// widgets.
void runInBackground(const std::function<void(Progress &)> &work, Progress &gui,
                     const std::function<void(const Image &)> &showIntermediate = {},
                     const std::function<bool()> &cancelRequested = {});
