// CSmoothFace (SmoothFace.h): the set-up of a face, the level and the
// samples of an edge pixel, and the colours of inside pixels.
#include "engine3d/surface/SmoothFace.h"
#include "engine3d/sampling/BilinearRead.h"
#include "engine3d/sampling/FaceSetup.h"
#include "engine3d/sampling/WideBilinear.h"
#include "engine3d/surface/ColumnRange.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VT_CORNERS_AVX2 1
#endif

namespace {

std::atomic<bool> g_interiorShortcut{true};

inline void AvoidWhite(std::uint32_t c[3]) noexcept
{
    if (c[0] == 0xFF && c[1] == 0xFF && c[2] == 0xFF) c[0] = c[1] = c[2] = 0xFE;
}

// Whether four samples whose numerators are pA + offA[k], pB + offB[k] and
// pC + offC[k] all lie beyond one edge of the face (CSmoothFace::Misses),
// worked out for the four at once: the same operations on each as the
// one-sample loop, so the same answers.
#if defined(VT_CORNERS_AVX2)
__attribute__((target("avx2"))) inline bool AllFour(__m256d m) noexcept { return _mm256_movemask_pd(m) == 0xF; }

__attribute__((target("avx2"))) bool CornersBeyondOneEdge(double pA, double pB, double pC, const double* offA,
                                                         const double* offB, const double* offC) noexcept
{
    const __m256d va = _mm256_add_pd(_mm256_set1_pd(pA), _mm256_loadu_pd(offA));
    const __m256d vb = _mm256_add_pd(_mm256_set1_pd(pB), _mm256_loadu_pd(offB));
    const __m256d vc = _mm256_add_pd(_mm256_set1_pd(pC), _mm256_loadu_pd(offC));
    const __m256d zero = _mm256_setzero_pd();
    const int positive = _mm256_movemask_pd(_mm256_cmp_pd(vc, zero, _CMP_GT_OQ));
    const int negative = _mm256_movemask_pd(_mm256_cmp_pd(vc, zero, _CMP_LT_OQ));
    if (positive != 0xF && negative != 0xF) return false; // a sign of zero, mixed signs or not a number
    const __m256d s = _mm256_set1_pd(positive == 0xF ? 1.0 : -1.0);
    const __m256d noSign = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF));
    const __m256d sum = _mm256_add_pd(_mm256_add_pd(_mm256_and_pd(va, noSign), _mm256_and_pd(vb, noSign)),
                                      _mm256_and_pd(vc, noSign));
    const __m256d margin = _mm256_mul_pd(_mm256_set1_pd(1e-9), sum);
    const __m256d lowMargin = _mm256_sub_pd(zero, margin);
    return AllFour(_mm256_cmp_pd(_mm256_mul_pd(s, vb), lowMargin, _CMP_LT_OQ)) ||                  // u < 0
           AllFour(_mm256_cmp_pd(_mm256_mul_pd(s, _mm256_sub_pd(vb, vc)), margin, _CMP_GT_OQ)) || // u > 1
           AllFour(_mm256_cmp_pd(_mm256_mul_pd(s, _mm256_sub_pd(va, vc)), margin, _CMP_GT_OQ)) || // v < 0
           AllFour(_mm256_cmp_pd(_mm256_mul_pd(s, va), lowMargin, _CMP_LT_OQ));                   // v > 1
}
#endif

} // namespace

void CSmoothFace::SetInteriorShortcut(bool enabled) noexcept
{
    g_interiorShortcut.store(enabled, std::memory_order_relaxed);
}

CSmoothFace::CSmoothFace(const CQuadMapping& m, const CFaceSetup& f, const CTextureSet* textures, char /*faceCode*/,
                         int sampleCount) noexcept
    : map(m), face(f)
{
    const CSampleGrid& grid = GridFor(sampleCount);
    side = grid.side;
    N = grid.count;
    reach = (side - 1) * grid.step;
    for (int s = 0; s < N; ++s) {
        offA[s] = map.ax * grid.dx[s] + map.ay * grid.dy[s];
        offB[s] = map.bx * grid.dx[s] + map.by * grid.dy[s];
        offC[s] = map.cx * grid.dx[s] + map.cy * grid.dy[s];
    }
    const int corners[4] = {0, side - 1, N - side, N - 1};
    for (int i = 0; i < 4; ++i)
        cornerA[i] = offA[corners[i]], cornerB[i] = offB[corners[i]], cornerC[i] = offC[corners[i]];
    smooth = textures && textures->smooth && face.tex && !face.isDisc; // the disc keeps its key exact
    topLevel = face.levelCount > 0 ? face.levelCount - 1 : 0;
    if (face.folds) {
        uLo = face.foldU;
        uHi = 1.0 - face.foldU;
        vLo = face.foldV;
        vHi = 1.0 - face.foldV;
    }
    if (face.radius != 0.0) { // the band between the corners' columns
        const double r = face.faceW > 0.0 ? face.radius / face.faceW : 1.0;
        uLo = std::max(uLo, r);
        uHi = std::min(uHi, 1.0 - r);
    }
    shortcut = g_interiorShortcut.load(std::memory_order_relaxed) && !face.isDisc && (smooth || !face.tex) &&
               uLo < uHi && vLo < vHi;
    plainFill = !face.tex && !face.folds && face.radius == 0.0 && !face.discShape;
    wideReads = smooth && wide_bilinear::Available();
    sumWide = wideReads && face.radius == 0.0 && !face.discShape;
    foldWord = GetBValue(face.foldColour) | GetGValue(face.foldColour) << 8 | GetRValue(face.foldColour) << 16;
    vector = shortcut && face.tex &&
             sampler.Setup(*face.tex, face.levels, face.whiteAvoid, map.ax, map.bx, map.cx, map.ay, map.by, map.cy);
}

