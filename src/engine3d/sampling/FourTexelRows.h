#pragma once
// The pixels of CFaceRunSampler::SampleRunLinear whose samples reach two by
// two texels, counted eight at a time a sample row at a time and weighed
// together (FaceRunSamplerWide.cpp, its one includer), compiled for AVX2 and
// FMA: the callers check for both. See LinearSteps.h for the bound.

#include "engine3d/sampling/LinearSteps.h"
#include "engine3d/sampling/WeighedEights.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

VT_TARGET_BEGIN("avx2,fma")
namespace linear_steps {

#define VT_STEP inline __attribute__((always_inline))

// WeighFourTexels for the eight pixels of c0 and c1 at once: weights[k]
// holds each pixel's count for its texel k (lower left, lower right, upper
// left, upper right), the four texels picked out of the rows by byte
// permutes where the processor has them (WeighedEights.h), else read by
// gathers of four bytes (TexelWords). Only the pixels of `lanes` are sure to
// be summed. The sums go into 32 words (`out`, any alignment): blue, green,
// red and count of pixel p in words 4p .. 4p + 3, the layout of eight
// CPixelSamples, so a whole eight's go straight into its run.
// Eight pixels' sums where they do not go into the run, left unset until written.
struct SWeighedEight {
    alignas(32) std::uint32_t words[32];

    VT_STEP CPixelSamples Pixel(int p) const
    {
        const std::uint32_t* w = words + 4 * p;
        return CPixelSamples{{w[0], w[1], w[2]}, static_cast<int>(w[3])};
    }
};

VT_STEP void GatherFourTexelsEight(const SStepSamples& r, __m256i col, __m256i row, const __m256i* weights,
                                   std::uint32_t* out);

VT_STEP void WeighFourTexelsEight(const SStepSamples& r, const SCentres& c0, const SCentres& c1,
                                  const __m256i* weights, int lanes, std::uint32_t* out)
{
    const auto texel = [](const double* base, const double* low) {
        return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_load_pd(base), _mm256_load_pd(low)));
    };
    const __m256i col = _mm256_set_m128i(texel(c1.baseCol, c1.lowCol), texel(c0.baseCol, c0.lowCol));
    const __m256i row = _mm256_set_m128i(texel(c1.baseRow, c1.lowRow), texel(c0.baseRow, c0.lowRow));
    if (r.permutes) {
        alignas(32) std::int32_t at[16], w[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), col);
        _mm256_store_si256(reinterpret_cast<__m256i*>(at + 8), row);
        for (int k = 0; k < 4; ++k) _mm256_store_si256(reinterpret_cast<__m256i*>(w + 8 * k), weights[k]);
        if (weighed_eights::Weigh(r, at, at + 8, w, lanes, out)) return;
    }
    GatherFourTexelsEight(r, col, row, weights, out);
}

// WeighFourTexelsEight by gathers of four bytes, from the eight pixels'
// lower left texels (col, row).
VT_STEP void GatherFourTexelsEight(const SStepSamples& r, __m256i col, __m256i row, const __m256i* weights,
                                   std::uint32_t* out)
{
    const __m256i zero = _mm256_setzero_si256(), one = _mm256_set1_epi32(1);
    const __m256i lastCol = _mm256_set1_epi32(r.lastCol), lastRow = _mm256_set1_epi32(r.lastRow);
    const auto clamp = [zero](__m256i v, __m256i hi) { return _mm256_min_epi32(_mm256_max_epi32(v, zero), hi); };
    const __m256i col0 = clamp(col, lastCol), col1 = clamp(_mm256_add_epi32(col, one), lastCol);
    const __m256i row0 = _mm256_mullo_epi32(clamp(row, lastRow), r.strideV);
    const __m256i row1 = _mm256_mullo_epi32(clamp(_mm256_add_epi32(row, one), lastRow), r.strideV);
    const __m256i x0 = _mm256_add_epi32(col0, _mm256_add_epi32(col0, col0));
    const __m256i x1 = _mm256_add_epi32(col1, _mm256_add_epi32(col1, col1));
    const __m256i words[4] = {TexelWords(r, _mm256_add_epi32(row0, x0)), TexelWords(r, _mm256_add_epi32(row0, x1)),
                              TexelWords(r, _mm256_add_epi32(row1, x0)), TexelWords(r, _mm256_add_epi32(row1, x1))};
    const __m256i byte = _mm256_set1_epi32(0xFF);
    __m256i sum[3] = {zero, zero, zero};
    for (int k = 0; k < 4; ++k)
        for (int ch = 0; ch < 3; ++ch)
            sum[ch] = _mm256_add_epi32(
                sum[ch], _mm256_mullo_epi32(weights[k], _mm256_and_si256(_mm256_srli_epi32(words[k], 8 * ch), byte)));
    const __m256i count = _mm256_add_epi32(_mm256_add_epi32(weights[0], weights[1]), _mm256_add_epi32(weights[2], weights[3]));
    // Blue, green, red, count of each pixel side by side.
    const __m256i bg0 = _mm256_unpacklo_epi32(sum[0], sum[1]), rc0 = _mm256_unpacklo_epi32(sum[2], count);
    const __m256i bg1 = _mm256_unpackhi_epi32(sum[0], sum[1]), rc1 = _mm256_unpackhi_epi32(sum[2], count);
    const __m256i p0 = _mm256_unpacklo_epi64(bg0, rc0), p1 = _mm256_unpackhi_epi64(bg0, rc0);
    const __m256i p2 = _mm256_unpacklo_epi64(bg1, rc1), p3 = _mm256_unpackhi_epi64(bg1, rc1);
    auto* dst = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(dst, _mm256_permute2x128_si256(p0, p1, 0x20));
    _mm256_storeu_si256(dst + 1, _mm256_permute2x128_si256(p2, p3, 0x20));
    _mm256_storeu_si256(dst + 2, _mm256_permute2x128_si256(p0, p1, 0x31));
    _mm256_storeu_si256(dst + 3, _mm256_permute2x128_si256(p2, p3, 0x31));
}

