#include "render/EngineBackend.h"

#include "catalogue/Product.h"
#include "image/Raster.h"

void CEngineBackend::PreparePageEdge(CProduct& product, char code)
{
    // The page-edge pictures are painted by the engine's page-edge step when
    // it is part of the build; until then the faces keep their pictures.
    (void)product;
    (void)code;
}

bool CEngineBackend::DrawModel(CProduct& product, const SModelDrawRequest& request)
{
    m_error.clear();
    if (request.target == nullptr || request.alpha == nullptr) return false;
    const CModelSpec spec = CModelSpec::FromProduct(product);
    CTextureSet textures;
    PrepareTextureSet(spec, textures);
    if (request.faces) {
        for (char code : GetFaceCodes(spec)) textures.SetPicture(code, request.faces(code));
    }
    CModelArea area;
    area.size = request.area.side;
    area.ox = request.area.ox;
    area.oy = request.area.oy;
    ::ModelProgress progress;
    if (request.progress) {
        progress = [&request](std::size_t done, std::size_t total) {
            request.progress(static_cast<long long>(done), static_cast<long long>(total));
        };
    }
    return m_model.Draw(spec, request.quality, area, textures, *request.target, *request.alpha,
                        progress, &m_error);
}
