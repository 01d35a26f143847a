#pragma once
// The pieces of CFaceRunSampler::SampleRunLinear (FaceRunSamplerWide.cpp and
// ProjectedSums.cpp, their includers), compiled for AVX2 and FMA: the callers
// check for both.
//
// Linear steps.
//
// Near a pixel centre p the mapping is nearly linear: with t = c.d / C(p) and
// beta = b.d / C(p) for a sample offset d, u(p + d) = u(p) + grad u . d + R
// where R = t (t u(p) - beta) / (1 + t), tiny because a sample lies under half
// a pixel from the centre while C changes little over a pixel. So a pixel
// needs one division for its centre and its gradient; each sample's column
// and row, in texels (Z = (width - 1) u + 0.5), is then the centre's plus two
// products, computed in single precision relative to the centre's texel.
// The texel chosen is floor(Z). The exact mapping's Z (SampleRunReference's)
// and this one differ by at most the error bound: the reference's own
// rounding, this one's, R and the single-precision steps (worked out per face
// in SetLinearSteps, then doubled). A pixel is sampled this way only when
// every sample is inside the face by more than the bound and no sample's Z
// lies within the bound of a texel edge; then both ways pick the same texels
// and the same samples count. A pixel across the face's outline or a texel
// edge is taken sample by sample: the samples farther than the bound from
// both count (or not) and read their texels by the steps, and only the others
// are mapped exactly. A pixel whose samples reach beyond a picture's size
// around it (where the bound does not hold) is mapped exactly.
//
// Where every sample of a pixel counts and, with twice the bound, all reach
// one texel, that texel is read once for all. Where they reach two by two
// texels, eight pixels are counted at once, a pixel to a lane, a sample row
// at a time from where each texel edge crosses the row
// (CountFourTexelsEight, FourTexelRows.h). Where they reach more, each sample is placed by
// projective steps, which divide per sample and so need a bound of
// roundings only (MapProjectedOffsets).

#include "engine3d/sampling/FaceRunSampler.h"
#include "engine3d/sampling/TargetRegion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

