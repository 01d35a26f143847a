#include "engine3d/sampling/FaceRunSampler.h"
#include "engine3d/sampling/FlatTiles.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>

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
    m_linear = false;
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

// The error bounds of linear steps (see engine3d/sampling/LinearSteps.h).
bool CFaceRunSampler::SetLinearSteps(const double* dx, const double* dy, double ay, double a0, double by,
                                     double b0, double cy, double c0, int left, int right, int bottom,
                                     int top) noexcept
{
    m_linear = false;
    if (m_count == 0 || m_texW < 1.0 || m_texH < 1.0 || left > right || bottom > top) return false;
    double reach = 0.0;
    for (int s = 0; s < m_count; ++s) reach = std::max({reach, std::fabs(dx[s]), std::fabs(dy[s])});
    // C over the pixels (with the samples' reach): the smallest |C| sits at a corner
    // of the box, and C must keep its sign.
    const double xs[2] = {left - 1.0, right + 1.0}, ys[2] = {bottom - 1.0, top + 1.0};
    double cMin = INFINITY;
    int positive = 0;
    for (double x : xs)
        for (double y : ys) {
            const double c = m_cx * x + cy * y + c0;
            cMin = std::min(cMin, std::fabs(c));
            positive += c > 0.0;
        }
    if (!(cMin > 0.0) || (positive != 0 && positive != 4) || !std::isfinite(cMin)) return false;
    // Largest magnitude of the terms summed into each numerator.
    const double xMax = std::max(std::fabs(xs[0]), std::fabs(xs[1]));
    const double yMax = std::max(std::fabs(ys[0]), std::fabs(ys[1]));
    auto magnitude = [&](double kx, double ky, double k0) {
        return std::fabs(kx) * (xMax + reach) + std::fabs(ky) * (yMax + reach) + std::fabs(k0);
    };
    const double mA = magnitude(m_ax, ay, a0), mB = magnitude(m_bx, by, b0), mC = magnitude(m_cx, cy, c0);
    constexpr double eps = 1.0 / 9007199254740992.0; // 2^-53
    // Rounding of either double evaluation of u (or a = 1 - v) where |u| <= 2:
    // eight roundings of terms up to mB into B (likewise C), then 1 / C and
    // the product.
    const double roundU = 8 * eps * (mB + 2 * mC) / cMin + 8 * eps;
    const double roundA = 8 * eps * (mA + 2 * mC) / cMin + 8 * eps;
    // Remainder of the linear step: |t| <= T, |beta| <= reach (|b_x| + |b_y|) / cMin.
    const double T = reach * (std::fabs(m_cx) + std::fabs(cy)) / cMin;
    if (!(T < 0.25)) return false;
    const double remU = T * (2 * T + reach * (std::fabs(m_bx) + std::fabs(by)) / cMin) / (1 - T);
    const double remA = T * (2 * T + reach * (std::fabs(m_ax) + std::fabs(ay)) / cMin) / (1 - T);
    // Single precision: |Z - floor(centre)| stays below 2 + reach * (|g_x| + |g_y|), with
    // the gradient (b - u c) / C bounded for |u| <= 2.
    const double gCol = m_texW * (std::fabs(m_bx) + std::fabs(by) + 2 * (std::fabs(m_cx) + std::fabs(cy))) / cMin;
    const double gRow = m_texH * (std::fabs(m_ax) + std::fabs(ay) + 2 * (std::fabs(m_cx) + std::fabs(cy))) / cMin;
    constexpr double feps = 1.0 / 16777216.0; // 2^-24
    const double floatCol = 6 * feps * (3 + reach * gCol);
    const double floatRow = 6 * feps * (3 + reach * gRow);
    m_errCol = 2 * (m_texW * (2 * roundU + remU) + 4 * eps * (m_texW + 1) + floatCol) + 1e-6;
    m_errRow = 2 * (m_texH * (2 * roundA + remA) + 4 * eps * (m_texH + 1) + floatRow) + 1e-6;
    if (!(m_errCol < 0.01 && m_errRow < 0.01) || reach * gCol > 1e5 || reach * gRow > 1e5) return false;
    // Projective steps have no remainder; their single-precision rounding is
    // under 12 roundings of 2 + reach * |g| (LinearSteps.h).
    m_projCol = 2 * (m_texW * 2 * roundU + 4 * eps * (m_texW + 1) + 16 * feps * (2 + reach * gCol)) + 1e-6;
    m_projRow = 2 * (m_texH * 2 * roundA + 4 * eps * (m_texH + 1) + 16 * feps * (2 + reach * gRow)) + 1e-6;
    // The samples must form a grid of side x side, row by row: the steps are
    // taken a row's part first.
    const int side = static_cast<int>(std::lround(std::sqrt(m_count)));
    if (side * side != m_count) return false;
    for (int s = 0; s < m_count; ++s)
        if (dx[s] != dx[s % side] || dy[s] != dy[s - s % side]) return false;
    m_side = side;
    m_padded8 = (m_count + 7) & ~7;
    for (int s = 0; s < ((m_count + 15) & ~15); ++s) {
        const int k = std::min(s, m_count - 1);
        m_dx[s] = static_cast<float>(dx[k]);
        m_dy[s] = static_cast<float>(dy[k]);
    }
    m_ay = ay;
    m_by = by;
    m_cy = cy;
    m_reach = reach;
    m_grid.Take(dx, dy, m_count);
    m_linear = HasLinearSteps();
    // Sample by sample needs the outline's half-integer positions exact in
    // single precision.
    m_mixed = m_texW < 1048576.0 && m_texH < 1048576.0;
    return m_linear;
}

