// How many threads the row passes of an operation use. One setting for the program (the
// command line's --threads, the number of cores by default), and a per-thread budget so
// that batch workers, which already keep the cores busy with one image each, do not start
// row threads of their own on top.
#pragma once

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

}  // namespace execution
