// Textured faces of CRenderSurface sampled at the nearest texel, and the
// storing of a pixel's samples.
//
// Every pixel of the face's scan span is sampled on the sub-pixel grid. Each
// sample is mapped to (u, v) through the face's inverse mapping; samples
// outside the face shape are dropped, the others fetch the nearest texel.
// The mapping is evaluated incrementally: for pixel (x, y) and offset
// (dx, dy) the numerator of a is ax*(x+dx) + ay*(y+dy) + a0, computed as the
// pixel's ax*x + (ay*y + a0) plus the offset's ax*dx + ay*dy (likewise for
// the numerator of b and the denominator).
#include "engine3d/surface/RenderSurface.h"
#include "engine3d/sampling/FaceSetup.h"
#include "engine3d/sampling/SampleAverages.h"

#include <algorithm>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The sub-sample offsets in the numerators of the mapping, padded to an even
// count so that samples are mapped in pairs.
struct CSampleOffsets {
    int N = 0, padded = 0;
    alignas(16) double a[100], b[100], c[100];
    CSampleOffsets(const CSampleGrid& grid, const CQuadMapping& map) noexcept
        : N(grid.count), padded((grid.count + 1) & ~1)
    {
        for (int s = 0; s < padded; ++s) {
            const int k = s < N ? s : N - 1;
            a[s] = map.ax * grid.dx[k] + map.ay * grid.dy[k];
            b[s] = map.bx * grid.dx[k] + map.by * grid.dy[k];
            c[s] = map.cx * grid.dx[k] + map.cy * grid.dy[k];
        }
    }
};

// The samples of one pixel whose numerators are pA, pB, pC: every sample
// mapped, u = (pB + offB) / (pC + offC), v = 1 - (pA + offA) / (pC + offC),
// and its nearest texel: column (width - 1) * u' + 0.5 and row
// (height - 1) * v + 0.5, truncated (u' = 0.5 + 0.5 u for the half disc).
// Texel indices of samples outside the face are never used.
CPixelSamples SampleNearest(double pA, double pB, double pC, const CSampleOffsets& off, const CFaceSetup& face,
                            bool plain) noexcept
{
    alignas(16) double us[100], vs[100];
    alignas(16) int cols[100], rows[100];
    const CTexture* tex = face.tex;
    const double texW = tex ? tex->width - 1 : 0.0;
    const double texH = tex ? tex->height - 1 : 0.0;
#if defined(__SSE2__)
    const __m128d vA = _mm_set1_pd(pA), vB = _mm_set1_pd(pB), vC = _mm_set1_pd(pC);
    const __m128d one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
    const __m128d tw = _mm_set1_pd(texW), th = _mm_set1_pd(texH);
    for (int s = 0; s < off.padded; s += 2) {
        const __m128d inv = _mm_div_pd(one, _mm_add_pd(vC, _mm_load_pd(off.c + s)));
        const __m128d u = _mm_mul_pd(_mm_add_pd(vB, _mm_load_pd(off.b + s)), inv);
        const __m128d v = _mm_sub_pd(one, _mm_mul_pd(_mm_add_pd(vA, _mm_load_pd(off.a + s)), inv));
        _mm_store_pd(us + s, u);
        _mm_store_pd(vs + s, v);
        const __m128d uu = face.cdHalf ? _mm_add_pd(half, _mm_mul_pd(half, u)) : u;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cols + s), _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(tw, uu), half)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(rows + s), _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(th, v), half)));
    }
#else
    for (int s = 0; s < off.padded; ++s) {
        const double inv = 1.0 / (pC + off.c[s]);
        us[s] = (pB + off.b[s]) * inv;
        vs[s] = 1.0 - (pA + off.a[s]) * inv;
        if (us[s] >= 0.0 && us[s] < 1.0 && vs[s] >= 0.0 && vs[s] < 1.0) {
            const double uu = face.cdHalf ? 0.5 + 0.5 * us[s] : us[s];
            cols[s] = static_cast<int>(texW * uu + 0.5);
            rows[s] = static_cast<int>(texH * vs[s] + 0.5);
        }
    }