VT_TARGET_BEGIN("avx2,fma")
namespace linear_steps {

#define VT_STEP inline __attribute__((always_inline))

// The numerators' coefficients and the bounds, as vectors, for mapping four
// pixel centres at a time in double precision.
struct SCentreMapping {
    __m256d ax, bx, cx, ay, by, cy;
    __m256d texW, texH, negTexH; // picture width - 1, height - 1, -(height - 1)
    __m256d reach;               // how far a sample lies from its pixel's centre at most
    __m256d errCol, errRow;      // error bounds in texels
    __m128i stride;              // bytes per picture row
};

// Four pixel centres: where each lies in texels relative to its texel (fc,
// fr), that texel (baseCol, baseRow), its texel steps per pixel (columns gx,
// gy; rows hx, hy) and how far its samples reach with twice the bound.
struct SCentres {
    alignas(32) double fc[4], fr[4], reachCol[4], reachRow[4];
    alignas(32) double gx[4], gy[4], hx[4], hy[4], baseCol[4], baseRow[4];
    alignas(32) double inv[4]; // 1 / C at the centre
    // The lower of the texels the samples reach with twice the bound, from
    // the centre's (lowCol, lowRow), and the edges above them.
    alignas(32) double lowCol[4], lowRow[4], colEdge[4], rowEdge[4];
    // The byte offset of the one texel all samples of the pixel read, where
    // they read one.
    alignas(16) std::int32_t oneTexel[4];
};

// What the samples of every pixel of a run share: their offsets from the
// centre in pixels, the picture and the error bounds.
struct SStepSamples {
    const float* dx;
    const float* dy;
    int padded8; // samples padded to a multiple of eight
    int n;       // samples
    int side;    // the samples are side x side, sample j * side + i at (dx[i], dy[j * side])
    const std::uint8_t* bits;
    std::int32_t stride; // bytes per picture row
    std::int32_t lastCol, lastRow;
    std::int32_t lastTexel; // the byte offset of the picture's last texel
    __m256i strideV;
    __m256 signBit, halfF;
    __m256 colBound, rowBound; // the error bounds
    __m256 colLimit, rowLimit; // 0.5 less the bounds
    __m256 colLimitP, rowLimitP; // 0.5 less the bounds of projective steps
    const SGridRows* grid;     // the samples as a grid (side 0: they are not)
    double errCol, errRow;     // the bounds in double precision
    bool permutes;             // weighed_eights::Weigh may be used
};

// One pixel's centre (fc, fr) and texel steps per pixel, in single precision.
struct SPixelSteps {
    __m256 fCol, fRow, gx, gy, hx, hy;
};

// Maps the centres of pixels x4 .. x4 + 3 into `c`. Returns bit j set when
// every sample of pixel x4 + j is inside the face by more than the bound:
// 0 <= Z - 0.5 < width - 1 over the samples' reach; and bit 4 + j when every
// sample lies within a picture's size of it (-1 <= u, v <= 2, where the bound
// holds); bit 8 + j when the samples with twice the bound reach one texel,
// whose offset goes into c.oneTexel, and bit 12 + j when they reach at most
// two by two.
VT_STEP int MapCentres(const SCentreMapping& m, int x4, double rowA, double rowB, double rowC, SCentres& c)
{
    const __m256d half = _mm256_set1_pd(0.5), one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    const __m256d absMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
    const __m256d X = _mm256_add_pd(_mm256_set1_pd(static_cast<double>(x4)), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
    const __m256d pA = _mm256_fmadd_pd(m.ax, X, _mm256_set1_pd(rowA));
    const __m256d pB = _mm256_fmadd_pd(m.bx, X, _mm256_set1_pd(rowB));
    const __m256d pC = _mm256_fmadd_pd(m.cx, X, _mm256_set1_pd(rowC));
    const __m256d inv = _mm256_div_pd(one, pC);
    const __m256d u = _mm256_mul_pd(pB, inv), a = _mm256_mul_pd(pA, inv);
    const __m256d zCol = _mm256_fmadd_pd(m.texW, u, half);
    const __m256d zRow = _mm256_fmadd_pd(m.texH, _mm256_sub_pd(one, a), half);
    const __m256d tw = _mm256_mul_pd(m.texW, inv), th = _mm256_mul_pd(m.negTexH, inv);
    const __m256d gx = _mm256_mul_pd(tw, _mm256_fnmadd_pd(u, m.cx, m.bx));
    const __m256d gy = _mm256_mul_pd(tw, _mm256_fnmadd_pd(u, m.cy, m.by));
    const __m256d hx = _mm256_mul_pd(th, _mm256_fnmadd_pd(a, m.cx, m.ax));
    const __m256d hy = _mm256_mul_pd(th, _mm256_fnmadd_pd(a, m.cy, m.ay));
    const __m256d spanCol =
        _mm256_fmadd_pd(m.reach, _mm256_add_pd(_mm256_and_pd(gx, absMask), _mm256_and_pd(gy, absMask)), m.errCol);
    const __m256d spanRow =
        _mm256_fmadd_pd(m.reach, _mm256_add_pd(_mm256_and_pd(hx, absMask), _mm256_and_pd(hy, absMask)), m.errRow);
    const __m256d colOff = _mm256_sub_pd(zCol, half), rowOff = _mm256_sub_pd(zRow, half);
    const __m256d inside =
        _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(_mm256_sub_pd(colOff, spanCol), zero, _CMP_GT_OQ),
                                    _mm256_cmp_pd(_mm256_add_pd(colOff, spanCol), m.texW, _CMP_LT_OQ)),
                      _mm256_and_pd(_mm256_cmp_pd(_mm256_sub_pd(rowOff, spanRow), zero, _CMP_GT_OQ),
                                    _mm256_cmp_pd(_mm256_add_pd(rowOff, spanRow), m.texH, _CMP_LT_OQ)));
    const __m256d lowW = _mm256_sub_pd(zero, m.texW), lowH = _mm256_sub_pd(zero, m.texH);
    const __m256d highW = _mm256_add_pd(m.texW, m.texW), highH = _mm256_add_pd(m.texH, m.texH);
    const __m256d near =
        _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(_mm256_sub_pd(colOff, spanCol), lowW, _CMP_GT_OQ),
                                    _mm256_cmp_pd(_mm256_add_pd(colOff, spanCol), highW, _CMP_LT_OQ)),
                      _mm256_and_pd(_mm256_cmp_pd(_mm256_sub_pd(rowOff, spanRow), lowH, _CMP_GT_OQ),
                                    _mm256_cmp_pd(_mm256_add_pd(rowOff, spanRow), highH, _CMP_LT_OQ)));
    const __m256d baseCol = _mm256_floor_pd(zCol), baseRow = _mm256_floor_pd(zRow);
    _mm256_store_pd(c.fc, _mm256_sub_pd(zCol, baseCol));
    _mm256_store_pd(c.fr, _mm256_sub_pd(zRow, baseRow));
    _mm256_store_pd(c.reachCol, _mm256_add_pd(spanCol, m.errCol));
    _mm256_store_pd(c.reachRow, _mm256_add_pd(spanRow, m.errRow));
    _mm256_store_pd(c.gx, gx);
    _mm256_store_pd(c.gy, gy);
    _mm256_store_pd(c.hx, hx);
    _mm256_store_pd(c.hy, hy);
    _mm256_store_pd(c.inv, inv);
    _mm256_store_pd(c.baseCol, baseCol);
    _mm256_store_pd(c.baseRow, baseRow);
    // As SStepPixel works them out, four at once.
    const __m256d fc = _mm256_sub_pd(zCol, baseCol), fr = _mm256_sub_pd(zRow, baseRow);
    const __m256d reachCol = _mm256_add_pd(spanCol, m.errCol), reachRow = _mm256_add_pd(spanRow, m.errRow);
    const __m256d lowCol = _mm256_floor_pd(_mm256_sub_pd(fc, reachCol));
    const __m256d lowRow = _mm256_floor_pd(_mm256_sub_pd(fr, reachRow));
    const __m256d wideCol = _mm256_sub_pd(_mm256_floor_pd(_mm256_add_pd(fc, reachCol)), lowCol);
    const __m256d wideRow = _mm256_sub_pd(_mm256_floor_pd(_mm256_add_pd(fr, reachRow)), lowRow);
    const __m256d oneTexel =
        _mm256_and_pd(_mm256_cmp_pd(wideCol, zero, _CMP_EQ_OQ), _mm256_cmp_pd(wideRow, zero, _CMP_EQ_OQ));
    const __m256d fourTexels =
        _mm256_and_pd(_mm256_cmp_pd(wideCol, one, _CMP_LE_OQ), _mm256_cmp_pd(wideRow, one, _CMP_LE_OQ));
    _mm256_store_pd(c.lowCol, lowCol);
    _mm256_store_pd(c.lowRow, lowRow);
    _mm256_store_pd(c.colEdge, _mm256_add_pd(lowCol, one));
    _mm256_store_pd(c.rowEdge, _mm256_add_pd(lowRow, one));
    // Only read where bit 8 + j is set (then inside the picture); wraps harmlessly elsewhere.
    const __m128i col = _mm256_cvttpd_epi32(_mm256_add_pd(baseCol, lowCol));
    const __m128i row = _mm256_cvttpd_epi32(_mm256_add_pd(baseRow, lowRow));
    _mm_store_si128(reinterpret_cast<__m128i*>(c.oneTexel),
                    _mm_add_epi32(_mm_mullo_epi32(row, m.stride), _mm_add_epi32(col, _mm_add_epi32(col, col))));
    return _mm256_movemask_pd(inside) | _mm256_movemask_pd(near) << 4 | _mm256_movemask_pd(oneTexel) << 8 |
           _mm256_movemask_pd(fourTexels) << 12;
}

