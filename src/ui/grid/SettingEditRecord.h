#pragma once
// Undoable edits of the model-level render settings made through the
// property grid, and what a finished edit makes stale: the update mask is
// applied to the render cache, the cached models and the pictures that follow
// a setting (the CD-ROM face, the background).

#include "app/UndoRecord.h"
#include "properties/SettingKey.h"
#include "properties/SettingStore.h"

#include <functional>
#include <string>
#include <vector>

class CAppFolders;
class CProduct;
class CRenderCache;
class CUndoStore;

class CSettingEditRecord final : public CUndoRecord {
public:
    // Update kind reported to the undo caller: the rendered picture needs a
    // refresh (the rest of the mask goes through the apply hook).
    static constexpr int kUpdateKind = 4;

    // Captures the product's settings as they are before the edit; `mask` is
    // the update mask the edit causes (undoing it makes the same data stale).
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

// One value of an edit: an integer or a text under a key.
struct CSettingValue {
    SettingKey key;
    bool isText = false;
    int number = 0;
    std::string text;
};

// Applies an edit: when every value equals what is stored already nothing
// happens and 0 is returned (no undo step). Otherwise the undo step is pushed
// first (named `undoText`), then the values are stored and the OR of their
// update classes is returned.
unsigned ApplySettingEdit(CVtwinDoc& doc, CUndoStore& undo, const std::vector<CSettingValue>& values,
                          const std::string& undoText);

// Brings the project in line with an update mask: reloads the CD-ROM face
// picture (8), marks page-edge faces (16) and the layout, scratch and
// rendering data (1, 2, 4) stale, and calls `discardModels` for the cached
// preview and render models (64, 128). The background reload (32) belongs
// to the chosen sub-picture's name alone, which is set when the project is
// made and never edited afterwards, so no edit brings it. False and `error`
// when a picture could not be read (everything else is done).
bool ApplyUpdateMask(CProduct& product, CRenderCache& cache, unsigned mask, const CAppFolders* folders,
                     const std::function<void()>& discardModels, std::string& error);