#endif
    const std::uint8_t fold[3] = {GetBValue(face.foldColour), GetGValue(face.foldColour), GetRValue(face.foldColour)};
    CPixelSamples out;
    std::uint32_t sum0 = 0, sum1 = 0, sum2 = 0;
    for (int s = 0; s < off.N; ++s) {
        const double u = us[s], v = vs[s];
        if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0)) continue;
        const std::uint8_t* t;
        if (plain) { // a picture, square corners, no folds, no transparency, no white avoidance
            t = tex->bits + static_cast<std::ptrdiff_t>(rows[s]) * tex->stride + 3 * static_cast<std::ptrdiff_t>(cols[s]);
        } else {
            if (!face.InCorners(u, v)) continue;
            if (face.InFold(u, v)) {
                t = fold;
            } else {
                t = tex ? tex->At(cols[s], rows[s]) : face.fill;
                if (face.isDisc && t[0] == 0xFE && t[1] == 0xFE && t[2] == 0xFE) continue; // transparent
                if (face.whiteAvoid && t[0] == 0xFF && t[1] == 0xFF && t[2] == 0xFF) {
                    sum0 += 0xFE;
                    sum1 += 0xFE;
                    sum2 += 0xFE;
                    ++out.count;
                    continue;
                }
            }
        }
        sum0 += t[0];
        sum1 += t[1];
        sum2 += t[2];
        ++out.count;
    }
    out.sum[0] = sum0;
    out.sum[1] = sum1;
    out.sum[2] = sum2;
    return out;
}

} // namespace

void CRenderSurface::AddScanBox(CBoundingBox* box) const noexcept
{
    if (!box) return;
    box->Add(std::min(m_scanMinX, m_width - 1), m_scanLow + m_band);
    box->Add(std::min(m_scanMaxX, m_width - 1), m_scanHigh + m_band);
}

bool CRenderSurface::RowSpan(int y, const CQuadMapping& map, int& left, int& right, double& rowA, double& rowB,
                             double& rowC) const noexcept
{
    left = m_scanLeft[static_cast<std::size_t>(y)];
    right = std::min(m_scanRight[static_cast<std::size_t>(y)], m_width - 1);
    const int py = y + m_band; // row in the whole picture
    rowA = map.ay * py + map.a0;
    rowB = map.by * py + map.b0;
    rowC = map.cy * py + map.c0;
    return left <= right;
}

void CRenderSurface::DrawTexturedQuad(int x0, int y0, int x1, int y1, int x2, int y2, int x3,
                                      int y3, const CTextureSet* textures, char faceCode,
                                      CPolygon3D& polygon, CBoundingBox* box, int sampleCount,
                                      bool soften)
{
    y0 -= m_band;
    y1 -= m_band;
    y2 -= m_band;
    y3 -= m_band;
    ResetScan();
    ScanEdge(x0, y0, x1, y1);
    ScanEdge(x1, y1, x2, y2);
    ScanEdge(x2, y2, x3, y3);
    ScanEdge(x3, y3, x0, y0);
    if (textures && textures->exactOutlines) WidenScan();
    if (m_scanLow > m_scanHigh) return;

    CQuadMapping map;
    if (!map.Create(polygon, m_fit)) return;
    map.StoreInto(polygon);
    CFaceSetup face(textures, faceCode, map.faceWidth, map.faceHeight, polygon);
    if (m_bits != nullptr && (polygon.shade != 1.0 || polygon.specular != 0.0 || polygon.shadeU != 0.0 || polygon.shadeV != 0.0 ||
                             (textures && textures->smooth))) {
        face.TakeOneColour();
        DrawFilteredQuad(map, face, textures, faceCode, polygon, sampleCount, soften);
    } else if (!face.tex && face.isDisc) {
        // A face without a picture shows its fill colour; a CD-ROM without one
        // shows nothing (a grey square beside the box would look broken).
        return;
    } else if (m_bits != nullptr) { // not a measuring surface
        DrawNearestQuad(map, face, textures ? textures->GetFlatTiles(faceCode) : nullptr, sampleCount, soften);
    }
    AddScanBox(box);
}

