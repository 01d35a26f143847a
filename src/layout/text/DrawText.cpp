#include "layout/text/DrawText.h"

#include <algorithm>

const char* RefuseBlankText(std::string_view text) noexcept
{
    return text.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos ? "Please enter some Text." : nullptr;
}

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
    f.smooth = m_smooth;
    return f;
}

void CDrawText::SetLayout(const CTextLayout& layout)
{
    m_layout.align = layout.align <= kAlignJustified ? layout.align : kAlignLeft;
    m_layout.lineSpacing = std::clamp(layout.lineSpacing, kMinLineSpacing, kMaxLineSpacing);
    m_layout.letterSpacing = std::clamp(layout.letterSpacing, kMinLetterSpacing, kMaxLetterSpacing);
    m_layout.wrapWidth = std::clamp(layout.wrapWidth, 0, kDrawMaxSize);
    InvalidateCache();
}

CTextBlock CDrawText::LayoutBlock(int size, int wrap) const
{
    CTextLayout layout = m_layout;
    if (wrap >= 0)
        layout.wrapWidth = wrap;
    CTextBlock block;
    block.Build(GetFontRequest(std::clamp(size < 0 ? CurrentFontHeight() : size, 1, CFontEngine::kMaxHeight)), m_text,
                layout);
    return block;
}

CDrawText::COverhang CDrawText::MeasureOverhang(int size) const
{
    COverhang o;
    if (!m_fitsInk || m_text.empty())
        return o;
    CTextInk ink;
    if (!LayoutBlock(std::clamp(size, 1, CFontEngine::kMaxHeight)).MeasureInk(ink) || !ink.any)
        return o;
    o.left = std::max(0, -ink.left);
    o.right = std::max(0, ink.right - ink.advance);
    o.top = std::max(0, -ink.top);
    o.bottom = std::max(0, ink.bottom - ink.cellHeight);
    return o;
}

long long CDrawText::LargestSizeWithin(long long across) const
{
    across = std::max<long long>(across, 1);
    if (IsOneLine())
        return across;
    const long long gaps = std::count(m_text.begin(), m_text.end(), '\n');
    const auto height = [&](long long size) {
        return gaps * CTextBlock::Pitch(static_cast<int>(std::min<long long>(size, 1 << 24)), m_layout.lineSpacing) +
               size;
    };
    // The rounded pitch keeps the estimate within a step or two.
    long long size = std::max<long long>(1, across * 100 / (gaps * m_layout.lineSpacing + 100));
    while (size > 1 && height(size) > across)
        --size;
    while (height(size + 1) <= across)
        ++size;
    return size;
}

// The ink across the line grows with the font, so the font that fits a side
// is found by taking the overhang of the plain fit off and checking the
// smaller font again (a few steps at most; fonts rarely reach outside their
// cell across the line at all).
std::uint32_t CDrawText::SizeForSide(long long side) const
{
    const long long plain = std::max<long long>(side - 2, 1);
    long long size = LargestSizeWithin(plain);
    if (!m_fitsInk)
        return static_cast<std::uint32_t>(size);
    for (int step = 0; step < 4 && size > 1; ++step) {
        const int font = static_cast<int>(std::min<long long>(size, CFontEngine::kMaxHeight));
        const COverhang o = MeasureOverhang(font);
        const long long across = IsOneLine() ? size : LayoutBlock(font).GetHeight();
        if (across + o.top + o.bottom <= plain)
            break;
        size = LargestSizeWithin(plain - o.top - o.bottom);
    }
    return static_cast<std::uint32_t>(size);
}

int CDrawText::WrapForAlong(long long along) const
{
    const COverhang o = MeasureOverhang(CurrentFontHeight());
    return static_cast<int>(std::clamp<long long>(along - 2 - o.left - o.right, 1, kDrawMaxSize));
}

void CDrawText::WrapAt(int along)
{
    m_layout.wrapWidth = WrapForAlong(along);
    FitToText();
}

int CDrawText::AcrossForAlong(long long along) const
{
    const int wrap = WrapForAlong(along);
    const COverhang o = MeasureOverhang(CurrentFontHeight());
    return LayoutBlock(-1, wrap).GetHeight() + o.top + o.bottom + 2;
}

int CDrawText::CurrentFontHeight() const
{
    return static_cast<int>(std::min<std::uint32_t>(m_size, CFontEngine::kMaxHeight));
}

int CDrawText::FontHeightForSide(long long side) const
{
    return static_cast<int>(std::min<std::uint32_t>(SizeForSide(side), CFontEngine::kMaxHeight));
}

