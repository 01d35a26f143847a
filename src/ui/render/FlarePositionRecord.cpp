#include "ui/render/FlarePositionRecord.h"

#include "app/VtwinDoc.h"

namespace {
constexpr SettingKey kFlareX = ModelKey(33);
constexpr SettingKey kFlareY = ModelKey(34);
}

CFlarePositionRecord::CFlarePositionRecord(CVtwinDoc& doc) : CUndoRecord("Render", "Reposition Lens Flare")
{
    if (const CProduct* product = doc.GetProduct()) {
        m_x = product->GetSettings().GetReal(kFlareX);
        m_y = product->GetSettings().GetReal(kFlareY);
        m_valid = true;
    }
}

bool CFlarePositionRecord::Apply(UndoContext& context)
{
    CProduct* product = context.document.GetProduct();
    if (!product || !m_valid)
        return false;
    product->GetSettings().SetReal(kFlareX, m_x);
    product->GetSettings().SetReal(kFlareY, m_y);
    return true;
}

std::unique_ptr<CUndoRecord> CFlarePositionRecord::MakeInverse(UndoContext& context)
{
    return std::make_unique<CFlarePositionRecord>(context.document);
}
