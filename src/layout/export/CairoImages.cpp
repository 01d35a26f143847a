#include "layout/export/CairoImages.h"

#include <algorithm>

cairo_surface_t* ResampleImage(cairo_surface_t* image, int width, int height)
{
    width = std::max(1, width), height = std::max(1, height);
    cairo_surface_t* out = cairo_image_surface_create(cairo_image_surface_get_format(image), width, height);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(out);
        return nullptr;
    }
    cairo_t* cr = cairo_create(out);
    cairo_scale(cr, static_cast<double>(width) / cairo_image_surface_get_width(image),
                static_cast<double>(height) / cairo_image_surface_get_height(image));
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return out;
}

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}
