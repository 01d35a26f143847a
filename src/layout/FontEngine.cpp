#include "layout/FontEngine.h"

#include "layout/TextCodes.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

namespace {

// Face used when a name is empty.
constexpr const char* kDefaultFace = "Arial";

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct ResolvedFont {
    std::string file;
    int index = 0;
    bool synthBold = false;
    bool synthItalic = false;
    bool latin = true;  // has the letters A to Z and a to z
};

// A symbol font may map the letters' codes to its symbols (a dingbat font
// answers 'A' with a glyph named "a10", a Greek symbol font with "Alpha");
// where the font names its glyphs, 'A' and 'a' must be the letters.
bool DrawsLetters(FT_Face face)
{
    if (!FT_HAS_GLYPH_NAMES(face))
        return true;
    for (const auto& [code, name, uni] : {std::tuple{'A', "A", "uni0041"}, std::tuple{'a', "a", "uni0061"}}) {
        char glyph[64] = {};
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
        if (index == 0 || FT_Get_Glyph_Name(face, index, glyph, sizeof glyph) != 0)
            return false;
        if (std::string(glyph) != name && std::string(glyph) != uni)
            return false;
    }
    return true;
}

// Face used when a name resolves to another family or to a font without
// Latin letters, and asked for characters the chosen font lacks.
constexpr const char* kFallbackFace = "sans-serif";

bool HasLetters(const FcCharSet* set)
{
    for (FcChar32 c = 'A'; c <= 'Z'; ++c)
        if (!FcCharSetHasChar(set, c) || !FcCharSetHasChar(set, c + ('a' - 'A')))
            return false;
    return true;
}

}  // namespace

struct CFontEngine::Impl {
    std::mutex mutex;
    FT_Library library = nullptr;
    bool fcReady = false;
    std::map<std::tuple<std::string, bool, bool>, ResolvedFont> resolved;
    std::map<std::pair<std::string, int>, FT_Face> faces;
    std::map<std::string, bool> installed;
    std::set<std::string> warned;
    std::vector<std::string> warnings;
    std::vector<std::string> pending;  // not yet given to the sink
    std::function<void(const std::string&)> sink;
    std::map<std::tuple<std::uint32_t, bool, bool>, ResolvedFont> characterFonts;  // file empty: none

