// The ways of CFaceRunSampler that map several samples at once where the
// processor has AVX2: exactly, four samples per instruction, and by linear
// steps. They stay in one file: the run by linear steps falls back to the
// exact mapping of a pixel, and the compiler keeps the run's vectors in
// registers across that call only when it sees the callee.
#include "engine3d/sampling/FaceRunSampler.h"

#include "engine3d/sampling/CountedEights.h"
#include "engine3d/sampling/FourTexelRows.h"
#include "engine3d/sampling/LinearSteps.h"
#include "engine3d/sampling/ProjectedSums.h"
#include "engine3d/sampling/TargetRegion.h"
#include "engine3d/sampling/TexelSums.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_FACE_SAMPLER_AVX2 1
#endif

#if defined(VT_FACE_SAMPLER_AVX2)
namespace {

// The byte offsets of four samples' texels in a picture of (texW + 1) x
// (texH + 1) texels, stride bytes a row, from the pixel's numerators pA, pB,
// pC and the samples' offsets; -1 for a sample outside the face.
__attribute__((target("avx2"), always_inline)) inline __m128i MapFour(double pA, double pB, double pC,
                                                                      __m256d offA, __m256d offB, __m256d offC,
                                                                      double texW, double texH,
                                                                      std::int32_t stride) noexcept
{
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5);
    const __m256d inv = _mm256_div_pd(one, _mm256_add_pd(_mm256_set1_pd(pC), offC));
    const __m256d u = _mm256_mul_pd(_mm256_add_pd(_mm256_set1_pd(pB), offB), inv);
    const __m256d v = _mm256_sub_pd(one, _mm256_mul_pd(_mm256_add_pd(_mm256_set1_pd(pA), offA), inv));
    const __m256d inside =
        _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(u, zero, _CMP_GE_OQ), _mm256_cmp_pd(u, one, _CMP_LT_OQ)),
                      _mm256_and_pd(_mm256_cmp_pd(v, zero, _CMP_GE_OQ), _mm256_cmp_pd(v, one, _CMP_LT_OQ)));
    const __m128i col = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(texW), u), half));
    const __m128i row = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(texH), v), half));
    const __m128i offset =
        _mm_add_epi32(_mm_mullo_epi32(row, _mm_set1_epi32(stride)), _mm_add_epi32(col, _mm_add_epi32(col, col)));
    // The low 32 bits of each 64-bit lane of the compare masks.
    const __m128i mask = _mm256_castsi256_si128(
        _mm256_permutevar8x32_epi32(_mm256_castpd_si256(inside), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
    return _mm_blendv_epi8(_mm_set1_epi32(-1), offset, mask);
}

}  // namespace

// Four samples per instruction. The target adds AVX2 only, not FMA, so the
// compiler cannot fuse a product and a sum into one rounding: each value is
// rounded as in the reference. The texel offset of a sample outside the face
// is set to -1, and only counted samples read the picture. Kept out of line
// and given the pixel rather than its numerators: its callers may be compiled
// with FMA, which would round those differently.
__attribute__((target("avx2"), noinline)) CPixelSamples CFaceRunSampler::SamplePixelWide(int x, double rowA,
                                                                                        double rowB,
                                                                                        double rowC) const noexcept
{
    const double pA = m_ax * x + rowA, pB = m_bx * x + rowB, pC = m_cx * x + rowC;
    alignas(32) std::int32_t offsets[kMaxSamples + 8];
    const std::uint8_t* const bits = m_bits;
    const int n = m_count;
    for (int s = 0; s < m_padded; s += 4)
        _mm_store_si128(reinterpret_cast<__m128i*>(offsets + s),
                        MapFour(pA, pB, pC, _mm256_load_pd(m_offA + s), _mm256_load_pd(m_offB + s),
                                _mm256_load_pd(m_offC + s), m_texW, m_texH, m_stride));
    _mm_store_si128(reinterpret_cast<__m128i*>(offsets + m_padded), _mm_set1_epi32(-1)); // the eights' last lanes
    return SumTexelOffsets(bits, offsets, n, LastTexelOffset());
}

