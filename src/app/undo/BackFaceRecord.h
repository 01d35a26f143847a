#pragma once
// Face > Add Back Face as a document command with its undo step: undoing it
// takes the back out of the product again (its tab goes), redoing puts the
// same side back.

#include "app/undo/UndoRecord.h"

#include <memory>
#include <string>

class CSide;
class CUndoStore;

class CBackFaceRecord final : public CUndoRecord {
public:
    // The product's sides changed: the view builds its tabs again.
    static constexpr int kUpdateKind = 5;

    // Applying it puts `back` into the product as its back face; with null
    // it takes the product's back face out.
    explicit CBackFaceRecord(std::unique_ptr<CSide> back);
    ~CBackFaceRecord() override;

    bool Apply(UndoContext& context) override;
    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) override;
    int UpdateKind() const override { return kUpdateKind; }

private:
    std::unique_ptr<CSide> m_back;
};

// Gives the document's product its back face (AddBackFace) and records the
// step in `undo`. False with `error` when the product cannot have one or has one.
bool AddBackFaceStep(CVtwinDoc& doc, CUndoStore& undo, std::string& error);
