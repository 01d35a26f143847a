// Compiled with -ffp-contract=off (CMakeLists.txt): where AVX-512 is named
// the compiler could otherwise fuse a product into a sum, which the
// four-lane steps do not.
#include "engine3d/sampling/CountedEights.h"

#include "engine3d/sampling/FourTexelRows.h"
#include "engine3d/sampling/LinearSteps.h"
#include "engine3d/sampling/TargetRegion.h"
#include "engine3d/sampling/WeighedEights.h"

#include <atomic>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {
std::atomic<bool> g_enabled{true};
} // namespace

void counted_eights::SetEnabled(bool enabled) noexcept
{
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool counted_eights::Available() noexcept
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                            __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                            __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
    return has && g_enabled.load(std::memory_order_relaxed) && weighed_eights::Available();
}

VT_UNDEFINED_START_BEGIN
VT_TARGET_BEGIN("avx2,fma,avx512f,avx512dq,avx512bw,avx512vl,avx512vbmi")
namespace {

using linear_steps::SCentres;

constexpr int kFloor = _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC;
constexpr int kCeil = _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC;

// A four-lane broadcast as eight lanes.
__m512d Wide(__m256d broadcast)
{
    return _mm512_broadcastsd_pd(_mm256_castpd256_pd128(broadcast));
}

void Split(__m512d v, double* low, double* high)
{
    _mm256_store_pd(low, _mm512_castpd512_pd256(v));
    _mm256_store_pd(high, _mm512_extractf64x4_pd(v, 1));
}

__m512 Join(__m256 low, __m256 high)
{
    const __m512d wide = _mm512_castpd256_pd512(_mm256_castps_pd(low));
    return _mm512_castpd_ps(_mm512_insertf64x4(wide, _mm256_castps_pd(high), 1));
}

// linear_steps::EdgeRowsFour for eight pixels: lo, hi, step and the sign of
// 1 / G, a pixel to a lane.
struct SEdge {
    __m256 lo, hi, step, sign;
};

inline __attribute__((always_inline)) SEdge EdgeRows(const SGridRows& grid, __m512d f, __m512d gx, __m512d gy, __m512d edge, double bound)
{
    const __m512d signBit = _mm512_set1_pd(-0.0);
    const __m512d g = _mm512_mul_pd(gx, _mm512_set1_pd(grid.stepX));
    const __m512d k = _mm512_mul_pd(gy, _mm512_set1_pd(grid.stepY));
    const __m512d n0 = _mm512_fnmadd_pd(gy, _mm512_set1_pd(grid.firstY),
                                        _mm512_fnmadd_pd(gx, _mm512_set1_pd(grid.firstX), _mm512_sub_pd(edge, f)));
    const __m512d inv = _mm512_or_pd(
        _mm512_min_pd(_mm512_andnot_pd(signBit, _mm512_div_pd(_mm512_set1_pd(1.0), g)), _mm512_set1_pd(0x1p100)),
        _mm512_and_pd(signBit, g));
    const __m512d b = _mm512_set1_pd(bound);
    const __m512d x0 = _mm512_mul_pd(_mm512_sub_pd(n0, b), inv), x1 = _mm512_mul_pd(_mm512_add_pd(n0, b), inv);
    return {_mm512_cvtpd_ps(_mm512_min_pd(x0, x1)), _mm512_cvtpd_ps(_mm512_max_pd(x0, x1)),
            _mm512_cvtpd_ps(_mm512_mul_pd(_mm512_xor_pd(k, signBit), inv)), _mm512_cvtpd_ps(inv)};
}

// SplitRow for sample rows 0 .. 15 at once (lanes): ceil(j step + end),
// fused, within 0 .. side.
__m512i RowEnds(__m512 j, float step, float end, __m512 side)
{
    const __m512 z = _mm512_fmadd_ps(j, _mm512_set1_ps(step), _mm512_set1_ps(end));
    return _mm512_cvttps_epi32(_mm512_min_ps(_mm512_max_ps(_mm512_roundscale_ps(z, kCeil), _mm512_setzero_ps()), side));
}

// The samples of a row in both ranges [a0, a1) and [b0, b1).
__m512i Overlap(__m512i a0, __m512i a1, __m512i b0, __m512i b1)
{
    return _mm512_max_epi32(_mm512_sub_epi32(_mm512_min_epi32(a1, b1), _mm512_max_epi32(a0, b0)),
                            _mm512_setzero_si512());
}

// One edge's thresholds for two sample rows of eight pixels at once.
struct SRowSteps {
    __m512 lo, hi, step, side;