void CDrawText::MeasureExtent(int height, int& width, int& extentHeight) const
{
    const int h = height < 0 ? CurrentFontHeight() : height;
    const CTextBlock block = LayoutBlock(std::max(h, 1));
    int w = block.GetWidth(), eh = block.GetHeight();
    if (IsVertical())
        std::swap(w, eh);
    width = w;
    extentHeight = eh;
}

// The box is the text extent plus one pixel on every side, so a box side of
// s holds a font of s - 2 (see SetBounds); the tied side is the measured
// length at that font plus 2.
// A text that fits its ink adds the overhang along the line.
// A wrapped text ties the side across its lines to the side along them instead.
int CDrawText::GetWidthForHeight(int height) const
{
    if (IsWrapped())
        return IsVertical() ? AcrossForAlong(height < 0 ? GetHeight() : height) : 0;
    if (IsVertical())
        return 0;
    const int font = height < 0 ? CurrentFontHeight() : FontHeightForSide(height);
    int w = 0, h = 0;
    MeasureExtent(font, w, h);
    const COverhang o = MeasureOverhang(font);
    return w + o.left + o.right + 2;
}

int CDrawText::GetHeightForWidth(int width) const
{
    if (IsWrapped())
        return IsVertical() ? 0 : AcrossForAlong(width < 0 ? GetWidth() : width);
    if (!IsVertical())
        return 0;
    const int font = width < 0 ? CurrentFontHeight() : FontHeightForSide(width);
    int w = 0, h = 0;
    MeasureExtent(font, w, h);
    const COverhang o = MeasureOverhang(font);
    return h + o.left + o.right + 2;
}

void CDrawText::SetBounds(int left, int top, int right, int bottom)
{
    StoreBounds(left, top, right, bottom);
    if (IsWrapped())
        m_layout.wrapWidth = WrapForAlong(IsVertical() ? GetHeight() : GetWidth());
    else
        m_size = SizeForSide(IsVertical() ? GetWidth() : GetHeight());
    InvalidateCache();
}

void CDrawText::FitToText()
{
    int w = 0, h = 0;
    MeasureExtent(-1, w, h);
    const COverhang o = MeasureOverhang(CurrentFontHeight());
    const int along = o.left + o.right, across = o.top + o.bottom;
    if (IsVertical())
        ResizeKeepingCorner(w + across + 2, h + along + 2);
    else
        ResizeKeepingCorner(w + along + 2, h + across + 2);
}

namespace {

// Visits the mask's inked pixels with their text origin at (x, y) of the
// bitmap, turned by the angle. A cell pixel (u, v) (u along the text, v down
// the cell) covers bitmap pixel: 0 -> (x + u, y + v); 900 -> (x + v, y - 1 - u);
// 1800 -> (x - 1 - u, y - 1 - v); 2700 -> (x - 1 - v, y + u).
template <typename Visit>
void ForEachInk(const CTextMask& mask, int angle, int x, int y, Visit visit)
{
    for (int row = 0; row < mask.height; ++row) {
        const int v = mask.top + row;
        for (int col = 0; col < mask.width; ++col) {
            if (!mask.Ink(col, row))
                continue;
            const int u = mask.left + col;
            const int coverage = mask.Coverage(col, row);
            switch (angle) {
            case 900: visit(x + v, y - 1 - u, coverage); break;
            case 1800: visit(x - 1 - u, y - 1 - v, coverage); break;
            case 2700: visit(x - 1 - v, y + u, coverage); break;
            default: visit(x + u, y + v, coverage); break;
            }
        }
    }
}

// Draws the mask in `colour`: a one-bit mask sets the pixels, a smooth one
// lays its coverage over what is there.
void Stamp(CContentBitmap& bitmap, const CTextMask& mask, int angle, int x, int y, COLORREF colour, COLORREF key)
{
    if (mask.smooth)
        ForEachInk(mask, angle, x, y, [&](int bx, int by, int c) { bitmap.Cover(bx, by, colour, c, key); });
    else
        ForEachInk(mask, angle, x, y, [&](int bx, int by, int) { bitmap.SetPixel(bx, by, colour); });
}

// Takes the mask's ink back out to the key colour (the interior of an
// "Outline" text).
void Erase(CContentBitmap& bitmap, const CTextMask& mask, int angle, int x, int y, COLORREF key)
{
    if (mask.smooth)
        ForEachInk(mask, angle, x, y, [&](int bx, int by, int c) { bitmap.Uncover(bx, by, c, key); });
    else
        ForEachInk(mask, angle, x, y, [&](int bx, int by, int) { bitmap.SetPixel(bx, by, key); });
}

}  // namespace