inline const CTexture* CSmoothFace::LevelOf(const double* us, const double* vs) const noexcept
{
    if (!smooth || topLevel <= 0) return face.tex;
    const double W = face.tex->width, H = face.tex->height;
    const double ax = (us[side - 1] - us[0]) * W, ay = (vs[side - 1] - vs[0]) * H;
    const double bx = (us[N - side] - us[0]) * W, by = (vs[N - side] - vs[0]) * H;
    double footprint2 = std::max(ax * ax + ay * ay, bx * bx + by * by) / (reach * reach);
    int L = 0;
    while (footprint2 > 2.0 && L < topLevel) {
        footprint2 *= 0.25;
        ++L;
    }
    return face.Level(L);
}

inline bool CSmoothFace::Sample(const CTexture* level, double u, double v, std::uint32_t& bgr,
                                std::uint32_t read) const noexcept
{
    if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0) || !face.InCorners(u, v)) return false;
    const auto pack = [](std::uint32_t b, std::uint32_t g, std::uint32_t r) { return b | g << 8 | r << 16; };
    std::uint32_t c[3];
    if (face.InFold(u, v)) {
        bgr = pack(GetBValue(face.foldColour), GetGValue(face.foldColour), GetRValue(face.foldColour));
    } else if (!face.tex) {
        bgr = pack(face.fill[0], face.fill[1], face.fill[2]);
    } else if (smooth && read != CInteriorSampler::kNotRead) {
        bgr = read;
    } else if (smooth) {
        Bilinear(*level, u, v, c);
        if (face.whiteAvoid) AvoidWhite(c);
        bgr = pack(c[0], c[1], c[2]);
    } else {
        const CTexture& t = *face.tex;
        const double uu = face.cdHalf ? 0.5 + 0.5 * u : u;
        const std::uint8_t* p = t.At(static_cast<int>((t.width - 1) * uu + 0.5),
                                     static_cast<int>((t.height - 1) * v + 0.5));
        if (face.isDisc && p[0] == 0xFE && p[1] == 0xFE && p[2] == 0xFE) return false; // transparent
        c[0] = p[0], c[1] = p[1], c[2] = p[2];
        if (face.whiteAvoid) AvoidWhite(c);
        bgr = pack(c[0], c[1], c[2]);
    }
    return true;
}

bool CSmoothFace::Misses(int x, double rowA, double rowB, double rowC) const noexcept
{
    const double pA = map.ax * x + rowA, pB = map.bx * x + rowB, pC = map.cx * x + rowC;
#if defined(VT_CORNERS_AVX2)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) return CornersBeyondOneEdge(pA, pB, pC, cornerA, cornerB, cornerC);
#endif
    int beyond[4] = {0, 0, 0, 0};
    double sign = 0.0;
    for (int i = 0; i < 4; ++i) {
        const double a = pA + cornerA[i], b = pB + cornerB[i], c = pC + cornerC[i];
        const double s = c > 0.0 ? 1.0 : c < 0.0 ? -1.0 : 0.0;
        if (s == 0.0 || (sign != 0.0 && s != sign)) return false;
        sign = s;
        const double margin = 1e-9 * (std::abs(a) + std::abs(b) + std::abs(c));
        beyond[0] += s * b < -margin;       // u < 0
        beyond[1] += s * (b - c) > margin;  // u > 1
        beyond[2] += s * (a - c) > margin;  // v < 0
        beyond[3] += s * a < -margin;       // v > 1
    }
    return beyond[0] == 4 || beyond[1] == 4 || beyond[2] == 4 || beyond[3] == 4;
}

