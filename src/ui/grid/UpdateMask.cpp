#include "ui/grid/UpdateMask.h"

#include "ground/AppFolders.h"
#include "catalogue/NewProject.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/PictureLoader.h"
#include "image/Raster.h"
#include "properties/SettingTable.h"
#include "render/RenderCache.h"

bool ApplyUpdateMask(CProduct& product, CRenderCache& cache, unsigned mask, const CAppFolders* folders,
                     const std::function<void()>& discardModels, std::string& error)
{
    bool ok = true;
    if ((mask & kUpdateCDImage) && product.HasCDROM() && folders) {
        const std::string section = product.GetSettings().GetText(ModelKey(kSetCDImage));
        if (!section.empty()) {
            std::string message;
            std::unique_ptr<CRaster> surface =
                LoadPicture(folders->GetInternalFolder() + GetCDSurfaceFileName(section), message);
            if (surface && surface->IsValid()) {
                CSide& side = product.GetOrCreateSide("C");
                const int w = surface->GetWidth(), h = surface->GetHeight();
                side.Reset(kAppearancePicture, w, h, 0xFFFFFF, 1);
                side.GetSettings().SetInt(SideKey(kSideFitMode), -1);
                side.SetPicture(std::move(surface));
            } else {
                // The old picture stays; the user learns why the face did not change.
                error = message.empty() ? "The CD-ROM image could not be read." : message;
                ok = false;
            }
        }
    }
    if (mask & kUpdatePageEdges) {
        cache.MarkStale("r");
        cache.MarkStale("u");
        cache.MarkStale("d");
        if (product.HasBinding())
            cache.MarkStale("l");
    }
    if ((mask & (kUpdatePreviewModel | kUpdateRenderModel)) && discardModels)
        discardModels();
    if (mask & kUpdateLayout) {
        cache.MarkStale("x");
        cache.MarkStale("y");
        cache.MarkStale("z");
    } else if (mask & kUpdateScratch) {
        cache.MarkStale("y");
        cache.MarkStale("z");
    } else if (mask & kUpdateFinish) {
        cache.MarkStale("z");
    }
    return ok;
}
