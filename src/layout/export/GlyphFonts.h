#pragma once
// CGlyphFonts: the font files of laid-out text lines opened for cairo, so
// that a line is drawn as the outlines of its own glyphs (and a PDF embeds
// the subset of each font it uses). Faces are opened once per file, index
// and synthetic style; the synthetic bold and slant of the font engine are
// asked of cairo in the same way.

#include "layout/text/FontEngine.h"

#include <map>
#include <string>
#include <tuple>

typedef struct _cairo cairo_t;
typedef struct _cairo_font_face cairo_font_face_t;

class CGlyphFonts {
public:
    CGlyphFonts() = default;
    ~CGlyphFonts();
    CGlyphFonts(const CGlyphFonts&) = delete;
    CGlyphFonts& operator=(const CGlyphFonts&) = delete;

    // Adds the outlines of the run's glyphs to the current path, in cell
    // pixels (the origin the cell's top-left corner, the baseline at the
    // run's ascent). Glyphs whose font cannot be opened are left out.
    void AddGlyphPaths(cairo_t* cr, const CGlyphRun& run) { Draw(cr, run, false); }
    // Draws the glyphs in the current source as text (a PDF keeps them as
    // text in the embedded fonts).
    void ShowGlyphs(cairo_t* cr, const CGlyphRun& run) { Draw(cr, run, true); }

private:
    void Draw(cairo_t* cr, const CGlyphRun& run, bool show);
    cairo_font_face_t* Open(const CPlacedGlyph& glyph);

    std::map<std::tuple<std::string, int, bool, bool>, cairo_font_face_t*> m_faces;
};
