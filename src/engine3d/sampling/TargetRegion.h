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
