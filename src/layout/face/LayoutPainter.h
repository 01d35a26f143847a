#pragma once
// CLayoutPainter: what draw objects need from the screen to paint themselves.
// The face canvas implements it over its own drawing surface; it maps face
// pixels to window pixels for the current zoom and keeps its pens and
// brushes cached by colour and width.

#include "image/Color.h"
#include "layout/objects/RecordStream.h"

#include <algorithm>
#include <vector>

class CContentBitmap;

class CLayoutPainter {
public:
    virtual ~CLayoutPainter() = default;

    // Zoom in percent; screen lines are max(1, zoom / 100) pixels wide.
    virtual int GetZoom() const = 0;
    int GetLineWidth() const { return std::max(1, GetZoom() / 100); }
    // Face pixel -> window pixel (y down).
    virtual CDrawPoint FaceToWindow(CDrawPoint facePoint) const = 0;
    // The face picture's size in face pixels (bitmap objects draw the part
    // of their content that lies on the face).
    virtual int GetFaceWidth() const = 0;
    virtual int GetFaceHeight() const = 0;

    // Window-coordinate primitives; right/bottom exclusive as for window rectangles.
    virtual void FillRect(int left, int top, int right, int bottom, COLORREF colour) = 0;
    virtual void Line(int x1, int y1, int x2, int y2, COLORREF colour, int width) = 0;
    // Ellipse inscribed in the rectangle; a null colour leaves that part out.
    virtual void Ellipse(int left, int top, int right, int bottom, const COLORREF* fill,
                         const COLORREF* pen, int width) = 0;
    virtual void Polygon(const std::vector<CDrawPoint>& points, bool closed, const COLORREF* fill,
                         const COLORREF* pen, int width) = 0;
    // Stretches the bitmap's full content (GetFullWidth x GetFullHeight) into
    // the window rectangle; only the window the bitmap stores (from GetLeft,
    // GetTop, the part on the face) has pixels. When `transparent`, pixels
    // equal to `key` are skipped.
    virtual void DrawBitmap(const CContentBitmap& bitmap, int left, int top, int right, int bottom,
                            bool transparent, COLORREF key) = 0;
};
