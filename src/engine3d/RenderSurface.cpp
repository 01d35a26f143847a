#include "engine3d/RenderSurface.h"

#include "image/LineWalk.h"
#include "image/Raster.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kNoLeft = 9999999;
constexpr int kNoRight = -9999999;

// Sub-sample offsets in pixels: 5 x 5 at -0.4 .. +0.4 step 0.2, or 10 x 10
// at -0.45 .. +0.45 step 0.1.
struct CSampleGrid {
    int count = 0;
    double dx[100] = {};
    double dy[100] = {};
    explicit CSampleGrid(int n) noexcept
    {
        const int side = n == 100 ? 10 : 5;
        const double first = n == 100 ? -0.45 : -0.4;
        const double step = n == 100 ? 0.1 : 0.2;
        count = side * side;
        int k = 0;
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i, ++k) {
                dx[k] = first + step * i;
                dy[k] = first + step * j;
            }
    }
};

const CSampleGrid& GridFor(int sampleCount) noexcept
{
    static const CSampleGrid grid25(25);
    static const CSampleGrid grid100(100);
    return sampleCount > 25 ? grid100 : grid25;
}

// Corner part of the face shape test on face units (U, V).
inline bool CornerAllows(double U, double V, double r, double fw, double fh) noexcept
{
    double cx, cy;
    if (U < r)
        cx = r;
    else if (U > fw - r)
        cx = fw - r;
    else
        return true;
    if (V < r)
        cy = r;
    else if (V > fh - r)
        cy = fh - r;
    else
        return true;
    const double ddx = U - cx, ddy = V - cy;
    return ddx * ddx + ddy * ddy <= r * r;
}

} // namespace

CBoundingBox CBoundingBox::ClippedTo(int width, int height) const noexcept
{
    CBoundingBox b;
    if (IsEmpty()) return b;
    b.left = std::max(left, 0);
    b.right = std::min(right, width - 1);
    b.bottom = std::max(bottom, 0);
    b.top = std::min(top, height - 1);
    if (b.IsEmpty()) return CBoundingBox();
    return b;
}

bool InsideFaceShape(double u, double v, double radius, double faceWidth, double faceHeight) noexcept
{
    if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0)) return false;
    if (radius == 0.0) return true;
    return CornerAllows(u * faceWidth, v * faceHeight, radius, faceWidth, faceHeight);
}

bool CQuadMapping::Create(const CPolygon3D& polygon, const CFitContext& fit) noexcept
{
    if (polygon.vertices.size() < 4) return false;
    const CVertex3D& k0 = polygon.vertices[0];
    const CVertex3D& k1 = polygon.vertices[1];
    const CVertex3D& k2 = polygon.vertices[2];
    const double p[3] = {k0.x, k0.y, k0.z};
    const double e1[3] = {k1.x - k0.x, k1.y - k0.y, k1.z - k0.z};
    const double e2[3] = {k2.x - k1.x, k2.y - k1.y, k2.z - k1.z};
    auto cross = [](const double* a, const double* b, double* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    double A[3], B[3], C[3];
    cross(p, e2, A);  // P0 x e2
    cross(e1, p, B);  // e1 x P0
    cross(e2, e1, C); // e2 x e1
    // r = (qx, qy, 1) with qx = px*inv + (minX - originX*inv), likewise qy:
    // r.K = K0*inv*px + K1*inv*py + (K0*kx + K1*ky + K2).
    const double inv = fit.invScale;
    const double kx = fit.minX - fit.originX * inv;
    const double ky = fit.minY - fit.originY * inv;
    ax = A[0] * inv;
    ay = A[1] * inv;
    a0 = A[0] * kx + A[1] * ky + A[2];
    bx = B[0] * inv;
    by = B[1] * inv;
    b0 = B[0] * kx + B[1] * ky + B[2];
    cx = C[0] * inv;
    cy = C[1] * inv;
    c0 = C[0] * kx + C[1] * ky + C[2];
    faceHeight = std::sqrt(e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2]);
    faceWidth = std::sqrt(e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2]);
    return true;
}

