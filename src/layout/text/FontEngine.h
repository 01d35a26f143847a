#pragma once
// CFontEngine: finds fonts through fontconfig and measures and rasterises
// one line of text with FreeType, the way text objects need it.
//
// Sizes are cell heights in pixels: the font is scaled so that its ascent
// plus descent (the Windows ascent and descent of the OS/2 table when the
// font has one) is exactly the requested height. Glyphs are rendered as
// one-bit masks, so text drawn over a key colour leaves no blended fringe;
// a smooth request renders the same outlines (hinted the same way, so the
// advances and the layout do not change) as 8-bit coverage instead.
//
// A face name that fontconfig cannot resolve to the font itself or to a
// metric-compatible substitute falls back to the default face; the fallback
// is reported once per name through the message sink and kept in the
// warning list. Used on one thread at a time (calls are serialised).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct CFontRequest {
    std::string face = "Arial";
    int height = 12;  // cell height in pixels
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool smooth = false;  // 8-bit coverage instead of a one-bit mask
    int tracking = 0;     // pixels added between neighbouring glyphs (may be negative)
    int spaceExtra = 0;   // pixels spread over the line's spaces (justified lines)
};

// A rendered line of text. Cell coordinates: u to the right from the text
// origin, v down from the top of the cell; the cell is advance x height.
// The mask may reach outside the cell (italic overhang, accents).
struct CTextMask {
    int advance = 0;      // sum of the glyph advances (the measured width)
    int cellHeight = 0;   // the font height
    int left = 0;         // cell u of mask column 0 (<= 0)
    int top = 0;          // cell v of mask row 0 (<= 0)
    int width = 0;        // mask columns
    int height = 0;       // mask rows
    bool smooth = false;  // bits hold coverage 0..255 rather than 0 / 1
    std::vector<std::uint8_t> bits;  // width * height; 0 = no ink
    bool Ink(int column, int row) const { return bits[static_cast<std::size_t>(row) * width + column] != 0; }
    // How much of the pixel the ink covers, 0 .. 255 (a one-bit mask gives 0 or 255).
    int Coverage(int column, int row) const
    {
        const int b = bits[static_cast<std::size_t>(row) * width + column];
        return smooth ? b : b * 255;
    }
};

// Where a line of text puts ink, in the cell coordinates of CTextMask; right
// and bottom exclusive. Empty (all 0, `any` false) for a line without ink.
struct CTextInk {
    int advance = 0;
    int cellHeight = 0;
    bool any = false;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// A line laid out as glyphs for vector output: each glyph's font file, its
// index in that font and its pen position (cell pixels from the origin, the
// same hinted advances the masks use), with the bars the style adds.
struct CPlacedGlyph {
    std::string file;
    int faceIndex = 0;
    bool synthBold = false, synthItalic = false;
    double emPixels = 0;  // the font's em in cell pixels
    unsigned index = 0;
    int pen = 0;
};
struct CGlyphRun {
    int advance = 0;
    int cellHeight = 0;
    int ascent = 0;  // baseline, cell pixels down from the top
    std::vector<CPlacedGlyph> glyphs;
    struct Bar {
        int top = 0, thickness = 0;  // cell pixels
    };
    std::vector<Bar> bars;  // underline, strike-out
};

struct CTextClip {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class CFontEngine {
public:
    // Heights are clamped to 1 .. kMaxHeight (a record may ask for anything).
    static constexpr int kMaxHeight = 4096;

    static CFontEngine& Get();

    // Measured extent of `text` (UTF-8): the sum of advances and the cell
    // height. False when no font can be loaded at all (then 0 x 0).
    bool MeasureText(const CFontRequest& font, const std::string& text, int& width, int& height);
    // The bounds of the pixels the line inks when rendered (glyphs, underline
    // and strike-out bars), which may reach outside the cell: italic
    // overhang, accents, descenders below the font's cell.
    // (Exact up to 512-pixel cells; above that from the outlines, never
    // smaller than the ink.)
    bool MeasureInk(const CFontRequest& font, const std::string& text, CTextInk& ink);
    // Renders the line; with a clip (cell coordinates, right and bottom
    // exclusive) only glyphs reaching it are rendered and the mask covers
    // no more than the clip, so a huge line costs only what is shown.
    bool RenderText(const CFontRequest& font, const std::string& text, CTextMask& mask,
                    const CTextClip* clip = nullptr);

    // The glyphs of the line with their positions, for drawing it as outlines.
    bool LayoutGlyphs(const CFontRequest& font, const std::string& text, CGlyphRun& run);

    // Receives each fallback message once.
    void SetMessageSink(std::function<void(const std::string&)> sink);
    std::vector<std::string> GetWarnings() const;
    // Path of the font file a request resolves to (empty when none).
    std::string GetFontFile(const CFontRequest& font);
    // True when the face name resolves to itself or a metric-compatible font.
    bool IsFaceInstalled(const std::string& face);
    // Family names of the installed TrueType fonts (fontconfig font format
    // "TrueType"; CFF and Type 1 faces are left out), each by the first
    // family name its font gives (the name it is matched by), sorted without
    // regard to case and without repeats.
    // Empty when fontconfig cannot start.
    std::vector<std::string> ListTrueTypeFaces();

    ~CFontEngine();

private:
    CFontEngine();
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