void CRenderSurface::DrawNearestQuad(const CQuadMapping& map, const CFaceSetup& face, const CFlatTiles* flat,
                                     int sampleCount, bool soften) noexcept
{
    const CSampleGrid& grid = GridFor(sampleCount);
    const CSampleOffsets off(grid, map);
    const int N = grid.count;
    const bool plain = face.tex && face.radius == 0.0 && !face.folds && !face.isDisc && !face.whiteAvoid;
    if (soften && !EnsureSoftening()) soften = false; // no memory: draw without softening
    if (plain && CFaceRunSampler::HasWideMapping() &&
        DrawRunSampledQuad(map, grid, off.a, off.b, off.c, *face.tex, flat, face.boxFace, soften))
        return;
    for (int y = m_scanLow; y <= m_scanHigh; ++y) {
        int left, right;
        double rowA, rowB, rowC;
        if (!RowSpan(y, map, left, right, rowA, rowB, rowC)) continue;
        for (int x = left; x <= right; ++x) {
            const CPixelSamples s =
                SampleNearest(map.ax * x + rowA, map.bx * x + rowB, map.cx * x + rowC, off, face, plain);
            if (s.count != 0) StoreSamples(x, y, s, N, face.boxFace, soften);
        }
    }
}

// A plain face (a picture, square corners, no folds, no transparency, no white
// avoidance) sampled a run of pixels at a time; false when the run sampler
// cannot take it (the caller samples pixel by pixel).
bool CRenderSurface::DrawRunSampledQuad(const CQuadMapping& map, const CSampleGrid& grid, const double* offA,
                                        const double* offB, const double* offC, const CTexture& tex,
                                        const CFlatTiles* flat, bool boxFace, bool soften) noexcept
{
    const int N = grid.count;
    CFaceRunSampler sampler;
    if (!sampler.Setup(offA, offB, offC, N, tex, map.ax, map.bx, map.cx) || !EnsureRunSamples()) return false;
    sampler.SetLinearSteps(grid.dx, grid.dy, map.ay, map.a0, map.by, map.b0, map.cy, map.c0, m_scanMinX,
                           std::min(m_scanMaxX, m_width - 1), m_scanLow + m_band, m_scanHigh + m_band);
    sampler.SetFlatTiles(flat);
    for (int y = m_scanLow; y <= m_scanHigh; ++y) {
        int left, right;
        double rowA, rowB, rowC;
        if (!RowSpan(y, map, left, right, rowA, rowB, rowC)) continue;
        CPixelSamples* run = m_runSamples.data();
        sampler.SampleRun(left, right, rowA, rowB, rowC, run);
        std::uint8_t* p = Pixel(left, y);
        if (!soften) {
            StoreAverages(run, right - left + 1, 1, p);
            continue;
        }
        // Softened: a box face's fully covered pixels need no partial record.
        if (boxFace) StoreAverages(run, right - left + 1, N, p);
        std::uint8_t* cov = &Coverage(left, y);
        for (int x = left; x <= right; ++x, ++run, ++cov) {
            if (run->count >= N && boxFace)
                *cov = static_cast<std::uint8_t>(std::min(run->count, 255));
            else if (run->count != 0)
                StoreSamples(x, y, *run, N, boxFace, soften);
        }
        m_coverageTouched.Add(left, y);
        m_coverageTouched.Add(right, y);
    }
    return true;
}

bool CRenderSurface::EnsureRunSamples() noexcept
{
    try {
        if (m_runSamples.size() < static_cast<std::size_t>(m_width))
            m_runSamples.resize(static_cast<std::size_t>(m_width));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CRenderSurface::StoreSamples(int x, int y, const CPixelSamples& samples, int N, bool boxFace,
                                  bool soften) noexcept
{
    const int count = samples.count;
    std::uint8_t* p = Pixel(x, y);
    if (!soften) {
        StoreAverage(p, samples.sum, count);
        return;
    }
    std::uint8_t& cov = Coverage(x, y);
    m_coverageTouched.Add(x, y);
    if (!boxFace) { // the CD-ROM covers what lies behind it
        RemovePartial(x, y);
        cov = static_cast<std::uint8_t>(std::min(N, 255));
        StoreAverage(p, samples.sum, count);
        return;
    }
    if (count >= N) {
        cov = static_cast<std::uint8_t>(std::min(count, 255));
        StoreAverage(p, samples.sum, count);
        return;
    }
    CPartialPixel* rec = InsertPartial(x, y); // new records take the background
    if (!rec) { // the table cannot grow: draw the pixel as it is
        StoreAverage(p, samples.sum, count);
        return;
    }
    rec->count += count;
    rec->faces += 1;
    for (int c = 0; c < 3; ++c) rec->sum[c] += samples.sum[c];
    cov = static_cast<std::uint8_t>(std::min(cov + count, 255));
}

