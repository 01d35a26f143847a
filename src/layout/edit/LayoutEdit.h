#pragma once
// The editing rules of the layout editor over one face's objects (back to
// front): selection with the dominant object, rubber band, the resize rule,
// the Shift constraint, creating objects from points, and the editing
// commands (delete, nudge, order, centre, align, same size, rotate, paste
// placement). The canvas and the view call these; they hold no widget state.

#include "layout/objects/DrawObject.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/edit/FaceMapping.h"

#include <memory>
#include <string>
#include <vector>

// Clones of objects, in list order (undo snapshots, paste, duplicate).
using CObjectVector = std::vector<std::unique_ptr<CDrawObject>>;

struct CFaceBox {
    int left = 0, top = 0, right = 0, bottom = 0;  // face pixels, top >= bottom when normalised
    bool operator==(const CFaceBox&) const = default;
};

// Tool modes and sub-tools of the canvas.
enum EToolMode { kModeSelect = 0, kModeSegment = 1, kModeBox = 2, kModeEllipse = 3, kModePoints = 4 };

namespace LayoutEdit {

int CountSelected(const CDrawObjectList& objects);
CDrawObject* Dominant(const CDrawObjectList& objects);
// Order keys become (index + 1) * 10.
void Renumber(CDrawObjectList& objects);
// More than one dominant: all plain selected; some selected and none
// dominant: the selected one with the highest index becomes dominant.
void FixDominant(CDrawObjectList& objects);
void SelectOnly(CDrawObjectList& objects, const CDrawObject* object);
void ClearSelection(CDrawObjectList& objects);

// Undo description from a template: "%s" names the selection ("Objects" for
// none or several, else the kind name), "%m" the dominant object.
std::string DescribeUndo(const CDrawObjectList& objects, const std::string& templ);

// Shift constraint of a point against the anchor; `segment` for the line and
// point-entry tools (which may snap to horizontal or vertical).
CFacePoint ShiftConstrain(CFacePoint anchor, CFacePoint point, bool segment);

// Rubber band from a to b. Returns the undo description to record first
// (empty: none) and, through `hitCount`, how many objects it hits; `apply`
// then changes the states.
std::string BandDescription(const CDrawObjectList& objects, CFacePoint a, CFacePoint b, bool shift, int* hitCount);
void ApplyBand(CDrawObjectList& objects, CFacePoint a, CFacePoint b, bool shift);

// The object a click at `p` picks: the front-most one under it that may be
// picked (shown and not locked). With `cycle` (Alt+click) the next such one
// beneath the front-most selected one under it, wrapping to the front.
CDrawObject* PickAt(const CDrawObjectList& objects, CFacePoint p, bool cycle);
// A click's selection: plain, only `picked` (none: nothing); with Shift,
// `picked` is added or taken away.
void ApplyClick(CDrawObjectList& objects, CDrawObject* picked, bool shift);

// The box after dragging handle 1..8 by (dx, dy); the object's box is first
// normalised. The result may be flipped (left > right) when the kind allows
// a zero minimum.
CFaceBox ResizeBox(const CDrawObject& object, int handle, int dx, int dy);
CFaceBox NormalisedBox(const CDrawObject& object);

// Handle number as the object allows it to act (0 = not registered).
int AdaptHandle(const CDrawObject& object, int handle);

// Creates the object of a sub-tool (2..12) from points; `description` gets
// the undo text. Null when the points do not make one.
std::unique_ptr<CDrawObject> CreateFromPoints(const std::vector<CFacePoint>& points, int subTool,
                                              COLORREF lineColour, COLORREF fillColour, std::string& description);
std::string DrawDescription(int subTool);

// Editing commands on the selected objects.
void Nudge(CDrawObjectList& objects, int dx, int dy);
void Reorder(CDrawObjectList& objects, int delta);
void AlignEdge(CDrawObject& object, int edge, int value);
void CenterInImage(CDrawObjectList& objects, bool horizontal, int faceWidth, int faceHeight);
// Where Align puts the selection: an edge or centre of each selected object
// on the same one of the dominant object; ToLeftOf, ToRightOf, Above and
// Below put it beside the dominant, a pixel apart.
enum class EAlign { Left, HCenter, Right, Top, VCenter, Bottom, ToLeftOf, ToRightOf, Above, Below };
// Nothing when no object is dominant.
void Align(CDrawObjectList& objects, EAlign align);
// Empty string on success (objects changed); otherwise the refusal message
// and nothing changed.
std::string SameSizeRefusal(const CDrawObjectList& objects, bool width, bool height);
void SameSize(CDrawObjectList& objects, bool width, bool height);
// Turns each selected object a quarter turn about its centre; one that lay on
// the face of faceWidth x faceHeight pixels stays on it.
void Rotate(CDrawObjectList& objects, bool left, int faceWidth, int faceHeight);

// Places pasted or duplicated objects and appends them (front). `offset`
// moves them one step right and down (and into the visible part when the
// face is scrolled).
void PlacePasted(CDrawObjectList& objects, CObjectVector pasted, const CFaceMapping& mapping, bool offset);

// Clones (text mode, with selection) of every object.
CObjectVector CloneAll(const CDrawObjectList& objects);
// Replaces the list's objects with clones of `objects`, then restores the
// one-dominant rule.
void RestoreAll(CDrawObjectList& list, const CObjectVector& objects);

} // namespace LayoutEdit
