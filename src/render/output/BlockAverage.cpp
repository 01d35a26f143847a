#include "render/output/BlockAverage.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_SCALER_AVX2 1
#endif

#include "engine3d/sampling/TargetRegion.h"

namespace {

// Division by a fixed divisor d as a multiplication and a shift, for
// dividends below 2^24: with s = 24 + ceil(log2 d) and m = ceil(2^s / d), the
// error e = m d - 2^s is below d <= 2^(s - 24), so n e < 2^s for every
// n < 2^24 and (n m) >> s equals n / d exactly (the Granlund-Montgomery
// bound). Larger dividends are divided the plain way.
class CExactDivider {
public:
    explicit CExactDivider(std::uint32_t d) noexcept : m_divisor(d)
    {
        int log = 0;
        while ((std::uint64_t{1} << log) < d) ++log;
        m_shift = 24 + log;
        m_multiplier = ((std::uint64_t{1} << m_shift) + d - 1) / d;
    }
    std::uint32_t Divide(std::uint32_t n) const noexcept
    {
        if (n >= (1u << 24)) return n / m_divisor;
        return static_cast<std::uint32_t>((n * m_multiplier) >> m_shift);
    }

private:
    std::uint32_t m_divisor = 1;
    std::uint64_t m_multiplier = 1;
    int m_shift = 0;
};

#if defined(VT_SCALER_AVX2)
// The first bytes of AddRows 32 at a time where the processor has AVX2: each
// half of 16 bytes widened to sixteen 16-bit lanes in order. Returns the
// bytes done.
VT_TARGET_BEGIN("avx2")
inline __m256i Widened(const std::uint8_t* p) noexcept
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

int AddRowsWide(const std::uint8_t* const* rows, int r, int i, int bytes, std::uint16_t* sums) noexcept
{
    for (; i + 32 <= bytes; i += 32) {
        __m256i lo = Widened(rows[0] + i), hi = Widened(rows[0] + i + 16);
        for (int j = 1; j < r; ++j) {
            lo = _mm256_add_epi16(lo, Widened(rows[j] + i));
            hi = _mm256_add_epi16(hi, Widened(rows[j] + i + 16));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i), lo);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i + 16), hi);
    }
    return i;
}
VT_TARGET_END

// The same, 64 bytes a step where the processor has AVX-512 with byte lanes.
VT_TARGET_BEGIN("avx2,avx512f,avx512bw")
inline __m512i WidenedWide(const std::uint8_t* p) noexcept
{
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

int AddRowsWider(const std::uint8_t* const* rows, int r, int bytes, std::uint16_t* sums) noexcept
{
    int i = 0;
    for (; i + 64 <= bytes; i += 64) {
        __m512i lo = WidenedWide(rows[0] + i), hi = WidenedWide(rows[0] + i + 32);
        for (int j = 1; j < r; ++j) {
            lo = _mm512_add_epi16(lo, WidenedWide(rows[j] + i));
            hi = _mm512_add_epi16(hi, WidenedWide(rows[j] + i + 32));
        }
        _mm512_storeu_si512(sums + i, lo);
        _mm512_storeu_si512(sums + i + 32, hi);
    }
    return i;
}
VT_TARGET_END
#endif

// The r source rows of one output row added column by column, each channel
// byte into a 16-bit sum (r <= 257 keeps r * 255 in range): 32 bytes a step
// where the processor has AVX2, then 16 with SSE2, the r rows added in
// registers and stored once.
void AddRows(const CPixelView& src, int y0, int r, int bytes, std::uint16_t* sums) noexcept
{
    const std::uint8_t* rows[257];
    for (int j = 0; j < r; ++j) rows[j] = src.Row(y0 + j);
    int i = 0;
#if defined(VT_SCALER_AVX2)
    static const bool wide = __builtin_cpu_supports("avx2");
    static const bool wider = wide && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    if (wider && r > 0) i = AddRowsWider(rows, r, bytes, sums);
    if (wide && r > 0) i = AddRowsWide(rows, r, i, bytes, sums);
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= bytes; i += 16) {
        __m128i lo = zero, hi = zero;
        for (int j = 0; j < r; ++j) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j] + i));
            lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
            hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + i), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + i + 8), hi);
    }
#endif
    for (; i < bytes; ++i) {
        unsigned sum = 0;
        for (int j = 0; j < r; ++j) sum += rows[j][i];
        sums[i] = static_cast<std::uint16_t>(sum);
    }
}

