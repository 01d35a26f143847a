#pragma once
// CDrawText: a text in a font, size, style and appearance, turned in
// quarter steps. Its lines (line feeds in the text) are set as a block with
// an alignment, a line spacing and a letter spacing (see CTextBlock).
//
// A point text has no wrap width: its font size follows the box (height for
// horizontal text, width for vertical text, less the one-pixel margin on
// each side and the lines' spacing); the other side follows the measured
// lines. A wrapped text (a box drawn by dragging) keeps its font size: the
// box side along the lines sets the width they wrap at and the side across
// them follows the lines the text then takes.
//
// The box holds the text's cell (the advances by the font height). A text
// made by this version also holds its ink: where glyphs reach outside the
// cell (an italic overhang, an accent above the font's ascent) the box grows
// by that overhang and the text moves in by it, so no glyph is cut and an
// effect ring shows on every side. Texts read from records without that
// choice keep the cell box and draw exactly as they were saved.
//
// A smooth text is drawn with the glyphs' coverage blended over the face
// instead of as a one-bit mask.

#include "layout/shapes/DrawBitmapObject.h"
#include "layout/text/FontEngine.h"
#include "layout/text/TextBlock.h"

#include <string>
#include <string_view>

// Appearances.
constexpr std::uint32_t kTextNormal = 0;
constexpr std::uint32_t kTextBordered = 1;
constexpr std::uint32_t kTextExtrude = 2;
constexpr std::uint32_t kTextIndent = 3;
constexpr std::uint32_t kTextOutline = 4;

// A text must show something: the message a text of nothing but blanks
// (spaces, tabs, line ends) is refused with, or null when it has a mark.
const char* RefuseBlankText(std::string_view text) noexcept;

class CDrawText final : public CDrawBitmapObject {
public:
    CDrawText() = default;

    const char* GetKindCode() const override { return "TEXT"; }
    const char* GetKindName() const override { return "Text"; }
    COLORREF GetLineColour() const override { return m_colour1; }
    COLORREF GetFillColour() const override { return m_colour2; }
    bool IsFilled() const override { return m_appearance == kTextBordered; }
    bool IsOutlined() const override { return true; }
    std::string GetText() const override { return m_text; }
    bool IsTransparent() const override { return true; }
    // The key colour: magenta unless a text colour is magenta, then blue,
    // then red.
    COLORREF GetBackgroundColour() const override;

    int GetMinWidth() const override { return IsVertical() ? 3 : 1; }
    int GetMinHeight() const override { return IsVertical() ? 1 : 3; }
    // One line of at most 255 pixels' font across; a block has no such bound.
    int GetMaxWidth() const override { return IsVertical() && IsOneLine() ? 257 : kDrawMaxSize; }
    int GetMaxHeight() const override { return !IsVertical() && IsOneLine() ? 257 : kDrawMaxSize; }
    // The box width a horizontal text gets for a box height (the font is the
    // box height less 2; -1 means the current size); 0 for vertical text.
    int GetWidthForHeight(int height) const override;
    int GetHeightForWidth(int width) const override;

    void SetBounds(int left, int top, int right, int bottom) override;
    void DrawContent(CContentBitmap& bitmap) const override;
    void Save(CRecordStream& stream, bool shareImages, bool withSelection) const override;
    bool Load(CRecordStream& stream, bool shareImages, bool withSelection) override;

    // Box = text extent + 2 in each direction, keeping the corner the angle names.
    void FitToText();
    // Extent of the text at font height `height` (-1: the current size),
    // exchanged for vertical text.
    void MeasureExtent(int height, int& width, int& extentHeight) const;

    // How far the ink reaches outside the cell at font height `size`, in the
    // text's own direction (left and right along the line, top and bottom
    // across it); all 0 for a text that keeps the cell box.
    struct COverhang {
        int left = 0, right = 0, top = 0, bottom = 0;
    };
    COverhang MeasureOverhang(int size) const;
    // The font height a box side across the line holds: the side less the
    // margins and the ink that reaches outside the cell.
    std::uint32_t SizeForSide(long long side) const;

