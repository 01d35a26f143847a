#include "image/codecs/CodecLibraries.h"

#include "image/LibrarySymbols.h"

#include <cassert>

namespace {

struct SOpenedPng {
    SPng functions;
    bool loaded = false;

    SOpenedPng()
    {
        void* library = OpenLibrary(VT_PNG_LIBRARY);
        loaded = library != nullptr;
#define VT_PNG_FIND(name) loaded = loaded && FindSymbol(library, "png_" #name, functions.name);
        VT_PNG_FUNCTIONS(VT_PNG_FIND)
#undef VT_PNG_FIND
    }
};

struct SOpenedJpeg {
    SJpeg functions;
    bool loaded = false;

    SOpenedJpeg()
    {
        void* library = OpenLibrary(VT_JPEG_LIBRARY);
        loaded = library != nullptr;
#define VT_JPEG_FIND(name) loaded = loaded && FindSymbol(library, "jpeg_" #name, functions.name);
        VT_JPEG_FUNCTIONS(VT_JPEG_FIND)
#undef VT_JPEG_FIND
    }
};

}  // namespace

bool OpenPng()
{
    return OpenedOnce<SOpenedPng>() != nullptr;
}

bool OpenJpeg()
{
    return OpenedOnce<SOpenedJpeg>() != nullptr;
}

const SPng& Png()
{
    assert(OpenPng());
    return OpenedOnce<SOpenedPng>()->functions;
}

const SJpeg& Jpeg()
{
    assert(OpenJpeg());
    return OpenedOnce<SOpenedJpeg>()->functions;
}
