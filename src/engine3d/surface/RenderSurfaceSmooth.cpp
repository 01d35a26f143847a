// Lit and smoothly sampled faces of CRenderSurface.
//
// Smooth sampling: a pixel covers some number of texels of the face picture
// (its footprint); when that is more than about one texel, detail finer than
// the pixel beats against the pixel grid (moire), however many sub-samples
// the pixel averages. The picture level whose texels are about as large as
// the footprint (each level halves the picture, averaging 2 x 2 texels) is
// therefore chosen per pixel from the positions of the pixel's own first,
// last-in-row and last-in-column samples, and every sample is read
// bilinearly from the four texels around it, so that the picture also stays
// smooth where it is enlarged.
//
// Pixels wholly inside the face: the sub-sample grid only matters where the
// face's outline, a fold band or a rounded corner crosses the pixel. Along a
// picture row u = B / C and v = 1 - A / C with A, B, C linear in x, so each
// of "0 <= u < 1", "0 <= v < 1" and "in front of the eye" is a linear
// condition on x for a sample, and the columns where the four corner samples
// of the grid (and with them, the face's shape being convex, every sample)
// lie inside are one interval, narrowed by a pixel on each side against
// rounding. There the pixel is read from the derivatives of (u, v) at its
// centre, one division per pixel: a footprint of at most one texel takes one
// bilinear read of the picture itself; a larger one four bilinear reads half
// a pixel apart from the level on which the footprint is one to two texels,
// so that the reads are never more than a texel apart.
//
// Blocks: where the target is an enlargement that is reduced by block means
// (CTextureSet::interiorBlock), the light of the inside is worked out once
// per block instead of once per pixel (CInteriorBlocks below).
#include "engine3d/surface/RenderSurface.h"
#include "engine3d/sampling/BilinearRead.h"
#include "engine3d/sampling/FaceSetup.h"
#include "engine3d/sampling/InteriorSampler.h"
#include "engine3d/sampling/WideBilinear.h"
#include "engine3d/surface/BlockMeans.h"
#include "engine3d/surface/ColumnRange.h"
#include "engine3d/surface/FaceShade.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

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

// One lit or smoothly sampled face: its mapping and set-up, the sample
// offsets in the numerators, the picture levels and the interior bounds.
struct CSmoothFace {
    const CQuadMapping& map;
    const CFaceSetup& face;
    bool smooth = false;
    int side = 0, N = 0, topLevel = 0;
    double reach = 0.0; // pixels from the first to the last sample of a row
    // The samples' offsets, zero past N up to the most samples rounded up to sixteen.
    static constexpr int kRoom = 112;
    double offA[kRoom] = {}, offB[kRoom] = {}, offC[kRoom] = {};
    double cornerA[4] = {}, cornerB[4] = {}, cornerC[4] = {}; // the offsets of the grid's corner samples
    // The part of the face where no sample meets the outline, a fold band or
    // a rounded corner: u in [uLo, uHi], v in [vLo, vHi].
    double uLo = 0.0, uHi = 1.0, vLo = 0.0, vHi = 1.0;
    bool shortcut = false;
    bool vector = false; // interior pixels eight at a time
    bool plainFill = false; // no picture, no folds, square corners: a sample is the fill colour or off the face
    bool wideReads = false; // smooth, read sixteen samples at a time where the processor allows
    bool sumWide = false;   // and square corners, not the disc: AllSamples sums sixteen at a time
    std::uint32_t foldWord = 0; // the fold colour, blue | green << 8 | red << 16
    CInteriorSampler sampler;