CPixelSamples CSmoothFace::AllSamples(int x, double rowA, double rowB, double rowC) const noexcept
{
    double us[kRoom], vs[kRoom];
    const double pA = map.ax * x + rowA;
    const double pB = map.bx * x + rowB;
    const double pC = map.cx * x + rowC;
    CInteriorSampler::MapSamples(pA, pB, pC, offA, offB, offC, wideReads ? (N + 15) & ~15 : (N + 3) & ~3, us, vs);
    CPixelSamples out;
    if (plainFill) { // every sample on the face shows the fill colour
        for (int s = 0; s < N; ++s) out.count += us[s] >= 0.0 && us[s] < 1.0 && vs[s] >= 0.0 && vs[s] < 1.0;
        for (int k = 0; k < 3; ++k) out.sum[k] = face.fill[k] * static_cast<std::uint32_t>(out.count);
        return out;
    }
    const CTexture* level = LevelOf(us, vs);
    if (sumWide && // the shape the unit square: read and summed sixteen at a time
        CInteriorSampler::SumPositions(*level, us, vs, N, face.whiteAvoid, face.folds, face.foldU, face.foldV, foldWord,
                                       out.sum, out.count))
        return out;
    std::uint32_t read[kRoom];
    // The samples read beforehand; the rest are read one by one.
    const int readAhead = smooth ? CInteriorSampler::ReadPositions(*level, us, vs, N, face.whiteAvoid, read) : 0;
    std::uint32_t blue = 0, green = 0, red = 0; // kept out of memory: each sample is one word
    for (int s = 0; s < N; ++s) {
        std::uint32_t bgr;
        if (!Sample(level, us[s], vs[s], bgr, s < readAhead ? read[s] : CInteriorSampler::kNotRead)) continue;
        blue += bgr & 0xFF, green += bgr >> 8 & 0xFF, red += bgr >> 16 & 0xFF;
        ++out.count;
    }
    out.sum[0] = blue, out.sum[1] = green, out.sum[2] = red;
    return out;
}

void CSmoothFace::Interior(int x, double rowA, double rowB, double rowC, std::uint32_t c[3]) const noexcept
{
    if (!face.tex) {
        for (int k = 0; k < 3; ++k) c[k] = face.fill[k];
        return;
    }
    const CTexture& tex = *face.tex;
    const double A = map.ax * x + rowA, B = map.bx * x + rowB, C = map.cx * x + rowC;
    const double inv = 1.0 / C;
    const double u = B * inv, a = A * inv, v = 1.0 - a;
    // d(B / C)/dx = (bx - u cx) / C; v = 1 - A / C likewise.
    const double dux = (map.bx - u * map.cx) * inv, duy = (map.by - u * map.cy) * inv;
    const double dvx = (a * map.cx - map.ax) * inv, dvy = (a * map.cy - map.ay) * inv;
    const double W = tex.width, H = tex.height;
    double footprint2 = std::max(dux * dux * W * W + dvx * dvx * H * H, duy * duy * W * W + dvy * dvy * H * H);
    if (footprint2 <= 1.0) {
        Bilinear(tex, u, v, c);
        if (face.whiteAvoid) AvoidWhite(c);
        return;
    }
    int L = 0;
    while (footprint2 > 4.0 && L < topLevel) { // one to two texels on level L
        footprint2 *= 0.25;
        ++L;
    }
    const CTexture& level = *face.Level(L);
    std::uint32_t sum[3] = {2, 2, 2}; // rounds the mean of four
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            const double dx = i == 0 ? -0.25 : 0.25, dy = j == 0 ? -0.25 : 0.25;
            std::uint32_t s[3];
            Bilinear(level, u + dux * dx + duy * dy, v + dvx * dx + dvy * dy, s);
            if (face.whiteAvoid) AvoidWhite(s);
            for (int k = 0; k < 3; ++k) sum[k] += s[k];
        }
    for (int k = 0; k < 3; ++k) c[k] = sum[k] >> 2;
}

void CSmoothFace::InteriorColumns(int left, int right, double rowA, double rowB, double rowC, int& innerLo,
                                  int& innerHi) const noexcept
{
    innerLo = right + 1;
    innerHi = right;
    if (!shortcut) return;
    const double midC = map.cx * (0.5 * (left + right)) + rowC;
    double lo, hi;
    InteriorBounds(rowA, rowB, rowC, midC > 0.0 ? 1.0 : -1.0, lo, hi);
    lo = std::max(lo, static_cast<double>(left));
    hi = std::min(hi, static_cast<double>(right));
    if (midC != 0.0 && lo <= hi) {
        innerLo = static_cast<int>(lo);
        innerHi = static_cast<int>(hi);
    }
}

void CSmoothFace::InteriorBounds(double rowA, double rowB, double rowC, double sg, double& lo,
                                 double& hi) const noexcept
{
    const double alpha[5] = {sg * map.cx,                            // in front
                             sg * (map.bx - uLo * map.cx),           // u >= uLo
                             sg * (uHi * map.cx - map.bx),           // u <= uHi
                             sg * ((1.0 - vLo) * map.cx - map.ax),   // v >= vLo
                             sg * (map.ax - (1.0 - vHi) * map.cx)};  // v <= vHi
    double beta[5][4];
    for (int k = 0; k < 4; ++k) { // the grid's corner samples
        const double cA = rowA + cornerA[k], cB = rowB + cornerB[k], cC = rowC + cornerC[k];
        beta[0][k] = sg * cC;
        beta[1][k] = sg * (cB - uLo * cC);
        beta[2][k] = sg * (uHi * cC - cB);
        beta[3][k] = sg * ((1.0 - vLo) * cC - cA);
        beta[4][k] = sg * (cA - (1.0 - vHi) * cC);
    }
    CColumnRange range;
    KeepFour(range, alpha, beta, 5);
    lo = std::ceil(range.lo) + 1.0;
    hi = std::floor(range.hi) - 1.0;
}