    ~Impl()
    {
        for (auto& [key, face] : faces)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    // The families a name stands for: the name itself and the families
    // fontconfig binds to it strongly (its metric-compatible substitutes,
    // such as Liberation Sans for Arial). The weakly bound ones that follow
    // are mere likenesses (a dingbat font for "Impact", a script font for
    // "Comic Sans MS") and do not count.
    std::vector<std::string> NamedFamilies(const std::string& name)
    {
        std::vector<std::string> out;
        FcPattern* p = FcPatternCreate();
        if (!p)
            return out;
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        FcConfigSubstitute(nullptr, p, FcMatchPattern);
        FcPatternIter it;
        FcPatternIterStart(p, &it);
        if (FcPatternFindIter(p, &it, FC_FAMILY)) {
            const int count = FcPatternIterValueCount(p, &it);
            for (int i = 0; i < count; ++i) {
                FcValue value;
                FcValueBinding binding = FcValueBindingWeak;
                if (FcPatternIterGetValue(p, &it, i, &value, &binding) != FcResultMatch || value.type != FcTypeString)
                    continue;
                if (i > 0 && binding == FcValueBindingWeak)
                    break;
                out.emplace_back(reinterpret_cast<const char*>(value.u.s));
            }
        }
        FcPatternDestroy(p);
        return out;
    }

    // With `character` non-zero the match is asked to cover that character.
    bool Match(const std::string& name, bool bold, bool italic, ResolvedFont& out, std::string& family,
               std::uint32_t character = 0)
    {
        FcPattern* p = FcPatternCreate();
        if (!p)
            return false;
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        if (character) {
            FcCharSet* wanted = FcCharSetCreate();
            if (wanted) {
                FcCharSetAddChar(wanted, character);
                FcPatternAddCharSet(p, FC_CHARSET, wanted);
                FcCharSetDestroy(wanted);
            }
        }
        FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(p, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, p, FcMatchPattern);
        FcDefaultSubstitute(p);
        FcResult result = FcResultNoMatch;
        FcPattern* m = FcFontMatch(nullptr, p, &result);
        FcPatternDestroy(p);
        if (!m)
            return false;
        FcChar8* file = nullptr;
        FcChar8* fam = nullptr;
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        bool ok = FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch;
        if (ok) {
            out.file = reinterpret_cast<const char*>(file);
            FcPatternGetInteger(m, FC_INDEX, 0, &index);
            FcPatternGetInteger(m, FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(m, FC_SLANT, 0, &slant);
            out.index = index;
            out.synthBold = bold && weight < FC_WEIGHT_DEMIBOLD;
            out.synthItalic = italic && slant == FC_SLANT_ROMAN;
            if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch)
                family = reinterpret_cast<const char*>(fam);
            FcCharSet* set = nullptr;
            out.latin = FcPatternGetCharSet(m, FC_CHARSET, 0, &set) != FcResultMatch || HasLetters(set);
            if (character)
                ok = set && FcCharSetHasChar(set, character);
        }
        FcPatternDestroy(m);
        return ok;
    }

    bool IsInstalled(const std::string& name)
    {
        auto it = installed.find(Lower(name));
        if (it != installed.end())
            return it->second;
        ResolvedFont r;
        std::string family;
        bool found = false;
        if (Match(name, false, false, r, family)) {
            for (const std::string& f : NamedFamilies(name))
                if (Lower(f) == Lower(family))
                    found = true;
        }
        installed[Lower(name)] = found;
        return found;
    }

    void Warn(const std::string& name, const std::string& used, bool installed)
    {
        if (!warned.insert(Lower(name)).second)
            return;
        std::string text = "The font \"" + name + "\" " + (installed ? "has no Latin letters" : "is not installed") +
                           "; \"" + used + "\" is used instead.";
        warnings.push_back(text);
        pending.push_back(text);
    }

    const ResolvedFont* Resolve(const CFontRequest& request)
    {
        if (!fcReady)
            fcReady = FcInit() == FcTrue;
        if (!fcReady)
            return nullptr;
        const std::string name = request.face.empty() ? kDefaultFace : request.face;
        const auto key = std::make_tuple(Lower(name), request.bold, request.italic);
        auto it = resolved.find(key);
        if (it != resolved.end())
            return &it->second;
        ResolvedFont r;
        std::string family;
        if (!Match(name, request.bold, request.italic, r, family))
            return nullptr;
        const bool installed = IsInstalled(name);
        if (r.latin) {
            FT_Face face = Face(r);
            r.latin = face && DrawsLetters(face);
        }
        if (!installed || !r.latin) {
            // Whatever fontconfig found as a likeness may be a symbol or
            // script font: a plain sans-serif face shows the text instead.
            ResolvedFont sans;
            std::string sansFamily;
            if (Match(kFallbackFace, request.bold, request.italic, sans, sansFamily) && sans.latin) {
                r = sans;
                family = sansFamily;
            }
            Warn(name, family, installed);
        }
        return &(resolved[key] = r);
    }

    // An installed font that has `code`, for characters the chosen font
    // lacks; null when none has it.
    const ResolvedFont* CharacterFont(std::uint32_t code, bool bold, bool italic)
    {
        const auto key = std::make_tuple(code, bold, italic);
        auto it = characterFonts.find(key);
        if (it == characterFonts.end()) {
            ResolvedFont r;
            std::string family;
            if (!Match(kFallbackFace, bold, italic, r, family, code))
                r = ResolvedFont{};
            it = characterFonts.emplace(key, r).first;
        }
        return it->second.file.empty() ? nullptr : &it->second;
    }

    FT_Face Face(const ResolvedFont& r)
    {
        if (!library && FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            return nullptr;
        }
        const auto key = std::make_pair(r.file, r.index);
        auto it = faces.find(key);
        if (it != faces.end())
            return it->second;
        FT_Face face = nullptr;
        if (FT_New_Face(library, r.file.c_str(), r.index, &face) != 0)
            face = nullptr;
        if (face && !FT_IS_SCALABLE(face)) {
            FT_Done_Face(face);
            face = nullptr;
        }
        faces[key] = face;
        return face;
    }

    struct Metrics {
        int ascent = 0;  // pixels above the baseline in the cell
        double scale = 0;  // pixels per font unit
        int underlineTop = 0, underlineThickness = 1;
        int strikeTop = 0, strikeThickness = 1;
    };

    // Scales the face so that the cell (Windows ascent + descent) is exactly
    // `height` pixels.
    bool SetHeight(FT_Face face, int height, Metrics& m)
    {
        long asc = 0, desc = 0;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            asc = os2->usWinAscent;
            desc = os2->usWinDescent;
        } else {
            asc = face->ascender;
            desc = -face->descender;
        }
        if (asc + desc <= 0) {
            asc = face->units_per_EM;
            desc = 0;
        }
        const long cell = asc + desc;
        const FT_F26Dot6 ppem = static_cast<FT_F26Dot6>(
            std::llround(static_cast<double>(height) * 64.0 * face->units_per_EM / static_cast<double>(cell)));
        if (FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(ppem, 1), 72, 72) != 0)
            return false;
        m.scale = static_cast<double>(height) / static_cast<double>(cell);
        m.ascent = static_cast<int>(std::lround(asc * m.scale));
        // Underline: FreeType gives the centre of the stroke below the baseline.
        m.underlineThickness = std::max(1, static_cast<int>(std::lround(face->underline_thickness * m.scale)));
        const int underlineCentre = static_cast<int>(std::lround(-face->underline_position * m.scale));
        m.underlineTop = m.ascent + underlineCentre - m.underlineThickness / 2;
        if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
            m.strikeThickness = std::max(1, static_cast<int>(std::lround(os2->yStrikeoutSize * m.scale)));
            m.strikeTop = m.ascent - static_cast<int>(std::lround(os2->yStrikeoutPosition * m.scale));
        } else {
            m.strikeThickness = m.underlineThickness;
            m.strikeTop = m.ascent - static_cast<int>(std::lround(asc * m.scale * 0.3));
        }
        return true;
    }

    bool Layout(const CFontRequest& request, const std::string& text, CTextMask* mask, int& width, int& height,
                const CTextClip* clip = nullptr)
    {
        width = height = 0;
        const ResolvedFont* r = Resolve(request);
        if (!r)
            return false;
        FT_Face face = Face(*r);
        if (!face)
            return false;
        const int cellHeight = std::clamp(request.height, 1, kMaxHeight);
        Metrics m;
        if (!SetHeight(face, cellHeight, m))
            return false;

        struct Glyph {
            int x, y, w, h, pitch;
            std::vector<std::uint8_t> rows;
        };
        std::vector<Glyph> glyphs;
        long long pen = 0;
        std::size_t glyphBytes = 0;
        const std::vector<std::uint32_t> codes = DecodeText(text);
        // Advance and control box per glyph, so a long line of repeated
        // characters loads each glyph once; a glyph is rendered only when it
        // can reach the clip.
        struct GlyphInfo {
            bool ok = false;
            int advance = 0;
            FT_BBox box{};
        };
        // A glyph comes from the chosen font, or, for a character it lacks,
        // from an installed font that has it, scaled to the same cell and
        // set on the same baseline.
        struct Source {
            FT_Face face;
            const ResolvedFont* font;
        };
        std::map<std::pair<FT_Face, FT_UInt>, GlyphInfo> infos;
        std::set<FT_Face> sized{face};
        const auto load = [&](const Source& from, FT_UInt index) -> bool {
            if (FT_Load_Glyph(from.face, index, FT_LOAD_TARGET_MONO) != 0)
                return false;
            if (from.font->synthItalic)
                FT_GlyphSlot_Oblique(from.face->glyph);
            if (from.font->synthBold)
                FT_GlyphSlot_Embolden(from.face->glyph);
            return true;
        };
        for (std::uint32_t code : codes) {
            Source from{face, r};
            FT_UInt index = FT_Get_Char_Index(face, code);
            if (index == 0 && code >= 0x20) {
                const ResolvedFont* other = CharacterFont(code, request.bold, request.italic);
                FT_Face otherFace = other ? Face(*other) : nullptr;
                Metrics unused;
                if (otherFace && (sized.count(otherFace) || SetHeight(otherFace, cellHeight, unused))) {
                    sized.insert(otherFace);
                    if (const FT_UInt otherIndex = FT_Get_Char_Index(otherFace, code); otherIndex != 0) {
                        from = Source{otherFace, other};
                        index = otherIndex;
                    }
                }
            }
            auto found = infos.find({from.face, index});
            bool loaded = false;
            if (found == infos.end()) {
                GlyphInfo info;
                info.ok = load(from, index);
                if (info.ok) {
                    info.advance = static_cast<int>((from.face->glyph->advance.x + 32) >> 6);
                    if (from.face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
                        FT_Outline_Get_CBox(&from.face->glyph->outline, &info.box);
                    else
                        info.box = FT_BBox{-(1L << 20), -(1L << 20), 1L << 20, 1L << 20};
                }
                found = infos.emplace(std::make_pair(from.face, index), info).first;
                loaded = info.ok;
            }
            const GlyphInfo& info = found->second;
            if (!info.ok)
                continue;
            bool visible = mask != nullptr;
            if (visible && clip) {
                // Control box in 26.6 pixels, y up from the baseline; two
                // pixels of slack for rounding in the rasteriser.
                const long long gx0 = pen + (info.box.xMin >> 6) - 2, gx1 = pen + ((info.box.xMax + 63) >> 6) + 2;
                const long long gy0 = m.ascent - ((info.box.yMax + 63) >> 6) - 2;
                const long long gy1 = m.ascent - (info.box.yMin >> 6) + 2;
                visible = gx1 > clip->left && gx0 < clip->right && gy1 > clip->top && gy0 < clip->bottom;
            }
            if (visible && !loaded)
                visible = load(from, index);
            FT_GlyphSlot slot = from.face->glyph;
            if (visible && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0 && slot->bitmap.rows > 0 &&
                slot->bitmap.width > 0) {
                Glyph g;
                g.x = static_cast<int>(pen) + slot->bitmap_left;
                g.y = m.ascent - slot->bitmap_top;
                g.w = static_cast<int>(slot->bitmap.width);
                g.h = static_cast<int>(slot->bitmap.rows);
                g.pitch = std::abs(slot->bitmap.pitch);
                g.rows.resize(static_cast<std::size_t>(g.pitch) * g.h);
                for (int row = 0; row < g.h; ++row) {
                    const unsigned char* src =
                        slot->bitmap.pitch >= 0 ? slot->bitmap.buffer + static_cast<std::ptrdiff_t>(row) * g.pitch
                                                : slot->bitmap.buffer + static_cast<std::ptrdiff_t>(g.h - 1 - row) * g.pitch;
                    std::copy(src, src + g.pitch, g.rows.begin() + static_cast<std::ptrdiff_t>(row) * g.pitch);
                }
                glyphBytes += g.rows.size();
                if (glyphBytes > (64u << 20))
                    return false;  // see the mask limit below
                glyphs.push_back(std::move(g));
            }
            pen += info.advance;
            if (pen > (1 << 24))
                break;  // no face is that wide
        }
        width = static_cast<int>(pen);
        height = cellHeight;
        if (!mask)
            return true;

        // Bounds of everything drawn, in cell coordinates.
        int minU = 0, maxU = width, minV = 0, maxV = cellHeight;
        for (const Glyph& g : glyphs) {
            minU = std::min(minU, g.x);
            maxU = std::max(maxU, g.x + g.w);
            minV = std::min(minV, g.y);
            maxV = std::max(maxV, g.y + g.h);
        }
        if (request.underline) {
            minV = std::min(minV, m.underlineTop);
            maxV = std::max(maxV, m.underlineTop + m.underlineThickness);
        }
        if (request.strikeOut) {
            minV = std::min(minV, m.strikeTop);
            maxV = std::max(maxV, m.strikeTop + m.strikeThickness);
        }
        if (clip) {
            minU = std::max(minU, clip->left);
            maxU = std::min(maxU, clip->right);
            minV = std::max(minV, clip->top);
            maxV = std::min(maxV, clip->bottom);
            if (minU >= maxU || minV >= maxV) {
                minU = maxU = minV = maxV = 0;
            }
        }
        // A record may ask for thousands of huge glyphs; such a line is not
        // drawn rather than allowed to claim gigabytes.
        constexpr long long kMaxMaskPixels = 64LL << 20;
        if (static_cast<long long>(maxU - minU) * (maxV - minV) > kMaxMaskPixels)
            return false;
        mask->advance = width;
        mask->cellHeight = cellHeight;
        mask->left = minU;
        mask->top = minV;
        mask->width = maxU - minU;
        mask->height = maxV - minV;
        mask->bits.assign(static_cast<std::size_t>(mask->width) * mask->height, 0);
        const auto set = [&](int u, int v) {
            if (u >= minU && u < maxU && v >= minV && v < maxV)
                mask->bits[static_cast<std::size_t>(v - minV) * mask->width + (u - minU)] = 1;
        };
        for (const Glyph& g : glyphs) {
            // Only the part of the glyph inside the mask is visited.
            const int row0 = std::max(0, minV - g.y), row1 = std::min(g.h, maxV - g.y);
            const int col0 = std::max(0, minU - g.x), col1 = std::min(g.w, maxU - g.x);
            for (int row = row0; row < row1; ++row) {
                const std::uint8_t* src = g.rows.data() + static_cast<std::size_t>(row) * g.pitch;
                for (int col = col0; col < col1; ++col)
                    if (src[col >> 3] & (0x80 >> (col & 7)))
                        set(g.x + col, g.y + row);
            }
        }
        const auto bar = [&](int top, int thickness) {
            for (int v = std::max(top, minV); v < std::min(top + thickness, maxV); ++v)
                for (int u = std::max(0, minU); u < std::min(width, maxU); ++u)
                    set(u, v);
        };
        if (request.underline)
            bar(m.underlineTop, m.underlineThickness);
        if (request.strikeOut)
            bar(m.strikeTop, m.strikeThickness);
        return true;
    }
};

