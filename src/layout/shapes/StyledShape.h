#pragma once
// Shapes whose look is not plain (a line wider than one pixel, a dash
// style, rounded corners, see-through): drawn smooth through cairo into a
// content bitmap of the part of the face they cover, which the face picture,
// the screen and the print artwork all take as it is, so the three show the
// same pixels. Plain shapes keep their own one-pixel drawing.
//
// Geometry in face pixels as the plain drawing has it: a rectangle covers
// its corner pixels with its border along the inside, an ellipse is centred
// on the integer half of its box with its radii, lines and polygons run
// through the centres of their points' pixels.

#include "layout/face/ContentBitmap.h"

class CDrawObject;
class CLayoutPainter;
class CRaster;
typedef struct _cairo cairo_t;

// The shape's pixels on a face of the given size: the bitmap covers face
// columns left .. left + width - 1 and rows top, top - 1, .. (y up) from its
// first row down. False when nothing of it lies on the face.
bool DrawStyledShape(const CDrawObject& shape, int faceWidth, int faceHeight, CContentBitmap& bitmap, int& left,
                     int& top);
void RenderStyledShape(const CDrawObject& shape, CRaster& face);
void PaintStyledShape(const CDrawObject& shape, CLayoutPainter& painter);
// Lays the shape down through `cr` as paths, faded by its opacity, with
// (0, 0) the top-left corner of face pixel (0, top) and one unit a face
// pixel: the print artwork keeps it vector this way.
void TraceStyledShape(cairo_t* cr, const CDrawObject& shape, int top);
