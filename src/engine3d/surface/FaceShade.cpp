#include "engine3d/surface/FaceShade.h"

#include "engine3d/sampling/TargetRegion.h"

#include <array>
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

// c < lo ? lo : (hi < c ? hi : c), as std::clamp (not a number stays):
// max(a, b) is a > b ? a : b, min(a, b) a < b ? a : b, whatever b is.
inline __m256d Clamp(__m256d c, __m256d lo, __m256d hi) noexcept
{
    return _mm256_min_pd(hi, _mm256_max_pd(lo, c));
}

// The products of a row's y in the mapping.
struct CRowTerms {
    __m256d a, b, c;
    CRowTerms(const CQuadMapping& m, double y) noexcept
        : a(_mm256_set1_pd(m.ay * y)), b(_mm256_set1_pd(m.by * y)), c(_mm256_set1_pd(m.cy * y))
    {
    }
};

// The light and the lift of four pixels of a row. LightFour<false> takes
// each step the one-pixel code takes (LightAt, HighlightAt, BandProfile), in
// its order. LightFour<true> takes one reciprocal r = 1 / den where that code
// divides a's and u's numerators by den, and multiplies by 1 / (2 softness)
// (toBand) where it divides; every other step is the same. It stores the
// same floats or, where it cannot show that, nothing, and returns false:
// - With 2^-1000 <= |den| <= 2^1000 (DenominatorInRange), r = (1 / den)(1 + e),
//   |e| <= 2^-53, so a quotient Q = A / den comes out within 3.001 2^-53 |Q|
//   (plus 2^-1074 where it underflows) of the one-pixel code's. Where |Q| > 2
//   both results, and 1 less each, lie on one side beyond [0, 1] and clamp
//   alike; elsewhere they differ by at most 2^-50. Clamping never widens a
//   difference, so u and v differ by at most 2^-48.
// - Each later step rounds sums and products of u, v (|u|, |v| <= 1/2), the
//   band and the face's constants, so the light differs by at most
//   2^-47 L (L = |shade| + |shadeU| + |shadeV|), the band's offset d by
//   2^-47 D (D = |at| + |atU| + |atV|), its t by T = 2^-45 (1 + softness + D)
//   / (2 softness), the band by 1.5 T + 2^-49 (its slope is at most 1.5) and
//   the lift by 2^-47 F + 1.5 |peak| T (F = |specular| + |sheenU| + |sheenV|
//   + |peak|). lightSlack and liftSlack are twice those (SetSlack).
// - Rounding to float is monotonic, so when value - slack and value + slack
//   (each within half its slack of the exact sum) round to the same float,
//   every number between does, the one-pixel code's value among them. The
//   rest (those within the slack of the midpoint of two floats: about one
//   group of four in three thousand) and anything not a number fail.
template <bool kQuick>
bool LightFour(const CFaceShade& s, __m256d px, const CRowTerms& row, float* light, float* lift) noexcept
{
    const CQuadMapping& m = *s.map;
    const CPolygon3D::CHighlight& h = s.highlight;
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5);
    const __m256d den = add(_mm256_add_pd(mul(m.cx, px), row.c), m.c0);
    const __m256d aNum = add(_mm256_add_pd(mul(m.ax, px), row.a), m.a0);
    const __m256d uNum = add(_mm256_add_pd(mul(m.bx, px), row.b), m.b0);
    __m256d a, u;
    if constexpr (kQuick) {
        const __m256d r = _mm256_div_pd(one, den);
        a = _mm256_mul_pd(aNum, r), u = _mm256_mul_pd(uNum, r);
    } else {
        a = _mm256_div_pd(aNum, den), u = _mm256_div_pd(uNum, den);
    }
    __m256d v = _mm256_sub_pd(one, a);
    u = _mm256_sub_pd(Clamp(u, zero, one), half);
    v = _mm256_sub_pd(Clamp(v, zero, one), half);
    const __m256d l = _mm256_add_pd(add(mul(s.shadeU, u), s.shade), mul(s.shadeV, v));
    const __m256d d = _mm256_add_pd(add(mul(h.atU, u), h.at), mul(h.atV, v));
    const __m256d near = _mm256_sub_pd(_mm256_set1_pd(1.0 + h.softness), _mm256_andnot_pd(_mm256_set1_pd(-0.0), d));
    const __m256d t = Clamp(kQuick ? mul(s.toBand, near) : _mm256_div_pd(near, _mm256_set1_pd(2.0 * h.softness)),
                            zero, one);
    const __m256d band = _mm256_mul_pd(_mm256_mul_pd(t, t), _mm256_sub_pd(_mm256_set1_pd(3.0), mul(2.0, t)));
    const __m256d f = _mm256_add_pd(_mm256_add_pd(add(mul(h.sheenU, u), s.specular), mul(h.sheenV, v)),
                                    mul(h.peak, band));
    if constexpr (kQuick) {
        const __m256d ls = _mm256_set1_pd(s.lightSlack), fs = _mm256_set1_pd(s.liftSlack);
        const __m128 lightLow = _mm256_cvtpd_ps(_mm256_sub_pd(l, ls)), liftLow = _mm256_cvtpd_ps(_mm256_sub_pd(f, fs));
        const __m128 same = _mm_and_ps(_mm_cmpeq_ps(lightLow, _mm256_cvtpd_ps(_mm256_add_pd(l, ls))),
                                       _mm_cmpeq_ps(liftLow, _mm256_cvtpd_ps(_mm256_add_pd(f, fs))));
        if (_mm_movemask_ps(same) != 0xF) return false;
        _mm_storeu_ps(light, lightLow);
        _mm_storeu_ps(lift, liftLow);
        return true;
    }
    _mm_storeu_ps(light, _mm256_cvtpd_ps(l));
    _mm_storeu_ps(lift, _mm256_cvtpd_ps(f));
    return true;
}