CFontEngine::CFontEngine() : m_impl(std::make_unique<Impl>()) {}
CFontEngine::~CFontEngine() = default;

CFontEngine& CFontEngine::Get()
{
    static CFontEngine engine;
    return engine;
}

// Messages are handed to the sink after the lock is released, so a sink may
// call back into the engine.
namespace {

void Deliver(std::function<void(const std::string&)> sink, std::vector<std::string> messages)
{
    if (sink)
        for (const std::string& m : messages)
            sink(m);
}

}  // namespace

bool CFontEngine::MeasureText(const CFontRequest& font, const std::string& text, int& width, int& height)
{
    std::vector<std::string> messages;
    std::function<void(const std::string&)> sink;
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        ok = m_impl->Layout(font, text, nullptr, width, height);
        messages.swap(m_impl->pending);
        sink = m_impl->sink;
    }
    Deliver(std::move(sink), std::move(messages));
    return ok;
}

bool CFontEngine::RenderText(const CFontRequest& font, const std::string& text, CTextMask& mask,
                             const CTextClip* clip)
{
    std::vector<std::string> messages;
    std::function<void(const std::string&)> sink;
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        int w = 0, h = 0;
        mask = CTextMask{};
        ok = m_impl->Layout(font, text, &mask, w, h, clip);
        messages.swap(m_impl->pending);
        sink = m_impl->sink;
    }
    Deliver(std::move(sink), std::move(messages));
    return ok;
}