    // The samples short of lo_j in the lanes of `rows` (0 elsewhere); where
    // one lies in [lo_j, hi_j), `near` rises above 0.
    inline __attribute__((always_inline)) __m512 Count(__m512 j, __mmask16 rows, __m512& near) const
    {
        const __m512 c = _mm512_maskz_min_ps(
            rows, _mm512_max_ps(_mm512_roundscale_ps(_mm512_fmadd_ps(j, step, lo), kCeil), _mm512_setzero_ps()), side);
        near = _mm512_max_ps(near, _mm512_maskz_sub_ps(rows, _mm512_min_ps(_mm512_fmadd_ps(j, step, hi), side), c));
        return c;
    }
};

// The sum of a register's two halves.
__m256 Halves(__m512 v)
{
    return _mm256_add_ps(_mm512_castps512_ps256(v), _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(v), 1)));
}

// linear_steps::MapCentres' values for eight pixels, a pixel to a lane,
// kept in registers, and its bits as masks (bit p for pixel x8 + p).
struct SEight {
    __m512d fc, fr, reachCol, reachRow, gx, gy, hx, hy, inv, baseCol, baseRow, lowCol, lowRow;
    __m256i oneTexelAt;
    __mmask8 inside, near, oneTexel, fourTexels;
};

inline __attribute__((always_inline)) SEight MapEight(const linear_steps::SCentreMapping& m, int x8, double rowA,
                                                      double rowB, double rowC)
{
    const __m512d half = _mm512_set1_pd(0.5), one = _mm512_set1_pd(1.0), zero = _mm512_setzero_pd();
    const __m512d ax = Wide(m.ax), bx = Wide(m.bx), cx = Wide(m.cx), ay = Wide(m.ay), by = Wide(m.by),
                  cy = Wide(m.cy);
    const __m512d texW = Wide(m.texW), texH = Wide(m.texH), errCol = Wide(m.errCol), errRow = Wide(m.errRow);
    const __m512d X = _mm512_add_pd(_mm512_set1_pd(static_cast<double>(x8)),
                                    _mm512_setr_pd(0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0));
    const __m512d pA = _mm512_fmadd_pd(ax, X, _mm512_set1_pd(rowA));
    const __m512d pB = _mm512_fmadd_pd(bx, X, _mm512_set1_pd(rowB));
    const __m512d pC = _mm512_fmadd_pd(cx, X, _mm512_set1_pd(rowC));
    SEight e;
    e.inv = _mm512_div_pd(one, pC);
    const __m512d u = _mm512_mul_pd(pB, e.inv), a = _mm512_mul_pd(pA, e.inv);
    const __m512d zCol = _mm512_fmadd_pd(texW, u, half);
    const __m512d zRow = _mm512_fmadd_pd(texH, _mm512_sub_pd(one, a), half);
    const __m512d tw = _mm512_mul_pd(texW, e.inv), th = _mm512_mul_pd(Wide(m.negTexH), e.inv);
    e.gx = _mm512_mul_pd(tw, _mm512_fnmadd_pd(u, cx, bx));
    e.gy = _mm512_mul_pd(tw, _mm512_fnmadd_pd(u, cy, by));
    e.hx = _mm512_mul_pd(th, _mm512_fnmadd_pd(a, cx, ax));
    e.hy = _mm512_mul_pd(th, _mm512_fnmadd_pd(a, cy, ay));
    const __m512d reach = Wide(m.reach);
    const __m512d spanCol = _mm512_fmadd_pd(reach, _mm512_add_pd(_mm512_abs_pd(e.gx), _mm512_abs_pd(e.gy)), errCol);
    const __m512d spanRow = _mm512_fmadd_pd(reach, _mm512_add_pd(_mm512_abs_pd(e.hx), _mm512_abs_pd(e.hy)), errRow);
    const __m512d colOff = _mm512_sub_pd(zCol, half), rowOff = _mm512_sub_pd(zRow, half);
    const __m512d colLo = _mm512_sub_pd(colOff, spanCol), colHi = _mm512_add_pd(colOff, spanCol);
    const __m512d rowLo = _mm512_sub_pd(rowOff, spanRow), rowHi = _mm512_add_pd(rowOff, spanRow);
    e.inside = _mm512_cmp_pd_mask(colLo, zero, _CMP_GT_OQ) & _mm512_cmp_pd_mask(colHi, texW, _CMP_LT_OQ) &
               _mm512_cmp_pd_mask(rowLo, zero, _CMP_GT_OQ) & _mm512_cmp_pd_mask(rowHi, texH, _CMP_LT_OQ);
    const __m512d lowW = _mm512_sub_pd(zero, texW), lowH = _mm512_sub_pd(zero, texH);
    const __m512d highW = _mm512_add_pd(texW, texW), highH = _mm512_add_pd(texH, texH);
    e.near = _mm512_cmp_pd_mask(colLo, lowW, _CMP_GT_OQ) & _mm512_cmp_pd_mask(colHi, highW, _CMP_LT_OQ) &
             _mm512_cmp_pd_mask(rowLo, lowH, _CMP_GT_OQ) & _mm512_cmp_pd_mask(rowHi, highH, _CMP_LT_OQ);
    e.baseCol = _mm512_roundscale_pd(zCol, kFloor);
    e.baseRow = _mm512_roundscale_pd(zRow, kFloor);
    e.fc = _mm512_sub_pd(zCol, e.baseCol);
    e.fr = _mm512_sub_pd(zRow, e.baseRow);
    e.reachCol = _mm512_add_pd(spanCol, errCol);
    e.reachRow = _mm512_add_pd(spanRow, errRow);
    e.lowCol = _mm512_roundscale_pd(_mm512_sub_pd(e.fc, e.reachCol), kFloor);
    e.lowRow = _mm512_roundscale_pd(_mm512_sub_pd(e.fr, e.reachRow), kFloor);
    const __m512d wideCol = _mm512_sub_pd(_mm512_roundscale_pd(_mm512_add_pd(e.fc, e.reachCol), kFloor), e.lowCol);
    const __m512d wideRow = _mm512_sub_pd(_mm512_roundscale_pd(_mm512_add_pd(e.fr, e.reachRow), kFloor), e.lowRow);
    e.oneTexel = _mm512_cmp_pd_mask(wideCol, zero, _CMP_EQ_OQ) & _mm512_cmp_pd_mask(wideRow, zero, _CMP_EQ_OQ);
    e.fourTexels = _mm512_cmp_pd_mask(wideCol, one, _CMP_LE_OQ) & _mm512_cmp_pd_mask(wideRow, one, _CMP_LE_OQ);
    const __m256i col = _mm512_cvttpd_epi32(_mm512_add_pd(e.baseCol, e.lowCol));
    const __m256i row = _mm512_cvttpd_epi32(_mm512_add_pd(e.baseRow, e.lowRow));
    e.oneTexelAt = _mm256_add_epi32(_mm256_mullo_epi32(row, _mm256_broadcastsi128_si256(m.stride)),
                                    _mm256_add_epi32(col, _mm256_add_epi32(col, col)));
    return e;
}