// The texels left .. left + 1, lower .. lower + 1 weighed by the counts of
// samples on them (lower left, lower right, upper left, upper right) into
// `out`. A texel no sample reads may lie outside the picture: it is read
// clamped to the picture (without a branch) and weighs 0.
VT_STEP void WeighFourTexels(const SStepSamples& r, const int* counts, std::int32_t left, std::int32_t lower,
                             CPixelSamples& out)
{
    const std::ptrdiff_t col0 = 3 * static_cast<std::ptrdiff_t>(std::clamp(left, 0, r.lastCol));
    const std::ptrdiff_t col1 = 3 * static_cast<std::ptrdiff_t>(std::clamp(left + 1, 0, r.lastCol));
    const std::uint8_t* lowerRow = r.bits + static_cast<std::ptrdiff_t>(std::clamp(lower, 0, r.lastRow)) * r.stride;
    const std::uint8_t* upperRow =
        r.bits + static_cast<std::ptrdiff_t>(std::clamp(lower + 1, 0, r.lastRow)) * r.stride;
    // Written out, so that the four texels' addresses stay in registers.
    const std::uint8_t *t0 = lowerRow + col0, *t1 = lowerRow + col1, *t2 = upperRow + col0, *t3 = upperRow + col1;
    const auto w0 = static_cast<std::uint32_t>(counts[0]), w1 = static_cast<std::uint32_t>(counts[1]);
    const auto w2 = static_cast<std::uint32_t>(counts[2]), w3 = static_cast<std::uint32_t>(counts[3]);
    const std::uint32_t sum0 = w0 * t0[0] + w1 * t1[0] + w2 * t2[0] + w3 * t3[0];
    const std::uint32_t sum1 = w0 * t0[1] + w1 * t1[1] + w2 * t2[1] + w3 * t3[1];
    const std::uint32_t sum2 = w0 * t0[2] + w1 * t1[2] + w2 * t2[2] + w3 * t3[2];
    out = CPixelSamples{{sum0, sum1, sum2}, counts[0] + counts[1] + counts[2] + counts[3]};
}

