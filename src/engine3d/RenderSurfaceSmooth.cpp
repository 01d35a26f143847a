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
#include "engine3d/RenderSurface.h"
#include "engine3d/BilinearRead.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::atomic<bool> g_interiorShortcut{true};

inline void AvoidWhite(std::uint32_t c[3]) noexcept
{
    if (c[0] == 0xFF && c[1] == 0xFF && c[2] == 0xFF) c[0] = c[1] = c[2] = 0xFE;
}

inline bool InsideCorner(double U, double V, double r, double fw, double fh) noexcept
{
    double cx, cy;
    if (U < r) cx = r;
    else if (U > fw - r) cx = fw - r;
    else return true;
    if (V < r) cy = r;
    else if (V > fh - r) cy = fh - r;
    else return true;
    const double dx = U - cx, dy = V - cy;
    return dx * dx + dy * dy <= r * r;
}

// The columns of a picture row that meet linear conditions alpha * x + beta >= 0.
struct CColumnRange {
    double lo = -HUGE_VAL;
    double hi = HUGE_VAL;

    void Keep(double alpha, double beta) noexcept
    {
        if (alpha > 0.0 || alpha < 0.0) {
            const double bound = -beta / alpha;
            if (!(bound == bound)) hi = -HUGE_VAL; // not a number: no column
            else if (alpha > 0.0) lo = std::max(lo, bound);
            else hi = std::min(hi, bound);
        } else if (!(alpha == 0.0 && beta >= 0.0)) {
            hi = -HUGE_VAL; // no column (or not a number)
        }
    }
};

} // namespace

void CRenderSurface::SetInteriorShortcut(bool enabled) noexcept
{
    g_interiorShortcut.store(enabled, std::memory_order_relaxed);
}

