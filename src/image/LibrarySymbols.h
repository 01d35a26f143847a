#pragma once
// Functions of a library opened at run time with dlopen (one that is loaded
// with its first use rather than linked).

#include <dlfcn.h>

// Looks up `name` in `library` (null: not opened) and sets `function` to it;
// false, the pointer null, when the library or the function is missing.
template <typename F>
bool FindSymbol(void* library, const char* name, F& function)
{
    function = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    return function != nullptr;
}
