#include "ops/core/execution.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <latch>
#include <thread>
#include <vector>

namespace execution {

int defaultThreads() { return std::clamp(int(std::thread::hardware_concurrency()), 1, 8); }

namespace {

std::atomic<int> programThreads{defaultThreads()};
thread_local int threadBudget = 0;  // 0: no budget, the program's setting holds

}  // namespace

int threads() { return programThreads.load(); }

void setThreads(int count) { programThreads = std::clamp(count, 1, kMaxThreads); }

int rowThreads() { return threadBudget > 0 ? threadBudget : threads(); }

ThreadBudget::ThreadBudget(int count) : previous_(threadBudget) { threadBudget = std::max(1, count); }

ThreadBudget::~ThreadBudget() { threadBudget = previous_; }

void parallelFor(int count, int workers, int budget, const std::function<void(int)> &task)
{
    if (count <= 0) return;
    workers = std::clamp(workers, 1, count);
    std::atomic<int> next{0};
    std::vector<std::exception_ptr> failures(size_t(count), nullptr);
    const auto work = [&] {
        const ThreadBudget limit(budget);
        for (int i; (i = next++) < count;) {
            try {
                task(i);
            } catch (...) {
                failures[size_t(i)] = std::current_exception();
            }
        }
    };
    // The helpers wait until all of them exist: tasks that wait for one another must not
    // start when one of their threads cannot be had.
    std::latch started(1);
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(workers - 1));
    std::exception_ptr refused;
    try {
        for (int t = 1; t < workers; ++t)
            helpers.emplace_back([&] {
                started.wait();
                work();
            });
    } catch (...) {
        refused = std::current_exception();
        next = count;
    }
    started.count_down();
    if (!refused) work();
    for (std::thread &t : helpers) t.join();
    if (refused) std::rethrow_exception(refused);
    for (const std::exception_ptr &f : failures)
        if (f) std::rethrow_exception(f);
}

void parallelRows(int rows, const std::function<void(int, int)> &body)
{
    const int bands = rows < 64 ? 1 : std::min(rowThreads(), rows / 32);
    parallelFor(bands, bands, 1, [&](int i) { body(int(long(rows) * i / bands), int(long(rows) * (i + 1) / bands)); });
}

}  // namespace execution
