#include "layout/export/ProductGlb.h"

#include "catalogue/product/Product.h"
#include "engine3d/model/ModelBuilder.h"
#include "engine3d/model/ModelDescription.h"
#include "image/CairoLibrary.h"
#include "image/Raster.h"
#include "image/SafeFile.h"
#include "properties/settings/SettingTable.h"
#include "layout/export/CairoImages.h"
#include "layout/export/GlbWriter.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr COLORREF kDiscClear = 0xFEFEFE;  // the CD-ROM picture's colour outside the disc

// The picture as PNG, scaled down (never up) to at most `limit` pixels on
// its longer side; pixels of colour `clear` become transparent when asked.
std::string PictureToPng(const CRaster& picture, int limit, bool cutClear)
{
    const int w = picture.GetWidth(), h = picture.GetHeight();
    cairo_surface_t* full = Cairo().image_surface_create(cutClear ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h);
    std::string png;
    if (Cairo().surface_status(full) == CAIRO_STATUS_SUCCESS) {
        Cairo().surface_flush(full);
        unsigned char* data = Cairo().image_surface_get_data(full);
        const int stride = Cairo().image_surface_get_stride(full);
        for (int r = 0; r < h; ++r) {
            auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(r) * stride);
            for (int c = 0; c < w; ++c) {
                const RGBQUAD q = picture.GetPixelColor(c, h - 1 - r);  // picture rows are bottom-up
                const bool clear = cutClear && RGB(q.rgbRed, q.rgbGreen, q.rgbBlue) == kDiscClear;
                row[c] = clear ? 0u : 0xFF000000u | (q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue;
            }
        }
        Cairo().surface_mark_dirty(full);
        const double scale = std::min(1.0, static_cast<double>(limit) / std::max(w, h));
        const int tw = std::max(1, static_cast<int>(std::lround(w * scale)));
        const int th = std::max(1, static_cast<int>(std::lround(h * scale)));
        cairo_surface_t* out = tw != w || th != h ? ResampleImage(full, tw, th) : full;
        if (!out || Cairo().surface_write_to_png_stream(out, AppendToString, &png) != CAIRO_STATUS_SUCCESS)
            png.clear();
        if (out && out != full)
            Cairo().surface_destroy(out);
    }
    Cairo().surface_destroy(full);
    return png;
}

// Model space (millimetres, z away from the eye) to glTF (metres, z towards it).
void ToGltf(const CVertex3D& v, float out[3])
{
    out[0] = static_cast<float>(v.x / 1000.0);
    out[1] = static_cast<float>(v.y / 1000.0);
    out[2] = static_cast<float>(-v.z / 1000.0);
}

struct SPart {
    std::vector<SGlbVertex> vertices;
    std::vector<std::uint32_t> indices;
};

