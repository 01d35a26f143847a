#include "layout/shapes/ShapeFactory.h"

#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"

std::unique_ptr<CDrawObject> CreateShapeObject(EShapeKind kind, const std::vector<CDrawPoint>& points,
                                               std::uint32_t style, COLORREF lineColour, COLORREF fillColour)
{
    if (points.empty())
        return nullptr;
    const CDrawPoint first = points.front(), last = points.back();
    std::unique_ptr<CDrawObject> object;
    switch (kind) {
    case EShapeKind::Line:
        object = std::make_unique<CDrawLine>();
        object->SetLineColour(lineColour);
        object->SetFillColour(lineColour);
        object->SetCoords(first.x, first.y, last.x, last.y);
        return object;
    case EShapeKind::Rect:
    case EShapeKind::Ellipse:
        if (kind == EShapeKind::Ellipse)
            object = std::make_unique<CDrawEllipse>();
        else
            object = std::make_unique<CDrawRect>();
        object->SetStyle(style);
        object->SetLineColour(lineColour);
        object->SetFillColour(fillColour);
        object->SetCoords(first.x, first.y, last.x, last.y);
        return object;
    case EShapeKind::Polygon:
    case EShapeKind::Polyline: {
        std::unique_ptr<CDrawPoly> poly;
        if (kind == EShapeKind::Polyline)
            poly = std::make_unique<CDrawPolyline>();
        else
            poly = std::make_unique<CDrawPolygon>();
        poly->SetPoints(points);
        if (kind == EShapeKind::Polygon)
            poly->SetStyle(style);
        poly->SetLineColour(lineColour);
        poly->SetFillColour(fillColour);
        return poly;
    }
    }
    return nullptr;
}