// Whether den lies within 2^-1000 .. 2^1000 and keeps its sign at pixels
// x .. last of row y. Each rounding is monotonic, so den as computed is
// monotonic along a row, and lies between its values at the ends.
bool DenominatorInRange(const CQuadMapping& m, int x, int last, double y) noexcept
{
    const double cy = m.cy * y;
    const double from = m.cx * (x + 0.5) + cy + m.c0, to = m.cx * (last + 0.5) + cy + m.c0;
    const auto within = [](double d) { return std::abs(d) >= 0x1p-1000 && std::abs(d) <= 0x1p1000; };
    return within(from) && within(to) && (from > 0.0) == (to > 0.0);
}

// Pixels x .. of the run four at a time; the count done (a multiple of four).
int LightRunFour(const CFaceShade& s, int x, int y, int n, float* light, float* lift) noexcept
{
    const int count = n & ~3;
    const CRowTerms row(*s.map, y + 0.5);
    const bool quick = s.quick && count > 0 && DenominatorInRange(*s.map, x, x + count - 1, y + 0.5);
    for (int i = 0; i < count; i += 4) {
        const __m256d px = _mm256_add_pd(_mm256_set1_pd(x + i + 0.5), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
        if (!quick || !LightFour<true>(s, px, row, light + i, lift + i))
            LightFour<false>(s, px, row, light + i, lift + i);
    }
    return count;
}

} // namespace
VT_TARGET_END

