#include "layout/export/CairoFacePainter.h"

#include "image/CairoLibrary.h"
#include "layout/face/ContentBitmap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

void CCairoFacePainter::SetColour(cairo_t* cr, COLORREF colour)
{
    Cairo().set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                           ((colour >> 16) & 0xFF) / 255.0);
}

void CCairoFacePainter::FillRect(int left, int top, int right, int bottom, COLORREF colour)
{
    // Both edge pixels are covered, as the face picture fills a box.
    SetColour(m_cr, colour);
    Cairo().rectangle(m_cr, std::min(left, right), std::min(top, bottom), std::abs(right - left) + 1,
                    std::abs(bottom - top) + 1);
    Cairo().fill(m_cr);
}

void CCairoFacePainter::Line(int x1, int y1, int x2, int y2, COLORREF colour, int width)
{
    SetColour(m_cr, colour);
    Cairo().set_line_width(m_cr, std::max(1, width));
    Cairo().set_line_cap(m_cr, CAIRO_LINE_CAP_SQUARE);
    Cairo().move_to(m_cr, x1 + 0.5, y1 + 0.5);
    Cairo().line_to(m_cr, x2 + 0.5, y2 + 0.5);
    Cairo().stroke(m_cr);
}

void CCairoFacePainter::FillAndStroke(const COLORREF* fill, const COLORREF* pen, int width)
{
    if (fill) {
        SetColour(m_cr, *fill);
        Cairo().fill_preserve(m_cr);
    }
    if (pen) {
        SetColour(m_cr, *pen);
        Cairo().set_line_width(m_cr, std::max(1, width));
        Cairo().set_line_join(m_cr, CAIRO_LINE_JOIN_MITER);
        Cairo().stroke_preserve(m_cr);
    }
    Cairo().new_path(m_cr);
}

void CCairoFacePainter::Ellipse(int left, int top, int right, int bottom, const COLORREF* fill, const COLORREF* pen,
                                int width)
{
    const double cx = (left + right) / 2.0 + 0.5, cy = (top + bottom) / 2.0 + 0.5;
    const double rx = std::abs(right - left) / 2.0, ry = std::abs(bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0)
        return;
    Cairo().save(m_cr);
    Cairo().translate(m_cr, cx, cy);
    Cairo().scale(m_cr, rx, ry);
    Cairo().arc(m_cr, 0, 0, 1, 0, 6.283185307179586);
    Cairo().restore(m_cr);  // the pen keeps its width: the path is already in place
    FillAndStroke(fill, pen, width);
}

void CCairoFacePainter::Polygon(const std::vector<CDrawPoint>& points, bool closed, const COLORREF* fill,
                                const COLORREF* pen, int width)
{
    if (points.empty())
        return;
    Cairo().move_to(m_cr, points[0].x + 0.5, points[0].y + 0.5);
    for (std::size_t i = 1; i < points.size(); ++i)
        Cairo().line_to(m_cr, points[i].x + 0.5, points[i].y + 0.5);
    if (closed)
        Cairo().close_path(m_cr);
    FillAndStroke(closed ? fill : nullptr, pen, width);
}