namespace {
std::atomic<bool> g_enabled{true};
} // namespace

void CFaceRunSampler::SetEnabled(bool enabled) noexcept
{
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool CFaceRunSampler::HasLinearSteps() noexcept
{
#if defined(VT_FACE_SAMPLER_AVX2)
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has && g_enabled.load(std::memory_order_relaxed);
#else
    return false;
#endif
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

void CFaceRunSampler::SetFlatTiles(const CFlatTiles* tiles) noexcept
{
    const int side = static_cast<int>(std::lround(std::sqrt(m_count)));
    m_flat = side * side == m_count && side > 1 && HasWideMapping() ? tiles : nullptr;
    const int corners[4] = {0, side - 1, m_count - side, m_count - 1};
    for (int i = 0; i < 4; ++i) {
        const int s = std::max(corners[i], 0);
        m_cornerA[i] = m_offA[s];
        m_cornerB[i] = m_offB[s];
        m_cornerC[i] = m_offC[s];
    }
}

#if defined(VT_FACE_SAMPLER_AVX2)
// The corners of the sample grids of pixels x0 .. x1 (the left ones of x0's,
// the right ones of x1's), mapped as every sample is, the four at once: inside
// the face by a margin (so every sample counts; the numerators' denominator
// keeps its sign, so the grids do not cross the horizon), and their texel
// columns and rows, widened by a margin, within tiles of one colour. Every
// sample of those pixels lies in the rectangle of the four corners, whose
// picture on the face is the four-sided shape of theirs (the mapping keeps
// straight lines), so each reads a texel of that colour. The margins are far
// wider than any rounding, so the corners need not be mapped in the
// reference's order of operations.
__attribute__((target("avx2"))) bool CFaceRunSampler::OneColourSpan(int x0, int x1, double rowA, double rowB,
                                                                    double rowC, CPixelSamples& out) const noexcept
{
    constexpr double kInside = 1e-9, kTexel = 1e-6;
    const __m256d xs = _mm256_setr_pd(x0, x1, x0, x1); // corners 0 and 2 lie left, 1 and 3 right
    const __m256d pC = _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(m_cx), xs), _mm256_set1_pd(rowC));
    const __m256d pB = _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(m_bx), xs), _mm256_set1_pd(rowB));
    const __m256d pA = _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(m_ax), xs), _mm256_set1_pd(rowA));
    const __m256d den = _mm256_add_pd(pC, _mm256_load_pd(m_cornerC));
    const __m256d inv = _mm256_div_pd(_mm256_set1_pd(1.0), den);
    const __m256d u = _mm256_mul_pd(_mm256_add_pd(pB, _mm256_load_pd(m_cornerB)), inv);
    const __m256d a = _mm256_mul_pd(_mm256_add_pd(pA, _mm256_load_pd(m_cornerA)), inv);
    const __m256d v = _mm256_sub_pd(_mm256_set1_pd(1.0), a);
    const __m256d lo = _mm256_set1_pd(kInside), hi = _mm256_set1_pd(1.0 - kInside);
    const __m256d uIn = _mm256_and_pd(_mm256_cmp_pd(u, lo, _CMP_GE_OQ), _mm256_cmp_pd(u, hi, _CMP_LE_OQ));
    const __m256d vIn = _mm256_and_pd(_mm256_cmp_pd(v, lo, _CMP_GE_OQ), _mm256_cmp_pd(v, hi, _CMP_LE_OQ));
    const int ahead = _mm256_movemask_pd(_mm256_cmp_pd(den, _mm256_setzero_pd(), _CMP_GT_OQ));
    if (_mm256_movemask_pd(_mm256_and_pd(uIn, vIn)) != 0xF || (ahead != 0 && ahead != 0xF)) return false;
    alignas(32) double col[4], row[4];
    const __m256d half = _mm256_set1_pd(0.5);
    _mm256_store_pd(col, _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(m_texW), u), half));
    _mm256_store_pd(row, _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(m_texH), v), half));
    const double colLo = std::min(std::min(col[0], col[1]), std::min(col[2], col[3]));
    const double colHi = std::max(std::max(col[0], col[1]), std::max(col[2], col[3]));
    const double rowLo = std::min(std::min(row[0], row[1]), std::min(row[2], row[3]));
    const double rowHi = std::max(std::max(row[0], row[1]), std::max(row[2], row[3]));
    std::uint32_t colour;
    if (!m_flat->IsOneColour(static_cast<int>(std::max(colLo - kTexel, 0.0)), static_cast<int>(colHi + kTexel),
                             static_cast<int>(std::max(rowLo - kTexel, 0.0)), static_cast<int>(rowHi + kTexel),
                             colour))
        return false;
    const auto n = static_cast<std::uint32_t>(m_count);
    out.sum[0] = (colour & 0xFF) * n;
    out.sum[1] = (colour >> 8 & 0xFF) * n;
    out.sum[2] = (colour >> 16) * n;
    out.count = m_count;
    return true;
}
#else
bool CFaceRunSampler::OneColourSpan(int, int, double, double, double, CPixelSamples&) const noexcept
{
    return false;
}
#endif

