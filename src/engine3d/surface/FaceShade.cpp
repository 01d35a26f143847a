#include "engine3d/surface/FaceShade.h"

#include "engine3d/sampling/TargetRegion.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_FACE_SHADE_AVX2 1
#endif

#if defined(VT_FACE_SHADE_AVX2)
// AVX2 only, not FMA: each product and sum is rounded as in the one-pixel code.
VT_TARGET_BEGIN("avx2")
namespace {

inline __m256d mul(double a, __m256d b) noexcept
{
    return _mm256_mul_pd(_mm256_set1_pd(a), b);
}
inline __m256d add(__m256d a, double b) noexcept
{
    return _mm256_add_pd(a, _mm256_set1_pd(b));
}

// c < lo ? lo : (hi < c ? hi : c), as std::clamp (not a number stays).
inline __m256d Clamp(__m256d c, __m256d lo, __m256d hi) noexcept
{
    c = _mm256_blendv_pd(c, lo, _mm256_cmp_pd(c, lo, _CMP_LT_OQ));
    return _mm256_blendv_pd(c, hi, _mm256_cmp_pd(hi, c, _CMP_LT_OQ));
}

// The light and the lift of four pixels of a row: each step the one-pixel
// code takes (LightAt, HighlightAt, BandProfile), in its order, left to right.
void LightFour(const CFaceShade& s, __m256d px, __m256d py, float* light,
                                               float* lift) noexcept
{
    const CQuadMapping& m = *s.map;
    const CPolygon3D::CHighlight& h = s.highlight;
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5);
    const __m256d den = add(_mm256_add_pd(mul(m.cx, px), mul(m.cy, py)), m.c0);
    const __m256d a = _mm256_div_pd(add(_mm256_add_pd(mul(m.ax, px), mul(m.ay, py)), m.a0), den);
    __m256d u = _mm256_div_pd(add(_mm256_add_pd(mul(m.bx, px), mul(m.by, py)), m.b0), den);
    __m256d v = _mm256_sub_pd(one, a);
    u = _mm256_sub_pd(Clamp(u, zero, one), half);
    v = _mm256_sub_pd(Clamp(v, zero, one), half);
    const __m256d l = _mm256_add_pd(add(mul(s.shadeU, u), s.shade), mul(s.shadeV, v));
    const __m256d d = _mm256_add_pd(add(mul(h.atU, u), h.at), mul(h.atV, v));
    const __m256d absD = _mm256_andnot_pd(_mm256_set1_pd(-0.0), d);
    const __m256d t = Clamp(_mm256_div_pd(_mm256_sub_pd(_mm256_set1_pd(1.0 + h.softness), absD),
                                          _mm256_set1_pd(2.0 * h.softness)),
                            zero, one);
    const __m256d band = _mm256_mul_pd(_mm256_mul_pd(t, t), _mm256_sub_pd(_mm256_set1_pd(3.0), mul(2.0, t)));
    const __m256d f = _mm256_add_pd(_mm256_add_pd(add(mul(h.sheenU, u), s.specular), mul(h.sheenV, v)),
                                    mul(h.peak, band));
    _mm_storeu_ps(light, _mm256_cvtpd_ps(l));
    _mm_storeu_ps(lift, _mm256_cvtpd_ps(f));
}

// Pixels x .. of the run four at a time; the count done (a multiple of four).
int LightRunFour(const CFaceShade& s, int x, int y, int n, float* light, float* lift) noexcept
{
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d px = _mm256_add_pd(_mm256_set1_pd(x + i + 0.5), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
        LightFour(s, px, _mm256_set1_pd(y + 0.5), light + i, lift + i);
    }
    return i;
}

// Eight levels, each with its light and lift (Lit: decode, times the light,
// plus the lift, to the nearest of the encoding's steps, clamped).
inline void LitEight(const CSrgbTables& t, std::uint8_t* levels, __m256 light, __m256 lift) noexcept
{
    const __m256 steps = _mm256_set1_ps(static_cast<float>(CSrgbTables::kSteps)), half = _mm256_set1_ps(0.5f);
    std::int64_t eight;
    std::memcpy(&eight, levels, sizeof eight);
    const __m256i v = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(eight));
    const __m256 d = _mm256_i32gather_ps(t.decode.data(), v, 4);
    const __m256 l = _mm256_add_ps(_mm256_mul_ps(light, d), lift);
    __m256i e = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(l, steps), half));
    e = _mm256_min_epi32(_mm256_max_epi32(e, _mm256_setzero_si256()), _mm256_set1_epi32(CSrgbTables::kSteps));
    alignas(32) std::int32_t index[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(index), e);
    for (int k = 0; k < 8; ++k) levels[k] = t.encode[static_cast<std::size_t>(index[k])];
}

// Pixels of the run eight at a time, their 24 levels as three eights, each
// level given its pixel's light and lift; the count done.
int LitPixelsEight(const CSrgbTables& t, std::uint8_t* bgr, int count, const float* light,
                   const float* lift) noexcept
{
    const __m256i of[3] = {_mm256_setr_epi32(0, 0, 0, 1, 1, 1, 2, 2), _mm256_setr_epi32(2, 3, 3, 3, 4, 4, 4, 5),
                           _mm256_setr_epi32(5, 5, 6, 6, 6, 7, 7, 7)};
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 l = _mm256_loadu_ps(light + i), f = _mm256_loadu_ps(lift + i);
        for (int k = 0; k < 3; ++k)
            LitEight(t, bgr + 3 * i + 8 * k, _mm256_permutevar8x32_ps(l, of[k]), _mm256_permutevar8x32_ps(f, of[k]));
    }
    return i;
}

} // namespace
VT_TARGET_END
#endif

void CFaceShade::LightRun(int x, int y, int n, float* light, float* lift) const noexcept
{
    int i = 0;
#if defined(VT_FACE_SHADE_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    if (has) i = LightRunFour(*this, x, y, n, light, lift);
#endif
    for (; i < n; ++i) {
        double u, v;
        light[i] = static_cast<float>(LightAt(x + i, y, u, v));
        lift[i] = static_cast<float>(HighlightAt(u, v));
    }
}

void CFaceShade::LitPixels(std::uint8_t* bgr, int count, const float* light, const float* lift) const noexcept
{
    int i = 0;
#if defined(VT_FACE_SHADE_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    if (has) i = LitPixelsEight(*srgb, bgr, count, light, lift);
#endif
    for (; i < count; ++i)
        for (int k = 0; k < 3; ++k) bgr[3 * i + k] = Lit(bgr[3 * i + k], light[i], lift[i]);
}
