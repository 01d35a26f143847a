#include "engine3d/sampling/InteriorSampler.h"

#include "engine3d/sampling/TargetRegion.h"
#include "engine3d/sampling/WideBilinear.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <climits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_INTERIOR_AVX2 1
#endif

namespace {
std::atomic<bool> g_enabled{true};
std::atomic<bool> g_wide{true};

// Sixteen reads at a time where the processor allows and they are not switched off.
bool Wide() noexcept
{
    return wide_bilinear::Available() && g_wide.load(std::memory_order_relaxed);
}
} // namespace

void CInteriorSampler::SetEnabled(bool enabled, bool wide) noexcept
{
    g_enabled.store(enabled, std::memory_order_relaxed);
    g_wide.store(wide, std::memory_order_relaxed);
}

#if defined(VT_INTERIOR_AVX2)
namespace {

// Every texel offset of the picture, and four bytes from it, fits in 32 bits.
bool Addressable(const CTexture& t) noexcept
{
    const long long end = static_cast<long long>(t.height - 1) * t.stride + 3LL * t.width + 4;
    return t.stride > 0 && t.stride <= INT_MAX && end <= INT_MAX;
}

} // namespace
#endif

bool CInteriorSampler::Setup(const CTexture& picture, const CTextureLevels* levels, bool whiteAvoid, double ax, double bx, double cx, double ay,
                             double by, double cy) noexcept
{
#if defined(VT_INTERIOR_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    if (!has || !g_enabled.load(std::memory_order_relaxed) || !picture.IsValid()) return false;
    if (!Addressable(picture)) return false;
    if (levels)
        for (const CTexture& level : levels->levels)
            if (!Addressable(level)) return false;
    m_tex = picture;
    m_levels = levels;
    m_whiteAvoid = whiteAvoid;
    m_wide = Wide();
    m_ax = ax;
    m_bx = bx;
    m_cx = cx;
    m_ay = ay;
    m_by = by;
    m_cy = cy;
    return true;
#else
    (void)picture, (void)levels, (void)whiteAvoid, (void)ax, (void)bx, (void)cx, (void)ay, (void)by, (void)cy;
    return false;
#endif
}

#if defined(VT_INTERIOR_AVX2)
// Along a row the derivatives SampleRun takes are du/dx = K1 / C^2 and
// dv/dx = K2 / C^2 with K1 = bx rowC - cx rowB and K2 = cx rowA - ax rowC,
// and du/dy = L1 / C^2, dv/dy = L2 / C^2 with L1 = (by cx - cy bx) x + by rowC
// - cy rowB and L2 = (ax cy - ay cx) x + cy rowA - ay rowC. With C of one sign
// over the run, |C| is least and greatest at its ends, and so are |L1| and
// |L2|; the squared footprints (K1^2 W^2 + K2^2 H^2) / C^4 and (L1^2 W^2 +
// L2^2 H^2) / C^4 are bounded by those values, from below by the least of
// the convex L1^2 W^2 + L2^2 H^2 over the run. The steps' roundings are a
// few units in the last place of the terms they take differences of (at
// most T = sum |steps| (|x| + 1) + sum |row numerators| each), so a footprint
// off by 20 T^2 / C^2 ulp: asking T^2 / C^2 times the picture's side below
// 1e9 keeps that under 1e-5 of a texel, far inside the 2 % kept below.
//
// A pixel takes one read where both squared footprints are at most 1, and
// otherwise four reads from level L where the larger is above 4^L and at
// most 4^(L + 1) (quartered while above 4, at most `top` times): the same
// for the run's bounds with 2 % to spare.
int CInteriorSampler::RunLevel(int x, int n, double rowA, double rowB, double rowC, int top,
                               bool fourReads) const noexcept
{
    const double x0 = x, x1 = x + n - 1;
    const double c0 = m_cx * x0 + rowC, c1 = m_cx * x1 + rowC;
    if (!((c0 > 0.0 && c1 > 0.0) || (c0 < 0.0 && c1 < 0.0))) return kMixed;
    const double ccLo = std::min(c0 * c0, c1 * c1);
    const double T = (std::abs(m_ax) + std::abs(m_bx) + std::abs(m_cx) + std::abs(m_ay) + std::abs(m_by) + std::abs(m_cy)) *
                         (std::max(std::abs(x0), std::abs(x1)) + 1.0) +
                     std::abs(rowA) + std::abs(rowB) + std::abs(rowC);
    if (!(T * T / ccLo * std::max(m_tex.width, m_tex.height) < 1e9)) return kMixed;
    const double W2 = static_cast<double>(m_tex.width) * m_tex.width;
    const double H2 = static_cast<double>(m_tex.height) * m_tex.height;
    const double k1 = m_bx * rowC - m_cx * rowB, k2 = m_cx * rowA - m_ax * rowC;
    const double s1 = m_by * m_cx - m_cy * m_bx, p1 = m_by * rowC - m_cy * rowB;
    const double s2 = m_ax * m_cy - m_ay * m_cx, p2 = m_cy * rowA - m_ay * rowC;
    const auto q = [&](double t) { return (s1 * t + p1) * (s1 * t + p1) * W2 + (s2 * t + p2) * (s2 * t + p2) * H2; };
    const double along = k1 * k1 * W2 + k2 * k2 * H2, down = std::max(q(x0), q(x1));
    const double least = ccLo * ccLo; // C^4 at its least
    if (along <= 0.98 * least && down <= 0.98 * least) return kOneRead;
    if (!fourReads) return kMixed;
    const double ccHi = std::max(c0 * c0, c1 * c1), most = ccHi * ccHi;
    const double curve = s1 * s1 * W2 + s2 * s2 * H2;
    const double t = curve > 0.0 ? std::clamp(-(s1 * p1 * W2 + s2 * p2 * H2) / curve, x0, x1) : x0;
    const double lo = 0.98 * std::max(along, q(t)) / most, hi = 1.02 * std::max(along, down) / least;
    if (!(lo > 1.0) || !(hi < HUGE_VAL)) return kMixed;
    const auto level = [top](double g) {
        int L = 0;
        for (; g > 4.0 && L < top; ++L) g *= 0.25;
        return L;
    };
    const int L = level(lo);
    return level(hi) == L ? L : kMixed;
}

