#include "ops/segmentation/cmeanspass.h"

#include <algorithm>
#include <barrier>
#include <cstdint>
#include <vector>
#if QUENDRA_SIMD_HAVE_TARGETS
#include <immintrin.h>
#endif

#include "ops/core/execution.h"

namespace cmeans {

namespace {

// Pixels per chunk: a multiple of 64 (whole words of the segmentation), small enough for
// the chunk's values to stay in the caches between the two steps.
constexpr size_t kChunk = size_t(1) << 15;

// The pixels' own values of one chunk, at index i - chunk start.
struct ChunkValues {
    std::vector<double> dd, wv, wb, up;
    explicit ChunkValues(size_t size) : dd(size), wv(size), wb(size), up(size) {}
};

struct Counts {
    size_t atVesselCentre = 0, atBothCentres = 0;
};

// One pixel's values; the scalar path and every vector tail.
inline void pixelValue(const PassInput &in, size_t i, size_t j, ChunkValues &c, Counts &counts)
{
    const double dv = squaredDistance(in.f, i, in.now.vessel);
    const double db = squaredDistance(in.f, i, in.now.background);
    if (dv == 0.0) ++(db == 0.0 ? counts.atBothCentres : counts.atVesselCentre);
    const double up = membershipOf(dv, db);
    const double d = up - previousMembership(in, i);
    c.dd[j] = d * d;
    c.wv[j] = weight(up);
    c.wb[j] = weight(1.0 - up);
    c.up[j] = up;
}

void valuesBaseline(const PassInput &in, size_t begin, size_t end, size_t base, ChunkValues &c, Counts &counts)
{
    for (size_t i = begin; i < end; ++i) pixelValue(in, i, i - base, c, counts);
}

#if QUENDRA_SIMD_HAVE_TARGETS
// Four pixels per step, each lane doing the scalar arithmetic in the same order.
struct Distances4 {
    __m256d dv, db;
};

QUENDRA_SIMD_TARGET_AVX2 inline Distances4 distances4(const PassInput &in, size_t i, const Centres &c)
{
    __m256d dv = _mm256_setzero_pd(), db = _mm256_setzero_pd();
    for (int k = 0; k < kFeatures; ++k) {
        const __m256d x = _mm256_loadu_pd(in.f[k] + i);
        const __m256d a = _mm256_sub_pd(x, _mm256_set1_pd(c.vessel[k]));
        const __m256d b = _mm256_sub_pd(x, _mm256_set1_pd(c.background[k]));
        dv = _mm256_add_pd(dv, _mm256_mul_pd(a, a));
        db = _mm256_add_pd(db, _mm256_mul_pd(b, b));
    }
    return {dv, db};
}

QUENDRA_SIMD_TARGET_AVX2 inline __m256d membership4(const Distances4 &d)
{
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    const __m256d r = _mm256_div_pd(d.dv, d.db);
    const __m256d m = _mm256_div_pd(one, _mm256_add_pd(one, _mm256_mul_pd(r, r)));
    const __m256d dvZero = _mm256_cmp_pd(d.dv, zero, _CMP_EQ_OQ), dbZero = _mm256_cmp_pd(d.db, zero, _CMP_EQ_OQ);
    const __m256d special = _mm256_blendv_pd(one, _mm256_set1_pd(0.5), dbZero);
    return _mm256_blendv_pd(m, special, dvZero);
}

QUENDRA_SIMD_TARGET_AVX2 void valuesAvx2(const PassInput &in, size_t begin, size_t end, size_t base, ChunkValues &c,
                                         Counts &counts)
{
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    size_t i = begin;
    for (; i + 4 <= end; i += 4) {
        const Distances4 now = distances4(in, i, in.now);
        const __m256d up = membership4(now);
        const __m256d dvZero = _mm256_cmp_pd(now.dv, zero, _CMP_EQ_OQ);
        const __m256d dbZero = _mm256_cmp_pd(now.db, zero, _CMP_EQ_OQ);
        counts.atVesselCentre += size_t(__builtin_popcount(_mm256_movemask_pd(_mm256_andnot_pd(dbZero, dvZero))));
        counts.atBothCentres += size_t(__builtin_popcount(_mm256_movemask_pd(_mm256_and_pd(dbZero, dvZero))));
        const __m256d before = in.initial ? _mm256_loadu_pd(in.initial + i) : membership4(distances4(in, i, in.before));
        const __m256d d = _mm256_sub_pd(up, before);
        const __m256d v = _mm256_sub_pd(one, up);
        const size_t j = i - base;
        _mm256_storeu_pd(c.dd.data() + j, _mm256_mul_pd(d, d));
        _mm256_storeu_pd(c.wv.data() + j, _mm256_mul_pd(up, _mm256_sqrt_pd(up)));
        _mm256_storeu_pd(c.wb.data() + j, _mm256_mul_pd(v, _mm256_sqrt_pd(v)));
        _mm256_storeu_pd(c.up.data() + j, up);
    }
    for (; i < end; ++i) pixelValue(in, i, i - base, c, counts);
}
#endif

// The sums in pixel order, split in two shares that touch different sums: the squared
// change, the vessel weight and sums and the segmentation; the background weight and sums.
void vesselShare(const PassInput &in, size_t begin, size_t end, const ChunkValues &c, PassResult &r,
                 PackedBinary &segmentation)
{
    double squares = r.squares, w = r.sums.vesselWeight;
    double s[kFeatures];
    std::copy(r.sums.vessel, r.sums.vessel + kFeatures, s);
    for (size_t i = begin; i < end; ++i) {
        const size_t j = i - begin;
        squares += c.dd[j];
        w += c.wv[j];
        for (int k = 0; k < kFeatures; ++k) s[k] += c.wv[j] * in.f[k][i];
    }
    r.squares = squares;
    r.sums.vesselWeight = w;
    std::copy(s, s + kFeatures, r.sums.vessel);
    for (size_t word = begin; word < end; word += 64) {
        std::uint64_t bits = 0;
        const size_t last = std::min(end, word + 64);
        for (size_t i = word; i < last; ++i)
            bits |= std::uint64_t(c.up[i - begin] >= kSegmentationThreshold) << (i - word);
        segmentation.setWord(word / 64, bits);
    }
}

void backgroundShare(const PassInput &in, size_t begin, size_t end, const ChunkValues &c, PassResult &r)
{
    double w = r.sums.backgroundWeight;
    double s[kFeatures];
    std::copy(r.sums.background, r.sums.background + kFeatures, s);
    for (size_t i = begin; i < end; ++i) {
        const size_t j = i - begin;
        w += c.wb[j];
        for (int k = 0; k < kFeatures; ++k) s[k] += c.wb[j] * in.f[k][i];
    }
    r.sums.backgroundWeight = w;
    std::copy(s, s + kFeatures, r.sums.background);
}

using ValuesFn = void (*)(const PassInput &, size_t, size_t, size_t, ChunkValues &, Counts &);

ValuesFn valuesFor(simd::Path path)
{
#if QUENDRA_SIMD_HAVE_TARGETS
    if (path != simd::Path::Baseline && simd::supported() != simd::Path::Baseline) return valuesAvx2;
#endif
    (void)path;
    return valuesBaseline;
}

}  // namespace

PassResult pass(const PassInput &in, PackedBinary &segmentation, int threads, simd::Path path)
{
    const ValuesFn values = valuesFor(path);
    PassResult r;
    ChunkValues c(std::min(in.n, kChunk));
    Counts counts[2];
    if (threads < 2 || in.n < 2 * kChunk) {
        for (size_t begin = 0; begin < in.n; begin += kChunk) {
            const size_t end = std::min(in.n, begin + kChunk);
            values(in, begin, end, begin, c, counts[0]);
            vesselShare(in, begin, end, c, r, segmentation);
            backgroundShare(in, begin, end, c, r);
        }
    } else {
        // Two threads: each computes half of a chunk's values, then adds up its share of
        // the sums over the whole chunk.
        std::barrier sync(2);
        auto work = [&](int t) {
            for (size_t begin = 0; begin < in.n; begin += kChunk) {
                const size_t end = std::min(in.n, begin + kChunk);
                const size_t middle = begin + (end - begin) / 2;
                values(in, t == 0 ? begin : middle, t == 0 ? middle : end, begin, c, counts[t]);
                sync.arrive_and_wait();
                if (t == 0)
                    vesselShare(in, begin, end, c, r, segmentation);
                else
                    backgroundShare(in, begin, end, c, r);
                sync.arrive_and_wait();
            }
        };
        execution::parallelFor(2, 2, 1, work);
    }
    r.atVesselCentre = counts[0].atVesselCentre + counts[1].atVesselCentre;
    r.atBothCentres = counts[0].atBothCentres + counts[1].atBothCentres;
    return r;
}

}  // namespace cmeans
