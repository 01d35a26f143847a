#include "layout/edit/LayoutEdit.h"

#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/shapes/ShapeFactory.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace LayoutEdit {

namespace {
// The list's objects, back to front, as plain pointers for range loops.
std::vector<CDrawObject*> Items(const CDrawObjectList& list)
{
    std::vector<CDrawObject*> items;
    items.reserve(list.GetObjectCount());
    for (std::size_t i = 0; i < list.GetObjectCount(); ++i)
        items.push_back(list.GetObject(i));
    return items;
}
} // namespace

int CountSelected(const CDrawObjectList& objects)
{
    int n = 0;
    for (CDrawObject* o : Items(objects))
        n += o->IsSelected() ? 1 : 0;
    return n;
}

CDrawObject* Dominant(const CDrawObjectList& objects)
{
    for (CDrawObject* o : Items(objects))
        if (o->GetSelection() == kSelectDominant)
            return o;
    return nullptr;
}

void Renumber(CDrawObjectList& objects)
{
    objects.UpdateOrderKeys();
}

void FixDominant(CDrawObjectList& objects)
{
    int dominant = 0;
    for (CDrawObject* o : Items(objects))
        dominant += o->GetSelection() == kSelectDominant ? 1 : 0;
    if (dominant > 1)
        for (CDrawObject* o : Items(objects))
            if (o->GetSelection() == kSelectDominant)
                o->SetSelection(kSelectOn);
    if (dominant != 1) {
        for (std::size_t i = objects.GetObjectCount(); i-- > 0;)
            if (objects.GetObject(i)->IsSelected()) {
                objects.GetObject(i)->SetSelection(kSelectDominant);
                break;
            }
    }
    objects.MarkSelectionStale();
}

void SelectOnly(CDrawObjectList& objects, const CDrawObject* object)
{
    for (CDrawObject* o : Items(objects))
        o->SetSelection(o == object ? kSelectDominant : kSelectNone);
    objects.MarkSelectionStale();
}

void ClearSelection(CDrawObjectList& objects)
{
    for (CDrawObject* o : Items(objects))
        o->SetSelection(kSelectNone);
    objects.MarkSelectionStale();
}

std::string DescribeUndo(const CDrawObjectList& objects, const std::string& templ)
{
    std::string t = templ;
    std::string argument;
    auto pos = t.find("%s");
    if (pos != std::string::npos) {
        const CDrawObject* only = nullptr;
        int count = 0;
        for (CDrawObject* o : Items(objects))
            if (o->IsSelected()) {
                ++count;
                only = o;
            }
        argument = count == 1 ? only->GetKindName() : "Objects";
    } else if ((pos = t.find("%m")) != std::string::npos) {
        const CDrawObject* d = Dominant(objects);
        argument = d ? d->GetKindName() : "Objects";
    } else {
        return t;
    }
    return t.replace(pos, 2, argument);
}

CFacePoint ShiftConstrain(CFacePoint anchor, CFacePoint point, bool segment)
{
    const int dx = point.x - anchor.x;
    const int dy = point.y - anchor.y;
    int sx = (dx > 0) - (dx < 0);
    int sy = (dy > 0) - (dy < 0);
    const int ax = std::abs(dx), ay = std::abs(dy);
    if (segment) {
        if (2 * ax < ay)
            sx = 0;
        else if (2 * ay < ax)
            sy = 0;
    }
    const int d = std::max(ax, ay);
    return {anchor.x + d * sx, anchor.y + d * sy};
}

namespace {

// Band rectangle as left, top, right, bottom for the hit test.
void BandRect(CFacePoint a, CFacePoint b, int& l, int& t, int& r, int& bt)
{
    l = std::min(a.x, b.x);
    r = std::max(a.x, b.x);
    bt = std::min(a.y, b.y);
    t = std::max(a.y, b.y);
}

bool BandHits(const CDrawObject& o, CFacePoint a, CFacePoint b)
{
    if (!o.IsPickable())
        return false;
    if (a == b)
        return o.HitTest(a.x, a.y);
    int l, t, r, bt;
    BandRect(a, b, l, t, r, bt);
    return o.HitTestBand(l, t, r, bt);
}

} // namespace

std::string BandDescription(const CDrawObjectList& objects, CFacePoint a, CFacePoint b, bool shift, int* hitCount)
{
    int hits = 0;
    const CDrawObject* hit = nullptr;
    for (CDrawObject* o : Items(objects))
        if (BandHits(*o, a, b)) {
            ++hits;
            hit = o;
        }
    if (hitCount)
        *hitCount = hits;
    const bool anySelected = CountSelected(objects) > 0;
    if (hits > 0) {
        if (shift && anySelected)
            return "Modify Selection";
        return std::string("Select ") + (hits == 1 ? hit->GetKindName() : "Objects");
    }
    if (!shift && anySelected)
        return "Clear Selection";
    return {};
}