void CQuadMapping::StoreInto(CPolygon3D& polygon) const noexcept
{
    polygon.inverseMapping = {ax, ay, a0, bx, by, b0, cx, cy, c0, faceWidth, faceHeight, 0.0};
}

// ---------------------------------------------------------------------------

std::unique_ptr<CRenderSurface> CRenderSurface::Create(CRaster& target, std::string* error)
{
    if (!target.IsValid() || target.GetBpp() != 24 || target.GetWidth() <= 0 ||
        target.GetHeight() <= 0) {
        if (error) *error = "The picture to draw into is not a 24-bit picture.";
        return nullptr;
    }
    return std::unique_ptr<CRenderSurface>(new CRenderSurface(
        target.GetWidth(), target.GetHeight(), target.GetBits(0), target.GetEffWidth()));
}

std::unique_ptr<CRenderSurface> CRenderSurface::CreateMeasuring(int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    return std::unique_ptr<CRenderSurface>(new CRenderSurface(width, height, nullptr, 0));
}

CRenderSurface::CRenderSurface(int width, int height, std::uint8_t* bits, std::ptrdiff_t stride)
    : m_width(width), m_height(height), m_bits(bits), m_stride(stride),
      m_scanLeft(static_cast<std::size_t>(height), kNoLeft),
      m_scanRight(static_cast<std::size_t>(height), kNoRight)
{
    m_scanLow = kNoLeft;
    m_scanHigh = kNoRight;
    m_scanMinX = kNoLeft;
    m_scanMaxX = kNoRight;
}

CRenderSurface::~CRenderSurface() = default;

void CRenderSurface::ResetScan() noexcept
{
    // Only the rows of the previous polygon need resetting.
    if (m_scanLow <= m_scanHigh) {
        for (int y = m_scanLow; y <= m_scanHigh; ++y) {
            m_scanLeft[static_cast<std::size_t>(y)] = kNoLeft;
            m_scanRight[static_cast<std::size_t>(y)] = kNoRight;
        }
    }
    m_scanLow = kNoLeft;
    m_scanHigh = kNoRight;
    m_scanMinX = kNoLeft;
    m_scanMaxX = kNoRight;
}

void CRenderSurface::ScanPoint(int x, int y) noexcept
{
    if (y < 0 || y >= m_height) return;
    x = std::clamp(x, 0, m_width);
    int& l = m_scanLeft[static_cast<std::size_t>(y)];
    int& r = m_scanRight[static_cast<std::size_t>(y)];
    if (x < l) l = x;
    if (x > r) r = x;
    if (y < m_scanLow) m_scanLow = y;
    if (y > m_scanHigh) m_scanHigh = y;
    if (x < m_scanMinX) m_scanMinX = x;
    if (x > m_scanMaxX) m_scanMaxX = x;
}

// Bresenham's integer line walk, both end points included.
void CRenderSurface::ScanEdge(int x1, int y1, int x2, int y2) noexcept
{
    if (y1 == y2) { // horizontal: the end points say all
        ScanPoint(x1, y1);
        ScanPoint(x2, y2);
        return;
    }
    if (x1 == x2) { // vertical: every row between the ends
        const int lo = std::max(std::min(y1, y2), 0);
        const int hi = std::min(std::max(y1, y2), m_height - 1);
        for (int y = lo; y <= hi; ++y) ScanPoint(x1, y);
        return;
    }
    WalkLine(x1, y1, x2, y2, [this](int x, int y) { ScanPoint(x, y); });
}

void CRenderSurface::SetPixel(int x, int y, COLORREF colour) noexcept
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    std::uint8_t* p = Pixel(x, y);
    p[0] = GetBValue(colour);
    p[1] = GetGValue(colour);
    p[2] = GetRValue(colour);
}

