#pragma once
// FreeType and fontconfig, opened with the first text rather than linked:
// loaded at start with what they bring (expat, brotli) they cost every run
// of the command-line program about 1 ms of CPU time, though most shots
// draw no text. Callers reach the functions through the tables below:
// OpenFontLibraries at the door (CFontResolver::Start, the print
// artwork's glyph faces), FreeType() and Fontconfig() behind it.

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

// The functions the program calls, one row each, named without their
// "FT_" or "Fc" prefix (FT_Done_Face(face) becomes FreeType().Done_Face(face)).
#define VT_FREETYPE_FUNCTIONS(X)                                                                                   \
    X(Done_Face) X(Done_FreeType) X(Get_Char_Index) X(Get_Glyph_Name) X(Get_Sfnt_Table) X(GlyphSlot_Embolden)      \
    X(GlyphSlot_Oblique) X(Init_FreeType) X(Load_Glyph) X(New_Face) X(Outline_Get_BBox) X(Outline_Get_CBox)        \
    X(Render_Glyph) X(Set_Char_Size)
#define VT_FONTCONFIG_FUNCTIONS(X)                                                                                 \
    X(CharSetAddChar) X(CharSetCreate) X(CharSetDestroy) X(CharSetHasChar) X(ConfigSubstitute) X(DefaultSubstitute) \
    X(FontList) X(FontMatch) X(FontSetDestroy) X(Init) X(ObjectSetBuild) X(ObjectSetDestroy) X(PatternAddBool)     \
    X(PatternAddCharSet) X(PatternAddInteger) X(PatternAddString) X(PatternCreate) X(PatternDestroy)               \
    X(PatternFindIter) X(PatternGetCharSet) X(PatternGetInteger) X(PatternGetString) X(PatternIterGetValue)       \
    X(PatternIterStart) X(PatternIterValueCount)

struct SFreeType {
#define VT_FREETYPE_MEMBER(name) decltype(&::FT_##name) name = nullptr;
    VT_FREETYPE_FUNCTIONS(VT_FREETYPE_MEMBER)
#undef VT_FREETYPE_MEMBER
};

struct SFontconfig {
#define VT_FONTCONFIG_MEMBER(name) decltype(&::Fc##name) name = nullptr;
    VT_FONTCONFIG_FUNCTIONS(VT_FONTCONFIG_MEMBER)
#undef VT_FONTCONFIG_MEMBER
};

// Whether both libraries are open with all their functions found, opening
// them on the first call (from any thread); without them text is not drawn,
// as when fontconfig cannot start.
bool OpenFontLibraries();
// The functions, once OpenFontLibraries has found them.
const SFreeType& FreeType();
const SFontconfig& Fontconfig();
