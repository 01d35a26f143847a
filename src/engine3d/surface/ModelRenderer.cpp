#include "engine3d/surface/ModelRenderer.h"

#include "engine3d/model/ModelBuilder.h"
#include "engine3d/geometry/Placement.h"
#include "engine3d/surface/PolygonDrawer.h"
#include "engine3d/light/Reflection.h"
#include "engine3d/light/Shadows.h"
#include "engine3d/light/StudioShadow.h"
#include "engine3d/sampling/FaceSetup.h"
#include "image/Raster.h"

#include <algorithm>
#include <cmath>
#include <new>

void PrepareTextureSet(const CModelDescription& desc, CTextureSet& textures)
{
    textures.cdHalf = desc.cdPositionTest;
    textures.whiteAvoid = false;
    if (desc.cornerRounding > 0) {
        const CSolidSize s = SafeSize(desc.settings);
        textures.cornerRadius = desc.cornerRounding;
        textures.faceWidth = s.W;
        textures.faceHeight = s.H;
    } else {
        textures.cornerRadius = 0.0;
        textures.faceWidth = 0.0;
        textures.faceHeight = 0.0;
    }
    textures.smooth = desc.settings.smoothTextures;
    textures.exactOutlines = desc.settings.exactOutlines;
    textures.discShape = desc.settings.exactOutlines; // both belong to the outlines of new projects
    textures.foldsShown = desc.hasFolds && desc.settings.foldsShown;
    textures.foldsColour = desc.settings.foldsColour;
}

std::string GetFaceCodes(const CModelDescription& desc)
{
    switch (desc.shape) {
    case ModelShape::Card: return "F";
    case ModelShape::Disc: return "C";
    case ModelShape::Solid:
    default: break;
    }
    std::string codes = "F";
    codes += desc.hasPages ? 'u' : 'U';
    codes += desc.hasPages ? 'r' : 'R';
    codes += desc.hasPages ? 'd' : 'D';
    codes += desc.hasPages ? (desc.pagesOnLeft ? 'l' : 'S') : 'L';
    if (desc.hasBack) codes += FaceCode::kBack;
    if (desc.hasCDROM) codes += 'C';
    return codes;
}

void CProductModel::Build(const CModelDescription& desc, bool quality)
{
    m_mesh = BuildModelMesh(desc, quality);
    PositionCamera(m_mesh, desc.settings);
    m_desc = desc;
    m_quality = quality;
    m_built = true;
}

void CProductModel::Discard() noexcept
{
    m_mesh.lists.clear();
    m_built = false;
}

CFitContext CProductModel::Fit(const CModelArea& area) noexcept
{
    m_mesh.ProjectMesh(1.0);
    if (area.width > 0 && area.height > 0) {
        // A photographer frames the product with its shadow and lets its
        // reflection (the last list) run below it, fading out of the picture.
        const CEngineSettings& st = m_desc.settings;
        std::size_t counted = m_mesh.lists.size();
        if (st.reflectionFraming && st.ReflectionShown() && counted > 1) --counted;
        return m_mesh.FitToRectangle(area.width, area.height, area.ox, area.oy, counted);
    }
    return m_mesh.FitToPicture(area.size, area.ox, area.oy);
}

bool CProductModel::Prepare(const CModelDescription& desc, bool quality, const CModelArea& area,
                            CFitContext& fit, std::string* error)
{
    if (area.size < 1) {
        if (error) *error = "The model area of the picture is empty.";
        return false;
    }
    try {
        if (!m_built || m_quality != quality || !(m_desc == desc)) Build(desc, quality);
        fit = Fit(area);
        return true;
    } catch (const std::bad_alloc&) {
        Discard();
        if (error) *error = "Out of memory";
        return false;
    }
}

namespace {

// Whether the mesh's last list is the reflection, drawn apart from the shadows.
bool HasReflectionList(const CModelMesh& mesh, const CEngineSettings& st) noexcept
{
    return st.ReflectionShown() && mesh.lists.size() >= 2;
}

// The last of the shadow lists 1 .. n after the product; 0 when there are none.
std::size_t LastShadowList(const CModelMesh& mesh, const CEngineSettings& st) noexcept
{
    if (mesh.lists.empty()) return 0;
    return mesh.lists.size() - 1 - (HasReflectionList(mesh, st) ? 1 : 0);
}

// The faces of the product (list 0) that store every pixel they wholly cover
// without reading it, as DrawPolygon draws them: front-facing textured
// four-corner faces, opaque and without rounded corners or disc shape.
void AddCoveringFaces(const CPolygonList& product, const CFitContext& fit, const CTextureSet& textures,
                      CCoveredFaces& covered)
{
    for (const CPolygon3D& p : product.polygons) {
        if (p.vertices.size() != 4 || IsUntexturedCode(p.faceCode) || p.IsBackFacing()) continue;
        CQuadMapping map;
        if (!map.Create(p, fit)) continue;
        const CFaceSetup face(&textures, p.faceCode, map.faceWidth, map.faceHeight, p);
        if (face.isDisc || face.discShape || face.radius != 0.0) continue;
        covered.AddFace(p, map);
    }
}

} // namespace