void CRenderSurface::DrawLine(COLORREF colour, int x1, int y1, int x2, int y2, CBoundingBox* box)
{
    y1 -= m_band;
    y2 -= m_band;
    if ((x1 < 0 && x2 < 0) || (x1 >= m_width && x2 >= m_width) || (y1 < 0 && y2 < 0) ||
        (y1 >= m_height && y2 >= m_height))
        return;
    if (box) {
        box->Add(x1, y1 + m_band);
        box->Add(x2, y2 + m_band);
    }
    if (m_bits == nullptr) return; // measuring
    if (x1 == x2 && y1 == y2) {
        SetPixel(x1, y1, colour);
        return;
    }
    if (y1 == y2) {
        const int lo = std::max(std::min(x1, x2), 0);
        const int hi = std::min(std::max(x1, x2), m_width - 1);
        for (int x = lo; x <= hi; ++x) SetPixel(x, y1, colour);
        return;
    }
    if (x1 == x2) {
        const int lo = std::max(std::min(y1, y2), 0);
        const int hi = std::min(std::max(y1, y2), m_height - 1);
        for (int y = lo; y <= hi; ++y) SetPixel(x1, y, colour);
        return;
    }
    WalkLine(x1, y1, x2, y2, [this, colour](int x, int y) { SetPixel(x, y, colour); });
}

namespace {
// The average of a pixel's samples; the usual counts divide by a constant,
// which the compiler turns into a multiplication.
inline void StoreAverage(std::uint8_t* p, const std::uint32_t* sum, int count) noexcept
{
    if (count == 25) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(sum[c] / 25u);
    } else if (count == 100) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(sum[c] / 100u);
    } else {
        const auto n = static_cast<std::uint32_t>(count);
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(sum[c] / n);
    }
}
} // namespace

