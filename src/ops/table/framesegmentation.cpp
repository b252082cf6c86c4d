#include "ops/table/framesegmentation.h"

#include <new>
#include <stdexcept>

#include "ops/core/cancel.h"
#include "ops/table/operations.h"

ImageModel segmentFrame(Image frame, const FrameMethod &method, Progress &progress, Notes &notes)
{
    ImageModel model = ImageModel::adopt(std::move(frame));
    const auto run = [&](const OperationRow &row, const Params &params) {
        RunOutcome ran = runOperation(model, row, params, progress);
        notes << ran.notes;
        switch (ran.result) {
        case RunResult::Done: return;
        case RunResult::Cancelled: throw OperationCancelled();
        case RunResult::OutOfMemory: throw std::bad_alloc();
        default: throw std::runtime_error(ran.error.toStdString());
        }
    };
    if (method.darkVessels) run(operationRow(OpCode::Invert), Params());
    run(*method.row, method.params);
    return model;
}
