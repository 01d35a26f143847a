#include "engine3d/sampling/WeighedEights.h"

#include "engine3d/sampling/FourTexelRows.h"
#include "engine3d/sampling/LinearSteps.h"
#include "engine3d/sampling/TargetRegion.h"

#include <algorithm>
#include <atomic>
#include <cstddef>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {
std::atomic<bool> g_enabled{true};
} // namespace

void weighed_eights::SetEnabled(bool enabled) noexcept
{
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool weighed_eights::Available() noexcept
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
                            __builtin_cpu_supports("avx512vbmi");
    return has && g_enabled.load(std::memory_order_relaxed);
}

VT_UNDEFINED_START_BEGIN
VT_TARGET_BEGIN("avx2,avx512f,avx512bw,avx512vl,avx512vbmi")
namespace {

constexpr int kRows = 4;      // picture rows read, 64 bytes each
constexpr int kColumns = 21;  // texels of a row read (63 of its bytes)

int Least(__m256i v)
{
    v = _mm256_min_epi32(v, _mm256_permute2x128_si256(v, v, 1));
    v = _mm256_min_epi32(v, _mm256_shuffle_epi32(v, 0x4E));
    return _mm256_cvtsi256_si32(_mm256_min_epi32(v, _mm256_shuffle_epi32(v, 0xB1)));
}

int Greatest(__m256i v)
{
    v = _mm256_max_epi32(v, _mm256_permute2x128_si256(v, v, 1));
    v = _mm256_max_epi32(v, _mm256_shuffle_epi32(v, 0x4E));
    return _mm256_cvtsi256_si32(_mm256_max_epi32(v, _mm256_shuffle_epi32(v, 0xB1)));
}

// Bytes 2p and 2p + 1 of the result: the low bytes of a[p] and b[p].
__m128i Interleaved(__m256i a, __m256i b)
{
    return _mm_unpacklo_epi8(_mm256_cvtepi32_epi8(a), _mm256_cvtepi32_epi8(b));
}

} // namespace

