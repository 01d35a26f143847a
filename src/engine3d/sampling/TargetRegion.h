#pragma once
// A region of a source file whose functions are compiled for the processor
// features named (VT_TARGET_BEGIN("avx2") ... VT_TARGET_END), whatever the
// build's own flags; the callers choose them at run time with
// __builtin_cpu_supports. The region does not nest.

#define VT_TARGET_PRAGMA(text) _Pragma(#text)
#if defined(__clang__)
#define VT_TARGET_BEGIN(features) \
    VT_TARGET_PRAGMA(clang attribute push(__attribute__((target(features))), apply_to = function))
#define VT_TARGET_END VT_TARGET_PRAGMA(clang attribute pop)
#else
#define VT_TARGET_BEGIN(features) VT_TARGET_PRAGMA(GCC push_options) VT_TARGET_PRAGMA(GCC target(features))
#define VT_TARGET_END VT_TARGET_PRAGMA(GCC pop_options)
#endif

// Around AVX-512 code: GCC 12 takes the undefined start value that the
// intrinsics pass to their all-lanes forms for a read of an uninitialised
// variable, and warns. (Clang has no -Wmaybe-uninitialized.)
#if defined(__clang__)
#define VT_UNDEFINED_START_BEGIN \
    VT_TARGET_PRAGMA(clang diagnostic push) VT_TARGET_PRAGMA(clang diagnostic ignored "-Wuninitialized")
#define VT_UNDEFINED_START_END VT_TARGET_PRAGMA(clang diagnostic pop)
#else
#define VT_UNDEFINED_START_BEGIN                                                                   \
    VT_TARGET_PRAGMA(GCC diagnostic push) VT_TARGET_PRAGMA(GCC diagnostic ignored "-Wuninitialized") \
        VT_TARGET_PRAGMA(GCC diagnostic ignored "-Wmaybe-uninitialized")
#define VT_UNDEFINED_START_END VT_TARGET_PRAGMA(GCC diagnostic pop)
#endif
