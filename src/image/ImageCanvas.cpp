#include "image/ImageCanvas.h"

#include "image/LineWalk.h"
#include "image/Raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

CImageCanvas::CImageCanvas(CRaster* target) noexcept
    : m_target(target),
      m_maxX(target != nullptr ? target->GetWidth() - 1 : -1),
      m_maxY(target != nullptr ? target->GetHeight() - 1 : -1)
{
}

void CImageCanvas::SetPixel(COLORREF color, int x, int y) noexcept
{
    if (m_target != nullptr) {
        m_target->SetPixelColor(x, y, color);
    }
}

void CImageCanvas::SetPixel(RGBQUAD color, int x, int y) noexcept
{
    if (m_target != nullptr) {
        m_target->SetPixelColor(x, y, color);
    }
}

COLORREF CImageCanvas::GetPixel(int x, int y) const noexcept
{
    if (m_target == nullptr) {
        return 0;
    }
    const RGBQUAD q = m_target->GetPixelColor(x, y);
    return static_cast<COLORREF>(q.rgbRed) | (static_cast<COLORREF>(q.rgbGreen) << 8) |
           (static_cast<COLORREF>(q.rgbBlue) << 16);
}

void CImageCanvas::HorizontalLine(COLORREF color, int x1, int x2, int y) noexcept
{
    if (m_target == nullptr) {
        return;
    }
    if (x1 > x2) {
        std::swap(x1, x2);
    }
    m_target->HorizontalLine(x1, x2, y, color);
}

void CImageCanvas::VerticalLine(COLORREF color, int x, int y1, int y2) noexcept
{
    if (m_target == nullptr || x < 0 || x > m_maxX) {
        return;
    }
    if ((y1 < 0 && y2 < 0) || (y1 > m_maxY && y2 > m_maxY)) {
        return;
    }
    y1 = std::clamp(y1, 0, m_maxY);
    y2 = std::clamp(y2, 0, m_maxY);
    for (int y = y1; y <= y2; ++y) {
        m_target->SetPixelColor(x, y, color);
    }
}

void CImageCanvas::Clear(COLORREF color) noexcept
{
    if (m_target == nullptr) {
        return;
    }
    for (int y = 0; y <= m_maxY; ++y) {
        m_target->HorizontalLine(0, m_maxX, y, color);
    }
}

// Bresenham: step along the major axis one pixel at a time and move along the
// minor axis whenever the accumulated error passes half a pixel (the error is
// kept doubled so everything stays in integers).
void CImageCanvas::Line(COLORREF color, int x1, int y1, int x2, int y2) noexcept
{
    if (m_target == nullptr) {
        return;
    }
    if ((x1 < 0 && x2 < 0) || (y1 < 0 && y2 < 0) || (x1 > m_maxX && x2 > m_maxX) ||
        (y1 > m_maxY && y2 > m_maxY)) {
        return;
    }
    if (x1 == x2 && y1 == y2) {
        m_target->SetPixelColor(x1, y1, color);
        return;
    }
    if (y1 == y2) {
        HorizontalLine(color, x1, x2, y1);
        return;
    }
    if (x1 == x2) {
        VerticalLine(color, x1, std::min(y1, y2), std::max(y1, y2));
        return;
    }
    WalkLine(x1, y1, x2, y2, [this, color](int x, int y) { m_target->SetPixelColor(x, y, color); });
}

void CImageCanvas::Frame(COLORREF color, int x1, int y1, int x2, int y2, int thickness) noexcept
{
    if (m_target == nullptr || thickness <= 0) {
        return;
    }
    const int left = std::min(x1, x2);
    const int right = std::max(x1, x2);
    const int bottom = std::min(y1, y2);
    const int top = std::max(y1, y2);
    for (int t = 0; t < thickness; ++t) {
        const int lo = bottom + t;
        const int hi = top - t;
        if (lo > hi) {
            break;
        }
        HorizontalLine(color, left, right, lo);
        if (hi != lo) {
            HorizontalLine(color, left, right, hi);
        }
    }
    for (int t = 0; t < thickness; ++t) {
        const int lo = left + t;
        const int hi = right - t;
        if (lo > hi) {
            break;
        }
        VerticalLine(color, lo, bottom, top);
        if (hi != lo) {
            VerticalLine(color, hi, bottom, top);
        }
    }
}

void CImageCanvas::FilledRectangle(COLORREF color, int x1, int y1, int x2, int y2) noexcept
{
    if (m_target == nullptr) {
        return;
    }
    const int bottom = std::max(std::min(y1, y2), 0);
    const int top = std::min(std::max(y1, y2), m_maxY);
    for (int y = bottom; y <= top; ++y) {
        HorizontalLine(color, x1, x2, y);
    }
}

