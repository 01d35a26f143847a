// Compiled with -ffp-contract=off (CMakeLists.txt): AVX-512 brings fused
// multiply-add with it, and a product and a sum fused into one rounding would
// not be the one-pixel read's doubles.
#include "engine3d/sampling/WideBilinear.h"

#include "engine3d/sampling/TargetRegion.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_WIDE_BILINEAR 1
#endif

#if defined(VT_WIDE_BILINEAR)
bool wide_bilinear::Available() noexcept
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
                            __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vnni");
    return has;
}

VT_UNDEFINED_START_BEGIN
VT_TARGET_BEGIN("avx2,avx512f,avx512bw,avx512vl,avx512vbmi,avx512vnni")
namespace {

constexpr __mmask16 kAll16 = 0xFFFF;
constexpr __mmask64 kAllBytes = ~__mmask64{0};
// Bytes 0 and 2 of each word pair: a texel pair's channel as two words.
constexpr __mmask64 kPairBytes = 0x5555555555555555ull;

// One picture level as the reads need it.
struct CLevel16 {
    const std::uint8_t* bits;
    __m512d W, H; // 256 times the width and the height
    __m512i lastCol, lastRow, stride, lastTexel;
    __mmask16 tall; // every lane where the level has two rows or more
    int rowBytes, rowStride;
    std::ptrdiff_t end; // the offset past the last texel
    explicit CLevel16(const CTexture& t) noexcept
        : bits(t.bits), W(_mm512_set1_pd(256.0 * t.width)), H(_mm512_set1_pd(256.0 * t.height)),
          lastCol(_mm512_set1_epi32(t.width - 1)), lastRow(_mm512_set1_epi32(t.height - 1)),
          stride(_mm512_set1_epi32(static_cast<int>(t.stride))),
          lastTexel(_mm512_set1_epi32(static_cast<int>((t.height - 1) * t.stride) + 3 * (t.width - 1))),
          tall(t.height >= 2 ? 0xFFFF : 0), rowBytes(3 * t.width), rowStride(static_cast<int>(t.stride)), end((t.height - 1) * t.stride + 3 * t.width)
    {
    }
};

// The texel and weight of a position q (u or v) on a side of `size` texels,
// as the one-pixel read takes them: f = q size - 0.5 limited to [-1, size]
// (not a number: -1), the texel floor f and the weight (f - floor f) 256 +
// 0.5, truncated. Worked out here on 256 f, which is exact (a power of two),
// with `scaled` = 256 size: 256 f = 256 q size - 128 rounds as f does, and
// for f >= 0, f - floor f being exact, 256 f + 0.5 rounded down is 256 floor
// f + the weight: one conversion gives the texel (its bits from 8 on) and the
// weight (its low byte). A weight of 256 comes out as the next texel with
// weight 0, the same read. For f in [-1, 0) the read rounds f + 1 before it
// scales it, and the weight may come out one less here; but there both
// texels are the first (the texel -1 is clamped to 0, and down the picture a
// lower row of -1 takes the first row at weight 0), so the read is the same.
inline void TexelAndWeight(__m512d q, __m512d scaled, __m256i& index, __m256i& weight) noexcept
{
    __m512d g = _mm512_sub_pd(_mm512_mul_pd(q, scaled), _mm512_set1_pd(128.0));
    g = _mm512_min_pd(_mm512_max_pd(g, _mm512_set1_pd(-256.0)), scaled); // max takes -256 for not a number
    const __m256i t = _mm512_cvt_roundpd_epi32(_mm512_add_pd(g, _mm512_set1_pd(0.5)),
                                               _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    index = _mm256_srai_epi32(t, 8);
    weight = _mm256_and_si256(t, _mm256_set1_epi32(255));
}

inline __m512i Join(__m256i lo, __m256i hi) noexcept
{
    return _mm512_inserti64x4(_mm512_castsi256_si512(lo), hi, 1);
}

inline int FirstLane(__m512i v) noexcept
{
    return _mm_cvtsi128_si32(_mm512_castsi512_si128(v));
}

inline int LastLane(__m512i v) noexcept
{
    return _mm_extract_epi32(_mm512_extracti32x4_epi32(v, 3), 3);
}

inline __m512i Times3(__m512i v) noexcept
{
    return _mm512_add_epi32(v, _mm512_add_epi32(v, v));
}

// (256 - w) | w << 16: a weight pair for the dot products.
inline __m512i WeightPair(__m512i w) noexcept
{
    return _mm512_or_si512(_mm512_sub_epi32(_mm512_set1_epi32(256), w), _mm512_slli_epi32(w, 16));
}

// The positions' texels: columns in bytes x0, x1 (left, right) and rows y0,
// y1 (lower, upper) clamped to the picture as in the one-pixel read.
struct CTexels {
    __m512i x0, x1, y0, y1;
};

// One channel's blend (see the top of WideBilinear.h) from its texel pairs
// as words (left, right) of the lower row (top) and of the upper (bottom):
// the channel in bits 16 .. 23.
[[gnu::always_inline]] inline __m512i BlendChannel(__m512i top, __m512i bottom, __m512i wxPair, __m512i wyPair) noexcept
{
    const __m512i shift = _mm512_set1_epi32(-32768);
    const __m512i lower = _mm512_dpwssd_epi32(shift, top, wxPair), upper = _mm512_dpwssd_epi32(shift, bottom, wxPair);
    return _mm512_dpwssd_epi32(_mm512_set1_epi32(0x808000),
                               _mm512_mask_blend_epi16(0xAAAAAAAA, lower, _mm512_slli_epi32(upper, 16)), wyPair);
}

// Blue | green << 8 | red << 16 from the channels' blends.
inline __m512i Pack(__m512i blue, __m512i green, __m512i red) noexcept
{
    const __m512i pixel = _mm512_or_si512(_mm512_srli_epi32(blue, 16),
                                          _mm512_and_si512(_mm512_srli_epi32(green, 8), _mm512_set1_epi32(0xFF00)));
    return _mm512_or_si512(pixel, _mm512_and_si512(red, _mm512_set1_epi32(0xFF0000)));
}

// Rows R .. R + 4 of the picture, 64 bytes each from one column byte.
struct CRows {
    __m512i r0, r1, r2, r3, r4;
};

// The rows above R + 1 that positions take, as masks of lanes: R + 2 (a lower
// row one or more up), R + 3 (two or more), R + 4 (three).
struct CRowsTaken {
    unsigned second = 0, third = 0, fourth = 0;
};

// The blends of positions whose texel pairs all lie in `rows` (from column
// byte base): `left` and `right` the bytes of their texels from base, `up`
// their lower row less R (0 .. 3). Byte offsets of the left and right texel
// in the words of each lane, 64 on for the positions an odd number of rows
// up (the second table of the permutes); those two or three rows up take
// rows R + 2 on. Channel k is k bytes on.
[[gnu::always_inline]] inline __m512i Picked(const CRows& rows, __m512i left, __m512i right, __m512i up,
                                             __m512i wxPair, __m512i wyPair) noexcept
{
    const __m512i one = _mm512_set1_epi32(1);
    const __mmask16 odd = _mm512_test_epi32_mask(up, one), high = _mm512_test_epi32_mask(up, _mm512_set1_epi32(2));
    __m512i index = _mm512_or_si512(left, _mm512_slli_epi32(right, 16));
    index = _mm512_mask_add_epi32(index, odd, index, _mm512_set1_epi32(0x00400040));
    const auto channel = [&](int k) {
        const __m512i at = _mm512_add_epi32(index, _mm512_set1_epi32(k * 0x00010001));
        __m512i top = _mm512_maskz_permutex2var_epi8(kPairBytes, rows.r0, at, rows.r1);
        __m512i bottom = _mm512_maskz_permutex2var_epi8(kPairBytes, rows.r1, at, rows.r2);
        if (high != 0) {
            top = _mm512_mask_blend_epi32(high, top, _mm512_maskz_permutex2var_epi8(kPairBytes, rows.r2, at, rows.r3));
            bottom = _mm512_mask_blend_epi32(high, bottom,
                                             _mm512_maskz_permutex2var_epi8(kPairBytes, rows.r3, at, rows.r4));
        }
        return BlendChannel(top, bottom, wxPair, wyPair);
    };
    return Pack(channel(0), channel(1), channel(2));
}

// Rows R .. R + 4 of the picture, 64 bytes each from column byte `base`;
// near the end of the picture only those up to the row's end (a masked load,
// which is slower). Rows above R + 1 are read only where `taken` says a
// position's upper row is that row or beyond (and so is in the picture).
[[gnu::always_inline]] inline CRows LoadRows(const CLevel16& t, int R, int base, const CRowsTaken& taken) noexcept
{
    const std::ptrdiff_t from = static_cast<std::ptrdiff_t>(R) * t.rowStride + base;
    const bool whole = from + 4 * static_cast<std::ptrdiff_t>(t.rowStride) + 64 <= t.end;
    const int inRow = t.rowBytes - base;
    const __mmask64 bytes = inRow >= 64 ? kAllBytes : (__mmask64{1} << inRow) - 1;
    const auto rowAt = [&](int j, bool needed) {
        const std::uint8_t* at = t.bits + from + j * static_cast<std::ptrdiff_t>(t.rowStride);
        return !needed ? _mm512_setzero_si512() : whole ? _mm512_loadu_si512(at) : _mm512_maskz_loadu_epi8(bytes, at);
    };
    return CRows{rowAt(0, true), rowAt(1, true), rowAt(2, taken.second != 0), rowAt(3, taken.third != 0),
                 rowAt(4, taken.fourth != 0)};
}

// Whether positions fit the rows R .. R + 4 from column byte base: every
// lower row one of R .. R + 3 with its upper row the next, both texels
// within 64 bytes of base. Adds the rows above R + 1 they take to `taken`.
[[gnu::always_inline]] inline bool Fits(const CTexels& p, int R, int base, CRowsTaken& taken) noexcept
{
    const __m512i one = _mm512_set1_epi32(1), vBase = _mm512_set1_epi32(base);
    const __m512i up = _mm512_sub_epi32(p.y0, _mm512_set1_epi32(R)); // 0 .. 3
    const __mmask16 rows = _mm512_cmple_epu32_mask(up, _mm512_set1_epi32(3));
    const __mmask16 nextRow = _mm512_cmpeq_epi32_mask(p.y1, _mm512_add_epi32(p.y0, one));
    const __m512i reach = _mm512_set1_epi32(60); // the farthest texel's four bytes within 64
    const __mmask16 narrow = _mm512_cmple_epu32_mask(_mm512_sub_epi32(p.x0, vBase), reach) &
                             _mm512_cmple_epu32_mask(_mm512_sub_epi32(p.x1, vBase), reach);
    const __mmask16 odd = _mm512_test_epi32_mask(up, one), high = _mm512_test_epi32_mask(up, _mm512_set1_epi32(2));
    taken.second |= odd | high, taken.third |= high, taken.fourth |= odd & high;
    return (rows & nextRow & narrow) == kAll16;
}

// Along a run, the next picture rows read the rows either side of R .. R + 4
// (64 bytes from column byte base): fetched ahead.
[[gnu::always_inline]] inline void Prefetch(const CLevel16& t, int R, int base) noexcept
{
    const char* at = reinterpret_cast<const char*>(t.bits + static_cast<std::ptrdiff_t>(R) * t.rowStride + base);
    const std::ptrdiff_t stride = t.rowStride;
    _mm_prefetch(at - stride, _MM_HINT_T0);
    _mm_prefetch(at - stride + 63, _MM_HINT_T0);
    _mm_prefetch(at + 5 * stride, _MM_HINT_T0);
    _mm_prefetch(at + 5 * stride + 63, _MM_HINT_T0);
}

// The reads with their texel pairs picked out of rows R .. R + 4 read whole,
// where every position's lower row is one of R .. R + 3 (R the lowest) and
// its texels lie within 64 bytes of the leftmost; false otherwise. `alongRun`:
// the positions lie along a line in lane order (a run of pixels), so the
// leftmost column and the lowest row are at one end in exact arithmetic;
// every lane is checked against them all the same. Otherwise (a pixel's grid
// of samples) the least of all lanes.
[[gnu::always_inline]] inline bool FromRows(const CLevel16& t, const CTexels& p, __m512i wxPair, __m512i wyPair,
                                             bool alongRun, __m512i& pixel) noexcept
{
    const int R = alongRun ? std::min(FirstLane(p.y0), LastLane(p.y0)) : _mm512_reduce_min_epi32(p.y0);
    const int base = alongRun ? std::min(FirstLane(p.x0), LastLane(p.x0)) : _mm512_reduce_min_epi32(p.x0);
    CRowsTaken taken;
    if (!Fits(p, R, base, taken)) return false;
    if (alongRun) Prefetch(t, R, base);
    const __m512i vBase = _mm512_set1_epi32(base);
    pixel = Picked(LoadRows(t, R, base, taken), _mm512_sub_epi32(p.x0, vBase), _mm512_sub_epi32(p.x1, vBase),
                   _mm512_sub_epi32(p.y0, _mm512_set1_epi32(R)), wxPair, wyPair);
    return true;
}

// The same reads from four bytes gathered at each texel (kept out of line);
// the positions whose upper right texel is the picture's last are left (bits
// in `notRead`).
[[gnu::noinline]] __m512i Gathered(const CLevel16& t, const CTexels& p, __m512i wxPair, __m512i wyPair,
                                   __mmask16& notRead) noexcept
{
    const __m512i r0 = _mm512_mullo_epi32(p.y0, t.stride), r1 = _mm512_mullo_epi32(p.y1, t.stride);
    notRead = _mm512_cmpeq_epi32_mask(_mm512_add_epi32(r1, p.x1), t.lastTexel);
    const __mmask16 take = static_cast<__mmask16>(~notRead);
    const __m512i zero = _mm512_setzero_si512();
    const __m512i a = _mm512_mask_i32gather_epi32(zero, take, _mm512_add_epi32(r0, p.x0), t.bits, 1);
    const __m512i b = _mm512_mask_i32gather_epi32(zero, take, _mm512_add_epi32(r0, p.x1), t.bits, 1);
    const __m512i c = _mm512_mask_i32gather_epi32(zero, take, _mm512_add_epi32(r1, p.x0), t.bits, 1);
    const __m512i d = _mm512_mask_i32gather_epi32(zero, take, _mm512_add_epi32(r1, p.x1), t.bits, 1);
    // Byte k of lane i's word from a (4 i + k) and from b (64 + 4 i + k).
    __m512i index = _mm512_add_epi32(_mm512_mullo_epi32(_mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                                                        _mm512_set1_epi32(0x00040004)),
                                     _mm512_set1_epi32(0x00400000));
    __m512i sum[3];
    for (int k = 0; k < 3; ++k, index = _mm512_add_epi32(index, _mm512_set1_epi32(0x00010001)))
        sum[k] = BlendChannel(_mm512_maskz_permutex2var_epi8(kPairBytes, a, index, b),
                              _mm512_maskz_permutex2var_epi8(kPairBytes, c, index, d), wxPair, wyPair);
    return Pack(sum[0], sum[1], sum[2]);
}

// The texels and weights of sixteen positions (u and v of eight, then of
// eight more), the same double operations as the one-pixel read.
[[gnu::always_inline]] inline void TexelsOf(const CLevel16& t, __m512d uLo, __m512d uHi, __m512d vLo, __m512d vHi,
                                            CTexels& p, __m512i& wxPair, __m512i& wyPair) noexcept
{
    __m256i ix[2], iy[2], wx[2], wy[2];
    TexelAndWeight(uLo, t.W, ix[0], wx[0]);
    TexelAndWeight(uHi, t.W, ix[1], wx[1]);
    TexelAndWeight(vLo, t.H, iy[0], wy[0]);
    TexelAndWeight(vHi, t.H, iy[1], wy[1]);
    const __m512i col = Join(ix[0], ix[1]), row = Join(iy[0], iy[1]);
    const __m512i zero = _mm512_setzero_si512(), one = _mm512_set1_epi32(1);
    p = CTexels{Times3(_mm512_max_epi32(_mm512_min_epi32(col, t.lastCol), zero)),
                Times3(_mm512_min_epi32(_mm512_add_epi32(col, one), t.lastCol)),
                _mm512_max_epi32(_mm512_min_epi32(row, t.lastRow), zero),
                _mm512_min_epi32(_mm512_add_epi32(row, one), t.lastRow)};
    __m512i wy16 = Join(wy[0], wy[1]);
    // Beyond the first or last row both texel rows are that row and the
    // weight does not count: the same read is the row with its neighbour
    // weighted 0 (below the first) or 256 (above the last), which keeps the
    // rows one apart for FromRows.
    const __mmask16 below = _mm512_mask_cmplt_epi32_mask(t.tall, row, zero);
    const __mmask16 above = _mm512_mask_cmpge_epi32_mask(t.tall, row, t.lastRow);
    p.y1 = _mm512_mask_mov_epi32(p.y1, below, one);
    p.y0 = _mm512_mask_sub_epi32(p.y0, above, p.y0, one);
    wy16 = _mm512_mask_mov_epi32(wy16, below, zero);
    wy16 = _mm512_mask_mov_epi32(wy16, above, _mm512_set1_epi32(256));
    wxPair = WeightPair(Join(wx[0], wx[1])), wyPair = WeightPair(wy16);
}

// Pure white made 0xFEFEFE.
inline __m512i NotWhite(__m512i pixel) noexcept
{
    return _mm512_mask_mov_epi32(pixel, _mm512_cmpeq_epi32_mask(pixel, _mm512_set1_epi32(0xFFFFFF)),
                                 _mm512_set1_epi32(0xFEFEFE));
}

// Reads of sixteen positions (u and v of eight, then of eight more);
// `alongRun` as for FromRows.
[[gnu::always_inline]] inline __m512i ReadLanes(const CLevel16& t, __m512d uLo, __m512d uHi, __m512d vLo, __m512d vHi,
                                               bool whiteAvoid, bool alongRun, __mmask16& notRead) noexcept
{
    CTexels p;
    __m512i wxPair, wyPair, pixel;
    TexelsOf(t, uLo, uHi, vLo, vHi, p, wxPair, wyPair);
    notRead = 0;
    if (!FromRows(t, p, wxPair, wyPair, alongRun, pixel)) pixel = Gathered(t, p, wxPair, wyPair, notRead);
    return whiteAvoid ? NotWhite(pixel) : pixel;
}

// Eight pixels' centres on the face, u = B / C and v = 1 - A / C.
inline void CentreEight(__m512d ax, __m512d bx, __m512d cx, __m512d xs, __m512d rowA, __m512d rowB, __m512d rowC,
                        __m512d& u, __m512d& v) noexcept
{
    const __m512d one = _mm512_set1_pd(1.0);
    const __m512d A = _mm512_add_pd(_mm512_mul_pd(ax, xs), rowA);
    const __m512d B = _mm512_add_pd(_mm512_mul_pd(bx, xs), rowB);
    const __m512d C = _mm512_add_pd(_mm512_mul_pd(cx, xs), rowC);
    const __m512d inv = _mm512_div_pd(one, C);
    u = _mm512_mul_pd(B, inv);
    v = _mm512_sub_pd(one, _mm512_mul_pd(A, inv));
}

} // namespace

std::uint32_t wide_bilinear::ReadSixteen(const CTexture& t, const double* us, const double* vs, bool whiteAvoid,
                                         std::uint32_t* out) noexcept
{
    const CLevel16 level(t);
    __mmask16 notRead;
    const __m512i pixel = ReadLanes(level, _mm512_loadu_pd(us), _mm512_loadu_pd(us + 8), _mm512_loadu_pd(vs),
                                      _mm512_loadu_pd(vs + 8), whiteAvoid, false, notRead);
    _mm512_storeu_si512(out, _mm512_mask_mov_epi32(pixel, notRead, _mm512_set1_epi32(-1)));
    return notRead;
}

namespace {

// The positions of eight in the unit square: 0 <= u < 1 and 0 <= v < 1.
inline unsigned InSquare(__m512d u, __m512d v) noexcept
{
    const __m512d zero = _mm512_setzero_pd(), one = _mm512_set1_pd(1.0);
    return _mm512_cmp_pd_mask(u, zero, _CMP_GE_OQ) & _mm512_cmp_pd_mask(u, one, _CMP_LT_OQ) &
           _mm512_cmp_pd_mask(v, zero, _CMP_GE_OQ) & _mm512_cmp_pd_mask(v, one, _CMP_LT_OQ);
}

} // namespace

void wide_bilinear::ReadGroups(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid,
                               std::uint32_t* out) noexcept
{
    const CLevel16 level(t);
    for (int i = 0; i < n; i += 16) {
        __mmask16 notRead;
        const __m512i pixel = ReadLanes(level, _mm512_loadu_pd(us + i), _mm512_loadu_pd(us + i + 8),
                                        _mm512_loadu_pd(vs + i), _mm512_loadu_pd(vs + i + 8), whiteAvoid, false, notRead);
        _mm512_storeu_si512(out + i, _mm512_mask_mov_epi32(pixel, notRead, _mm512_set1_epi32(-1)));
    }
}

std::uint64_t wide_bilinear::CentreRun(const CTexture& t, bool whiteAvoid, double ax, double bx, double cx, int x,
                                       int n, double rowA, double rowB, double rowC, std::uint8_t* bgr) noexcept
{
    const CLevel16 level(t);
    const __m512d vax = _mm512_set1_pd(ax), vbx = _mm512_set1_pd(bx), vcx = _mm512_set1_pd(cx);
    const __m512d vA = _mm512_set1_pd(rowA), vB = _mm512_set1_pd(rowB), vC = _mm512_set1_pd(rowC);
    const __m512d steps = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
    // Sixteen pixels' blue, green, red bytes out of their words.
    const __m512i pack = _mm512_setr_epi32(0x04020100, 0x09080605, 0x0E0D0C0A, 0x14121110, 0x19181615, 0x1E1D1C1A,
                                           0x24222120, 0x29282625, 0x2E2D2C2A, 0x34323130, 0x39383635, 0x3E3D3C3A, 0,
                                           0, 0, 0);
    std::uint64_t left = 0;
    // Every centre first, then the reads: the divisions are then off the
    // path of each read's row loads.
    __m512d us[8], vs[8];
    for (int q = 0; q < (n + 15) / 16 * 2; ++q)
        CentreEight(vax, vbx, vcx, _mm512_add_pd(_mm512_set1_pd(x + 8 * q), steps), vA, vB, vC, us[q], vs[q]);
    for (int i = 0, q = 0; i < n; i += 16, q += 2, bgr += 48) {
        __mmask16 notRead;
        const __m512i pixel = ReadLanes(level, us[q], us[q + 1], vs[q], vs[q + 1], whiteAvoid, true, notRead);
        _mm512_storeu_si512(bgr, _mm512_permutexvar_epi8(pack, pixel));
        left |= static_cast<std::uint64_t>(notRead) << i;
    }
    return n < 64 ? left & ((std::uint64_t{1} << n) - 1) : left;
}

bool wide_bilinear::SumSamples(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid,
                               bool folds, double foldU, double foldV, std::uint32_t foldWord, std::uint32_t sum[3],
                               int& count) noexcept
{
    constexpr int kGroups = 7; // sixteens of the most samples, 100
    const int groups = std::min((n + 15) / 16, kGroups);
    const CLevel16 level(t);
    // Every position's texels first; where they all fit five rows from the
    // least row and column, those rows are read once for the whole pixel.
    CTexels p[kGroups];
    __m512i wxPair[kGroups], wyPair[kGroups];
    __m512i leastRow = _mm512_set1_epi32(INT_MAX), leastCol = leastRow;
    for (int g = 0; g < groups; ++g) {
        const int i = 16 * g;
        TexelsOf(level, _mm512_loadu_pd(us + i), _mm512_loadu_pd(us + i + 8), _mm512_loadu_pd(vs + i),
                 _mm512_loadu_pd(vs + i + 8), p[g], wxPair[g], wyPair[g]);
        leastRow = _mm512_min_epi32(leastRow, p[g].y0), leastCol = _mm512_min_epi32(leastCol, p[g].x0);
    }
    const int R = _mm512_reduce_min_epi32(leastRow), base = _mm512_reduce_min_epi32(leastCol);
    CRowsTaken taken;
    bool shared = true;
    for (int g = 0; g < groups; ++g) shared &= Fits(p[g], R, base, taken);
    CRows rows{};
    if (shared) rows = LoadRows(level, R, base, taken);
    const __m512i vR = _mm512_set1_epi32(R), vBase = _mm512_set1_epi32(base);

    const __m512d uIn = _mm512_set1_pd(foldU), uOut = _mm512_set1_pd(1.0 - foldU);
    const __m512d vIn = _mm512_set1_pd(foldV), vOut = _mm512_set1_pd(1.0 - foldV);
    const __m512i byte = _mm512_set1_epi32(0xFF), blueRed = _mm512_set1_epi32(0x00FF00FF);
    __m512i even = _mm512_setzero_si512(), odd = _mm512_setzero_si512();
    int inside = 0, folded = 0;
    for (int g = 0; g < groups; ++g) {
        const int i = 16 * g;
        __m512i words;
        __mmask16 notRead = 0;
        if (shared)
            words = Picked(rows, _mm512_sub_epi32(p[g].x0, vBase), _mm512_sub_epi32(p[g].x1, vBase),
                           _mm512_sub_epi32(p[g].y0, vR), wxPair[g], wyPair[g]);
        else if (!FromRows(level, p[g], wxPair[g], wyPair[g], false, words))
            words = Gathered(level, p[g], wxPair[g], wyPair[g], notRead);
        if (whiteAvoid) words = NotWhite(words);
        unsigned square = 0, band = 0;
        for (int h = 0; h < 2; ++h) {
            const __m512d u = _mm512_loadu_pd(us + i + 8 * h), v = _mm512_loadu_pd(vs + i + 8 * h);
            const unsigned in = InSquare(u, v);
            const unsigned fold = !folds ? 0
                                  : _mm512_cmp_pd_mask(u, uIn, _CMP_LT_OQ) | _mm512_cmp_pd_mask(u, uOut, _CMP_GT_OQ) |
                                    _mm512_cmp_pd_mask(v, vIn, _CMP_LT_OQ) | _mm512_cmp_pd_mask(v, vOut, _CMP_GT_OQ);
            square |= in << 8 * h, band |= fold << 8 * h;
        }
        if (n - i < 16) square &= (1u << (n - i)) - 1;
        band &= square;
        const __mmask16 plain = static_cast<__mmask16>(square & ~band);
        if ((plain & notRead) != 0) return false;
        even = _mm512_mask_add_epi32(even, plain, even, _mm512_and_si512(words, blueRed));
        odd = _mm512_mask_add_epi32(odd, plain, odd, _mm512_and_si512(_mm512_srli_epi32(words, 8), byte));
        inside += __builtin_popcount(square), folded += __builtin_popcount(band);
    }
    // At most 112 samples of 255: blue's sum stays below red's half of the words.
    const auto f = static_cast<std::uint32_t>(folded);
    const auto both = static_cast<std::uint32_t>(_mm512_reduce_add_epi32(even));
    sum[0] = (both & 0xFFFF) + f * (foldWord & 0xFF);
    sum[1] = static_cast<std::uint32_t>(_mm512_reduce_add_epi32(odd)) + f * (foldWord >> 8 & 0xFF);
    sum[2] = (both >> 16) + f * (foldWord >> 16 & 0xFF);
    count = inside;
    return true;
}

namespace {

// The four reads' channels summed: blue and red in the words of `evenSum`,
// green in `oddSum`.
inline void AddChannels(__m512i pixel, __m512i& evenSum, __m512i& oddSum) noexcept
{
    const __m512i bytes = _mm512_set1_epi32(0x00FF00FF);
    evenSum = _mm512_add_epi32(evenSum, _mm512_and_si512(pixel, bytes));
    oddSum = _mm512_add_epi32(oddSum, _mm512_and_si512(_mm512_srli_epi32(pixel, 8), bytes));
}

// (p + dpx dx) + dpy dy.
inline __m512d Apart(__m512d p, __m512d dpx, __m512d dpy, __m512d dx, __m512d dy) noexcept
{
    return _mm512_add_pd(_mm512_add_pd(p, _mm512_mul_pd(dpx, dx)), _mm512_mul_pd(dpy, dy));
}

// Eight pixels' means of four reads (lanes 0 .. 7; lanes 8 .. 15 hold a
// part of the sums) and the pixels not read.
inline __m512i FourReadsEight(const CLevel16& level, const wide_bilinear::CRowMapping& m, __m512d xs, __m512d rowA, __m512d rowB,
                              __m512d inv, bool whiteAvoid, unsigned& notRead) noexcept
{
    const __m512d one = _mm512_set1_pd(1.0);
    const __m512d A = _mm512_add_pd(_mm512_mul_pd(_mm512_set1_pd(m.ax), xs), rowA);
    const __m512d B = _mm512_add_pd(_mm512_mul_pd(_mm512_set1_pd(m.bx), xs), rowB);
    const __m512d a = _mm512_mul_pd(A, inv), u = _mm512_mul_pd(B, inv), v = _mm512_sub_pd(one, a);
    const __m512d cx = _mm512_set1_pd(m.cx), cy = _mm512_set1_pd(m.cy);
    const __m512d dux = _mm512_mul_pd(_mm512_sub_pd(_mm512_set1_pd(m.bx), _mm512_mul_pd(u, cx)), inv);
    const __m512d duy = _mm512_mul_pd(_mm512_sub_pd(_mm512_set1_pd(m.by), _mm512_mul_pd(u, cy)), inv);
    const __m512d dvx = _mm512_mul_pd(_mm512_sub_pd(_mm512_mul_pd(a, cx), _mm512_set1_pd(m.ax)), inv);
    const __m512d dvy = _mm512_mul_pd(_mm512_sub_pd(_mm512_mul_pd(a, cy), _mm512_set1_pd(m.ay)), inv);
    const __m512d left = _mm512_set1_pd(-0.25), right = _mm512_set1_pd(0.25);
    // The reads a quarter pixel up and down lie within about a texel of each
    // other: where both sixteens fit the same five rows (from the least row
    // and column of the run's ends), those rows are read once for both.
    CTexels p[2];
    __m512i wxPair[2], wyPair[2];
    for (int k = 0; k < 2; ++k) {
        const __m512d dy = k == 0 ? left : right;
        TexelsOf(level, Apart(u, dux, duy, left, dy), Apart(u, dux, duy, right, dy), Apart(v, dvx, dvy, left, dy),
                 Apart(v, dvx, dvy, right, dy), p[k], wxPair[k], wyPair[k]);
    }
    const int R = std::min(std::min(FirstLane(p[0].y0), LastLane(p[0].y0)),
                           std::min(FirstLane(p[1].y0), LastLane(p[1].y0)));
    const int base = std::min(std::min(FirstLane(p[0].x0), LastLane(p[0].x0)),
                              std::min(FirstLane(p[1].x0), LastLane(p[1].x0)));
    CRowsTaken taken;
    bool shared = Fits(p[0], R, base, taken);
    shared &= Fits(p[1], R, base, taken);  // both record the rows they take
    CRows rows{};
    if (shared) {
        Prefetch(level, R, base);
        rows = LoadRows(level, R, base, taken);
    }
    const __m512i vR = _mm512_set1_epi32(R), vBase = _mm512_set1_epi32(base);
    __m512i evenSum = _mm512_setzero_si512(), oddSum = _mm512_setzero_si512();
    unsigned missed = 0;
    for (int k = 0; k < 2; ++k) {
        __mmask16 nr = 0;
        __m512i pixel;
        if (shared)
            pixel = Picked(rows, _mm512_sub_epi32(p[k].x0, vBase), _mm512_sub_epi32(p[k].x1, vBase),
                           _mm512_sub_epi32(p[k].y0, vR), wxPair[k], wyPair[k]);
        else if (!FromRows(level, p[k], wxPair[k], wyPair[k], true, pixel))
            pixel = Gathered(level, p[k], wxPair[k], wyPair[k], nr);
        AddChannels(whiteAvoid ? NotWhite(pixel) : pixel, evenSum, oddSum);
        missed |= nr;
    }
    notRead = (missed | missed >> 8) & 0xFF;
    // Lanes i and 8 + i are pixel i's reads at dx = -1/4 and +1/4; 2 rounds the mean.
    const __m512i two = _mm512_set1_epi32(0x00020002);
    evenSum = _mm512_add_epi32(_mm512_add_epi32(evenSum, _mm512_shuffle_i64x2(evenSum, evenSum, 0x4E)), two);
    oddSum = _mm512_add_epi32(_mm512_add_epi32(oddSum, _mm512_shuffle_i64x2(oddSum, oddSum, 0x4E)), two);
    const __m512i bytes = _mm512_set1_epi32(0x00FF00FF);
    return _mm512_or_si512(_mm512_and_si512(_mm512_srli_epi32(evenSum, 2), bytes),
                           _mm512_slli_epi32(_mm512_and_si512(_mm512_srli_epi32(oddSum, 2), bytes), 8));
}

} // namespace

std::uint64_t wide_bilinear::FourReadRun(const CTexture& t, bool whiteAvoid, const CRowMapping& m, int x, int n,
                                         double rowA, double rowB, double rowC, std::uint8_t* bgr) noexcept
{
    const CLevel16 level(t);
    const __m512d vA = _mm512_set1_pd(rowA), vB = _mm512_set1_pd(rowB), vC = _mm512_set1_pd(rowC);
    const __m512d steps = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
    const __m512i pack = _mm512_setr_epi32(0x04020100, 0x09080605, 0x0E0D0C0A, 0x14121110, 0x19181615, 0x1E1D1C1A,
                                           0x24222120, 0x29282625, 0x2E2D2C2A, 0x34323130, 0x39383635, 0x3E3D3C3A, 0,
                                           0, 0, 0);
    // Every division first, off the path of the reads.
    const int groups = (n + 15) / 16 * 2;
    __m512d xs[8], inv[8];
    for (int q = 0; q < groups; ++q) {
        xs[q] = _mm512_add_pd(_mm512_set1_pd(x + 8 * q), steps);
        inv[q] = _mm512_div_pd(_mm512_set1_pd(1.0), _mm512_add_pd(_mm512_mul_pd(_mm512_set1_pd(m.cx), xs[q]), vC));
    }
    std::uint64_t left = 0;
    for (int i = 0, q = 0; i < n; i += 16, q += 2, bgr += 48) {
        unsigned lo, hi;
        const __m512i first = FourReadsEight(level, m, xs[q], vA, vB, inv[q], whiteAvoid, lo);
        const __m512i second = FourReadsEight(level, m, xs[q + 1], vA, vB, inv[q + 1], whiteAvoid, hi);
        const __m512i pixel = _mm512_shuffle_i64x2(first, second, 0x44); // lanes 0 .. 7 of each
        _mm512_storeu_si512(bgr, _mm512_permutexvar_epi8(pack, pixel));
        left |= static_cast<std::uint64_t>(lo | hi << 8) << i;
    }
    return n < 64 ? left & ((std::uint64_t{1} << n) - 1) : left;
}
VT_TARGET_END
VT_UNDEFINED_START_END
#else
bool wide_bilinear::Available() noexcept
{
    return false;
}

std::uint32_t wide_bilinear::ReadSixteen(const CTexture&, const double*, const double*, bool, std::uint32_t*) noexcept
{
    return 0xFFFF;
}

void wide_bilinear::ReadGroups(const CTexture&, const double*, const double*, int, bool, std::uint32_t*) noexcept {}

bool wide_bilinear::SumSamples(const CTexture&, const double*, const double*, int, bool, bool, double, double,
                               std::uint32_t, std::uint32_t*, int&) noexcept
{
    return false;
}

std::uint64_t wide_bilinear::FourReadRun(const CTexture&, bool, const CRowMapping&, int, int n, double, double, double,
                                         std::uint8_t*) noexcept
{
    return n < 64 ? (std::uint64_t{1} << n) - 1 : ~std::uint64_t{0};
}

std::uint64_t wide_bilinear::CentreRun(const CTexture&, bool, double, double, double, int, int n, double, double,
                                       double, std::uint8_t*) noexcept
{
    return n < 64 ? (std::uint64_t{1} << n) - 1 : ~std::uint64_t{0};
}
#endif
