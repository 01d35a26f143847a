#include "image/picture/VectorArt.h"

#include "image/CairoLibrary.h"
#include "image/LibrarySymbols.h"
#include "image/Raster.h"
#include "image/SafeFile.h"

#include <dlfcn.h>
#include <librsvg/rsvg.h>
#include <poppler.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// librsvg and poppler are opened with the first vector picture, not when the
// program starts: with the libraries they bring (about forty) they took
// every run of the command-line program some 18 ms of CPU time to load.
struct SVectorLibraries {
    decltype(&rsvg_handle_new_from_data) svgNew = nullptr;
    decltype(&rsvg_handle_get_intrinsic_size_in_pixels) svgSize = nullptr;
    decltype(&rsvg_handle_get_geometry_for_layer) svgGeometry = nullptr;
    decltype(&rsvg_handle_render_document) svgRender = nullptr;
    decltype(&poppler_document_new_from_bytes) pdfNew = nullptr;
    decltype(&poppler_document_get_n_pages) pdfPages = nullptr;
    decltype(&poppler_document_get_page) pdfPage = nullptr;
    decltype(&poppler_page_get_size) pdfSize = nullptr;
    decltype(&poppler_page_render_for_printing) pdfRender = nullptr;
    decltype(&g_bytes_new_static) bytesNew = nullptr;
    decltype(&g_bytes_unref) bytesUnref = nullptr;
    decltype(&g_error_free) errorFree = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;
    bool loaded = false;

    SVectorLibraries()
    {
        void* svg = OpenLibrary(VT_RSVG_LIBRARY);
        void* pdf = OpenLibrary(VT_POPPLER_GLIB_LIBRARY);
        loaded = FindSymbol(svg, "rsvg_handle_new_from_data", svgNew) &&
                 FindSymbol(svg, "rsvg_handle_get_intrinsic_size_in_pixels", svgSize) &&
                 FindSymbol(svg, "rsvg_handle_get_geometry_for_layer", svgGeometry) &&
                 FindSymbol(svg, "rsvg_handle_render_document", svgRender) &&
                 FindSymbol(pdf, "poppler_document_new_from_bytes", pdfNew) &&
                 FindSymbol(pdf, "poppler_document_get_n_pages", pdfPages) &&
                 FindSymbol(pdf, "poppler_document_get_page", pdfPage) && FindSymbol(pdf, "poppler_page_get_size", pdfSize) &&
                 FindSymbol(pdf, "poppler_page_render_for_printing", pdfRender) &&
                 FindSymbol(pdf, "g_bytes_new_static", bytesNew) && FindSymbol(pdf, "g_bytes_unref", bytesUnref) &&
                 FindSymbol(pdf, "g_error_free", errorFree) && FindSymbol(pdf, "g_object_unref", objectUnref);
    }
};

// The libraries, opened on the first call; null when they cannot be.
const SVectorLibraries* VectorLibraries()
{
    return OpenedOnce<SVectorLibraries>();
}

} // namespace

bool CVectorArt::IsVectorFile(const std::uint8_t* data, std::size_t size)
{
    if (size >= 5 && std::memcmp(data, "%PDF-", 5) == 0)
        return true;
    // An SVG file opens with "<svg", or with XML (a declaration, comments, a
    // doctype) that names an svg element within its first kilobyte.
    const std::string head(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 1024));
    const std::size_t first = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (first == std::string::npos || head[first] != '<')
        return false;
    return head.compare(first, 4, "<svg") == 0 ||
           (head.compare(first, 5, "<?xml") == 0 && head.find("<svg") != std::string::npos);
}

bool CVectorArt::IsVectorFileName(const std::string& fileName)
{
    std::string error;
    std::FILE* file = OpenStreamForReading(fileName, error);
    if (!file)
        return false;
    std::uint8_t head[1024];
    const std::size_t n = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return IsVectorFile(head, n);
}

