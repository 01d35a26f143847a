#include "engine3d/surface/RenderSurface.h"
#include "engine3d/sampling/FaceSetup.h"
#include "engine3d/sampling/PixelRuns.h"

#include "image/LineWalk.h"
#include "image/Raster.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {

constexpr int kNoLeft = 9999999;
constexpr int kNoRight = -9999999;

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

CRenderSurface::~CRenderSurface()
{
    KeepSoftening();
}

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

// Dilates the scanned region by one pixel: each row spans the union of its
// own span and its neighbours' spans, one pixel wider each side, and the rows
// above and below the region join it. The scanned edges run between rounded
// corners and may pass up to a pixel inside the true outline; the dilated
// region holds every pixel the true outline touches, and the samples outside
// the face are dropped by the face shape test.
void CRenderSurface::WidenScan() noexcept
{
    if (m_scanLow > m_scanHigh) return;
    const int lo = std::max(m_scanLow - 1, 0);
    const int hi = std::min(m_scanHigh + 1, m_height - 1);
    auto left = [this](int y) { return y >= 0 && y < m_height ? m_scanLeft[static_cast<std::size_t>(y)] : kNoLeft; };
    auto right = [this](int y) { return y >= 0 && y < m_height ? m_scanRight[static_cast<std::size_t>(y)] : kNoRight; };
    int prevL = left(lo - 1), prevR = right(lo - 1); // the unwidened span of the row below
    for (int y = lo; y <= hi; ++y) {
        const int curL = left(y), curR = right(y);
        const int l = std::min({prevL, curL, left(y + 1)});
        const int r = std::max({prevR, curR, right(y + 1)});
        if (l <= r) {
            m_scanLeft[static_cast<std::size_t>(y)] = std::max(l - 1, 0);
            m_scanRight[static_cast<std::size_t>(y)] = std::min(r + 1, m_width);
        }
        prevL = curL;
        prevR = curR;
    }
    m_scanLow = lo;
    m_scanHigh = hi;
    m_scanMinX = std::max(m_scanMinX - 1, 0);
    m_scanMaxX = std::min(m_scanMaxX + 1, m_width);
}

// Bresenham's integer line walk, both end points included.
void CRenderSurface::ScanEdge(int x1, int y1, int x2, int y2) noexcept
{
    WalkLineRowEnds(x1, y1, x2, y2, m_height, [this](int x, int y) { ScanPoint(x, y); });
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
        FillPixelRun(Pixel(left, y), right - left + 1, b, g, r);
    }
}

void CRenderSurface::EndPolygon(int handle, CBoundingBox* box)
{
    assert(handle == 1);
    (void)handle;
    if (m_scanLow <= m_scanHigh) AddScanBox(box);
}
