#include "render/UpdateMask.h"

#include "ground/AppFolders.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "properties/settings/SettingTable.h"
#include "render/RenderCache.h"

bool ApplyUpdateMask(CProduct& product, CRenderCache& cache, unsigned mask, const CAppFolders* folders,
                     const std::function<void()>& discardModels, std::string& error)
{
    bool ok = true;
    if ((mask & kUpdateCDImage) && product.HasCDROM() && folders) {
        const std::string section = product.GetSettings().GetText(ModelKey(kSetCDImage));
        // On failure the old picture stays; the user learns why the face did not change.
        if (!section.empty() && !SetCDSurface(*folders, product, section, error))
            ok = false;
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