std::shared_ptr<const CVectorArt> CVectorArt::Create(std::vector<std::uint8_t> bytes, EVectorKind kind, int page,
                                                     std::string& error)
{
    if (bytes.empty() || bytes.size() > kMaxBytes) {
        error = "the file is empty or too large";
        return nullptr;
    }
    if (OpenCairo(error) == nullptr)
        return nullptr;
    const SVectorLibraries* lib = VectorLibraries();
    if (lib == nullptr) {
        error = std::string("SVG and PDF pictures cannot be read: ") + VT_RSVG_LIBRARY + " or " +
                VT_POPPLER_GLIB_LIBRARY + " is missing";
        return nullptr;
    }
    std::shared_ptr<CVectorArt> art(new CVectorArt);
    art->m_bytes = std::move(bytes);
    art->m_kind = kind;
    art->m_page = kind == EVectorKind::Pdf ? page : 1;
    GError* gerror = nullptr;
    if (kind == EVectorKind::Svg) {
        RsvgHandle* handle = lib->svgNew(art->m_bytes.data(), art->m_bytes.size(), &gerror);
        art->m_svg = handle;
        gdouble w = 0, h = 0;
        if (handle && !lib->svgSize(handle, &w, &h)) {
            // No absolute size: the view box gives the proportions.
            RsvgRectangle ink{}, logical{};
            if (lib->svgGeometry(handle, nullptr, nullptr, &ink, &logical, nullptr))
                w = logical.width, h = logical.height;
        }
        art->m_width = w, art->m_height = h;
    } else {
        GBytes* data = lib->bytesNew(art->m_bytes.data(), art->m_bytes.size());
        PopplerDocument* document = lib->pdfNew(data, nullptr, &gerror);
        lib->bytesUnref(data);
        art->m_document = document;
        const int pages = document ? lib->pdfPages(document) : 0;
        art->m_pageCount = std::max(1, pages);
        if (document && (page < 1 || page > pages)) {
            error = "the PDF file has no page " + std::to_string(page) + " (it has " + std::to_string(pages) + ")";
            return nullptr;
        }
        if (document) {
            PopplerPage* p = lib->pdfPage(document, page - 1);
            art->m_pdfPage = p;
            if (p)
                lib->pdfSize(p, &art->m_width, &art->m_height);
        }
    }
    if (gerror) {
        error = gerror->message ? gerror->message : "the file could not be read";
        lib->errorFree(gerror);
    }
    if ((!art->m_svg && !art->m_pdfPage) || !(art->m_width > 0.5) || !(art->m_height > 0.5) ||
        art->m_width > 1e6 || art->m_height > 1e6) {
        if (error.empty())
            error = "the file has no drawing of a usable size";
        return nullptr;
    }
    return art;
}

std::shared_ptr<const CVectorArt> CVectorArt::FromFile(const std::string& fileName, int page, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadRegularFile(fileName, kMaxBytes, bytes, error))
        return nullptr;
    if (!IsVectorFile(bytes.data(), bytes.size())) {
        error = "it is not an SVG or PDF file";
        return nullptr;
    }
    const EVectorKind kind = bytes.size() >= 5 && std::memcmp(bytes.data(), "%PDF-", 5) == 0 ? EVectorKind::Pdf
                                                                                             : EVectorKind::Svg;
    return Create(std::move(bytes), kind, page, error);
}

CVectorArt::~CVectorArt()
{
    const SVectorLibraries* lib = VectorLibraries(); // loaded, since the artwork was made
    if (lib == nullptr)
        return;
    for (void* object : {m_pdfPage, m_document, m_svg})
        if (object)
            lib->objectUnref(object);
}

void CVectorArt::Draw(cairo_t* cr, double width, double height) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Cairo().save(cr);
    if (m_svg) {
        // The drawing at its own size, stretched over the box.
        Cairo().scale(cr, width / m_width, height / m_height);
        const RsvgRectangle own{0, 0, m_width, m_height};
        VectorLibraries()->svgRender(static_cast<RsvgHandle*>(m_svg), cr, &own, nullptr);
    } else if (m_pdfPage) {
        Cairo().scale(cr, width / m_width, height / m_height);
        VectorLibraries()->pdfRender(static_cast<PopplerPage*>(m_pdfPage), cr);
    }
    Cairo().restore(cr);
}

std::unique_ptr<CRaster> CVectorArt::Rasterise(int width, int height) const
{
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxPixels)
        return nullptr;
    cairo_surface_t* surface = Cairo().image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (Cairo().surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        Cairo().surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cr = Cairo().create(surface);
    Draw(cr, width, height);
    Cairo().destroy(cr);
    Cairo().surface_flush(surface);
    auto picture = std::make_unique<CRaster>();
    if (picture->Create(width, height, 24) == nullptr || !picture->AlphaCreate()) {
        Cairo().surface_destroy(surface);
        return nullptr;
    }
    const unsigned char* data = Cairo().image_surface_get_data(surface);
    const int stride = Cairo().image_surface_get_stride(surface);
    std::uint8_t* alpha = picture->AlphaGetPointer();
    for (int r = 0; r < height; ++r) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(r) * stride);
        const int y = height - 1 - r;  // picture rows are bottom-up
        std::uint8_t* out = picture->GetBits(y);
        for (int c = 0; c < width; ++c) {
            const std::uint32_t p = row[c], a = p >> 24;
            // Premultiplied samples back to colours; clear pixels are white.
            const auto channel = [&](int shift) {
                const std::uint32_t v = (p >> shift) & 0xFF;
                return static_cast<std::uint8_t>(a == 0 ? 255 : std::min<std::uint32_t>(255, (v * 255 + a / 2) / a));
            };
            out[3 * c] = channel(0), out[3 * c + 1] = channel(8), out[3 * c + 2] = channel(16);
            alpha[static_cast<std::size_t>(y) * width + c] = static_cast<std::uint8_t>(a);
        }
    }
    Cairo().surface_destroy(surface);
    return picture;
}