// The texels the samples can reach span at most two by two (columns lowCol,
// lowCol + 1; rows lowRow, lowRow + 1, relative to the centre's texel
// col0, row0): each sample only says on which side of the one column edge
// and the one row edge between them it lies (the outer edges are farther
// than the bound), and each texel weighs the samples on its side. False when
// a sample lies within the bound of either edge.
VT_STEP bool SumFourTexels(const SStepSamples& r, const SPixelSteps& p, double lowCol, double lowRow,
                           std::int32_t col0, std::int32_t row0, CPixelSamples& out)
{
    __m256 nearEdge = _mm256_setzero_ps();
    const __m256 colEdge = _mm256_set1_ps(static_cast<float>(lowCol + 1.0));
    const __m256 rowEdge = _mm256_set1_ps(static_cast<float>(lowRow + 1.0));
    // Samples on each texel's side of the two edges: lower left, lower right, upper left, upper right.
    int counts[4] = {0, 0, 0, 0};
    const int n = r.n;
    for (int s = 0; s < r.padded8; s += 8) {
        const __m256 dx = _mm256_load_ps(r.dx + s), dy = _mm256_load_ps(r.dy + s);
        const __m256 dc = _mm256_sub_ps(_mm256_fmadd_ps(p.gy, dy, _mm256_fmadd_ps(p.gx, dx, p.fCol)), colEdge);
        const __m256 dr = _mm256_sub_ps(_mm256_fmadd_ps(p.hy, dy, _mm256_fmadd_ps(p.hx, dx, p.fRow)), rowEdge);
        nearEdge = _mm256_or_ps(nearEdge,
                                _mm256_or_ps(_mm256_cmp_ps(_mm256_andnot_ps(r.signBit, dc), r.colBound, _CMP_LT_OQ),
                                             _mm256_cmp_ps(_mm256_andnot_ps(r.signBit, dr), r.rowBound, _CMP_LT_OQ)));
        // Bit k: sample s + k is one of the n (the others pad the last eight).
        const unsigned counted = n - s >= 8 ? 0xFFu : (1u << (n - s)) - 1u;
        // Sign clear: at or past the edge (a zero of either sign is near it).
        const unsigned right = ~static_cast<unsigned>(_mm256_movemask_ps(dc)) & counted;
        const unsigned upper = ~static_cast<unsigned>(_mm256_movemask_ps(dr)) & counted;
        counts[0] += __builtin_popcount(~right & ~upper & counted);
        counts[1] += __builtin_popcount(right & ~upper);
        counts[2] += __builtin_popcount(~right & upper);
        counts[3] += __builtin_popcount(right & upper);
    }
    if (!_mm256_testz_ps(nearEdge, nearEdge)) return false;
    WeighFourTexels(r, counts, col0 + static_cast<std::int32_t>(lowCol), row0 + static_cast<std::int32_t>(lowRow),
                    out);
    return true;
}

