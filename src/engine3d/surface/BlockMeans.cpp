#include "engine3d/surface/BlockMeans.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define VT_BLOCK_MEANS_SSE2 1
#endif

namespace {

// Bytes of a row taken at a time by the wide path, and the bytes past them
// that its steps across blocks read (at most 15 + 3 K / 2, K <= 8).
constexpr int kChunkBytes = 1536;
constexpr int kSlack = 32;

// Sum, least and greatest of channel c of block i, pixel by pixel.
void ScalarBlock(const CBlockRows& rows, int i, std::uint32_t sum[3], std::uint32_t lo[3], std::uint32_t hi[3])
{
    const int K = rows.K;
    const std::uint8_t* block = rows.pixels + 3 * static_cast<std::size_t>(K) * static_cast<std::size_t>(i);
    for (int c = 0; c < 3; ++c) sum[c] = 0, lo[c] = 255, hi[c] = 0;
    for (int r = 0; r < K; ++r)
        for (int q = 0; q < 3 * K; q += 3)
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t v = block[static_cast<std::size_t>(r) * rows.stride + static_cast<std::size_t>(q + c)];
                sum[c] += v, lo[c] = std::min(lo[c], v), hi[c] = std::max(hi[c], v);
            }
}

#if defined(VT_BLOCK_MEANS_SSE2)
// The blocks a chunk holds; 0 when the wide path does not serve (K not a
// power of two, or over 8).
int ChunkBlocks(int K) noexcept
{
    if (!std::has_single_bit(static_cast<unsigned>(K)) || K > 8) return 0;
    return kChunkBytes / (3 * K);
}

// One chunk of a block row summed down its K rows: bytes 0 .. n - 1 from p.
struct CColumns {
    alignas(16) std::uint16_t sum[kChunkBytes + kSlack];
    alignas(16) std::uint8_t lo[kChunkBytes + kSlack];
    alignas(16) std::uint8_t hi[kChunkBytes + kSlack];

    void Take(const std::uint8_t* p, std::size_t stride, int K, int n, bool range) noexcept
    {
        const __m128i zero = _mm_setzero_si128();
        int e = 0;
        for (; e + 16 <= n; e += 16) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + e));
            __m128i s0 = _mm_unpacklo_epi8(v, zero), s1 = _mm_unpackhi_epi8(v, zero), l = v, h = v;
            for (int r = 1; r < K; ++r) {
                v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + static_cast<std::size_t>(r) * stride + e));
                s0 = _mm_add_epi16(s0, _mm_unpacklo_epi8(v, zero));
                s1 = _mm_add_epi16(s1, _mm_unpackhi_epi8(v, zero));
                if (range) l = _mm_min_epu8(l, v), h = _mm_max_epu8(h, v);
            }
            _mm_store_si128(reinterpret_cast<__m128i*>(sum + e), s0);
            _mm_store_si128(reinterpret_cast<__m128i*>(sum + e + 8), s1);
            if (range) {
                _mm_store_si128(reinterpret_cast<__m128i*>(lo + e), l);
                _mm_store_si128(reinterpret_cast<__m128i*>(hi + e), h);
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
            for (int e = 0; e < n; e += 8) {
                const __m128i a = _mm_load_si128(reinterpret_cast<const __m128i*>(sum + e));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sum + e + d));
                _mm_store_si128(reinterpret_cast<__m128i*>(sum + e), _mm_add_epi16(a, b));
            }
            if (!range) continue;
            for (int e = 0; e < n; e += 16) {
                const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lo + e + d));
                const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hi + e + d));
                _mm_store_si128(reinterpret_cast<__m128i*>(lo + e), _mm_min_epu8(_mm_load_si128(reinterpret_cast<const __m128i*>(lo + e)), l));
                _mm_store_si128(reinterpret_cast<__m128i*>(hi + e), _mm_max_epu8(_mm_load_si128(reinterpret_cast<const __m128i*>(hi + e)), h));
            }
        }
    }
};
#endif

} // namespace

void BlockMeans(const CBlockRows& rows, int spread, std::uint8_t* colours, std::uint8_t* uneven) noexcept
{
    const int K = rows.K;
    const auto area = static_cast<std::uint32_t>(K * K);
    int i = 0;
#if defined(VT_BLOCK_MEANS_SSE2)
    if (const int chunk = ChunkBlocks(K); chunk > 0) {
        const int shift = std::countr_zero(area);
        CColumns columns;
        for (; i < rows.count; i += chunk) {
            const int blocks = std::min(chunk, rows.count - i), n = 3 * K * blocks;
            columns.Take(rows.pixels + 3 * static_cast<std::size_t>(K) * static_cast<std::size_t>(i), rows.stride, K,
                         n, true);
            columns.Across(K, n, true);
            for (int b = 0; b < blocks; ++b) {
                const int e = 3 * K * b;
                std::uint8_t* colour = colours + 3 * static_cast<std::size_t>(i + b);
                bool spreads = false;
                for (int c = 0; c < 3; ++c) {
                    colour[c] = static_cast<std::uint8_t>((columns.sum[e + c] + area / 2) >> shift);
                    spreads |= columns.hi[e + c] - columns.lo[e + c] > spread;
                }
                uneven[i + b] = spreads;
            }
        }
        return;
    }
#endif
    for (; i < rows.count; ++i) {
        std::uint32_t sum[3], lo[3], hi[3];
        ScalarBlock(rows, i, sum, lo, hi);
        for (int c = 0; c < 3; ++c) colours[3 * i + c] = static_cast<std::uint8_t>((sum[c] + area / 2) / area);
        uneven[i] = hi[0] - lo[0] > static_cast<std::uint32_t>(spread) || hi[1] - lo[1] > static_cast<std::uint32_t>(spread) ||
                    hi[2] - lo[2] > static_cast<std::uint32_t>(spread);
    }
}

void TruncatedBlockMeans(const CBlockRows& rows, const std::uint8_t* pick, std::uint8_t* colours) noexcept
{
    const int K = rows.K;
    const auto area = static_cast<std::uint32_t>(K * K);
    int i = 0;
#if defined(VT_BLOCK_MEANS_SSE2)
    if (const int chunk = ChunkBlocks(K); chunk > 0) {
        const int shift = std::countr_zero(area);
        CColumns columns;
        for (; i < rows.count; i += chunk) {
            const int blocks = std::min(chunk, rows.count - i), n = 3 * K * blocks;
            if (std::find(pick + i, pick + i + blocks, std::uint8_t{1}) == pick + i + blocks) continue;
            columns.Take(rows.pixels + 3 * static_cast<std::size_t>(K) * static_cast<std::size_t>(i), rows.stride, K,
                         n, false);
            columns.Across(K, n, false);
            for (int b = 0; b < blocks; ++b)
                if (pick[i + b])
                    for (int c = 0; c < 3; ++c)
                        colours[3 * (i + b) + c] = static_cast<std::uint8_t>(columns.sum[3 * K * b + c] >> shift);
        }
        return;
    }
#endif
    for (; i < rows.count; ++i) {
        if (!pick[i]) continue;
        std::uint32_t sum[3], lo[3], hi[3];
        ScalarBlock(rows, i, sum, lo, hi);
        for (int c = 0; c < 3; ++c) colours[3 * i + c] = static_cast<std::uint8_t>(sum[c] / area);
    }
}