bool weighed_eights::Weigh(const linear_steps::SStepSamples& r, const std::int32_t* colIn, const std::int32_t* rowIn,
                           const std::int32_t* weights, int lanes, std::uint32_t* out) noexcept
{
    // The pixels not looked at take the first one's texels.
    const auto mask = static_cast<__mmask8>(lanes);
    const __m256i firstLane = _mm256_set1_epi32(__builtin_ctz(static_cast<unsigned>(lanes) | 0x100u) & 7);
    const auto taken = [&](const std::int32_t* v) {
        const __m256i all = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
        return _mm256_mask_mov_epi32(_mm256_permutexvar_epi32(firstLane, all), mask, all);
    };
    const __m256i zero = _mm256_setzero_si256(), one = _mm256_set1_epi32(1);
    const __m256i lastCol = _mm256_set1_epi32(r.lastCol), lastRow = _mm256_set1_epi32(r.lastRow);
    const auto clamp = [zero](__m256i v, __m256i hi) { return _mm256_min_epi32(_mm256_max_epi32(v, zero), hi); };
    const __m256i col = taken(colIn), row = taken(rowIn);
    const __m256i col0 = clamp(col, lastCol), col1 = clamp(_mm256_add_epi32(col, one), lastCol);
    const __m256i row0 = clamp(row, lastRow), row1 = clamp(_mm256_add_epi32(row, one), lastRow);
    // The rows read: kRows from the lowest, 64 bytes from the leftmost texel.
    const int lowest = Least(row0), leftmost = Least(col0);
    if (Greatest(row1) - lowest >= kRows || Greatest(col1) - leftmost >= kColumns) return false;
    const int rows = std::min(kRows, r.lastRow + 1 - lowest);
    const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(lowest) * r.stride + 3 * leftmost;
    if (first + static_cast<std::ptrdiff_t>(rows - 1) * r.stride + 64 > static_cast<std::ptrdiff_t>(r.lastTexel) + 3)
        return false;
    __m512i table[kRows];
    for (int t = 0; t < kRows; ++t)
        table[t] = t < rows ? _mm512_loadu_si512(r.bits + first + t * std::ptrdiff_t{r.stride}) : _mm512_setzero_si512();

    // Each texel's byte offset into the rows read.
    const __m256i lowerAt = _mm256_slli_epi32(_mm256_sub_epi32(row0, _mm256_set1_epi32(lowest)), 6);
    const __m256i upperAt = _mm256_slli_epi32(_mm256_sub_epi32(row1, _mm256_set1_epi32(lowest)), 6);
    const __m256i left = _mm256_sub_epi32(col0, _mm256_set1_epi32(leftmost));
    const __m256i right = _mm256_sub_epi32(col1, _mm256_set1_epi32(leftmost));
    const __m256i leftAt = _mm256_add_epi32(left, _mm256_add_epi32(left, left));
    const __m256i rightAt = _mm256_add_epi32(right, _mm256_add_epi32(right, right));
    // Byte 16 ch + 2p + k of a permute's index: channel ch of pixel p's texel
    // k (left, right) of the lower row, then of the upper row; the last
    // sixteen bytes weigh 0.
    const __m512i plane = _mm512_set_epi64(0, 0, 0x0202020202020202ll, 0x0202020202020202ll, 0x0101010101010101ll,
                                           0x0101010101010101ll, 0, 0);
    const auto texels = [&](__m128i at16) {
        const __m512i index = _mm512_add_epi8(_mm512_broadcast_i32x4(at16), plane);
        const __m512i low = _mm512_permutex2var_epi8(table[0], index, table[1]);
        const __m512i high = _mm512_permutex2var_epi8(table[2], index, table[3]);
        return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
    };
    const __m512i lower = texels(Interleaved(_mm256_add_epi32(lowerAt, leftAt), _mm256_add_epi32(lowerAt, rightAt)));
    const __m512i upper = texels(Interleaved(_mm256_add_epi32(upperAt, leftAt), _mm256_add_epi32(upperAt, rightAt)));
    const auto weight = [weights](int k) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + 8 * k));
    };
    const __m256i w0 = weight(0), w1 = weight(1), w2 = weight(2), w3 = weight(3);
    const __m512i lowerWeights = _mm512_maskz_broadcast_i32x4(0x0FFF, Interleaved(w0, w1));
    const __m512i upperWeights = _mm512_maskz_broadcast_i32x4(0x0FFF, Interleaved(w2, w3));
    // Word 8 ch + p: channel ch of pixel p, at most 100 x 255.
    const __m512i sums = _mm512_add_epi16(_mm512_maddubs_epi16(lower, lowerWeights),
                                          _mm512_maddubs_epi16(upper, upperWeights));
    const __m256i count = _mm256_add_epi32(_mm256_add_epi32(w0, w1), _mm256_add_epi32(w2, w3));
    // Word 4p + ch: the sums, then each pixel's count (word 2p of count).
    const __m512i order = _mm512_set_epi16(46, 23, 15, 7, 44, 22, 14, 6, 42, 21, 13, 5, 40, 20, 12, 4, 38, 19, 11, 3,
                                           36, 18, 10, 2, 34, 17, 9, 1, 32, 16, 8, 0);
    const __m512i words = _mm512_permutex2var_epi16(sums, order, _mm512_castsi256_si512(count));
    auto* to = reinterpret_cast<__m512i*>(out);
    _mm512_storeu_si512(to, _mm512_cvtepu16_epi32(_mm512_castsi512_si256(words)));
    _mm512_storeu_si512(to + 1, _mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(words, 1)));
    return true;
}
VT_TARGET_END
VT_UNDEFINED_START_END

#else
void weighed_eights::SetEnabled(bool) noexcept {}

bool weighed_eights::Available() noexcept
{
    return false;
}

bool weighed_eights::Weigh(const linear_steps::SStepSamples&, const std::int32_t*, const std::int32_t*,
                           const std::int32_t*, int, std::uint32_t*) noexcept
{
    return false;
}
#endif
