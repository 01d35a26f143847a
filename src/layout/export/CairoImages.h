#pragma once
// Small cairo helpers the exports share: image surfaces resampled to a size,
// and cairo output streams collected in memory.

#include <cairo.h>

#include <string>

// A new image surface of `width` x `height` pixels (at least 1) holding
// `image` scaled smoothly, edge pixels continued; null when it cannot be had.
// The caller destroys it.
cairo_surface_t* ResampleImage(cairo_surface_t* image, int width, int height);

// A cairo write function appending to the std::string given as `closure`.
cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length);
