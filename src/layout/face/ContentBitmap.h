#pragma once
// CContentBitmap: the off-screen picture a text, barcode or picture object
// draws its content into (device pixels, y down, colour references).
//
// The content is laid out for the full size of the object's box, but only a
// window of it is stored: the part that can reach the face picture. A huge
// box read from a file therefore never asks for a huge buffer; writes outside
// the window are dropped.
//
// A pixel's top byte is its clearness, 255 minus its alpha: 0 (what every
// colour reference has) is opaque, so content drawn without alpha is burnt
// in exactly as it always was; a picture with an alpha plane sets it and is
// blended onto the face.

#include "image/Color.h"

#include <cstdint>
#include <vector>

class CRaster;

class CContentBitmap {
public:
    // A colour with an alpha (0 transparent .. 255 opaque) in its top byte.
    static COLORREF WithAlpha(COLORREF colour, std::uint8_t alpha)
    {
        return (colour & 0xFFFFFFu) | (static_cast<COLORREF>(255 - alpha) << 24);
    }
    static std::uint8_t AlphaOf(COLORREF pixel) { return static_cast<std::uint8_t>(255 - (pixel >> 24)); }

    CContentBitmap() = default;

    // Content of size fullWidth x fullHeight of which the window starting at
    // (left, top) of size width x height is kept. False (bitmap left empty)
    // when the window does not fit the content or the buffer cannot be had.
    bool Create(int fullWidth, int fullHeight, int left, int top, int width, int height);
    void Reset();

    int GetFullWidth() const { return m_fullWidth; }
    int GetFullHeight() const { return m_fullHeight; }
    int GetLeft() const { return m_left; }
    int GetTop() const { return m_top; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsEmpty() const { return m_width <= 0 || m_height <= 0; }
    // Names this content: a new number at every Create, Fill and FillRect, so a
    // screen copy made from it can be reused while the number stays the same.
    // Copies share the number with their source. Pixels set one by one do not
    // change it: they belong to the drawing that follows a Create.
    std::uint64_t GetSerial() const { return m_serial; }

    // Content coordinates (not window-relative).
    bool Contains(int x, int y) const
    {
        return x >= m_left && y >= m_top && x < m_left + m_width && y < m_top + m_height;
    }
    void SetPixel(int x, int y, COLORREF colour)
    {
        if (Contains(x, y))
            m_pixels[static_cast<std::size_t>(y - m_top) * m_width + (x - m_left)] = colour;
    }
    COLORREF GetPixel(int x, int y) const
    {
        return Contains(x, y) ? m_pixels[static_cast<std::size_t>(y - m_top) * m_width + (x - m_left)] : 0;
    }
    // Anti-aliased drawing over a transparent background of colour `key`
    // (a pixel equal to the key is empty). Cover lays `colour` with the given
    // coverage (0 .. 255) over the pixel, as a painter lays paint over paint:
    //   alpha = a + b (255 - a) / 255,
    //   colour = (colour a 255 + under b (255 - a)) / (alpha 255),
    // with a the coverage and b the alpha already there. Uncover takes the
    // coverage away from what is there: alpha = b (255 - a) / 255, and a
    // pixel left with no alpha becomes the key again. Neither ever leaves a
    // covered pixel equal to the key: one that would round to it gets green 1
    // (every key colour has green 0), so it is not taken for background.
    void Cover(int x, int y, COLORREF colour, int coverage, COLORREF key);
    void Uncover(int x, int y, int coverage, COLORREF key);

    // Fills left <= x < right, top <= y < bottom, clipped to the window.
    void FillRect(int left, int top, int right, int bottom, COLORREF colour);
    void Fill(COLORREF colour);
    // Multiplies every pixel's alpha by percent / 100 (a see-through
    // object); with `transparent`, pixels equal to the key stay as they are.
    void ScaleAlpha(std::uint32_t percent, bool transparent, COLORREF key);

private:
    int m_fullWidth = 0;
    int m_fullHeight = 0;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels;  // window rows top to bottom
    std::uint64_t m_serial = 0;      // 0 while empty
};

// Burns content into a 24-bit face picture: the bitmap's column c, row r
// (from the top) lands on face pixel (minX + c, maxY - r), blended by its
// alpha; with `transparent`, pixels equal to the key are skipped.
void BurnContent(const CContentBitmap& bitmap, CRaster& face, int minX, int maxY, bool transparent, COLORREF key);
