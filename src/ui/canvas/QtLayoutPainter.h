#pragma once
// The face canvas's painter for draw objects: QPainter primitives in window
// pixels, the face-to-window mapping of the current paint, and pens and
// brushes cached by colour and width for the whole paint.

#include "layout/face/LayoutPainter.h"
#include "layout/edit/FaceMapping.h"

#include <QBrush>
#include <QHash>
#include <QPen>

class QPainter;

class CQtLayoutPainter final : public CLayoutPainter {
public:
    CQtLayoutPainter(QPainter& painter, const CFaceMapping& mapping, int zoomPercent);

    int GetZoom() const override { return m_zoom; }
    CDrawPoint FaceToWindow(CDrawPoint p) const override
    {
        return {m_mapping.FaceToWindowX(p.x), m_mapping.FaceToWindowY(p.y)};
    }
    int GetFaceWidth() const override { return m_mapping.faceWidth; }
    int GetFaceHeight() const override { return m_mapping.faceHeight; }

    void FillRect(int left, int top, int right, int bottom, COLORREF colour) override;
    void Line(int x1, int y1, int x2, int y2, COLORREF colour, int width) override;
    void Ellipse(int left, int top, int right, int bottom, const COLORREF* fill, const COLORREF* pen,
                 int width) override;
    void Polygon(const std::vector<CDrawPoint>& points, bool closed, const COLORREF* fill, const COLORREF* pen,
                 int width) override;
    void DrawBitmap(const CContentBitmap& bitmap, int left, int top, int right, int bottom, bool transparent,
                    COLORREF key) override;

    const QPen& Pen(COLORREF colour, int width);
    const QBrush& Brush(COLORREF colour);
    int CachedPens() const { return static_cast<int>(m_pens.size()); }

private:
    QPainter& m_painter;
    const CFaceMapping& m_mapping;
    int m_zoom;
    QHash<quint64, QPen> m_pens;
    QHash<quint32, QBrush> m_brushes;
};
