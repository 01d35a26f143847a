#include "layout/shapes/DrawPoly.h"

#include "image/ImageCanvas.h"
#include "image/Raster.h"
#include "layout/shapes/DrawRect.h"
#include "layout/face/LayoutPainter.h"
#include "layout/shapes/StyledShape.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Coordinates beyond this are not scan-filled (their outline is still
// clipped and drawn); no face picture comes near it.
constexpr long long kMaxFillCoord = 1 << 20;

// Point counts read from a record are bounded by the record itself; this is
// a sanity cap on top (8 MB of points).
constexpr std::uint32_t kMaxPoints = 1u << 20;

std::int32_t Clamp32(long long v)
{
    return static_cast<std::int32_t>(std::clamp<long long>(v, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void FillFacePolygon(CRaster& face, COLORREF colour, const std::vector<CDrawPoint>& points)
{
    if (!face.IsValid() || points.size() < 2)
        return;
    if (points.size() == 2) {
        RenderSegment(face, colour, points[0].x, points[0].y, points[1].x, points[1].y);
        return;
    }
    long long minY = std::numeric_limits<long long>::max(), maxY = std::numeric_limits<long long>::min();
    for (const CDrawPoint& p : points) {
        if (std::llabs(p.x) > kMaxFillCoord || std::llabs(p.y) > kMaxFillCoord)
            return;
        minY = std::min<long long>(minY, p.y);
        maxY = std::max<long long>(maxY, p.y);
    }
    const int height = face.GetHeight();
    const int width = face.GetWidth();
    const long long y0 = std::max<long long>(minY, 0), y1 = std::min<long long>(maxY, height - 1);
    // Interior: pixel centres (integer positions) inside by the even-odd
    // rule, each edge counted on the half-open interval of its rows so a
    // vertex shared by two edges is not counted twice. Edges are taken in
    // order of their lowest row and kept in an active list while the scan
    // passes them, so each row visits only the edges that cross it.
    struct Edge {
        long long lo, hi;  // rows lo <= y < hi
        long long xLo, dx; // x at row lo, change of x over the edge's rows
    };
    std::vector<Edge> edges;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const CDrawPoint& a = points[i];
        const CDrawPoint& b = points[(i + 1) % n];
        if (a.y == b.y)
            continue;
        const CDrawPoint& low = a.y < b.y ? a : b;
        const CDrawPoint& high = a.y < b.y ? b : a;
        if (high.y <= y0 || low.y > y1)
            continue;
        edges.push_back({low.y, high.y, low.x, static_cast<long long>(high.x) - low.x});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.lo < r.lo; });
    std::vector<const Edge*> active;
    std::vector<double> xs;
    std::size_t next = 0;
    for (long long y = y0; y <= y1; ++y) {
        while (next < edges.size() && edges[next].lo <= y)
            active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->hi <= y; }),
                     active.end());
        xs.clear();
        for (const Edge* e : active)
            xs.push_back(static_cast<double>(e->xLo) +
                         static_cast<double>((y - e->lo) * e->dx) / static_cast<double>(e->hi - e->lo));
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
            const double from = std::ceil(xs[k]), to = std::floor(xs[k + 1]);
            if (from > to || to < 0 || from > width - 1)
                continue;
            face.HorizontalLine(static_cast<int>(std::max(from, -1.0)), static_cast<int>(std::min<double>(to, width)),
                                static_cast<int>(y), colour);
        }
    }
    // The edges themselves, so thin parts and the boundary are covered the
    // same way the outline would draw them.
    for (std::size_t i = 0; i < n; ++i) {
        const CDrawPoint& a = points[i];
        const CDrawPoint& b = points[(i + 1) % n];
        RenderSegment(face, colour, a.x, a.y, b.x, b.y);
    }
}

void CDrawPoly::SetPoints(std::vector<CDrawPoint> points)
{
    m_points = std::move(points);
    m_hasShape = false;
    m_shape.clear();
    m_shapeWidth = m_shapeHeight = 0;
    FitBoxToPoints();
    InvalidateCache();
}

void CDrawPoly::AddPoint(CDrawPoint point)
{
    m_points.push_back(point);
    m_hasShape = false;
    m_shape.clear();
    FitBoxToPoints();
}