// Counting by sample rows. For one edge (the column edge, or the row edge)
// a sample (i, j) of the side x side grid lies at Z - edge = G i - N_j from
// it, with G = g_x stepX, K = g_y stepY and N_j = edge - f - g_x firstX -
// g_y firstY - K j (g the pixel's texel steps, f its centre): along a sample
// row the samples short of the edge are those with G i < N_j, the i below
// (N_j / G) or above it when G is negative. A row holds a sample within the
// bound b of the edge when an i of the grid lies in [lo_j, hi_j), the ends
// (N_j -+ b) / G in order; the i short of both ends are ceil(lo_j) clamped
// to 0 .. side, the same number for hi_j when no sample lies between them.
//
// Why this picks what the one-sample count picks: lo_j and hi_j are
// lo_0 + j D and hi_0 + j D with D = -K / G, worked out in double precision
// per pixel and then rounded to single precision, the step fused: three
// roundings, which move G lo_j by at most 2^-24 (|N_0 -+ b| + |K j| +
// |N_j -+ b|). The samples reach less than a texel either way from the
// centre (they reach two texels at most), so |f - edge| < 1 and |g_x firstX|
// + |g_y firstY| + |K j| stays under 3 reach |g| < 3: the rounding is under
// 2^-24 * 12 texels, within the allowance the bound keeps for single
// precision (twice 6 roundings of 3 + reach |g|). So a sample outside
// [lo_j, hi_j) lies farther than the bound less that allowance from the
// edge by the steps' exact arithmetic, and farther than the reference's
// error from it, on the side the reference puts it. 1 / G is kept within
// 2^100 (a G of 0 or nearly, an edge along the sample rows): a smaller
// quotient with G's sign keeps lo_j and hi_j on their side of every i of
// the grid up to 9 * 2^-100 texels, far inside the same margin.
struct SEdgeRows {
    __m256 lo, hi, step; // lo_0, hi_0 and D, a pixel to a lane
    __m256 negative;     // sign bit: G is negative
};

// The thresholds of four pixels for one edge: centre f, steps per pixel gx,
// gy, the edge, the bound.
VT_STEP void EdgeRowsFour(const SGridRows& grid, const double* f, const double* gx, const double* gy,
                          const double* edge, double bound, __m128& lo, __m128& hi, __m128& step, __m128& sign)
{
    const __m256d signBit = _mm256_set1_pd(-0.0);
    const __m256d px = _mm256_load_pd(gx), py = _mm256_load_pd(gy);
    const __m256d g = _mm256_mul_pd(px, _mm256_set1_pd(grid.stepX));
    const __m256d k = _mm256_mul_pd(py, _mm256_set1_pd(grid.stepY));
    // N_0 = edge - f - gx firstX - gy firstY.
    const __m256d n0 = _mm256_fnmadd_pd(py, _mm256_set1_pd(grid.firstY),
                                        _mm256_fnmadd_pd(px, _mm256_set1_pd(grid.firstX),
                                                         _mm256_sub_pd(_mm256_load_pd(edge), _mm256_load_pd(f))));
    const __m256d inv = _mm256_or_pd(
        _mm256_min_pd(_mm256_andnot_pd(signBit, _mm256_div_pd(_mm256_set1_pd(1.0), g)), _mm256_set1_pd(0x1p100)),
        _mm256_and_pd(signBit, g));
    const __m256d b = _mm256_set1_pd(bound);
    const __m256d x0 = _mm256_mul_pd(_mm256_sub_pd(n0, b), inv), x1 = _mm256_mul_pd(_mm256_add_pd(n0, b), inv);
    lo = _mm256_cvtpd_ps(_mm256_min_pd(x0, x1));
    hi = _mm256_cvtpd_ps(_mm256_max_pd(x0, x1));
    step = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_xor_pd(k, signBit), inv));
    sign = _mm256_cvtpd_ps(inv);
}

