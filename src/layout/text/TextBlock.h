#pragma once
// CTextBlock: a text of several lines laid out as one block for the font
// engine. Lines break at line feeds and, with a wrap width, between words
// (a word longer than the width breaks between its characters). Each line
// is placed by the alignment; a justified line that wrapped is stretched to
// the block's width through its spaces, the last line of a paragraph is not.
//
// Block pixels: x to the right from the block's left edge, y down from the
// top of the first line's cell. Line i's cell starts at y = i * pitch, the
// pitch being the font height times the line spacing; the block is as tall
// as the last line's cell reaches and as wide as the wrap width, or the
// widest line without one. A single unwrapped line is exactly what the
// font engine makes of it.

#include "layout/text/FontEngine.h"

#include <cstdint>
#include <string>
#include <vector>

// Alignments of a text's lines.
constexpr std::uint32_t kAlignLeft = 0;
constexpr std::uint32_t kAlignCentre = 1;
constexpr std::uint32_t kAlignRight = 2;
constexpr std::uint32_t kAlignJustified = 3;

// Bounds the layout choices keep to; a record may hold anything.
constexpr std::uint32_t kMinLineSpacing = 50, kMaxLineSpacing = 500;  // percent
constexpr std::int32_t kMinLetterSpacing = -20, kMaxLetterSpacing = 200;  // percent

// How the lines of a text are set, beyond the font.
struct CTextLayout {
    std::uint32_t align = kAlignLeft;
    std::uint32_t lineSpacing = 100;  // percent of the font height, line to line
    std::int32_t letterSpacing = 0;   // percent of the font height between letters
    int wrapWidth = 0;                // pixels; 0: lines break only at line feeds
    bool operator==(const CTextLayout&) const = default;
};

struct CTextLine {
    std::string text;
    int x = 0, y = 0;    // pen start and cell top, block pixels
    int advance = 0;     // measured width, justification included
    int spaceExtra = 0;  // pixels spread over the line's spaces
};

class CTextBlock {
public:
    // Lays `text` out at the request's height. False when no font loads.
    bool Build(const CFontRequest& font, const std::string& text, const CTextLayout& layout);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    const std::vector<CTextLine>& GetLines() const { return m_lines; }
    // Whether a word too long for the wrap width had to break between letters.
    bool BrokeAWord() const { return m_brokeAWord; }
    // The request a line is measured and drawn with.
    CFontRequest LineFont(const CTextLine& line) const;

    // The block as one mask (block pixels in place of cell pixels; advance
    // and cell height are the block's width and height); the clip in block
    // pixels as CFontEngine::RenderText takes it.
    bool Render(CTextMask& mask, const CTextClip* clip = nullptr) const;
    // Where the block puts ink, in block pixels.
    bool MeasureInk(CTextInk& ink) const;

    // Pixels between letters and from line to line at font height `size`.
    static int Tracking(int size, std::int32_t letterSpacing);
    static int Pitch(int size, std::uint32_t lineSpacing);

private:
    // Appends the lines of one paragraph (no line feed in it).
    void BreakParagraph(const std::string& paragraph, int wrap);
    int Measure(const std::string& text) const;

    CFontRequest m_font;
    std::vector<CTextLine> m_lines;
    std::vector<bool> m_endsParagraph;
    int m_width = 0, m_height = 0;
    bool m_brokeAWord = false;
};