// LightFour<true>'s steps eight pixels at a time, where the processor has
// AVX-512: the same roundings in each lane, so the same argument holds (this
// file is compiled without fused multiply-adds, which AVX-512 would bring).
VT_TARGET_BEGIN("avx2,avx512f,avx512vl")
namespace {

inline __m512d mul(double a, __m512d b) noexcept
{
    return _mm512_mul_pd(_mm512_set1_pd(a), b);
}
inline __m512d add(__m512d a, double b) noexcept
{
    return _mm512_add_pd(a, _mm512_set1_pd(b));
}
// (The zero-masked forms: GCC 12 sees the plain ones' undefined start value
// as read.)
inline __m512d Clamp(__m512d c, __m512d lo, __m512d hi) noexcept
{
    return _mm512_maskz_min_pd(0xFF, hi, _mm512_maskz_max_pd(0xFF, lo, c));
}
inline __m256 ToFloat(__m512d a) noexcept
{
    return _mm512_maskz_cvtpd_ps(0xFF, a);
}

// The products of each pixel's y in the mapping: one row's, or eight rows'.
struct CRowsEight {
    __m512d a, b, c;
    CRowsEight(const CQuadMapping& m, double y) noexcept
        : a(_mm512_set1_pd(m.ay * y)), b(_mm512_set1_pd(m.by * y)), c(_mm512_set1_pd(m.cy * y))
    {
    }
    CRowsEight(const CQuadMapping& m, __m512d y) noexcept : a(mul(m.ay, y)), b(mul(m.by, y)), c(mul(m.cy, y)) {}
};

bool LightEight(const CFaceShade& s, __m512d px, const CRowsEight& rows, float* light, float* lift) noexcept
{
    const CQuadMapping& m = *s.map;
    const CPolygon3D::CHighlight& h = s.highlight;
    const __m512d zero = _mm512_setzero_pd(), one = _mm512_set1_pd(1.0), half = _mm512_set1_pd(0.5);
    const __m512d den = add(_mm512_add_pd(mul(m.cx, px), rows.c), m.c0);
    const __m512d r = _mm512_div_pd(one, den);
    const __m512d a = _mm512_mul_pd(add(_mm512_add_pd(mul(m.ax, px), rows.a), m.a0), r);
    const __m512d u =
        _mm512_sub_pd(Clamp(_mm512_mul_pd(add(_mm512_add_pd(mul(m.bx, px), rows.b), m.b0), r), zero, one), half);
    const __m512d v = _mm512_sub_pd(Clamp(_mm512_sub_pd(one, a), zero, one), half);
    const __m512d l = _mm512_add_pd(add(mul(s.shadeU, u), s.shade), mul(s.shadeV, v));
    const __m512d d = _mm512_add_pd(add(mul(h.atU, u), h.at), mul(h.atV, v));
    const __m512d t = Clamp(mul(s.toBand, _mm512_sub_pd(_mm512_set1_pd(1.0 + h.softness), _mm512_abs_pd(d))), zero,
                            one);
    const __m512d band = _mm512_mul_pd(_mm512_mul_pd(t, t), _mm512_sub_pd(_mm512_set1_pd(3.0), mul(2.0, t)));
    const __m512d f = _mm512_add_pd(_mm512_add_pd(add(mul(h.sheenU, u), s.specular), mul(h.sheenV, v)),
                                    mul(h.peak, band));
    const __m512d ls = _mm512_set1_pd(s.lightSlack), fs = _mm512_set1_pd(s.liftSlack);
    const __m256 lightLow = ToFloat(_mm512_sub_pd(l, ls)), liftLow = ToFloat(_mm512_sub_pd(f, fs));
    const __m256 same = _mm256_and_ps(_mm256_cmp_ps(lightLow, ToFloat(_mm512_add_pd(l, ls)), _CMP_EQ_OQ),
                                      _mm256_cmp_ps(liftLow, ToFloat(_mm512_add_pd(f, fs)), _CMP_EQ_OQ));
    if (_mm256_movemask_ps(same) != 0xFF) return false;
    _mm256_storeu_ps(light, lightLow);
    _mm256_storeu_ps(lift, liftLow);
    return true;
}

// Where u and v need no clamping, the light is l = k0 + kU u + kV v with
// u = U - 1/2, v = 1/2 - a (U, a the mapping's quotients over den), that is
// N / den with N = k0 den + kU (uNum - den / 2) + kV (den / 2 - aNum) linear
// in the pixel's place (CFaceShade::over); so is the band's offset d and the
// lift without its band. LightEightOver takes each as N r (r = 1 / den, N
// from its x term and its row's), the band and the lift from there as
// LightEight does: no quotients, clamps or planes of u and v. Against the
// exact value of each (e = 2^-53, Q = (A + B + C) / |den| + 1 with A, B, C
// the sums of the magnitudes of the terms of aNum, uNum and den):
// - The one-pixel code: den, aNum, uNum within 3.01 e C, A, B; a and U
//   within 3.01 e (A + C) / |den| + 1.01 e and (B + C) / |den| + 1.01 e
//   (a, U in [0, 1]); clamping never widens a difference, so u, v are
//   within 3.01 e Q; its light within 6.03 e L Q (L = |k0| + |kU| + |kV|).
// - Here: each term of N goes through at most seven roundings, so N lies
//   within 7.01 e L (A + B + C) (the terms' magnitudes sum to at most that),
//   and N r within 10.04 e L Q.
// So the two lights lie within 16.07 e L Q of each other, as do the two
// band offsets (D for L) and the two lifts without the band (F). The band's
// t (with 1 / (2 softness) taken as LightEight takes it) differs by at most
// 1.01 |Delta d| / (2 softness) + 11.3 e (where either is beyond 2, both are
// beyond 1 on one side and clamp alike), the band by 1.5 times that + 6.02 e,
// and the lift by at most e (18.1 F Q + |peak| (24.4 D Q / (2 softness) + 27)).
// Twice these lie within the slack OverRun sets: 2^-47 L Q and 2^-47 F Q +
// 2^-46 |peak| (D Q / (2 softness) + 1), as LightEight's check needs.
// OverRun asks that U and 1 - a lie within 2^-20 .. 1 - 2^-20 at both ends
// of the run, as worked out there (times den: uNum, den - uNum, aNum and
// den - aNum against 2^-20 |den|, each within 4 e (A + B + C) of its exact
// value, below 2^-31 |den| where Q < 2^20), so the exact values lie within
// 0 .. 1, and so at each pixel between (each is monotonic along a row where
// den keeps its sign), |den| within 2^-100 .. 2^100 there (den is linear along
// the row: its least magnitude is at an end), Q < 2^20 and each slack within
// 2^-100 .. 1: nothing overflows, and what underflows adds far less than the
// slack.
// Most runs lie wholly off the band or wholly on its top. The band's offset
// d is N / den too, monotonic along the row; where at both ends it has one
// sign and |d| >= (1 + softness) + 2^-20 (D + 1 + softness) (as worked out
// there, N / den, within 2^-29 D of the exact value), every pixel's exact |d| is beyond
// 1 + softness by more than both codes' errors, so the one-pixel code's t
// is 0 and its band 0 (the lift is its plane, exactly); where |d| <=
// (1 + softness) - 2 softness - 2^-20 (D + 1 + softness) at both ends, its
// t is 1 and its band 1 (the lift is its plane plus the peak). Such runs
// leave the band out (kOff, kTop), with the same slack: the lifts differ as
// the planes do, plus the last sum's rounding.
enum class EBand { kOff, kTop, kAcross };

struct COverRun {
    double lightSlack, liftSlack;
    EBand band;
    __m512d den, light, offset, lift; // the row's terms
};

// OverRun's checks for the pixels x .. last of rows y0 .. y1 (centres) at
// once: each quantity checked at the ends of a run is linear in the pixel's
// place, or a quotient of two such over a denominator of one sign, so over a
// rectangle it is least and greatest at a corner, as it is at an end of a
// run over a row; the magnitudes bounding the roundings are taken at the
// farthest row. The rows' own terms are left to RowTerms.
bool OverRows(const CFaceShade& s, int x, int last, double y0, double y1, COverRun& run) noexcept
{
    const CQuadMapping& m = *s.map;
    const CPolygon3D::CHighlight& h = s.highlight;
    double low = HUGE_VAL, far = 0.0, side = 0.0;
    for (const double y : {y0, y1})
        for (const double px : {x + 0.5, last + 0.5}) {
            const double den = m.cx * px + m.cy * y + m.c0, a = m.ax * px + m.ay * y + m.a0;
            const double u = m.bx * px + m.by * y + m.b0;
            if (!(std::abs(den) >= 0x1p-100 && std::abs(den) <= 0x1p100) || side * den < 0.0) return false;
            const double in = 0x1p-20 * std::abs(den), sign = den > 0.0 ? 1.0 : -1.0;
            if (!(sign * u >= in && sign * (den - u) >= in && sign * a >= in && sign * (den - a) >= in)) return false;
            side = den, low = std::min(low, std::abs(den)), far = std::max(far, std::abs(px));
        }
    const double ay = std::max(std::abs(y0), std::abs(y1));
    const double size = std::abs(m.ax) * far + std::abs(m.ay) * ay + std::abs(m.a0) + std::abs(m.bx) * far +
                        std::abs(m.by) * ay + std::abs(m.b0) + std::abs(m.cx) * far + std::abs(m.cy) * ay +
                        std::abs(m.c0);
    const double q = size / low + 1.0;
    const double L = std::abs(s.shade) + std::abs(s.shadeU) + std::abs(s.shadeV);
    const double D = std::abs(h.at) + std::abs(h.atU) + std::abs(h.atV);
    const double F = std::abs(s.specular) + std::abs(h.sheenU) + std::abs(h.sheenV);
    run.lightSlack = 0x1p-47 * L * q;
    run.liftSlack = 0x1p-47 * F * q + 0x1p-46 * std::abs(h.peak) * (D * q * s.toBand + 1.0);
    const auto within = [](double slack) { return slack >= 0x1p-100 && slack <= 1.0; };
    if (!(q < 0x1p20) || !(D * q * s.toBand < 0x1p20) || !within(run.lightSlack) || !within(run.liftSlack))
        return false;
    const double outer = 1.0 + h.softness, margin = 0x1p-20 * (D + outer);
    double d[4];
    int k = 0;
    for (const double y : {y0, y1}) {
        const double offset = s.over[1][1] * y + s.over[1][2];
        for (const double px : {x + 0.5, last + 0.5})
            d[k++] = (s.over[1][0] * px + offset) / (m.cx * px + m.cy * y + m.c0);
    }
    const bool oneSign = (d[0] > 0.0 && d[1] > 0.0 && d[2] > 0.0 && d[3] > 0.0) ||
                         (d[0] < 0.0 && d[1] < 0.0 && d[2] < 0.0 && d[3] < 0.0);
    const double nearest = oneSign ? std::min({std::abs(d[0]), std::abs(d[1]), std::abs(d[2]), std::abs(d[3])}) : 0.0;
    const double farthest = std::max({std::abs(d[0]), std::abs(d[1]), std::abs(d[2]), std::abs(d[3])});
    run.band = !std::isfinite(d[0] + d[1] + d[2] + d[3])        ? EBand::kAcross
               : nearest >= outer + margin                      ? EBand::kOff
               : farthest <= outer - 2.0 * h.softness - margin ? EBand::kTop
                                                               : EBand::kAcross;
    return true;
}

// The terms of row y (its centre) of LightEightOver's numerators.
void RowTerms(const CFaceShade& s, double y, COverRun& run) noexcept
{
    const auto row = [y](const double* c) { return c[1] * y + c[2]; };
    run.den = _mm512_set1_pd(s.map->cy * y), run.light = _mm512_set1_pd(row(s.over[0]));
    run.offset = _mm512_set1_pd(row(s.over[1])), run.lift = _mm512_set1_pd(row(s.over[2]));
}

bool OverRun(const CFaceShade& s, int x, int last, double y, COverRun& run) noexcept
{
    if (!OverRows(s, x, last, y, y, run)) return false;
    RowTerms(s, y, run);
    return true;
}

template <EBand kBand>
bool LightEightOver(const CFaceShade& s, __m512d px, const COverRun& run, float* light, float* lift) noexcept
{
    const CPolygon3D::CHighlight& h = s.highlight;
    const __m512d zero = _mm512_setzero_pd(), one = _mm512_set1_pd(1.0);
    const __m512d r = _mm512_div_pd(one, add(_mm512_add_pd(mul(s.map->cx, px), run.den), s.map->c0));
    const __m512d l = _mm512_mul_pd(_mm512_add_pd(mul(s.over[0][0], px), run.light), r);
    __m512d f = _mm512_mul_pd(_mm512_add_pd(mul(s.over[2][0], px), run.lift), r);
    if constexpr (kBand == EBand::kTop) f = add(f, h.peak);
    if constexpr (kBand == EBand::kAcross) {
        const __m512d d = _mm512_mul_pd(_mm512_add_pd(mul(s.over[1][0], px), run.offset), r);
        const __m512d t = Clamp(mul(s.toBand, _mm512_sub_pd(_mm512_set1_pd(1.0 + h.softness), _mm512_abs_pd(d))),
                                zero, one);
        const __m512d band = _mm512_mul_pd(_mm512_mul_pd(t, t), _mm512_sub_pd(_mm512_set1_pd(3.0), mul(2.0, t)));
        f = _mm512_add_pd(f, mul(h.peak, band));
    }
    const __m512d ls = _mm512_set1_pd(run.lightSlack), fs = _mm512_set1_pd(run.liftSlack);
    const __m256 lightLow = ToFloat(_mm512_sub_pd(l, ls)), liftLow = ToFloat(_mm512_sub_pd(f, fs));
    const __mmask8 same = _mm256_mask_cmp_ps_mask(_mm256_cmp_ps_mask(lightLow, ToFloat(_mm512_add_pd(l, ls)),
                                                                     _CMP_EQ_OQ),
                                                  liftLow, ToFloat(_mm512_add_pd(f, fs)), _CMP_EQ_OQ);
    if (same != 0xFF) return false;
    _mm256_storeu_ps(light, lightLow);
    _mm256_storeu_ps(lift, liftLow);
    return true;
}

// The exact steps for a group of eight whose quicker light failed its check.
void LightEightExactly(const CFaceShade& s, int x, const CRowTerms& row, float* light, float* lift) noexcept
{
    for (int k = 0; k < 8; k += 4) {
        const __m256d px = _mm256_add_pd(_mm256_set1_pd(x + k + 0.5), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
        LightFour<false>(s, px, row, light + k, lift + k);
    }
}

// The count pixels (at least eight) from x on by LightEightOver, eight at a
// time, the last eight ending at the run's end; false where OverRun does not
// allow it.
template <EBand kBand>
void LightRunOver(const CFaceShade& s, int x, int y, int count, const COverRun& over, float* light,
                  float* lift) noexcept
{
    const CRowTerms row(*s.map, y + 0.5);
    const __m512d steps = _mm512_setr_pd(0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0);
    for (int next = 0; next < count; next += 8) {
        const int i = std::min(next, count - 8);
        if (!LightEightOver<kBand>(s, _mm512_add_pd(_mm512_set1_pd(x + i + 0.5), steps), over, light + i, lift + i))
            LightEightExactly(s, x + i, row, light + i, lift + i);
    }
}

void LightRunOver(const CFaceShade& s, int x, int y, int count, const COverRun& over, float* light,
                  float* lift) noexcept
{
    if (over.band == EBand::kOff)
        LightRunOver<EBand::kOff>(s, x, y, count, over, light, lift);
    else if (over.band == EBand::kTop)
        LightRunOver<EBand::kTop>(s, x, y, count, over, light, lift);
    else
        LightRunOver<EBand::kAcross>(s, x, y, count, over, light, lift);
}

bool LightRunOver(const CFaceShade& s, int x, int y, int count, float* light, float* lift) noexcept
{
    COverRun over;
    if (!OverRun(s, x, x + count - 1, y + 0.5, over)) return false;
    LightRunOver(s, x, y, count, over, light, lift);
    return true;
}

// A run of one to three pixels as the first of a whole eight (LightEight,
// or the exact steps where its check fails); false where the denominator
// does not allow it over the eight.
bool LightShortRun(const CFaceShade& s, int x, int y, int n, float* light, float* lift) noexcept
{
    if (!s.quick || !DenominatorInRange(*s.map, x, x + 7, y + 0.5)) return false;
    float l[8], f[8];
    const __m512d px = _mm512_add_pd(_mm512_set1_pd(x + 0.5), _mm512_setr_pd(0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0));
    if (!LightEight(s, px, CRowsEight(*s.map, y + 0.5), l, f)) LightEightExactly(s, x, CRowTerms(*s.map, y + 0.5), l, f);
    std::copy(l, l + n, light);
    std::copy(f, f + n, lift);
    return true;
}

// CFaceShade::ApplyRows's rows with one OverRows check for them all; false
// (nothing done) where it does not allow that. Each row is lit in runs of
// at most 256, none shorter than eight.
bool LitRowsOver(const CFaceShade& s, std::uint8_t* bytes, std::size_t stride, int count, int x, int y,
                 int rows) noexcept
{
    COverRun over;
    if (!s.quick || count < 16 || !OverRows(s, x, x + count - 1, y + 0.5, y + rows - 0.5, over)) return false;
    constexpr int kRun = 256;
    float light[kRun], lift[kRun];
    for (int r = 0; r < rows; ++r) {
        RowTerms(s, y + r + 0.5, over);
        std::uint8_t* p = bytes + r * stride;
        for (int done = 0, n; done < count; done += n, p += 3 * n) {
            n = count - done > kRun ? std::min(kRun, count - done - 8) : count - done;
            LightRunOver(s, x + done, y + r, n, over, light, lift);
            LitPixels(p, n, light, lift);
        }
    }
    return true;
}

// The pixels of a run of at least eight, eight at a time, where the quicker
// steps are taken; the count done (all or none). The last eight ends at the
// run's end, so it may take again pixels an eight before it took: each
// pixel's floats are the one-pixel code's however it is grouped. Runs of at
// least sixteen where u and v need no clamping by LightEightOver, others by
// LightEight.
int LightRunEight(const CFaceShade& s, int x, int y, int n, float* light, float* lift) noexcept
{
    if (!s.quick || n < 8) return 0;
    if (n >= 16 && LightRunOver(s, x, y, n, light, lift)) return n;
    if (!DenominatorInRange(*s.map, x, x + n - 1, y + 0.5)) return 0;
    const CRowTerms row(*s.map, y + 0.5);
    const CRowsEight rows(*s.map, y + 0.5);
    const __m512d steps = _mm512_setr_pd(0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0);
    for (int next = 0; next < n; next += 8) {
        const int i = std::min(next, n - 8);
        if (!LightEight(s, _mm512_add_pd(_mm512_set1_pd(x + i + 0.5), steps), rows, light + i, lift + i))
            LightEightExactly(s, x + i, row, light + i, lift + i);
    }
    return n;
}

// The means min((sum + count / 2) / count, 255) of the pixels' samples, as
// blue, green, red bytes, four pixels a step; the count done (the rest are
// fewer than four). In single precision the quotient of two integers below
// 2^24 that is not an integer lies at least 1 / count (count <= kMaxSamples)
// below the next integer, farther than half a float step at 256, so it
// rounds below it and truncates to the integer quotient. `means` has room
// for four bytes past the pixels'. (Zero-masked forms where the plain ones
// start from an undefined value.)
int MeansFours(const CPixelSamples* samples, int n, std::uint8_t* means) noexcept
{
    static_assert(sizeof(CPixelSamples) == 16 && CFaceRunSampler::kMaxSamples < 256);
    const __m128i drop = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m512i v = _mm512_loadu_si512(samples + i);
        const __m512i count = _mm512_maskz_shuffle_epi32(0xFFFF, v, _MM_PERM_DDDD);
        const __m512i sum = _mm512_add_epi32(v, _mm512_maskz_srli_epi32(0xFFFF, count, 1));
        const __m512 q = _mm512_maskz_div_ps(0xFFFF, _mm512_maskz_cvtepi32_ps(0xFFFF, sum), _mm512_maskz_cvtepi32_ps(0xFFFF, count));
        const __m128i bytes = _mm512_maskz_cvtusepi32_epi8(0xFFFF, _mm512_maskz_cvttps_epi32(0xFFFF, q));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(means + 3 * i), _mm_shuffle_epi8(bytes, drop));
    }
    return i;
}

