// The face list of the text dialog: the TrueType families fontconfig knows,
// checked against a plain per-family look-up done here.
#include "FaceTestUtil.h"

#include "layout/text/FontEngine.h"

#include <fontconfig/fontconfig.h>

#include <cctype>
#include <set>

namespace {

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
