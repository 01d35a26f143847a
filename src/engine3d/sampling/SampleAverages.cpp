#include "engine3d/sampling/SampleAverages.h"

#include "engine3d/sampling/TargetRegion.h"

#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
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

#if defined(__SSE2__)
VT_TARGET_BEGIN("avx2")
namespace {

// Eight pixels of one usual count (25 or 100), the arithmetic of StoreFour
// in 256-bit registers. Pixels k and k + 4 are loaded into the two halves of
// one register, so that the packs leave pixels 0 1 2 3 | 4 5 6 7 in order;
// each half sheds every fourth byte, keeping twelve bytes and four spare
// ones. The low half is stored at bgr, then the high half at bgr + 12 (over
// the low half's spare bytes) with its spare bytes set to the four bytes that
// were there (bgr + 24 .. 27, which the caller owns).
struct CEightPixels {
    __m256i count, multiplier, shuffle;
    __m128i shift;

    explicit CEightPixels(int samples) noexcept
        : count(_mm256_set1_epi16(static_cast<short>(samples))),
          multiplier(_mm256_set1_epi16(static_cast<short>(41944 - 65536))),
          shuffle(_mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, //
                                   0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1)),
          shift(_mm_cvtsi32_si128(samples == 25 ? 4 : 6))
    {
    }

    // Pixel 0 in the low half, pixel 4 in the high half.
    static __m256i Pair(const __m128i* in) noexcept
    {
        return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(in)), _mm_loadu_si128(in + 4), 1);
    }

    // False, with nothing stored, when a pixel has another count.
    bool Store(const CPixelSamples* run, std::uint8_t* bgr) const noexcept
    {
        const auto* in = reinterpret_cast<const __m128i*>(run);
        const __m256i a = _mm256_packs_epi32(Pair(in), Pair(in + 1));     // pixels 0 1 | 4 5, b g r n each
        const __m256i b = _mm256_packs_epi32(Pair(in + 2), Pair(in + 3)); // pixels 2 3 | 6 7
        const __m256i same = _mm256_and_si256(_mm256_cmpeq_epi16(a, count), _mm256_cmpeq_epi16(b, count));
        constexpr unsigned kCounts = 0xC0C0C0C0u; // the bytes of 16-bit lanes 3 and 7 of each half
        if ((static_cast<unsigned>(_mm256_movemask_epi8(same)) & kCounts) != kCounts) return false;
        const __m256i bytes = _mm256_packus_epi16(_mm256_srl_epi16(_mm256_mulhi_epu16(a, multiplier), shift),
                                                  _mm256_srl_epi16(_mm256_mulhi_epu16(b, multiplier), shift));
        std::int32_t after;
        std::memcpy(&after, bgr + 24, 4);
        const __m256i out = _mm256_blend_epi32(_mm256_shuffle_epi8(bytes, shuffle), _mm256_set1_epi32(after), 0x80);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm256_castsi256_si128(out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 12), _mm256_extracti128_si256(out, 1));
        return true;
    }
};

// As StoreByFours, eight pixels a step while two more pixels follow them
// (an eight rewrites the first four bytes after it); a run of eights of one
// count is stored without going back to the scalar checks.
int StoreByEights(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept
{
    int i = 0;
    while (i + 10 <= n) {
        const int count = run[i].count;
        if ((count == 25 || count == 100) && count >= minCount) {
            const CEightPixels eight(count);
            const int start = i;
            while (i + 10 <= n && eight.Store(run + i, bgr + 3 * i)) i += 8;
            if (i != start) continue;
        }
        if (count >= minCount) StoreAverage(bgr + 3 * i, run[i].sum, count);
        ++i;
    }
    return i;
}

} // namespace
VT_TARGET_END

