#include "layout/edit/Snapping.h"

#include "layout/objects/DrawObjectList.h"

#include <cstdlib>

CSnapTargets CollectSnapTargets(const CDrawObjectList& objects, int faceWidth, int faceHeight,
                                const std::vector<CGuide>& guides)
{
    CSnapTargets t;
    t.xs = {0, faceWidth / 2, faceWidth};
    t.ys = {0, faceHeight / 2, faceHeight};
    for (const CGuide& g : guides)
        (g.vertical ? t.xs : t.ys).push_back(g.position);
    for (std::size_t i = 0; i < objects.GetObjectCount(); ++i) {
        const CDrawObject* o = objects.GetObject(i);
        if (o->IsHidden() || o->IsSelected())
            continue;
        t.xs.insert(t.xs.end(), {o->GetMinX(), (o->GetMinX() + o->GetMaxX()) / 2, o->GetMaxX()});
        t.ys.insert(t.ys.end(), {o->GetMinY(), (o->GetMinY() + o->GetMaxY()) / 2, o->GetMaxY()});
    }
    return t;
}

int SnapShift(const std::vector<int>& targets, const std::vector<int>& edges, int tolerance)
{
    int best = tolerance + 1, shift = 0;
    for (int e : edges)
        for (int t : targets)
            if (std::abs(t - e) < best) {
                best = std::abs(t - e);
                shift = t - e;
            }
    return shift;
}

CFacePoint SnapDrag(const CSnapTargets& targets, const CDrawObject* o, int handle, CFacePoint anchor,
                    CFacePoint point, int tolerance)
{
    if (!o)
        return {point.x + SnapShift(targets.xs, {point.x}, tolerance),
                point.y + SnapShift(targets.ys, {point.y}, tolerance)};
    const int dx = point.x - anchor.x, dy = point.y - anchor.y;
    const int l = o->GetMinX() + dx, r = o->GetMaxX() + dx, b = o->GetMinY() + dy, t = o->GetMaxY() + dy;
    std::vector<int> xs, ys;
    if (handle == 0) {
        xs = {l, (l + r) / 2, r};
        ys = {b, (b + t) / 2, t};
    } else {
        // Handles 1..8 clockwise from the top-left: 1, 4, 6 move the left
        // edge, 3, 5, 8 the right; 1, 2, 3 the top, 6, 7, 8 the bottom.
        if (handle == 1 || handle == 4 || handle == 6)
            xs = {l};
        if (handle == 3 || handle == 5 || handle == 8)
            xs = {r};
        if (handle == 1 || handle == 2 || handle == 3)
            ys = {t};
        if (handle == 6 || handle == 7 || handle == 8)
            ys = {b};
    }
    return {point.x + SnapShift(targets.xs, xs, tolerance), point.y + SnapShift(targets.ys, ys, tolerance)};
}
