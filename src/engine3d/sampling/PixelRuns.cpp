#include "engine3d/sampling/PixelRuns.h"

#include <cstddef>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_PIXEL_RUNS_SSSE3 1
#endif

void FillPixelRun(std::uint8_t* p, int count, std::uint8_t blue, std::uint8_t green, std::uint8_t red) noexcept
{
    if (count <= 0) return;
    const std::size_t bytes = 3 * static_cast<std::size_t>(count);
    if (blue == green && green == red) {
        std::memset(p, blue, bytes);
        return;
    }
    // Sixteen pixels are 48 bytes, copied whole.
    std::uint8_t block[48];
    for (int i = 0; i < 48; i += 3) {
        block[i] = blue;
        block[i + 1] = green;
        block[i + 2] = red;
    }
    std::size_t done = 0;
    for (; done + sizeof block <= bytes; done += sizeof block) std::memcpy(p + done, block, sizeof block);
    std::memcpy(p + done, block, bytes - done);
}

namespace {

void TakeDrawnPixelsOneByOne(std::uint8_t* l, std::uint16_t* c, int count) noexcept
{
    for (int x = 0; x < count; ++x, l += 3, ++c)
        if ((l[0] & l[1] & l[2]) != 255) {
            if (*c < 0xFFFF) ++*c;
            l[0] = l[1] = l[2] = 255;
        }
}

#if defined(VT_PIXEL_RUNS_SSSE3)
// Sixteen pixels at a time: the 48 bytes in three registers, each channel
// gathered from them into one register of sixteen bytes (byte shuffles, 0x80
// leaving a byte zero), the three channels and-ed; the counts of the pixels
// whose and is not 255 go up with unsigned saturation, which stops at 0xFFFF,
// and a block with any such pixel is made white whole.
struct CChannelShuffles {
    std::int8_t from[3][3][16]; // [channel][register][byte]
    constexpr CChannelShuffles() : from()
    {
        for (int k = 0; k < 3; ++k)
            for (int r = 0; r < 3; ++r)
                for (int i = 0; i < 16; ++i) {
                    const int at = 3 * i + k - 16 * r;
                    from[k][r][i] = static_cast<std::int8_t>(at >= 0 && at < 16 ? at : 0x80);
                }
    }
};
constexpr CChannelShuffles kShuffles;

__attribute__((target("ssse3"))) inline __m128i Gathered(const __m128i bytes[3], int k) noexcept
{
    __m128i out = _mm_setzero_si128();
    for (int r = 0; r < 3; ++r)
        out = _mm_or_si128(out, _mm_shuffle_epi8(bytes[r], _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                               kShuffles.from[k][r]))));
    return out;
}

__attribute__((target("ssse3"))) void TakeDrawnPixelsSixteen(std::uint8_t* l, std::uint16_t* c,
                                                              int count) noexcept
{
    const __m128i ones = _mm_set1_epi16(1), white = _mm_set1_epi8(-1);
    int x = 0;
    for (; x + 16 <= count; x += 16, l += 48, c += 16) {
        const __m128i bytes[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(l)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(l + 16)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(l + 32))};
        const __m128i all = _mm_and_si128(_mm_and_si128(bytes[0], bytes[1]), bytes[2]);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(all, white)) == 0xFFFF) continue; // sixteen white pixels
        const __m128i isWhite =
            _mm_cmpeq_epi8(_mm_and_si128(_mm_and_si128(Gathered(bytes, 0), Gathered(bytes, 1)), Gathered(bytes, 2)),
                           white);
        // 0xFFFF for a white pixel in each 16-bit lane; the step is 1 elsewhere.
        const __m128i stepLo = _mm_andnot_si128(_mm_unpacklo_epi8(isWhite, isWhite), ones);
        const __m128i stepHi = _mm_andnot_si128(_mm_unpackhi_epi8(isWhite, isWhite), ones);
        auto* lo = reinterpret_cast<__m128i*>(c);
        _mm_storeu_si128(lo, _mm_adds_epu16(_mm_loadu_si128(lo), stepLo));
        _mm_storeu_si128(lo + 1, _mm_adds_epu16(_mm_loadu_si128(lo + 1), stepHi));
        std::memset(l, 255, 48);
    }
    TakeDrawnPixelsOneByOne(l, c, count - x);
}
#endif

} // namespace

void TakeDrawnPixels(std::uint8_t* layer, std::uint16_t* counts, int count) noexcept
{
#if defined(VT_PIXEL_RUNS_SSSE3)
    static const bool has = __builtin_cpu_supports("ssse3");
    if (has) {
        TakeDrawnPixelsSixteen(layer, counts, count);
        return;
    }
#endif
    TakeDrawnPixelsOneByOne(layer, counts, count);
}