// Sixteen pixels of one usual count a step where the processor has AVX-512
// with byte permutes: the arithmetic of StoreFour in 512-bit registers.
// Pixels k, 4 + k, 8 + k and 12 + k share the k-th 128-bit lane: packing
// the first eight and the last eight to words and then both to bytes leaves
// pixel 4 j + k's four bytes (blue, green, red and its count's) at byte
// 4 j of lane k; one permute lays the sixteen pixels' 48 colour bytes out in
// order, and a masked store writes those alone.
VT_TARGET_BEGIN("avx2,avx512f,avx512bw,avx512vbmi")
namespace {

struct CSixteenOrder {
    alignas(64) std::uint8_t at[64]{};
    constexpr CSixteenOrder() noexcept
    {
        for (int p = 0; p < 16; ++p)
            for (int c = 0; c < 3; ++c) at[3 * p + c] = static_cast<std::uint8_t>(16 * (p % 4) + 4 * (p / 4) + c);
    }
};
constexpr CSixteenOrder kSixteenOrder;

struct CSixteenPixels {
    __m512i count, multiplier, order;
    __m128i shift;

    explicit CSixteenPixels(int samples) noexcept
        : count(_mm512_set1_epi16(static_cast<short>(samples))),
          multiplier(_mm512_set1_epi16(static_cast<short>(41944 - 65536))),
          order(_mm512_load_si512(kSixteenOrder.at)), shift(_mm_cvtsi32_si128(samples == 25 ? 4 : 6))
    {
    }

    // False, with nothing stored, when a pixel has another count. (The
    // zero-masked permute: GCC 12 sees the plain one's undefined start value
    // as read.)
    bool Store(const CPixelSamples* run, std::uint8_t* bgr) const noexcept
    {
        const auto* in = reinterpret_cast<const __m512i*>(run);
        const __m512i a = _mm512_packs_epi32(_mm512_loadu_si512(in), _mm512_loadu_si512(in + 1));
        const __m512i b = _mm512_packs_epi32(_mm512_loadu_si512(in + 2), _mm512_loadu_si512(in + 3));
        constexpr __mmask32 kCounts = 0x88888888u; // 16-bit lanes 3 and 7 of each 128-bit lane
        if ((_mm512_cmpeq_epi16_mask(a, count) & _mm512_cmpeq_epi16_mask(b, count) & kCounts) != kCounts)
            return false;
        const __m512i bytes = _mm512_packus_epi16(_mm512_srl_epi16(_mm512_mulhi_epu16(a, multiplier), shift),
                                                  _mm512_srl_epi16(_mm512_mulhi_epu16(b, multiplier), shift));
        _mm512_mask_storeu_epi8(bgr, (__mmask64{1} << 48) - 1, _mm512_maskz_permutexvar_epi8(~__mmask64{0}, order, bytes));
        return true;
    }
};

// As StoreByEights, sixteen pixels a step where they have one count, eight
// where only the first eight have.
int StoreBySixteens(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept
{
    int i = 0;
    while (i + 10 <= n) {
        const int count = run[i].count;
        if ((count == 25 || count == 100) && count >= minCount) {
            const CSixteenPixels sixteen(count);
            const CEightPixels eight(count);
            const int start = i;
            for (;;) {
                if (i + 16 <= n && sixteen.Store(run + i, bgr + 3 * i))
                    i += 16;
                else if (i + 10 <= n && eight.Store(run + i, bgr + 3 * i))
                    i += 8;
                else
                    break;
            }
            if (i != start) continue;
        }
        if (count >= minCount) StoreAverage(bgr + 3 * i, run[i].sum, count);
        ++i;
    }
    return i;
}

} // namespace
VT_TARGET_END
#endif

void StoreAverages(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept
{
    int i = 0;
#if defined(__SSE2__)
    static const bool wide = __builtin_cpu_supports("avx2");
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    static const bool sixteens = wide && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                 __builtin_cpu_supports("avx512vbmi");
    if (sixteens)
        i = StoreBySixteens(run, n, minCount, bgr);
    else if (wide)
        i = StoreByEights(run, n, minCount, bgr);
    if (shuffles) i += StoreByFours(run + i, n - i, minCount, bgr + 3 * i);
#endif
    StoreAveragesReference(run + i, n - i, minCount, bgr + 3 * i);
}

void StoreAveragesReference(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept
{
    for (int i = 0; i < n; ++i, bgr += 3)
        if (run[i].count >= minCount) StoreAverage(bgr, run[i].sum, run[i].count);
}