void CRenderSurface::DrawFilteredQuad(const CQuadMapping& map, const CTextureSet* textures, char faceCode,
                                      const CPolygon3D& polygon, int sampleCount, bool soften) noexcept
{
    const bool enhanced = sampleCount > 25;
    const int side = enhanced ? 10 : 5;
    const int N = side * side;
    const double first = enhanced ? -0.45 : -0.4;
    const double step = enhanced ? 0.1 : 0.2;
    double offA[100], offB[100], offC[100];
    for (int j = 0, s = 0; j < side; ++j)
        for (int i = 0; i < side; ++i, ++s) {
            const double dx = first + step * i, dy = first + step * j;
            offA[s] = map.ax * dx + map.ay * dy;
            offB[s] = map.bx * dx + map.by * dy;
            offC[s] = map.cx * dx + map.cy * dy;
        }

    const CTexture* tex = textures ? textures->GetPicture(faceCode) : nullptr;
    const bool isDisc = faceCode == FaceCode::kDisc;
    if (!tex && isDisc) return;
    const CTextureLevels* levels = textures && textures->smooth && tex ? textures->GetLevels(faceCode) : nullptr;
    const bool smooth = textures && textures->smooth && tex && !isDisc; // the disc keeps its transparent key exact
    const bool cdHalf = isDisc && textures && textures->cdHalf;
    const bool whiteAvoid = textures && textures->whiteAvoid;
    const double radius = textures ? textures->cornerRadius : 0.0;
    const double faceW = textures ? textures->faceWidth : 0.0;
    const double faceH = textures ? textures->faceHeight : 0.0;
    const bool boxFace = IsBoxFaceCode(faceCode);
    const bool folds = textures && textures->foldsShown && boxFace;
    double foldU = 0.0, foldV = 0.0;
    std::uint32_t foldColour = 0;
    if (folds) {
        foldU = textures->foldWidth / std::max(map.faceWidth, 1e-9);
        foldV = textures->foldWidth / std::max(map.faceHeight, 1e-9);
        foldColour = textures->foldsColour & 0xFFFFFFu;
        if (whiteAvoid && foldColour == 0xFFFFFFu) foldColour = 0xFEFEFEu;
    }
    const std::uint32_t fill = polygon.fillColour & 0xFFFFFFu;
    std::uint32_t fillBGR[3] = {GetBValue(fill), GetGValue(fill), GetRValue(fill)};
    if (whiteAvoid) AvoidWhite(fillBGR);
    const std::uint32_t shadeQ =
        static_cast<std::uint32_t>(std::lround(std::clamp(polygon.shade, 0.0, 1.0) * 256.0));
    if (soften && !EnsureSoftening()) soften = false; // no memory: draw without softening
    const int topLevel = levels ? static_cast<int>(levels->levels.size()) - 1 : 0;
    const double reach = (side - 1) * step; // pixels from the first to the last sample of a row

    // The part of the face where no sample meets the outline, a fold band or a
    // rounded corner: u in [uLo, uHi], v in [vLo, vHi].
    double uLo = 0.0, uHi = 1.0, vLo = 0.0, vHi = 1.0;
    if (folds) {
        uLo = foldU;
        uHi = 1.0 - foldU;
        vLo = foldV;
        vHi = 1.0 - foldV;
    }
    if (radius != 0.0) { // the band between the corners' columns
        const double r = faceW > 0.0 ? radius / faceW : 1.0;
        uLo = std::max(uLo, r);
        uHi = std::min(uHi, 1.0 - r);
    }
    const bool shortcut = g_interiorShortcut.load(std::memory_order_relaxed) && !isDisc && (smooth || !tex) &&
                          uLo < uHi && vLo < vHi;
    const int corners[4] = {0, side - 1, N - side, N - 1};

    // Every sample of the grid: the outline, fold and corner tests per sample.
    auto allSamples = [&](int x, double rowA, double rowB, double rowC, CPixelSamples& out) {
        double us[100], vs[100];
        const double pA = map.ax * x + rowA;
        const double pB = map.bx * x + rowB;
        const double pC = map.cx * x + rowC;
        for (int s = 0; s < N; ++s) {
            const double inv = 1.0 / (pC + offC[s]);
            us[s] = (pB + offB[s]) * inv;
            vs[s] = 1.0 - (pA + offA[s]) * inv;
        }
        const CTexture* level = tex;
        if (smooth && topLevel > 0) {
            // Footprint of the pixel in texels of level 0: the first and the
            // last sample of its first row and column lie `reach` pixels apart.
            const double W = tex->width, H = tex->height;
            const double ax = (us[side - 1] - us[0]) * W, ay = (vs[side - 1] - vs[0]) * H;
            const double bx = (us[N - side] - us[0]) * W, by = (vs[N - side] - vs[0]) * H;
            double footprint2 = std::max(ax * ax + ay * ay, bx * bx + by * by) / (reach * reach);
            // Level round(log2 footprint): each level halves the footprint;
            // stop once it is below sqrt 2 texels (footprint squared below 2).
            int L = 0;
            while (footprint2 > 2.0 && L < topLevel) {
                footprint2 *= 0.25;
                ++L;
            }
            level = &levels->levels[static_cast<std::size_t>(L)];
        }
        std::uint32_t sum[3] = {0, 0, 0};
        int count = 0;
        for (int s = 0; s < N; ++s) {
            const double u = us[s];
            const double v = vs[s];
            if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0)) continue;
            if (radius != 0.0 && !InsideCorner(u * faceW, v * faceH, radius, faceW, faceH)) continue;
            std::uint32_t c[3];
            if (folds && (u < foldU || u > 1.0 - foldU || v < foldV || v > 1.0 - foldV)) {
                c[0] = GetBValue(foldColour);
                c[1] = GetGValue(foldColour);
                c[2] = GetRValue(foldColour);
            } else if (!tex) {
                c[0] = fillBGR[0];
                c[1] = fillBGR[1];
                c[2] = fillBGR[2];
            } else if (smooth) {
                Bilinear(*level, u, v, c);
                if (whiteAvoid) AvoidWhite(c);
            } else {
                const double uu = cdHalf ? 0.5 + 0.5 * u : u;
                const std::uint8_t* t = tex->At(static_cast<int>((tex->width - 1) * uu + 0.5),
                                                static_cast<int>((tex->height - 1) * v + 0.5));
                if (isDisc && t[0] == 0xFE && t[1] == 0xFE && t[2] == 0xFE) continue; // transparent
                c[0] = t[0];
                c[1] = t[1];
                c[2] = t[2];
                if (whiteAvoid) AvoidWhite(c);
            }
            sum[0] += c[0];
            sum[1] += c[1];
            sum[2] += c[2];
            ++count;
        }
        out = CPixelSamples{{sum[0], sum[1], sum[2]}, count};
    };

    // A pixel wholly inside: its colour from the centre and the derivatives there.
    auto inside = [&](int x, double rowA, double rowB, double rowC, std::uint32_t c[3]) {
        if (!tex) {
            c[0] = fillBGR[0];
            c[1] = fillBGR[1];
            c[2] = fillBGR[2];
            return;
        }
        const double A = map.ax * x + rowA, B = map.bx * x + rowB, C = map.cx * x + rowC;
        const double inv = 1.0 / C;
        const double u = B * inv, a = A * inv, v = 1.0 - a;
        // d(B / C)/dx = (bx - u cx) / C; v = 1 - A / C likewise.
        const double dux = (map.bx - u * map.cx) * inv, duy = (map.by - u * map.cy) * inv;
        const double dvx = (a * map.cx - map.ax) * inv, dvy = (a * map.cy - map.ay) * inv;
        const double W = tex->width, H = tex->height;
        double footprint2 = std::max(dux * dux * W * W + dvx * dvx * H * H, duy * duy * W * W + dvy * dvy * H * H);
        if (footprint2 <= 1.0) {
            Bilinear(*tex, u, v, c);
            if (whiteAvoid) AvoidWhite(c);
            return;
        }
        int L = 0;
        while (footprint2 > 4.0 && L < topLevel) { // one to two texels on level L
            footprint2 *= 0.25;
            ++L;
        }
        const CTexture& level = levels ? levels->levels[static_cast<std::size_t>(L)] : *tex;
        std::uint32_t sum[3] = {2, 2, 2}; // rounds the mean of four
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) {
                const double dx = i == 0 ? -0.25 : 0.25, dy = j == 0 ? -0.25 : 0.25;
                std::uint32_t s[3];
                Bilinear(level, u + dux * dx + duy * dy, v + dvx * dx + dvy * dy, s);
                if (whiteAvoid) AvoidWhite(s);
                sum[0] += s[0];
                sum[1] += s[1];
                sum[2] += s[2];
            }
        c[0] = sum[0] >> 2;
        c[1] = sum[1] >> 2;
        c[2] = sum[2] >> 2;
    };

    for (int y = m_scanLow; y <= m_scanHigh; ++y) {
        const int left = m_scanLeft[static_cast<std::size_t>(y)];
        const int right = std::min(m_scanRight[static_cast<std::size_t>(y)], m_width - 1);
        if (left > right) continue;
        const int py = y + m_band; // row in the whole picture
        const double rowA = map.ay * py + map.a0;
        const double rowB = map.by * py + map.b0;
        const double rowC = map.cy * py + map.c0;

        // The columns whose four corner samples lie inside, less a pixel each side.
        int innerLo = right + 1, innerHi = right;
        if (shortcut) {
            const double midC = map.cx * (0.5 * (left + right)) + rowC;
            const double sg = midC > 0.0 ? 1.0 : -1.0;
            CColumnRange range;
            for (int k : corners) {
                const double cA = rowA + offA[k], cB = rowB + offB[k], cC = rowC + offC[k];
                range.Keep(sg * map.cx, sg * cC);                                             // in front
                range.Keep(sg * (map.bx - uLo * map.cx), sg * (cB - uLo * cC));               // u >= uLo
                range.Keep(sg * (uHi * map.cx - map.bx), sg * (uHi * cC - cB));               // u <= uHi
                range.Keep(sg * ((1.0 - vLo) * map.cx - map.ax), sg * ((1.0 - vLo) * cC - cA)); // v >= vLo
                range.Keep(sg * (map.ax - (1.0 - vHi) * map.cx), sg * (cA - (1.0 - vHi) * cC)); // v <= vHi
            }
            const double lo = std::max(std::ceil(range.lo) + 1.0, static_cast<double>(left));
            const double hi = std::min(std::floor(range.hi) - 1.0, static_cast<double>(right));
            if (midC != 0.0 && lo <= hi) {
                innerLo = static_cast<int>(lo);
                innerHi = static_cast<int>(hi);
            }
        }

        // Pixels the outline crosses: every sample of the grid.
        auto edgePixels = [&](int from, int to) {
            for (int x = from; x <= to; ++x) {
                CPixelSamples samples;
                allSamples(x, rowA, rowB, rowC, samples);
                if (samples.count == 0) continue;
                if (shadeQ != 256)
                    for (std::uint32_t& v : samples.sum) v = (v * shadeQ + 128) >> 8;
                StoreSamples(x, y, samples, N, boxFace, soften);
            }
        };
        if (innerLo > innerHi) {
            edgePixels(left, right);
            continue;
        }
        edgePixels(left, innerLo - 1);
        // Pixels wholly inside: all N samples count, so the pixel is the
        // colour itself and, with softening, a box face covers it fully.
        const bool direct = boxFace || !soften;
        std::uint8_t* p = Pixel(innerLo, y);
        for (int x = innerLo; x <= innerHi; ++x, p += 3) {
            std::uint32_t c[3];
            inside(x, rowA, rowB, rowC, c);
            if (shadeQ != 256)
                for (int k = 0; k < 3; ++k) c[k] = (c[k] * shadeQ + 128) >> 8;
            if (direct) {
                p[0] = static_cast<std::uint8_t>(c[0]);
                p[1] = static_cast<std::uint8_t>(c[1]);
                p[2] = static_cast<std::uint8_t>(c[2]);
            } else {
                const auto n = static_cast<std::uint32_t>(N);
                StoreSamples(x, y, CPixelSamples{{c[0] * n, c[1] * n, c[2] * n}, N}, N, boxFace, soften);
            }
        }
        if (direct && soften) {
            std::fill(&Coverage(innerLo, y), &Coverage(innerHi, y) + 1, static_cast<std::uint8_t>(N));
            m_coverageTouched.Add(innerLo, y);
            m_coverageTouched.Add(innerHi, y);
        }
        edgePixels(innerHi + 1, right);
    }
}
