#include "engine3d/ModelRenderer.h"

#include "engine3d/ModelBuilder.h"
#include "engine3d/Placement.h"
#include "engine3d/PolygonDrawer.h"
#include "engine3d/Reflection.h"
#include "engine3d/Shadows.h"
#include "image/Raster.h"

#include <algorithm>
#include <new>

void PrepareTextureSet(const CModelSpec& spec, CTextureSet& textures)
{
    textures.cdHalf = spec.cdPositionTest;
    textures.whiteAvoid = false;
    if (spec.cornerRounding > 0) {
        const CSolidSize s = SafeSize(spec.settings);
        textures.cornerRadius = spec.cornerRounding;
        textures.faceWidth = s.W;
        textures.faceHeight = s.H;
    } else {
        textures.cornerRadius = 0.0;
        textures.faceWidth = 0.0;
        textures.faceHeight = 0.0;
    }
    textures.foldsShown = spec.hasFolds && spec.settings.foldsShown;
    textures.foldsColour = spec.settings.foldsColour;
}

std::string GetFaceCodes(const CModelSpec& spec)
{
    switch (spec.shape) {
    case ModelShape::Card: return "F";
    case ModelShape::Disc: return "C";
    case ModelShape::Solid:
    default: break;
    }
    std::string codes = "F";
    codes += spec.hasPages ? 'u' : 'U';
    codes += spec.hasPages ? 'r' : 'R';
    codes += spec.hasPages ? 'd' : 'D';
    codes += spec.hasPages ? (spec.pagesOnLeft ? 'l' : 'S') : 'L';
    if (spec.hasCDROM) codes += 'C';
    return codes;
}

void CProductModel::Build(const CModelSpec& spec, bool quality)
{
    m_mesh = BuildModelMesh(spec, quality);
    PositionCamera(m_mesh, spec.settings);
    m_spec = spec;
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
    return m_mesh.FitToPicture(area.size, area.ox, area.oy);
}

bool CProductModel::Draw(const CModelSpec& spec, bool quality, const CModelArea& area,
                         CTextureSet& textures, CRaster& scratch, CRaster& alpha,
                         const ModelProgress& progress, std::string* error)
{
    if (area.size < 1) {
        if (error) *error = "The model area of the picture is empty.";
        return false;
    }
    try {
        if (!m_built || m_quality != quality || !(m_spec == spec)) Build(spec, quality);
        const CFitContext fit = Fit(area);
        return RenderModelPicture(m_mesh, fit, spec, textures, scratch, alpha, progress, error);
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

} // namespace

bool RenderModelPicture(CModelMesh& mesh, const CFitContext& fit, const CModelSpec& spec,
                        CTextureSet& textures, CRaster& scratch, CRaster& alpha,
                        const ModelProgress& progress, std::string* error)
{
    if (!scratch.IsValid() || scratch.GetBpp() != 24 || !alpha.IsValid() || alpha.GetBpp() != 24) {
        if (error) *error = "The rendering pictures are not 24-bit pictures.";
        return false;
    }
    if (scratch.GetWidth() != alpha.GetWidth() || scratch.GetHeight() != alpha.GetHeight()) {
        if (error) *error = "The alpha picture does not have the size of the rendering picture.";
        return false;
    }
    if (mesh.lists.empty()) return true;
    std::unique_ptr<CRenderSurface> picture = CRenderSurface::Create(scratch, error);
    std::unique_ptr<CRenderSurface> layer = CRenderSurface::Create(alpha, error);
    if (!picture || !layer) return false;
    picture->SetFit(fit);
    layer->SetFit(fit);

    const CEngineSettings& st = spec.settings;
    CProgressCounter counter(mesh.GetPolygonCount() + mesh.lists.size(), progress);
    const bool reflection = st.ReflectionShown() && mesh.lists.size() >= 2;
    const int N = st.SampleCount();
    const bool soften = st.softenEdges;
    const bool ordered = spec.cdPositionTest;
    std::size_t last = mesh.lists.size() - 1;

    alpha.ToWhite();
    if (reflection) {
        if (soften) layer->ClearSoftening();
        textures.whiteAvoid = true;
        CBoundingBox box;
        CDrawOptions opt{true, true, ordered, N, soften};
        DrawPolygonList(mesh.lists[last], *layer, opt, &textures, &counter, &box);
        if (soften) layer->ResolvePartialPixels(N);
        BlendReflectionLayer(alpha, scratch, st.topFade, st.bottomFade, st.ripple, box);
        WhitenBox(alpha, box);
        textures.whiteAvoid = false;
        counter.Advance();
        --last;
    }
    const int weight = ShadowWeight(st.shadowStyle);
    CShadowBlender blender;
    for (std::size_t i = last; i >= 1; --i) {
        CBoundingBox box;
        CDrawOptions opt{false, true, false, N, false};
        DrawPolygonList(mesh.lists[i], *layer, opt, &textures, &counter, &box);
        blender.Blend(alpha, scratch, weight, box);
        WhitenBox(alpha, box);
        counter.Advance();
    }
    if (soften) picture->ClearSoftening();
    textures.whiteAvoid = false;
    CBoundingBox box;
    CDrawOptions opt{true, true, ordered, N, soften};
    DrawPolygonList(mesh.lists[0], *picture, opt, &textures, &counter, &box);
    if (soften) picture->ResolvePartialPixels(N);
    counter.Advance();
    return true;
}