// Pixel j of `c` for linear steps. Map() takes it sample by sample: each
// sample's texel from the centre's plus its steps, and whether it lies on the
// face, where the steps are certain (the sample is farther than the bound
// from a texel edge and from the face's outline, or beyond the outline by
// more than the bound); the others are left to the exact mapping. The outline
// in texels relative to the centre's texel is at 0.5 - base and
// width - 1 + 0.5 - base (half-integers, exact in single precision for
// pictures under 2^20 texels).
struct SStepPixel {
    SPixelSteps p;
    __m256 loCol, hiCol, loRow, hiRow, negColBound, negRowBound;
    std::int32_t col0, row0;
    // The lower of the two texels the samples reach (with a margin of twice
    // the bound), when they reach at most two by two texels.
    double lowCol, lowRow;
    bool four; // they do

    VT_STEP SStepPixel(const SStepSamples& r, const SCentres& c, int j)
    {
        const double fc = c.fc[j], fr = c.fr[j];
        p.fCol = _mm256_set1_ps(static_cast<float>(fc));
        p.fRow = _mm256_set1_ps(static_cast<float>(fr));
        p.gx = _mm256_set1_ps(static_cast<float>(c.gx[j]));
        p.gy = _mm256_set1_ps(static_cast<float>(c.gy[j]));
        p.hx = _mm256_set1_ps(static_cast<float>(c.hx[j]));
        p.hy = _mm256_set1_ps(static_cast<float>(c.hy[j]));
        const double baseCol = c.baseCol[j], baseRow = c.baseRow[j];
        loCol = _mm256_set1_ps(static_cast<float>(0.5 - baseCol));
        hiCol = _mm256_set1_ps(static_cast<float>(r.lastCol + 0.5 - baseCol));
        loRow = _mm256_set1_ps(static_cast<float>(0.5 - baseRow));
        hiRow = _mm256_set1_ps(static_cast<float>(r.lastRow + 0.5 - baseRow));
        negColBound = _mm256_xor_ps(r.colBound, r.signBit);
        negRowBound = _mm256_xor_ps(r.rowBound, r.signBit);
        col0 = static_cast<std::int32_t>(baseCol);
        row0 = static_cast<std::int32_t>(baseRow);
        lowCol = std::floor(fc - c.reachCol[j]);
        lowRow = std::floor(fr - c.reachRow[j]);
        four = std::floor(fc + c.reachCol[j]) - lowCol <= 1.0 && std::floor(fr + c.reachRow[j]) - lowRow <= 1.0;
    }

    // Samples s .. s + 7: their columns and rows relative to the centre's
    // texel, and masks of those certainly on the face (not near a texel
    // edge) and certainly off it.
    struct SGroup {
        __m256 zc, zr, on, off;
    };
    VT_STEP SGroup Map(const SStepSamples& r, int s) const
    {
        const __m256 dx = _mm256_load_ps(r.dx + s), dy = _mm256_load_ps(r.dy + s);
        SGroup g;
        g.zc = _mm256_fmadd_ps(p.gy, dy, _mm256_fmadd_ps(p.gx, dx, p.fCol));
        g.zr = _mm256_fmadd_ps(p.hy, dy, _mm256_fmadd_ps(p.hx, dx, p.fRow));
        const __m256 fc = _mm256_sub_ps(g.zc, _mm256_floor_ps(g.zc)), fr = _mm256_sub_ps(g.zr, _mm256_floor_ps(g.zr));
        const __m256 ec = _mm256_andnot_ps(r.signBit, _mm256_sub_ps(fc, r.halfF));
        const __m256 er = _mm256_andnot_ps(r.signBit, _mm256_sub_ps(fr, r.halfF));
        const __m256 nearTexelEdge =
            _mm256_or_ps(_mm256_cmp_ps(ec, r.colLimit, _CMP_GT_OQ), _mm256_cmp_ps(er, r.rowLimit, _CMP_GT_OQ));
        const __m256 oc = _mm256_sub_ps(g.zc, loCol), ic = _mm256_sub_ps(hiCol, g.zc);
        const __m256 orow = _mm256_sub_ps(g.zr, loRow), irow = _mm256_sub_ps(hiRow, g.zr);
        const __m256 inside = _mm256_and_ps(
            _mm256_and_ps(_mm256_cmp_ps(oc, r.colBound, _CMP_GT_OQ), _mm256_cmp_ps(ic, r.colBound, _CMP_GT_OQ)),
            _mm256_and_ps(_mm256_cmp_ps(orow, r.rowBound, _CMP_GT_OQ), _mm256_cmp_ps(irow, r.rowBound, _CMP_GT_OQ)));
        g.off = _mm256_or_ps(
            _mm256_or_ps(_mm256_cmp_ps(oc, negColBound, _CMP_LT_OQ), _mm256_cmp_ps(ic, negColBound, _CMP_LT_OQ)),
            _mm256_or_ps(_mm256_cmp_ps(orow, negRowBound, _CMP_LT_OQ), _mm256_cmp_ps(irow, negRowBound, _CMP_LT_OQ)));
        g.on = _mm256_andnot_ps(nearTexelEdge, inside);
        return g;
    }
};

