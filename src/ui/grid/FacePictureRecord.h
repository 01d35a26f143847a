#pragma once
// Undo record of a new face picture: the side as it was and, taken together
// with it, the face's objects, which were scaled to the new picture's
// resolution. Undo and redo restore both in one step.

#include "app/undo/UndoRecord.h"

#include <functional>
#include <memory>
#include <string>

class CEditService;

class CFacePictureRecord final : public CUndoRecord {
public:
    // `side` restores the side, `objects` the face's objects; both non-null.
    CFacePictureRecord(std::unique_ptr<CUndoRecord> side, std::unique_ptr<CUndoRecord> objects);

    bool Apply(UndoContext& context) override;
    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) override;
    int UpdateKind() const override { return m_side->UpdateKind(); }

private:
    std::unique_ptr<CUndoRecord> m_side;
    std::unique_ptr<CUndoRecord> m_objects;
};

// Runs `change` on face `key` of the document of `edits` as one undo step named
// `description`: the side and the face's objects are captured first, and the
// step is recorded only when `change` answers true. Then the face is shown
// again, the document marked modified and the rendering stale. A face that
// cannot be captured (the user was told why) is still changed, but the change
// cannot be undone.
bool RunFaceChange(CEditService& edits, const std::string& key, const std::string& description,
                   const std::function<bool()>& change);
