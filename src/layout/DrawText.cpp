#include "layout/DrawText.h"

#include <algorithm>

COLORREF CDrawText::GetBackgroundColour() const
{
    if (m_colour1 != 0xFF00FF && m_colour2 != 0xFF00FF)
        return 0xFF00FF;
    if (m_colour1 != 0xFF0000 && m_colour2 != 0xFF0000)
        return 0xFF0000;
    return 0x0000FF;
}

CFontRequest CDrawText::GetFontRequest(int height) const
{
    CFontRequest f;
    f.face = m_fontFace;
    f.height = height;
    f.bold = m_bold;
    f.italic = m_italic;
    f.underline = m_underline;
    f.strikeOut = m_strikeOut;
    return f;
}

void CDrawText::MeasureExtent(int height, int& width, int& extentHeight) const
{
    const int h = height < 0 ? static_cast<int>(std::min<std::uint32_t>(m_size, CFontEngine::kMaxHeight)) : height;
    int w = 0, eh = 0;
    CFontEngine::Get().MeasureText(GetFontRequest(std::max(h, 1)), m_text, w, eh);
    if (IsVertical())
        std::swap(w, eh);
    width = w;
    extentHeight = eh;
}

// The box is the text extent plus one pixel on every side, so a box side of
// s holds a font of s - 2 (see SetBounds); the tied side is the measured
// length at that font plus 2.
int CDrawText::GetWidthForHeight(int height) const
{
    if (IsVertical())
        return 0;
    const int font = height < 0 ? -1 : std::max(1, height - 2);
    int w = 0, h = 0;
    MeasureExtent(font, w, h);
    return w + 2;
}

int CDrawText::GetHeightForWidth(int width) const
{
    if (!IsVertical())
        return 0;
    const int font = width < 0 ? -1 : std::max(1, width - 2);
    int w = 0, h = 0;
    MeasureExtent(font, w, h);
    return h + 2;
}

void CDrawText::SetBounds(int left, int top, int right, int bottom)
{
    StoreBounds(left, top, right, bottom);
    const long long side = IsVertical() ? GetWidth() : GetHeight();
    m_size = static_cast<std::uint32_t>(std::max<long long>(side - 2, 1));
    InvalidateCache();
}

void CDrawText::FitToText()
{
    int w = 0, h = 0;
    MeasureExtent(-1, w, h);
    ResizeKeepingCorner(w + 2, h + 2);
}

namespace {

// Stamps the mask with its text origin at (x, y) of the bitmap, turned by
// the angle. A cell pixel (u, v) (u along the text, v down the cell) covers
// bitmap pixel: 0 -> (x + u, y + v); 900 -> (x + v, y - 1 - u);
// 1800 -> (x - 1 - u, y - 1 - v); 2700 -> (x - 1 - v, y + u).
void Stamp(CContentBitmap& bitmap, const CTextMask& mask, int angle, int x, int y, COLORREF colour)
{
    for (int row = 0; row < mask.height; ++row) {
        const int v = mask.top + row;
        for (int col = 0; col < mask.width; ++col) {
            if (!mask.Ink(col, row))
                continue;
            const int u = mask.left + col;
            switch (angle) {
            case 900: bitmap.SetPixel(x + v, y - 1 - u, colour); break;
            case 1800: bitmap.SetPixel(x - 1 - u, y - 1 - v, colour); break;
            case 2700: bitmap.SetPixel(x - 1 - v, y + u, colour); break;
            default: bitmap.SetPixel(x + u, y + v, colour); break;
            }
        }
    }
}

}  // namespace

