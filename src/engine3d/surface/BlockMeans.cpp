#include "engine3d/surface/BlockMeans.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include "engine3d/sampling/TargetRegion.h"

#include <immintrin.h>
#define VT_BLOCK_MEANS_AVX2 1
#endif

namespace {

// Bytes of a row taken at a time by the wide path (a multiple of 32), and
// the bytes past them that its steps across blocks read (at most 31 + 3 K / 2,
// K <= 8).
constexpr int kChunkBytes = 1536;
constexpr int kSlack = 64;

// One block's sums, least and greatest levels per channel.
struct CBlockLevels {
    std::uint32_t sum[3], lo[3], hi[3];
};

// Block i pixel by pixel.
CBlockLevels ScalarBlock(const CBlockRows& rows, int i) noexcept
{
    const int K = rows.K;
    const std::uint8_t* block = rows.pixels + 3 * static_cast<std::size_t>(K) * static_cast<std::size_t>(i);
    CBlockLevels b{{0, 0, 0}, {255, 255, 255}, {0, 0, 0}};
    for (int r = 0; r < K; ++r)
        for (int q = 0; q < 3 * K; q += 3)
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t v = block[static_cast<std::size_t>(r) * rows.stride + static_cast<std::size_t>(q + c)];
                b.sum[c] += v, b.lo[c] = std::min(b.lo[c], v), b.hi[c] = std::max(b.hi[c], v);
            }
    return b;
}

#if defined(VT_BLOCK_MEANS_AVX2)
VT_TARGET_BEGIN("avx2")
// One chunk of a block row summed down its K rows: bytes 0 .. n - 1 from p,
// 32 at a time (16 bits a byte for the sums), the tail byte by byte.
struct CColumns {
    alignas(32) std::uint16_t sum[kChunkBytes + kSlack];
    alignas(32) std::uint8_t lo[kChunkBytes + kSlack];
    alignas(32) std::uint8_t hi[kChunkBytes + kSlack];

    void Take(const std::uint8_t* p, std::size_t stride, int K, int n, bool range) noexcept
    {
        int e = 0;
        for (; e + 32 <= n; e += 32) {
            __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + e));
            __m256i s0 = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(v));
            __m256i s1 = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(v, 1)), l = v, h = v;
            for (int r = 1; r < K; ++r) {
                v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + static_cast<std::size_t>(r) * stride + e));
                s0 = _mm256_add_epi16(s0, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(v)));
                s1 = _mm256_add_epi16(s1, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(v, 1)));
                if (range) l = _mm256_min_epu8(l, v), h = _mm256_max_epu8(h, v);
            }
            _mm256_store_si256(reinterpret_cast<__m256i*>(sum + e), s0);
            _mm256_store_si256(reinterpret_cast<__m256i*>(sum + e + 16), s1);
            if (range) {
                _mm256_store_si256(reinterpret_cast<__m256i*>(lo + e), l);
                _mm256_store_si256(reinterpret_cast<__m256i*>(hi + e), h);
            }
        }
        for (; e < n; ++e) {
            std::uint32_t s = 0, l = 255, h = 0;
            for (int r = 0; r < K; ++r) {
                const std::uint32_t v = p[static_cast<std::size_t>(r) * stride + static_cast<std::size_t>(e)];
                s += v, l = std::min(l, v), h = std::max(h, v);
            }
            sum[e] = static_cast<std::uint16_t>(s), lo[e] = static_cast<std::uint8_t>(l), hi[e] = static_cast<std::uint8_t>(h);
        }
        // What the steps across read past the chunk's end; no block's result takes it.
        std::memset(sum + n, 0, sizeof sum[0] * kSlack);
        std::memset(lo + n, 0, kSlack);
        std::memset(hi + n, 0, kSlack);
    }

    // Across each block: pixel p combined with p + 1, then with p + 2, ...,
    // so that byte 3 K i + c holds the whole of block i's channel c.
    void Across(int K, int n, bool range) noexcept
    {
        for (int d = 3; d < 3 * K; d *= 2) {
            for (int e = 0; e < n; e += 16) {
                const __m256i a = _mm256_load_si256(reinterpret_cast<const __m256i*>(sum + e));
                const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sum + e + d));
                _mm256_store_si256(reinterpret_cast<__m256i*>(sum + e), _mm256_add_epi16(a, b));
            }
            if (!range) continue;
            for (int e = 0; e < n; e += 32) {
                const __m256i l = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lo + e + d));
                const __m256i h = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hi + e + d));
                _mm256_store_si256(reinterpret_cast<__m256i*>(lo + e), _mm256_min_epu8(_mm256_load_si256(reinterpret_cast<const __m256i*>(lo + e)), l));
                _mm256_store_si256(reinterpret_cast<__m256i*>(hi + e), _mm256_max_epu8(_mm256_load_si256(reinterpret_cast<const __m256i*>(hi + e)), h));
            }
        }
    }
};
VT_TARGET_END
#endif

