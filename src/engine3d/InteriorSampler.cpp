#include "engine3d/InteriorSampler.h"

#include <atomic>
#include <climits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_INTERIOR_AVX2 1
#endif

namespace {
std::atomic<bool> g_enabled{true};
} // namespace

void CInteriorSampler::SetEnabled(bool enabled) noexcept
{
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool CInteriorSampler::Setup(const CTexture& picture, bool whiteAvoid, double ax, double bx, double cx, double ay,
                             double by, double cy) noexcept
{
#if defined(VT_INTERIOR_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    if (!has || !g_enabled.load(std::memory_order_relaxed) || !picture.IsValid()) return false;
    // Every texel offset, and four bytes from it, must fit in 32 bits.
    const long long end = static_cast<long long>(picture.height - 1) * picture.stride + 3LL * picture.width + 4;
    if (picture.stride <= 0 || picture.stride > INT_MAX || end > INT_MAX) return false;
    m_tex = picture;
    m_whiteAvoid = whiteAvoid;
    m_ax = ax;
    m_bx = bx;
    m_cx = cx;
    m_ay = ay;
    m_by = by;
    m_cy = cy;
    return true;
#else
    (void)picture, (void)whiteAvoid, (void)ax, (void)bx, (void)cx, (void)ay, (void)by, (void)cy;
    return false;
#endif
}

#if defined(VT_INTERIOR_AVX2)
// AVX2 only, not FMA: the compiler cannot fuse a product and a sum into one
// rounding, so each double is rounded as in the one-pixel read.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace {

// Four pixels' texel positions: the floor of the limited position in texels
// (ix, iy), the weights in 1/256 (wx, wy) and which pixels have a footprint
// of at most one texel (bits 0-3 of `small`).
struct CFourPixels {
    __m128i ix, iy, wx, wy;
    int small;
};

struct CRowSteps {
    __m256d ax, bx, cx, ay, by, cy, W, H;
};

// The floor of a position in texels limited to [-1, size] (not a number: -1),
// and its weight: (f - floor f) * 256 + 0.5, truncated.
inline void TexelAndWeight(__m256d f, __m256d size, __m128i& index, __m128i& weight) noexcept
{
    f = _mm256_min_pd(_mm256_max_pd(f, _mm256_set1_pd(-1.0)), size); // max takes -1 for not a number
    const __m256d fl = _mm256_floor_pd(f);
    index = _mm256_cvttpd_epi32(fl);
    const __m256d w = _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(f, fl), _mm256_set1_pd(256.0)),
                                    _mm256_set1_pd(0.5));
    weight = _mm256_cvttpd_epi32(w);
}

// (d * d * size * size), left to right.
inline __m256d Square(__m256d d, __m256d size) noexcept
{
    return _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(d, d), size), size);
}

CFourPixels MapFour(const CRowSteps& s, __m256d xs, __m256d rowA, __m256d rowB, __m256d rowC) noexcept
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d A = _mm256_add_pd(_mm256_mul_pd(s.ax, xs), rowA);
    const __m256d B = _mm256_add_pd(_mm256_mul_pd(s.bx, xs), rowB);
    const __m256d C = _mm256_add_pd(_mm256_mul_pd(s.cx, xs), rowC);
    const __m256d inv = _mm256_div_pd(one, C);
    const __m256d u = _mm256_mul_pd(B, inv), a = _mm256_mul_pd(A, inv), v = _mm256_sub_pd(one, a);
    // d(B / C)/dx = (bx - u cx) / C; v = 1 - A / C likewise.
    const __m256d dux = _mm256_mul_pd(_mm256_sub_pd(s.bx, _mm256_mul_pd(u, s.cx)), inv);
    const __m256d duy = _mm256_mul_pd(_mm256_sub_pd(s.by, _mm256_mul_pd(u, s.cy)), inv);
    const __m256d dvx = _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(a, s.cx), s.ax), inv);
    const __m256d dvy = _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(a, s.cy), s.ay), inv);
    const __m256d alongX = _mm256_add_pd(Square(dux, s.W), Square(dvx, s.H));
    const __m256d alongY = _mm256_add_pd(Square(duy, s.W), Square(dvy, s.H));
    CFourPixels out;
    out.small = _mm256_movemask_pd(
        _mm256_and_pd(_mm256_cmp_pd(alongX, one, _CMP_LE_OQ), _mm256_cmp_pd(alongY, one, _CMP_LE_OQ)));
    const __m256d half = _mm256_set1_pd(0.5);
    TexelAndWeight(_mm256_sub_pd(_mm256_mul_pd(u, s.W), half), s.W, out.ix, out.wx);
    TexelAndWeight(_mm256_sub_pd(_mm256_mul_pd(v, s.H), half), s.H, out.iy, out.wy);
    return out;
}

inline __m256 Channel(__m256i texels, int shift) noexcept
{
    return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(texels, shift), _mm256_set1_epi32(0xFF)));
}

// Four bytes at each offset row + column (0 where `skip` is set).
inline __m256i Gather(const int* bits, __m256i row, __m256i column, __m256i skip) noexcept
{
    return _mm256_i32gather_epi32(bits, _mm256_andnot_si256(skip, _mm256_add_epi32(row, column)), 1);
}

inline __m256i Join(__m128i lo, __m128i hi) noexcept
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

} // namespace