// Each pixel's sums set to its mean (from `means`, read 16 bytes at a time)
// times its count, four pixels a step; the count done.
int SumsFours(const std::uint8_t* means, int n, CPixelSamples* samples) noexcept
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m512i v = _mm512_loadu_si512(samples + i);
        const __m512i count = _mm512_maskz_shuffle_epi32(0xFFFF, v, _MM_PERM_DDDD);
        const __m128i m = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(means + 3 * i)), spread);
        const __m512i sums = _mm512_mullo_epi32(_mm512_maskz_cvtepu8_epi32(0xFFFF, m), count);
        _mm512_storeu_si512(samples + i, _mm512_mask_blend_epi32(0x7777, v, sums));
    }
    return i;
}

// Pixels (x[i], y[i]) of the whole picture eight at a time by LightEight,
// each with its own row; the count done. Where a pixel's denominator lies
// beyond 2^-1000 .. 2^1000 (LightFour's argument asks that of each) or a
// group fails the check, that group's pixels one at a time.
int LightPixelsEight(const CFaceShade& s, const int* x, const int* y, int n, float* light, float* lift) noexcept
{
    if (!s.quick) return 0;
    const CQuadMapping& m = *s.map;
    const __m512d half = _mm512_set1_pd(0.5), least = _mm512_set1_pd(0x1p-1000), most = _mm512_set1_pd(0x1p1000);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const auto at = [&](const int* p) {
            const __m256i eight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
            return _mm512_add_pd(_mm512_maskz_cvtepi32_pd(0xFF, eight), half);
        };
        const __m512d px = at(x);
        const CRowsEight rows(m, at(y));
        const __m512d den = _mm512_abs_pd(add(_mm512_add_pd(mul(m.cx, px), rows.c), m.c0));
        const __mmask8 in = _mm512_mask_cmp_pd_mask(_mm512_cmp_pd_mask(den, least, _CMP_GE_OQ), den, most, _CMP_LE_OQ);
        if (in == 0xFF && LightEight(s, px, rows, light + i, lift + i)) continue;
        for (int k = i; k < i + 8; ++k) s.LightOne(x[k], y[k], light[k], lift[k]);
    }
    return i;
}

} // namespace
VT_TARGET_END
#endif