    CSmoothFace(const CQuadMapping& m, const CFaceSetup& f, const CTextureSet* textures, char /*faceCode*/,
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

    // The level a pixel reads from, its footprint taken from the samples:
    // the first and the last sample of its first row and column lie `reach`
    // pixels apart. Level round(log2 footprint): each level halves the
    // footprint; stop once it is below sqrt 2 texels.
    const CTexture* LevelOf(const double* us, const double* vs) const noexcept
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

    // One sample's colour, blue | green << 8 | red << 16; false when it does
    // not count (outside the shape, or a transparent texel of the CD-ROM).
    // `read` is the sample's bilinear read when it was made beforehand
    // (CInteriorSampler::ReadPositions).
    [[gnu::always_inline]] bool Sample(const CTexture* level, double u, double v, std::uint32_t& bgr,
                                       std::uint32_t read = CInteriorSampler::kNotRead) const noexcept
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

    // Whether no sample of pixel x can lie on the face: the four corner
    // samples all beyond one of its edges (u < 0, u >= 1, v < 0 or v >= 1,
    // linear conditions on the numerators where the denominator keeps its
    // sign), by a margin far above rounding. The other samples lie between
    // the corners, so beyond that edge too.
    bool Misses(int x, double rowA, double rowB, double rowC) const noexcept
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

    // Every sample of the grid: the outline, fold and corner tests per sample.
    // With smooth sampling the samples are read beforehand where the
    // processor allows (CInteriorSampler::ReadPositions, the same bilinear
    // reads); sixteen at a time, the positions past N are the pixel's own
    // (zero offsets), read and not counted.
    CPixelSamples AllSamples(int x, double rowA, double rowB, double rowC) const noexcept
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
        std::uint32_t read[kRoom];
        // The samples read beforehand; the rest are read one by one.
        const int readAhead = smooth ? CInteriorSampler::ReadPositions(*level, us, vs, N, face.whiteAvoid, read) : 0;
        if (readAhead == N && sumWide && // all read, the shape the unit square: the sums sixteen at a time
            wide_bilinear::SumInSquare(us, vs, read, N, face.folds, face.foldU, face.foldV, foldWord, out.sum, out.count))
            return out;
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

    // A pixel wholly inside: its colour from the centre and the derivatives
    // there (see the top of the file).
    void Interior(int x, double rowA, double rowB, double rowC, std::uint32_t c[3]) const noexcept
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

    // The columns of a row whose four corner samples lie inside, less a pixel
    // each side; innerLo > innerHi when there are none.
    void InteriorColumns(int left, int right, double rowA, double rowB, double rowC, int& innerLo,
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

    // The same columns, unbounded (lo > hi when none), for a face on the
    // side of the eye where sg * C > 0.
    void InteriorBounds(double rowA, double rowB, double rowC, double sg, double& lo, double& hi) const noexcept
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

    // Interior pixels x .. x + n - 1 (n <= CInteriorSampler::kMaxRun) into
    // bgr: eight at a time where the processor allows, the rest one by one.
    void InteriorRun(int x, int n, double rowA, double rowB, double rowC, std::uint8_t* bgr) const noexcept
    {
        std::uint64_t left = n < 64 ? (std::uint64_t{1} << n) - 1 : ~std::uint64_t{0};
        if (vector) left = sampler.SampleRun(x, n, rowA, rowB, rowC, bgr);
        for (; left != 0; left &= left - 1) {
            const int i = std::countr_zero(left);
            std::uint32_t c[3];
            Interior(x + i, rowA, rowB, rowC, c);
            for (int k = 0; k < 3; ++k) bgr[3 * i + k] = static_cast<std::uint8_t>(c[k]);
        }
    }
};

// The insides of a face lit once per block of the target
// (CTextureSet::interiorBlock, side K): block (i, j) holds the pixels K i ..
// K i + K - 1 of the whole picture's rows K j .. K j + K - 1 and is wholly
// inside when its corner pixels are (the inner part of the face is convex).
// Its pixels are read as every inside pixel is (CSmoothFace::InteriorRun);
// their mean is lit once, at the block's centre K i + K / 2 where the light
// of a pixel is taken half a pixel on (CFaceShade::LightAt: in block
// positions the face's mapping scaled by K), and fills the block, which the
// reduction to the output picture then takes as it is. Lighting is not linear
// in the stored levels, so the mean lit is not the mean of the pixels lit: a
// block whose levels spread by more than kSpread in a channel (an edge of
// text or a bar) is lit pixel by pixel, as before, and filled with the
// mean of its lit pixels, which the reduction's own mean (truncated) gives.
// The block row's pixels are then laid out once, for its K rows to copy.
struct CInteriorBlocks {
    static constexpr int kSpread = 12;
    const int K;
    const CQuadMapping lightMap;
    const CFaceShade blockShade;
    const CFaceShade& pixelShade;
    const double side;        // the sign of the mapping's denominator over the face
    int row = -1, first = 0, last = -1; // the block row held and its inside block columns
    std::vector<std::uint8_t>& colours; // blue, green, red of blocks first .. last
    std::vector<std::uint8_t>& pixels;  // the K rows of their pixels while they are read, then the row to copy
    std::vector<std::uint8_t>& uneven;  // 1 for the blocks lit pixel by pixel

    static CQuadMapping Scaled(const CQuadMapping& m, double k) noexcept
    {
        CQuadMapping s = m;
        s.ax = k * m.ax, s.ay = k * m.ay, s.bx = k * m.bx, s.by = k * m.by, s.cx = k * m.cx, s.cy = k * m.cy;
        return s;
    }
    // The sign of the denominator at the mean of the face's corners on the picture.
    static double SideOf(const CQuadMapping& m, const CPolygon3D& polygon) noexcept
    {
        double x = 0.0, y = 0.0;
        for (int i = 0; i < 4; ++i) x += 0.25 * polygon.vertices[i].sx, y += 0.25 * polygon.vertices[i].sy;
        const double c = m.cx * x + m.cy * y + m.c0;
        return c > 0.0 ? 1.0 : c < 0.0 ? -1.0 : 0.0;
    }

    CInteriorBlocks(int k, const CQuadMapping& map, const CPolygon3D& polygon, const CFaceShade& shade,
                    std::vector<std::uint8_t>& out, std::vector<std::uint8_t>& work,
                    std::vector<std::uint8_t>& flags) noexcept
        : K(k), lightMap(Scaled(map, k)), blockShade(polygon, lightMap), pixelShade(shade), side(SideOf(map, polygon)),
          colours(out), pixels(work), uneven(flags)
    {
    }

    // The inside block columns of block row j of a picture `width` pixels
    // wide, the face `f`.
    void FindBlocks(int j, int width, const CSmoothFace& f) noexcept
    {
        row = j, first = 0, last = -1;
        double lo = -HUGE_VAL, hi = HUGE_VAL;
        for (const int y : {K * j, K * j + K - 1}) {
            double l, h;
            f.InteriorBounds(f.map.ay * y + f.map.a0, f.map.by * y + f.map.b0, f.map.cy * y + f.map.c0, side, l, h);
            lo = std::max(lo, l), hi = std::min(hi, h);
        }
        if (!(lo <= hi) || side == 0.0) return;
        const double count = width / K;
        first = static_cast<int>(std::clamp(std::ceil(lo / K), 0.0, count));
        last = static_cast<int>(std::clamp(std::floor((hi + 1.0) / K) - 1.0, -1.0, count - 1.0));
    }

    // Reads and lights the inside blocks of block row j.
    void Read(int j, int width, const CSmoothFace& f) noexcept
    {
        FindBlocks(j, width, f);
        if (first > last) return;
        if (!f.face.tex) { // the fill colour, whatever the pixel
            const std::uint8_t b = f.face.fill[0], g = f.face.fill[1], r = f.face.fill[2];
            std::uint8_t* c = colours.data();
            for (int i = 0, n = last - first + 1; i < n; ++i, c += 3) c[0] = b, c[1] = g, c[2] = r;
            blockShade.Apply(colours.data(), last - first + 1, first, j);
            Fill();
            return;
        }
        const int from = K * first, to = K * last + K - 1;
        const std::size_t stride = 3 * static_cast<std::size_t>(to - from + 1);
        for (int r = 0; r < K; ++r) { // runs may write past their end: the next run or row, or the slack, takes it
            const int y = K * j + r;
            const double rowA = f.map.ay * y + f.map.a0, rowB = f.map.by * y + f.map.b0, rowC = f.map.cy * y + f.map.c0;
            for (int x = from; x <= to; x += CInteriorSampler::kMaxRun)
                f.InteriorRun(x, std::min(CInteriorSampler::kMaxRun, to - x + 1), rowA, rowB, rowC,
                              &pixels[r * stride + 3 * static_cast<std::size_t>(x - from)]);
        }
        const CBlockRows rows{pixels.data(), stride, K, last - first + 1};
        BlockMeans(rows, kSpread, colours.data(), uneven.data());
        if (f.face.whiteAvoid)
            for (std::size_t i = 0; i < 3 * static_cast<std::size_t>(rows.count); i += 3)
                if (colours[i] == 0xFF && colours[i + 1] == 0xFF && colours[i + 2] == 0xFF)
                    colours[i] = colours[i + 1] = colours[i + 2] = 0xFE; // the mean of near-white pixels is not the layer's white
        // Runs of even blocks lit at their centres; runs of uneven ones pixel by pixel, a row at a time.
        for (int i = 0, end; i < rows.count; i = end) {
            const std::uint8_t kind = uneven[static_cast<std::size_t>(i)];
            for (end = i + 1; end < rows.count && uneven[static_cast<std::size_t>(end)] == kind;) ++end;
            if (!kind) {
                blockShade.Apply(&colours[3 * static_cast<std::size_t>(i)], end - i, first + i, j);
                continue;
            }
            for (int r = 0; r < K; ++r)
                pixelShade.Apply(&pixels[r * stride + 3 * static_cast<std::size_t>(K * i)], K * (end - i),
                                 K * (first + i), K * j + r);
        }
        TruncatedBlockMeans(rows, uneven.data(), colours.data());
        Fill();
    }

    // Pixels K first .. K last + K - 1 of the block row, each its block's
    // colour, from pixels[0] on: four bytes a pixel, the fourth overwritten
    // by the next or left in the slack.
    void Fill() noexcept
    {
        std::uint8_t* p = pixels.data();
        const std::uint8_t* c = colours.data();
        for (int i = 0, n = last - first + 1, k = K; i < n; ++i, c += 3) {
            const std::uint32_t four = c[0] | c[1] << 8 | c[2] << 16;
            for (int r = 0; r < k; ++r, p += 3) std::memcpy(p, &four, 4);
        }
    }

    // The pixels from .. to of interior columns innerLo .. innerHi of whole
    // picture row py that whole inside blocks hold; false when none.
    bool Columns(int py, int innerLo, int innerHi, int width, const CSmoothFace& f, int& from, int& to) noexcept
    {
        if (py / K != row) Read(py / K, width, f);
        from = std::max(K * first, (innerLo + K - 1) / K * K);
        to = std::min(K * last + K - 1, (innerHi + 1) / K * K - 1);
        return from <= to;
    }
};

void CRenderSurface::SetInteriorShortcut(bool enabled) noexcept
{
    g_interiorShortcut.store(enabled, std::memory_order_relaxed);
}

void CRenderSurface::DrawFilteredQuad(const CQuadMapping& map, const CFaceSetup& face, const CTextureSet* textures,
                                      char faceCode, const CPolygon3D& polygon, int sampleCount, bool soften) noexcept
{
    if (!face.tex && face.isDisc) return;
    const CSmoothFace f(map, face, textures, faceCode, sampleCount);
    const CFaceShade shade(polygon, map);
    CEdgePixels edges;
    if (soften && !EnsureSoftening()) soften = false; // no memory: draw without softening
    std::optional<CInteriorBlocks> blocks;
    const int K = textures ? textures->interiorBlock : 1;
    if (K > 1 && f.shortcut && (face.boxFace || !soften) && EnsureBlockColours(K))
        blocks.emplace(K, map, polygon, shade, m_blockColours, m_blockPixels, m_blockUneven);
    for (int y = m_scanLow; y <= m_scanHigh; ++y) {
        CSmoothRow row;
        int left, right;
        if (!RowSpan(y, map, left, right, row.A, row.B, row.C)) continue;
        row.y = y;
        int innerLo, innerHi;
        f.InteriorColumns(left, right, row.A, row.B, row.C, innerLo, innerHi);
        if (innerLo > innerHi) {
            DrawSmoothEdge(f, shade, edges, row, left, right, soften);
            continue;
        }
        int from = innerHi + 1, to = innerHi;
        if (blocks && !blocks->Columns(y + m_band, innerLo, innerHi, m_width, f, from, to))
            from = innerHi + 1, to = innerHi;
        DrawSmoothEdge(f, shade, edges, row, left, innerLo - 1, soften);
        DrawSmoothInterior(f, shade, row, innerLo, from - 1, soften);
        if (from <= to) DrawInteriorBlocks(*blocks, y, from, to, f.N, soften);
        DrawSmoothInterior(f, shade, row, to + 1, innerHi, soften);
        DrawSmoothEdge(f, shade, edges, row, innerHi + 1, right, soften);
    }
    edges.Flush(shade, m_band, [&](int x, int y, const CPixelSamples& s) {
        StoreSamples(x, y, s, f.N, f.face.boxFace, soften);
    });
}

bool CRenderSurface::EnsureBlockColours(int k) noexcept
{
    try {
        const std::size_t bytes = 3 * (static_cast<std::size_t>(m_width / k) + 1);
        if (m_blockColours.size() < bytes) m_blockColours.resize(bytes);
        if (m_blockUneven.size() < bytes / 3) m_blockUneven.resize(bytes / 3);
        const std::size_t pixels = static_cast<std::size_t>(k) * 3 * static_cast<std::size_t>(m_width) +
                                   CInteriorSampler::kBufferBytes;
        if (m_blockPixels.size() < pixels) m_blockPixels.resize(pixels);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Whole inside blocks: each pixel its block's colour (copied from the block
// row's laid out pixels), fully covered.
void CRenderSurface::DrawInteriorBlocks(const CInteriorBlocks& b, int y, int from, int to, int N, bool soften) noexcept
{
    std::memcpy(Pixel(from, y), &b.pixels[3 * static_cast<std::size_t>(from - b.K * b.first)],
                3 * static_cast<std::size_t>(to - from + 1));
    if (soften) CoverRun(from, to, y, N);
}

// Pixels the outline crosses: every sample of the grid. They are lit and
// stored a few rows later, together (CEdgePixels), and the rest at the end of
// the face.
void CRenderSurface::DrawSmoothEdge(const CSmoothFace& f, const CFaceShade& shade, CEdgePixels& edges,
                                    const CSmoothRow& row, int from, int to, bool soften) noexcept
{
    const auto store = [&](int x, int y, const CPixelSamples& s) {
        StoreSamples(x, y, s, f.N, f.face.boxFace, soften);
    };
    for (int x = from; x <= to; ++x) {
        if (f.Misses(x, row.A, row.B, row.C)) continue;
        const CPixelSamples samples = f.AllSamples(x, row.A, row.B, row.C);
        if (samples.count != 0 && edges.Add(x, row.y, samples)) edges.Flush(shade, m_band, store);
    }
}

// Pixels wholly inside: all N samples count, so the pixel is the colour
// itself and, with softening, a box face covers it fully (a run written with
// its coverage, without partial-pixel bookkeeping).
void CRenderSurface::DrawSmoothInterior(const CSmoothFace& f, const CFaceShade& shade, const CSmoothRow& row,
                                        int from, int to, bool soften) noexcept
{
    if (from > to) return;
    const bool direct = f.face.boxFace || !soften;
    const int N = f.N;
    const auto n32 = static_cast<std::uint32_t>(N);
    alignas(32) std::uint8_t bgr[CInteriorSampler::kBufferBytes];
    for (int x = from; x <= to; x += CInteriorSampler::kMaxRun) {
        const int n = std::min(CInteriorSampler::kMaxRun, to - x + 1);
        f.InteriorRun(x, n, row.A, row.B, row.C, bgr);
        shade.Apply(bgr, n, x, row.y + m_band);
        if (direct) {
            std::memcpy(Pixel(x, row.y), bgr, 3 * static_cast<std::size_t>(n));
            continue;
        }
        for (int i = 0; i < n; ++i) {
            const std::uint8_t* c = bgr + 3 * i;
            StoreSamples(x + i, row.y, CPixelSamples{{c[0] * n32, c[1] * n32, c[2] * n32}, N}, N, f.face.boxFace,
                         soften);
        }
    }
    if (direct && soften) CoverRun(from, to, row.y, N);
}
