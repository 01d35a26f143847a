#include "engine3d/sampling/GridRowCounts.h"

#include "engine3d/sampling/TargetRegion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_GRID_ROWS_AVX2 1
#endif

void SGridRows::Take(const double* dx, const double* dy, int n) noexcept
{
    side = 0;
    const int s = static_cast<int>(std::lround(std::sqrt(std::max(n, 0))));
    if (s < 2 || s > 10 || s * s != n) return;
    const double fx = dx[0], sx = dx[1] - dx[0], fy = dy[0], sy = dy[s] - dy[0];
    // A sample off the modelled grid by 1e-15 pixels moves by far less than
    // the bounds' margin, however many texels a pixel spans.
    for (int j = 0; j < s; ++j)
        for (int i = 0; i < s; ++i) {
            const int k = j * s + i;
            if (!(std::fabs(dx[k] - (fx + sx * i)) <= 1e-15 && std::fabs(dy[k] - (fy + sy * j)) <= 1e-15)) return;
        }
    side = s;
    firstX = fx;
    stepX = sx;
    firstY = fy;
    stepY = sy;
}

#if defined(VT_GRID_ROWS_AVX2)
VT_TARGET_BEGIN("avx2,fma")
namespace {

#define VT_ROWS inline __attribute__((always_inline))

// The samples lo < i < hi (as doubles) of four sample rows.
struct SSpans {
    __m256d lo, hi;
};

// Z(i, j) = a + g i + h j over the grid. In row j, Z > t is g i > t - a - h j:
// i above the quotient q = (t - a - h j) / g, below it when g is negative.
// The quotient is worked out as base(j) + t / g with base(j) = -(a + h j) / g,
// and 1 / g kept finite (its sign is g's, also for a zero): |t|, |a| and
// |h j| stay far below 1e8, so every quotient is finite, and its rounding
// moves Z by far less than the bounds' margin.
struct SDirection {
    double a = 0.0, h = 0.0, inv = 0.0;

    SDirection(double f, double perX, double perY, const SGridRows& grid) noexcept
    {
        const double g = perX * grid.stepX;
        h = perY * grid.stepY;
        a = f + perX * grid.firstX + perY * grid.firstY;
        inv = std::copysign(std::min(std::fabs(1.0 / g), 1e300), g);
    }
    VT_ROWS __m256d Base(__m256d j) const
    {
        return _mm256_mul_pd(_mm256_fnmadd_pd(_mm256_set1_pd(h), j, _mm256_set1_pd(-a)), _mm256_set1_pd(inv));
    }
};

// Narrows `s` to the samples past the quotient base + tInv: above it
// (`fromBelow`) or below it.
template <bool FromBelow>
VT_ROWS void Narrow(__m256d base, double tInv, SSpans& s)
{
    const __m256d q = _mm256_add_pd(base, _mm256_set1_pd(tInv));
    if constexpr (FromBelow)
        s.lo = _mm256_max_pd(s.lo, _mm256_floor_pd(q));
    else
        s.hi = _mm256_min_pd(s.hi, _mm256_ceil_pd(q));
}

VT_ROWS SSpans Meet(const SSpans& a, const SSpans& b, const SSpans& c)
{
    return {_mm256_max_pd(_mm256_max_pd(a.lo, b.lo), c.lo), _mm256_min_pd(_mm256_min_pd(a.hi, b.hi), c.hi)};
}

VT_ROWS __m256d Count(const SSpans& s)
{
    return _mm256_max_pd(_mm256_sub_pd(_mm256_sub_pd(s.hi, s.lo), _mm256_set1_pd(1.0)), _mm256_setzero_pd());
}

VT_ROWS int Sum(__m256d v)
{
    const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
    return static_cast<int>(_mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair))));
}

// Sets the bits of the samples of rows 4k .. 4k + 3 (those in `rows`) that
// are in `maybe` but in none of the four spans.
__attribute__((noinline)) void MarkUncertain(int side, int k, unsigned rows, const SSpans& maybe,
                                             const SSpans* quads, std::uint8_t* uncertain) noexcept
{
    alignas(32) double lo[5][4], hi[5][4];
    _mm256_store_pd(lo[4], maybe.lo);
    _mm256_store_pd(hi[4], maybe.hi);
    for (int q = 0; q < 4; ++q) {
        _mm256_store_pd(lo[q], quads[q].lo);
        _mm256_store_pd(hi[q], quads[q].hi);
    }
    for (; rows != 0; rows &= rows - 1) {
        const int lane = __builtin_ctz(rows);
        const int j = 4 * k + lane;
        for (int i = static_cast<int>(lo[4][lane]) + 1; i < hi[4][lane]; ++i) {
            bool certain = false;
            for (int q = 0; q < 4; ++q) certain |= i > lo[q][lane] && i < hi[q][lane];
            if (certain) continue;
            const int s = side * j + i;
            uncertain[s >> 3] = static_cast<std::uint8_t>(uncertain[s >> 3] | 1u << (s & 7));
        }
    }
}