void ApplyBand(CDrawObjectList& objects, CFacePoint a, CFacePoint b, bool shift)
{
    for (CDrawObject* o : Items(objects)) {
        const bool hit = BandHits(*o, a, b);
        if (!shift) {
            if (!hit)
                o->SetSelection(kSelectNone);
            else if (!o->IsSelected())
                o->SetSelection(kSelectOn);
        } else if (hit) {
            o->SetSelection(o->IsSelected() ? kSelectNone : kSelectOn);
        }
    }
    FixDominant(objects);
}

CDrawObject* PickAt(const CDrawObjectList& objects, CFacePoint p, bool cycle)
{
    std::vector<CDrawObject*> under;  // front to back
    for (std::size_t i = objects.GetObjectCount(); i-- > 0;) {
        CDrawObject* o = objects.GetObject(i);
        if (o->IsPickable() && o->HitTest(p.x, p.y))
            under.push_back(o);
    }
    if (under.empty())
        return nullptr;
    if (!cycle)
        return under.front();
    for (std::size_t i = 0; i < under.size(); ++i)
        if (under[i]->IsSelected())
            return under[(i + 1) % under.size()];
    return under.front();
}

void ApplyClick(CDrawObjectList& objects, CDrawObject* picked, bool shift)
{
    if (!shift) {
        SelectOnly(objects, picked);
        return;
    }
    if (picked)
        picked->SetSelection(picked->IsSelected() ? kSelectNone : kSelectOn);
    FixDominant(objects);
    objects.MarkSelectionStale();
}

CFaceBox NormalisedBox(const CDrawObject& o)
{
    return {o.GetMinX(), o.GetMaxY(), o.GetMaxX(), o.GetMinY()};
}

CFaceBox ResizeBox(const CDrawObject& o, int h, int dx, int dy)
{
    CFaceBox b = NormalisedBox(o);
    const bool moveLeft = h == 1 || h == 4 || h == 6;
    const bool moveRight = h == 3 || h == 5 || h == 8;
    const bool moveTop = h == 1 || h == 2 || h == 3;
    const bool moveBottom = h == 6 || h == 7 || h == 8;
    const int minW = o.GetMinWidth(), maxW = o.GetMaxWidth();
    const int minH = o.GetMinHeight(), maxH = o.GetMaxHeight();
    if (moveLeft) {
        b.left += dx;
        if (minW > 0 && b.left > b.right - minW)
            b.left = b.right - minW;
        if (b.right - b.left > maxW)
            b.left = b.right - maxW;
    }
    if (moveRight) {
        b.right += dx;
        if (minW > 0 && b.left > b.right - minW)
            b.right = b.left + minW;
        if (b.right - b.left > maxW)
            b.right = b.left + maxW;
    }
    if (moveBottom) {
        b.bottom += dy;
        if (minH > 0 && b.bottom > b.top - minH)
            b.bottom = b.top - minH;
        if (b.top - b.bottom > maxH)
            b.bottom = b.top - maxH;
    }
    if (moveTop) {
        b.top += dy;
        if (minH > 0 && b.bottom > b.top - minH)
            b.top = b.bottom + minH;
        if (b.top - b.bottom > maxH)
            b.top = b.bottom + maxH;
    }
    const int w = o.GetWidthForHeight(b.top - b.bottom);
    const int hh = o.GetHeightForWidth(b.right - b.left);
    if (w > 0) {
        if (moveLeft)
            b.left = b.right - w;
        else if (moveRight)
            b.right = b.left + w;
        else {
            b.left = (b.left + b.right) / 2 - w / 2;
            b.right = b.left + w;
        }
    }
    if (hh > 0) {
        if (moveBottom)
            b.bottom = b.top - hh;
        else if (moveTop)
            b.top = b.bottom + hh;
        else {
            b.bottom = (b.bottom + b.top) / 2 - hh / 2;
            b.top = b.bottom + hh;
        }
    }
    return b;
}

int AdaptHandle(const CDrawObject& o, int h)
{
    const bool cw = o.CanResizeWidth(), ch = o.CanResizeHeight();
    if (cw && ch)
        return h;
    if (cw) {
        if (h == 1 || h == 6 || h == 4)
            return 4;
        if (h == 3 || h == 8 || h == 5)
            return 5;
        return 0;
    }
    if (ch) {
        if (h == 1 || h == 3 || h == 2)
            return 2;
        if (h == 6 || h == 8 || h == 7)
            return 7;
        return 0;
    }
    return 0;
}