// ---------------------------------------------------------------------------
// Textured faces.
//
// Every pixel of the face's scan span is sampled on the sub-pixel grid. Each
// sample is mapped to (u, v) through the face's inverse mapping; samples
// outside the face shape are dropped, the others fetch the nearest texel.
// The mapping is evaluated incrementally: for pixel (x, y) and offset
// (dx, dy) the numerator of a is ax*(x+dx) + ay*(y+dy) + a0, computed as the
// pixel's ax*x + (ay*y + a0) plus the offset's ax*dx + ay*dy (likewise for
// the numerator of b and the denominator).

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
    if (m_scanLow > m_scanHigh) return;

    CQuadMapping map;
    if (!map.Create(polygon, m_fit)) return;
    map.StoreInto(polygon);
    if (m_bits != nullptr && (polygon.shade != 1.0 || (textures && textures->smooth))) { // not a measuring surface
        DrawFilteredQuad(map, textures, faceCode, polygon, sampleCount, soften);
        if (box) {
            box->Add(std::min(m_scanMinX, m_width - 1), m_scanLow + m_band);
            box->Add(std::min(m_scanMaxX, m_width - 1), m_scanHigh + m_band);
        }
        return;
    }

    const CSampleGrid& grid = GridFor(sampleCount);
    const int N = grid.count;
    // Offsets padded to an even count so that samples are mapped in pairs.
    alignas(16) double offA[100], offB[100], offC[100];
    const int padded = (N + 1) & ~1;
    for (int s = 0; s < padded; ++s) {
        const int k = s < N ? s : N - 1;
        offA[s] = map.ax * grid.dx[k] + map.ay * grid.dy[k];
        offB[s] = map.bx * grid.dx[k] + map.by * grid.dy[k];
        offC[s] = map.cx * grid.dx[k] + map.cy * grid.dy[k];
    }
    alignas(16) double us[100], vs[100];
    alignas(16) int cols[100], rows[100];

    const CTexture* tex = textures ? textures->GetPicture(faceCode) : nullptr;
    const bool isDisc = faceCode == FaceCode::kDisc;
    // A face without a picture shows its fill colour; a CD-ROM without one
    // shows nothing (a grey square beside the box would look broken).
    if (!tex && isDisc) return;
    if (m_bits == nullptr) { // measuring: only the box
        if (box) {
            box->Add(std::min(m_scanMinX, m_width - 1), m_scanLow + m_band);
            box->Add(std::min(m_scanMaxX, m_width - 1), m_scanHigh + m_band);
        }
        return;
    }
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
    const std::uint32_t fillColour = polygon.fillColour & 0xFFFFFFu;
    const std::uint8_t fillBGR[3] = {GetBValue(fillColour), GetGValue(fillColour),
                                     GetRValue(fillColour)};
    // Texture fields in locals: the compiler cannot keep them in registers
    // across the pixel writes otherwise.
    const std::uint8_t* const texBits = tex ? tex->bits : nullptr;
    const std::ptrdiff_t texStride = tex ? tex->stride : 0;
    const double texW = tex ? tex->width - 1 : 0.0;
    const double texH = tex ? tex->height - 1 : 0.0;
    const bool plain = texBits && radius == 0.0 && !folds && !isDisc && !whiteAvoid;
    if (soften && !EnsureSoftening()) soften = false; // no memory: draw without softening

    if (plain && CFaceRunSampler::HasWideMapping()) {
        CFaceRunSampler sampler;
        if (sampler.Setup(offA, offB, offC, N, *tex, map.ax, map.bx, map.cx) && EnsureRunSamples()) {
            sampler.SetLinearSteps(grid.dx, grid.dy, map.ay, map.a0, map.by, map.b0, map.cy, map.c0, m_scanMinX,
                                   std::min(m_scanMaxX, m_width - 1), m_scanLow + m_band, m_scanHigh + m_band);
            for (int y = m_scanLow; y <= m_scanHigh; ++y) {
                const int left = m_scanLeft[static_cast<std::size_t>(y)];
                const int right = std::min(m_scanRight[static_cast<std::size_t>(y)], m_width - 1);
                if (left > right) continue;
                const int py = y + m_band; // row in the whole picture
                CPixelSamples* run = m_runSamples.data();
                sampler.SampleRun(left, right, map.ay * py + map.a0, map.by * py + map.b0,
                                  map.cy * py + map.c0, run);
                if (!soften) {
                    std::uint8_t* p = Pixel(left, y);
                    for (int x = left; x <= right; ++x, ++run, p += 3)
                        if (run->count != 0) StoreAverage(p, run->sum, run->count);
                    continue;
                }
                // Softened: a box face's fully covered pixels need no partial record.
                std::uint8_t* p = Pixel(left, y);
                std::uint8_t* cov = &Coverage(left, y);
                for (int x = left; x <= right; ++x, ++run, p += 3, ++cov) {
                    if (run->count >= N && boxFace) {
                        *cov = static_cast<std::uint8_t>(std::min(run->count, 255));
                        StoreAverage(p, run->sum, run->count);
                    } else if (run->count != 0) {
                        StoreSamples(x, y, *run, N, boxFace, soften);
                    }
                }
                m_coverageTouched.Add(left, y);
                m_coverageTouched.Add(right, y);
            }
            if (box) {
                box->Add(std::min(m_scanMinX, m_width - 1), m_scanLow + m_band);
                box->Add(std::min(m_scanMaxX, m_width - 1), m_scanHigh + m_band);
            }
            return;
        }
    }

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
            // Map every sample: u = (pB + offB) / (pC + offC), v = 1 - (pA + offA) / (pC + offC),
            // and its nearest texel: column (width - 1) * u' + 0.5 and row
            // (height - 1) * v + 0.5, truncated (u' = 0.5 + 0.5 u for the half disc).
            // Texel indices of samples outside the face are never used.
