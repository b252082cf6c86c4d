// Which vector width the hot kernels run with. Every kernel is compiled for the baseline
// x86-64 (SSE2), for AVX2 and for AVX-512F, and picks at run time the widest the processor
// has. The kernels vectorise across pixels, each lane doing one pixel's arithmetic in the
// order the plain loop does it, and multiply-adds are never fused, so every path gives the
// same bits; tests force each path in turn to check that.
#pragma once
#include <utility>

namespace simd {

enum class Path { Baseline = 0, Avx2 = 1, Avx512 = 2 };

// The widest path this processor supports.
Path supported();

// The path kernels use now: supported(), lowered by QUENDRA_SIMD=baseline|avx2 in the
// environment or by a PathLimit.
Path active();

// path, lowered to what the processor supports.
Path usable(Path path);

const char *name(Path path);

// While it lives, kernels use at most `path` (tests and benchmarks compare the paths).
// Program-wide, not per thread, since row passes run on worker threads.
class PathLimit {
public:
    explicit PathLimit(Path path);
    ~PathLimit();
    PathLimit(const PathLimit &) = delete;
    PathLimit &operator=(const PathLimit &) = delete;

private:
    int previous_;
};

}  // namespace simd

#if defined(__x86_64__) && defined(__GNUC__)
#define QUENDRA_SIMD_TARGET_AVX2 [[gnu::target("avx2")]]
#define QUENDRA_SIMD_TARGET_AVX512 [[gnu::target("avx512f,avx2")]]
#define QUENDRA_SIMD_HAVE_TARGETS 1
#else
#define QUENDRA_SIMD_TARGET_AVX2
#define QUENDRA_SIMD_TARGET_AVX512
#define QUENDRA_SIMD_HAVE_TARGETS 0
#endif

// QUENDRA_SIMD_KERNEL(NAME, BODY) defines NAME(path, args...), which runs BODY(args...)
// compiled for path (lowered to what the processor supports). BODY is an always-inlined
// function or function template whose template arguments are deduced from args (pass a
// tag such as std::integral_constant for a constant); it is compiled three times, into
// NAME##Baseline, NAME##Avx2 and NAME##Avx512, each for its instruction set.
#define QUENDRA_SIMD_KERNEL(NAME, BODY)                                                                  \
    template <class... Args>                                                                             \
    void NAME##Baseline(Args &&...args)                                                                  \
    {                                                                                                    \
        BODY(std::forward<Args>(args)...);                                                               \
    }                                                                                                    \
    template <class... Args>                                                                             \
    QUENDRA_SIMD_TARGET_AVX2 void NAME##Avx2(Args &&...args)                                             \
    {                                                                                                    \
        BODY(std::forward<Args>(args)...);                                                               \
    }                                                                                                    \
    template <class... Args>                                                                             \
    QUENDRA_SIMD_TARGET_AVX512 void NAME##Avx512(Args &&...args)                                         \
    {                                                                                                    \
        BODY(std::forward<Args>(args)...);                                                               \
    }                                                                                                    \
    template <class... Args>                                                                             \
    void NAME(simd::Path path, Args &&...args)                                                           \
    {                                                                                                    \
        switch (simd::usable(path)) {                                                                    \
        case simd::Path::Avx512: return NAME##Avx512(std::forward<Args>(args)...);                       \
        case simd::Path::Avx2: return NAME##Avx2(std::forward<Args>(args)...);                           \
        case simd::Path::Baseline: break;                                                                \
        }                                                                                                \
        NAME##Baseline(std::forward<Args>(args)...);                                                     \
    }
