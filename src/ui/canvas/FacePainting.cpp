#include "ui/canvas/FacePainting.h"

#include "ui/canvas/QtLayoutPainter.h"
#include "ui/widgets/ColorButton.h"

#include <QPainter>
#include <algorithm>

QPoint CanvasHandlePoint(const QRect& r, int h)
{
    // The box's corners are the mapped object corners themselves: handles on
    // the right and bottom sit on those pixels, not one past them.
    const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
    const int mx = (l + rr) / 2, my = (t + b) / 2;
    switch (h) {
    case 1: return {l, t};
    case 2: return {mx, t};
    case 3: return {rr, t};
    case 4: return {l, my};
    case 5: return {rr, my};
    case 6: return {l, b};
    case 7: return {mx, b};
    default: return {rr, b};
    }
}

namespace {

// The box of a selected object and its handles, each 7 x 7 pixels: filled
// blue on the dominant object, white on the others; the handles an object
// cannot be resized by are left out. Adds the body and the handles that act
// to `handles`.
void PaintSelection(QPainter& painter, CDrawObject& o, const QRect& box, std::vector<SCanvasHandle>& handles)
{
    const int l = box.left(), t = box.top(), r = box.right(), b = box.bottom();
    handles.push_back({QRect(QPoint(l, t), QPoint(std::max(l, r), std::max(t, b))), &o, 0});
    const bool cw = o.CanResizeWidth(), ch = o.CanResizeHeight();
    const QColor fill = o.GetSelection() == kSelectDominant ? QColor(0, 0, 255) : QColor(255, 255, 255);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill);
    for (int h = 1; h <= 8; ++h) {
        if ((h == 2 || h == 7) && !ch)
            continue;
        if ((h == 4 || h == 5) && !cw)
            continue;
        const QPoint p = CanvasHandlePoint(box, h);
        // A 7 x 7 square from x - 3 to x + 4 (exclusive); a stroked QRect
        // covers its width plus the pen's pixel, hence 6.
        painter.drawRect(QRect(p.x() - 3, p.y() - 3, 6, 6));
        const int acting = LayoutEdit::AdaptHandle(o, h);
        if (acting != 0)
            handles.push_back({QRect(p.x() - 3, p.y() - 3, 7, 7), &o, acting});
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::NoPen);
}

} // namespace

std::vector<SCanvasHandle> PaintFaceObjects(QPainter& painter, const CFaceMapping& mapping,
                                            const CDrawObjectList& objects, QSize face, QSize window, int zoom)
{
    std::vector<SCanvasHandle> handles;
    CQtLayoutPainter lp(painter, mapping, zoom);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::NoPen);
    // Objects show only on the face, as the rendering shows them; their
    // handles stay in reach beyond its edge.
    const QRect faceRect(QPoint(mapping.FaceToWindowX(0), mapping.FaceToWindowY(face.height())),
                         QPoint(mapping.FaceToWindowX(face.width()) - 1, mapping.FaceToWindowY(0) - 1));
    for (std::size_t index = 0; index < objects.GetObjectCount(); ++index) {
        CDrawObject* o = objects.GetObject(index);
        const int l = mapping.FaceToWindowX(o->GetMinX());
        const int r = mapping.FaceToWindowX(o->GetMaxX());
        const int t = mapping.FaceToWindowY(o->GetMaxY());
        const int b = mapping.FaceToWindowY(o->GetMinY());
        if (o->IsHidden())
            continue;
        const bool outside = r < 0 || l > window.width() || b < 0 || t > window.height();
        if (!outside) {
            painter.save();
            painter.setClipRect(faceRect, Qt::IntersectClip);
            o->Paint(lp, l, t, r, b);
            painter.restore();
        }
        if (!o->IsSelected())
            continue;
        const QRect box(QPoint(l, t), QPoint(r, b));
        if (o->IsLocked()) {
            // Selected in the objects panel: its box, but nothing to drag.
            painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
            painter.drawRect(box.normalized());
            painter.setPen(Qt::NoPen);
            continue;
        }
        PaintSelection(painter, *o, box, handles);
    }
    return handles;
}

namespace {

// Band and drag outlines: black dashes over a white line, so that they show
// on dark and light artwork alike. A stroked QRect covers its width plus the
// pen's pixel: the rectangle is shrunk so that the outline ends on the
// corner pixel itself.
void PaintOutline(QPainter& painter, const QRect& r)
{
    painter.setPen(QPen(QColor(255, 255, 255), 1, Qt::SolidLine));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(QColor(0, 0, 0), 1, Qt::DashLine));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

// The outline of where a dragged object goes: moved by the drag, or resized
// by its handle.
void PaintDragOutline(QPainter& painter, const CFaceMapping& mapping, const SToolFeedback& tool)
{
    const int dx = tool.current.x - tool.anchor.x, dy = tool.current.y - tool.anchor.y;
    CFaceBox b;
    if (tool.dragHandle == 0) {
        b = LayoutEdit::NormalisedBox(*tool.dragObject);
        b = {b.left + dx, b.top + dy, b.right + dx, b.bottom + dy};
    } else {
        b = LayoutEdit::ResizeBox(*tool.dragObject, tool.dragHandle, dx, dy);
    }
    PaintOutline(painter, QRect(QPoint(mapping.FaceToWindowX(b.left), mapping.FaceToWindowY(b.top)),
                                QPoint(mapping.FaceToWindowX(b.right), mapping.FaceToWindowY(b.bottom)))
                              .normalized());
}

// The outline the new object will have: rectangles span their corner
// pixels, ellipses keep inside their box as the painter draws them.
void PaintNewObject(QPainter& painter, const CFaceMapping& mapping, const SToolFeedback& tool, QPoint a, QPoint c)
{
    const COLORREF colour = tool.lineColour;
    const QRect box = QRect(a, c).normalized();
    painter.setPen(QPen(QColorFromColorRef(colour), 1));
    if (tool.mode == kModeSegment) {
        painter.drawLine(a, c);
    } else if (tool.mode == kModeEllipse) {
        CQtLayoutPainter lp(painter, mapping, 100);
        lp.Ellipse(box.left(), box.top(), box.right(), box.bottom(), nullptr, &colour, 1);
    } else {
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

} // namespace

void PaintToolFeedback(QPainter& painter, const CFaceMapping& mapping, const SToolFeedback& tool)
{
    if (tool.step == 0)
        return;
    const QPoint a(mapping.FaceToWindowX(tool.anchor.x), mapping.FaceToWindowY(tool.anchor.y));
    const QPoint c(mapping.FaceToWindowX(tool.current.x), mapping.FaceToWindowY(tool.current.y));
    painter.setBrush(Qt::NoBrush);
    if (tool.step == 1) {
        PaintOutline(painter, QRect(a, c).normalized());
    } else if (tool.step == 2 && tool.dragObject) {
        PaintDragOutline(painter, mapping, tool);
    } else if (tool.step == 3) {
        PaintNewObject(painter, mapping, tool, a, c);
    } else if (tool.step == 4 && tool.points && tool.points->size() >= 2) {
        painter.setPen(QPen(QColorFromColorRef(tool.lineColour), 1));
        QPolygon poly;
        for (const CFacePoint& p : *tool.points)
            poly << QPoint(mapping.FaceToWindowX(p.x), mapping.FaceToWindowY(p.y));
        painter.drawPolyline(poly);
    }
}