void CDrawText::DrawContent(CContentBitmap& bitmap) const
{
    if (m_text.empty())
        return;
    const int width = bitmap.GetFullWidth(), height = bitmap.GetFullHeight();
    int x = 1, y = 1;
    switch (m_angle) {
    case 900: x = 1; y = height - 1; break;
    case 1800: x = width - 1; y = height - 1; break;
    case 2700: x = width - 1; y = 1; break;
    default: break;
    }
    // Only the cells that can reach the bitmap's stored window are rendered:
    // the window's corners mapped back into cell coordinates (the inverse of
    // Stamp's mapping), widened by the one-pixel offsets of the effects.
    const long long bx0 = bitmap.GetLeft(), by0 = bitmap.GetTop();
    const long long bx1 = bx0 + bitmap.GetWidth() - 1, by1 = by0 + bitmap.GetHeight() - 1;
    long long u0 = 0, u1 = 0, v0 = 0, v1 = 0;
    switch (m_angle) {
    case 900: u0 = y - 1 - by1; u1 = y - 1 - by0; v0 = bx0 - x; v1 = bx1 - x; break;
    case 1800: u0 = x - 1 - bx1; u1 = x - 1 - bx0; v0 = y - 1 - by1; v1 = y - 1 - by0; break;
    case 2700: u0 = by0 - y; u1 = by1 - y; v0 = x - 1 - bx1; v1 = x - 1 - bx0; break;
    default: u0 = bx0 - x; u1 = bx1 - x; v0 = by0 - y; v1 = by1 - y; break;
    }
    CTextClip clip;
    clip.left = static_cast<int>(u0 - 1);
    clip.right = static_cast<int>(u1 + 2);
    clip.top = static_cast<int>(v0 - 1);
    clip.bottom = static_cast<int>(v1 + 2);
    CTextMask mask;
    const int size = static_cast<int>(std::min<std::uint32_t>(m_size, CFontEngine::kMaxHeight));
    if (!CFontEngine::Get().RenderText(GetFontRequest(size), m_text, mask, &clip))
        return;
    const COLORREF white = 0xFFFFFF, black = 0x000000;
    // The relief positions of Extrude; Indent swaps the two colours.
    static constexpr int kLight[5][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {1, -1}};
    static constexpr int kDark[3][2] = {{0, 1}, {1, 0}, {1, 1}};
    static constexpr int kRing[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    switch (m_appearance) {
    case kTextBordered:
        for (const auto& d : kRing)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], m_colour2);
        break;
    case kTextExtrude:
    case kTextIndent: {
        const COLORREF light = m_appearance == kTextExtrude ? white : black;
        const COLORREF dark = m_appearance == kTextExtrude ? black : white;
        for (const auto& d : kLight)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], light);
        for (const auto& d : kDark)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], dark);
        break;
    }
    case kTextOutline:
        for (const auto& d : kRing)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], m_colour1);
        break;
    default: break;
    }
    Stamp(bitmap, mask, m_angle, x, y, m_appearance == kTextOutline ? GetBackgroundColour() : m_colour1);
}

void CDrawText::Save(CRecordStream& stream, bool shareImages, bool withSelection) const
{
    CDrawObject::Save(stream, shareImages, withSelection);
    stream.WriteU32(1);
    stream.WriteString(m_text);
    stream.WriteU32(m_appearance);
    // "Outline" stores its two colours the other way round.
    if (m_appearance == kTextOutline) {
        stream.WriteColour(m_colour2);
        stream.WriteColour(m_colour1);
    } else {
        stream.WriteColour(m_colour1);
        stream.WriteColour(m_colour2);
    }
    stream.WriteI32(m_angle);
    stream.WriteU32(m_bold ? 1 : 0);
    stream.WriteU32(m_italic ? 1 : 0);
    stream.WriteU32(m_underline ? 1 : 0);
    stream.WriteU32(m_strikeOut ? 1 : 0);
    stream.WriteU32(m_size);
    stream.WriteString(m_fontFace);
}

bool CDrawText::Load(CRecordStream& stream, bool shareImages, bool withSelection)
{
    if (!CDrawObject::Load(stream, shareImages, withSelection))
        return false;
    if (stream.ReadU32() != 1)
        return false;
    m_text = stream.ReadString();
    m_appearance = stream.ReadU32();
    if (m_appearance > kTextOutline)
        m_appearance = kTextNormal;
    const COLORREF a = stream.ReadColour() & 0xFFFFFFu;
    const COLORREF b = stream.ReadColour() & 0xFFFFFFu;
    if (m_appearance == kTextOutline) {
        m_colour2 = a;
        m_colour1 = b;
    } else {
        m_colour1 = a;
        m_colour2 = b;
    }
    m_angle = NormaliseQuarterAngle(stream.ReadI32());
    m_bold = stream.ReadU32() != 0;
    m_italic = stream.ReadU32() != 0;
    m_underline = stream.ReadU32() != 0;
    m_strikeOut = stream.ReadU32() != 0;
    m_size = std::max<std::uint32_t>(stream.ReadU32(), 1);
    m_fontFace = stream.ReadString();
    InvalidateCache();
    return !stream.Failed();
}