// The sums of r columns (each summed over r rows) of one output row into
// its w pixels, for a magnification known when compiled: the loops unroll
// and the division by r * r becomes a shift or a multiplication. The
// quotients are those of CExactDivider, exact for these sums. Where r * r
// is a power of two, every pixel but the last is one vector step: eight
// sums from each of its r columns on, added (its three channels in the
// first three; no sum passes 64 * 255), shifted, packed to bytes, and four
// bytes stored (the fourth is the next pixel's, written after; the last
// pixel's step would write past the row).
#if defined(VT_SCALER_AVX2)
// ReduceColumns<4>'s steps two pixels at a time where the processor has
// AVX2: the four loads of sixteen sums at c, c + 3, c + 6 and c + 9 hold
// pixel x's sums in lanes 0 .. 2 and pixel x + 1's in lanes 12 .. 14, whose
// columns start twelve sums later. Each pixel's four bytes are stored as in
// the one-pixel steps. Returns the pixels done: the loads stay within the
// sums and the stores within the row, the last two pixels left.
VT_TARGET_BEGIN("avx2")
int ReduceFourWide(const std::uint16_t* c, std::uint8_t* out, int w) noexcept
{
    int x = 0;
    for (; x + 3 <= w; x += 2, c += 24, out += 6) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + 3));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + 6));
        const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + 9));
        const __m256i sum = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(a, b), _mm256_add_epi16(d, e)), 4);
        const __m256i bytes = _mm256_packus_epi16(sum, sum); // lanes 0 .. 7 in bytes 0 .. 7, 8 .. 15 in 16 .. 23
        const std::int32_t first = _mm256_cvtsi256_si32(bytes);
        const std::int32_t second = _mm_cvtsi128_si32(_mm_srli_si128(_mm256_extracti128_si256(bytes, 1), 4));
        std::memcpy(out, &first, 4);
        std::memcpy(out + 3, &second, 4);
    }
    return x;
}
VT_TARGET_END
#endif

template <int R>
void ReduceColumns(const std::uint16_t* c, std::uint8_t* out, int w) noexcept
{
    constexpr unsigned area = R * R;
    int x = 0;
#if defined(VT_SCALER_AVX2)
    if constexpr (R == 4) {
        static const bool wide = __builtin_cpu_supports("avx2");
        if (wide) {
            x = ReduceFourWide(c, out, w);
            c += 3 * R * x;
            out += 3 * x;
        }
    }
#endif
#if defined(__SSE2__)
    if constexpr ((area & (area - 1)) == 0) {
        constexpr int shift = std::countr_zero(area);
        for (; x + 1 < w; ++x, c += 3 * R, out += 3) {
            __m128i sum = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
            for (int i = 1; i < R; ++i)
                sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 3 * i)));
            const std::int32_t four = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_srli_epi16(sum, shift), sum));
            std::memcpy(out, &four, 4);
        }
    }
#endif
    for (; x < w; ++x, out += 3) {
        unsigned sb = 0, sg = 0, sr = 0;
        for (int i = 0; i < R; ++i, c += 3) {
            sb += c[0];
            sg += c[1];
            sr += c[2];
        }
        out[0] = static_cast<std::uint8_t>(sb / area);
        out[1] = static_cast<std::uint8_t>(sg / area);
        out[2] = static_cast<std::uint8_t>(sr / area);
    }
}

using ColumnReducer = void (*)(const std::uint16_t*, std::uint8_t*, int) noexcept;

ColumnReducer ReducerFor(int r) noexcept
{
    switch (r) {
    case 2: return ReduceColumns<2>;
    case 3: return ReduceColumns<3>;
    case 4: return ReduceColumns<4>;
    case 5: return ReduceColumns<5>;
    case 6: return ReduceColumns<6>;
    case 8: return ReduceColumns<8>;
    default: return nullptr;
    }
}

} // namespace

void BlockAverage(const CPixelView& src, const CPixelView& dst, int r, int first) noexcept
{
    const ColumnReducer reduce = ReducerFor(r);
    const int area = r * r;
    const CExactDivider divide(static_cast<std::uint32_t>(area));
    auto put = [&divide](std::uint8_t* p, unsigned sb, unsigned sg, unsigned sr) {
        p[0] = static_cast<std::uint8_t>(divide.Divide(sb));
        p[1] = static_cast<std::uint8_t>(divide.Divide(sg));
        p[2] = static_cast<std::uint8_t>(divide.Divide(sr));
    };
    const int w = dst.GetWidth();
    std::vector<std::uint16_t> columns;
    if (r <= 257) {
        try {
            columns.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(r) * 3);
        } catch (const std::bad_alloc&) {
            columns.clear(); // summed block by block below
        }
    }
    for (int row = 0; row < dst.GetHeight(); ++row) {
        const int y = first + row;
        std::uint8_t* out = dst.Row(row);
        if (!columns.empty()) { // the same sums, the rows added first
            AddRows(src, y * r, r, w * r * 3, columns.data());
            if (reduce) {
                reduce(columns.data(), out, w);
                continue;
            }
            const std::uint16_t* c = columns.data();
            for (int x = 0; x < w; ++x) {
                unsigned sb = 0, sg = 0, sr = 0;
                for (int i = 0; i < r; ++i, c += 3) {
                    sb += c[0];
                    sg += c[1];
                    sr += c[2];
                }
                put(out + 3 * x, sb, sg, sr);
            }
            continue;
        }
        for (int x = 0; x < w; ++x) {
            unsigned sb = 0, sg = 0, sr = 0;
            for (int j = 0; j < r; ++j) {
                const std::uint8_t* p = src.At(x * r, y * r + j);
                for (int i = 0; i < r; ++i, p += 3) {
                    sb += p[0];
                    sg += p[1];
                    sr += p[2];
                }
            }
            put(out + 3 * x, sb, sg, sr);
        }
    }
}
