#include "layout/text/FontResolver.h"

#include "layout/text/FontLibraries.h"

#include <algorithm>
#include <cctype>

namespace {

// Face used when a name is empty.
constexpr const char* kDefaultFace = "Arial";

// Face used when a name resolves to another family or to a font without
// Latin letters, and asked for characters the chosen font lacks.
constexpr const char* kFallbackFace = "sans-serif";

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A symbol font may map the letters' codes to its symbols (a dingbat font
// answers 'A' with a glyph named "a10", a Greek symbol font with "Alpha");
// where the font names its glyphs, 'A' and 'a' must be the letters.
bool DrawsLetters(FT_Face face)
{
    if (!FT_HAS_GLYPH_NAMES(face))
        return true;
    for (const auto& [code, name, uni] : {std::tuple{'A', "A", "uni0041"}, std::tuple{'a', "a", "uni0061"}}) {
        char glyph[64] = {};
        const FT_UInt index = FreeType().Get_Char_Index(face, static_cast<FT_ULong>(code));
        if (index == 0 || FreeType().Get_Glyph_Name(face, index, glyph, sizeof glyph) != 0)
            return false;
        if (std::string(glyph) != name && std::string(glyph) != uni)
            return false;
    }
    return true;
}

bool HasLetters(const FcCharSet* set)
{
    for (FcChar32 c = 'A'; c <= 'Z'; ++c)
        if (!Fontconfig().CharSetHasChar(set, c) || !Fontconfig().CharSetHasChar(set, c + ('a' - 'A')))
            return false;
    return true;
}

}  // namespace

CFontResolver::~CFontResolver()
{
    for (auto& [key, face] : m_faces)
        if (face)
            FreeType().Done_Face(face);
    if (m_library)
        FreeType().Done_FreeType(m_library);
}

bool CFontResolver::Start()
{
    if (!m_fcReady)
        m_fcReady = OpenFontLibraries() && Fontconfig().Init() == FcTrue;
    return m_fcReady;
}

std::vector<std::string> CFontResolver::TakePending()
{
    std::vector<std::string> out;
    out.swap(m_pending);
    return out;
}

// The families a name stands for: the name itself and the families
// fontconfig binds to it strongly (its metric-compatible substitutes, such as
// Liberation Sans for Arial). The weakly bound ones that follow are mere
// likenesses (a dingbat font for "Impact", a script font for "Comic Sans MS")
// and do not count.
std::vector<std::string> CFontResolver::NamedFamilies(const std::string& name)
{
    std::vector<std::string> out;
    FcPattern* p = Fontconfig().PatternCreate();
    if (!p)
        return out;
    Fontconfig().PatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    Fontconfig().ConfigSubstitute(nullptr, p, FcMatchPattern);
    FcPatternIter it;
    Fontconfig().PatternIterStart(p, &it);
    if (Fontconfig().PatternFindIter(p, &it, FC_FAMILY)) {
        const int count = Fontconfig().PatternIterValueCount(p, &it);
        for (int i = 0; i < count; ++i) {
            FcValue value;
            FcValueBinding binding = FcValueBindingWeak;
            if (Fontconfig().PatternIterGetValue(p, &it, i, &value, &binding) != FcResultMatch ||
                value.type != FcTypeString)
                continue;
            if (i > 0 && binding == FcValueBindingWeak)
                break;
            out.emplace_back(reinterpret_cast<const char*>(value.u.s));
        }
    }
    Fontconfig().PatternDestroy(p);
    return out;
}

// With `character` non-zero the match is asked to cover that character.
bool CFontResolver::Match(const std::string& name, bool bold, bool italic, CResolvedFont& out, std::string& family,
                          std::uint32_t character)
{
    FcPattern* p = Fontconfig().PatternCreate();
    if (!p)
        return false;
    Fontconfig().PatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    if (character) {
        FcCharSet* wanted = Fontconfig().CharSetCreate();
        if (wanted) {
            Fontconfig().CharSetAddChar(wanted, character);
            Fontconfig().PatternAddCharSet(p, FC_CHARSET, wanted);
            Fontconfig().CharSetDestroy(wanted);
        }
    }
    Fontconfig().PatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    Fontconfig().PatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    Fontconfig().PatternAddBool(p, FC_SCALABLE, FcTrue);
    Fontconfig().ConfigSubstitute(nullptr, p, FcMatchPattern);
    Fontconfig().DefaultSubstitute(p);
    FcResult result = FcResultNoMatch;
    FcPattern* m = Fontconfig().FontMatch(nullptr, p, &result);
    Fontconfig().PatternDestroy(p);
    if (!m)
        return false;
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    bool ok = Fontconfig().PatternGetString(m, FC_FILE, 0, &file) == FcResultMatch;
    if (ok) {
        out.file = reinterpret_cast<const char*>(file);
        Fontconfig().PatternGetInteger(m, FC_INDEX, 0, &index);
        Fontconfig().PatternGetInteger(m, FC_WEIGHT, 0, &weight);
        Fontconfig().PatternGetInteger(m, FC_SLANT, 0, &slant);
        out.index = index;
        out.synthBold = bold && weight < FC_WEIGHT_DEMIBOLD;
        out.synthItalic = italic && slant == FC_SLANT_ROMAN;
        if (Fontconfig().PatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch)
            family = reinterpret_cast<const char*>(fam);
        FcCharSet* set = nullptr;
        out.latin = Fontconfig().PatternGetCharSet(m, FC_CHARSET, 0, &set) != FcResultMatch || HasLetters(set);
        if (character)
            ok = set && Fontconfig().CharSetHasChar(set, character);
    }
    Fontconfig().PatternDestroy(m);
    return ok;
}

