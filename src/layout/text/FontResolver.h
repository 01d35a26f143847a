#pragma once
// CFontResolver: turns a requested face name into a font file through
// fontconfig and keeps the FreeType faces it opened. Private to the font
// engine, which serialises every call.
//
// A name counts as installed when fontconfig resolves it to the family itself
// or to a family bound strongly to it (a metric-compatible substitute such as
// Liberation Sans for Arial). A name resolved only to a likeness, or to a font
// without Latin letters, is drawn in the sans-serif face instead, and the
// fallback is recorded once per name as a warning.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

struct CResolvedFont {
    std::string file;
    int index = 0;
    bool synthBold = false;    // the match is lighter than bold: embolden the outlines
    bool synthItalic = false;  // the match is upright: slant the outlines
    bool latin = true;         // has the letters A to Z and a to z
};

class CFontResolver {
public:
    CFontResolver() = default;
    ~CFontResolver();
    CFontResolver(const CFontResolver&) = delete;
    CFontResolver& operator=(const CFontResolver&) = delete;

    // Null when fontconfig cannot start or nothing matches at all.
    const CResolvedFont* Resolve(const std::string& face, bool bold, bool italic);
    // An installed font that has `code`, for characters the chosen font
    // lacks; null when none has it.
    const CResolvedFont* CharacterFont(std::uint32_t code, bool bold, bool italic);
    // The opened face (null when the file does not load or is not scalable).
    FT_Face Face(const CResolvedFont& font);

    bool IsInstalled(const std::string& face);
    std::vector<std::string> ListTrueTypeFaces();

    const std::vector<std::string>& GetWarnings() const { return m_warnings; }
    // Warnings recorded since the last call.
    std::vector<std::string> TakePending();

private:
    bool Start();
    std::vector<std::string> NamedFamilies(const std::string& name);
    bool Match(const std::string& name, bool bold, bool italic, CResolvedFont& out, std::string& family,
               std::uint32_t character = 0);
    bool IsInstalledName(const std::string& name);
    void Warn(const std::string& name, const std::string& used, bool installed);

    bool m_fcReady = false;
    FT_Library m_library = nullptr;
    std::map<std::tuple<std::string, bool, bool>, CResolvedFont> m_resolved;
    std::map<std::pair<std::string, int>, FT_Face> m_faces;
    std::map<std::string, bool> m_installed;
    std::map<std::tuple<std::uint32_t, bool, bool>, CResolvedFont> m_characterFonts;  // file empty: none
    std::set<std::string> m_warned;
    std::vector<std::string> m_warnings;
    std::vector<std::string> m_pending;  // not yet handed out
};