// AVX2 only, not FMA: the compiler cannot fuse a product and a sum into one
// rounding, so each double is rounded as in the one-pixel read.
VT_TARGET_BEGIN("avx2")
namespace {

struct CRowSteps {
    __m256d ax, bx, cx, ay, by, cy, W, H;
};

// Four pixels' centres: the face position, its derivatives along the row
// and down the picture, and the squared footprint in texels along each.
struct CCentres {
    __m256d u, v, dux, duy, dvx, dvy, alongX, alongY;
};

// (d * d * size * size), left to right.
inline __m256d Square(__m256d d, __m256d size) noexcept
{
    return _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(d, d), size), size);
}

// Four pixels' centres on the face, u = B / C and v = 1 - a with a = A / C.
inline void CentreFour(const CRowSteps& s, __m256d xs, __m256d rowA, __m256d rowB, __m256d rowC, __m256d& u,
                       __m256d& v, __m256d& a, __m256d& inv) noexcept
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d A = _mm256_add_pd(_mm256_mul_pd(s.ax, xs), rowA);
    const __m256d B = _mm256_add_pd(_mm256_mul_pd(s.bx, xs), rowB);
    const __m256d C = _mm256_add_pd(_mm256_mul_pd(s.cx, xs), rowC);
    inv = _mm256_div_pd(one, C);
    a = _mm256_mul_pd(A, inv);
    u = _mm256_mul_pd(B, inv);
    v = _mm256_sub_pd(one, a);
}

CCentres MapFour(const CRowSteps& s, __m256d xs, __m256d rowA, __m256d rowB, __m256d rowC) noexcept
{
    CCentres c;
    __m256d a, inv;
    CentreFour(s, xs, rowA, rowB, rowC, c.u, c.v, a, inv);
    // d(B / C)/dx = (bx - u cx) / C; v = 1 - A / C likewise.
    c.dux = _mm256_mul_pd(_mm256_sub_pd(s.bx, _mm256_mul_pd(c.u, s.cx)), inv);
    c.duy = _mm256_mul_pd(_mm256_sub_pd(s.by, _mm256_mul_pd(c.u, s.cy)), inv);
    c.dvx = _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(a, s.cx), s.ax), inv);
    c.dvy = _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(a, s.cy), s.ay), inv);
    c.alongX = _mm256_add_pd(Square(c.dux, s.W), Square(c.dvx, s.H));
    c.alongY = _mm256_add_pd(Square(c.duy, s.W), Square(c.dvy, s.H));
    return c;
}