// The eight's centres into c[0] (pixels x8 .. x8 + 3) and c[1], and their bits.
inline __attribute__((always_inline)) void StoreEight(const SEight& e, SCentres* c, int* bits)
{
    const __m512d one = _mm512_set1_pd(1.0);
    Split(e.fc, c[0].fc, c[1].fc);
    Split(e.fr, c[0].fr, c[1].fr);
    Split(e.reachCol, c[0].reachCol, c[1].reachCol);
    Split(e.reachRow, c[0].reachRow, c[1].reachRow);
    Split(e.gx, c[0].gx, c[1].gx);
    Split(e.gy, c[0].gy, c[1].gy);
    Split(e.hx, c[0].hx, c[1].hx);
    Split(e.hy, c[0].hy, c[1].hy);
    Split(e.inv, c[0].inv, c[1].inv);
    Split(e.baseCol, c[0].baseCol, c[1].baseCol);
    Split(e.baseRow, c[0].baseRow, c[1].baseRow);
    Split(e.lowCol, c[0].lowCol, c[1].lowCol);
    Split(e.lowRow, c[0].lowRow, c[1].lowRow);
    Split(_mm512_add_pd(e.lowCol, one), c[0].colEdge, c[1].colEdge);
    Split(_mm512_add_pd(e.lowRow, one), c[0].rowEdge, c[1].rowEdge);
    _mm_store_si128(reinterpret_cast<__m128i*>(c[0].oneTexel), _mm256_castsi256_si128(e.oneTexelAt));
    _mm_store_si128(reinterpret_cast<__m128i*>(c[1].oneTexel), _mm256_extracti128_si256(e.oneTexelAt, 1));
    const auto quarter = [&](int h) {
        const int shift = 4 * h;
        return (e.inside >> shift & 0xF) | (e.near >> shift & 0xF) << 4 | (e.oneTexel >> shift & 0xF) << 8 |
               (e.fourTexels >> shift & 0xF) << 12;
    };
    bits[0] = quarter(0);
    bits[1] = quarter(1);
}

