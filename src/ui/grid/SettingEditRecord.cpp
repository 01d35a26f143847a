#include "ui/grid/SettingEditRecord.h"

#include "ground/AppFolders.h"
#include "app/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/NewProject.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/PictureLoader.h"
#include "image/Raster.h"
#include "properties/SettingTable.h"
#include "render/RenderCache.h"

namespace {
CSettingEditRecord::ApplyHook& Hook()
{
    static CSettingEditRecord::ApplyHook hook;
    return hook;
}
} // namespace

CSettingEditRecord::CSettingEditRecord(const CVtwinDoc& doc, std::string description, unsigned mask)
    : CUndoRecord("Render", std::move(description)), m_mask(mask)
{
    if (const CProduct* product = doc.GetProduct()) {
        m_settings = product->GetSettings();
        m_valid = true;
    }
}

void CSettingEditRecord::SetApplyHook(ApplyHook hook) { Hook() = std::move(hook); }

bool CSettingEditRecord::Apply(UndoContext& context)
{
    CProduct* product = context.document.GetProduct();
    if (!product || !m_valid)
        return false;
    product->GetSettings() = m_settings;
    if (Hook())
        Hook()(context.document, m_mask);
    return true;
}

std::unique_ptr<CUndoRecord> CSettingEditRecord::MakeInverse(UndoContext& context)
{
    return std::make_unique<CSettingEditRecord>(context.document, GetDescription(), m_mask);
}

unsigned ApplySettingEdit(CVtwinDoc& doc, CUndoStore& undo, const std::vector<CSettingValue>& values,
                          const std::string& undoText)
{
    CProduct* product = doc.GetProduct();
    if (!product || values.empty())
        return 0;
    SettingStore& store = product->GetSettings();
    auto same = [&store](const CSettingValue& v) {
        if (v.isText) {
            const std::string* now = store.LookupText(v.key);
            return now && *now == v.text;
        }
        const std::int32_t* now = store.LookupInt(v.key);
        return now && *now == v.number;
    };
    bool changed = false;
    unsigned expected = 0;
    for (const CSettingValue& v : values)
        if (!same(v)) {
            changed = true;
            expected |= GetUpdateClass(v.key.id);
        }
    if (!changed)
        return 0;
    undo.Push(std::make_unique<CSettingEditRecord>(doc, undoText, expected), true);
    unsigned mask = 0;
    for (const CSettingValue& v : values)
        mask |= v.isText ? store.SetText(v.key, v.text) : store.SetInt(v.key, v.number);
    return mask;
}

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
