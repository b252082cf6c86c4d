#include "ops/core/simd.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace simd {

namespace {

Path detect()
{
#if QUENDRA_SIMD_HAVE_TARGETS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return Path::Avx512;
    if (__builtin_cpu_supports("avx2")) return Path::Avx2;
#endif
    return Path::Baseline;
}

Path fromEnvironment(Path best)
{
    const char *v = std::getenv("QUENDRA_SIMD");
    if (!v) return best;
    Path wanted = best;
    if (std::strcmp(v, "baseline") == 0) wanted = Path::Baseline;
    else if (std::strcmp(v, "avx2") == 0) wanted = Path::Avx2;
    return int(wanted) < int(best) ? wanted : best;
}

std::atomic<int> limit{-1};  // -1: no PathLimit in force

}  // namespace

Path supported()
{
    static const Path best = detect();
    return best;
}

Path active()
{
    static const Path chosen = fromEnvironment(supported());
    const int l = limit.load(std::memory_order_relaxed);
    return l >= 0 && l < int(chosen) ? Path(l) : chosen;
}

Path usable(Path path) { return int(path) <= int(supported()) ? path : supported(); }

const char *name(Path path)
{
    switch (path) {
    case Path::Avx512: return "avx512";
    case Path::Avx2: return "avx2";
    case Path::Baseline: break;
    }
    return "baseline";
}

PathLimit::PathLimit(Path path) : previous_(limit.exchange(int(path))) {}

PathLimit::~PathLimit() { limit = previous_; }

}  // namespace simd
