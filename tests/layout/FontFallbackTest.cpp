// The face list of the text dialog: the TrueType families fontconfig knows,
// checked against a plain per-family look-up done here. Fonts that never
// turn into symbols: a family that resolves only to a likeness (a dingbat
// font for "Impact", a script font for "Comic Sans MS") or to a font without
// Latin letters falls back to a sans-serif face with a warning naming both,
// and characters the chosen font lacks are drawn from an installed font that
// has them. The checks open the resolved font files with FreeType themselves.
#include "FaceTestUtil.h"

#include "layout/text/FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cctype>
#include <set>

namespace {

// Whether the font file has every letter A to Z and a to z, and its family.
bool FileHasLatin(const std::string& file, std::string& family)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    bool ok = FT_New_Face(library, file.c_str(), 0, &face) == 0;
    if (ok) {
        family = face->family_name ? face->family_name : "";
        for (char c = 'A'; c <= 'Z' && ok; ++c)
            ok = FT_Get_Char_Index(face, static_cast<FT_ULong>(c)) != 0 &&
                 FT_Get_Char_Index(face, static_cast<FT_ULong>(c + ('a' - 'A'))) != 0;
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return ok;
}

int InkCount(const CTextMask& mask)
{
    int n = 0;
    for (std::uint8_t b : mask.bits)
        n += b;
    return n;
}

bool SomeFontHas(const char* codepoint)
{
    const std::string command = std::string("fc-list ':charset=") + codepoint + "' family 2>/dev/null | grep -q .";
    return std::system(command.c_str()) == 0;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The values of `object` (a family name, a font format) of every installed
// font of `family`, or of every installed font when `family` is empty.
std::set<std::string> FontValues(const std::string& family, const char* object)
{
    std::set<std::string> values;
    FcPattern* p = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* os = FcObjectSetBuild(object, nullptr);
    FcFontSet* set = FcFontList(nullptr, p, os);
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* f = nullptr;
        for (int k = 0; FcPatternGetString(set->fonts[i], object, k, &f) == FcResultMatch; ++k)
            values.insert(reinterpret_cast<const char*>(f));
    }
    if (set)
        FcFontSetDestroy(set);
    FcObjectSetDestroy(os);
    FcPatternDestroy(p);
    return values;
}

}  // namespace

TEST(FontFallback, LikenessesAreNeverUsedAndTheWarningNamesBoth)
{
    CFontEngine& engine = CFontEngine::Get();
    std::vector<std::string> messages;
    engine.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
    for (const char* name : {"Impact", "Comic Sans MS"}) {
        if (engine.IsFaceInstalled(name)) {
            ADD_FAILURE() << name << " is installed here; this test wants it missing";
            continue;
        }
        CFontRequest font;
        font.face = name;
        font.height = 40;
        const std::string file = engine.GetFontFile(font);
        std::string family;
        ASSERT_FALSE(file.empty()) << name;
        EXPECT_TRUE(FileHasLatin(file, family)) << name << " resolved to " << file;
        // The text is drawn: "HI" in a Latin face has ink in both letters.
        CTextMask mask;
        ASSERT_TRUE(engine.RenderText(font, "HI", mask));
        EXPECT_GT(InkCount(mask), 40);
        bool named = false;
        for (const std::string& m : messages)
            named = named || (m.find(std::string("\"") + name + "\"") != std::string::npos &&
                              m.find("\"" + family + "\"") != std::string::npos);
        EXPECT_TRUE(named) << name << ": no warning naming it and " << family;
    }
    engine.SetMessageSink(nullptr);
}

TEST(FontFallback, FontWithoutLatinLettersGivesWayToSansSerif)
{
    CFontEngine& engine = CFontEngine::Get();
    // A dingbat or symbol font chosen by its own name.
    for (const char* name : {"D050000L", "Standard Symbols PS"}) {
        if (!engine.IsFaceInstalled(name))
            continue;
        CFontRequest font;
        font.face = name;
        font.height = 30;
        std::string family;
        EXPECT_TRUE(FileHasLatin(engine.GetFontFile(font), family)) << name;
        bool warned = false;
        for (const std::string& w : engine.GetWarnings())
            warned = warned || (w.find(name) != std::string::npos && w.find("no Latin letters") != std::string::npos);
        EXPECT_TRUE(warned) << name;
        return;
    }
    GTEST_SKIP() << "no symbol font installed";
}

TEST(FontFallback, MissingCharactersComeFromAFontThatHasThem)
{
    CFontEngine& engine = CFontEngine::Get();
    CFontRequest font;  // "Arial": Liberation Sans, which has no Japanese and few symbols
    font.height = 40;
    // Japanese: each character gets its own glyph, not the same empty box.
    if (SomeFontHas("65e5")) {
        CTextMask sun, book, both;
        ASSERT_TRUE(engine.RenderText(font, "\xE6\x97\xA5", sun));   // U+65E5
        ASSERT_TRUE(engine.RenderText(font, "\xE6\x9C\xAC", book));  // U+672C
        EXPECT_TRUE(InkCount(sun) > 30 && InkCount(book) > 30 && sun.bits != book.bits);
        // The string is as wide as its glyphs' advances: about a cell each.
        int w = 0, h = 0;
        ASSERT_TRUE(engine.MeasureText(font, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", w, h));
        EXPECT_GT(w, 2 * 40 * 3 / 4);
    } else {
        ADD_FAILURE() << "no font with Japanese characters installed";
    }
    // Symbols Liberation Sans lacks (a snowman and an airplane).
    if (SomeFontHas("2603") && SomeFontHas("2708")) {
        CTextMask snow, plane;
        ASSERT_TRUE(engine.RenderText(font, "\xE2\x98\x83", snow));
        ASSERT_TRUE(engine.RenderText(font, "\xE2\x9C\x88", plane));
        EXPECT_TRUE(InkCount(snow) > 30 && snow.bits != plane.bits);
    }
}

TEST(FontList, TrueTypeFamiliesSortedUniqueAndOnlyTrueType)
{
    const std::vector<std::string> faces = CFontEngine::Get().ListTrueTypeFaces();
    ASSERT_FALSE(faces.empty());
    // The metric-compatible face behind "Arial" is installed as TrueType.
    EXPECT_NE(std::find(faces.begin(), faces.end(), "Liberation Sans"), faces.end());

    for (std::size_t i = 1; i < faces.size(); ++i) {
        const std::string a = Lower(faces[i - 1]), b = Lower(faces[i]);
        EXPECT_TRUE(a < b || (a == b && faces[i - 1] < faces[i])) << faces[i - 1] << " / " << faces[i];
    }
    for (const std::string& face : faces) {
        EXPECT_FALSE(face.empty());
        EXPECT_TRUE(FontValues(face, FC_FONTFORMAT).count("TrueType")) << face;
    }

    // A family that has no TrueType font at all (CFF or Type 1 only) is left out.
    const std::set<std::string> listed(faces.begin(), faces.end());
    for (const std::string& family : FontValues("", FC_FAMILY))
        EXPECT_FALSE(!FontValues(family, FC_FONTFORMAT).count("TrueType") && listed.count(family)) << family;
}

TEST(FontList, ListedFacesResolveToThemselves)
{
    CFontEngine& engine = CFontEngine::Get();
    for (const std::string& face : engine.ListTrueTypeFaces())
        EXPECT_TRUE(engine.IsFaceInstalled(face)) << face;
}