// Where the samples reach two by two texels: the samples certainly on the
// face counted on each texel's side of the column and row edge between them
// (as SumFourTexels), their texels weighed by the counts into `out`; the
// uncertain samples a bit each. The 10 x 10 grid (pixel j of `c`) is
// counted a sample row at a time (GridRowCounts.h); smaller grids, eight
// samples at a time as before.
VT_STEP void SumMixedFourTexels(const SStepSamples& r, const SStepPixel& m, const SCentres& c, int j,
                                std::uint8_t* uncertain, CPixelSamples& out)
{
    int counts[4] = {0, 0, 0, 0};
    const std::int32_t left = m.col0 + static_cast<std::int32_t>(m.lowCol);
    const std::int32_t lower = m.row0 + static_cast<std::int32_t>(m.lowRow);
    if (r.grid->side >= 10) {
        const double bc = c.baseCol[j], br = c.baseRow[j];
        const SGridPixel p{c.fc[j],        c.fr[j],        c.gx[j],
                           c.gy[j],        c.hx[j],        c.hy[j],
                           m.lowCol + 1.0, m.lowRow + 1.0, 0.5 - bc,
                           r.lastCol + 0.5 - bc,           0.5 - br,
                           r.lastRow + 0.5 - br,           r.errCol,
                           r.errRow};
        CountGridRows(*r.grid, p, counts, uncertain);
        WeighFourTexels(r, counts, left, lower, out);
        return;
    }
    const __m256 colEdge = _mm256_set1_ps(static_cast<float>(m.lowCol + 1.0));
    const __m256 rowEdge = _mm256_set1_ps(static_cast<float>(m.lowRow + 1.0));
    for (int s = 0; s < r.padded8; s += 8) {
        const SStepPixel::SGroup g = m.Map(r, s);
        const unsigned counted = r.n - s >= 8 ? 0xFFu : (1u << (r.n - s)) - 1u;
        const unsigned on = static_cast<unsigned>(_mm256_movemask_ps(g.on)) & counted;
        const unsigned off = static_cast<unsigned>(_mm256_movemask_ps(g.off));
        uncertain[s >> 3] = static_cast<std::uint8_t>(~(on | off) & counted);
        const unsigned right = ~static_cast<unsigned>(_mm256_movemask_ps(_mm256_sub_ps(g.zc, colEdge))) & on;
        const unsigned upper = ~static_cast<unsigned>(_mm256_movemask_ps(_mm256_sub_ps(g.zr, rowEdge))) & on;
        counts[0] += __builtin_popcount(on & ~right & ~upper);
        counts[1] += __builtin_popcount(right & ~upper);
        counts[2] += __builtin_popcount(~right & upper);
        counts[3] += __builtin_popcount(right & upper);
    }
    WeighFourTexels(r, counts, left, lower, out);
}

