#pragma once
// Snapping on the face canvas: while the mouse moves, resizes or draws an
// object, the edges and centres it moves come to rest on the face's edges
// and centre, the guides and the edges and centres of the other objects
// when they pass within a few screen pixels of them. Face pixels throughout.

#include "layout/edit/FaceMapping.h"

#include <vector>

class CDrawObject;
class CDrawObjectList;

// Where things may snap to: x values (vertical lines) and y values
// (horizontal lines) in face pixels.
struct CSnapTargets {
    std::vector<int> xs, ys;
};

// Guides of one face: a vertical guide at face x, or a horizontal one at face y.
struct CGuide {
    bool vertical = true;
    int position = 0;
    bool operator==(const CGuide&) const = default;
};

// The face's edges and centre, the guides, and the edges and centres of the
// objects that are shown and not selected (the selection is what moves).
CSnapTargets CollectSnapTargets(const CDrawObjectList& objects, int faceWidth, int faceHeight,
                                const std::vector<CGuide>& guides);

// The shift that brings the nearest of `edges` onto a target no further
// than `tolerance` away (0 when none is that near).
int SnapShift(const std::vector<int>& targets, const std::vector<int>& edges, int tolerance);

// The pointer position a drag comes to rest at: moving `object` (handle 0)
// from `anchor` to `point` snaps its left, centre or right and its bottom,
// centre or top; a resize handle snaps the edges it moves; with no object
// (drawing a new one) the point itself snaps.
CFacePoint SnapDrag(const CSnapTargets& targets, const CDrawObject* object, int handle, CFacePoint anchor,
                    CFacePoint point, int tolerance);