// linear_steps::CountFourTexelsEight for the pixels of `lanes` of an eight.
inline __attribute__((always_inline)) int CountEight(const linear_steps::SStepSamples& r, const SEight& e, int lanes,
                                                     std::uint32_t* weighed, linear_steps::SKeptRows& kept)
{
    const SGridRows& grid = *r.grid;
    const __m512d one = _mm512_set1_pd(1.0);
    const SEdge col = EdgeRows(grid, e.fc, e.gx, e.gy, _mm512_add_pd(e.lowCol, one), r.errCol);
    const SEdge row = EdgeRows(grid, e.fr, e.hx, e.hy, _mm512_add_pd(e.lowRow, one), r.errRow);
    // Two sample rows a step: row j in lanes 0 .. 7, row j + 1 in lanes
    // 8 .. 15 (none past the last row). For each edge the samples short of
    // it, and the lesser of the two edges' counts; a sample lies in
    // [lo_j, hi_j) where min(hi_j, side) less the count is above 0 (for
    // finite values, the same as the count being below it).
    const __m512 side = _mm512_set1_ps(static_cast<float>(grid.side)), zero = _mm512_setzero_ps();
    const SRowSteps colRows{Join(col.lo, col.lo), Join(col.hi, col.hi), Join(col.step, col.step), side};
    const SRowSteps rowRows{Join(row.lo, row.lo), Join(row.hi, row.hi), Join(row.step, row.step), side};
    __m512 jv = Join(_mm256_setzero_ps(), _mm256_set1_ps(1.0f));
    __m512 sumC = zero, sumR = zero, sumL = zero, nearC = zero, nearR = zero;
    for (int j = 0; j < grid.side; j += 2) {
        const __mmask16 rows = grid.side - j >= 2 ? 0xFFFF : 0x00FF;
        const __m512 cc = colRows.Count(jv, rows, nearC), cr = rowRows.Count(jv, rows, nearR);
        sumC = _mm512_add_ps(sumC, cc);
        sumR = _mm512_add_ps(sumR, cr);
        sumL = _mm512_add_ps(sumL, _mm512_min_ps(cc, cr));
        jv = _mm512_add_ps(jv, _mm512_set1_ps(2.0f));
    }
    const __mmask16 near = _mm512_cmp_ps_mask(_mm512_max_ps(nearC, nearR), zero, _CMP_GT_OQ);
    // As CountFourTexelsEight goes on from its sums (integers: any order of adding gives them).
    const __m256 sumCol = Halves(sumC), sumRow = Halves(sumR), less = Halves(sumL);
    const __m256 all = _mm256_mul_ps(_mm512_castps512_ps256(side), _mm512_castps512_ps256(side));
    const __m256 negCol = col.sign, negRow = row.sign;
    const __m256 left = _mm256_blendv_ps(sumCol, _mm256_sub_ps(all, sumCol), negCol);
    const __m256 lower = _mm256_blendv_ps(sumRow, _mm256_sub_ps(all, sumRow), negRow);
    const __m256 colPositive = _mm256_blendv_ps(less, _mm256_sub_ps(sumCol, less), negRow);
    const __m256 colNegative =
        _mm256_blendv_ps(_mm256_sub_ps(sumRow, less),
                         _mm256_add_ps(_mm256_sub_ps(_mm256_sub_ps(all, sumCol), sumRow), less), negRow);
    const __m256 both = _mm256_blendv_ps(colPositive, colNegative, negCol);
    const __m256i nLeft = _mm256_cvtps_epi32(left), nLower = _mm256_cvtps_epi32(lower);
    const __m256i nBoth = _mm256_cvtps_epi32(both);
    alignas(32) std::int32_t at[16], w[32];
    _mm256_store_si256(reinterpret_cast<__m256i*>(w), nBoth);
    _mm256_store_si256(reinterpret_cast<__m256i*>(w + 8), _mm256_sub_epi32(nLower, nBoth));
    _mm256_store_si256(reinterpret_cast<__m256i*>(w + 16), _mm256_sub_epi32(nLeft, nBoth));
    _mm256_store_si256(
        reinterpret_cast<__m256i*>(w + 24),
        _mm256_add_epi32(_mm256_sub_epi32(_mm256_set1_epi32(r.n), _mm256_add_epi32(nLeft, nLower)), nBoth));
    // The lower left texels, as WeighFourTexelsEight takes them.
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm512_cvttpd_epi32(_mm512_add_pd(e.baseCol, e.lowCol)));
    _mm256_store_si256(reinterpret_cast<__m256i*>(at + 8), _mm512_cvttpd_epi32(_mm512_add_pd(e.baseRow, e.lowRow)));
    if (!weighed_eights::Weigh(r, at, at + 8, w, lanes, weighed)) {
        const auto* words = reinterpret_cast<const __m256i*>(w);
        const __m256i weights[4] = {words[0], words[1], words[2], words[3]};
        const auto* texels = reinterpret_cast<const __m256i*>(at);
        linear_steps::GatherFourTexelsEight(r, texels[0], texels[1], weights, weighed);
    }
    const int nearBits = (near | near >> 8) & 0xFF;
    if (nearBits != 0) {
        _mm256_store_ps(kept.colLo, col.lo);
        _mm256_store_ps(kept.colHi, col.hi);
        _mm256_store_ps(kept.colStep, col.step);
        _mm256_store_ps(kept.colSign, col.sign);
        _mm256_store_ps(kept.rowLo, row.lo);
        _mm256_store_ps(kept.rowHi, row.hi);
        _mm256_store_ps(kept.rowStep, row.step);
        _mm256_store_ps(kept.rowSign, row.sign);
    }
    return nearBits;
}

} // namespace

