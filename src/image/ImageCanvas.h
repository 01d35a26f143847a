#pragma once
// CImageCanvas draws spans, lines, frames, rectangles, circles, ellipses,
// rounded rectangles and polygon spans into a 24-bit CRaster. Coordinates are
// picture pixels, x to the right, y up (y = 0 the bottom row). Every primitive
// takes the colour first and draws through CRaster::SetPixelColor and
// CRaster::HorizontalLine, so clipping is per pixel: anything outside the
// picture is simply not drawn.

#include "image/Color.h"

#include <vector>

class CRaster;

class CImageCanvas {
public:
    // Rows of the polygon span table: the target height must not exceed this.
    static constexpr int kMaxPolygonRows = 10000;
    // Initial smallest / largest x of an empty span row.
    static constexpr int kSpanEmptyMin = 9999999;
    static constexpr int kSpanEmptyMax = -9999999;

    explicit CImageCanvas(CRaster* target) noexcept; // not owned
    CRaster* GetTarget() const noexcept { return m_target; }
    int GetMaxX() const noexcept { return m_maxX; } // width - 1
    int GetMaxY() const noexcept { return m_maxY; } // height - 1

    void SetPixel(COLORREF color, int x, int y) noexcept;
    void SetPixel(RGBQUAD color, int x, int y) noexcept;
    // red | green << 8 | blue << 16; outside gives the target's background colour.
    COLORREF GetPixel(int x, int y) const noexcept;

    // Ends in either order.
    void HorizontalLine(COLORREF color, int x1, int x2, int y) noexcept;
    // Clamped to the picture; draws from y1 up to y2, nothing when y1 > y2.
    void VerticalLine(COLORREF color, int x, int y1, int y2) noexcept;
    // Every row gets a span 0 .. width - 1.
    void Clear(COLORREF color) noexcept;
    // Bresenham between the two ends, both included.
    void Line(COLORREF color, int x1, int y1, int x2, int y2) noexcept;
    // A frame `thickness` pixels wide inside the rectangle (corners in any order).
    void Frame(COLORREF color, int x1, int y1, int x2, int y2, int thickness) noexcept;
    void FilledRectangle(COLORREF color, int x1, int y1, int x2, int y2) noexcept;
    // Midpoint circle of radius r (pixels) around (cx, cy).
    void Circle(COLORREF color, int cx, int cy, int r) noexcept;
    void FilledCircle(COLORREF color, int cx, int cy, int r) noexcept;
    // Midpoint ellipse, horizontal radius a, vertical radius b.
    void Ellipse(COLORREF color, int cx, int cy, int a, int b) noexcept;
    void FilledEllipse(COLORREF color, int cx, int cy, int a, int b) noexcept;
    // Quarter-circle corners of `radius`; the radius is not limited to half the box.
    void FilledRoundedRectangle(COLORREF color, int x1, int y1, int x2, int y2, int radius) noexcept;

    // Polygon spans: BeginPolygon resets the per-row table for a picture of
    // width x height; AddPolygonEdge walks one edge (Bresenham) and records, for
    // every visited row 0 <= y < height, its x clamped to 0 .. width. The owner
    // then reads GetSpan or calls FillPolygon. False when height exceeds
    // kMaxPolygonRows or a size is negative.
    bool BeginPolygon(int width, int height);
    void AddPolygonEdge(int x1, int y1, int x2, int y2) noexcept;
    // Adds the closed outline through `count` points (xs[i], ys[i]).
    void AddPolygon(const int* xs, const int* ys, int count) noexcept;
    // Smallest and largest x recorded on `row`; false when the row has none.
    bool GetSpan(int row, int& minX, int& maxX) const noexcept;
    // Bounding box of the recorded rows (empty values while nothing is recorded).
    int GetPolygonMinX() const noexcept { return m_polyMinX; }
    int GetPolygonMaxX() const noexcept { return m_polyMaxX; }
    int GetPolygonMinY() const noexcept { return m_polyMinY; }
    int GetPolygonMaxY() const noexcept { return m_polyMaxY; }
    // Fills every recorded row from its smallest to its largest x.
    void FillPolygon(COLORREF color) noexcept;

private:
    void RecordSpanPoint(int x, int y) noexcept;
    void PlotEight(COLORREF color, int cx, int cy, int x, int y) noexcept;

    CRaster* m_target;
    int m_maxX;
    int m_maxY;

    // Polygon work buffer: smallest and largest x per row.
    std::vector<int> m_spanMin;
    std::vector<int> m_spanMax;
    int m_polyWidth = 0;
    int m_polyHeight = 0;
    int m_polyMinX = kSpanEmptyMin;
    int m_polyMaxX = kSpanEmptyMax;
    int m_polyMinY = kSpanEmptyMin;
    int m_polyMaxY = kSpanEmptyMax;
};
