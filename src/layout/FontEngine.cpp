#include "layout/FontEngine.h"

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
#include <unordered_map>

namespace {

// Face used when a name is empty.
constexpr const char* kDefaultFace = "Arial";

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// UTF-8 to code points; a byte that does not start a valid sequence is
// taken as a Latin-1 character, so any stored text still shows something.
std::vector<std::uint32_t> DecodeText(const std::string& text)
{
    std::vector<std::uint32_t> out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        std::uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1Fu) : extra == 2 ? (c & 0x0Fu) : (c & 0x07u);
        bool ok = extra >= 0;
        if (ok && extra > 0) {
            if (i + static_cast<std::size_t>(extra) >= n)
                ok = false;
            for (int k = 1; ok && k <= extra; ++k) {
                if ((s[i + k] & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (s[i + k] & 0x3Fu);
            }
            if (ok && ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
                       cp > 0x10FFFF))
                ok = false;
        }
        if (!ok) {
            out.push_back(c);
            ++i;
        } else {
            out.push_back(cp);
            i += static_cast<std::size_t>(extra) + 1;
        }
    }
    return out;
}

struct ResolvedFont {
    std::string file;
    int index = 0;
    bool synthBold = false;
    bool synthItalic = false;
};

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
    std::vector<std::string> defaultFamilies;  // what an unknown name falls back to

    ~Impl()
    {
        for (auto& [key, face] : faces)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    std::vector<std::string> SubstitutedFamilies(const std::string& name)
    {
        std::vector<std::string> out;
        FcPattern* p = FcPatternCreate();
        if (!p)
            return out;
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        FcConfigSubstitute(nullptr, p, FcMatchPattern);
        FcDefaultSubstitute(p);
        FcChar8* s = nullptr;
        for (int i = 0; FcPatternGetString(p, FC_FAMILY, i, &s) == FcResultMatch; ++i)
            out.emplace_back(reinterpret_cast<const char*>(s));
        FcPatternDestroy(p);
        return out;
    }

    // The families fontconfig tries for a name before it reaches the
    // defaults every unknown name gets: the name itself and its aliases.
    std::vector<std::string> SpecificFamilies(const std::string& name)
    {
        if (defaultFamilies.empty()) {
            defaultFamilies = SubstitutedFamilies("vantorel-no-such-face");
            if (!defaultFamilies.empty())
                defaultFamilies.erase(defaultFamilies.begin());
        }
        std::vector<std::string> all = SubstitutedFamilies(name);
        std::size_t end = all.size();
        if (!defaultFamilies.empty()) {
            for (std::size_t i = 1; i < all.size(); ++i) {
                if (all[i] == defaultFamilies.front()) {
                    end = i;
                    break;
                }
            }
        }
        all.resize(end);
        return all;
    }

    bool Match(const std::string& name, bool bold, bool italic, ResolvedFont& out, std::string& family)
    {
        FcPattern* p = FcPatternCreate();
        if (!p)
            return false;
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
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
            for (const std::string& f : SpecificFamilies(name))
                if (Lower(f) == Lower(family))
                    found = true;
        }
        installed[Lower(name)] = found;
        return found;
    }

    void Warn(const std::string& name, const std::string& used)
    {
        if (!warned.insert(Lower(name)).second)
            return;
        std::string text = "The font \"" + name + "\" is not installed; \"" + used + "\" is used instead.";
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
        if (!IsInstalled(name))
            Warn(name, family);
        return &(resolved[key] = r);
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
        std::unordered_map<FT_UInt, GlyphInfo> infos;
        const auto load = [&](FT_UInt index) -> bool {
            if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO) != 0)
                return false;
            if (r->synthItalic)
                FT_GlyphSlot_Oblique(face->glyph);
            if (r->synthBold)
                FT_GlyphSlot_Embolden(face->glyph);
            return true;
        };
        for (std::uint32_t code : codes) {
            const FT_UInt index = FT_Get_Char_Index(face, code);
            auto found = infos.find(index);
            bool loaded = false;
            if (found == infos.end()) {
                GlyphInfo info;
                info.ok = load(index);
                if (info.ok) {
                    info.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
                    if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
                        FT_Outline_Get_CBox(&face->glyph->outline, &info.box);
                    else
                        info.box = FT_BBox{-(1L << 20), -(1L << 20), 1L << 20, 1L << 20};
                }
                found = infos.emplace(index, info).first;
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
                visible = load(index);
            FT_GlyphSlot slot = face->glyph;
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
