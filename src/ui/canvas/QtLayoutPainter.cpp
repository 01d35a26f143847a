#include "ui/canvas/QtLayoutPainter.h"

#include "layout/face/ContentBitmap.h"
#include "ui/widgets/ColorButton.h"

#include <QCache>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

CQtLayoutPainter::CQtLayoutPainter(QPainter& painter, const CFaceMapping& mapping, int zoomPercent)
    : m_painter(painter), m_mapping(mapping), m_zoom(zoomPercent)
{
}

const QPen& CQtLayoutPainter::Pen(COLORREF colour, int width)
{
    const quint64 key = (static_cast<quint64>(width) << 32) | (colour & 0xFFFFFFu);
    auto it = m_pens.find(key);
    if (it == m_pens.end()) {
        QPen pen(QColorFromColorRef(colour));
        pen.setWidth(width);
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
        it = m_pens.insert(key, pen);
    }
    return it.value();
}

const QBrush& CQtLayoutPainter::Brush(COLORREF colour)
{
    const quint32 key = colour & 0xFFFFFFu;
    auto it = m_brushes.find(key);
    if (it == m_brushes.end())
        it = m_brushes.insert(key, QBrush(QColorFromColorRef(colour)));
    return it.value();
}

void CQtLayoutPainter::FillRect(int left, int top, int right, int bottom, COLORREF colour)
{
    m_painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).normalized(), Brush(colour));
}

void CQtLayoutPainter::Line(int x1, int y1, int x2, int y2, COLORREF colour, int width)
{
    m_painter.setPen(Pen(colour, width));
    m_painter.drawLine(x1, y1, x2, y2);
}

void CQtLayoutPainter::Ellipse(int left, int top, int right, int bottom, const COLORREF* fill, const COLORREF* pen,
                               int width)
{
    m_painter.setBrush(fill ? Brush(*fill) : QBrush(Qt::NoBrush));
    m_painter.setPen(pen ? Pen(*pen, width) : (fill ? Pen(*fill, 1) : QPen(Qt::NoPen)));
    // The ellipse keeps inside the window rectangle, right and bottom edges
    // excluded: its outline runs through the centres of the first and last
    // pixel of each axis. (An integer QRect would stroke one pixel past its
    // width, and the aliased filler overshoots flat arcs of such ellipses.)
    // Below three pixels the centre path degenerates; the integer form is
    // exact there. A one-pixel outline is clipped to the rectangle as a
    // guard; a wider one (high zoom) stays centred on that path, half of it
    // outside, as wide pens are.
    const int l = std::min(left, right), r = std::max(left, right);
    const int t = std::min(top, bottom), b = std::max(top, bottom);
    if (r - l < 1 || b - t < 1)
        return;
    const bool wide = pen && width > 1;
    m_painter.save();
    if (!wide)
        m_painter.setClipRect(QRect(l, t, r - l, b - t), Qt::IntersectClip);
    if (r - l < 3 || b - t < 3)
        m_painter.drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
    else
        m_painter.drawEllipse(QRectF(l + 0.5, t + 0.5, r - l - 1, b - t - 1));
    m_painter.restore();
    m_painter.setBrush(Qt::NoBrush);
}

void CQtLayoutPainter::Polygon(const std::vector<CDrawPoint>& points, bool closed, const COLORREF* fill,
                               const COLORREF* pen, int width)
{
    QPolygon poly;
    poly.reserve(static_cast<int>(points.size()));
    for (const CDrawPoint& p : points)
        poly << QPoint(p.x, p.y);
    if (fill && closed) {
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(Brush(*fill));
        m_painter.drawPolygon(poly);
        m_painter.setBrush(Qt::NoBrush);
    }
    if (pen) {
        m_painter.setPen(Pen(*pen, width));
        if (closed)
            m_painter.drawPolygon(poly);
        else
            m_painter.drawPolyline(poly);
    }
}

namespace {

// Screen copies of object contents, so that a paint (one per mouse move
// while dragging) does not convert every picture again. Keyed on the
// content's number; cost in pixels, about 64 MB of copies at most.
struct CScreenCopy {
    QImage image;
    bool transparent = false;
    COLORREF key = 0;
};

QCache<quint64, CScreenCopy>& ScreenCopies()
{
    static QCache<quint64, CScreenCopy> cache(16 * 1024 * 1024);
    return cache;
}

QImage ToScreenImage(const CContentBitmap& bitmap, bool transparent, COLORREF key)
{
    const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
    const int l = bitmap.GetLeft(), t = bitmap.GetTop();
    // A picture's alpha rides in the pixels' top byte (0 when opaque).
    bool alpha = false;
    for (int y = 0; y < h && !alpha; ++y)
        for (int x = 0; x < w && !alpha; ++x)
            alpha = CContentBitmap::AlphaOf(bitmap.GetPixel(l + x, t + y)) != 255;
    QImage image(w, h, transparent || alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const COLORREF c = bitmap.GetPixel(l + x, t + y);
            row[x] = (transparent && c == key)
                         ? 0u
                         : qRgba(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                                 static_cast<int>((c >> 16) & 0xFF), CContentBitmap::AlphaOf(c));
        }
    }
    return image;
}

} // namespace

void CQtLayoutPainter::DrawBitmap(const CContentBitmap& bitmap, int left, int top, int right, int bottom,
                                  bool transparent, COLORREF key)
{
    if (bitmap.IsEmpty() || bitmap.GetFullWidth() <= 0 || bitmap.GetFullHeight() <= 0)
        return;
    const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
    const int l = bitmap.GetLeft(), t = bitmap.GetTop();
    QImage image;
    const quint64 serial = bitmap.GetSerial();
    CScreenCopy* copy = serial ? ScreenCopies().object(serial) : nullptr;
    if (copy && copy->transparent == transparent && (!transparent || copy->key == key) &&
        copy->image.width() == w && copy->image.height() == h) {
        image = copy->image;
    } else {
        image = ToScreenImage(bitmap, transparent, key);
        if (image.isNull())
            return;
        const qsizetype cost = static_cast<qsizetype>(w) * h;
        if (serial && cost <= ScreenCopies().maxCost())
            ScreenCopies().insert(serial, new CScreenCopy{image, transparent, key}, cost);
    }
    // The stored window of the content goes to its share of the target box.
    const double sx = static_cast<double>(right - left) / bitmap.GetFullWidth();
    const double sy = static_cast<double>(bottom - top) / bitmap.GetFullHeight();
    const QRectF target(left + l * sx, top + t * sy, w * sx, h * sy);
    m_painter.drawImage(target, image);
}
