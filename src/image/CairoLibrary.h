#pragma once
// cairo, opened with its first use rather than linked: loaded at start with
// the libraries it brings (pixman, the X client libraries and more) it cost
// every run of the command-line program some 4 ms of CPU time, though only
// styled shapes, vector pictures and the print and 3D exports draw with it.
// Callers reach the functions through the table below: OpenCairo at the
// door of each of those, Cairo() for the calls behind it.

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>

#include <string>

// The cairo functions the program calls, one row each, named without their
// "cairo_" prefix (a call cairo_save(cr) becomes Cairo().save(cr)).
#define VT_CAIRO_FUNCTIONS(X)                                                                                      \
    X(arc) X(clip) X(close_path) X(create) X(destroy) X(fill) X(fill_preserve) X(font_face_destroy)                 \
    X(font_face_set_user_data) X(ft_font_face_create_for_ft_face) X(ft_font_face_set_synthesize) X(get_source)      \
    X(glyph_path) X(image_surface_create) X(image_surface_get_data) X(image_surface_get_format)                      \
    X(image_surface_get_height) X(image_surface_get_stride) X(image_surface_get_width) X(line_to) X(matrix_init)    \
    X(move_to) X(new_path) X(new_sub_path) X(paint) X(paint_with_alpha) X(pattern_set_extend) X(pattern_set_filter) \
    X(pdf_surface_create_for_stream) X(pdf_surface_set_metadata) X(pop_group_to_source) X(push_group) X(rectangle)  \
    X(restore) X(save) X(scale) X(set_dash) X(set_fill_rule) X(set_font_face) X(set_font_size) X(set_line_cap)     \
    X(set_line_join) X(set_line_width) X(set_operator) X(set_source_rgb) X(set_source_surface) X(show_glyphs)       \
    X(status_to_string) X(stroke) X(stroke_preserve) X(surface_destroy) X(surface_finish) X(surface_flush)          \
    X(surface_mark_dirty) X(surface_status) X(surface_write_to_png_stream) X(transform) X(translate)

struct SCairo {
#define VT_CAIRO_MEMBER(name) decltype(&::cairo_##name) name = nullptr;
    VT_CAIRO_FUNCTIONS(VT_CAIRO_MEMBER)
#undef VT_CAIRO_MEMBER
};

// The functions, the library opened on the first call (from any thread);
// null when it cannot be opened or lacks one of them, with `error` saying
// which. The first failure is also told once on the standard error stream,
// for the drawings that have no error to return (a styled shape is then
// left out of its face).
const SCairo* OpenCairo(std::string& error);
// The functions, once OpenCairo has found them.
const SCairo& Cairo();
