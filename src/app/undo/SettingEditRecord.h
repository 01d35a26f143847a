#pragma once
// The undo step of a render-setting edit: the product's settings as they were
// before it, and the update mask the edit causes (undoing it makes the same
// data stale).

#include "app/undo/UndoRecord.h"
#include "properties/settings/SettingStore.h"

#include <functional>
#include <string>

class CSettingEditRecord final : public CUndoRecord {
public:
    // Update kind reported to the undo caller: the rendered picture needs a
    // refresh (the rest of the mask goes through the apply hook).
    static constexpr int kUpdateKind = 4;

    // Captures the product's settings as they are before the edit.
    CSettingEditRecord(const CVtwinDoc& doc, std::string description, unsigned mask);

    bool Apply(UndoContext& context) override;
    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) override;
    int UpdateKind() const override { return kUpdateKind; }

    unsigned Mask() const noexcept { return m_mask; }

    // Called after a record restored its settings (undo or redo) with the
    // mask to apply; the property grid installs it.
    using ApplyHook = std::function<void(CVtwinDoc& doc, unsigned mask)>;
    static void SetApplyHook(ApplyHook hook);

private:
    SettingStore m_settings;
    unsigned m_mask = 0;
    bool m_valid = false;
};
