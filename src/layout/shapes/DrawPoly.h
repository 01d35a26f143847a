#pragma once
// Polygons and polylines: an ordered point list in absolute face pixels plus
// a normalised copy of the shape (points relative to its minimum x and y)
// that resizing scales, so repeated resizes do not accumulate rounding and
// a flipped shape stays mirrored.

#include "layout/objects/DrawObject.h"

#include <vector>

class CDrawPoly : public CDrawObject {
public:
    virtual bool IsClosed() const = 0;

    void Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const override;
    void DrawGhost(CLayoutPainter& painter, int left, int top, int right, int bottom) const override;
    void RotateLeft(int cx, int cy) override;
    void RotateRight(int cx, int cy) override;
    void SetBounds(int left, int top, int right, int bottom) override;
    void Offset(int dx, int dy) override;
    void RenderToFace(CRaster& face) const override;
    void Save(CRecordStream& stream, bool shareImages, bool withSelection) const override;
    bool Load(CRecordStream& stream, bool shareImages, bool withSelection) override;

    const std::vector<CDrawPoint>& GetPoints() const { return m_points; }
    // Replaces the points, drops the normalised shape and sets the box to the
    // points' bounding box.
    void SetPoints(std::vector<CDrawPoint> points);
    void AddPoint(CDrawPoint point);
    bool HasShape() const { return m_hasShape; }
    const std::vector<CDrawPoint>& GetShape() const { return m_shape; }
    int GetShapeWidth() const { return m_shapeWidth; }
    int GetShapeHeight() const { return m_shapeHeight; }

protected:
    CDrawPoly() = default;

private:
    void BuildShape();
    void FitBoxToPoints();

    std::vector<CDrawPoint> m_points;
    bool m_hasShape = false;
    std::int32_t m_shapeWidth = 0;
    std::int32_t m_shapeHeight = 0;
    std::vector<CDrawPoint> m_shape;
};

class CDrawPolygon final : public CDrawPoly {
public:
    CDrawPolygon() = default;
    bool IsClosed() const override { return true; }
    const char* GetKindCode() const override { return "POLYGON"; }
    const char* GetKindName() const override { return "Polygon"; }
    bool HasStyle() const override { return true; }
    bool HasLineColour() const override { return true; }
    bool HasFillColour() const override { return true; }
};

class CDrawPolyline final : public CDrawPoly {
public:
    CDrawPolyline() = default;
    bool IsClosed() const override { return false; }
    const char* GetKindCode() const override { return "POLYLINE"; }
    const char* GetKindName() const override { return "Polyline"; }
    bool HasStyle() const override { return false; }
    bool HasLineColour() const override { return true; }
    bool HasFillColour() const override { return false; }
};

// Scan-fills a polygon into a face picture (face pixels, y up): the pixels
// whose centres lie inside (even-odd rule) plus the pixels of every edge.
// Convex outlines use the picture canvas's per-row spans.
void FillFacePolygon(CRaster& face, COLORREF colour, const std::vector<CDrawPoint>& points);