std::string DrawDescription(int subTool)
{
    switch (subTool) {
    case 2: return "Draw Line";
    case 3: return "Draw Ellipse";
    case 4: return "Draw Filled Ellipse";
    case 5: return "Draw Outlined Filled Ellipse";
    case 6: return "Draw Rectangle";
    case 7: return "Draw Filled Rectangle";
    case 8: return "Draw Outlined Filled Rectangle";
    case 9: return "Draw Polygon";
    case 10: return "Draw Filled Polygon";
    case 11: return "Draw Outlined Filled Polygon";
    case 12: return "Draw Polyline";
    case 13: return "Draw Text";
    case 14: return "Draw Picture";
    case 15: return "Draw Barcode";
    default: return {};
    }
}

std::unique_ptr<CDrawObject> CreateFromPoints(const std::vector<CFacePoint>& points, int subTool,
                                              COLORREF lineColour, COLORREF fillColour, std::string& description)
{
    description = DrawDescription(subTool);
    if (points.empty() || subTool < 2 || subTool > 12)
        return nullptr;
    // Sub-tools: 2 line; 3..5 ellipse, 6..8 rectangle, 9..11 polygon, each
    // outlined, filled, both; 12 polyline.
    EShapeKind kind = EShapeKind::Polyline;
    std::uint32_t style = kStyleOutlined;
    if (subTool == 2) {
        kind = EShapeKind::Line;
    } else if (subTool <= 5) {
        kind = EShapeKind::Ellipse;
        style = static_cast<std::uint32_t>(subTool - 3);
    } else if (subTool <= 8) {
        kind = EShapeKind::Rect;
        style = static_cast<std::uint32_t>(subTool - 6);
    } else if (subTool <= 11) {
        kind = EShapeKind::Polygon;
        style = static_cast<std::uint32_t>(subTool - 9);
    }
    std::vector<CDrawPoint> list;
    list.reserve(points.size());
    for (const CFacePoint& p : points)
        list.push_back({p.x, p.y});
    return CreateShapeObject(kind, list, style, lineColour, fillColour);
}

void Nudge(CDrawObjectList& objects, int dx, int dy)
{
    for (CDrawObject* o : Items(objects))
        if (o->IsSelected())
            o->Offset(dx, dy);
}

void Reorder(CDrawObjectList& objects, int delta)
{
    Renumber(objects);
    const std::vector<CDrawObject*> items = Items(objects);
    if (delta != 11 && delta != -11) {
        // To front / to back: every selected key jumps past all others.
        for (CDrawObject* o : items)
            if (o->IsSelected())
                o->SetOrderKey(o->GetOrderKey() + delta);
        objects.SortByOrderKey();
        return;
    }
    // Keys are (index + 1) * 10. A single selected object stepping +/-11
    // passes exactly its neighbour. For a run of k adjacent selected objects
    // to move as a block, the neighbour steps the other way past the whole
    // run instead (10 * k + 1); for k = 1 the order is the same.
    const bool forward = delta > 0;
    for (std::size_t i = 0; i < items.size();) {
        if (!items[i]->IsSelected()) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < items.size() && items[end]->IsSelected())
            ++end;
        const int run = static_cast<int>(end - i);
        if (forward && end < items.size())
            items[end]->SetOrderKey(items[end]->GetOrderKey() - (10 * run + 1));
        else if (!forward && i > 0)
            items[i - 1]->SetOrderKey(items[i - 1]->GetOrderKey() + (10 * run + 1));
        i = end;
    }
    objects.SortByOrderKey();
}

void AlignEdge(CDrawObject& o, int edge, int value)
{
    int current = 0;
    switch (edge) {
    case 0: current = o.GetMinX(); break;
    case 1: current = (o.GetX1() + o.GetX2()) / 2; break;
    case 2: current = o.GetMaxX(); break;
    case 3: current = o.GetMaxY(); break;
    case 4: current = (o.GetY1() + o.GetY2()) / 2; break;
    case 5: current = o.GetMinY(); break;
    default: return;
    }
    if (current != value) {
        if (edge <= 2)
            o.Offset(value - current, 0);
        else
            o.Offset(0, value - current);
    }
    o.InvalidateCache();
}

void CenterInImage(CDrawObjectList& objects, bool horizontal, int faceWidth, int faceHeight)
{
    for (CDrawObject* o : Items(objects))
        if (o->IsSelected())
            AlignEdge(*o, horizontal ? 1 : 4, horizontal ? faceWidth / 2 : faceHeight / 2);
}

