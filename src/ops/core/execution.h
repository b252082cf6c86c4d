// Every thread the core starts, and how many: one parallel loop (parallelFor, with
// parallelRows for bands of rows on it), and how many threads the row passes of an
// operation use. One setting for the program (the command line's --threads, the number of
// cores by default), and a per-thread budget so that batch workers, which already keep the
// cores busy with one image each, do not start row threads of their own on top.
#pragma once
#include <functional>

namespace execution {

// The number of threads a row pass may use: the setting, or the budget of the calling
// thread when one is in force. Always at least 1.
int rowThreads();

// The most threads the program's setting may name.
inline constexpr int kMaxThreads = 64;
// The setting at start: the number of cores, at most 8.
int defaultThreads();

// Sets the program-wide number of threads (clamped to 1..kMaxThreads).
void setThreads(int count);
int threads();

// While it lives, row passes started on this thread use at most `count` threads.
class ThreadBudget {
public:
    explicit ThreadBudget(int count);
    ~ThreadBudget();
    ThreadBudget(const ThreadBudget &) = delete;
    ThreadBudget &operator=(const ThreadBudget &) = delete;

private:
    int previous_;
};

// Runs task(i) once for every i in [0, count) on up to `workers` threads, the calling thread
// among them: a free thread takes the next index. While a task runs, the row passes it
// starts use at most `budget` threads. When count <= workers every task has a thread of its
// own, so tasks may wait for one another. A task that throws does not stop the others; once
// every thread has stopped, the exception of the lowest index is thrown again. When the
// system refuses a thread, no task runs and std::system_error is thrown.
void parallelFor(int count, int workers, int budget, const std::function<void(int)> &task);

// Runs body(begin, end) over the rows [0, rows) cut into contiguous bands, one per row thread
// (rowThreads() of them, at most one per 32 rows; under 64 rows one band), each band with a
// budget of one thread, so a band never splits again.
void parallelRows(int rows, const std::function<void(int begin, int end)> &body);

}  // namespace execution