namespace {

// A pixel of the key colour is left out of content drawn with a transparent key.
bool IsKeyedOut(COLORREF p, bool transparent, COLORREF key)
{
    return transparent && (p & 0xFFFFFFu) == (key & 0xFFFFFFu);
}

// Lays opaque content down as rectangles of one colour each: a run of equal
// pixels in a row, joined with the same run in the rows below it. Bars of a
// barcode become one rectangle each, exactly on their pixels, and print sharp
// at any resolution. False, nothing drawn, when the content has see-through
// pixels or too many pieces to be worth tracing.
bool TraceRuns(cairo_t* cr, const CContentBitmap& bitmap, bool transparent, COLORREF key)
{
    constexpr std::size_t kMaxRectangles = 20000;
    struct Run {
        int x0, x1;
        COLORREF colour;
        int top;
    };
    struct Box {
        int x0, y0, x1, y1;
        COLORREF colour;
    };
    std::vector<Run> open, next;
    std::vector<Box> boxes;
    const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
    for (int r = 0; r <= h; ++r) {
        next.clear();
        for (int c = 0; r < h && c < w;) {
            const COLORREF p = bitmap.GetPixel(bitmap.GetLeft() + c, bitmap.GetTop() + r);
            const bool clear = IsKeyedOut(p, transparent, key);
            if (!clear && CContentBitmap::AlphaOf(p) != 255)
                return false;
            int end = c + 1;
            while (end < w && bitmap.GetPixel(bitmap.GetLeft() + end, bitmap.GetTop() + r) == p)
                ++end;
            if (!clear)
                next.push_back({c, end, p & 0xFFFFFFu, r});
            c = end;
        }
        // A run that goes on below keeps its top; the others end here.
        std::size_t j = 0;
        for (const Run& run : open) {
            while (j < next.size() && next[j].x0 < run.x0)
                ++j;
            if (j < next.size() && next[j].x0 == run.x0 && next[j].x1 == run.x1 && next[j].colour == run.colour)
                next[j].top = run.top;
            else
                boxes.push_back({run.x0, run.top, run.x1, r, run.colour});
        }
        if (boxes.size() > kMaxRectangles)
            return false;
        open.swap(next);
    }
    for (const Box& b : boxes) {
        CCairoFacePainter::SetColour(cr, b.colour);
        Cairo().rectangle(cr, b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0);
        Cairo().fill(cr);
    }
    return true;
}

} // namespace

void CCairoFacePainter::DrawBitmap(const CContentBitmap& bitmap, int left, int top, int right, int bottom,
                                   bool transparent, COLORREF key)
{
    if (bitmap.IsEmpty() || right <= left || bottom <= top)
        return;
    // The full content spans the window rectangle; the stored part starts
    // GetLeft, GetTop pixels into it.
    const double sx = static_cast<double>(right - left) / bitmap.GetFullWidth();
    const double sy = static_cast<double>(bottom - top) / bitmap.GetFullHeight();
    Cairo().save(m_cr);
    Cairo().translate(m_cr, left + bitmap.GetLeft() * sx, top + bitmap.GetTop() * sy);
    Cairo().scale(m_cr, sx, sy);
    const bool traced = TraceRuns(m_cr, bitmap, transparent, key);
    Cairo().restore(m_cr);
    if (traced)
        return;
    cairo_surface_t* image = Cairo().image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.GetWidth(), bitmap.GetHeight());
    if (Cairo().surface_status(image) != CAIRO_STATUS_SUCCESS) {
        Cairo().surface_destroy(image);
        return;
    }
    Cairo().surface_flush(image);
    unsigned char* data = Cairo().image_surface_get_data(image);
    const int stride = Cairo().image_surface_get_stride(image);
    for (int r = 0; r < bitmap.GetHeight(); ++r) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(r) * stride);
        for (int c = 0; c < bitmap.GetWidth(); ++c) {
            const COLORREF p = bitmap.GetPixel(bitmap.GetLeft() + c, bitmap.GetTop() + r);
            const bool clear = IsKeyedOut(p, transparent, key);
            const std::uint32_t a = clear ? 0 : CContentBitmap::AlphaOf(p);
            // Premultiplied 0xAARRGGBB.
            const std::uint32_t red = (p & 0xFF) * a / 255, green = ((p >> 8) & 0xFF) * a / 255,
                                blue = ((p >> 16) & 0xFF) * a / 255;
            row[c] = (a << 24) | (red << 16) | (green << 8) | blue;
        }
    }
    Cairo().surface_mark_dirty(image);
    Cairo().save(m_cr);
    Cairo().translate(m_cr, left + bitmap.GetLeft() * sx, top + bitmap.GetTop() * sy);
    Cairo().scale(m_cr, sx, sy);
    Cairo().set_source_surface(m_cr, image, 0, 0);
    // One-bit text stays crisp at any print size.
    Cairo().pattern_set_filter(Cairo().get_source(m_cr), CAIRO_FILTER_NEAREST);
    Cairo().rectangle(m_cr, 0, 0, bitmap.GetWidth(), bitmap.GetHeight());
    Cairo().fill(m_cr);
    Cairo().restore(m_cr);
    Cairo().surface_destroy(image);
}