// Samples which[0 .. n - 1] of pixel x mapped as SampleRunReference maps
// each, four at a time by SamplePixelWide's operations: the byte offset of
// each one's texel into out, or -1 where it lies outside the face. Kept out
// of line for the same reason as SamplePixelWide.
__attribute__((target("avx2"), noinline)) void CFaceRunSampler::SampleOffsetsExactly(int x, double rowA, double rowB,
                                                                                   double rowC, const int* which,
                                                                                   int n, std::int32_t* out) const noexcept
{
    const double pA = m_ax * x + rowA, pB = m_bx * x + rowB, pC = m_cx * x + rowC;
    for (int i = 0; i < n; i += 4) {
        int k[4];
        for (int l = 0; l < 4; ++l) k[l] = which[std::min(i + l, n - 1)];
        const __m256d offA = _mm256_setr_pd(m_offA[k[0]], m_offA[k[1]], m_offA[k[2]], m_offA[k[3]]);
        const __m256d offB = _mm256_setr_pd(m_offB[k[0]], m_offB[k[1]], m_offB[k[2]], m_offB[k[3]]);
        const __m256d offC = _mm256_setr_pd(m_offC[k[0]], m_offC[k[1]], m_offC[k[2]], m_offC[k[3]]);
        alignas(16) std::int32_t four[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(four), MapFour(pA, pB, pC, offA, offB, offC, m_texW, m_texH, m_stride));
        for (int l = 0; l < 4 && i + l < n; ++l) out[i + l] = four[l];
    }
}

__attribute__((target("avx2"))) void CFaceRunSampler::SampleRunWide(int left, int right, double rowA,
                                                                   double rowB, double rowC,
                                                                   CPixelSamples* out) const noexcept
{
    for (int x = left; x <= right; ++x, ++out)
        *out = SamplePixelWide(x, rowA, rowB, rowC);
    m_exactPixels += right - left + 1;
    m_pixels += right - left + 1;
}

#else
void CFaceRunSampler::SampleRunWide(int left, int right, double rowA, double rowB, double rowC,
                                    CPixelSamples* out) const noexcept
{
    SampleRunReference(left, right, rowA, rowB, rowC, out);
}
#endif