// Elsewhere each sample's texel offset (-1 off the face) into `offsets`; the
// uncertain samples a bit each.
VT_STEP void MapMixedOffsets(const SStepSamples& r, const SStepPixel& m, std::int32_t* offsets,
                             std::uint8_t* uncertain)
{
    const __m256i base = _mm256_set1_epi32(m.row0 * r.stride + 3 * m.col0);
    const __m256i none = _mm256_set1_epi32(-1);
    for (int s = 0; s < r.padded8; s += 8) {
        const SStepPixel::SGroup g = m.Map(r, s);
        const unsigned counted = r.n - s >= 8 ? 0xFFu : (1u << (r.n - s)) - 1u;
        uncertain[s >> 3] =
            static_cast<std::uint8_t>(~static_cast<unsigned>(_mm256_movemask_ps(_mm256_or_ps(g.on, g.off))) & counted);
        const __m256i col = _mm256_cvtps_epi32(_mm256_floor_ps(g.zc));
        const __m256i row = _mm256_cvtps_epi32(_mm256_floor_ps(g.zr));
        const __m256i col3 = _mm256_add_epi32(col, _mm256_add_epi32(col, col));
        const __m256i offset = _mm256_add_epi32(base, _mm256_add_epi32(_mm256_mullo_epi32(row, r.strideV), col3));
        _mm256_store_si256(reinterpret_cast<__m256i*>(offsets + s),
                           _mm256_blendv_epi8(offset, none, _mm256_castps_si256(g.off)));
    }
}

// Projective steps. Exactly, a sample at offset d from a pixel's centre p
// lies at Z(p + d) = Z(p) + (g . d) / (1 + t . d), with g the centre's
// texel steps per pixel and t = (c_x, c_y) / C(p): with a division per
// sample there is no remainder, so the bound (SetLinearSteps) need only
// hold the roundings. In single precision: the numerator and the
// denominator two fused steps each from operands rounded once, the
// reciprocal, and the fused product and sum: under 12 roundings of
// 2 + reach |g| (the denominator stays within 1 -+ T, T < 0.25).
// Samples s .. s + 7 of a pixel whose samples are all inside the face: their
// texels' byte offsets, and a mask of those within that bound of a texel edge.
struct SProjectedGroup {
    __m256i offset;
    __m256 near;
};

VT_STEP SProjectedGroup MapProjectedGroup(const SStepSamples& r, const SPixelSteps& p, __m256 tx, __m256 ty,
                                          __m256i base, int s)
{
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 dx = _mm256_load_ps(r.dx + s), dy = _mm256_load_ps(r.dy + s);
    const __m256 inv = _mm256_div_ps(one, _mm256_fmadd_ps(ty, dy, _mm256_fmadd_ps(tx, dx, one)));
    const __m256 zc = _mm256_fmadd_ps(_mm256_fmadd_ps(p.gy, dy, _mm256_mul_ps(p.gx, dx)), inv, p.fCol);
    const __m256 zr = _mm256_fmadd_ps(_mm256_fmadd_ps(p.hy, dy, _mm256_mul_ps(p.hx, dx)), inv, p.fRow);
    const __m256 kc = _mm256_floor_ps(zc), kr = _mm256_floor_ps(zr);
    const __m256 ec = _mm256_andnot_ps(r.signBit, _mm256_sub_ps(_mm256_sub_ps(zc, kc), r.halfF));
    const __m256 er = _mm256_andnot_ps(r.signBit, _mm256_sub_ps(_mm256_sub_ps(zr, kr), r.halfF));
    const __m256i col = _mm256_cvtps_epi32(kc), row = _mm256_cvtps_epi32(kr);
    return {_mm256_add_epi32(base, _mm256_add_epi32(_mm256_mullo_epi32(row, r.strideV),
                                                    _mm256_add_epi32(col, _mm256_add_epi32(col, col)))),
            _mm256_or_ps(_mm256_cmp_ps(ec, r.colLimitP, _CMP_GT_OQ), _mm256_cmp_ps(er, r.rowLimitP, _CMP_GT_OQ))};
}

