// Fresh image-sized buffers are first touched page by page, and on large images those page
// faults are a good part of a fast pass. On Linux, asking for transparent huge pages before
// the first touch cuts that time. It is advice only: values never depend on it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "ops/core/image.h"

inline void adviseHugePages(void *data, size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t huge = uintptr_t(1) << 21;
    if (bytes < 4 * huge) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + huge - 1) & ~(huge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(huge - 1);
    if (end > begin) madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

// An image of the given size with its values not yet set, its buffer advised as above.
inline Image uninitializedImage(int width, int height, int depth = 1, int spectrum = 1)
{
    Image image(width, height, depth, spectrum);
    if (!image.is_empty()) adviseHugePages(image.data(), image.size() * sizeof(double));
    return image;
}

// A copy of image whose buffer was advised before the copy touched it.
inline Image largeCopy(const Image &image)
{
    Image copy = uninitializedImage(image.width(), image.height(), image.depth(), image.spectrum());
    if (!image.is_empty()) std::copy(image.begin(), image.end(), copy.begin());
    return copy;
}
