#pragma once
// Undo record of a new face picture: the side as it was and, taken together
// with it, the face's objects, which were scaled to the new picture's
// resolution. Undo and redo restore both in one step.

#include "app/UndoRecord.h"

#include <memory>

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