// The texel and weight of a position q on a side of `size` texels as the
// one-pixel read takes them (f = q size - 0.5 limited to [-1, size], not a
// number -1; the texel floor f, the weight (f - floor f) 256 + 0.5
// truncated), worked out on 256 f with `scaled` = 256 size: one conversion of
// 256 f + 0.5 rounded down gives texel and weight, as the sixteen-wide reads
// take them (engine3d/sampling/WideBilinear.cpp, TexelAndWeight, which says
// why that is the same read).
inline void TexelAndWeight(__m256d q, __m256d scaled, __m128i& index, __m128i& weight) noexcept
{
    __m256d g = _mm256_sub_pd(_mm256_mul_pd(q, scaled), _mm256_set1_pd(128.0));
    g = _mm256_min_pd(_mm256_max_pd(g, _mm256_set1_pd(-256.0)), scaled); // max takes -256 for not a number
    const __m128i t = _mm256_cvttpd_epi32(_mm256_floor_pd(_mm256_add_pd(g, _mm256_set1_pd(0.5))));
    index = _mm_srai_epi32(t, 8);
    weight = _mm_and_si128(t, _mm_set1_epi32(255));
}

inline __m256i Join(__m128i lo, __m128i hi) noexcept
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
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

// One picture level as the reads need it.
struct CLevelView {
    const int* bits;
    __m256d W, H;
    __m256i lastCol, lastRow, stride, lastTexel;
    explicit CLevelView(const CTexture& t) noexcept
        : bits(reinterpret_cast<const int*>(t.bits)), W(_mm256_set1_pd(256.0 * t.width)), H(_mm256_set1_pd(256.0 * t.height)),
          lastCol(_mm256_set1_epi32(t.width - 1)), lastRow(_mm256_set1_epi32(t.height - 1)),
          stride(_mm256_set1_epi32(static_cast<int>(t.stride))),
          lastTexel(_mm256_set1_epi32(static_cast<int>((t.height - 1) * t.stride) + 3 * (t.width - 1)))
    {
    }
};

// Bilinear reads of eight positions (u and v of four, then of four more):
// blue | green << 8 | red << 16, pure white made 0xFEFEFE with `whiteAvoid`.
// The farthest texel read is the top right one; where that is the picture's
// last texel, whose four-byte read could pass the end, the lane reads offset
// 0 instead and is set in `atEnd`.
__m256i ReadEight(const CLevelView& t, __m256d uLo, __m256d uHi, __m256d vLo, __m256d vHi, bool whiteAvoid,
                  __m256i& atEnd) noexcept
{
    __m128i ix[2], iy[2], wx[2], wy[2];
    TexelAndWeight(uLo, t.W, ix[0], wx[0]);
    TexelAndWeight(uHi, t.W, ix[1], wx[1]);
    TexelAndWeight(vLo, t.H, iy[0], wy[0]);
    TexelAndWeight(vHi, t.H, iy[1], wy[1]);
    const __m256i col = Join(ix[0], ix[1]), row = Join(iy[0], iy[1]);
    // Columns and rows of the four texels, clamped to the picture as in the one-pixel read.
    const __m256i zero = _mm256_setzero_si256(), one = _mm256_set1_epi32(1), three = _mm256_set1_epi32(3);
    const __m256i x0 = _mm256_mullo_epi32(_mm256_max_epi32(_mm256_min_epi32(col, t.lastCol), zero), three);
    const __m256i x1 = _mm256_mullo_epi32(_mm256_min_epi32(_mm256_add_epi32(col, one), t.lastCol), three);
    const __m256i r0 = _mm256_mullo_epi32(_mm256_max_epi32(_mm256_min_epi32(row, t.lastRow), zero), t.stride);
    const __m256i r1 = _mm256_mullo_epi32(_mm256_min_epi32(_mm256_add_epi32(row, one), t.lastRow), t.stride);
    atEnd = _mm256_cmpeq_epi32(_mm256_add_epi32(r1, x1), t.lastTexel);
    const __m256i a = Gather(t.bits, r0, x0, atEnd), b = Gather(t.bits, r0, x1, atEnd);
    const __m256i c = Gather(t.bits, r1, x0, atEnd), d = Gather(t.bits, r1, x1, atEnd);
    const __m256 f256 = _mm256_set1_ps(256.0f);
    const __m256 fx = _mm256_cvtepi32_ps(Join(wx[0], wx[1])), fy = _mm256_cvtepi32_ps(Join(wy[0], wy[1]));
    const __m256 gx = _mm256_sub_ps(f256, fx), gy = _mm256_sub_ps(f256, fy);
    const __m256 wa = _mm256_mul_ps(gx, gy), wb = _mm256_mul_ps(fx, gy);
    const __m256 wc = _mm256_mul_ps(gx, fy), wd = _mm256_mul_ps(fx, fy);
    __m256i pixel = zero;
    for (int shift = 0; shift <= 16; shift += 8) {
        __m256 sum = _mm256_add_ps(_mm256_mul_ps(Channel(a, shift), wa), _mm256_mul_ps(Channel(b, shift), wb));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(Channel(c, shift), wc));
        sum = _mm256_add_ps(sum, _mm256_mul_ps(Channel(d, shift), wd));
        sum = _mm256_mul_ps(_mm256_add_ps(sum, _mm256_set1_ps(32768.0f)), _mm256_set1_ps(1.0f / 65536.0f));
        pixel = _mm256_or_si256(pixel, _mm256_slli_epi32(_mm256_cvttps_epi32(sum), shift));
    }
    if (whiteAvoid)
        pixel = _mm256_blendv_epi8(pixel, _mm256_set1_epi32(0xFEFEFE),
                                   _mm256_cmpeq_epi32(pixel, _mm256_set1_epi32(0xFFFFFF)));
    return pixel;
}

