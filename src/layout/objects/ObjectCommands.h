#pragma once
// Document commands on the objects of one face: what the objects panel and
// the numeric fields of the desktop program run, and what the command-line
// tool can run the same way. Each checks its input and answers an empty
// string when the objects changed, or the message saying why nothing did.
// Recording the undo step, marking the rendering stale and repainting are
// the caller's.

#include "layout/objects/DrawObjectList.h"

#include <cstddef>
#include <memory>
#include <string>

namespace ObjectCommands {

// Longest name an object keeps (bytes).
constexpr std::size_t kMaxNameLength = 100;

// Puts a new object in front of the face's others. With `select` it becomes
// the selection (dominant) and every other object leaves it.
CDrawObject* Add(CDrawObjectList& objects, std::unique_ptr<CDrawObject> object, bool select);
// Removes object `index`.
std::string Remove(CDrawObjectList& objects, std::size_t index);
// Removes every selected object.
void RemoveSelected(CDrawObjectList& objects);

// Names object `index`; leading and trailing blanks are dropped, and an
// empty name shows the kind name again.
std::string Rename(CDrawObjectList& objects, std::size_t index, const std::string& name);
// Hides or shows object `index`; a hidden or locked object leaves the
// selection, so no command reaches it unseen.
std::string SetHidden(CDrawObjectList& objects, std::size_t index, bool hidden);
std::string SetLocked(CDrawObjectList& objects, std::size_t index, bool locked);
// Moves object `from` to position `to` (indices back to front).
std::string MoveTo(CDrawObjectList& objects, std::size_t from, std::size_t to);

// Position and size of an object in face pixels: the left and top edges of
// its box (y up, so top is the larger y), its width and height.
struct SBoxEdit {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
// Gives object `index` the box, keeping its orientation; refused with the
// kind's own size rule ("Text can not be resized to this size.").
std::string SetBox(CDrawObjectList& objects, std::size_t index, const SBoxEdit& box);

// Moves every selected object by (dx, dy) face pixels (y up).
std::string OffsetSelected(CDrawObjectList& objects, int dx, int dy);
// Turns a text, barcode or picture to `degrees` (0, 90, 180 or 270,
// anticlockwise) about the centre of its box. An object that lay on the face
// of faceWidth x faceHeight pixels is moved back onto it when the turn takes
// it over an edge, as a paste is.
std::string SetAngle(CDrawObjectList& objects, std::size_t index, int degrees, int faceWidth, int faceHeight);

// Spreads three or more selected objects so that the gaps between them are
// equal, left to right (horizontal) or top to bottom; the outermost two stay.
std::string Distribute(CDrawObjectList& objects, bool horizontal);

// Brings a new object onto the face: a picture larger than the face is
// scaled down to fit it and a text longer than the face is wide (or tall,
// turned) wraps at the face's size between its words first, then the object moves inside;
// one still larger than the face keeps its left and top edges on the face's.
void KeepOnFace(CDrawObject& object, int faceWidth, int faceHeight);
// Moves the object inside the face, keeping its size; one larger than the
// face keeps its left and top edges on the face's.
void MoveOntoFace(CDrawObject& object, int faceWidth, int faceHeight);
// Whether the object's box lies wholly on the face.
bool IsOnFace(const CDrawObject& object, int faceWidth, int faceHeight);

} // namespace ObjectCommands
