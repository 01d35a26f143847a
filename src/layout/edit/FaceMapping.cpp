#include "layout/edit/FaceMapping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

void CFaceMapping::SetEdges(int left, int top, int right, int bottom, int winWidth, int winHeight)
{
    faceLeft = left;
    faceTop = top;
    faceRight = right;
    faceBottom = bottom;
    spanX = right - left;
    spanY = bottom - top;
    if (spanX == 0)
        spanX = 100000;
    if (spanY == 0)
        spanY = 100000;
    windowWidth = std::max(1, winWidth);
    windowHeight = std::max(1, winHeight);
}

int CFaceMapping::FaceToWindowX(int fx) const
{
    return static_cast<int>((static_cast<std::int64_t>(fx) - faceLeft) * windowWidth / spanX);
}

int CFaceMapping::FaceToWindowY(int fy) const
{
    return static_cast<int>((static_cast<std::int64_t>(fy) - faceTop) * windowHeight / spanY);
}

int CFaceMapping::WindowToFaceX(int wx) const
{
    return static_cast<int>(static_cast<std::int64_t>(wx) * spanX / windowWidth + faceLeft);
}

int CFaceMapping::WindowToFaceY(int wy) const
{
    return static_cast<int>(static_cast<std::int64_t>(wy) * spanY / windowHeight + faceTop);
}

CFaceMapping ComputeFaceMapping(int faceWidth, int faceHeight, int clientWidth, int clientHeight,
                                double scale, double visLeft, double visTop, bool* scrollX, bool* scrollY)
{
    CFaceMapping m;
    m.faceWidth = faceWidth;
    m.faceHeight = faceHeight;
    clientWidth = std::max(1, clientWidth);
    clientHeight = std::max(1, clientHeight);
    if (scale <= 0.0 || faceWidth <= 0 || faceHeight <= 0) {
        m.SetEdges(0, 0, 0, 0, clientWidth, clientHeight);
        return m;
    }
    // Face pixels the window spans in each axis.
    const double spanW = clientWidth / scale;
    const double spanH = clientHeight / scale;
    double left, top;
    // Half a window pixel of slack: a fitted face (whose scale is the
    // client size over the face size) must not get a scroll bar from rounding.
    const bool sx = faceWidth * scale > clientWidth + 0.5;
    const bool sy = faceHeight * scale > clientHeight + 0.5;
    if (sx) {
        left = std::clamp(visLeft, 0.0, faceWidth - spanW);
    } else {
        // Centred: the picture starts (client - scaled) / 2 window pixels in.
        left = -(clientWidth - faceWidth * scale) * 0.5 / scale;
    }
    if (sy) {
        top = std::clamp(visTop, spanH, static_cast<double>(faceHeight));
    } else {
        top = faceHeight + (clientHeight - faceHeight * scale) * 0.5 / scale;
    }
    const int l = static_cast<int>(std::lround(left));
    const int t = static_cast<int>(std::lround(top));
    m.SetEdges(l, t, l + static_cast<int>(std::lround(spanW)), t - static_cast<int>(std::lround(spanH)),
               clientWidth, clientHeight);
    if (scrollX)
        *scrollX = sx;
    if (scrollY)
        *scrollY = sy;
    return m;
}
