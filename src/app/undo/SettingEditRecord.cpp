#include "app/undo/SettingEditRecord.h"

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"

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