// The pixels whose footprint is at most a texel along both directions.
inline int WithinTexel(const CCentres& c) noexcept
{
    const __m256d one = _mm256_set1_pd(1.0);
    return _mm256_movemask_pd(
        _mm256_and_pd(_mm256_cmp_pd(c.alongX, one, _CMP_LE_OQ), _mm256_cmp_pd(c.alongY, one, _CMP_LE_OQ)));
}

inline int LaneBits(__m256i mask) noexcept
{
    return _mm256_movemask_ps(_mm256_castsi256_ps(mask));
}

// The level whose texels the footprint spans one to two of: the squared
// footprint (the larger of the two) quartered while above 4, at most
// `top` times. Its index when every lane of `lanes` takes the same; -1 otherwise.
int CommonLevel(const CCentres& lo, const CCentres& hi, int lanes, int top) noexcept
{
    // max(alongY, alongX) takes alongX when either is not a number, as the one-pixel read does.
    __m256d f[2] = {_mm256_max_pd(lo.alongY, lo.alongX), _mm256_max_pd(hi.alongY, hi.alongX)};
    int steps[2][4] = {};
    for (int h = 0; h < 2; ++h)
        for (int L = 0; L < top; ++L) {
            const __m256d over = _mm256_cmp_pd(f[h], _mm256_set1_pd(4.0), _CMP_GT_OQ);
            const int bits = _mm256_movemask_pd(over);
            if (bits == 0) break;
            f[h] = _mm256_blendv_pd(f[h], _mm256_mul_pd(f[h], _mm256_set1_pd(0.25)), over);
            for (int i = 0; i < 4; ++i) steps[h][i] += (bits >> i) & 1;
        }
    int level = -1;
    for (int i = 0; i < 8; ++i) {
        if (!(lanes >> i & 1)) continue;
        const int L = steps[i / 4][i % 4];
        if (level >= 0 && L != level) return -1;
        level = L;
    }
    return level;
}

// p + dpx dx + dpy dy, left to right.
inline __m256d Apart(__m256d p, __m256d dpx, __m256d dpy, __m256d dx, __m256d dy) noexcept
{
    return _mm256_add_pd(_mm256_add_pd(p, _mm256_mul_pd(dpx, dx)), _mm256_mul_pd(dpy, dy));
}

