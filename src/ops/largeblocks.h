// Image-sized memory. Every allocation of at least kLargeBlock bytes made with new (the
// library's image buffers, our own scratch) is mapped on its own, advised for transparent
// huge pages, and on release kept for the next request of about the same size: a fresh
// mapping costs a page fault and a zeroed page for every page touched, which on large
// images is a good part of an operation. A request the kept blocks cannot meet first
// returns them all to the system, so peak memory never exceeds what plain allocation needs;
// `trim` returns them when the program goes idle. Values never depend on any of this.
#pragma once
#include <cstddef>

namespace largeblocks {

constexpr size_t kLargeBlock = size_t(8) << 20;

// A block of at least `bytes` bytes, aligned to 2 MiB; nullptr when the system refuses.
void *acquire(size_t bytes) noexcept;
// Gives back a block from acquire. Returns false (and does nothing) for any other pointer.
bool release(void *block) noexcept;
// Returns every kept block to the system.
void trim() noexcept;

struct Counts {
    size_t mapped = 0;  // blocks the system mapped
    size_t reused = 0;  // requests met with a kept block
    size_t keptBytes = 0;
};
Counts counts() noexcept;

}  // namespace largeblocks