int counted_eights::MapAndCount(const linear_steps::SCentreMapping& m, const linear_steps::SStepSamples& r, int x8,
                                int valid, double rowA, double rowB, double rowC, SCentres* c, int* bits,
                                std::uint32_t* weighed, linear_steps::SKeptRows& kept, int& nearEdge) noexcept
{
    const SEight e = MapEight(m, x8, rowA, rowB, rowC);
    const int four = e.inside & e.fourTexels & valid;
    const int counted = __builtin_popcount(static_cast<unsigned>(four & ~e.oneTexel)) >= 3 ? four : 0;
    nearEdge = 0;
    // Stored before counting where a pixel is sampled another way whatever
    // the count (one not counted, or one past the run's end), so that the
    // centres need not be kept across it; else only where a counted pixel
    // lies near an edge (or the eight is not counted by rows).
    const bool needed = valid != 0xFF || (valid & ~counted) != 0;
    if (needed) StoreEight(e, c, bits);
    if (counted == 0) return 0;
    nearEdge = r.grid->side >= 2 ? CountEight(r, e, counted, weighed, kept) : -1;
    if (!needed && nearEdge != 0) StoreEight(e, c, bits);
    return counted;
}

int counted_eights::CountNear(const linear_steps::SStepSamples& r, const linear_steps::SKeptRows& kept, int p,
                              int* counts, int* which) noexcept
{
    const int n = r.grid->side;
    const __m512 side = _mm512_set1_ps(static_cast<float>(n));
    const __m512 j = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const auto rows = static_cast<__mmask16>((1u << n) - 1);
    // Per row: samples [0, shortEnd) short of lo_j, [pastStart, side) at or past hi_j.
    const __m512i colShort = RowEnds(j, kept.colStep[p], kept.colLo[p], side);
    const __m512i colPast = RowEnds(j, kept.colStep[p], kept.colHi[p], side);
    const __m512i rowShort = RowEnds(j, kept.rowStep[p], kept.rowLo[p], side);
    const __m512i rowPast = RowEnds(j, kept.rowStep[p], kept.rowHi[p], side);
    const bool colNegative = std::signbit(kept.colSign[p]), rowNegative = std::signbit(kept.rowSign[p]);
    const __m512i none = _mm512_setzero_si512(), all = _mm512_set1_epi32(n);
    // Left of the column edge and right of it; below the row edge and above.
    const __m512i l0 = colNegative ? colPast : none, l1 = colNegative ? all : colShort;
    const __m512i r0 = colNegative ? none : colPast, r1 = colNegative ? colShort : all;
    const __m512i d0 = rowNegative ? rowPast : none, d1 = rowNegative ? all : rowShort;
    const __m512i u0 = rowNegative ? none : rowPast, u1 = rowNegative ? rowShort : all;
    counts[0] = _mm512_mask_reduce_add_epi32(rows, Overlap(l0, l1, d0, d1));
    counts[1] = _mm512_mask_reduce_add_epi32(rows, Overlap(r0, r1, d0, d1));
    counts[2] = _mm512_mask_reduce_add_epi32(rows, Overlap(l0, l1, u0, u1));
    counts[3] = _mm512_mask_reduce_add_epi32(rows, Overlap(r0, r1, u0, u1));
    // The samples between the ends of either edge, a bit each (i of row j).
    const __m512i one = _mm512_set1_epi32(1);
    const __m512i between = _mm512_maskz_or_epi32(
        rows, _mm512_sub_epi32(_mm512_sllv_epi32(one, colPast), _mm512_sllv_epi32(one, colShort)),
        _mm512_sub_epi32(_mm512_sllv_epi32(one, rowPast), _mm512_sllv_epi32(one, rowShort)));
    if (_mm512_test_epi32_mask(between, between) == 0) return 0;
    alignas(64) std::uint32_t bits[16];
    _mm512_store_si512(bits, between);
    int uncertain = 0;
    for (int row = 0; row < n; ++row)
        for (std::uint32_t b = bits[row]; b != 0; b &= b - 1) which[uncertain++] = n * row + __builtin_ctz(b);
    return uncertain;
}
VT_TARGET_END
VT_UNDEFINED_START_END

#else
void counted_eights::SetEnabled(bool) noexcept {}

int counted_eights::CountNear(const linear_steps::SStepSamples&, const linear_steps::SKeptRows&, int, int*,
                              int*) noexcept
{
    return 0;
}

bool counted_eights::Available() noexcept
{
    return false;
}

int counted_eights::MapAndCount(const linear_steps::SCentreMapping&, const linear_steps::SStepSamples&, int, int,
                                double, double, double, linear_steps::SCentres*, int*, std::uint32_t*,
                                linear_steps::SKeptRows&, int& nearEdge) noexcept
{
    nearEdge = 0;
    return 0;
}
#endif
