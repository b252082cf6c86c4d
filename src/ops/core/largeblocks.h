// Image-sized memory. Every allocation of at least kLargeBlock bytes made with new (the
// library's image buffers, our own scratch) is mapped on its own, aligned to huge pages, and
// on release kept for the next request: a fresh mapping costs a page fault and a zeroed page
// for every page touched, which on large images is a good part of an operation. Kept blocks
// serve smaller requests (the rest stays kept) and move into larger new blocks with their
// pages; they are returned to the system before the memory held would exceed the peak that
// plain allocation reaches. `trim` returns them all when the program goes idle. Blocks are
// not advised for huge pages as a whole: where the kernel has no free huge page at hand it
// compacts memory on the first touch, which cost more than the faults it saves (the buffers
// of the fast passes are advised one by one, see largebuffer.h). Values never depend on any
// of this.
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