void CFontEngine::SetMessageSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->sink = std::move(sink);
}

std::vector<std::string> CFontEngine::GetWarnings() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->warnings;
}

std::string CFontEngine::GetFontFile(const CFontRequest& font)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    const ResolvedFont* r = m_impl->Resolve(font);
    return r ? r->file : std::string();
}

bool CFontEngine::IsFaceInstalled(const std::string& face)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (!m_impl->fcReady)
        m_impl->fcReady = FcInit() == FcTrue;
    return m_impl->fcReady && m_impl->IsInstalled(face.empty() ? kDefaultFace : face);
}

std::vector<std::string> CFontEngine::ListTrueTypeFaces()
{
    std::vector<std::string> faces;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        if (!m_impl->fcReady)
            m_impl->fcReady = FcInit() == FcTrue;
        if (!m_impl->fcReady)
            return faces;
        FcPattern* pattern = FcPatternCreate();
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        if (!pattern || !objects) {
            if (pattern)
                FcPatternDestroy(pattern);
            if (objects)
                FcObjectSetDestroy(objects);
            return faces;
        }
        FcPatternAddString(pattern, FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("TrueType"));
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        if (!set)
            return faces;
        for (int i = 0; i < set->nfont; ++i) {
            // A font may give its family several names (other languages, a
            // style family such as "... Condensed"); the first is the one it
            // is matched by, so that is the name listed.
            FcChar8* family = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family && *family)
                faces.emplace_back(reinterpret_cast<const char*>(family));
        }
        FcFontSetDestroy(set);
    }
    std::sort(faces.begin(), faces.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lower(a), lb = Lower(b);
        return la != lb ? la < lb : a < b;
    });
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    return faces;
}
