// Segmenting one frame of a run as a document of that frame alone is segmented: the
// window's "Segment every frame" and quendra-cli segment both go through it, so a run's
// results are the single-frame results, frame by frame.
#pragma once
#include "ops/core/imagemodel.h"
#include "ops/core/notes.h"
#include "ops/core/params.h"

class Progress;
struct OperationRow;

// How every frame is segmented: a segmentation row of the table, its parameters, and
// whether each frame is inverted first (vessels darker than their surround).
struct FrameMethod {
    const OperationRow *row = nullptr;
    Params params;
    bool darkVessels = false;
};

// A model over frame, "Invert" on it first when darkVessels, then the method's row on a
// working copy, as the window does it; returns the model as the runs left it, its current
// image the 0/255 result. The runs' notes are added to notes. Throws OperationCancelled
// when progress was cancelled, std::bad_alloc when memory ran out, std::runtime_error with
// the run's words for any other failure.
ImageModel segmentFrame(Image frame, const FrameMethod &method, Progress &progress, Notes &notes);
