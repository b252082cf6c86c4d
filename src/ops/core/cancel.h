// Stopping a run the user cancelled.
#pragma once
#include <exception>

// Thrown out of a progress report when the user cancelled the run: the run unwinds and the
// caller takes its changes back.
struct OperationCancelled : std::exception {
    const char *what() const noexcept override { return "cancelled"; }
};
