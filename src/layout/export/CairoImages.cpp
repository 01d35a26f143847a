#include "layout/export/CairoImages.h"

#include "image/CairoLibrary.h"

#include <algorithm>

cairo_surface_t* ResampleImage(cairo_surface_t* image, int width, int height)
{
    width = std::max(1, width), height = std::max(1, height);
    cairo_surface_t* out = Cairo().image_surface_create(Cairo().image_surface_get_format(image), width, height);
    if (Cairo().surface_status(out) != CAIRO_STATUS_SUCCESS) {
        Cairo().surface_destroy(out);
        return nullptr;
    }
    cairo_t* cr = Cairo().create(out);
    Cairo().scale(cr, static_cast<double>(width) / Cairo().image_surface_get_width(image),
                static_cast<double>(height) / Cairo().image_surface_get_height(image));
    Cairo().set_source_surface(cr, image, 0, 0);
    Cairo().pattern_set_filter(Cairo().get_source(cr), CAIRO_FILTER_GOOD);
    Cairo().pattern_set_extend(Cairo().get_source(cr), CAIRO_EXTEND_PAD);
    Cairo().set_operator(cr, CAIRO_OPERATOR_SOURCE);
    Cairo().paint(cr);
    Cairo().destroy(cr);
    return out;
}

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}