CModelBandDrawer::CModelBandDrawer(const CModelMesh& mesh, const CFitContext& fit, const CModelDescription& desc,
                                   const CTextureSet& textures, int pictureWidth, int pictureHeight)
    : m_mesh(mesh), m_fit(fit), m_desc(desc), m_textures(textures), m_width(pictureWidth), m_height(pictureHeight)
{
    const CEngineSettings& st = desc.settings;
    if (!m_mesh.lists.empty()) AddCoveringFaces(m_mesh.lists[0], fit, m_textures, m_covered);
    const std::size_t shadowLast = LastShadowList(m_mesh, st);
    if (st.shadowStyle == kStudioShadowStyle && shadowLast >= 1)
        m_spans = m_shadowSpans.Build(m_mesh, shadowLast, fit, &m_textures, pictureWidth, 0, pictureHeight,
                                      st.shadowColour);
    // The reflection's box over the whole picture, measured once.
    if (!HasReflectionList(m_mesh, st)) return;
    std::unique_ptr<CRenderSurface> measure = CRenderSurface::CreateMeasuring(pictureWidth, pictureHeight);
    if (!measure) return;
    measure->SetFit(fit);
    CModelMesh copy = m_mesh;
    CTextureSet set = m_textures;
    set.whiteAvoid = true;
    CDrawOptions opt{true, true, desc.cdPositionTest, st.SampleCount(), st.softenEdges};
    DrawPolygonList(copy.lists.back(), *measure, opt, &set, nullptr, &m_reflectionBox);
}

bool CModelBandDrawer::DrawBand(CRaster& scratch, CRaster& alpha, int firstRow, std::string* error) const
{
    try {
        CModelMesh mesh = m_mesh;
        CTextureSet textures = m_textures;
        return RenderModelPicture(mesh, m_fit, m_desc, textures, scratch, alpha, ModelProgress(), error, firstRow,
                                  m_height, &m_reflectionBox, m_spans ? &m_shadowSpans : nullptr, true);
    } catch (const std::bad_alloc&) {
        if (error) *error = "Out of memory";
        return false;
    }
}

bool CProductModel::Draw(const CModelDescription& desc, bool quality, const CModelArea& area,
                         CTextureSet& textures, CRaster& scratch, CRaster& alpha,
                         const ModelProgress& progress, std::string* error)
{
    if (area.size < 1) {
        if (error) *error = "The model area of the picture is empty.";
        return false;
    }
    try {
        if (!m_built || m_quality != quality || !(m_desc == desc)) Build(desc, quality);
        const CFitContext fit = Fit(area);
        // Smooth sampling reads the halved levels of the pictures set by now;
        // without memory for them the faces are sampled as before.
        if (textures.smooth && !textures.BuildLevels()) textures.smooth = false;
        if (!textures.smooth) textures.BuildFlatTiles();
        return RenderModelPicture(m_mesh, fit, desc, textures, scratch, alpha, progress, error);
    } catch (const std::bad_alloc&) {
        Discard();
        if (error) *error = "Out of memory";
        return false;
    }
}

namespace {

// Whitens the part of the layer that a list was drawn into.
void WhitenBox(CRaster& layer, const CBoundingBox& box) noexcept
{
    const CBoundingBox b = box.ClippedTo(layer.GetWidth(), layer.GetHeight());
    if (b.IsEmpty()) return;
    for (int y = b.bottom; y <= b.top; ++y) {
        std::uint8_t* row = layer.GetBits(y) + 3 * b.left;
        std::fill(row, row + 3 * (b.right - b.left + 1), std::uint8_t(255));
    }
}

// The shade picture of multiplied shadows, as large as the band (6 MB at
// 4000 x 500), kept on its thread from one drawing to the next and white
// again after each: only the box the shadows were drawn into is whitened,
// where a picture was made and whitened whole for each band. A picture
// larger than a band's (a whole print-size picture drawn at once) is not
// kept; one left unfinished (an exception) is whitened whole when next used.
struct SKeptShade {
    static constexpr long long kMostPixels = 4LL << 20;
    CRaster picture;
    bool white = false;
};

SKeptShade& KeptShade() noexcept
{
    thread_local SKeptShade kept;
    return kept;
}

// One drawing of the model's lists into the band of rows from firstRow:
// the reflection, the shadows, then the product, each a step below.
struct SModelPass {
    CModelMesh& mesh;
    const CEngineSettings& st;
    CTextureSet& textures;
    CRaster& scratch;
    CRaster& alpha;
    CRenderSurface& picture;
    CRenderSurface& layer;
    CProgressCounter& counter;
    const CShadowSpans* shadowSpans = nullptr; // the studio shadow scanned beforehand, or null
    int firstRow = 0;
    int N = 1;            // samples per pixel
    bool soften = false;  // soft edges
    bool ordered = false; // the CD position test

