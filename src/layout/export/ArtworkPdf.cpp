#include "layout/export/ArtworkPdf.h"

#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/CairoLibrary.h"
#include "image/Raster.h"
#include "image/SafeFile.h"
#include "image/picture/VectorArt.h"
#include "catalogue/product/SideAppearance.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/text/DrawText.h"
#include "layout/shapes/StyledShape.h"
#include "layout/export/CairoFacePainter.h"
#include "layout/export/CairoImages.h"
#include "layout/export/DielineLayer.h"
#include "layout/export/GlyphFonts.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

struct SSurfaceDeleter {
    void operator()(cairo_surface_t* s) const { Cairo().surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SSurfaceDeleter>;

SurfacePtr NewImage(cairo_format_t format, int width, int height)
{
    SurfacePtr image(Cairo().image_surface_create(format, width, height));
    if (Cairo().surface_status(image.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    Cairo().surface_flush(image.get());
    return image;
}

// The picture as an image surface (rows top-down), grown by `grow` pixels on
// the left, top, right and bottom, the grown pixels repeating the nearest
// edge pixel (the appearance continued past the cut). Pixels of colour `key`
// become clear when `keyed`; an alpha plane is kept.
SurfacePtr RasterToImage(const CRaster& raster, const int grow[4], bool keyed, COLORREF key)
{
    const int w = raster.GetWidth(), h = raster.GetHeight();
    const std::uint8_t* alpha = raster.AlphaGetPointer();
    const bool clear = keyed || alpha;
    SurfacePtr image = NewImage(clear ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w + grow[0] + grow[2],
                                h + grow[1] + grow[3]);
    if (!image || w <= 0 || h <= 0)
        return nullptr;
    unsigned char* data = Cairo().image_surface_get_data(image.get());
    const int stride = Cairo().image_surface_get_stride(image.get());
    const int iw = Cairo().image_surface_get_width(image.get()), ih = Cairo().image_surface_get_height(image.get());
    for (int r = 0; r < ih; ++r) {
        const int sy = h - 1 - std::clamp(r - grow[1], 0, h - 1);  // picture rows are bottom-up
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(r) * stride);
        for (int c = 0; c < iw; ++c) {
            const int sx = std::clamp(c - grow[0], 0, w - 1);
            const RGBQUAD q = raster.GetPixelColor(sx, sy);
            std::uint32_t a = alpha ? alpha[static_cast<std::size_t>(sy) * w + sx] : 255;
            if (keyed && RGB(q.rgbRed, q.rgbGreen, q.rgbBlue) == (key & 0xFFFFFFu))
                a = 0;
            row[c] = (a << 24) | (q.rgbRed * a / 255 << 16) | (q.rgbGreen * a / 255 << 8) | (q.rgbBlue * a / 255);
        }
    }
    Cairo().surface_mark_dirty(image.get());
    return image;
}

// Paints the image over the rectangle (user units) at its own pixel size, or
// resampled to `dpi` when one is given; `scale` is user units per mm.
void PaintImage(cairo_t* cr, SurfacePtr image, double x, double y, double width, double height, double mmPerUnit,
                int dpi)
{
    if (!image)
        return;
    if (dpi > 0) {
        const auto pixels = [&](double units) {
            return static_cast<int>(std::lround(std::min(units * mmPerUnit / 25.4 * dpi, 30000.0)));
        };
        if (SurfacePtr resampled{ResampleImage(image.get(), pixels(width), pixels(height))})
            image = std::move(resampled);
    }
    const int iw = Cairo().image_surface_get_width(image.get()), ih = Cairo().image_surface_get_height(image.get());
    Cairo().save(cr);
    Cairo().rectangle(cr, x, y, width, height);
    Cairo().clip(cr);
    Cairo().translate(cr, x, y);
    Cairo().scale(cr, width / iw, height / ih);
    Cairo().set_source_surface(cr, image.get(), 0, 0);
    Cairo().paint(cr);
    Cairo().restore(cr);
}

// A text object as glyph outlines over the pixels its content would take.
void PaintText(cairo_t* cr, CGlyphFonts& fonts, const CDrawText& text, int faceHeight)
{
    int size = 0, x = 0, y = 0;
    text.GetCellOrigin(size, x, y);
    if (text.GetString().empty())
        return;
    // Each line of the block as its own run, placed where the block sets it.
    struct PlacedRun {
        CGlyphRun run;
        int x, y;
    };
    std::vector<PlacedRun> runs;
    const CTextBlock block = text.LayoutBlock(size);
    for (const CTextLine& line : block.GetLines()) {
        PlacedRun placed{CGlyphRun{}, line.x, line.y};
        if (CFontEngine::Get().LayoutGlyphs(block.LineFont(line), line.text, placed.run))
            runs.push_back(std::move(placed));
    }
    if (runs.empty())
        return;
    const double left = text.GetMinX(), top = faceHeight - 1 - text.GetMaxY();
    Cairo().save(cr);
    Cairo().rectangle(cr, left, top, text.GetWidth(), text.GetHeight());
    Cairo().clip(cr);
    // Cell (u, v) to box pixels for the quarter turns (see GetCellOrigin).
    double xx = 1, yx = 0, xy = 0, yy = 1;
    switch (text.GetAngle()) {
    case 900: xx = 0, yx = -1, xy = 1, yy = 0; break;
    case 1800: xx = -1, yy = -1; break;
    case 2700: xx = 0, yx = 1, xy = -1, yy = 0; break;
    default: break;
    }
    const auto stamp = [&](int dx, int dy, COLORREF colour, bool outline) {
        Cairo().save(cr);
        cairo_matrix_t m;
        Cairo().matrix_init(&m, xx, yx, xy, yy, left + x + dx, top + y + dy);
        Cairo().transform(cr, &m);
        CCairoFacePainter::SetColour(cr, colour);
        for (const PlacedRun& placed : runs) {
            Cairo().save(cr);
            Cairo().translate(cr, placed.x, placed.y);
            for (const CGlyphRun::Bar& bar : placed.run.bars)
                Cairo().rectangle(cr, 0, bar.top, placed.run.advance, bar.thickness);
            if (outline) {
                fonts.AddGlyphPaths(cr, placed.run);
                Cairo().set_line_width(cr, 2);
                Cairo().stroke(cr);
            } else {
                Cairo().fill(cr);
                fonts.ShowGlyphs(cr, placed.run);
            }
            Cairo().restore(cr);
        }
        Cairo().restore(cr);
    };
    static constexpr int kLight[5][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {1, -1}};
    static constexpr int kDark[3][2] = {{0, 1}, {1, 0}, {1, 1}};
    static constexpr int kRing[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    switch (text.GetAppearance()) {
    case kTextBordered:
        for (const auto& d : kRing)
            stamp(d[0], d[1], text.GetColour2(), false);
        break;
    case kTextExtrude:
    case kTextIndent: {
        const bool extrude = text.GetAppearance() == kTextExtrude;
        for (const auto& d : kLight)
            stamp(d[0], d[1], extrude ? 0xFFFFFF : 0x000000, false);
        for (const auto& d : kDark)
            stamp(d[0], d[1], extrude ? 0x000000 : 0xFFFFFF, false);
        break;
    }
    default: break;
    }
    // An outline text is its glyphs' edge, one pixel on each side of it.
    stamp(0, 0, text.GetColour1(), text.GetAppearance() == kTextOutline);
    Cairo().restore(cr);
}

// A picture object from its own pixels, stretched over its box.
void PaintPicture(cairo_t* cr, const CDrawPicture& picture, int faceHeight, double mmPerUnit, int dpi)
{
    if (const std::shared_ptr<const CVectorArt>& art = picture.GetVectorArt()) {
        // Artwork stays vector: drawn upright, then turned into the box.
        const double w = picture.GetWidth(), h = picture.GetHeight();
        const double x = picture.GetMinX(), y = faceHeight - 1 - picture.GetMaxY();
        const int q = picture.GetAngle() / 900;
        Cairo().save(cr);
        Cairo().rectangle(cr, x, y, w, h);
        Cairo().clip(cr);
        cairo_matrix_t m;
        switch (q) {
        case 1: Cairo().matrix_init(&m, 0, -1, 1, 0, x, y + h); break;
        case 2: Cairo().matrix_init(&m, -1, 0, 0, -1, x + w, y + h); break;
        case 3: Cairo().matrix_init(&m, 0, 1, -1, 0, x + w, y); break;
        default: Cairo().matrix_init(&m, 1, 0, 0, 1, x, y); break;
        }
        Cairo().transform(cr, &m);
        art->Draw(cr, q % 2 ? h : w, q % 2 ? w : h);
        Cairo().restore(cr);
        return;
    }
    const std::shared_ptr<const CRaster>& image = picture.GetCurrentImage();
    if (!image || !image->IsValid())
        return;
    const int none[4] = {0, 0, 0, 0};
    PaintImage(cr, RasterToImage(*image, none, picture.IsTransparent(), picture.GetTransparentColour()),
               picture.GetMinX(), faceHeight - 1 - picture.GetMaxY(), picture.GetWidth(), picture.GetHeight(),
               mmPerUnit, dpi);
}

// One face: its appearance with the bleed, then its objects, clipped to the
// face grown by the bleed. User space on entry: millimetres of the net.
void PaintPanel(cairo_t* cr, CGlyphFonts& fonts, const SDielinePanel& panel, const CSide& side,
                const CFaceObjects* objects, const SArtworkOptions& options)
{
    const CRaster& picture = *side.GetPicture();
    const int w = picture.GetWidth(), h = picture.GetHeight();
    const double sx = panel.trim.width / w, sy = panel.trim.height / h;  // mm per face pixel
    const SDielineRect outer = panel.WithBleed(options.bleed);
    Cairo().save(cr);
    Cairo().rectangle(cr, outer.x, outer.y, outer.width, outer.height);
    Cairo().clip(cr);
    Cairo().translate(cr, panel.trim.x, panel.trim.y);
    Cairo().scale(cr, sx, sy);
    // Face pixels the bleed reaches on each side: left, top, right, bottom.
    const double bleedMm[4] = {panel.trim.x - outer.x, panel.trim.y - outer.y,
                               outer.x + outer.width - panel.trim.x - panel.trim.width,
                               outer.y + outer.height - panel.trim.y - panel.trim.height};
    const int grow[4] = {static_cast<int>(std::ceil(bleedMm[0] / sx)), static_cast<int>(std::ceil(bleedMm[1] / sy)),
                         static_cast<int>(std::ceil(bleedMm[2] / sx)), static_cast<int>(std::ceil(bleedMm[3] / sy))};
    PaintImage(cr, RasterToImage(picture, grow, false, 0), -grow[0], -grow[1], w + grow[0] + grow[2],
               h + grow[1] + grow[3], sx, options.dpi);
    // A picture drawn from artwork is printed from the artwork itself, over
    // the pixels that carry it into the bleed.
    if (SArtPlacement art; GetSideArtPlacement(side, art)) {
        Cairo().save(cr);
        Cairo().translate(cr, art.x, art.y);
        side.GetPictureArt()->Draw(cr, art.width, art.height);
        Cairo().restore(cr);
    }
    if (const auto* list = dynamic_cast<const CDrawObjectList*>(objects)) {
        CCairoFacePainter painter(cr, w, h);
        for (std::size_t i = 0; i < list->GetObjectCount(); ++i) {
            const CDrawObject* o = list->GetObject(i);
            if (o->IsHidden())
                continue;  // as in the face picture
            const auto* text = dynamic_cast<const CDrawText*>(o);
            const auto* pic = dynamic_cast<const CDrawPicture*>(o);
            if (!text && !pic && !o->HasPlainLook()) {
                TraceStyledShape(cr, *o, h - 1);  // smooth at any size, as on the face
                continue;
            }
            if (!text && !pic) {
                // Plain shapes carry their opacity in what they paint.
                const CDrawPoint a = painter.FaceToWindow({o->GetMinX(), o->GetMaxY()});
                const CDrawPoint b = painter.FaceToWindow({o->GetMaxX(), o->GetMinY()});
                o->Paint(painter, a.x, a.y, b.x, b.y);
                continue;
            }
            // Text and pictures stay vector; a see-through one is laid down
            // whole, then faded.
            const bool faded = o->GetOpacity() < 100;
            if (faded)
                Cairo().push_group(cr);
            if (text)
                PaintText(cr, fonts, *text, h);
            else
                PaintPicture(cr, *pic, h, sx, options.dpi);
            if (faded) {
                Cairo().pop_group_to_source(cr);
                Cairo().paint_with_alpha(cr, o->GetOpacity() / 100.0);
            }
        }
    }
    Cairo().restore(cr);
}

// The marks in the margin: crop marks at the trim box's corners and a mark
// in line with each fold, from 2 mm beyond the bleed to 1 mm inside the
// page edge. Millimetres of the net.
std::vector<SDielineLine> MarkLines(const CDielineNet& net, const SArtworkOptions& options)
{
    const double near = options.bleed + 2, far = options.bleed + CArtworkPdf::kMarksMargin - 1;
    const double w = net.GetWidth(), h = net.GetHeight();
    std::vector<SDielineLine> lines;
    const auto vertical = [&](double x) {
        lines.push_back({x, -near, x, -far});
        lines.push_back({x, h + near, x, h + far});
    };
    const auto horizontal = [&](double y) {
        lines.push_back({-near, y, -far, y});
        lines.push_back({w + near, y, w + far, y});
    };
    vertical(0), vertical(w), horizontal(0), horizontal(h);
    for (const SDielineLine& f : net.FoldLines()) {
        if (f.x1 == f.x2)
            vertical(f.x1);
        else
            horizontal(f.y1);
    }
    return lines;
}

}  // namespace

CDielineNet CArtworkPdf::MakeNet(const CProduct& product)
{
    const auto& s = product.GetSettings();
    const double depth = product.HasDepth() ? s.GetReal(ModelKey(173)) : 0.0;
    const std::string letters = std::string(product.GetSideLetters()) + (HasBackFace(product) ? kBackFaceKey : "");
    return CDielineNet::Create(s.GetReal(ModelKey(171)), s.GetReal(ModelKey(172)), depth, letters);
}

void CArtworkPdf::GetPageSize(const CDielineNet& net, const SArtworkOptions& options, double& width, double& height)
{
    const double margin = options.bleed + (options.marks ? kMarksMargin : 0.0);
    width = net.GetWidth() + 2 * margin;
    height = net.GetHeight() + 2 * margin;
}

bool CArtworkPdf::Write(const CProduct& product, const ObjectLookup& objects, const SArtworkOptions& options,
                        const std::string& path, std::string& error)
{
    if (!(options.bleed >= 0 && options.bleed <= kMaxBleed) ||
        (options.dpi != 0 && (options.dpi < kMinDpi || options.dpi > kMaxDpi))) {
        error = "the bleed or the resolution is out of range";
        return false;
    }
    if (OpenCairo(error) == nullptr)
        return false;
    const CDielineNet net = MakeNet(product);
    if (net.GetWidth() <= 0 || net.GetHeight() <= 0 || net.GetWidth() > 10000 || net.GetHeight() > 10000) {
        error = "the product has no faces to print at a printable size";
        return false;
    }
    double pageWidth = 0, pageHeight = 0;
    GetPageSize(net, options, pageWidth, pageHeight);
    const double origin = (pageWidth - net.GetWidth()) / 2;  // the trim box's corner, mm from the page's

    std::string pdf;
    cairo_surface_t* surface = Cairo().pdf_surface_create_for_stream(AppendToString, &pdf, pageWidth * kPointsPerMm,
                                                                     pageHeight * kPointsPerMm);
    Cairo().pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, "Artwork");
    Cairo().pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Vantorel");
    cairo_t* cr = Cairo().create(surface);
    {
        CGlyphFonts fonts;
        Cairo().scale(cr, kPointsPerMm, kPointsPerMm);
        Cairo().translate(cr, origin, origin);
        for (const SDielinePanel& panel : net.GetPanels()) {
            const CSide* side = product.FindSidePtr(std::string(1, panel.face));
            const CRaster* picture = side ? side->GetPicture() : nullptr;
            if (picture && picture->IsValid() && picture->GetWidth() > 0 && picture->GetHeight() > 0)
                PaintPanel(cr, fonts, panel, *side, objects ? objects(std::string(1, panel.face)) : nullptr,
                           options);
        }
        Cairo().destroy(cr);
        Cairo().surface_finish(surface);
    }
    const cairo_status_t status = Cairo().surface_status(surface);
    Cairo().surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = std::string("the artwork could not be drawn (") + Cairo().status_to_string(status) + ")";
        return false;
    }

    // The lines in PDF points, y up from the page's bottom-left corner.
    const auto toPage = [&](const std::vector<SDielineLine>& lines) {
        std::vector<SDielineLine> out;
        for (const SDielineLine& l : lines)
            out.push_back({(origin + l.x1) * kPointsPerMm, (pageHeight - origin - l.y1) * kPointsPerMm,
                           (origin + l.x2) * kPointsPerMm, (pageHeight - origin - l.y2) * kPointsPerMm});
        return out;
    };
    SDielineStrokes strokes;
    strokes.cut = toPage(net.CutLines());
    strokes.fold = toPage(net.FoldLines());
    if (options.marks)
        strokes.marks = toPage(MarkLines(net, options));
    if (!CDielineLayer::AddTo(pdf, strokes, error))
        return false;
    return WriteFileAtomically(path, pdf.data(), pdf.size(), error);
}