    const std::string& GetString() const { return m_text; }
    void SetText(std::string text) { m_text = std::move(text); InvalidateCache(); }
    std::uint32_t GetAppearance() const { return m_appearance; }
    void SetAppearance(std::uint32_t a) { m_appearance = a; InvalidateCache(); }
    COLORREF GetColour1() const { return m_colour1; }
    COLORREF GetColour2() const { return m_colour2; }
    void SetColour1(COLORREF c) { m_colour1 = c; InvalidateCache(); }
    void SetColour2(COLORREF c) { m_colour2 = c; InvalidateCache(); }
    bool GetBold() const { return m_bold; }
    bool GetItalic() const { return m_italic; }
    bool GetUnderline() const { return m_underline; }
    bool GetStrikeOut() const { return m_strikeOut; }
    void SetBold(bool v) { m_bold = v; InvalidateCache(); }
    void SetItalic(bool v) { m_italic = v; InvalidateCache(); }
    void SetUnderline(bool v) { m_underline = v; InvalidateCache(); }
    void SetStrikeOut(bool v) { m_strikeOut = v; InvalidateCache(); }
    const std::string& GetFontFace() const { return m_fontFace; }
    void SetFontFace(std::string face) { m_fontFace = std::move(face); InvalidateCache(); }
    std::uint32_t GetSize() const { return m_size; }
    void SetSize(std::uint32_t size) { m_size = size < 1 ? 1 : size; InvalidateCache(); }

    // How the lines are set; the wrap width is in face pixels (0: a point
    // text). Values out of range are brought into it.
    const CTextLayout& GetLayout() const { return m_layout; }
    void SetLayout(const CTextLayout& layout);
    bool IsWrapped() const { return m_layout.wrapWidth > 0; }
    bool IsOneLine() const { return !IsWrapped() && m_text.find('\n') == std::string::npos; }
    // Makes the text wrap within a box side of `along` face pixels along its
    // lines and fits the box to it (the corner the angle names stays).
    void WrapAt(int along);
    // The block of lines at font height `size` (-1: the current size), with
    // the wrap width `wrap` (-1: the text's own).
    CTextBlock LayoutBlock(int size = -1, int wrap = -1) const;

    // Whether the box holds the glyphs' ink (every text made by this
    // version) or only the cell (texts stored before).
    bool GetFitsInk() const { return m_fitsInk; }
    void SetFitsInk(bool v) { m_fitsInk = v; InvalidateCache(); }
    bool GetSmooth() const { return m_smooth; }
    void SetSmooth(bool v) { m_smooth = v; InvalidateCache(); }

    CFontRequest GetFontRequest(int height) const;
    // The font height the content is drawn at and where the text cell's
    // top-left corner lies in the box (pixels, y down from the box's top-left).
    // Turned text runs from there as the angle says: cell (u, v) lands on
    // (x + u, y + v) at 0, (x + v, y - u) at 900, (x - u, y - v) at 1800 and
    // (x - v, y + u) at 2700.
    void GetCellOrigin(int& size, int& x, int& y) const;

    // The word that opens the optional fields after the first record's
    // fields, and the bits of the first of them.
    static constexpr std::uint32_t kOptionsTag = 0x54584F31u;
    static constexpr std::uint32_t kOptionFitsInk = 1u;
    static constexpr std::uint32_t kOptionSmooth = 2u;
    // Words of the optional fields: the option bits, then (only when the
    // lines are not set as one left-aligned line) alignment, line spacing,
    // letter spacing and wrap width.
    static constexpr std::uint32_t kOptionWordsPlain = 1u;
    static constexpr std::uint32_t kOptionWordsLayout = 5u;

private:
    // The current size, and the size a side holds, as the font engine takes them.
    int CurrentFontHeight() const;
    int FontHeightForSide(long long side) const;
    // The largest font whose lines fit `across` pixels across (spacing included).
    long long LargestSizeWithin(long long across) const;
    // A wrapped text: the wrap width a box side along the lines gives, and
    // the box side across them that the lines then take.
    int WrapForAlong(long long along) const;
    int AcrossForAlong(long long along) const;

    std::string m_text;
    std::uint32_t m_appearance = kTextNormal;
    COLORREF m_colour1 = 0x000000;
    COLORREF m_colour2 = 0x00FFFF;
    bool m_bold = false;
    bool m_italic = false;
    bool m_strikeOut = false;
    bool m_underline = false;
    std::string m_fontFace = "Arial";
    std::uint32_t m_size = 12;
    bool m_fitsInk = true;
    bool m_smooth = false;
    CTextLayout m_layout;
};