#if defined(VT_FACE_SHADE_AVX2)
namespace {
bool HasEights() noexcept
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512vl");
    return has;
}
} // namespace
#endif

void CFaceShade::ApplyRows(std::uint8_t* bytes, std::size_t stride, int count, int x, int y, int rows) const noexcept
{
#if defined(VT_FACE_SHADE_AVX2)
    if (banded && HasEights() && LitRowsOver(*this, bytes, stride, count, x, y, rows)) return;
#endif
    for (int r = 0; r < rows; ++r) Apply(bytes + r * stride, count, x, y + r);
}

void CFaceShade::LightRun(int x, int y, int n, float* light, float* lift) const noexcept
{
    int i = 0;
#if defined(VT_FACE_SHADE_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    if (HasEights() && n < 4 && LightShortRun(*this, x, y, n, light, lift)) return;
    if (HasEights()) i = LightRunEight(*this, x, y, n, light, lift);
    if (has) i += LightRunFour(*this, x + i, y, n - i, light + i, lift + i);
    if (has && i < n) { // the last one to three pixels as a whole four (any pixel's light is worked out exactly)
        float l[4], f[4];
        LightRunFour(*this, x + i, y, 4, l, f);
        for (int k = 0; i < n; ++i, ++k) light[i] = l[k], lift[i] = f[k];
    }
#endif
    for (; i < n; ++i) LightOne(x + i, y, light[i], lift[i]);
}

