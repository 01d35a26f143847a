#pragma once
// CBarcodePlan: a retail symbol laid out in modules, read left to right with
// its bars hanging from the top, and drawn turned by the object's angle.
//
// Along the symbol the plan holds the quiet zones too, so the white around
// the bars belongs to the object's box and a symbol on dark artwork still
// scans. Across it, the bars take the box's thickness less a zone of
// kTextModules at the bottom that holds the human-readable characters;
// guard bars reach kGuardModules into that zone.
//
// The module m (pixels) is the largest whole number for which the plan fits
// both along (GetAlongModules() * m) and across (GetAcrossModules() * m);
// the symbol is centred along the box, and its bars grow with a thicker box.

#include "layout/face/ContentBitmap.h"

#include <string>
#include <vector>

struct CBarcodeBar {
    int start = 0;   // modules from the box's starting edge (quiet zone included)
    int width = 0;   // modules
    bool guard = false;  // reaches into the text zone
};

// Characters centred under the modules [start, end).
struct CBarcodeText {
    std::string text;
    int start = 0;
    int end = 0;
    bool small = false;  // drawn smaller (the outer digits of UPC-A)
};

class CBarcodePlan {
public:
    static constexpr int kTextModules = 10;   // text zone below the bars
    static constexpr int kGuardModules = 5;   // how far guard bars reach into it
    static constexpr int kGapModules = 1;     // between the bars and the characters' tops
    static constexpr int kDigitModules = 7;   // height of a digit's ink
    static constexpr int kSmallDigitModules = 5;

    // Appends elements at the cursor: '1' a dark module, '0' a light one.
    void AddModules(const std::string& pattern, bool guard);
    // Appends bar and space widths alternating from a bar, e.g. "211214".
    void AddWidths(const std::string& widths);
    void AddQuietZone(int modules) { m_cursor += modules; }
    void AddText(const std::string& text, int start, int end, bool small = false);
    void SetBarModules(int modules) { m_barModules = modules; }

    int GetCursor() const { return m_cursor; }
    int GetAlongModules() const { return m_cursor; }
    int GetAcrossModules() const { return m_barModules + kTextModules; }
    int GetBarModules() const { return m_barModules; }
    const std::vector<CBarcodeBar>& GetBars() const { return m_bars; }
    const std::vector<CBarcodeText>& GetTexts() const { return m_texts; }

    // Natural size: the plan at a module of 1 pixel, turned by the angle.
    void GetNaturalSize(int angle, int& width, int& height) const;
    // Module (pixels) the plan gets in a box of this size; 0 when too small.
    int GetModule(int angle, int width, int height) const;

    // Draws black bars and characters into the rectangle (device pixels, y
    // down, right and bottom exclusive), which the caller has made white.
    void Draw(CContentBitmap& bitmap, int angle, int left, int top, int right, int bottom) const;

private:
    int m_cursor = 0;
    int m_barModules = 0;
    std::vector<CBarcodeBar> m_bars;
    std::vector<CBarcodeText> m_texts;
};
