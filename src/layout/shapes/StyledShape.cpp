#include "layout/shapes/StyledShape.h"

#include "image/CairoLibrary.h"
#include "image/Raster.h"
#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/face/LayoutPainter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

void SetColour(cairo_t* cr, COLORREF c)
{
    Cairo().set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

// A rectangle with corners rounded by `r` (at most half its shorter side).
void RoundedRectangle(cairo_t* cr, double l, double t, double r_, double b, double radius)
{
    const double r = std::clamp(radius, 0.0, std::min(r_ - l, b - t) / 2);
    if (r <= 0) {
        Cairo().rectangle(cr, l, t, r_ - l, b - t);
        return;
    }
    Cairo().new_sub_path(cr);
    Cairo().arc(cr, r_ - r, t + r, r, -kPi / 2, 0);
    Cairo().arc(cr, r_ - r, b - r, r, 0, kPi / 2);
    Cairo().arc(cr, l + r, b - r, r, kPi / 2, kPi);
    Cairo().arc(cr, l + r, t + r, r, kPi, 3 * kPi / 2);
    Cairo().close_path(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry)
{
    if (rx <= 0 || ry <= 0)
        return;
    Cairo().save(cr);
    Cairo().translate(cr, cx, cy);
    Cairo().scale(cr, rx, ry);
    Cairo().new_sub_path(cr);
    Cairo().arc(cr, 0, 0, 1, 0, 2 * kPi);
    Cairo().restore(cr);
}

// The pen of the shape's look: its width, its dashes (dashes three widths
// long, gaps two, dots round and one width across) and their caps.
void SetPen(cairo_t* cr, const CDrawObject& o)
{
    const double w = o.GetLineWidth();
    Cairo().set_line_width(cr, w);
    Cairo().set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    // A dot is a dash of next to no length that its round caps make round
    // (cairo leaves a dash of length 0 out of some outlines).
    const double d = w / 64;
    const double dash[] = {3 * w, 2 * w}, dot[] = {d, 2 * w - d}, dashDot[] = {3 * w, 2 * w, d, 2 * w - d};
    switch (o.GetDash()) {
    case kDashDash:
        Cairo().set_dash(cr, dash, 2, 0);
        Cairo().set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        break;
    case kDashDot:
        Cairo().set_dash(cr, dot, 2, 0);
        Cairo().set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        break;
    case kDashDashDot:
        Cairo().set_dash(cr, dashDot, 4, 0);
        Cairo().set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        break;
    default:
        Cairo().set_dash(cr, nullptr, 0, 0);
        Cairo().set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        break;
    }
}

// Draws the shape with (0, 0) the top-left corner of face pixel (0, top):
// face pixel (x, y) spans [x, x + 1) x [top - y, top - y + 1).
void DrawShape(cairo_t* cr, const CDrawObject& o, int top)
{
    const double w = o.GetLineWidth(), half = w / 2;
    const auto X = [](double x) { return x + 0.5; };  // pixel centres
    const auto Y = [top](double y) { return top - y + 0.5; };
    const bool fill = o.IsFilled(), stroke = o.IsOutlined();
    if (dynamic_cast<const CDrawRect*>(&o)) {
        const double l = o.GetMinX(), r = o.GetMaxX() + 1.0, t = top - o.GetMaxY(), b = top - o.GetMinY() + 1.0;
        if (fill) {
            RoundedRectangle(cr, l, t, r, b, o.GetCornerRadius());
            SetColour(cr, o.GetFillColour());
            Cairo().fill(cr);
        }
        if (stroke) {
            // The border lies along the inside of the box.
            RoundedRectangle(cr, l + half, t + half, r - half, b - half, std::max(0.0, o.GetCornerRadius() - half));
            SetColour(cr, o.GetLineColour());
            Cairo().stroke(cr);
        }
        return;
    }
    if (dynamic_cast<const CDrawEllipse*>(&o)) {
        const long long cx = (static_cast<long long>(o.GetX1()) + o.GetX2()) / 2;
        const long long cy = (static_cast<long long>(o.GetY1()) + o.GetY2()) / 2;
        const double a = std::llabs(static_cast<long long>(o.GetX2()) - o.GetX1()) / 2;
        const double b = std::llabs(static_cast<long long>(o.GetY2()) - o.GetY1()) / 2;
        if (fill) {
            Ellipse(cr, X(static_cast<double>(cx)), Y(static_cast<double>(cy)), a + 0.5, b + 0.5);
            SetColour(cr, o.GetFillColour());
            Cairo().fill(cr);
        }
        if (stroke) {
            Ellipse(cr, X(static_cast<double>(cx)), Y(static_cast<double>(cy)), a + 0.5 - half, b + 0.5 - half);
            SetColour(cr, o.GetLineColour());
            Cairo().stroke(cr);
        }
        return;
    }
    std::vector<CDrawPoint> points;
    bool closed = false;
    if (const auto* poly = dynamic_cast<const CDrawPoly*>(&o)) {
        points = poly->GetPoints();
        closed = poly->IsClosed();
    } else {
        points = {{o.GetX1(), o.GetY1()}, {o.GetX2(), o.GetY2()}};  // a line
    }
    if (points.empty())
        return;
    Cairo().move_to(cr, X(points[0].x), Y(points[0].y));
    for (std::size_t i = 1; i < points.size(); ++i)
        Cairo().line_to(cr, X(points[i].x), Y(points[i].y));
    if (points.size() == 1)
        Cairo().line_to(cr, X(points[0].x), Y(points[0].y));
    if (closed)
        Cairo().close_path(cr);
    if (closed && fill) {
        Cairo().set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        SetColour(cr, o.GetFillColour());
        Cairo().fill_preserve(cr);
    }
    if (stroke) {
        SetColour(cr, o.GetLineColour());
        Cairo().stroke(cr);
    }
    Cairo().new_path(cr);
}

}  // namespace

void TraceStyledShape(cairo_t* cr, const CDrawObject& o, int top)
{
    // Fill and pen are laid down together, then the whole made see-through,
    // so the border does not show through the fill it overlaps.
    Cairo().save(cr);
    Cairo().push_group(cr);
    SetPen(cr, o);
    DrawShape(cr, o, top);
    Cairo().pop_group_to_source(cr);
    Cairo().paint_with_alpha(cr, o.GetOpacity() / 100.0);
    Cairo().restore(cr);
}

bool DrawStyledShape(const CDrawObject& o, int faceWidth, int faceHeight, CContentBitmap& bitmap, int& left, int& top)
{
    // The part of the face the shape can reach: its box widened by the pen.
    const long long pad = o.GetLineWidth() + 2;
    const long long x0 = std::max<long long>(0, o.GetMinX() - pad);
    const long long x1 = std::min<long long>(faceWidth, static_cast<long long>(o.GetMaxX()) + pad + 1);
    const long long y0 = std::max<long long>(0, o.GetMinY() - pad);
    const long long y1 = std::min<long long>(faceHeight, static_cast<long long>(o.GetMaxY()) + pad + 1);
    std::string error;  // told once by OpenCairo: the shape is left out
    if (x0 >= x1 || y0 >= y1 || OpenCairo(error) == nullptr)
        return false;
    const int w = static_cast<int>(x1 - x0), h = static_cast<int>(y1 - y0);
    left = static_cast<int>(x0);
    top = static_cast<int>(y1 - 1);
    cairo_surface_t* surface = Cairo().image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (Cairo().surface_status(surface) != CAIRO_STATUS_SUCCESS || !bitmap.Create(w, h, 0, 0, w, h)) {
        Cairo().surface_destroy(surface);
        return false;
    }
    cairo_t* cr = Cairo().create(surface);
    Cairo().translate(cr, -static_cast<double>(x0), 0);
    TraceStyledShape(cr, o, top);
    Cairo().destroy(cr);
    Cairo().surface_flush(surface);
    const unsigned char* data = Cairo().image_surface_get_data(surface);
    const int stride = Cairo().image_surface_get_stride(surface);
    for (int r = 0; r < h; ++r) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(r) * stride);
        for (int c = 0; c < w; ++c) {
            // Premultiplied 0xAARRGGBB to a colour reference with its alpha.
            const std::uint32_t p = row[c], a = p >> 24;
            if (a == 0) {
                bitmap.SetPixel(c, r, CContentBitmap::WithAlpha(0, 0));
                continue;
            }
            const auto un = [a](std::uint32_t v) { return std::min<std::uint32_t>(255, (v * 255 + a / 2) / a); };
            const COLORREF colour = un((p >> 16) & 0xFF) | (un((p >> 8) & 0xFF) << 8) | (un(p & 0xFF) << 16);
            bitmap.SetPixel(c, r, CContentBitmap::WithAlpha(colour, static_cast<std::uint8_t>(a)));
        }
    }
    Cairo().surface_destroy(surface);
    return true;
}

void RenderStyledShape(const CDrawObject& shape, CRaster& face)
{
    if (!face.IsValid())
        return;
    CContentBitmap bitmap;
    int left = 0, top = 0;
    if (DrawStyledShape(shape, face.GetWidth(), face.GetHeight(), bitmap, left, top))
        BurnContent(bitmap, face, left, top, false, 0);
}

void PaintStyledShape(const CDrawObject& shape, CLayoutPainter& painter)
{
    CContentBitmap bitmap;
    int left = 0, top = 0;
    if (!DrawStyledShape(shape, painter.GetFaceWidth(), painter.GetFaceHeight(), bitmap, left, top))
        return;
    const CDrawPoint a = painter.FaceToWindow({left, top});
    const CDrawPoint b = painter.FaceToWindow({left + bitmap.GetWidth(), top - bitmap.GetHeight()});
    painter.DrawBitmap(bitmap, a.x, a.y, b.x, b.y, false, 0);
}