// The mean of four reads half a pixel apart on the level: at u + dux dx + duy dy,
// v + dvx dx + dvy dy for dx, dy = -1/4, +1/4, each channel (sum + 2) / 4.
__m256i ReadFourApart(const CLevelView& t, const CCentres& lo, const CCentres& hi, bool whiteAvoid,
                      __m256i& atEnd) noexcept
{
    __m256i sum[3] = {_mm256_set1_epi32(2), _mm256_set1_epi32(2), _mm256_set1_epi32(2)};
    atEnd = _mm256_setzero_si256();
    for (double dy : {-0.25, 0.25})
        for (double dx : {-0.25, 0.25}) {
            const __m256d vdx = _mm256_set1_pd(dx), vdy = _mm256_set1_pd(dy);
            __m256i end;
            const __m256i pixel = ReadEight(t, Apart(lo.u, lo.dux, lo.duy, vdx, vdy), Apart(hi.u, hi.dux, hi.duy, vdx, vdy),
                                            Apart(lo.v, lo.dvx, lo.dvy, vdx, vdy), Apart(hi.v, hi.dvx, hi.dvy, vdx, vdy),
                                            whiteAvoid, end);
            atEnd = _mm256_or_si256(atEnd, end);
            for (int k = 0; k < 3; ++k)
                sum[k] = _mm256_add_epi32(sum[k], _mm256_and_si256(_mm256_srli_epi32(pixel, 8 * k),
                                                                    _mm256_set1_epi32(0xFF)));
        }
    __m256i pixel = _mm256_srli_epi32(sum[0], 2);
    pixel = _mm256_or_si256(pixel, _mm256_slli_epi32(_mm256_srli_epi32(sum[1], 2), 8));
    return _mm256_or_si256(pixel, _mm256_slli_epi32(_mm256_srli_epi32(sum[2], 2), 16));
}

// ReadFourApart's mean from sixteen reads at a time (wide_bilinear): the
// eight pixels at dx = -1/4 and at +1/4 in one call, for each dy, at the
// same positions.
__m256i ReadFourApartWide(const CTexture& level, const CCentres& lo, const CCentres& hi, bool whiteAvoid,
                          __m256i& atEnd) noexcept
{
    __m256i sum[3] = {_mm256_set1_epi32(2), _mm256_set1_epi32(2), _mm256_set1_epi32(2)};
    std::uint32_t left = 0;
    for (double dy : {-0.25, 0.25}) {
        alignas(64) double us[16], vs[16];
        alignas(64) std::uint32_t read[16];
        const __m256d vdy = _mm256_set1_pd(dy);
        for (int h = 0; h < 2; ++h) {
            const __m256d vdx = _mm256_set1_pd(h == 0 ? -0.25 : 0.25);
            _mm256_store_pd(us + 8 * h, Apart(lo.u, lo.dux, lo.duy, vdx, vdy));
            _mm256_store_pd(us + 8 * h + 4, Apart(hi.u, hi.dux, hi.duy, vdx, vdy));
            _mm256_store_pd(vs + 8 * h, Apart(lo.v, lo.dvx, lo.dvy, vdx, vdy));
            _mm256_store_pd(vs + 8 * h + 4, Apart(hi.v, hi.dvx, hi.dvy, vdx, vdy));
        }
        left |= wide_bilinear::ReadSixteen(level, us, vs, whiteAvoid, read);
        for (int h = 0; h < 2; ++h) {
            const __m256i pixel = _mm256_load_si256(reinterpret_cast<const __m256i*>(read + 8 * h));
            for (int k = 0; k < 3; ++k)
                sum[k] = _mm256_add_epi32(sum[k], _mm256_and_si256(_mm256_srli_epi32(pixel, 8 * k),
                                                                    _mm256_set1_epi32(0xFF)));
        }
    }
    const int lanes = static_cast<int>((left | left >> 8) & 0xFF);
    const __m256i bit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    atEnd = _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(lanes), bit), bit);
    __m256i pixel = _mm256_srli_epi32(sum[0], 2);
    pixel = _mm256_or_si256(pixel, _mm256_slli_epi32(_mm256_srli_epi32(sum[1], 2), 8));
    return _mm256_or_si256(pixel, _mm256_slli_epi32(_mm256_srli_epi32(sum[2], 2), 16));
}

// Eight packed pixels as 24 bytes (and 4 more that the next step overwrites).
inline void StoreEight(__m256i pixel, std::uint8_t* bgr) noexcept
{
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, //
                                          0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i packed = _mm256_shuffle_epi8(pixel, pack);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 12), _mm256_extracti128_si256(packed, 1));
}

} // namespace