#if defined(VT_FACE_SAMPLER_AVX2)
// Linear steps: see LinearSteps.h.
VT_TARGET_BEGIN("avx2,fma")
void CFaceRunSampler::SampleRunLinear(int left, int right, double rowA, double rowB, double rowC,
                                      CPixelSamples* run) const noexcept
{
    using namespace linear_steps;
    SStepSamples samples;
    samples.dx = m_dx;
    samples.dy = m_dy;
    samples.padded8 = m_padded8;
    samples.n = m_count;
    samples.side = m_side;
    samples.bits = m_bits;
    samples.stride = m_stride;
    samples.lastCol = static_cast<std::int32_t>(m_texW);
    samples.lastRow = static_cast<std::int32_t>(m_texH);
    samples.lastTexel = LastTexelOffset();
    samples.strideV = _mm256_set1_epi32(m_stride);
    samples.signBit = _mm256_set1_ps(-0.0f);
    samples.halfF = _mm256_set1_ps(0.5f);
    samples.colBound = _mm256_set1_ps(static_cast<float>(m_errCol));
    samples.rowBound = _mm256_set1_ps(static_cast<float>(m_errRow));
    samples.colLimit = _mm256_set1_ps(static_cast<float>(0.5 - m_errCol));
    samples.rowLimit = _mm256_set1_ps(static_cast<float>(0.5 - m_errRow));
    samples.colLimitP = _mm256_set1_ps(static_cast<float>(0.5 - m_projCol));
    samples.rowLimitP = _mm256_set1_ps(static_cast<float>(0.5 - m_projRow));
    samples.grid = &m_grid;
    samples.errCol = m_errCol;
    samples.errRow = m_errRow;
    samples.permutes = weighed_eights::Available();
    const SCentreMapping mapping{_mm256_set1_pd(m_ax),   _mm256_set1_pd(m_bx),    _mm256_set1_pd(m_cx),
                                 _mm256_set1_pd(m_ay),   _mm256_set1_pd(m_by),    _mm256_set1_pd(m_cy),
                                 _mm256_set1_pd(m_texW), _mm256_set1_pd(m_texH),  _mm256_set1_pd(-m_texH),
                                 _mm256_set1_pd(m_reach), _mm256_set1_pd(m_errCol), _mm256_set1_pd(m_errRow),
                                 _mm_set1_epi32(m_stride)};
    // A pixel sample by sample, the uncertain samples mapped exactly; whether
    // any was. Inside the face (`inside`) by projective steps, else across
    // the outline or a texel edge by linear steps. Inlined at both calls: out
    // of line, the pixel's steps went through memory (about 4 % more
    // instructions in a render of drawn faces).
    alignas(32) std::int32_t offsets[kMaxSamples + 8];
    const bool sixteen = projected_sums::Available();
    std::uint8_t uncertain[(kMaxSamples + 7) / 8];
    static_assert(sizeof uncertain == kGridUncertainBytes);
    const std::int32_t lastTexel = LastTexelOffset();
    const auto sampleMixed = [&](const SStepPixel& m, const SCentres& c, int j, int x, bool inside,
                                 CPixelSamples& out) __attribute__((always_inline)) {
        const bool four = m.four && !inside;
        if (inside) {
            const double tx = m_cx * c.inv[j], ty = m_cy * c.inv[j];
            if (!sixteen && SumProjected(samples, m, tx, ty, out)) return false; // else tried before

            MapProjectedOffsets(samples, m, tx, ty, offsets, uncertain);
        } else if (four) {
            SumMixedFourTexels(samples, m, c, j, uncertain, out);
        } else {
            MapMixedOffsets(samples, m, offsets, uncertain);
        }
        int which[kMaxSamples];
        std::int32_t exactly[kMaxSamples];
        int n = 0;
        for (int g = 0; g < m_padded8 / 8; ++g)
            for (unsigned u = uncertain[g]; u != 0; u &= u - 1) which[n++] = 8 * g + __builtin_ctz(u);
        if (n > 0) SampleOffsetsExactly(x, rowA, rowB, rowC, which, n, exactly);
        for (int i = 0; i < n; ++i) {
            const std::int32_t o = exactly[i];
            if (four && o >= 0) {
                for (int k = 0; k < 3; ++k) out.sum[k] += m_bits[o + k];
                ++out.count;
            }
            if (!four) offsets[which[i]] = o;
        }
        const bool any = n > 0;
        if (!four) out = SumTexelOffsets(m_bits, offsets, m_count, lastTexel);
        return any;
    };
    // Eight pixels at a time: those whose samples all count and reach two
    // by two texels are counted together where there are three or more that
    // reach more than one texel; those that reach one texel are counted with
    // them then (all their samples on one side of both edges).
    SCentres centres[2];
    SWeighedEight weighed;
    SKeptRows kept;
    long long exact = 0;
    const bool wide = counted_eights::Available(); // eight centres and their counts in one call
    for (int x8 = left; x8 <= right; x8 += 8) {
        const int last = std::min(right, x8 + 7);
        const int valid = (2 << (last - x8)) - 1;
        CPixelSamples* const outEight = run + (x8 - left);
        // A whole eight takes the weighed sums of every pixel straight into
        // the run (a pixel's four words are a CPixelSamples); the loop then
        // sets only the pixels counted otherwise, which overwrite theirs.
        static_assert(sizeof(CPixelSamples) == 16 && alignof(CPixelSamples) == 4);
        const bool whole = last == x8 + 7;
        std::uint32_t* const sums = whole ? reinterpret_cast<std::uint32_t*>(outEight) : weighed.words;
        int bits[2];
        int counted, nearEdge = 0;
        if (wide) {
            counted = counted_eights::MapAndCount(mapping, samples, x8, valid, rowA, rowB, rowC, centres, bits, sums,
                                                  kept, nearEdge);
        } else {
            bits[0] = MapCentres(mapping, x8, rowA, rowB, rowC, centres[0]);
            bits[1] = MapCentres(mapping, x8 + 4, rowA, rowB, rowC, centres[1]);
            // Kind k of the eight: bit p for pixel x8 + p.
            const auto kind = [&bits](int k) { return (bits[0] >> 4 * k & 0xF) | (bits[1] >> 4 * k & 0xF) << 4; };
            const int four = kind(0) & kind(3) & valid;
            counted = __builtin_popcount(four & ~kind(2)) >= 3 ? four : 0;
            nearEdge = counted ? -1 : 0;
        }
        if (nearEdge < 0) nearEdge = CountFourTexelsEight(samples, centres[0], centres[1], counted, sums, kept);
        const int done = whole ? counted & ~nearEdge : 0;
        for (int pending = valid & ~done; pending != 0; pending &= pending - 1) {
            const int p = __builtin_ctz(pending), x = x8 + p;
            CPixelSamples* const out = outEight + p;
            const SCentres& c = centres[p >> 2];
            const int j = p & 3, b = bits[p >> 2];
            if ((b >> j & 0x101) == 0x101) { // every sample counts and reads one texel
                const std::uint8_t* t = m_bits + c.oneTexel[j];
                const auto n = static_cast<std::uint32_t>(m_count);
                *out = CPixelSamples{{n * t[0], n * t[1], n * t[2]}, m_count};
                continue;
            }
            if (counted >> p & 1) {
                if (!(nearEdge >> p & 1)) {
                    *out = weighed.Pixel(p);
                    continue;
                }
                const auto texelCol = static_cast<std::int32_t>(c.baseCol[j] + c.lowCol[j]);
                const auto texelRow = static_cast<std::int32_t>(c.baseRow[j] + c.lowRow[j]);
                // Samples near an edge mapped exactly, the others counted.
                int four[4], which[kMaxSamples];
                const int n = wide ? counted_eights::CountNear(samples, kept, p, four, which)
                                   : CountNearEdges(samples, kept, p, four, which);
                WeighFourTexels(samples, four, texelCol, texelRow, *out);
                if (n > 0) {
                    std::int32_t exactly[kMaxSamples];
                    SampleOffsetsExactly(x, rowA, rowB, rowC, which, n, exactly);
                    for (int i = 0; i < n; ++i) {
                        if (exactly[i] < 0) continue;
                        for (int k = 0; k < 3; ++k) out->sum[k] += m_bits[exactly[i] + k];
                        ++out->count;
                    }
                    ++exact;
                }
                continue;
            }
            const bool inside = b & (1 << j);
            // Inside the face, reaching more than two by two texels (bit 12 + j clear).
            if (inside && !(b >> (12 + j) & 1) && sixteen &&
                projected_sums::SumSixteens(samples, c, j, m_cx * c.inv[j], m_cy * c.inv[j], *out))
                continue;
            const SStepPixel m(samples, c, j);
            if (inside && !m.four) {
                exact += sampleMixed(m, c, j, x, true, *out);
                continue;
            }
            if (inside && SumFourTexels(samples, m.p, m.lowCol, m.lowRow, m.col0, m.row0, *out)) continue;
            if (!m_mixed || inside || !(b & (16 << j))) {
                *out = SamplePixelWide(x, rowA, rowB, rowC);
                ++exact;
                continue;
            }
            exact += sampleMixed(m, c, j, x, false, *out);
        }
    }
    m_exactPixels += exact;
    m_pixels += right - left + 1;
}
VT_TARGET_END
#else
void CFaceRunSampler::SampleRunLinear(int left, int right, double rowA, double rowB, double rowC,
                                      CPixelSamples* out) const noexcept
{
    SampleRunReference(left, right, rowA, rowB, rowC, out);
}
#endif
