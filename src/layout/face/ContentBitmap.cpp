#include "layout/face/ContentBitmap.h"

#include "image/Raster.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace {
std::uint64_t NextSerial()
{
    static std::atomic<std::uint64_t> serial{0};
    return ++serial;
}
} // namespace

bool CContentBitmap::Create(int fullWidth, int fullHeight, int left, int top, int width, int height)
{
    Reset();
    if (fullWidth < 0 || fullHeight < 0 || width < 0 || height < 0 || left < 0 || top < 0 ||
        left > fullWidth - width || top > fullHeight - height)
        return false;
    try {
        m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_fullWidth = fullWidth;
    m_fullHeight = fullHeight;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    m_serial = NextSerial();
    return true;
}

void CContentBitmap::Reset()
{
    m_fullWidth = m_fullHeight = m_left = m_top = m_width = m_height = 0;
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_serial = 0;
}

void CContentBitmap::FillRect(int left, int top, int right, int bottom, COLORREF colour)
{
    const int x0 = std::max(left, m_left);
    const int x1 = std::min(right, m_left + m_width);
    const int y0 = std::max(top, m_top);
    const int y1 = std::min(bottom, m_top + m_height);
    if (x0 >= x1 || y0 >= y1)
        return;
    m_serial = NextSerial();
    for (int y = y0; y < y1; ++y) {
        COLORREF* row = m_pixels.data() + static_cast<std::size_t>(y - m_top) * m_width;
        std::fill(row + (x0 - m_left), row + (x1 - m_left), colour);
    }
}

void CContentBitmap::Fill(COLORREF colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), colour);
    if (!m_pixels.empty())
        m_serial = NextSerial();
}

namespace {

// A covered pixel that came out as the key itself gets green 1 (see Cover).
COLORREF AvoidKey(COLORREF pixel, COLORREF key)
{
    return pixel == key ? (pixel & ~0xFF00u) | 0x100u : pixel;
}

}  // namespace

void CContentBitmap::Cover(int x, int y, COLORREF colour, int coverage, COLORREF key)
{
    if (!Contains(x, y) || coverage <= 0)
        return;
    const unsigned a = static_cast<unsigned>(std::min(coverage, 255));
    const COLORREF under = GetPixel(x, y);
    const unsigned b = under == key ? 0u : AlphaOf(under);
    // Both weights carry a factor 255, so the colour is divided exactly once.
    const unsigned over = a * 255u, rest = b * (255u - a), total = over + rest;
    COLORREF out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned c = (colour >> shift) & 0xFF, u = (under >> shift) & 0xFF;
        out |= static_cast<COLORREF>((c * over + u * rest + total / 2) / total) << shift;
    }
    const unsigned alpha = (total + 127u) / 255u;
    SetPixel(x, y, AvoidKey(WithAlpha(out, static_cast<std::uint8_t>(alpha)), key));
}

void CContentBitmap::Uncover(int x, int y, int coverage, COLORREF key)
{
    if (!Contains(x, y) || coverage <= 0)
        return;
    const COLORREF under = GetPixel(x, y);
    if (under == key)
        return;
    const unsigned a = static_cast<unsigned>(std::min(coverage, 255));
    const unsigned alpha = (AlphaOf(under) * (255u - a) + 127u) / 255u;
    SetPixel(x, y, alpha == 0 ? key : AvoidKey(WithAlpha(under, static_cast<std::uint8_t>(alpha)), key));
}

void CContentBitmap::ScaleAlpha(std::uint32_t percent, bool transparent, COLORREF key)
{
    for (COLORREF& p : m_pixels) {
        if (transparent && p == key)
            continue;
        p = WithAlpha(p, static_cast<std::uint8_t>((AlphaOf(p) * std::min<std::uint32_t>(percent, 100) + 50) / 100));
    }
}

namespace {

// Each channel: (over * alpha + under * (255 - alpha)) / 255, rounded.
COLORREF Blend(COLORREF over, COLORREF under, std::uint8_t alpha)
{
    COLORREF out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned o = (over >> shift) & 0xFF, u = (under >> shift) & 0xFF;
        out |= static_cast<COLORREF>((o * alpha + u * (255u - alpha) + 127u) / 255u) << shift;
    }
    return out;
}

}  // namespace

void BurnContent(const CContentBitmap& bitmap, CRaster& face, int minX, int maxY, bool transparent, COLORREF key)
{
    for (int r = bitmap.GetTop(); r < bitmap.GetTop() + bitmap.GetHeight(); ++r) {
        for (int c = bitmap.GetLeft(); c < bitmap.GetLeft() + bitmap.GetWidth(); ++c) {
            const COLORREF px = bitmap.GetPixel(c, r);
            if (transparent && px == key)
                continue;
            const std::uint8_t alpha = CContentBitmap::AlphaOf(px);
            if (alpha == 255) {
                face.SetPixelColor(minX + c, maxY - r, px);
            } else if (alpha != 0 && face.IsInside(minX + c, maxY - r)) {
                face.SetPixelColor(minX + c, maxY - r,
                                   Blend(px, RGBQUADtoRGB(face.GetPixelColor(minX + c, maxY - r)), alpha));
            }
        }
    }
}