#if defined(__SSE2__)
            {
                const __m128d vA = _mm_set1_pd(pA), vB = _mm_set1_pd(pB), vC = _mm_set1_pd(pC);
                const __m128d one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
                const __m128d tw = _mm_set1_pd(texW), th = _mm_set1_pd(texH);
                for (int s = 0; s < padded; s += 2) {
                    const __m128d inv = _mm_div_pd(one, _mm_add_pd(vC, _mm_load_pd(offC + s)));
                    const __m128d u = _mm_mul_pd(_mm_add_pd(vB, _mm_load_pd(offB + s)), inv);
                    const __m128d v = _mm_sub_pd(one, _mm_mul_pd(_mm_add_pd(vA, _mm_load_pd(offA + s)), inv));
                    _mm_store_pd(us + s, u);
                    _mm_store_pd(vs + s, v);
                    const __m128d uu = cdHalf ? _mm_add_pd(half, _mm_mul_pd(half, u)) : u;
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(cols + s),
                                     _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(tw, uu), half)));
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows + s),
                                     _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(th, v), half)));
                }
            }
#else
            for (int s = 0; s < padded; ++s) {
                const double inv = 1.0 / (pC + offC[s]);
                us[s] = (pB + offB[s]) * inv;
                vs[s] = 1.0 - (pA + offA[s]) * inv;
                if (us[s] >= 0.0 && us[s] < 1.0 && vs[s] >= 0.0 && vs[s] < 1.0) {
                    const double uu = cdHalf ? 0.5 + 0.5 * us[s] : us[s];
                    cols[s] = static_cast<int>(texW * uu + 0.5);
                    rows[s] = static_cast<int>(texH * vs[s] + 0.5);
                }
            }
#endif
            std::uint32_t sum0 = 0, sum1 = 0, sum2 = 0;
            int count = 0;
            if (plain) {
                // The common face: a picture, square corners, no folds, no
                // transparency and no white avoidance.
                for (int s = 0; s < N; ++s) {
                    const double u = us[s];
                    const double v = vs[s];
                    if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0)) continue;
                    const std::uint8_t* t = texBits + static_cast<std::ptrdiff_t>(rows[s]) * texStride +
                                            3 * static_cast<std::ptrdiff_t>(cols[s]);
                    sum0 += t[0];
                    sum1 += t[1];
                    sum2 += t[2];
                    ++count;
                }
            } else {
                for (int s = 0; s < N; ++s) {
                    const double u = us[s];
                    const double v = vs[s];
                    if (!(u >= 0.0 && u < 1.0 && v >= 0.0 && v < 1.0)) continue;
                    if (radius != 0.0 && !CornerAllows(u * faceW, v * faceH, radius, faceW, faceH))
                        continue;
                    std::uint8_t b, g, r;
                    if (folds && (u < foldU || u > 1.0 - foldU || v < foldV || v > 1.0 - foldV)) {
                        b = GetBValue(foldColour);
                        g = GetGValue(foldColour);
                        r = GetRValue(foldColour);
                    } else {
                        const std::uint8_t* t;
                        if (texBits) {
                            t = texBits + static_cast<std::ptrdiff_t>(rows[s]) * texStride +
                                3 * static_cast<std::ptrdiff_t>(cols[s]);
                        } else {
                            t = fillBGR;
                        }
                        b = t[0];
                        g = t[1];
                        r = t[2];
                        if (isDisc && b == 0xFE && g == 0xFE && r == 0xFE) continue; // transparent
                        if (whiteAvoid && b == 0xFF && g == 0xFF && r == 0xFF) b = g = r = 0xFE;
                    }
                    sum0 += b;
                    sum1 += g;
                    sum2 += r;
                    ++count;
                }
            }
            if (count == 0) continue;
            StoreSamples(x, y, CPixelSamples{{sum0, sum1, sum2}, count}, N, boxFace, soften);
        }
    }
    if (box) {
        box->Add(std::min(m_scanMinX, m_width - 1), m_scanLow + m_band);
        box->Add(std::min(m_scanMaxX, m_width - 1), m_scanHigh + m_band);
    }
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

// ---------------------------------------------------------------------------
// Flat fills.

int CRenderSurface::BeginPolygon()
{
    ResetScan();
    return 1;
}

void CRenderSurface::AddEdge(int handle, int x1, int y1, int x2, int y2)
{
    assert(handle == 1);
    (void)handle;
    ScanEdge(x1, y1 - m_band, x2, y2 - m_band);
}

