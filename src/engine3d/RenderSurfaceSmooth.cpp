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
#include "engine3d/RenderSurface.h"

#include <algorithm>
#include <cmath>

namespace {

// Bilinear read of level `t` at face coordinates (u, v), rows from the bottom:
// texel centres sit at (i + 0.5) / width. Weights in 1/256.
inline void Bilinear(const CTexture& t, double u, double v, std::uint32_t out[3]) noexcept
{
    const double fx = u * t.width - 0.5;
    const double fy = v * t.height - 0.5;
    const double flx = std::floor(fx), fly = std::floor(fy);
    const int wx = static_cast<int>((fx - flx) * 256.0 + 0.5);
    const int wy = static_cast<int>((fy - fly) * 256.0 + 0.5);
    int x0 = static_cast<int>(flx), y0 = static_cast<int>(fly);
    int x1 = x0 + 1, y1 = y0 + 1;
    x0 = std::clamp(x0, 0, t.width - 1);
    x1 = std::clamp(x1, 0, t.width - 1);
    y0 = std::clamp(y0, 0, t.height - 1);
    y1 = std::clamp(y1, 0, t.height - 1);
    const std::uint8_t* a = t.At(x0, y0);
    const std::uint8_t* b = t.At(x1, y0);
    const std::uint8_t* c = t.At(x0, y1);
    const std::uint8_t* d = t.At(x1, y1);
    for (int k = 0; k < 3; ++k) {
        const int bottom = a[k] * (256 - wx) + b[k] * wx;
        const int top = c[k] * (256 - wx) + d[k] * wx;
        out[k] = static_cast<std::uint32_t>((bottom * (256 - wy) + top * wy + 32768) >> 16);
    }
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

} // namespace

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
    const std::uint32_t fillBGR[3] = {GetBValue(fill), GetGValue(fill), GetRValue(fill)};
    const std::uint32_t shadeQ =
        static_cast<std::uint32_t>(std::lround(std::clamp(polygon.shade, 0.0, 1.0) * 256.0));
    if (soften && !EnsureSoftening()) soften = false; // no memory: draw without softening
    const int topLevel = levels ? static_cast<int>(levels->levels.size()) - 1 : 0;
    const double reach = (side - 1) * step; // pixels from the first to the last sample of a row
    double us[100], vs[100];

    for (int y = m_scanLow; y <= m_scanHigh; ++y) {
        const int left = m_scanLeft[static_cast<std::size_t>(y)];
        const int right = std::min(m_scanRight[static_cast<std::size_t>(y)], m_width - 1);
        if (left > right) continue;
        const int py = y + m_band; // row in the whole picture
        const double rowA = map.ay * py + map.a0;
        const double rowB = map.by * py + map.b0;
        const double rowC = map.cy * py + map.c0;
        for (int x = left; x <= right; ++x) {
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
                    if (whiteAvoid && c[0] == 0xFF && c[1] == 0xFF && c[2] == 0xFF) c[0] = c[1] = c[2] = 0xFE;
                } else {
                    const double uu = cdHalf ? 0.5 + 0.5 * u : u;
                    const std::uint8_t* t = tex->At(static_cast<int>((tex->width - 1) * uu + 0.5),
                                                    static_cast<int>((tex->height - 1) * v + 0.5));
                    if (isDisc && t[0] == 0xFE && t[1] == 0xFE && t[2] == 0xFE) continue; // transparent
                    c[0] = t[0];
                    c[1] = t[1];
                    c[2] = t[2];
                    if (whiteAvoid && c[0] == 0xFF && c[1] == 0xFF && c[2] == 0xFF) c[0] = c[1] = c[2] = 0xFE;
                }
                sum[0] += c[0];
                sum[1] += c[1];
                sum[2] += c[2];
                ++count;
            }
            if (count == 0) continue;
            if (shadeQ != 256)
                for (std::uint32_t& v : sum) v = (v * shadeQ + 128) >> 8;
            StoreSamples(x, y, CPixelSamples{{sum[0], sum[1], sum[2]}, count}, N, boxFace, soften);
        }
    }
}