bool CFontResolver::IsInstalledName(const std::string& name)
{
    auto it = m_installed.find(Lower(name));
    if (it != m_installed.end())
        return it->second;
    CResolvedFont r;
    std::string family;
    bool found = false;
    if (Match(name, false, false, r, family)) {
        for (const std::string& f : NamedFamilies(name))
            if (Lower(f) == Lower(family))
                found = true;
    }
    m_installed[Lower(name)] = found;
    return found;
}

bool CFontResolver::IsInstalled(const std::string& face)
{
    return Start() && IsInstalledName(face.empty() ? kDefaultFace : face);
}

void CFontResolver::Warn(const std::string& name, const std::string& used, bool installed)
{
    if (!m_warned.insert(Lower(name)).second)
        return;
    std::string text = "The font \"" + name + "\" " + (installed ? "has no Latin letters" : "is not installed") +
                       "; \"" + used + "\" is used instead.";
    m_warnings.push_back(text);
    m_pending.push_back(text);
}

const CResolvedFont* CFontResolver::Resolve(const std::string& face, bool bold, bool italic)
{
    if (!Start())
        return nullptr;
    const std::string name = face.empty() ? kDefaultFace : face;
    const auto key = std::make_tuple(Lower(name), bold, italic);
    auto it = m_resolved.find(key);
    if (it != m_resolved.end())
        return &it->second;
    CResolvedFont r;
    std::string family;
    if (!Match(name, bold, italic, r, family))
        return nullptr;
    const bool installed = IsInstalledName(name);
    if (r.latin) {
        FT_Face opened = Face(r);
        r.latin = opened && DrawsLetters(opened);
    }
    if (!installed || !r.latin) {
        // Whatever fontconfig found as a likeness may be a symbol or script
        // font: a plain sans-serif face shows the text instead.
        CResolvedFont sans;
        std::string sansFamily;
        if (Match(kFallbackFace, bold, italic, sans, sansFamily) && sans.latin) {
            r = sans;
            family = sansFamily;
        }
        Warn(name, family, installed);
    }
    return &(m_resolved[key] = r);
}

const CResolvedFont* CFontResolver::CharacterFont(std::uint32_t code, bool bold, bool italic)
{
    if (!Start())
        return nullptr;
    const auto key = std::make_tuple(code, bold, italic);
    auto it = m_characterFonts.find(key);
    if (it == m_characterFonts.end()) {
        CResolvedFont r;
        std::string family;
        if (!Match(kFallbackFace, bold, italic, r, family, code))
            r = CResolvedFont{};
        it = m_characterFonts.emplace(key, r).first;
    }
    return it->second.file.empty() ? nullptr : &it->second;
}

FT_Face CFontResolver::Face(const CResolvedFont& font)
{
    if (!m_library && (!Start() || FreeType().Init_FreeType(&m_library) != 0)) {
        m_library = nullptr;
        return nullptr;
    }
    const auto key = std::make_pair(font.file, font.index);
    auto it = m_faces.find(key);
    if (it != m_faces.end())
        return it->second;
    FT_Face face = nullptr;
    if (FreeType().New_Face(m_library, font.file.c_str(), font.index, &face) != 0)
        face = nullptr;
    if (face && !FT_IS_SCALABLE(face)) {
        FreeType().Done_Face(face);
        face = nullptr;
    }
    m_faces[key] = face;
    return face;
}

std::vector<std::string> CFontResolver::ListTrueTypeFaces()
{
    std::vector<std::string> faces;
    if (!Start())
        return faces;
    FcPattern* pattern = Fontconfig().PatternCreate();
    FcObjectSet* objects = Fontconfig().ObjectSetBuild(FC_FAMILY, nullptr);
    if (!pattern || !objects) {
        if (pattern)
            Fontconfig().PatternDestroy(pattern);
        if (objects)
            Fontconfig().ObjectSetDestroy(objects);
        return faces;
    }
    Fontconfig().PatternAddString(pattern, FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("TrueType"));
    FcFontSet* set = Fontconfig().FontList(nullptr, pattern, objects);
    Fontconfig().ObjectSetDestroy(objects);
    Fontconfig().PatternDestroy(pattern);
    if (!set)
        return faces;
    for (int i = 0; i < set->nfont; ++i) {
        // A font may give its family several names (other languages, a style
        // family such as "... Condensed"); the first is the one it is matched
        // by, so that is the name listed.
        FcChar8* family = nullptr;
        if (Fontconfig().PatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family && *family)
            faces.emplace_back(reinterpret_cast<const char*>(family));
    }
    Fontconfig().FontSetDestroy(set);
    std::sort(faces.begin(), faces.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lower(a), lb = Lower(b);
        return la != lb ? la < lb : a < b;
    });
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    return faces;
}
