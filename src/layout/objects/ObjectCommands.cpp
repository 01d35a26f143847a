#include "layout/objects/ObjectCommands.h"

#include "layout/shapes/DrawBitmapObject.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/text/DrawText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace ObjectCommands {

namespace {

const char* const kNoSuchObject = "There is no such object on this face.";

CDrawObject* Find(CDrawObjectList& objects, std::size_t index) { return objects.GetObject(index); }

// Takes `o` out of the selection; another selected object becomes dominant.
void Deselect(CDrawObjectList& objects, CDrawObject& o)
{
    if (!o.IsSelected())
        return;
    const bool wasDominant = o.GetSelection() == kSelectDominant;
    o.SetSelection(kSelectNone);
    if (wasDominant)
        for (std::size_t i = objects.GetObjectCount(); i-- > 0;)
            if (objects.GetObject(i)->IsSelected()) {
                objects.GetObject(i)->SetSelection(kSelectDominant);
                break;
            }
    objects.MarkSelectionStale();
}

// True when some of the object's box lies on the face.
bool Overlaps(const CDrawObject& o, int faceWidth, int faceHeight)
{
    return o.GetMinX() < faceWidth && o.GetMaxX() > 0 && o.GetMinY() < faceHeight && o.GetMaxY() > 0;
}

} // namespace

CDrawObject* Add(CDrawObjectList& objects, std::unique_ptr<CDrawObject> object, bool select)
{
    CDrawObject* added = object.get();
    if (select) {
        for (std::size_t i = 0; i < objects.GetObjectCount(); ++i)
            objects.GetObject(i)->SetSelection(kSelectNone);
        added->SetSelection(kSelectDominant);
    }
    objects.Add(std::move(object));
    objects.UpdateOrderKeys();
    objects.MarkSelectionStale();
    return added;
}

std::string Remove(CDrawObjectList& objects, std::size_t index)
{
    if (!Find(objects, index))
        return kNoSuchObject;
    objects.Remove(index);
    objects.UpdateOrderKeys();
    objects.MarkSelectionStale();
    return {};
}

void RemoveSelected(CDrawObjectList& objects)
{
    for (std::size_t i = objects.GetObjectCount(); i-- > 0;)
        if (objects.GetObject(i)->IsSelected())
            objects.Remove(i);
    objects.UpdateOrderKeys();
    objects.MarkSelectionStale();
}

