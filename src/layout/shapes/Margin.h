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

#include <array>
#include <memory>
#include <string_view>
#include <utility>

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

// The margin tool sets the extents on four sliders along the face's edges,
// in this order: top, bottom (horizontal, positions from the left), left,
// right (vertical, positions from the top), 1 .. 99 each; a slider's thumb
// sits where the margin's inner edge lies.
enum EMarginSlider { kMarginSliderTop, kMarginSliderBottom, kMarginSliderLeft, kMarginSliderRight, kMarginSliderCount };
using MarginSliderPositions = std::array<int, kMarginSliderCount>;

// The sliders a type uses: the one that sets its horizontal extent (h) and
// the one that sets its vertical extent (v); -1 for an extent it has not.
struct SMarginSliderUse {
    int h, v;
};
SMarginSliderUse GetMarginSliders(int type);

// The (hPercent, vPercent) the positions give a type: the position itself,
// or 100 - position where the slider counts from the far edge (a bottom or
// right margin); 0 for an extent the type has not, or a type outside 0 .. 7.
std::pair<int, int> GetMarginPercents(int type, const MarginSliderPositions& positions);