// Each sample's texel offset of a pixel whose samples are all inside the face
// into `offsets`, and a bit for each sample within that bound of a texel
// edge into `uncertain`; (tx, ty) is t. Returns whether any was.
VT_STEP bool MapProjectedOffsets(const SStepSamples& r, const SStepPixel& m, double tx, double ty,
                                 std::int32_t* offsets, std::uint8_t* uncertain)
{
    const __m256 tx8 = _mm256_set1_ps(static_cast<float>(tx)), ty8 = _mm256_set1_ps(static_cast<float>(ty));
    const __m256i base = _mm256_set1_epi32(m.row0 * r.stride + 3 * m.col0);
    unsigned any = 0;
    for (int s = 0; s < r.padded8; s += 8) {
        const SProjectedGroup g = MapProjectedGroup(r, m.p, tx8, ty8, base, s);
        const unsigned counted = r.n - s >= 8 ? 0xFFu : (1u << (r.n - s)) - 1u;
        const unsigned bits = static_cast<unsigned>(_mm256_movemask_ps(g.near)) & counted;
        uncertain[s >> 3] = static_cast<std::uint8_t>(bits);
        any |= bits;
        _mm256_store_si256(reinterpret_cast<__m256i*>(offsets + s), g.offset);
    }
    return any != 0;
}

// The four bytes at each texel offset; a texel on the picture's last byte
// is read from the byte before (the four bytes would pass the picture's
// end), and shifted down.
VT_STEP __m256i TexelWords(const SStepSamples& r, __m256i offset)
{
    const __m256i atEnd = _mm256_cmpeq_epi32(offset, _mm256_set1_epi32(r.lastTexel));
    const __m256i word = _mm256_i32gather_epi32(reinterpret_cast<const int*>(r.bits), _mm256_add_epi32(offset, atEnd), 1);
    return _mm256_srlv_epi32(word, _mm256_and_si256(atEnd, _mm256_set1_epi32(8)));
}

// The same pixel's texels summed as they are mapped, where no sample lies
// within the bound of a texel edge (the common case); false otherwise, and
// then `out` is not set. The same sums as MapProjectedOffsets and
// SumTexelOffsets. The last eight's padding lanes (copies of the last
// sample) are left out of the sums.
VT_STEP bool SumProjected(const SStepSamples& r, const SStepPixel& m, double tx, double ty, CPixelSamples& out)
{
    const __m256 tx8 = _mm256_set1_ps(static_cast<float>(tx)), ty8 = _mm256_set1_ps(static_cast<float>(ty));
    const __m256i base = _mm256_set1_epi32(m.row0 * r.stride + 3 * m.col0);
    const __m256i byte = _mm256_set1_epi32(0xFF);
    __m256 near = _mm256_setzero_ps();
    __m256i blue = _mm256_setzero_si256(), green = blue, red = blue;
    const int whole = r.n & ~7;
    const auto add = [&](__m256i v) {
        blue = _mm256_add_epi32(blue, _mm256_and_si256(v, byte));
        green = _mm256_add_epi32(green, _mm256_and_si256(_mm256_srli_epi32(v, 8), byte));
        red = _mm256_add_epi32(red, _mm256_and_si256(_mm256_srli_epi32(v, 16), byte));
    };
    for (int s = 0; s < whole; s += 8) {
        const SProjectedGroup g = MapProjectedGroup(r, m.p, tx8, ty8, base, s);
        near = _mm256_or_ps(near, g.near);
        add(TexelWords(r, g.offset));
    }
    if (whole < r.n) {
        const SProjectedGroup g = MapProjectedGroup(r, m.p, tx8, ty8, base, whole);
        near = _mm256_or_ps(near, g.near);
        const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(r.n - whole), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        add(_mm256_and_si256(TexelWords(r, g.offset), lanes));
    }
    if (!_mm256_testz_ps(near, near)) return false;
    const __m256i bg = _mm256_hadd_epi32(blue, green), rz = _mm256_hadd_epi32(red, red);
    const __m256i all = _mm256_hadd_epi32(bg, rz); // lanes: b g r r of each half
    const __m128i total = _mm_add_epi32(_mm256_castsi256_si128(all), _mm256_extracti128_si256(all, 1));
    alignas(16) std::uint32_t t[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(t), total);
    out = CPixelSamples{{t[0], t[1], t[2]}, r.n};
    return true;
}

#undef VT_STEP

} // namespace linear_steps
VT_TARGET_END
#endif
