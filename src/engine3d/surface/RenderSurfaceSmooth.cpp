// Lit and smoothly sampled faces of CRenderSurface: the rows of a face, its
// edge pixels, its inside pixels and blocks. How a face is sampled:
// CSmoothFace (SmoothFace.h).
//
// Blocks: where the target is an enlargement that is reduced by block means
// (CTextureSet::interiorBlock), the light of the inside is worked out once
// per block instead of once per pixel (CInteriorBlocks below).
#include "engine3d/surface/RenderSurface.h"
#include "engine3d/sampling/FaceSetup.h"
#include "engine3d/sampling/InteriorSampler.h"
#include "engine3d/surface/BlockMeans.h"
#include "engine3d/surface/FaceShade.h"
#include "engine3d/surface/SmoothFace.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

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
            pixelShade.ApplyRows(&pixels[3 * static_cast<std::size_t>(K * i)], stride, K * (end - i), K * (first + i),
                                 K * j, K);
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
    CSmoothFace::SetInteriorShortcut(enabled);
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
