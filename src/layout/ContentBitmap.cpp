#include "layout/ContentBitmap.h"

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