std::uint64_t CInteriorSampler::SampleRun(int x, int n, double rowA, double rowB, double rowC,
                                          std::uint8_t* bgr) const noexcept
{
    const CRowSteps steps{_mm256_set1_pd(m_ax), _mm256_set1_pd(m_bx), _mm256_set1_pd(m_cx),
                          _mm256_set1_pd(m_ay), _mm256_set1_pd(m_by), _mm256_set1_pd(m_cy),
                          _mm256_set1_pd(m_tex.width), _mm256_set1_pd(m_tex.height)};
    const __m256d vA = _mm256_set1_pd(rowA), vB = _mm256_set1_pd(rowB), vC = _mm256_set1_pd(rowC);
    const CLevelView picture(m_tex);
    std::uint64_t left = 0;
    const int top = m_levels ? static_cast<int>(m_levels->levels.size()) - 1 : 0;
    const int kind = RunLevel(x, n, rowA, rowB, rowC, top, m_wide);
    if (kind == kOneRead) { // one read of the picture each, no derivatives needed
        if (m_wide) return wide_bilinear::CentreRun(m_tex, m_whiteAvoid, m_ax, m_bx, m_cx, x, n, rowA, rowB, rowC, bgr);
        for (int i = 0; i < n; i += 8, bgr += 24) {
            const __m256d xs = _mm256_add_pd(_mm256_set1_pd(x + i), _mm256_setr_pd(0, 1, 2, 3));
            __m256d uLo, vLo, uHi, vHi, a, inv;
            CentreFour(steps, xs, vA, vB, vC, uLo, vLo, a, inv);
            CentreFour(steps, _mm256_add_pd(xs, _mm256_set1_pd(4.0)), vA, vB, vC, uHi, vHi, a, inv);
            __m256i atEnd;
            StoreEight(ReadEight(picture, uLo, uHi, vLo, vHi, m_whiteAvoid, atEnd), bgr);
            left |= static_cast<std::uint64_t>(LaneBits(atEnd)) << i;
        }
        return n < 64 ? left & ((std::uint64_t{1} << n) - 1) : left;
    }
    if (kind >= 0) // every pixel four reads from one level (sixteen at a time only)
        return wide_bilinear::FourReadRun(m_levels ? m_levels->levels[static_cast<std::size_t>(kind)] : m_tex,
                                          m_whiteAvoid, {m_ax, m_bx, m_cx, m_ay, m_by, m_cy}, x, n, rowA, rowB,
                                          rowC, bgr);
    for (int i = 0; i < n; i += 8, bgr += 24) {
        const __m256d xs = _mm256_add_pd(_mm256_set1_pd(x + i), _mm256_setr_pd(0, 1, 2, 3));
        const CCentres lo = MapFour(steps, xs, vA, vB, vC);
        const CCentres hi = MapFour(steps, _mm256_add_pd(xs, _mm256_set1_pd(4.0)), vA, vB, vC);
        const int oneRead = WithinTexel(lo) | WithinTexel(hi) << 4;
        int done = 0;
        __m256i pixel = _mm256_setzero_si256(), atEnd;
        if (oneRead != 0) { // a footprint of at most a texel: one read of the picture
            pixel = ReadEight(picture, lo.u, hi.u, lo.v, hi.v, m_whiteAvoid, atEnd);
            done = oneRead & ~LaneBits(atEnd);
        }
        const int fourReads = ~oneRead & 0xFF;
        const int level = fourReads != 0 ? CommonLevel(lo, hi, fourReads, top) : -1;
        if (level >= 0) { // four reads from the level of one to two texels
            const CTexture& from = m_levels ? m_levels->levels[static_cast<std::size_t>(level)] : m_tex;
            const __m256i mean = m_wide ? ReadFourApartWide(from, lo, hi, m_whiteAvoid, atEnd)
                                        : ReadFourApart(CLevelView(from), lo, hi, m_whiteAvoid, atEnd);
            const int taken = fourReads & ~LaneBits(atEnd);
            const __m256i lanes = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
            const __m256i pick = _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(taken), lanes), lanes);
            pixel = _mm256_blendv_epi8(pixel, mean, pick);
            done |= taken;
        }
        StoreEight(pixel, bgr);
        left |= static_cast<std::uint64_t>(~done & 0xFF) << i;
    }
    return n < 64 ? left & ((std::uint64_t{1} << n) - 1) : left;
}