VT_STEP SEdgeRows EdgeRowsEight(const SGridRows& grid, const SCentres& c0, const SCentres& c1, bool col,
                                double bound)
{
    __m128 lo[2], hi[2], step[2], sign[2];
    const SCentres* c[2] = {&c0, &c1};
    for (int h = 0; h < 2; ++h)
        EdgeRowsFour(grid, col ? c[h]->fc : c[h]->fr, col ? c[h]->gx : c[h]->hx, col ? c[h]->gy : c[h]->hy,
                     col ? c[h]->colEdge : c[h]->rowEdge, bound, lo[h], hi[h], step[h], sign[h]);
    SEdgeRows e;
    e.lo = _mm256_set_m128(lo[1], lo[0]);
    e.hi = _mm256_set_m128(hi[1], hi[0]);
    e.step = _mm256_set_m128(step[1], step[0]);
    e.negative = _mm256_set_m128(sign[1], sign[0]);
    return e;
}

// One row of one edge: the samples short of both ends (ceil(lo_j) clamped),
// and whether a sample lies in [lo_j, hi_j).
VT_STEP __m256 RowCount(const SEdgeRows& e, __m256 j, __m256 side, __m256& near)
{
    const __m256 lo = _mm256_fmadd_ps(j, e.step, e.lo), hi = _mm256_fmadd_ps(j, e.step, e.hi);
    const __m256 c = _mm256_min_ps(_mm256_max_ps(_mm256_ceil_ps(lo), _mm256_setzero_ps()), side);
    near = _mm256_or_ps(near, _mm256_cmp_ps(c, _mm256_min_ps(hi, side), _CMP_LT_OQ));
    return c;
}

// The samples of eight pixels (those of c0, then c1) that reach at most two
// by two texels (bit p of `lanes` for pixel p; the others' sums are
// undefined), counted on each texel's side of the two edges between them
// a sample row at a time (above), their texels weighed by the counts into
// `weighed` (WeighFourTexelsEight). Returns bit p set when a
// sample of pixel p may lie within the bound of either edge (every bit
// when the samples are not a grid of equal steps).
// Where a pixel's bit is set, its thresholds go into `kept` for
// CountNearEdges.
struct SKeptRows {
    alignas(32) float colLo[8], colHi[8], colStep[8], colSign[8];
    alignas(32) float rowLo[8], rowHi[8], rowStep[8], rowSign[8];
};

VT_STEP int CountFourTexelsEight(const SStepSamples& r, const SCentres& c0, const SCentres& c1, int lanes,
                                 std::uint32_t* weighed, SKeptRows& kept)
{
    const SGridRows& grid = *r.grid;
    if (grid.side < 2) return 0xFF;
    const SEdgeRows col = EdgeRowsEight(grid, c0, c1, true, r.errCol);
    const SEdgeRows row = EdgeRowsEight(grid, c0, c1, false, r.errRow);
    const __m256 side = _mm256_set1_ps(static_cast<float>(grid.side));
    // Per row: the samples short of the column edge, of the row edge, and
    // the lesser of the two.
    __m256 sumCol = _mm256_setzero_ps(), sumRow = sumCol, sumLess = sumCol, near = sumCol;
    for (int j = 0; j < grid.side; ++j) {
        const __m256 jv = _mm256_set1_ps(static_cast<float>(j));
        const __m256 cc = RowCount(col, jv, side, near), cr = RowCount(row, jv, side, near);
        sumCol = _mm256_add_ps(sumCol, cc);
        sumRow = _mm256_add_ps(sumRow, cr);
        sumLess = _mm256_add_ps(sumLess, _mm256_min_ps(cc, cr));
    }
    // A negative G counts the samples past the edge instead: left of the
    // column edge then are all less those, and the lower left ones follow
    // from the four cases of which side each count starts from.
    const __m256 all = _mm256_mul_ps(side, side);
    const __m256 negCol = col.negative, negRow = row.negative;
    const __m256 left = _mm256_blendv_ps(sumCol, _mm256_sub_ps(all, sumCol), negCol);
    const __m256 lower = _mm256_blendv_ps(sumRow, _mm256_sub_ps(all, sumRow), negRow);
    const __m256 colPositive = _mm256_blendv_ps(sumLess, _mm256_sub_ps(sumCol, sumLess), negRow);
    const __m256 colNegative =
        _mm256_blendv_ps(_mm256_sub_ps(sumRow, sumLess),
                         _mm256_add_ps(_mm256_sub_ps(_mm256_sub_ps(all, sumCol), sumRow), sumLess), negRow);
    const __m256 both = _mm256_blendv_ps(colPositive, colNegative, negCol);
    const __m256i nLeft = _mm256_cvtps_epi32(left), nLower = _mm256_cvtps_epi32(lower);
    const __m256i nBoth = _mm256_cvtps_epi32(both);
    const __m256i weights[4] = {
        nBoth, _mm256_sub_epi32(nLower, nBoth), _mm256_sub_epi32(nLeft, nBoth),
        _mm256_add_epi32(_mm256_sub_epi32(_mm256_set1_epi32(r.n), _mm256_add_epi32(nLeft, nLower)), nBoth)};
    WeighFourTexelsEight(r, c0, c1, weights, lanes, weighed);
    const int nearBits = _mm256_movemask_ps(near);
    if (nearBits != 0) {
        _mm256_store_ps(kept.colLo, col.lo);
        _mm256_store_ps(kept.colHi, col.hi);
        _mm256_store_ps(kept.colStep, col.step);
        _mm256_store_ps(kept.colSign, col.negative);
        _mm256_store_ps(kept.rowLo, row.lo);
        _mm256_store_ps(kept.rowHi, row.hi);
        _mm256_store_ps(kept.rowStep, row.step);
        _mm256_store_ps(kept.rowSign, row.negative);
    }
    return nearBits;
}

