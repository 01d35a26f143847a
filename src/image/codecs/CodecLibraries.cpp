#include "image/codecs/CodecLibraries.h"

#include "image/LibrarySymbols.h"

#include <cassert>

namespace {

struct SOpenedPng {
    SPng functions;
    bool loaded = false;

    SOpenedPng()
    {
        void* library = dlopen(VT_PNG_LIBRARY, RTLD_NOW | RTLD_LOCAL);
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
        void* library = dlopen(VT_JPEG_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        loaded = library != nullptr;
#define VT_JPEG_FIND(name) loaded = loaded && FindSymbol(library, "jpeg_" #name, functions.name);
        VT_JPEG_FUNCTIONS(VT_JPEG_FIND)
#undef VT_JPEG_FIND
    }
};

const SOpenedPng& OpenedPng()
{
    static const SOpenedPng opened;
    return opened;
}

const SOpenedJpeg& OpenedJpeg()
{
    static const SOpenedJpeg opened;
    return opened;
}

}  // namespace

bool OpenPng()
{
    return OpenedPng().loaded;
}

bool OpenJpeg()
{
    return OpenedJpeg().loaded;
}

const SPng& Png()
{
    assert(OpenedPng().loaded);
    return OpenedPng().functions;
}

const SJpeg& Jpeg()
{
    assert(OpenedJpeg().loaded);
    return OpenedJpeg().functions;
}