void CImageCanvas::PlotEight(COLORREF color, int cx, int cy, int x, int y) noexcept
{
    m_target->SetPixelColor(cx + x, cy + y, color);
    m_target->SetPixelColor(cx - x, cy + y, color);
    m_target->SetPixelColor(cx + x, cy - y, color);
    m_target->SetPixelColor(cx - x, cy - y, color);
    m_target->SetPixelColor(cx + y, cy + x, color);
    m_target->SetPixelColor(cx - y, cy + x, color);
    m_target->SetPixelColor(cx + y, cy - x, color);
    m_target->SetPixelColor(cx - y, cy - x, color);
}

// Midpoint circle: walk the octant from (0, r) while x < y with the decision
// value d = 3 - 2r; each step mirrors the point into all eight octants.
namespace {

// Midpoint circle of radius r over one octant, from (0, r) until x meets y;
// visit(x, y) gets each step's offsets, which the callers mirror into the
// other seven octants. The decision value d starts at 3 - 2r and grows by
// 4x + 6 while it is negative, else by 4(x - y) + 10 as y steps down.
template <typename Visit>
inline void WalkCircleOctant(int r, Visit visit) noexcept
{
    int x = 0;
    int y = r;
    std::int64_t d = 3 - 2 * static_cast<std::int64_t>(r);
    while (x < y) {
        visit(x, y);
        if (d < 0) {
            d += 4 * static_cast<std::int64_t>(x) + 6;
        } else {
            d += 4 * (static_cast<std::int64_t>(x) - y) + 10;
            --y;
        }
        ++x;
    }
    if (x == y) {
        visit(x, y);
    }
}

} // namespace

void CImageCanvas::Circle(COLORREF color, int cx, int cy, int r) noexcept
{
    if (m_target == nullptr || r < 0) {
        return;
    }
    WalkCircleOctant(r, [&](int x, int y) { PlotEight(color, cx, cy, x, y); });
}

void CImageCanvas::FilledCircle(COLORREF color, int cx, int cy, int r) noexcept
{
    if (m_target == nullptr || r < 0) {
        return;
    }
    auto spans = [&](int x, int y) {
        HorizontalLine(color, cx - x, cx + x, cy + y);
        HorizontalLine(color, cx - x, cx + x, cy - y);
        HorizontalLine(color, cx - y, cx + y, cy + x);
        HorizontalLine(color, cx - y, cx + y, cy - x);
    };
    WalkCircleOctant(r, spans);
}

namespace {

// Midpoint ellipse with horizontal radius a and vertical radius b. Region 1
// steps x while the slope is shallower than -1, region 2 steps y down to 0.
// Decision values are kept multiplied by 4 so they stay whole numbers:
//   region 1: d = 4 * (b^2 - a^2 b + a^2 / 4)
//   region 2: d = b^2 (2x + 1)^2 + 4 a^2 (y - 1)^2 - 4 a^2 b^2
// `visit(x, y)` receives each point of the first quadrant.
template <typename Visit>
void WalkEllipse(int a, int b, Visit visit)
{
    const std::int64_t a2 = static_cast<std::int64_t>(a) * a;
    const std::int64_t b2 = static_cast<std::int64_t>(b) * b;
    std::int64_t x = 0;
    std::int64_t y = b;
    std::int64_t dx = 0;          // 2 b^2 x
    std::int64_t dy = 2 * a2 * y; // 2 a^2 y
    std::int64_t d = 4 * b2 - 4 * a2 * b + a2;
    while (dx < dy) {
        visit(static_cast<int>(x), static_cast<int>(y));
        ++x;
        dx += 2 * b2;
        if (d < 0) {
            d += 4 * (dx + b2);
        } else {
            --y;
            dy -= 2 * a2;
            d += 4 * (dx - dy + b2);
        }
    }
    d = b2 * (2 * x + 1) * (2 * x + 1) + 4 * a2 * (y - 1) * (y - 1) - 4 * a2 * b2;
    while (y >= 0) {
        visit(static_cast<int>(x), static_cast<int>(y));
        --y;
        dy -= 2 * a2;
        if (d > 0) {
            d += 4 * (a2 - dy);
        } else {
            ++x;
            dx += 2 * b2;
            d += 4 * (dx - dy + a2);
        }
    }
}

} // namespace

void CImageCanvas::Ellipse(COLORREF color, int cx, int cy, int a, int b) noexcept
{
    if (m_target == nullptr || a < 0 || b < 0) {
        return;
    }
    WalkEllipse(a, b, [&](int x, int y) {
        m_target->SetPixelColor(cx + x, cy + y, color);
        m_target->SetPixelColor(cx - x, cy + y, color);
        m_target->SetPixelColor(cx + x, cy - y, color);
        m_target->SetPixelColor(cx - x, cy - y, color);
    });
}

