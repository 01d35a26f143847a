#pragma once
// Private to the image library: libpng and libjpeg, opened with the first
// picture read or written through them rather than linked. A render writes
// its PNG file with its own coder and reads neither kind, yet loading both
// cost every run of the command-line program some 0.3 ms of CPU time.
// Callers reach the functions through the tables below: OpenPng and
// OpenJpeg at the door of each decoder and encoder, Png() and Jpeg() behind
// it. The libraries' macros that call functions are spelt out where used
// (png_jmpbuf is png_set_longjmp_fn; jpeg_create_decompress is
// jpeg_CreateDecompress with the library's version and the struct's size).

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

// The functions the codecs call, one row each, named without their "png_"
// or "jpeg_" prefix (png_read_info(png, info) becomes Png().read_info(png, info)).
#define VT_PNG_FUNCTIONS(X)                                                                                        \
    X(create_info_struct) X(create_read_struct) X(create_write_struct) X(destroy_read_struct)                     \
    X(destroy_write_struct) X(error) X(get_IHDR) X(get_PLTE) X(get_channels) X(get_error_ptr) X(get_iCCP)          \
    X(get_io_ptr) X(get_pHYs) X(get_rowbytes) X(get_tRNS) X(longjmp) X(read_end) X(read_image) X(read_info)        \
    X(read_update_info) X(set_IHDR) X(set_PLTE) X(set_bgr) X(set_chunk_cache_max) X(set_chunk_malloc_max)          \
    X(set_crc_action) X(set_gray_to_rgb) X(set_interlace_handling) X(set_keep_unknown_chunks) X(set_longjmp_fn)    \
    X(set_option) X(set_pHYs) X(set_packing) X(set_read_fn) X(set_sRGB_gAMA_and_cHRM) X(set_scale_16)            \
    X(set_tRNS) X(set_user_limits) X(set_write_fn) X(write_end) X(write_image) X(write_info) X(write_row)
#define VT_JPEG_FUNCTIONS(X)                                                                                       \
    X(CreateCompress) X(CreateDecompress) X(calc_output_dimensions) X(destroy_compress) X(destroy_decompress)      \
    X(finish_compress) X(finish_decompress) X(read_header) X(read_scanlines) X(resync_to_restart) X(save_markers)  \
    X(set_defaults) X(set_quality) X(start_compress) X(start_decompress) X(std_error) X(write_icc_profile)         \
    X(write_scanlines)

struct SPng {
#define VT_PNG_MEMBER(name) decltype(&::png_##name) name = nullptr;
    VT_PNG_FUNCTIONS(VT_PNG_MEMBER)
#undef VT_PNG_MEMBER
};

struct SJpeg {
#define VT_JPEG_MEMBER(name) decltype(&::jpeg_##name) name = nullptr;
    VT_JPEG_FUNCTIONS(VT_JPEG_MEMBER)
#undef VT_JPEG_MEMBER
};

// Whether the library is open with all its functions found, opening it on
// the first call (from any thread).
bool OpenPng();
bool OpenJpeg();
// The functions, once the Open call above has found them.
const SPng& Png();
const SJpeg& Jpeg();