    // Boxes are in the whole picture's rows; the layer and the scratch
    // picture hold the rows from firstRow.
    CBoundingBox Local(CBoundingBox b) const noexcept
    {
        if (!b.IsEmpty()) {
            b.bottom -= firstRow;
            b.top -= firstRow;
        }
        return b;
    }

    void DrawReflection(CPolygonList& list, int pictureHeight, const CBoundingBox* reflectionBox);
    bool DrawShadows(std::size_t last, std::string* error);
    bool ApplyShadowSpans(std::size_t last);
    void DrawProduct();
};

// The picture row (y up) just above the lowest point of a fitted list; at least 1.
int LowestRow(const CPolygonList& list) noexcept
{
    double lowest = 1e9;
    for (const CPolygon3D& p : list.polygons)
        for (const CVertex3D& v : p.vertices) lowest = std::min(lowest, v.sy);
    return static_cast<int>(std::clamp(std::ceil(lowest), 1.0, 1e9));
}

// The reflection list, drawn into the layer and blended into the picture.
void SModelPass::DrawReflection(CPolygonList& list, int pictureHeight, const CBoundingBox* reflectionBox)
{
    if (soften) layer.ClearSoftening();
    textures.whiteAvoid = true;
    CBoundingBox box;
    CDrawOptions opt{true, true, ordered, N, soften};
    DrawPolygonList(list, layer, opt, &textures, &counter, &box);
    if (soften) layer.ResolvePartialPixels(N, st.linearBlending);
    // The ripple runs along each row from the box's left edge: a band
    // takes the box of the whole picture so that its rows ripple alike.
    if (reflectionBox) box = *reflectionBox;
    // Framed below the product, the reflection fades from the product's
    // lowest point (Top Fade) to the picture's bottom (Bottom Fade), not from
    // the picture's top, where it never reaches.
    const int fadeHeight = st.reflectionFraming ? LowestRow(mesh.lists[0]) : pictureHeight;
    BlendReflectionLayer(alpha, scratch, st.topFade, st.bottomFade, st.ripple, Local(box), firstRow, fadeHeight,
                         st.linearBlending, st.steadyRipple);
    WhitenBox(alpha, Local(box));
    textures.whiteAvoid = false;
    counter.Advance();
}

// The shadow lists last .. 1, each drawn into the layer and blended, or for
// studio shadows gathered and applied at the end.
bool SModelPass::DrawShadows(std::size_t last, std::string* error)
{
    if (st.shadowStyle == kStudioShadowStyle && last >= 1 && ApplyShadowSpans(last)) return true;
    const int weight = ShadowWeight(st.shadowStyle);
    CShadowBlender blender;
    // Multiplied shadows gather over white first (as they would fall on a
    // white table) and then darken the picture by that share.
    const bool multiply = st.multiplyShadows && last >= 1 && st.shadowStyle != kStudioShadowStyle;
    const int w = scratch.GetWidth(), h = scratch.GetHeight();
    SKeptShade& kept = KeptShade();
    const bool keep = multiply && static_cast<long long>(w) * h <= SKeptShade::kMostPixels;
    CRaster own;
    CRaster& shade = keep ? kept.picture : own;
    if (multiply) {
        const bool fits = shade.IsValid() && shade.GetWidth() == w && shade.GetHeight() == h && shade.GetBpp() == 24;
        if (!fits && shade.Create(w, h, 24) == nullptr) {
            if (error) *error = "Out of memory";
            return false;
        }
        if (!(fits && keep && kept.white)) shade.ToWhite();
        if (keep) kept.white = false;
    }
    CBoundingBox shadowBox;
    const bool studio = st.shadowStyle == kStudioShadowStyle && last >= 1;
    CShadowAccumulator accumulator;
    if (studio) accumulator.Create(scratch.GetWidth(), scratch.GetHeight());
    int copies[2] = {0, 0}; // cast, contact
    for (std::size_t i = last; i >= 1; --i) {
        CBoundingBox box;
        CDrawOptions opt{false, true, false, N, false};
        DrawPolygonList(mesh.lists[i], layer, opt, &textures, &counter, &box);
        if (studio) {
            const bool contact = i <= mesh.contactShadowLists;
            accumulator.Add(alpha, Local(box), contact); // whitens what it counts
            ++copies[contact ? 1 : 0];
        } else {
            blender.Blend(alpha, multiply ? shade : scratch, weight, Local(box));
            WhitenBox(alpha, Local(box));
        }
        shadowBox.Add(box);
        counter.Advance();
    }
    if (studio) accumulator.Apply(scratch, copies[0], copies[1], st.shadowColour);
    if (multiply && !studio) MultiplyByShade(shade, scratch, Local(shadowBox));
    if (keep) {
        WhitenBox(shade, Local(shadowBox)); // every pixel the shadows were blended into
        kept.white = true;
    }
    return true;
}

// The studio shadow from its copies' spans (scanned for this band when not
// beforehand), with the progress the drawn copies would make; false when
// the copies must be drawn.
bool SModelPass::ApplyShadowSpans(std::size_t last)
{
    CShadowSpans own;
    const CShadowSpans* spans = shadowSpans;
    if (spans == nullptr && own.Build(mesh, last, picture.GetFit(), &textures, scratch.GetWidth(), firstRow,
                                      scratch.GetHeight(), st.shadowColour))
        spans = &own;
    if (spans == nullptr) return false;
    spans->Apply(scratch, firstRow);
    for (std::size_t i = last; i >= 1; --i) {
        for (std::size_t p = 0; p < mesh.lists[i].polygons.size(); ++p) counter.Advance();
        counter.Advance();
    }
    return true;
}

// The product itself, list 0, into the picture.
void SModelPass::DrawProduct()
{
    if (soften) picture.ClearSoftening();
    textures.whiteAvoid = false;
    CBoundingBox box;
    CDrawOptions opt{true, true, ordered, N, soften};
    DrawPolygonList(mesh.lists[0], picture, opt, &textures, &counter, &box);
    if (soften) picture.ResolvePartialPixels(N, st.linearBlending);
    counter.Advance();
}

bool CheckRenderPictures(const CRaster& scratch, const CRaster& alpha, std::string* error)
{
    if (!scratch.IsValid() || scratch.GetBpp() != 24 || !alpha.IsValid() || alpha.GetBpp() != 24) {
        if (error) *error = "The rendering pictures are not 24-bit pictures.";
        return false;
    }
    if (scratch.GetWidth() != alpha.GetWidth() || scratch.GetHeight() != alpha.GetHeight()) {
        if (error) *error = "The alpha picture does not have the size of the rendering picture.";
        return false;
    }
    return true;
}

} // namespace

