#include "engine3d/sampling/SampleAverages.h"

#include <cstring>
#if defined(__SSE2__)
#include <tmmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
static_assert(sizeof(CPixelSamples) == 16, "a pixel's samples are read as four 32-bit lanes");

// Four pixels of `count` samples each (25 or 100; every sum is at most 255
// times the count, so it fits 16 bits): sum / count is
// (sum * 41944 >> 16) >> 4 for 25 and >> 6 for 100, exactly for every sum up
// to 255 * count (run[0].count is `count`). False, with nothing stored, when
// another count differs.
__attribute__((target("ssse3"))) inline bool StoreFour(const CPixelSamples* run, int count,
                                                       std::uint8_t* bgr) noexcept
{
    if (((run[1].count ^ count) | (run[2].count ^ count) | (run[3].count ^ count)) != 0) return false;
    const auto* in = reinterpret_cast<const __m128i*>(run);
    const __m128i a = _mm_packs_epi32(_mm_loadu_si128(in), _mm_loadu_si128(in + 1)); // b g r n, b g r n
    const __m128i b = _mm_packs_epi32(_mm_loadu_si128(in + 2), _mm_loadu_si128(in + 3));
    const __m128i m = _mm_set1_epi16(static_cast<short>(41944 - 65536));
    const __m128i shift = _mm_cvtsi32_si128(count == 25 ? 4 : 6);
    const __m128i bytes = _mm_packus_epi16(_mm_srl_epi16(_mm_mulhi_epu16(a, m), shift),
                                           _mm_srl_epi16(_mm_mulhi_epu16(b, m), shift)); // b g r _ four times
    const __m128i packed =
        _mm_shuffle_epi8(bytes, _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bgr), packed);
    const int high = _mm_cvtsi128_si32(_mm_srli_si128(packed, 8));
    std::memcpy(bgr + 8, &high, 4);
    return true;
}

// The row four pixels a step where they have the same usual count; the
// pixels done (the rest, fewer than four, are left).
__attribute__((target("ssse3"))) int StoreByFours(const CPixelSamples* run, int n, int minCount,
                                                  std::uint8_t* bgr) noexcept
{
    int i = 0;
    while (i + 4 <= n) {
        const int count = run[i].count;
        if ((count == 25 || count == 100) && count >= minCount && StoreFour(run + i, count, bgr + 3 * i)) {
            i += 4;
            continue;
        }
        if (count >= minCount) StoreAverage(bgr + 3 * i, run[i].sum, count);
        ++i;
    }
    return i;
}
#endif

} // namespace

void StoreAverages(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept
{
    int i = 0;
#if defined(__SSE2__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles) i = StoreByFours(run, n, minCount, bgr);
#endif
    StoreAveragesReference(run + i, n - i, minCount, bgr + 3 * i);
}

void StoreAveragesReference(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept
{
    for (int i = 0; i < n; ++i, bgr += 3)
        if (run[i].count >= minCount) StoreAverage(bgr, run[i].sum, run[i].count);
}