std::string Rename(CDrawObjectList& objects, std::size_t index, const std::string& name)
{
    CDrawObject* o = Find(objects, index);
    if (!o)
        return kNoSuchObject;
    std::size_t first = 0, last = name.size();
    while (first < last && std::isspace(static_cast<unsigned char>(name[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(name[last - 1])))
        --last;
    const std::string trimmed = name.substr(first, last - first);
    if (trimmed.size() > kMaxNameLength)
        return "A name can have at most " + std::to_string(kMaxNameLength) + " characters.";
    if (trimmed.find_first_of("\r\n") != std::string::npos)
        return "A name is one line.";
    if (trimmed == o->GetName())
        return "The object already has this name.";
    o->SetName(trimmed);
    return {};
}

std::string SetHidden(CDrawObjectList& objects, std::size_t index, bool hidden)
{
    CDrawObject* o = Find(objects, index);
    if (!o)
        return kNoSuchObject;
    if (o->IsHidden() == hidden)
        return hidden ? "The object is already hidden." : "The object is already shown.";
    o->SetHidden(hidden);
    if (hidden)
        Deselect(objects, *o);
    return {};
}

std::string SetLocked(CDrawObjectList& objects, std::size_t index, bool locked)
{
    CDrawObject* o = Find(objects, index);
    if (!o)
        return kNoSuchObject;
    if (o->IsLocked() == locked)
        return locked ? "The object is already locked." : "The object is already unlocked.";
    o->SetLocked(locked);
    if (locked)
        Deselect(objects, *o);
    return {};
}

std::string MoveTo(CDrawObjectList& objects, std::size_t from, std::size_t to)
{
    if (!Find(objects, from) || !Find(objects, to))
        return kNoSuchObject;
    if (from == to)
        return "The object is already there.";
    objects.Move(from, to);
    return {};
}

std::string SetBox(CDrawObjectList& objects, std::size_t index, const SBoxEdit& box)
{
    CDrawObject* o = Find(objects, index);
    if (!o)
        return kNoSuchObject;
    if (box.width < 0 || box.height < 0 || box.width > kDrawMaxSize || box.height > kDrawMaxSize ||
        std::abs(static_cast<long long>(box.left)) > kDrawMaxSize ||
        std::abs(static_cast<long long>(box.top)) > kDrawMaxSize)
        return "The position and size must be between -999999 and 999999 pixels.";
    const bool changeWidth = box.width != o->GetWidth();
    const bool changeHeight = box.height != o->GetHeight();
    if ((changeWidth || changeHeight) && !o->CanResizeTo(changeWidth, box.width, changeHeight, box.height))
        return std::string(o->GetKindName()) + " can not be resized to this size.";
    if (!changeWidth && !changeHeight && box.left == o->GetMinX() && box.top == o->GetMaxY())
        return "The object is already there.";
    if (changeWidth || changeHeight)
        o->SetBounds(box.left, box.top, box.left + box.width, box.top - box.height);
    else
        o->Offset(box.left - o->GetMinX(), box.top - o->GetMaxY());
    return {};
}

std::string OffsetSelected(CDrawObjectList& objects, int dx, int dy)
{
    if (objects.GetSelectedCount() == 0)
        return "No object is selected.";
    if (dx == 0 && dy == 0)
        return "The objects are already there.";
    if (std::abs(dx) > kDrawMaxSize || std::abs(dy) > kDrawMaxSize)
        return "The position and size must be between -999999 and 999999 pixels.";
    for (std::size_t i = 0; i < objects.GetObjectCount(); ++i)
        if (objects.GetObject(i)->IsSelected())
            objects.GetObject(i)->Offset(dx, dy);
    return {};
}

std::string SetAngle(CDrawObjectList& objects, std::size_t index, int degrees, int faceWidth, int faceHeight)
{
    auto* o = dynamic_cast<CDrawBitmapObject*>(Find(objects, index));
    if (!Find(objects, index))
        return kNoSuchObject;
    if (!o)
        return "Only texts, barcodes and pictures have an angle; shapes turn with Rotate Left and Rotate Right.";
    if (degrees < 0 || degrees > 270 || degrees % 90 != 0)
        return "The angle must be 0, 90, 180 or 270 degrees.";
    const int turns = ((degrees * 10 - o->GetAngle()) / 900 + 4) % 4;
    if (turns == 0)
        return "The object already has this angle.";
    // The turn is about the object's centre. One that lay on the face stays
    // on it; one that showed on it (a text wider than a spine) is not turned
    // out of sight; one put across an edge turns where it is.
    const bool onFace = IsOnFace(*o, faceWidth, faceHeight);
    const bool showed = Overlaps(*o, faceWidth, faceHeight);
    for (int i = 0; i < turns; ++i)
        RotateDrawObject(*o, true);
    if (onFace || (showed && !Overlaps(*o, faceWidth, faceHeight)))
        MoveOntoFace(*o, faceWidth, faceHeight);
    return {};
}

std::string Distribute(CDrawObjectList& objects, bool horizontal)
{
    std::vector<CDrawObject*> chosen;
    for (std::size_t i = 0; i < objects.GetObjectCount(); ++i)
        if (objects.GetObject(i)->IsSelected())
            chosen.push_back(objects.GetObject(i));
    if (chosen.size() < 3)
        return "Select three or more objects to distribute.";
    // Along the axis: the leading edge (left, or top with y up) and the size.
    const auto lead = [horizontal](const CDrawObject* o) { return horizontal ? o->GetMinX() : -o->GetMaxY(); };
    const auto size = [horizontal](const CDrawObject* o) { return horizontal ? o->GetWidth() : o->GetHeight(); };
    std::stable_sort(chosen.begin(), chosen.end(),
                     [&lead](const CDrawObject* a, const CDrawObject* b) { return lead(a) < lead(b); });
    const long long start = lead(chosen.front());
    const long long end = lead(chosen.back()) + size(chosen.back());
    long long sizes = 0;
    for (const CDrawObject* o : chosen)
        sizes += size(o);
    const long long gaps = end - start - sizes;  // shared by the n - 1 gaps
    const long long n = static_cast<long long>(chosen.size());
    long long before = 0;
    bool moved = false;
    for (long long i = 0; i < n; ++i) {
        CDrawObject* o = chosen[static_cast<std::size_t>(i)];
        // Rounded down: (gaps * i) / (n - 1) keeps the last object in place.
        const long long at = start + before + gaps * i / (n - 1);
        const int d = static_cast<int>(at - lead(o));
        if (d != 0) {
            moved = true;
            if (horizontal)
                o->Offset(d, 0);
            else
                o->Offset(0, -d);
        }
        before += size(o);
    }
    return moved ? std::string() : "The objects are already evenly spread.";
}

void KeepOnFace(CDrawObject& object, int faceWidth, int faceHeight)
{
    if (auto* picture = dynamic_cast<CDrawPicture*>(&object))
        picture->ScaleToFit(faceWidth, faceHeight);
    if (auto* text = dynamic_cast<CDrawText*>(&object)) {
        const int along = text->IsVertical() ? faceHeight : faceWidth;
        // Wrapped between words only: a word wider than the face stays whole.
        if ((text->IsVertical() ? text->GetHeight() : text->GetWidth()) > along && along > 2 &&
            !text->LayoutBlock(-1, along - 2).BrokeAWord())
            text->WrapAt(along);
    }
    MoveOntoFace(object, faceWidth, faceHeight);
}

void MoveOntoFace(CDrawObject& object, int faceWidth, int faceHeight)
{
    // Right and bottom edges first, then left and top, which win for an
    // object larger than the face.
    int dx = std::min(0, faceWidth - object.GetMaxX());
    dx = std::max(dx, -object.GetMinX());
    int dy = std::max(0, -object.GetMinY());
    dy = std::min(dy, faceHeight - object.GetMaxY());
    if (dx != 0 || dy != 0)
        object.Offset(dx, dy);
}

bool IsOnFace(const CDrawObject& object, int faceWidth, int faceHeight)
{
    return object.GetMinX() >= 0 && object.GetMinY() >= 0 && object.GetMaxX() <= faceWidth &&
           object.GetMaxY() <= faceHeight;
}

} // namespace ObjectCommands
