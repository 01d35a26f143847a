#include "layout/shapes/DrawRect.h"

#include "image/ImageCanvas.h"
#include "image/Raster.h"
#include "layout/face/LayoutPainter.h"
#include "layout/shapes/StyledShape.h"

#include <algorithm>
#include <cmath>

namespace {

// Largest span drawn without clipping first; beyond it the canvas
// arithmetic (differences of coordinates) could overflow or run for ages.
constexpr long long kDirectSpan = 1 << 16;
// Ellipses with a larger radius than this are not drawn (no face is that big).
constexpr long long kMaxRadius = 1 << 15;

bool Reasonable(long long v) { return v > -kDirectSpan && v < kDirectSpan * 2; }

}  // namespace

void RenderSegment(CRaster& face, COLORREF colour, long long x1, long long y1, long long x2, long long y2)
{
    if (!face.IsValid())
        return;
    CImageCanvas canvas(&face);
    if (Reasonable(x1) && Reasonable(y1) && Reasonable(x2) && Reasonable(y2)) {
        canvas.Line(colour, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                    static_cast<int>(y2));
        return;
    }
    // Liang-Barsky clip against the picture widened by one pixel, then draw
    // the visible piece; pixels far outside would be dropped anyway.
    const double xmin = -1, ymin = -1, xmax = face.GetWidth(), ymax = face.GetHeight();
    const double dx = static_cast<double>(x2 - x1), dy = static_cast<double>(y2 - y1);
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {static_cast<double>(x1) - xmin, xmax - static_cast<double>(x1),
                         static_cast<double>(y1) - ymin, ymax - static_cast<double>(y1)};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return;
    }
    const auto round = [](double v) { return static_cast<int>(std::lround(v)); };
    canvas.Line(colour, round(static_cast<double>(x1) + t0 * dx), round(static_cast<double>(y1) + t0 * dy),
                round(static_cast<double>(x1) + t1 * dx), round(static_cast<double>(y1) + t1 * dy));
}

// ---- Rectangle ---------------------------------------------------------------

void CDrawRect::Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const
{
    if (!HasPlainLook()) {
        PaintStyledShape(*this, painter);
        return;
    }
    const int w = painter.GetLineWidth();
    if (m_style == kStyleFilled || m_style == kStyleOutlinedFilled)
        painter.FillRect(left, top, right, bottom, m_fillColour);
    if (m_style == kStyleOutlined || m_style == kStyleOutlinedFilled) {
        painter.Line(left, top, right, top, m_lineColour, w);
        painter.Line(right, top, right, bottom, m_lineColour, w);
        painter.Line(right, bottom, left, bottom, m_lineColour, w);
        painter.Line(left, bottom, left, top, m_lineColour, w);
    }
}

void CDrawRect::RenderToFace(CRaster& face) const
{
    if (!HasPlainLook()) {
        RenderStyledShape(*this, face);
        return;
    }
    if (!face.IsValid())
        return;
    // Clip the box to the picture first (the canvas clips per pixel, but a
    // hostile box must not cost a row per face pixel it misses).
    const long long x0 = std::max<long long>(GetMinX(), -1), x1 = std::min<long long>(GetMaxX(), face.GetWidth());
    const long long y0 = std::max<long long>(GetMinY(), -1), y1 = std::min<long long>(GetMaxY(), face.GetHeight());
    if (x0 > x1 || y0 > y1)
        return;
    CImageCanvas canvas(&face);
    if (m_style == kStyleFilled || m_style == kStyleOutlinedFilled)
        canvas.FilledRectangle(m_fillColour, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1),
                               static_cast<int>(y1));
    if (m_style == kStyleOutlined || m_style == kStyleOutlinedFilled) {
        // The border runs along the inside of the unclipped box; draw only the
        // sides that lie within reach of the picture.
        const int minX = GetMinX(), maxX = GetMaxX(), minY = GetMinY(), maxY = GetMaxY();
        if (minY >= -1 && minY <= face.GetHeight())
            canvas.HorizontalLine(m_lineColour, static_cast<int>(x0), static_cast<int>(x1), minY);
        if (maxY >= -1 && maxY <= face.GetHeight())
            canvas.HorizontalLine(m_lineColour, static_cast<int>(x0), static_cast<int>(x1), maxY);
        if (minX >= -1 && minX <= face.GetWidth())
            canvas.VerticalLine(m_lineColour, minX, static_cast<int>(y0), static_cast<int>(y1));
        if (maxX >= -1 && maxX <= face.GetWidth())
            canvas.VerticalLine(m_lineColour, maxX, static_cast<int>(y0), static_cast<int>(y1));
    }
}

// ---- Line --------------------------------------------------------------------

void CDrawLine::Paint(CLayoutPainter& painter, int, int, int, int) const
{
    if (!HasPlainLook()) {
        PaintStyledShape(*this, painter);
        return;
    }
    const CDrawPoint a = painter.FaceToWindow({m_x1, m_y1});
    const CDrawPoint b = painter.FaceToWindow({m_x2, m_y2});
    painter.Line(a.x, a.y, b.x, b.y, m_lineColour, painter.GetLineWidth());
}

void CDrawLine::RenderToFace(CRaster& face) const
{
    if (!HasPlainLook()) {
        RenderStyledShape(*this, face);
        return;
    }
    RenderSegment(face, m_lineColour, m_x1, m_y1, m_x2, m_y2);
}

// ---- Ellipse -----------------------------------------------------------------

void CDrawEllipse::Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const
{
    if (!HasPlainLook()) {
        PaintStyledShape(*this, painter);
        return;
    }
    const int w = painter.GetLineWidth();
    if (IsFilled())
        painter.Ellipse(left, top, right, bottom, &m_fillColour, &m_fillColour, w);
    if (IsOutlined())
        painter.Ellipse(left, top, right, bottom, nullptr, &m_lineColour, w);
}

void CDrawEllipse::DrawGhost(CLayoutPainter& painter, int left, int top, int right, int bottom) const
{
    const COLORREF black = 0;
    painter.Ellipse(left, top, right, bottom, nullptr, &black, 1);
}

void CDrawEllipse::RenderToFace(CRaster& face) const
{
    if (!HasPlainLook()) {
        RenderStyledShape(*this, face);
        return;
    }
    if (!face.IsValid())
        return;
    const long long cx = (static_cast<long long>(m_x1) + m_x2) / 2;
    const long long cy = (static_cast<long long>(m_y1) + m_y2) / 2;
    const long long a = std::llabs(static_cast<long long>(m_x2) - m_x1) / 2;
    const long long b = std::llabs(static_cast<long long>(m_y2) - m_y1) / 2;
    if (a > kMaxRadius || b > kMaxRadius || !Reasonable(cx) || !Reasonable(cy))
        return;
    CImageCanvas canvas(&face);
    if (IsFilled())
        canvas.FilledEllipse(m_fillColour, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(a),
                             static_cast<int>(b));
    if (IsOutlined())
        canvas.Ellipse(m_lineColour, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(a),
                       static_cast<int>(b));
}
