#include "render/EngineBackend.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "engine3d/model/PageEdges.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"

namespace {

// Base size of a page edge as a new project makes it: the product's
// millimetres at the face pixels per millimetre of its rendering size.
void GetPageEdgeBaseSize(const CProduct& product, char code, int& width, int& height)
{
    const SettingStore& s = product.GetSettings();
    const auto mm = [&s](std::uint32_t id) { return static_cast<int>(std::lround(s.GetReal(ModelKey(id)))); };
    const int w = mm(kSetProductWidth), h = mm(kSetProductHeight), d = mm(kSetProductDepth);
    const int p = GetFacePixelsPerMm(w, h, d, s.GetInt(ModelKey(kSetRenderWidth)), s.GetInt(ModelKey(kSetRenderHeight)));
    GetFacePixelSize(code, w, h, d, p, width, height);
}

CModelDescription DescriptionFor(const CProduct& product, const SModelDrawRequest& request)
{
    CModelDescription desc = CModelDescription::FromProduct(product);
    desc.settings.multiplyShadows = request.cutOut;
    // The coarse grid leans on the block average of an enlarged scratch picture.
    if (request.magnification < 2) desc.settings.coarseEdges = false;
    return desc;
}

// The sampling options of the model's faces, and the block a face's inside
// is read per where the settings ask for it.
void PrepareFaces(const CModelDescription& desc, const SModelDrawRequest& request, CTextureSet& textures)
{
    PrepareTextureSet(desc, textures);
    textures.interiorBlock = desc.settings.blockInterior ? std::max(request.magnification, 1) : 1;
}

void SetFacePictures(const CModelDescription& desc, const SModelDrawRequest& request, CTextureSet& textures)
{
    if (!request.faces) return;
    for (char code : GetFaceCodes(desc)) {
        textures.SetPicture(code, request.faces(code));
        if (request.oneColourFaces && request.oneColourFaces(code)) textures.SetPictureOneColour(code);
    }
}

CModelArea ToModelArea(const SModelArea& a)
{
    CModelArea area{a.side, a.ox, a.oy};
    if (a.framed) {
        area.width = a.innerWidth;
        area.height = a.innerHeight;
    }
    return area;
}

}  // namespace

void CEngineBackend::PreparePageEdge(CProduct& product, char code)
{
    PreparePageEdge(product, code, FacePictureLookup());
}

void CEngineBackend::PreparePageEdge(CProduct& product, char code, const FacePictureLookup& faces)
{
    m_error.clear();
    const std::string key(1, code);
    CSide& side = product.GetOrCreateSide(key);
    int k = side.GetSettings().GetInt(SideKey(kSideMagnification));
    if (k < 1) k = 1;
    CRaster* target = side.GetPicture();
    if (target == nullptr || !target->IsValid() || target->GetBpp() != 24) {
        // A page edge read from an old file without its picture: make one of
        // the face's size.
        int w = 0, h = 0;
        GetPageEdgeBaseSize(product, code, w, h);
        auto fresh = std::make_unique<CRaster>();
        if (fresh->Create(w * k, h * k, 24) == nullptr) {
            m_error = "Out of memory";
            return;
        }
        fresh->ToWhite();
        side.SetPicture(std::move(fresh));
        target = side.GetPicture();
    }
    // The covers continue the front (and spine) artwork as it is rendered.
    auto picture = [&](char face) -> const CRaster* {
        if (faces) return faces(face);
        const CSide* s = product.FindSidePtr(std::string(1, face));
        return s ? s->GetPicture() : nullptr;
    };
    const CModelDescription desc = CModelDescription::FromProduct(product);
    const CPageEdgeStyle style = CPageEdgeStyle::FromSettings(desc.settings, k);
    PaintPageEdge(code, product.HasPagesOnLeft() != 0, *target, picture('F'), picture('S'), style, &m_error);
}

namespace {

class CEngineModelBands : public CModelBands {
public:
    CEngineModelBands(const CModelMesh& mesh, const CFitContext& fit, const CModelDescription& desc,
                      const CTextureSet& textures, int pictureWidth, int pictureHeight)
        : m_drawer(mesh, fit, desc, textures, pictureWidth, pictureHeight)
    {
    }
    bool DrawBand(CRaster& scratch, CRaster& alpha, int firstRow, std::string* error) const override
    {
        return m_drawer.DrawBand(scratch, alpha, firstRow, error);
    }
    void CoveredRows(int firstRow, int count, std::vector<CCoveredRow>& rows) const override
    {
        m_drawer.CoveredRows(firstRow, count, rows);
    }

private:
    CModelBandDrawer m_drawer;
};

}  // namespace

std::unique_ptr<CModelBands> CEngineBackend::PrepareBands(CProduct& product, const SModelDrawRequest& request,
                                                          int pictureWidth, int pictureHeight)
{
    m_error.clear();
    const CModelDescription desc = DescriptionFor(product, request);
    CTextureSet textures;
    PrepareFaces(desc, request, textures);
    SetFacePictures(desc, request, textures);
    // The picture levels of smooth sampling are made once here and shared,
    // read-only, by the bands' copies of the set (and by later renders of the
    // same faces).
    if (m_facesUnchanged) textures.TakeBuiltFrom(m_lastTextures);
    if (textures.smooth && !textures.BuildLevels()) textures.smooth = false;
    if (!textures.smooth) textures.BuildFlatTiles();
    if (m_facesUnchanged) m_lastTextures = textures;
    const CModelArea area = ToModelArea(request.area);
    CFitContext fit;
    if (!m_model.Prepare(desc, request.quality, area, fit, &m_error)) return nullptr;
    try {
        return std::make_unique<CEngineModelBands>(m_model.GetMesh(), fit, desc, textures, pictureWidth,
                                                   pictureHeight);
    } catch (const std::bad_alloc&) {
        m_error = "Out of memory";
        return nullptr;
    }
}

bool CEngineBackend::DrawModel(CProduct& product, const SModelDrawRequest& request)
{
    m_error.clear();
    if (request.target == nullptr || request.alpha == nullptr) return false;
    const CModelDescription desc = DescriptionFor(product, request);
    CTextureSet textures;
    PrepareFaces(desc, request, textures);
    SetFacePictures(desc, request, textures);
    const CModelArea area = ToModelArea(request.area);
    ::ModelProgress progress;
    if (request.progress) {
        progress = [&request](std::size_t done, std::size_t total) {
            request.progress(static_cast<long long>(done), static_cast<long long>(total));
        };
    }
    return m_model.Draw(desc, request.quality, area, textures, *request.target, *request.alpha,
                        progress, &m_error);
}
