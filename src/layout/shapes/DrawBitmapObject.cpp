#include "layout/shapes/DrawBitmapObject.h"

#include "image/Raster.h"
#include "layout/face/LayoutPainter.h"

#include <algorithm>

// The bitmap's column c, row r (from the top) lands on face pixel
// (min x + c, max y - r), so the window of the bitmap that reaches a face of
// W x H pixels is c in [-min x, W - min x) and r in [max y - (H - 1), max y + 1).
const CContentBitmap* CDrawBitmapObject::PrepareContent(int faceWidth, int faceHeight) const
{
    const long long w = GetWidth(), h = GetHeight();
    if (w <= 0 || h <= 0 || faceWidth <= 0 || faceHeight <= 0)
        return nullptr;
    const long long minX = GetMinX(), maxY = GetMaxY();
    const long long c0 = std::max<long long>(0, -minX);
    const long long c1 = std::min<long long>(w, faceWidth - minX);
    const long long r0 = std::max<long long>(0, maxY - (faceHeight - 1));
    const long long r1 = std::min<long long>(h, maxY + 1);
    if (c0 >= c1 || r0 >= r1)
        return nullptr;
    const int left = static_cast<int>(c0), top = static_cast<int>(r0);
    const int width = static_cast<int>(c1 - c0), height = static_cast<int>(r1 - r0);
    const bool same = !m_cacheStale && m_cache.GetFullWidth() == w && m_cache.GetFullHeight() == h &&
                      m_cache.GetLeft() == left && m_cache.GetTop() == top && m_cache.GetWidth() == width &&
                      m_cache.GetHeight() == height;
    if (!same) {
        if (!m_cache.Create(static_cast<int>(w), static_cast<int>(h), left, top, width, height))
            return nullptr;
        m_cache.Fill(GetBackgroundColour());
        DrawContent(m_cache);
        if (m_opacity < 100)
            m_cache.ScaleAlpha(m_opacity, IsTransparent(), GetBackgroundColour());
        m_cacheStale = false;
    }
    return &m_cache;
}

void CDrawBitmapObject::RenderToFace(CRaster& face) const
{
    if (!face.IsValid())
        return;
    if (const CContentBitmap* bitmap = PrepareContent(face.GetWidth(), face.GetHeight()))
        BurnContent(*bitmap, face, GetMinX(), GetMaxY(), IsTransparent(), GetBackgroundColour());
}

void CDrawBitmapObject::Paint(CLayoutPainter& painter, int left, int top, int right, int bottom) const
{
    const CContentBitmap* bitmap = PrepareContent(painter.GetFaceWidth(), painter.GetFaceHeight());
    if (bitmap)
        painter.DrawBitmap(*bitmap, left, top, right, bottom, IsTransparent(), GetBackgroundColour());
}

void CDrawBitmapObject::RotateLeft(int, int)
{
    m_angle = TurnAngle(m_angle, 900);
    InvalidateCache();
}

void CDrawBitmapObject::RotateRight(int, int)
{
    m_angle = TurnAngle(m_angle, -900);
    InvalidateCache();
}

void CDrawBitmapObject::ResizeKeepingCorner(int width, int height)
{
    int left = GetMinX(), right = GetMaxX(), bottom = GetMinY(), top = GetMaxY();
    const bool keepLeft = m_angle == 0 || m_angle == 900;
    const bool keepTop = m_angle == 0 || m_angle == 2700;
    if (right - left != width) {
        if (keepLeft)
            right = left + width;
        else
            left = right - width;
    }
    if (top - bottom != height) {
        if (keepTop)
            bottom = top - height;
        else
            top = bottom + height;
    }
    StoreBounds(left, top, right, bottom);
    InvalidateCache();
}
