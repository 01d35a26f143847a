#pragma once
// CCairoFacePainter: draw objects painted as vector shapes onto a cairo
// context whose user space is the face's window pixels (y down, row r the
// face pixel row H - 1 - r). Lines run through pixel centres and a filled
// box covers its edge pixels too, so the shapes land on the pixels the face
// picture burns them into; bitmap content is placed pixel for pixel.

#include "layout/face/LayoutPainter.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

class CCairoFacePainter final : public CLayoutPainter {
public:
    CCairoFacePainter(cairo_t* cr, int faceWidth, int faceHeight)
        : m_cr(cr), m_width(faceWidth), m_height(faceHeight) {}

    int GetZoom() const override { return 100; }
    CDrawPoint FaceToWindow(CDrawPoint p) const override { return {p.x, m_height - 1 - p.y}; }
    int GetFaceWidth() const override { return m_width; }
    int GetFaceHeight() const override { return m_height; }

    void FillRect(int left, int top, int right, int bottom, COLORREF colour) override;
    void Line(int x1, int y1, int x2, int y2, COLORREF colour, int width) override;
    void Ellipse(int left, int top, int right, int bottom, const COLORREF* fill, const COLORREF* pen,
                 int width) override;
    void Polygon(const std::vector<CDrawPoint>& points, bool closed, const COLORREF* fill, const COLORREF* pen,
                 int width) override;
    void DrawBitmap(const CContentBitmap& bitmap, int left, int top, int right, int bottom, bool transparent,
                    COLORREF key) override;

    // Sets the source colour of a colour reference (0x00BBGGRR).
    static void SetColour(cairo_t* cr, COLORREF colour);

private:
    void FillAndStroke(const COLORREF* fill, const COLORREF* pen, int width);

    cairo_t* m_cr;
    int m_width, m_height;
};