// Calls each(i, sum, lo, hi, over) for every block i of the row (only those
// with pick[i] set when `pick` is given): channel c's sum, least and
// greatest levels at sum[c], lo[c], hi[c] (the last two only worked out with
// `range`), and over(s) = s / (K K) rounded down. Where the processor has
// AVX2 and K is a power of two up to 8 the row goes a chunk at a time through
// CColumns (the division a shift); otherwise block by block.
template <class Each>
void EachBlock(const CBlockRows& rows, bool range, const std::uint8_t* pick, Each&& each) noexcept
{
    const int K = rows.K;
#if defined(VT_BLOCK_MEANS_AVX2)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && std::has_single_bit(static_cast<unsigned>(K)) && K <= 8) {
        const int chunk = kChunkBytes / (3 * K), shift = std::countr_zero(static_cast<unsigned>(K * K));
        const auto over = [shift](std::uint32_t sum) { return sum >> shift; };
        CColumns columns;
        for (int i = 0; i < rows.count; i += chunk) {
            const int blocks = std::min(chunk, rows.count - i), n = 3 * K * blocks;
            if (pick && std::find(pick + i, pick + i + blocks, std::uint8_t{1}) == pick + i + blocks) continue;
            columns.Take(rows.pixels + 3 * static_cast<std::size_t>(K) * static_cast<std::size_t>(i), rows.stride, K,
                         n, range);
            columns.Across(K, n, range);
            for (int b = 0, e = 0; b < blocks; ++b, e += 3 * K)
                if (!pick || pick[i + b]) each(i + b, columns.sum + e, columns.lo + e, columns.hi + e, over);
        }
        return;
    }
#endif
    const auto area = static_cast<std::uint32_t>(K * K);
    const auto over = [area](std::uint32_t sum) { return sum / area; };
    for (int i = 0; i < rows.count; ++i) {
        if (pick && !pick[i]) continue;
        const CBlockLevels b = ScalarBlock(rows, i);
        each(i, b.sum, b.lo, b.hi, over);
    }
}

} // namespace

void BlockMeans(const CBlockRows& rows, int spread, std::uint8_t* colours, std::uint8_t* uneven) noexcept
{
    const auto half = static_cast<std::uint32_t>(rows.K * rows.K / 2), limit = static_cast<std::uint32_t>(spread);
    EachBlock(rows, true, nullptr, [colours, uneven, half, limit](int i, const auto* sum, const auto* lo, const auto* hi, auto over) {
        bool spreads = false;
        for (int c = 0; c < 3; ++c) {
            colours[3 * i + c] = static_cast<std::uint8_t>(over(sum[c] + half));
            spreads |= static_cast<std::uint32_t>(hi[c] - lo[c]) > limit;
        }
        uneven[i] = spreads;
    });
}

void TruncatedBlockMeans(const CBlockRows& rows, const std::uint8_t* pick, std::uint8_t* colours) noexcept
{
    EachBlock(rows, false, pick, [colours](int i, const auto* sum, const auto*, const auto*, auto over) {
        for (int c = 0; c < 3; ++c) colours[3 * i + c] = static_cast<std::uint8_t>(over(sum[c]));
    });
}