void Align(CDrawObjectList& objects, EAlign align)
{
    const CDrawObject* d = Dominant(objects);
    if (!d)
        return;
    // The edge of the others that moves (as AlignEdge numbers it) and where to.
    struct SRule {
        int edge, value;
    };
    const int centreX = (d->GetX1() + d->GetX2()) / 2, centreY = (d->GetY1() + d->GetY2()) / 2;
    const SRule rules[] = {{0, d->GetMinX()},     {1, centreX},          {2, d->GetMaxX()},     {3, d->GetMaxY()},
                           {4, centreY},          {5, d->GetMinY()},     {2, d->GetMinX() - 1}, {0, d->GetMaxX() + 1},
                           {5, d->GetMaxY() + 1}, {3, d->GetMinY() - 1}};
    const SRule rule = rules[static_cast<int>(align)];
    for (CDrawObject* o : Items(objects))
        if (o->IsSelected() && o != d)
            AlignEdge(*o, rule.edge, rule.value);
}

std::string SameSizeRefusal(const CDrawObjectList& objects, bool width, bool height)
{
    const CDrawObject* d = Dominant(objects);
    if (!d)
        return {};
    const int w = d->GetMaxX() - d->GetMinX();
    const int h = d->GetMaxY() - d->GetMinY();
    std::set<std::string> names;
    for (CDrawObject* o : Items(objects))
        if (o->GetSelection() == kSelectOn && !o->CanResizeTo(width, w, height, h))
            names.insert(o->GetKindName());
    if (names.empty())
        return {};
    std::string text;
    std::size_t i = 0;
    for (const std::string& n : names) {
        if (i > 0)
            text += (i + 1 == names.size()) ? " and " : ", ";
        text += n;
        ++i;
    }
    return text + " can not be resized to this size.";
}

void SameSize(CDrawObjectList& objects, bool width, bool height)
{
    const CDrawObject* d = Dominant(objects);
    if (!d)
        return;
    const int w = d->GetMaxX() - d->GetMinX();
    const int h = d->GetMaxY() - d->GetMinY();
    for (CDrawObject* o : Items(objects)) {
        if (o->GetSelection() != kSelectOn)
            continue;
        const int left = o->GetMinX(), top = o->GetMaxY();
        o->SetBounds(left, top, width ? left + w : o->GetMaxX(), height ? top - h : o->GetMinY());
    }
}

void Rotate(CDrawObjectList& objects, bool left, int faceWidth, int faceHeight)
{
    for (CDrawObject* o : Items(objects)) {
        if (!o->IsSelected())
            continue;
        const bool onFace = ObjectCommands::IsOnFace(*o, faceWidth, faceHeight);
        const int cx = (o->GetX1() + o->GetX2()) / 2;
        const int cy = (o->GetY1() + o->GetY2()) / 2;
        RotateDrawObject(*o, left);
        // The rounded centre can move by a pixel: put it back.
        const int ncx = (o->GetX1() + o->GetX2()) / 2;
        const int ncy = (o->GetY1() + o->GetY2()) / 2;
        if (ncx != cx || ncy != cy)
            o->Offset(cx - ncx, cy - ncy);
        if (onFace)
            ObjectCommands::MoveOntoFace(*o, faceWidth, faceHeight);
        o->InvalidateCache();
    }
}

void PlacePasted(CDrawObjectList& objects, CObjectVector pasted, const CFaceMapping& m, bool offset)
{
    if (offset && !pasted.empty()) {
        // Five window pixels below 100 %, else five face pixels.
        int step = 5;
        const int fiveWindow = static_cast<int>(5LL * m.spanX / std::max(1, m.windowWidth));
        if (std::abs(fiveWindow) > 5)
            step = std::abs(fiveWindow);
        int minX = pasted.front()->GetMinX(), maxY = pasted.front()->GetMaxY();
        for (const auto& o : pasted) {
            minX = std::min(minX, o->GetMinX());
            maxY = std::max(maxY, o->GetMaxY());
        }
        int dx = 0, dy = 0;
        if (m.faceLeft >= 1 && m.faceRight >= 1)
            dx = m.faceLeft - minX;
        if (m.faceBottom > 0 && m.faceTop > 0)
            dy = m.faceTop - maxY;
        dx += step;
        dy -= step;
        for (auto& o : pasted)
            o->Offset(dx, dy);
    }
    for (auto& o : pasted)
        objects.Add(std::move(o));
    objects.UpdateOrderKeys();
    FixDominant(objects);
}

CObjectVector CloneAll(const CDrawObjectList& objects)
{
    CObjectVector copy;
    copy.reserve(objects.GetObjectCount());
    for (CDrawObject* o : Items(objects))
        if (auto c = o->Clone(true, true))
            copy.push_back(std::move(c));
    return copy;
}

void RestoreAll(CDrawObjectList& list, const CObjectVector& objects)
{
    list.Clear();
    for (const auto& o : objects)
        if (auto c = o->Clone(true, true))
            list.Add(std::move(c));
    list.UpdateOrderKeys();
    FixDominant(list);
}

} // namespace LayoutEdit