namespace {

__attribute__((target("avx2"))) void MapSamplesFour(double pA, double pB, double pC, const double* offA,
                                                   const double* offB, const double* offC, int n, double* us,
                                                   double* vs) noexcept
{
    const __m256d one = _mm256_set1_pd(1.0), vA = _mm256_set1_pd(pA), vB = _mm256_set1_pd(pB);
    const __m256d vC = _mm256_set1_pd(pC);
    for (int s = 0; s < n; s += 4) {
        const __m256d inv = _mm256_div_pd(one, _mm256_add_pd(vC, _mm256_loadu_pd(offC + s)));
        _mm256_storeu_pd(us + s, _mm256_mul_pd(_mm256_add_pd(vB, _mm256_loadu_pd(offB + s)), inv));
        _mm256_storeu_pd(vs + s, _mm256_sub_pd(one, _mm256_mul_pd(_mm256_add_pd(vA, _mm256_loadu_pd(offA + s)), inv)));
    }
}

} // namespace

void CInteriorSampler::MapSamples(double pA, double pB, double pC, const double* offA, const double* offB,
                                  const double* offC, int n, double* us, double* vs) noexcept
{
    static const bool has = __builtin_cpu_supports("avx2");
    if (has) {
        MapSamplesFour(pA, pB, pC, offA, offB, offC, n, us, vs);
        return;
    }
    for (int s = 0; s < n; ++s) {
        const double inv = 1.0 / (pC + offC[s]);
        us[s] = (pB + offB[s]) * inv;
        vs[s] = 1.0 - (pA + offA[s]) * inv;
    }
}

int CInteriorSampler::ReadPositions(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid,
                                    std::uint32_t* out) noexcept
{
    static const bool has = __builtin_cpu_supports("avx2");
    if (!has || !g_enabled.load(std::memory_order_relaxed) || !t.IsValid() || !Addressable(t)) return 0;
    if (Wide()) {
        wide_bilinear::ReadGroups(t, us, vs, n, whiteAvoid, out);
        return n;
    }
    const CLevelView view(t);
    const int whole = n & ~7;
    for (int i = 0; i < whole; i += 8) {
        __m256i atEnd;
        const __m256i pixel = ReadEight(view, _mm256_loadu_pd(us + i), _mm256_loadu_pd(us + i + 4),
                                        _mm256_loadu_pd(vs + i), _mm256_loadu_pd(vs + i + 4), whiteAvoid, atEnd);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_or_si256(pixel, atEnd));
    }
    return whole;
}

bool CInteriorSampler::SumPositions(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid,
                                    bool folds, double foldU, double foldV, std::uint32_t foldWord,
                                    std::uint32_t sum[3], int& count) noexcept
{
    static const bool has = __builtin_cpu_supports("avx2");
    if (!has || !g_enabled.load(std::memory_order_relaxed) || !t.IsValid() || !Addressable(t) || !Wide()) return false;
    return wide_bilinear::SumSamples(t, us, vs, n, whiteAvoid, folds, foldU, foldV, foldWord, sum, count);
}
VT_TARGET_END
#else
std::uint64_t CInteriorSampler::SampleRun(int, int n, double, double, double, std::uint8_t*) const noexcept
{
    return n < 64 ? (std::uint64_t{1} << n) - 1 : ~std::uint64_t{0};
}

int CInteriorSampler::ReadPositions(const CTexture&, const double*, const double*, int, bool, std::uint32_t*) noexcept
{
    return 0;
}

bool CInteriorSampler::SumPositions(const CTexture&, const double*, const double*, int, bool, bool, double, double,
                                    std::uint32_t, std::uint32_t*, int&) noexcept
{
    return false;
}

void CInteriorSampler::MapSamples(double pA, double pB, double pC, const double* offA, const double* offB,
                                  const double* offC, int n, double* us, double* vs) noexcept
{
    for (int s = 0; s < n; ++s) {
        const double inv = 1.0 / (pC + offC[s]);
        us[s] = (pB + offB[s]) * inv;
        vs[s] = 1.0 - (pA + offA[s]) * inv;
    }
}
#endif
