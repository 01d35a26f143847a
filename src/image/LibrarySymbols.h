#pragma once
// Functions of a library opened at run time with dlopen (one that is loaded
// with its first use rather than linked).

#include <dlfcn.h>

// Opens a library by its installed name for its callers alone (its symbols
// are not offered to libraries opened after it); null when it cannot be.
inline void* OpenLibrary(const char* installedName)
{
    return dlopen(installedName, RTLD_NOW | RTLD_LOCAL);
}

// The one table T of a library's functions, made on the first call (from
// any thread), whose constructor opens the library and finds them, setting
// `loaded`; null when the library or one of its functions is missing.
template <typename T>
const T* OpenedOnce()
{
    static const T table;
    return table.loaded ? &table : nullptr;
}

// Looks up `name` in `library` (null: not opened) and sets `function` to it;
// false, the pointer null, when the library or the function is missing.
template <typename F>
bool FindSymbol(void* library, const char* name, F& function)
{
    function = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    return function != nullptr;
}
