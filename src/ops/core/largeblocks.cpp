#include "ops/core/largeblocks.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace largeblocks {
namespace {

constexpr size_t kHuge = size_t(2) << 20;
constexpr size_t kMostKept = 16;

size_t roundUp(size_t bytes) { return (bytes + kHuge - 1) & ~(kHuge - 1); }

#if defined(__linux__)
void *mapBlock(size_t capacity)
{
    // Map 2 MiB more and cut both ends, so that the block starts on a huge-page boundary:
    // huge-page advice given to it later covers all of it.
    void *raw = mmap(nullptr, capacity + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (begin + kHuge - 1) & ~(kHuge - 1);
    if (aligned > begin) munmap(raw, aligned - begin);
    const uintptr_t end = begin + capacity + kHuge;
    if (end > aligned + capacity) munmap(reinterpret_cast<void *>(aligned + capacity), end - aligned - capacity);
    return reinterpret_cast<void *>(aligned);
}

void unmapBlock(void *block, size_t capacity) { munmap(block, capacity); }

// Moves a block's pages to `to`, replacing what is mapped there; they keep their contents.
bool moveBlock(void *block, size_t capacity, void *to)
{
    return mremap(block, capacity, capacity, MREMAP_MAYMOVE | MREMAP_FIXED, to) != MAP_FAILED;
}
#else
// Elsewhere new and delete stay the library's own, and nothing is ever mapped here.
void *mapBlock(size_t) { return nullptr; }
void unmapBlock(void *, size_t) {}
bool moveBlock(void *, size_t, void *) { return false; }
#endif

struct Block {
    void *data;
    size_t capacity;
};

// Which blocks are out (their capacities) and which are kept for reuse. The peak of the
// bytes out is what plain allocation would have held at most; kept blocks are only held
// while they fit under it.
struct State {
    std::mutex mutex;
    std::unordered_map<void *, size_t> out;
    std::vector<Block> kept;
    size_t outBytes = 0, keptBytes = 0, peakOutBytes = 0;
    Counts counts;

    void unmapKept(size_t index)
    {
        unmapBlock(kept[index].data, kept[index].capacity);
        keptBytes -= kept[index].capacity;
        kept.erase(kept.begin() + std::ptrdiff_t(index));
    }

    void keep(Block block) noexcept
    {
        try {
            if (kept.size() == kMostKept) unmapKept(0);
            kept.push_back(block);
            keptBytes += block.capacity;
        } catch (...) {
            unmapBlock(block.data, block.capacity);
        }
    }
};

// Never destroyed: blocks may be released by other objects' destructors at exit.
State &state()
{
    static State *s = new State;
    return *s;
}

}  // namespace

void *acquire(size_t bytes) noexcept
{
    if (bytes > SIZE_MAX / 2) return nullptr;  // no system maps that much; rounding would wrap
    const size_t capacity = roundUp(bytes == 0 ? 1 : bytes);
    State &s = state();
    std::lock_guard lock(s.mutex);
    // The smallest kept block that is large enough; what it has beyond the request is kept
    // as a block of its own.
    size_t best = s.kept.size();
    for (size_t i = 0; i < s.kept.size(); ++i) {
        const size_t c = s.kept[i].capacity;
        if (c >= capacity && (best == s.kept.size() || c < s.kept[best].capacity)) best = i;
    }
    Block block{nullptr, capacity};
    if (best < s.kept.size()) {
        block = s.kept[best];
        s.keptBytes -= block.capacity;
        s.kept.erase(s.kept.begin() + std::ptrdiff_t(best));
        if (block.capacity > capacity) {
            s.keep({static_cast<char *>(block.data) + capacity, block.capacity - capacity});
            block.capacity = capacity;
        }
        ++s.counts.reused;
    } else {
        block.data = mapBlock(capacity);
        if (!block.data) {
            while (!s.kept.empty()) s.unmapKept(0);  // the system is short: try once more
            block.data = mapBlock(capacity);
            if (!block.data) return nullptr;
        }
        ++s.counts.mapped;
        // Smaller kept blocks move into the new one, pages and all: pages already touched
        // need no fresh zeroed pages when the new block is first written.
        size_t filled = 0;
        for (size_t i = 0; i < s.kept.size();) {
            const Block kept = s.kept[i];
            if (filled + kept.capacity <= capacity && moveBlock(kept.data, kept.capacity, static_cast<char *>(block.data) + filled)) {
                filled += kept.capacity;
                s.keptBytes -= kept.capacity;
                s.kept.erase(s.kept.begin() + std::ptrdiff_t(i));
            } else {
                ++i;
            }
        }
        // Give the other kept blocks back, the oldest first, until the new one fits under the peak.
        const size_t ceiling = std::max(s.peakOutBytes, s.outBytes + capacity);
        while (!s.kept.empty() && s.outBytes + s.keptBytes + capacity > ceiling) s.unmapKept(0);
    }
    try {
        s.out.emplace(block.data, block.capacity);
    } catch (...) {
        unmapBlock(block.data, block.capacity);
        return nullptr;
    }
    s.outBytes += block.capacity;
    s.peakOutBytes = std::max(s.peakOutBytes, s.outBytes);
    return block.data;
}

bool release(void *data) noexcept
{
    if (!data || (reinterpret_cast<uintptr_t>(data) & (kHuge - 1)) != 0) return false;
    State &s = state();
    std::lock_guard lock(s.mutex);
    const auto found = s.out.find(data);
    if (found == s.out.end()) return false;
    const Block block{data, found->second};
    s.out.erase(found);
    s.outBytes -= block.capacity;
    s.keep(block);
    return true;
}

void trim() noexcept
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    while (!s.kept.empty()) s.unmapKept(0);
}

Counts counts() noexcept
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    Counts c = s.counts;
    c.keptBytes = s.keptBytes;
    return c;
}

}  // namespace largeblocks

// Every new and delete of the program goes through here; only large requests take the
// block path. Sanitizer builds keep the plain allocator, whose checks cover every buffer.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
namespace {

void *allocate(size_t bytes) noexcept
{
    if (bytes >= largeblocks::kLargeBlock) return largeblocks::acquire(bytes);
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void deallocate(void *data) noexcept
{
    if (!largeblocks::release(data)) std::free(data);
}

void *allocateOrThrow(size_t bytes)
{
    for (;;) {
        if (void *data = allocate(bytes)) return data;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

}  // namespace

void *operator new(size_t bytes) { return allocateOrThrow(bytes); }
void *operator new[](size_t bytes) { return allocateOrThrow(bytes); }
void *operator new(size_t bytes, const std::nothrow_t &) noexcept { return allocate(bytes); }
void *operator new[](size_t bytes, const std::nothrow_t &) noexcept { return allocate(bytes); }
void operator delete(void *data) noexcept { deallocate(data); }
void operator delete[](void *data) noexcept { deallocate(data); }
void operator delete(void *data, size_t) noexcept { deallocate(data); }
void operator delete[](void *data, size_t) noexcept { deallocate(data); }
void operator delete(void *data, const std::nothrow_t &) noexcept { deallocate(data); }
void operator delete[](void *data, const std::nothrow_t &) noexcept { deallocate(data); }
#endif
