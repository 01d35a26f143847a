#include "engine3d/FaceRunSampler.h"

#include <algorithm>
#include <atomic>
#include <climits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_FACE_SAMPLER_AVX2 1
#endif

bool CFaceRunSampler::Setup(const double* offA, const double* offB, const double* offC, int n,
                            const CTexture& texture, double ax, double bx, double cx) noexcept
{
    if (n <= 0 || n > kMaxSamples || !texture.IsValid()) return false;
    // Offsets of the last texel must fit in 32 bits.
    const long long last = static_cast<long long>(texture.height - 1) * texture.stride +
                           3LL * (texture.width - 1);
    if (texture.stride <= 0 || texture.stride > INT_MAX || last > INT_MAX) return false;
    m_count = n;
    m_padded = (n + 3) & ~3;
    for (int s = 0; s < m_padded; ++s) {
        const int k = std::min(s, n - 1);
        m_offA[s] = offA[k];
        m_offB[s] = offB[k];
        m_offC[s] = offC[k];
    }
    m_ax = ax;
    m_bx = bx;
    m_cx = cx;
    m_bits = texture.bits;
    m_stride = static_cast<std::int32_t>(texture.stride);
    m_texW = texture.width - 1;
    m_texH = texture.height - 1;
    return true;
}

void CFaceRunSampler::SampleRunReference(int left, int right, double rowA, double rowB, double rowC,
                                         CPixelSamples* out) const noexcept
{
    for (int x = left; x <= right; ++x, ++out) {
        const double pA = m_ax * x + rowA;
        const double pB = m_bx * x + rowB;
        const double pC = m_cx * x + rowC;
        std::uint32_t sum0 = 0, sum1 = 0, sum2 = 0;
        int count = 0;
        for (int s = 0; s < m_count; ++s) {
            const double inv = 1.0 / (pC + m_offC[s]);
            const double u = (pB + m_offB[s]) * inv;
            const double v = 1.0 - (pA + m_offA[s]) * inv;
            if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0)) continue;
            const int col = static_cast<int>(m_texW * u + 0.5);
            const int row = static_cast<int>(m_texH * v + 0.5);
            const std::uint8_t* t = m_bits + static_cast<std::ptrdiff_t>(row) * m_stride + 3 * col;
            sum0 += t[0];
            sum1 += t[1];
            sum2 += t[2];
            ++count;
        }
        out->sum[0] = sum0;
        out->sum[1] = sum1;
        out->sum[2] = sum2;
        out->count = count;
    }
}

namespace {
std::atomic<bool> g_enabled{true};
} // namespace

void CFaceRunSampler::SetEnabled(bool enabled) noexcept
{
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool CFaceRunSampler::HasWideMapping() noexcept
{
#if defined(VT_FACE_SAMPLER_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    return has && g_enabled.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void CFaceRunSampler::SampleRun(int left, int right, double rowA, double rowB, double rowC,
                                CPixelSamples* out) const noexcept
{
    if (HasWideMapping())
        SampleRunWide(left, right, rowA, rowB, rowC, out);
    else
        SampleRunReference(left, right, rowA, rowB, rowC, out);
}

#if defined(VT_FACE_SAMPLER_AVX2)
// Four samples per instruction. The target adds AVX2 only, not FMA, so the
// compiler cannot fuse a product and a sum into one rounding: each value is
// rounded as in the reference. The texel offset of a sample outside the face
// is set to -1, and only counted samples read the picture.
__attribute__((target("avx2"))) void CFaceRunSampler::SampleRunWide(int left, int right, double rowA,
                                                                   double rowB, double rowC,
                                                                   CPixelSamples* out) const noexcept
{
    const __m256d zero = _mm256_setzero_pd();
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d tw = _mm256_set1_pd(m_texW);
    const __m256d th = _mm256_set1_pd(m_texH);
    const __m128i stride = _mm_set1_epi32(m_stride);
    const __m128i none = _mm_set1_epi32(-1);
    // Picks the low 32 bits of each 64-bit lane (the compare masks).
    const __m256i lowHalves = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
    alignas(16) std::int32_t offsets[kMaxSamples + 4];
    const std::uint8_t* const bits = m_bits;
    const int n = m_count;
    for (int x = left; x <= right; ++x, ++out) {
        const __m256d vA = _mm256_set1_pd(m_ax * x + rowA);
        const __m256d vB = _mm256_set1_pd(m_bx * x + rowB);
        const __m256d vC = _mm256_set1_pd(m_cx * x + rowC);
        __m256d allInside = _mm256_castsi256_pd(_mm256_set1_epi32(-1));
        for (int s = 0; s < m_padded; s += 4) {
            const __m256d inv = _mm256_div_pd(one, _mm256_add_pd(vC, _mm256_load_pd(m_offC + s)));
            const __m256d u = _mm256_mul_pd(_mm256_add_pd(vB, _mm256_load_pd(m_offB + s)), inv);
            const __m256d v =
                _mm256_sub_pd(one, _mm256_mul_pd(_mm256_add_pd(vA, _mm256_load_pd(m_offA + s)), inv));
            const __m256d inside =
                _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(u, zero, _CMP_GE_OQ), _mm256_cmp_pd(u, one, _CMP_LT_OQ)),
                              _mm256_and_pd(_mm256_cmp_pd(v, zero, _CMP_GE_OQ), _mm256_cmp_pd(v, one, _CMP_LT_OQ)));
            allInside = _mm256_and_pd(allInside, inside);
            const __m128i col = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(tw, u), half));
            const __m128i row = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(th, v), half));
            const __m128i offset =
                _mm_add_epi32(_mm_mullo_epi32(row, stride), _mm_add_epi32(col, _mm_add_epi32(col, col)));
            const __m128i mask = _mm256_castsi256_si128(
                _mm256_permutevar8x32_epi32(_mm256_castpd_si256(inside), lowHalves));
            _mm_store_si128(reinterpret_cast<__m128i*>(offsets + s), _mm_blendv_epi8(none, offset, mask));
        }
        std::uint32_t sum0 = 0, sum1 = 0, sum2 = 0;
        int count = 0;
        // The padding lanes copy the last sample, so all lanes inside means
        // every sample counts.
        if (_mm256_movemask_pd(allInside) == 0xF) {
            for (int s = 0; s < n; ++s) {
                const std::uint8_t* t = bits + offsets[s];
                sum0 += t[0];
                sum1 += t[1];
                sum2 += t[2];
            }
            count = n;
        } else {
            for (int s = 0; s < n; ++s) {
                const std::int32_t o = offsets[s];
                if (o < 0) continue;
                const std::uint8_t* t = bits + o;
                sum0 += t[0];
                sum1 += t[1];
                sum2 += t[2];
                ++count;
            }
        }
        out->sum[0] = sum0;
        out->sum[1] = sum1;
        out->sum[2] = sum2;
        out->count = count;
    }
}
#else
void CFaceRunSampler::SampleRunWide(int left, int right, double rowA, double rowB, double rowC,
                                    CPixelSamples* out) const noexcept
{
    SampleRunReference(left, right, rowA, rowB, rowC, out);
}
#endif