void CRenderSurface::FillPolygon(int handle, COLORREF fill, const CTextureSet* textures,
                                 char /*faceCode*/, CPolygon3D& polygon)
{
    assert(handle == 1);
    (void)handle;
    if (m_scanLow > m_scanHigh || m_bits == nullptr) return;
    const bool rounded = textures && textures->cornerRadius != 0.0 && polygon.mapped &&
                         polygon.vertices.size() == 4;
    CQuadMapping map;
    if (rounded) {
        map.Create(polygon, m_fit);
        map.StoreInto(polygon);
    }
    const double radius = rounded ? textures->cornerRadius : 0.0;
    const double faceW = rounded ? textures->faceWidth : 0.0;
    const double faceH = rounded ? textures->faceHeight : 0.0;
    // Inside test of a fill pixel at its integer position: 0 <= u, v <= 1 and
    // the corner test.
    auto inside = [&](int x, int y) {
        double u, v;
        map.Map(x, y + m_band, u, v);
        if (!(u >= 0.0 && u <= 1.0 && v >= 0.0 && v <= 1.0)) return false;
        return CornerAllows(u * faceW, v * faceH, radius, faceW, faceH);
    };
    const std::uint8_t b = GetBValue(fill), g = GetGValue(fill), r = GetRValue(fill);
    for (int y = m_scanLow; y <= m_scanHigh; ++y) {
        int left = m_scanLeft[static_cast<std::size_t>(y)];
        int right = std::min(m_scanRight[static_cast<std::size_t>(y)], m_width - 1);
        if (left > right) continue;
        if (rounded) {
            while (left <= right && !inside(left, y)) ++left;
            while (right >= left && !inside(right, y)) --right;
            if (left > right) continue;
        }
        std::uint8_t* p = Pixel(left, y);
        for (int x = left; x <= right; ++x, p += 3) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
}

void CRenderSurface::EndPolygon(int handle, CBoundingBox* box)
{
    assert(handle == 1);
    (void)handle;
    if (box && m_scanLow <= m_scanHigh) {
        box->Add(std::min(m_scanMinX, m_width - 1), m_scanLow + m_band);
        box->Add(std::min(m_scanMaxX, m_width - 1), m_scanHigh + m_band);
    }
}

// ---------------------------------------------------------------------------
// Edge softening.

bool CRenderSurface::EnsureSoftening() noexcept
{
    try {
        if (m_coverage.empty())
            m_coverage.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0);
        if (m_partial.empty()) m_partial.resize(4096);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CRenderSurface::ClearSoftening() noexcept
{
    if (!m_coverage.empty() && !m_coverageTouched.IsEmpty()) {
        for (int y = m_coverageTouched.bottom; y <= m_coverageTouched.top; ++y) {
            std::uint8_t* row = &Coverage(m_coverageTouched.left, y);
            std::fill(row, row + (m_coverageTouched.right - m_coverageTouched.left + 1), 0);
        }
    }
    m_coverageTouched = CBoundingBox();
    if (m_partialCount != 0) {
        for (CPartialPixel& p : m_partial) p = CPartialPixel();
        m_partialCount = 0;
    }
}

namespace {
inline std::size_t HashKey(std::uint32_t key) noexcept
{
    return static_cast<std::size_t>(key * 2654435761u);
}
} // namespace

CRenderSurface::CPartialPixel* CRenderSurface::FindPartial(int x, int y) noexcept
{
    if (m_partial.empty()) return nullptr;
    const std::uint32_t key =
        static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(m_width) + static_cast<std::uint32_t>(x) + 1;
    const std::size_t mask = m_partial.size() - 1;
    for (std::size_t i = HashKey(key) & mask;; i = (i + 1) & mask) {
        CPartialPixel& slot = m_partial[i];
        if (slot.key == key) return slot.faces > 0 ? &slot : nullptr;
        if (slot.key == 0) return nullptr;
    }
}

CRenderSurface::CPartialPixel* CRenderSurface::InsertPartial(int x, int y) noexcept
{
    if ((m_partialCount + 1) * 2 > m_partial.size() && !GrowPartialTable()) return nullptr;
    const std::uint32_t key =
        static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(m_width) + static_cast<std::uint32_t>(x) + 1;
    const std::size_t mask = m_partial.size() - 1;
    for (std::size_t i = HashKey(key) & mask;; i = (i + 1) & mask) {
        CPartialPixel& slot = m_partial[i];
        if (slot.key == key) {
            if (slot.faces == 0) { // removed earlier: a fresh record
                const std::uint8_t* p = Pixel(x, y);
                slot = CPartialPixel();
                slot.key = key;
                slot.background[0] = p[0];
                slot.background[1] = p[1];
                slot.background[2] = p[2];
            }
            return &slot;
        }
        if (slot.key == 0) {
            const std::uint8_t* p = Pixel(x, y);
            slot.key = key;
            slot.background[0] = p[0];
            slot.background[1] = p[1];
            slot.background[2] = p[2];
            ++m_partialCount;
            return &slot;
        }
    }
}

void CRenderSurface::RemovePartial(int x, int y) noexcept
{
    // A removed record keeps its slot (so probing chains stay intact) with no faces.
    CPartialPixel* rec = FindPartial(x, y);
    if (!rec) return;
    const std::uint32_t key = rec->key;
    *rec = CPartialPixel();
    rec->key = key;
}

bool CRenderSurface::GrowPartialTable() noexcept
{
    std::vector<CPartialPixel> grown;
    try {
        grown.assign(std::max<std::size_t>(m_partial.size() * 2, 4096), CPartialPixel());
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::vector<CPartialPixel> old;
    old.swap(m_partial);
    m_partial.swap(grown);
    const std::size_t mask = m_partial.size() - 1;
    m_partialCount = 0;
    for (const CPartialPixel& rec : old) {
        if (rec.key == 0) continue;
        std::size_t i = HashKey(rec.key) & mask;
        while (m_partial[i].key != 0) i = (i + 1) & mask;
        m_partial[i] = rec;
        ++m_partialCount;
    }
    return true;
}

int CRenderSurface::GetCoverage(int x, int y) const noexcept
{
    if (m_coverage.empty() || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                      static_cast<std::size_t>(x)];
}

bool CRenderSurface::HasPartialPixel(int x, int y) const noexcept
{
    return const_cast<CRenderSurface*>(this)->FindPartial(x, y) != nullptr;
}

// After a list: a partial pixel that ended fully covered (or sits inside the
// product: covered itself, or at least 3 of its 4 neighbours covered, a
// neighbour outside the picture counting as covered) becomes the average of
// its samples; an outline pixel still showing its recorded background is
// blended with it, ((N - count) * background + sum) / N; a pixel that
// something else has been drawn over since keeps that.
void CRenderSurface::ResolvePartialPixels(int sampleCount) noexcept
{
    if (m_partialCount == 0) return;
    const int N = sampleCount > 25 ? 100 : 25;
    auto covered = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return true;
        return GetCoverage(x, y) >= N;
    };
    for (const CPartialPixel& rec : m_partial) {
        if (rec.key == 0 || rec.faces == 0) continue;
        const std::uint32_t index = rec.key - 1;
        const int x = static_cast<int>(index % static_cast<std::uint32_t>(m_width));
        const int y = static_cast<int>(index / static_cast<std::uint32_t>(m_width));
        std::uint8_t* p = Pixel(x, y);
        bool interior = covered(x, y);
        if (!interior) {
            const int n = covered(x - 1, y) + covered(x + 1, y) + covered(x, y - 1) + covered(x, y + 1);
            interior = n >= 3;
        }
        if (rec.count >= N || interior) {
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(rec.sum[c] / rec.count);
        } else if (p[0] == rec.background[0] && p[1] == rec.background[1] && p[2] == rec.background[2]) {
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<std::uint8_t>(
                    (static_cast<std::uint32_t>(N - rec.count) * rec.background[c] + rec.sum[c]) / N);
        }
    }
}
