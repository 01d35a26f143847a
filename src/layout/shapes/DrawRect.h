#pragma once
// The three box shapes: rectangle, line and ellipse. They have no fields of
// their own; the Rotate commands turn their boxes, so they keep no angle.

#include "layout/objects/DrawObject.h"

class CDrawRect final : public CDrawObject {
public:
    CDrawRect() = default;
    void Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const override;
    void RenderToFace(CRaster& face) const override;
    const char* GetKindCode() const override { return "RECT"; }
    const char* GetKindName() const override { return "Rectangle"; }
    bool HasStyle() const override { return true; }
    bool HasLineColour() const override { return true; }
    bool HasFillColour() const override { return true; }
};

class CDrawLine final : public CDrawObject {
public:
    CDrawLine() = default;
    void Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const override;
    void RenderToFace(CRaster& face) const override;
    const char* GetKindCode() const override { return "LINE"; }
    const char* GetKindName() const override { return "Line"; }
    bool HasStyle() const override { return false; }
    bool HasLineColour() const override { return true; }
    bool HasFillColour() const override { return false; }
};

class CDrawEllipse final : public CDrawObject {
public:
    CDrawEllipse() = default;
    void Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const override;
    void DrawGhost(CLayoutPainter& painter, int left, int top, int right, int bottom) const override;
    void RenderToFace(CRaster& face) const override;
    const char* GetKindCode() const override { return "ELLIPSE"; }
    const char* GetKindName() const override { return "Ellipse"; }
    bool HasStyle() const override { return true; }
    bool HasLineColour() const override { return true; }
    bool HasFillColour() const override { return true; }
};

// Face drawing helpers shared by the shapes (face pixels, y up, clipped to
// the picture). Segments far outside the picture are clipped first so that a
// hostile box never walks billions of pixels.
void RenderSegment(CRaster& face, COLORREF colour, long long x1, long long y1, long long x2, long long y2);