void CFaceShade::Apply(CEdgePixels& pixels, int band) const noexcept
{
    if (!banded) {
        for (int i = 0; i < pixels.count; ++i) Apply(pixels.samples[i], pixels.x[i], pixels.y[i] + band);
        return;
    }
    int at[CEdgePixels::kMost];
    float light[CEdgePixels::kMost], lift[CEdgePixels::kMost];
    for (int i = 0; i < pixels.count; ++i) at[i] = pixels.y[i] + band;
    int i = 0;
#if defined(VT_FACE_SHADE_AVX2)
    if (HasEights()) i = LightPixelsEight(*this, pixels.x, at, pixels.count, light, lift);
#endif
    for (; i < pixels.count; ++i) LightOne(pixels.x[i], at[i], light[i], lift[i]);
    // Each pixel's mean stands for its samples: the means lit as a row of pixels.
    std::uint8_t means[3 * CEdgePixels::kMost + 4];
    i = 0;
#if defined(VT_FACE_SHADE_AVX2)
    if (HasEights()) i = MeansFours(pixels.samples, pixels.count, means);
#endif
    for (; i < pixels.count; ++i) {
        const auto n = static_cast<std::uint32_t>(pixels.samples[i].count);
        for (int c = 0; c < 3; ++c)
            means[3 * i + c] = static_cast<std::uint8_t>(std::min((pixels.samples[i].sum[c] + n / 2) / n, 255u));
    }
    ::LitPixels(means, pixels.count, light, lift);
    i = 0;
#if defined(VT_FACE_SHADE_AVX2)
    if (HasEights()) i = SumsFours(means, pixels.count, pixels.samples);
#endif
    for (; i < pixels.count; ++i)
        for (int c = 0; c < 3; ++c)
            pixels.samples[i].sum[c] = means[3 * i + c] * static_cast<std::uint32_t>(pixels.samples[i].count);
}