std::uint64_t CInteriorSampler::SampleRun(int x, int n, double rowA, double rowB, double rowC,
                                          std::uint8_t* bgr) const noexcept
{
    const CRowSteps steps{_mm256_set1_pd(m_ax), _mm256_set1_pd(m_bx), _mm256_set1_pd(m_cx),
                          _mm256_set1_pd(m_ay), _mm256_set1_pd(m_by), _mm256_set1_pd(m_cy),
                          _mm256_set1_pd(m_tex.width), _mm256_set1_pd(m_tex.height)};
    const __m256d vA = _mm256_set1_pd(rowA), vB = _mm256_set1_pd(rowB), vC = _mm256_set1_pd(rowC);
    const __m256i lastCol = _mm256_set1_epi32(m_tex.width - 1), lastRow = _mm256_set1_epi32(m_tex.height - 1);
    const __m256i stride = _mm256_set1_epi32(static_cast<int>(m_tex.stride));
    const __m256i three = _mm256_set1_epi32(3), zero = _mm256_setzero_si256();
    const __m256i lastTexel = _mm256_set1_epi32(static_cast<int>((m_tex.height - 1) * m_tex.stride) +
                                                3 * (m_tex.width - 1));
    const __m256 f256 = _mm256_set1_ps(256.0f), round = _mm256_set1_ps(32768.0f);
    const __m256 scale = _mm256_set1_ps(1.0f / 65536.0f);
    const __m256i white = _mm256_set1_epi32(0xFFFFFF), offWhite = _mm256_set1_epi32(0xFEFEFE);
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, //
                                          0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const auto* bits = reinterpret_cast<const int*>(m_tex.bits);
    std::uint64_t left = 0;
    for (int i = 0; i < n; i += 8, bgr += 24) {
        const __m256d xs = _mm256_add_pd(_mm256_set1_pd(x + i), _mm256_setr_pd(0, 1, 2, 3));
        const CFourPixels lo = MapFour(steps, xs, vA, vB, vC);
        const CFourPixels hi = MapFour(steps, _mm256_add_pd(xs, _mm256_set1_pd(4.0)), vA, vB, vC);
        const __m256i ix = Join(lo.ix, hi.ix), iy = Join(lo.iy, hi.iy);
        // Columns and rows of the four texels, clamped to the picture as in the one-pixel read.
        const __m256i x0 = _mm256_mullo_epi32(_mm256_max_epi32(_mm256_min_epi32(ix, lastCol), zero), three);
        const __m256i x1 = _mm256_mullo_epi32(_mm256_min_epi32(_mm256_add_epi32(ix, _mm256_set1_epi32(1)), lastCol), three);
        const __m256i r0 = _mm256_mullo_epi32(_mm256_max_epi32(_mm256_min_epi32(iy, lastRow), zero), stride);
        const __m256i r1 =
            _mm256_mullo_epi32(_mm256_min_epi32(_mm256_add_epi32(iy, _mm256_set1_epi32(1)), lastRow), stride);
        // The farthest read is the top right texel: if it is the picture's
        // last, its four-byte read could pass the end; such pixels read
        // offset 0 here and are left to the caller.
        const __m256i atEnd = _mm256_cmpeq_epi32(_mm256_add_epi32(r1, x1), lastTexel);
        const __m256i a = Gather(bits, r0, x0, atEnd), b = Gather(bits, r0, x1, atEnd);
        const __m256i c = Gather(bits, r1, x0, atEnd), d = Gather(bits, r1, x1, atEnd);
        const __m256 wx = _mm256_cvtepi32_ps(Join(lo.wx, hi.wx)), wy = _mm256_cvtepi32_ps(Join(lo.wy, hi.wy));
        const __m256 ux = _mm256_sub_ps(f256, wx), uy = _mm256_sub_ps(f256, wy);
        const __m256 wa = _mm256_mul_ps(ux, uy), wb = _mm256_mul_ps(wx, uy);
        const __m256 wc = _mm256_mul_ps(ux, wy), wd = _mm256_mul_ps(wx, wy);
        __m256i pixel = zero;
        for (int k = 0; k < 3; ++k) {
            const int shift = 8 * k;
            __m256 sum = _mm256_add_ps(_mm256_mul_ps(Channel(a, shift), wa), _mm256_mul_ps(Channel(b, shift), wb));
            sum = _mm256_add_ps(sum, _mm256_mul_ps(Channel(c, shift), wc));
            sum = _mm256_add_ps(sum, _mm256_mul_ps(Channel(d, shift), wd));
            const __m256i level = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_add_ps(sum, round), scale));
            pixel = _mm256_or_si256(pixel, _mm256_slli_epi32(level, shift));
        }
        if (m_whiteAvoid) pixel = _mm256_blendv_epi8(pixel, offWhite, _mm256_cmpeq_epi32(pixel, white));
        const __m256i packed = _mm256_shuffle_epi8(pixel, pack);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm256_castsi256_si128(packed));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 12), _mm256_extracti128_si256(packed, 1));
        const int done = (lo.small | hi.small << 4) & ~_mm256_movemask_ps(_mm256_castsi256_ps(atEnd));
        left |= static_cast<std::uint64_t>(~done & 0xFF) << i;
    }
    return n < 64 ? left & ((std::uint64_t{1} << n) - 1) : left;
}
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#else
std::uint64_t CInteriorSampler::SampleRun(int, int n, double, double, double, std::uint8_t*) const noexcept
{
    return n < 64 ? (std::uint64_t{1} << n) - 1 : ~std::uint64_t{0};
}
#endif