void CFaceRunSampler::SampleRun(int left, int right, double rowA, double rowB, double rowC,
                                CPixelSamples* out) const noexcept
{
    if (!m_flat) {
        SampleRunAnyWay(left, right, rowA, rowB, rowC, out);
        return;
    }
    // Spans of pixels that take one colour together: a span twice as long
    // after each that did, half as long after one that did not, down to a
    // pixel; a pixel that does not is sampled.
    constexpr int kLongestSpan = 256;
    int from = left; // the first pixel not yet sampled
    int span = 1;
    for (int x = left; x <= right;) {
        const int last = std::min(right, x + span - 1);
        CPixelSamples one;
        if (OneColourSpan(x, last, rowA, rowB, rowC, one)) {
            if (from < x) SampleRunAnyWay(from, x - 1, rowA, rowB, rowC, out + (from - left));
            std::fill(out + (x - left), out + (last - left) + 1, one);
            from = x = last + 1;
            span = std::min(2 * span, kLongestSpan);
        } else if (span > 1) {
            span /= 2;
        } else {
            ++x;
        }
    }
    if (from <= right) SampleRunAnyWay(from, right, rowA, rowB, rowC, out + (from - left));
}

void CFaceRunSampler::SampleRunAnyWay(int left, int right, double rowA, double rowB, double rowC,
                                      CPixelSamples* out) const noexcept
{
    if (m_linear)
        SampleRunLinear(left, right, rowA, rowB, rowC, out);
    else if (HasWideMapping())
        SampleRunWide(left, right, rowA, rowB, rowC, out);
    else
        SampleRunReference(left, right, rowA, rowB, rowC, out);
}