void CImageCanvas::FilledEllipse(COLORREF color, int cx, int cy, int a, int b) noexcept
{
    if (m_target == nullptr || a < 0 || b < 0) {
        return;
    }
    WalkEllipse(a, b, [&](int x, int y) {
        HorizontalLine(color, cx - x, cx + x, cy + y);
        HorizontalLine(color, cx - x, cx + x, cy - y);
    });
}

// The straight middle band is filled row by row; the four corners are quarter
// circles around the corner centres, stepped like Circle, whose spans join the
// left and right corner at the same height.
void CImageCanvas::FilledRoundedRectangle(COLORREF color, int x1, int y1, int x2, int y2, int radius) noexcept
{
    if (m_target == nullptr) {
        return;
    }
    if (radius <= 0) {
        FilledRectangle(color, x1, y1, x2, y2);
        return;
    }
    const int left = std::min(x1, x2);
    const int right = std::max(x1, x2);
    const int bottom = std::min(y1, y2);
    const int top = std::max(y1, y2);
    const int lcx = left + radius;   // centre x of the left corners
    const int rcx = right - radius;  // centre x of the right corners
    const int bcy = bottom + radius; // centre y of the bottom corners
    const int tcy = top - radius;    // centre y of the top corners
    for (int y = std::max(bcy, 0); y <= std::min(tcy, m_maxY); ++y) {
        HorizontalLine(color, left, right, y);
    }
    auto spans = [&](int x, int y) {
        HorizontalLine(color, lcx - x, rcx + x, tcy + y);
        HorizontalLine(color, lcx - y, rcx + y, tcy + x);
        HorizontalLine(color, lcx - x, rcx + x, bcy - y);
        HorizontalLine(color, lcx - y, rcx + y, bcy - x);
    };
    WalkCircleOctant(radius, spans);
}

// ---- Polygon spans ---------------------------------------------------------------

bool CImageCanvas::BeginPolygon(int width, int height)
{
    if (width < 0 || height < 0 || height > kMaxPolygonRows) {
        m_polyWidth = 0;
        m_polyHeight = 0;
        return false;
    }
    m_spanMin.assign(kMaxPolygonRows, kSpanEmptyMin);
    m_spanMax.assign(kMaxPolygonRows, kSpanEmptyMax);
    m_polyWidth = width;
    m_polyHeight = height;
    m_polyMinX = kSpanEmptyMin;
    m_polyMaxX = kSpanEmptyMax;
    m_polyMinY = kSpanEmptyMin;
    m_polyMaxY = kSpanEmptyMax;
    return true;
}

void CImageCanvas::RecordSpanPoint(int x, int y) noexcept
{
    if (y < 0 || y >= m_polyHeight) {
        return;
    }
    x = std::clamp(x, 0, m_polyWidth);
    m_spanMin[y] = std::min(m_spanMin[y], x);
    m_spanMax[y] = std::max(m_spanMax[y], x);
    m_polyMinX = std::min(m_polyMinX, x);
    m_polyMaxX = std::max(m_polyMaxX, x);
    m_polyMinY = std::min(m_polyMinY, y);
    m_polyMaxY = std::max(m_polyMaxY, y);
}

void CImageCanvas::AddPolygonEdge(int x1, int y1, int x2, int y2) noexcept
{
    if (m_polyHeight <= 0 || (y1 < 0 && y2 < 0) || (y1 >= m_polyHeight && y2 >= m_polyHeight)) {
        return;
    }
    WalkLine(x1, y1, x2, y2, [this](int x, int y) { RecordSpanPoint(x, y); });
}

void CImageCanvas::AddPolygon(const int* xs, const int* ys, int count) noexcept
{
    if (xs == nullptr || ys == nullptr || count <= 0) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int j = (i + 1) % count;
        AddPolygonEdge(xs[i], ys[i], xs[j], ys[j]);
    }
}

bool CImageCanvas::GetSpan(int row, int& minX, int& maxX) const noexcept
{
    if (row < 0 || row >= m_polyHeight || m_spanMin[row] > m_spanMax[row]) {
        return false;
    }
    minX = m_spanMin[row];
    maxX = m_spanMax[row];
    return true;
}

void CImageCanvas::FillPolygon(COLORREF color) noexcept
{
    if (m_target == nullptr) {
        return;
    }
    for (int y = 0; y < m_polyHeight; ++y) {
        if (m_spanMin[y] <= m_spanMax[y]) {
            m_target->HorizontalLine(m_spanMin[y], m_spanMax[y], y, color);
        }
    }
}