// The thresholds of one direction divided by its g: on the face by more
// than the bound (in), not off it by more than the bound (maybe), beside the
// texel edge by more than the bound (low, high).
struct SThresholds {
    double inLo, inHi, maybeLo, maybeHi, low, high;
    SThresholds(double lo, double hi, double edge, double bound, double inv) noexcept
        : inLo((lo + bound) * inv), inHi((hi - bound) * inv), maybeLo((lo - bound) * inv),
          maybeHi((hi + bound) * inv), low((edge - bound) * inv), high((edge + bound) * inv)
    {
    }
};

// One direction's bounds on the spans of four rows; Negative: its g is.
template <bool Negative>
VT_ROWS void NarrowBy(__m256d base, const SThresholds& t, SSpans& in, SSpans& maybe, SSpans& low, SSpans& high)
{
    // Z > t from below when g is positive, Z < t from below when it is negative.
    Narrow<!Negative>(base, t.inLo, in);
    Narrow<Negative>(base, t.inHi, in);
    Narrow<!Negative>(base, t.maybeLo, maybe);
    Narrow<Negative>(base, t.maybeHi, maybe);
    Narrow<Negative>(base, t.low, low);
    Narrow<!Negative>(base, t.high, high);
}

template <bool ColNegative, bool RowNegative>
void CountRows(int side, const SDirection& col, const SDirection& row, const SThresholds& tc, const SThresholds& tr,
               int counts[4], std::uint8_t* uncertain) noexcept
{
    __m256d sum0 = _mm256_setzero_pd(), sum1 = sum0, sum2 = sum0, sum3 = sum0;
    const SSpans all{_mm256_set1_pd(-1.0), _mm256_set1_pd(side)};
    const int vectors = (side + 3) / 4;
#pragma GCC unroll 3
    for (int k = 0; k < vectors; ++k) {
        const __m256d j = _mm256_add_pd(_mm256_set1_pd(4.0 * k), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
        SSpans in = all, maybe = all, cl = all, ch = all, rl = all, rh = all;
        NarrowBy<ColNegative>(col.Base(j), tc, in, maybe, cl, ch);
        NarrowBy<RowNegative>(row.Base(j), tr, in, maybe, rl, rh);
        const __m256d rowsOfGrid = _mm256_cmp_pd(j, _mm256_set1_pd(side), _CMP_LT_OQ);
        const SSpans q0 = Meet(in, cl, rl), q1 = Meet(in, ch, rl), q2 = Meet(in, cl, rh), q3 = Meet(in, ch, rh);
        const __m256d n0 = _mm256_and_pd(rowsOfGrid, Count(q0)), n1 = _mm256_and_pd(rowsOfGrid, Count(q1));
        const __m256d n2 = _mm256_and_pd(rowsOfGrid, Count(q2)), n3 = _mm256_and_pd(rowsOfGrid, Count(q3));
        sum0 = _mm256_add_pd(sum0, n0);
        sum1 = _mm256_add_pd(sum1, n1);
        sum2 = _mm256_add_pd(sum2, n2);
        sum3 = _mm256_add_pd(sum3, n3);
        const __m256d certain = _mm256_add_pd(_mm256_add_pd(n0, n1), _mm256_add_pd(n2, n3));
        const __m256d open = _mm256_sub_pd(_mm256_and_pd(rowsOfGrid, Count(maybe)), certain);
        const auto rows = static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(open, _mm256_setzero_pd(), _CMP_GT_OQ)));
        if (rows != 0) {
            const SSpans quads[4] = {q0, q1, q2, q3};
            MarkUncertain(side, k, rows, maybe, quads, uncertain);
        }
    }
    counts[0] = Sum(sum0);
    counts[1] = Sum(sum1);
    counts[2] = Sum(sum2);
    counts[3] = Sum(sum3);
}

#undef VT_ROWS

} // namespace

void CountGridRows(const SGridRows& grid, const SGridPixel& p, int counts[4], std::uint8_t* uncertain) noexcept
{
    const SDirection col(p.fc, p.gx, p.gy, grid), row(p.fr, p.hx, p.hy, grid);
    const SThresholds tc(p.loCol, p.hiCol, p.colEdge, p.colBound, col.inv);
    const SThresholds tr(p.loRow, p.hiRow, p.rowEdge, p.rowBound, row.inv);
    std::memset(uncertain, 0, kGridUncertainBytes);
    const int side = grid.side;
    switch ((col.inv < 0 ? 1 : 0) | (row.inv < 0 ? 2 : 0)) {
    case 0: CountRows<false, false>(side, col, row, tc, tr, counts, uncertain); break;
    case 1: CountRows<true, false>(side, col, row, tc, tr, counts, uncertain); break;
    case 2: CountRows<false, true>(side, col, row, tc, tr, counts, uncertain); break;
    default: CountRows<true, true>(side, col, row, tc, tr, counts, uncertain); break;
    }
}
VT_TARGET_END
#else
void CountGridRows(const SGridRows&, const SGridPixel&, int counts[4], std::uint8_t*) noexcept
{
    counts[0] = counts[1] = counts[2] = counts[3] = 0;
}
#endif
