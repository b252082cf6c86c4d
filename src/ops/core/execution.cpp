#include "ops/core/execution.h"

#include <algorithm>
#include <atomic>
#include <thread>

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

}  // namespace execution
