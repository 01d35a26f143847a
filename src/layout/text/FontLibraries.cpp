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
        void* ft = dlopen(VT_FREETYPE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        void* fc = dlopen(VT_FONTCONFIG_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        loaded = ft && fc;
#define VT_FREETYPE_FIND(name) loaded = loaded && FindSymbol(ft, "FT_" #name, freeType.name);
        VT_FREETYPE_FUNCTIONS(VT_FREETYPE_FIND)
#undef VT_FREETYPE_FIND
#define VT_FONTCONFIG_FIND(name) loaded = loaded && FindSymbol(fc, "Fc" #name, fontconfig.name);
        VT_FONTCONFIG_FUNCTIONS(VT_FONTCONFIG_FIND)
#undef VT_FONTCONFIG_FIND
    }
};

const SOpenedFonts& Opened()
{
    static const SOpenedFonts opened;
    return opened;
}

}  // namespace

bool OpenFontLibraries()
{
    return Opened().loaded;
}

const SFreeType& FreeType()
{
    assert(Opened().loaded);
    return Opened().freeType;
}

const SFontconfig& Fontconfig()
{
    assert(Opened().loaded);
    return Opened().fontconfig;
}
