#pragma once
// The plain shapes the drawing tools make: a line, a rectangle or ellipse
// from two corner points, a polygon or polyline from its points, all in face
// pixels (x right, y up from the bottom-left pixel).

#include "image/Color.h"
#include "layout/objects/DrawObject.h"
#include "layout/objects/RecordStream.h"

#include <cstdint>
#include <memory>
#include <vector>

enum class EShapeKind { Line, Rect, Ellipse, Polygon, Polyline };

// A line takes the first and last point as its ends and the line colour for
// both colours; rectangles and ellipses take the first and last point as
// corners; polygons and polylines keep every point. `style` (outlined,
// filled, both) is ignored by lines and polylines. Null when there are no
// points.
std::unique_ptr<CDrawObject> CreateShapeObject(EShapeKind kind, const std::vector<CDrawPoint>& points,
                                               std::uint32_t style, COLORREF lineColour, COLORREF fillColour);
