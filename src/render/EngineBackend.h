#pragma once
// The render backend that draws with the 3D engine: the product's solid with
// its shadow copies and reflection, and the page-edge faces.

#include "engine3d/surface/ModelRenderer.h"
#include "render/RenderBackend.h"

#include <string>

class CEngineBackend : public CRenderBackend {
public:
    void PreparePageEdge(CProduct& product, char code) override;
    void PreparePageEdge(CProduct& product, char code, const FacePictureLookup& faces) override;
    bool DrawModel(CProduct& product, const SModelDrawRequest& request) override;
    std::unique_ptr<CModelBands> PrepareBands(CProduct& product, const SModelDrawRequest& request,
                                              int pictureWidth, int pictureHeight) override;
    bool DrawsBands() const noexcept override { return true; }

    // The built mesh is reused between renders; drop it whenever a setting or
    // dimension that shapes the model changed.
    void DiscardModel() noexcept { m_model.Discard(); }
    // The caller's promise that the face pictures handed to PrepareBands stay
    // the same pictures with the same pixels from one render to the next (the
    // drafts of one drag): their levels and one-colour tiles are made once.
    void SetFacesUnchanged(bool unchanged) noexcept { m_facesUnchanged = unchanged; }
    const std::string& GetLastError() const noexcept { return m_error; }

private:
    CProductModel m_model;
    bool m_facesUnchanged = false;
    CTextureSet m_lastTextures;  // of the last render, when the faces do not change
    std::string m_error;
};
