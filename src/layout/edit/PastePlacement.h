#pragma once
// Where pasted objects land on another face: at the same place relative to
// the face they were copied from (its left and top edges scaled to this
// face), and always inside the face, so that a paste is never lost off it.

#include "layout/edit/LayoutEdit.h"

namespace PastePlacement {

// The word after the objects of a clipboard block that opens the size of the
// face they were copied from (face pixels, width then height).
constexpr std::uint32_t kSourceSizeTag = 0x5A495346u;

// Moves the group so that its left edge and top edge keep their fractions of
// the source face's width and height (nothing when the size is unknown).
void KeepRelativePlace(CObjectVector& pasted, int sourceWidth, int sourceHeight, int faceWidth, int faceHeight);
// Moves the last `count` objects of `objects` together into the face (a group
// larger than the face keeps its left and top edges on the face's).
void ClampInside(CDrawObjectList& objects, std::size_t count, int faceWidth, int faceHeight);

} // namespace PastePlacement
