#include "layout/export/GlyphFonts.h"

#include "image/CairoLibrary.h"
#include "layout/text/FontLibraries.h"

#include <mutex>
#include <vector>

namespace {

// One FreeType library for the faces handed to cairo. Cairo may keep a face
// in its caches after the last drawing, so the library lives as long as the
// process, and each face is closed by cairo when it lets go of it.
FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library l = nullptr;
        return OpenFontLibraries() && FreeType().Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return library;
}

const cairo_user_data_key_t kFaceKey{};

void CloseFace(void* face) { FreeType().Done_Face(static_cast<FT_Face>(face)); }

}  // namespace

CGlyphFonts::~CGlyphFonts()
{
    for (auto& [key, face] : m_faces)
        Cairo().font_face_destroy(face);
}

cairo_font_face_t* CGlyphFonts::Open(const CPlacedGlyph& glyph)
{
    const auto key = std::make_tuple(glyph.file, glyph.faceIndex, glyph.synthBold, glyph.synthItalic);
    if (auto it = m_faces.find(key); it != m_faces.end())
        return it->second;
    static std::mutex mutex;  // FreeType's library is not shared between threads
    std::lock_guard<std::mutex> lock(mutex);
    FT_Face face = nullptr;
    cairo_font_face_t* font = nullptr;
    if (Library() && FreeType().New_Face(Library(), glyph.file.c_str(), glyph.faceIndex, &face) == 0) {
        font = Cairo().ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
        if (Cairo().font_face_set_user_data(font, &kFaceKey, face, CloseFace) != CAIRO_STATUS_SUCCESS) {
            Cairo().font_face_destroy(font);
            FreeType().Done_Face(face);
            font = nullptr;
        } else {
            unsigned synth = 0;
            if (glyph.synthBold)
                synth |= CAIRO_FT_SYNTHESIZE_BOLD;
            if (glyph.synthItalic)
                synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
            Cairo().ft_font_face_set_synthesize(font, synth);
        }
    }
    m_faces.emplace(key, font);
    return font;
}

void CGlyphFonts::Draw(cairo_t* cr, const CGlyphRun& run, bool show)
{
    std::vector<cairo_glyph_t> glyphs;
    for (std::size_t i = 0; i < run.glyphs.size();) {
        // A stretch of glyphs from one font.
        const CPlacedGlyph& first = run.glyphs[i];
        std::size_t end = i;
        glyphs.clear();
        while (end < run.glyphs.size() && run.glyphs[end].file == first.file &&
               run.glyphs[end].faceIndex == first.faceIndex && run.glyphs[end].synthBold == first.synthBold &&
               run.glyphs[end].synthItalic == first.synthItalic && run.glyphs[end].emPixels == first.emPixels) {
            glyphs.push_back({run.glyphs[end].index, static_cast<double>(run.glyphs[end].pen),
                              static_cast<double>(run.ascent)});
            ++end;
        }
        if (cairo_font_face_t* font = Open(first)) {
            Cairo().set_font_face(cr, font);
            Cairo().set_font_size(cr, first.emPixels);
            if (show)
                Cairo().show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
            else
                Cairo().glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        }
        i = end;
    }
}
