#include "layout/text/FontLibraries.h"

#include "image/LibrarySymbols.h"

#include <cassert>

namespace {

struct SOpenedFonts {
    SFreeType freeType;
    SFontconfig fontconfig;
    bool loaded = false;

    SOpenedFonts()
    {
        void* ft = OpenLibrary(VT_FREETYPE_LIBRARY);
        void* fc = OpenLibrary(VT_FONTCONFIG_LIBRARY);
        loaded = ft && fc;
#define VT_FREETYPE_FIND(name) loaded = loaded && FindSymbol(ft, "FT_" #name, freeType.name);
        VT_FREETYPE_FUNCTIONS(VT_FREETYPE_FIND)
#undef VT_FREETYPE_FIND
#define VT_FONTCONFIG_FIND(name) loaded = loaded && FindSymbol(fc, "Fc" #name, fontconfig.name);
        VT_FONTCONFIG_FUNCTIONS(VT_FONTCONFIG_FIND)
#undef VT_FONTCONFIG_FIND
    }
};

}  // namespace

bool OpenFontLibraries()
{
    return OpenedOnce<SOpenedFonts>() != nullptr;
}

const SFreeType& FreeType()
{
    assert(OpenFontLibraries());
    return OpenedOnce<SOpenedFonts>()->freeType;
}

const SFontconfig& Fontconfig()
{
    assert(OpenFontLibraries());
    return OpenedOnce<SOpenedFonts>()->fontconfig;
}