void CDrawPoly::FitBoxToPoints()
{
    if (m_points.empty())
        return;
    std::int32_t minX = m_points[0].x, maxX = minX, minY = m_points[0].y, maxY = minY;
    for (const CDrawPoint& p : m_points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    m_x1 = minX;
    m_x2 = maxX;
    m_y1 = maxY;  // top-left first, as a freshly drawn box
    m_y2 = minY;
}

void CDrawPoly::BuildShape()
{
    m_shape = m_points;
    m_hasShape = true;
    if (m_shape.empty()) {
        m_shapeWidth = m_shapeHeight = 0;
        return;
    }
    std::int32_t minX = m_shape[0].x, maxX = minX, minY = m_shape[0].y, maxY = minY;
    for (const CDrawPoint& p : m_shape) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    for (CDrawPoint& p : m_shape) {
        p.x = Clamp32(static_cast<long long>(p.x) - minX);
        p.y = Clamp32(static_cast<long long>(p.y) - minY);
    }
    m_shapeWidth = Clamp32(static_cast<long long>(maxX) - minX);
    m_shapeHeight = Clamp32(static_cast<long long>(maxY) - minY);
}

// Resizing scales the normalised shape into the new box with the signed
// spans as given, so a box passed flipped (right < left or top < bottom)
// draws the shape mirrored; the shape itself is then mirrored too, so the
// object stays mirrored when it is resized again with an ordinary box.
void CDrawPoly::SetBounds(int left, int top, int right, int bottom)
{
    if (!m_hasShape)
        BuildShape();
    StoreBounds(left, top, right, bottom);
    const long long spanX = static_cast<long long>(right) - left;
    const long long spanY = static_cast<long long>(top) - bottom;
    m_points.resize(m_shape.size());
    for (std::size_t i = 0; i < m_shape.size(); ++i) {
        // A shape of no extent in an axis sits on the box's left / bottom edge.
        const long long dx = m_shapeWidth != 0 ? m_shape[i].x * spanX / m_shapeWidth : 0;
        const long long dy = m_shapeHeight != 0 ? m_shape[i].y * spanY / m_shapeHeight : 0;
        m_points[i] = {Clamp32(left + dx), Clamp32(bottom + dy)};
    }
    if (right < left)
        for (CDrawPoint& p : m_shape)
            p.x = m_shapeWidth - p.x;
    if (top < bottom)
        for (CDrawPoint& p : m_shape)
            p.y = m_shapeHeight - p.y;
    InvalidateCache();
}

void CDrawPoly::Offset(int dx, int dy)
{
    CDrawObject::Offset(dx, dy);
    for (CDrawPoint& p : m_points) {
        p.x = Clamp32(static_cast<long long>(p.x) + dx);
        p.y = Clamp32(static_cast<long long>(p.y) + dy);
    }
}

// Left: (x, y) -> (cx - (y - cy), cy + (x - cx)); about the origin the shape
// point (x, y) becomes (-y, x), renormalised by adding the old height to x.
void CDrawPoly::RotateLeft(int cx, int cy)
{
    for (CDrawPoint& p : m_points) {
        const long long x = p.x, y = p.y;
        p = {Clamp32(cx - (y - cy)), Clamp32(cy + (x - cx))};
    }
    if (m_hasShape) {
        for (CDrawPoint& p : m_shape)
            p = {m_shapeHeight - p.y, p.x};
        std::swap(m_shapeWidth, m_shapeHeight);
    }
    InvalidateCache();
}

// Right: (x, y) -> (cx + (y - cy), cy - (x - cx)); the shape point (x, y)
// becomes (y, -x), renormalised by adding the old width to y.
void CDrawPoly::RotateRight(int cx, int cy)
{
    for (CDrawPoint& p : m_points) {
        const long long x = p.x, y = p.y;
        p = {Clamp32(cx + (y - cy)), Clamp32(cy - (x - cx))};
    }
    if (m_hasShape) {
        for (CDrawPoint& p : m_shape)
            p = {p.y, m_shapeWidth - p.x};
        std::swap(m_shapeWidth, m_shapeHeight);
    }
    InvalidateCache();
}

void CDrawPoly::RenderToFace(CRaster& face) const
{
    if (!HasPlainLook()) {
        RenderStyledShape(*this, face);
        return;
    }
    if (!face.IsValid() || m_points.empty())
        return;
    if (IsClosed() && IsFilled())
        FillFacePolygon(face, m_fillColour, m_points);
    if (IsOutlined()) {
        if (m_points.size() == 1) {
            RenderSegment(face, m_lineColour, m_points[0].x, m_points[0].y, m_points[0].x, m_points[0].y);
            return;
        }
        for (std::size_t i = 0; i + 1 < m_points.size(); ++i)
            RenderSegment(face, m_lineColour, m_points[i].x, m_points[i].y, m_points[i + 1].x, m_points[i + 1].y);
        if (IsClosed() && m_points.size() > 2)
            RenderSegment(face, m_lineColour, m_points.back().x, m_points.back().y, m_points[0].x, m_points[0].y);
    }
}

void CDrawPoly::Paint(CLayoutPainter& painter, int, int, int, int) const
{
    if (!HasPlainLook()) {
        PaintStyledShape(*this, painter);
        return;
    }
    if (m_points.empty())
        return;
    std::vector<CDrawPoint> window;
    window.reserve(m_points.size());
    for (const CDrawPoint& p : m_points)
        window.push_back(painter.FaceToWindow(p));
    const COLORREF* fill = IsClosed() && IsFilled() ? &m_fillColour : nullptr;
    const COLORREF* pen = IsOutlined() ? &m_lineColour : nullptr;
    if (fill || pen)
        painter.Polygon(window, IsClosed(), fill, pen, painter.GetLineWidth());
}

void CDrawPoly::DrawGhost(CLayoutPainter& painter, int, int, int, int) const
{
    std::vector<CDrawPoint> window;
    window.reserve(m_points.size());
    for (const CDrawPoint& p : m_points)
        window.push_back(painter.FaceToWindow(p));
    const COLORREF black = 0;
    painter.Polygon(window, IsClosed(), nullptr, &black, 1);
}

void CDrawPoly::Save(CRecordStream& stream, bool shareImages, bool withSelection) const
{
    CDrawObject::Save(stream, shareImages, withSelection);
    stream.WriteU32(1);
    stream.WriteU32(static_cast<std::uint32_t>(m_points.size()));
    for (const CDrawPoint& p : m_points)
        stream.WritePoint(p);
    stream.WriteU32(m_hasShape ? 1 : 0);
    if (m_hasShape) {
        stream.WriteI32(m_shapeWidth);
        stream.WriteI32(m_shapeHeight);
        stream.WriteU32(static_cast<std::uint32_t>(m_shape.size()));
        for (const CDrawPoint& p : m_shape)
            stream.WritePoint(p);
    }
}

namespace {

bool ReadPoints(CRecordStream& stream, std::vector<CDrawPoint>& out)
{
    const std::uint32_t count = stream.ReadU32();
    if (stream.Failed() || count > kMaxPoints || !stream.HasRoomFor(count, 8))
        return false;
    out.clear();
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        out.push_back(stream.ReadPoint());
    return !stream.Failed();
}

}  // namespace

bool CDrawPoly::Load(CRecordStream& stream, bool shareImages, bool withSelection)
{
    if (!CDrawObject::Load(stream, shareImages, withSelection))
        return false;
    if (stream.ReadU32() != 1)
        return false;
    if (!ReadPoints(stream, m_points))
        return false;
    const std::uint32_t hasShape = stream.ReadU32();
    if (stream.Failed() || hasShape > 1)
        return false;
    m_hasShape = hasShape == 1;
    m_shape.clear();
    m_shapeWidth = m_shapeHeight = 0;
    if (m_hasShape) {
        m_shapeWidth = stream.ReadI32();
        m_shapeHeight = stream.ReadI32();
        if (!ReadPoints(stream, m_shape))
            return false;
        // A shape that does not match the points would scale garbage into
        // the box on the next resize: rebuild it from the points instead.
        if (m_shape.size() != m_points.size() || m_shapeWidth < 0 || m_shapeHeight < 0) {
            m_hasShape = false;
            m_shape.clear();
            m_shapeWidth = m_shapeHeight = 0;
        }
    }
    return !stream.Failed();
}