void CFaceShade::LitPixels(std::uint8_t* bgr, int count, const float* light, const float* lift) const noexcept
{
    ::LitPixels(bgr, count, light, lift);
}

void CFaceShade::SetSlack() noexcept
{
    const CPolygon3D::CHighlight& h = highlight;
    const double bandError =
        0x1p-45 * (1.0 + h.softness + std::abs(h.at) + std::abs(h.atU) + std::abs(h.atV)) / (2.0 * h.softness);
    toBand = 1.0 / (2.0 * h.softness);
    lightSlack = 0x1p-46 * (std::abs(shade) + std::abs(shadeU) + std::abs(shadeV));
    liftSlack = 0x1p-46 * (std::abs(specular) + std::abs(h.sheenU) + std::abs(h.sheenV) + std::abs(h.peak)) +
                3.0 * std::abs(h.peak) * bandError;
    // k0 + kU (U - 1/2) + kV (1/2 - a) over den (LightEightOver).
    const CQuadMapping& m = *map;
    const auto numerator = [&m](double k0, double kU, double kV, double* c) {
        c[0] = k0 * m.cx + kU * (m.bx - 0.5 * m.cx) + kV * (0.5 * m.cx - m.ax);
        c[1] = k0 * m.cy + kU * (m.by - 0.5 * m.cy) + kV * (0.5 * m.cy - m.ay);
        c[2] = k0 * m.c0 + kU * (m.b0 - 0.5 * m.c0) + kV * (0.5 * m.c0 - m.a0);
    };
    numerator(shade, shadeU, shadeV, over[0]);
    numerator(h.at, h.atU, h.atV, over[1]);
    numerator(specular, h.sheenU, h.sheenV, over[2]);
    // Slack of at least 2^-100 keeps the two roundings from meeting at a
    // zero of either sign: equal floats are then the same bits.
    quick = lightSlack >= 0x1p-100 && liftSlack >= 0x1p-100 && std::isfinite(lightSlack + liftSlack);
}
