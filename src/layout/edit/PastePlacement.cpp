#include "layout/edit/PastePlacement.h"

#include <algorithm>
#include <cmath>

namespace PastePlacement {

void KeepRelativePlace(CObjectVector& pasted, int sourceWidth, int sourceHeight, int faceWidth, int faceHeight)
{
    if (pasted.empty() || sourceWidth <= 0 || sourceHeight <= 0)
        return;
    int minX = pasted.front()->GetMinX(), maxY = pasted.front()->GetMaxY();
    for (const auto& o : pasted) {
        minX = std::min(minX, o->GetMinX());
        maxY = std::max(maxY, o->GetMaxY());
    }
    // The top edge is measured from the face's top (y grows upwards).
    const long long left = std::llround(static_cast<double>(minX) * faceWidth / sourceWidth);
    const long long fromTop = std::llround(static_cast<double>(sourceHeight - maxY) * faceHeight / sourceHeight);
    const int dx = static_cast<int>(left - minX);
    const int dy = static_cast<int>((faceHeight - fromTop) - maxY);
    for (auto& o : pasted)
        o->Offset(dx, dy);
}

void ClampInside(CDrawObjectList& objects, std::size_t count, int faceWidth, int faceHeight)
{
    const std::size_t n = objects.GetObjectCount();
    if (count == 0 || count > n)
        return;
    int minX = objects.GetObject(n - count)->GetMinX(), maxX = minX;
    int minY = objects.GetObject(n - count)->GetMinY(), maxY = minY;
    for (std::size_t i = n - count; i < n; ++i) {
        const CDrawObject* o = objects.GetObject(i);
        minX = std::min(minX, o->GetMinX());
        maxX = std::max(maxX, o->GetMaxX());
        minY = std::min(minY, o->GetMinY());
        maxY = std::max(maxY, o->GetMaxY());
    }
    // Right and bottom edges first, then left and top, which win for a group
    // larger than the face.
    int dx = std::min(0, faceWidth - maxX);
    dx = std::max(dx, -minX);
    int dy = std::max(0, -minY);
    dy = std::min(dy, faceHeight - maxY);
    if (dx == 0 && dy == 0)
        return;
    for (std::size_t i = n - count; i < n; ++i)
        objects.GetObject(i)->Offset(dx, dy);
}

} // namespace PastePlacement