void CDrawText::GetCellOrigin(int& size, int& x, int& y) const
{
    const int width = GetWidth(), height = GetHeight();
    size = CurrentFontHeight();
    // The text origin sits one pixel in from the box edge, and further in by
    // whatever ink reaches outside the cell on that side.
    const COverhang o = MeasureOverhang(size);
    x = 1 + o.left, y = 1 + o.top;
    switch (m_angle) {
    case 900: x = 1 + o.top; y = height - 1 - o.left; break;
    case 1800: x = width - 1 - o.left; y = height - 1 - o.top; break;
    case 2700: x = width - 1 - o.top; y = 1 + o.left; break;
    default: break;
    }
}

void CDrawText::DrawContent(CContentBitmap& bitmap) const
{
    if (m_text.empty())
        return;
    int size = 0, x = 0, y = 0;
    GetCellOrigin(size, x, y);
    // Only the cells that can reach the bitmap's stored window are rendered:
    // the window's corners mapped back into cell coordinates (the inverse of
    // ForEachInk's mapping), widened by the one-pixel offsets of the effects.
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
    if (!LayoutBlock(size).Render(mask, &clip))
        return;
    const COLORREF white = 0xFFFFFF, black = 0x000000, key = GetBackgroundColour();
    // The relief positions of Extrude; Indent swaps the two colours.
    static constexpr int kLight[5][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {1, -1}};
    static constexpr int kDark[3][2] = {{0, 1}, {1, 0}, {1, 1}};
    static constexpr int kRing[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    switch (m_appearance) {
    case kTextBordered:
        for (const auto& d : kRing)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], m_colour2, key);
        break;
    case kTextExtrude:
    case kTextIndent: {
        const COLORREF light = m_appearance == kTextExtrude ? white : black;
        const COLORREF dark = m_appearance == kTextExtrude ? black : white;
        for (const auto& d : kLight)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], light, key);
        for (const auto& d : kDark)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], dark, key);
        break;
    }
    case kTextOutline:
        for (const auto& d : kRing)
            Stamp(bitmap, mask, m_angle, x + d[0], y + d[1], m_colour1, key);
        break;
    default: break;
    }
    if (m_appearance == kTextOutline)
        Erase(bitmap, mask, m_angle, x, y, key);
    else
        Stamp(bitmap, mask, m_angle, x, y, m_colour1, key);
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
    // Optional fields, written only when they say something a reader of the
    // first record would not assume: the tag, the number of words that
    // follow, then the option bits. A reader that stops after the face name
    // ignores them (a project file keeps each object in a block of its own).
    const std::uint32_t options = (m_fitsInk ? kOptionFitsInk : 0u) | (m_smooth ? kOptionSmooth : 0u);
    const bool setLines = m_layout != CTextLayout{};
    if (options != 0 || setLines) {
        stream.WriteU32(kOptionsTag);
        stream.WriteU32(setLines ? kOptionWordsLayout : kOptionWordsPlain);
        stream.WriteU32(options);
        if (setLines) {
            stream.WriteU32(m_layout.align);
            stream.WriteU32(m_layout.lineSpacing);
            stream.WriteI32(m_layout.letterSpacing);
            stream.WriteI32(m_layout.wrapWidth);
        }
    }
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
    // Without the optional fields a text keeps the cell box, as it was made.
    m_fitsInk = false;
    m_smooth = false;
    m_layout = CTextLayout{};
    std::uint32_t tag = 0;
    if (!stream.Failed() && stream.PeekU32(tag) && tag == kOptionsTag) {
        stream.ReadU32();
        const std::uint32_t words = stream.ReadU32();
        if (words < 1 || !stream.HasRoomFor(words, 4))
            return false;
        const std::uint32_t options = stream.ReadU32();
        m_fitsInk = (options & kOptionFitsInk) != 0;
        m_smooth = (options & kOptionSmooth) != 0;
        if (words >= kOptionWordsLayout) {
            CTextLayout layout;
            layout.align = stream.ReadU32();
            layout.lineSpacing = stream.ReadU32();
            layout.letterSpacing = stream.ReadI32();
            layout.wrapWidth = stream.ReadI32();
            SetLayout(layout);
        }
        // Words a later version adds are passed over.
        for (std::uint32_t i = words >= kOptionWordsLayout ? kOptionWordsLayout : 1; i < words && !stream.Failed(); ++i)
            stream.ReadU32();
    }
    InvalidateCache();
    return !stream.Failed();
}
