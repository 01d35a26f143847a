#pragma once
// A non-owning view of a 24-bit picture: rows bottom-up (row 0 is the bottom
// row), each pixel three bytes blue, green, red, rows `stride` bytes apart.
// The finishing effects work on this view so that they address rows directly
// and can run on any 24-bit buffer (the rendering picture, a test buffer).

#include <cstddef>
#include <cstdint>
#include <vector>

class CPixelView {
public:
    CPixelView() = default;
    CPixelView(std::uint8_t* bits, int width, int height, std::ptrdiff_t stride) noexcept
        : m_bits(bits), m_width(width), m_height(height), m_stride(stride) {}

    bool IsValid() const noexcept { return m_bits != nullptr && m_width > 0 && m_height > 0; }
    int GetWidth() const noexcept { return m_width; }
    int GetHeight() const noexcept { return m_height; }
    std::ptrdiff_t GetStride() const noexcept { return m_stride; }

    // Start of row y (y = 0 is the bottom row).
    std::uint8_t* Row(int y) const noexcept { return m_bits + static_cast<std::ptrdiff_t>(y) * m_stride; }
    // The three bytes (blue, green, red) of pixel (x, y); no clipping.
    std::uint8_t* At(int x, int y) const noexcept { return Row(y) + 3 * static_cast<std::ptrdiff_t>(x); }

private:
    std::uint8_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;  // bytes per row
};

// A plain owned 24-bit buffer with 4-byte row padding, for tests, benches and
// intermediate pictures that never leave the render layer.
class CPixelBuffer {
public:
    CPixelBuffer() = default;
    CPixelBuffer(int width, int height, std::uint8_t fill = 0)
        : m_width(width > 0 ? width : 0), m_height(height > 0 ? height : 0),
          m_stride(((static_cast<std::ptrdiff_t>(m_width) * 24 + 31) / 32) * 4),
          m_bytes(static_cast<std::size_t>(m_stride) * static_cast<std::size_t>(m_height), fill) {}

    CPixelView View() noexcept { return CPixelView(m_bytes.data(), m_width, m_height, m_stride); }
    int GetWidth() const noexcept { return m_width; }
    int GetHeight() const noexcept { return m_height; }
    const std::vector<std::uint8_t>& Bytes() const noexcept { return m_bytes; }

    // Colour reference 0x00BBGGRR of pixel (x, y).
    std::uint32_t Get(int x, int y) const noexcept
    {
        const std::uint8_t* p = m_bytes.data() + static_cast<std::ptrdiff_t>(y) * m_stride + 3 * x;
        return static_cast<std::uint32_t>(p[2]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[0]) << 16);
    }
    void Set(int x, int y, std::uint32_t colorRef) noexcept
    {
        std::uint8_t* p = m_bytes.data() + static_cast<std::ptrdiff_t>(y) * m_stride + 3 * x;
        p[0] = static_cast<std::uint8_t>(colorRef >> 16);
        p[1] = static_cast<std::uint8_t>(colorRef >> 8);
        p[2] = static_cast<std::uint8_t>(colorRef);
    }
    void Fill(std::uint32_t colorRef) noexcept
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) Set(x, y, colorRef);
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;
    std::vector<std::uint8_t> m_bytes;
};

#include "image/Raster.h"

// The view of a 24-bit picture; an invalid view for an empty or palette picture.
inline CPixelView ViewOf(CRaster& raster) noexcept
{
    if (!raster.IsValid() || raster.GetBpp() != 24) return CPixelView();
    return CPixelView(raster.GetBits(0), raster.GetWidth(), raster.GetHeight(), raster.GetEffWidth());
}
