#pragma once
// Margins: a solid band along one edge of a face or a triangle in one of
// its corners, made in one step by the margin tool.
//
// Types: 0 top band, 1 bottom band, 2 left band, 3 right band (rectangles);
// 4 top-left, 5 top-right, 6 bottom-left, 7 bottom-right corner (triangles).
// The horizontal extent is h = faceWidth * hPercent / 100 and the vertical
// extent v = faceHeight * vPercent / 100 (integer divisions).

#include "image/Color.h"
#include "layout/objects/DrawObject.h"

#include <memory>
#include <string_view>

constexpr int kMarginTypeCount = 8;

// The types' names as the margin tool shows them ("Top Left").
extern const char* const kMarginTypeNames[kMarginTypeCount];

// The type a name gives, in any case, with a space or a dash between its
// words ("top-left"); -1 for no type.
int FindMarginType(std::string_view name);

// The margin object, filled (style 1) in the margin colour with the given
// line colour; null for a type outside 0 .. 7 or a face without pixels.
std::unique_ptr<CDrawObject> CreateMarginObject(int type, int faceWidth, int faceHeight, int hPercent,
                                                int vPercent, COLORREF marginColour, COLORREF lineColour);