bool RenderModelPicture(CModelMesh& mesh, const CFitContext& fit, const CModelDescription& desc,
                        CTextureSet& textures, CRaster& scratch, CRaster& alpha,
                        const ModelProgress& progress, std::string* error, int firstRow,
                        int pictureHeight, const CBoundingBox* reflectionBox, const CShadowSpans* shadowSpans,
                        bool alphaWhite)
{
    if (!CheckRenderPictures(scratch, alpha, error)) return false;
    if (mesh.lists.empty()) return true;
    std::unique_ptr<CRenderSurface> picture = CRenderSurface::Create(scratch, error);
    std::unique_ptr<CRenderSurface> layer = CRenderSurface::Create(alpha, error);
    if (!picture || !layer) return false;
    picture->SetFit(fit);
    layer->SetFit(fit);
    picture->SetBand(firstRow);
    layer->SetBand(firstRow);

    const CEngineSettings& st = desc.settings;
    CProgressCounter counter(mesh.GetPolygonCount() + mesh.lists.size(), progress);
    SModelPass pass{mesh,    st,       textures,        scratch,         alpha,           *picture,
                    *layer,  counter,  shadowSpans,     firstRow,        st.SampleCount(), st.softenEdges,
                    desc.cdPositionTest};
    // The working layer is white before a list is drawn into it. A band
    // drawer's own layer (the one given the shadow spans) is left as it is
    // when no list is drawn into it: no reflection, no shadows but the spans'.
    // Each list whitens again the box it drew into, so a layer given white
    // is left white.
    const bool reflection = HasReflectionList(mesh, st);
    const std::size_t shadowLast = LastShadowList(mesh, st);
    if (!alphaWhite &&
        (shadowSpans == nullptr || reflection || (shadowLast >= 1 && st.shadowStyle != kStudioShadowStyle)))
        alpha.ToWhite();
    if (reflection) pass.DrawReflection(mesh.lists.back(), pictureHeight, reflectionBox);
    if (!pass.DrawShadows(shadowLast, error)) return false;
    pass.DrawProduct();
    return true;
}