// Pixel p of CountFourTexelsEight's eight whose bit it set, counted one
// sample row at a time by the same operations: in each row the samples short
// of lo_j and those at or past hi_j of both edges are certain and counted
// into counts (as CountFourTexelsEight's); the others, those in [lo_j, hi_j)
// of either edge, go into which (sample side * j + i). Returns how many.
struct SRowSplit {
    int shortEnd, pastStart; // samples [0, shortEnd) short of lo_j, [pastStart, side) at or past hi_j
};

VT_STEP SRowSplit SplitRow(float j, float step, float lo, float hi, float side)
{
    const auto clampCeil = [side](float z) { return std::min(std::max(std::ceil(z), 0.0f), side); };
    return {static_cast<int>(clampCeil(std::fma(j, step, lo))), static_cast<int>(clampCeil(std::fma(j, step, hi)))};
}

VT_STEP int CountNearEdges(const SStepSamples& r, const SKeptRows& kept, int p, int* counts, int* which)
{
    const int n = r.grid->side;
    const auto side = static_cast<float>(n);
    const bool colNegative = std::signbit(kept.colSign[p]), rowNegative = std::signbit(kept.rowSign[p]);
    counts[0] = counts[1] = counts[2] = counts[3] = 0;
    int uncertain = 0;
    const auto overlap = [](int lo0, int hi0, int lo1, int hi1) {
        return std::max(std::min(hi0, hi1) - std::max(lo0, lo1), 0);
    };
    for (int j = 0; j < n; ++j) {
        const auto jf = static_cast<float>(j);
        const SRowSplit c = SplitRow(jf, kept.colStep[p], kept.colLo[p], kept.colHi[p], side);
        const SRowSplit w = SplitRow(jf, kept.rowStep[p], kept.rowLo[p], kept.rowHi[p], side);
        // Left of the column edge and right of it; below the row edge and above.
        const int l0 = colNegative ? c.pastStart : 0, l1 = colNegative ? n : c.shortEnd;
        const int r0 = colNegative ? 0 : c.pastStart, r1 = colNegative ? c.shortEnd : n;
        const int d0 = rowNegative ? w.pastStart : 0, d1 = rowNegative ? n : w.shortEnd;
        const int u0 = rowNegative ? 0 : w.pastStart, u1 = rowNegative ? w.shortEnd : n;
        counts[0] += overlap(l0, l1, d0, d1);
        counts[1] += overlap(r0, r1, d0, d1);
        counts[2] += overlap(l0, l1, u0, u1);
        counts[3] += overlap(r0, r1, u0, u1);
        for (int i = c.shortEnd; i < c.pastStart; ++i) which[uncertain++] = n * j + i;
        for (int i = w.shortEnd; i < w.pastStart; ++i)
            if (i < c.shortEnd || i >= c.pastStart) which[uncertain++] = n * j + i;
    }
    return uncertain;
}

#undef VT_STEP

} // namespace linear_steps
VT_TARGET_END
#endif
