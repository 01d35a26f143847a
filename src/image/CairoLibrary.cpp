#include "image/CairoLibrary.h"

#include "image/LibrarySymbols.h"

#include <cassert>
#include <cstdio>

namespace {

struct SOpenedCairo {
    SCairo functions;
    bool loaded = false;
    std::string error;

    SOpenedCairo()
    {
        void* library = OpenLibrary(VT_CAIRO_LIBRARY);
        if (library == nullptr) {
            const char* message = dlerror();
            error = std::string(VT_CAIRO_LIBRARY) + " could not be opened";
            if (message)
                error += std::string(": ") + message;
        }
#define VT_CAIRO_FIND(name)                                                                                         \
    if (library && error.empty() && !FindSymbol(library, "cairo_" #name, functions.name))                            \
        error = std::string(VT_CAIRO_LIBRARY) + " has no cairo_" #name;
        VT_CAIRO_FUNCTIONS(VT_CAIRO_FIND)
#undef VT_CAIRO_FIND
        loaded = error.empty();
        if (!loaded)
            std::fprintf(stderr, "vantorel: %s; drawing with cairo is left out\n", error.c_str());
    }
};

const SOpenedCairo& Opened()
{
    static const SOpenedCairo opened;
    return opened;
}

}  // namespace

const SCairo* OpenCairo(std::string& error)
{
    const SOpenedCairo& opened = Opened();
    if (!opened.loaded)
        error = opened.error;
    return opened.loaded ? &opened.functions : nullptr;
}

const SCairo& Cairo()
{
    const SOpenedCairo& opened = Opened();
    assert(opened.loaded);
    return opened.functions;
}