// A polygon as triangles fanned from its first corner. Four-corner faces
// (top-left, bottom-left, bottom-right, top-right seen from outside) get
// their picture's corners; the CD-ROM inside the product shows the right
// half of its picture.
void AddPolygon(SPart& part, const CPolygon3D& polygon, bool rightHalf)
{
    const std::size_t n = polygon.vertices.size();
    if (n < 3)
        return;
    float p0[3], p1[3], p2[3];
    ToGltf(polygon.vertices[0], p0);
    ToGltf(polygon.vertices[1], p1);
    ToGltf(polygon.vertices[2], p2);
    const float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    const float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    float normal[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    if (length <= 0)
        return;
    for (float& c : normal)
        c /= length;
    static constexpr float kCorners[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const auto first = static_cast<std::uint32_t>(part.vertices.size());
    for (std::size_t i = 0; i < n; ++i) {
        SGlbVertex v{};
        ToGltf(polygon.vertices[i], v.position);
        std::copy(normal, normal + 3, v.normal);
        if (n == 4 && polygon.mapped) { // the polygon's part of the picture (rows from the bottom there)
            const double u = polygon.texU0 + kCorners[i][0] * (polygon.texU1 - polygon.texU0);
            const double top = 1.0 - polygon.texV1, bottom = 1.0 - polygon.texV0;
            v.uv[0] = static_cast<float>(rightHalf ? 0.5 + u / 2 : u);
            v.uv[1] = static_cast<float>(top + kCorners[i][1] * (bottom - top));
        }
        part.vertices.push_back(v);
    }
    for (std::size_t i = 1; i + 1 < n; ++i)
        part.indices.insert(part.indices.end(), {first, first + static_cast<std::uint32_t>(i),
                                                 first + static_cast<std::uint32_t>(i + 1)});
}

CPolygonList BuildList(const CModelDescription& desc)
{
    switch (desc.shape) {
    case ModelShape::Card: return BuildCardList(desc, BuildMode::Model, true);
    case ModelShape::Disc: return BuildDiscList(desc, BuildMode::Model, true);
    default: return BuildSolidList(desc, BuildMode::Model, true);
    }
}

// The roughness of printed faces for each "Finish": matte board, satin
// varnish, gloss laminate, the shrink-wrap's film.
float FinishRoughness(int finish)
{
    static constexpr float kRoughness[] = {0.7f, 0.45f, 0.2f, 0.08f};
    return kRoughness[std::clamp(finish, 0, 3)];
}

}  // namespace

bool CProductGlb::Make(CProduct& product, const ObjectLookup& objects, int textureSize, std::string& glb,
                       std::string& error)
{
    if (textureSize < kMinTextureSize || textureSize > kMaxTextureSize) {
        error = "the texture size is out of range";
        return false;
    }
    if (OpenCairo(error) == nullptr)  // the face pictures become PNG files through it
        return false;
    const CModelDescription desc = CModelDescription::FromProduct(product);
    const CPolygonList list = BuildList(desc);

    // The face pictures as the renderer draws them: page edges prepared,
    // draw objects burnt in.
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetFaceObjects(objects);
    pipeline.GetCache().Clear();
    for (const char* edge : {"u", "d", "r", "l"})
        if (product.HasPages() && (edge[0] != 'l' || product.HasPagesOnLeft()))
            pipeline.Render(edge, product);
    std::map<char, CRaster> burnt;
    const FacePictureLookup faces = pipeline.MakeFaceLookup(product, burnt);

    // One part per face code (and per colour for the untextured parts).
    std::map<std::pair<char, COLORREF>, SPart> parts;
    for (const CPolygon3D& polygon : list.polygons) {
        const bool textured = polygon.mapped && polygon.faceCode != 0 && faces(polygon.faceCode) != nullptr;
        const auto key = std::make_pair(textured ? polygon.faceCode : '\0', textured ? 0 : polygon.fillColour);
        AddPolygon(parts[key], polygon, polygon.faceCode == 'C' && desc.cdPositionTest);
    }
    if (parts.empty()) {
        error = "the product has no solid to export";
        return false;
    }
    CGlbWriter writer;
    for (const auto& [key, part] : parts) {
        SGlbMaterial m;
        const char code = key.first;
        if (code != 0) {
            m.name = std::string("Face ") + code;
            m.image = writer.AddImage(PictureToPng(*faces(code), textureSize, code == 'C'));
            m.masked = code == 'C';
        } else {
            m.name = "Colour";
            m.baseColour[0] = (key.second & 0xFF) / 255.0f;
            m.baseColour[1] = ((key.second >> 8) & 0xFF) / 255.0f;
            m.baseColour[2] = ((key.second >> 16) & 0xFF) / 255.0f;
        }
        // Printed card and board follow the product's finish; the disc and
        // the binder's metal shine.
        const bool metal = code == 'C' || code == 0;
        m.metallic = metal ? 0.6f : 0.0f;
        m.roughness = metal ? 0.3f : FinishRoughness(product.GetSettings().GetInt(ModelKey(kSetFinish)));
        writer.AddPrimitive(part.vertices, part.indices, writer.AddMaterial(m));
    }
    glb = writer.Finish();
    return true;
}

bool CProductGlb::Write(CProduct& product, const ObjectLookup& objects, int textureSize, const std::string& path,
                        std::string& error)
{
    std::string glb;
    return Make(product, objects, textureSize, glb, error) &&
           WriteFileAtomically(path, glb.data(), glb.size(), error);
}
