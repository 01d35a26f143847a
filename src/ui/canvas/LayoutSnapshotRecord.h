#pragma once
// Undo record of a layout edit: clones (with selection, sharing picture data)
// of every object of one face, taken before the edit.

#include "app/undo/UndoRecord.h"
#include "layout/edit/LayoutEdit.h"

class CVtwinDoc;

class CLayoutSnapshotRecord final : public CUndoRecord {
public:
    // Captures the face's objects (an empty list is created when it has none).
    CLayoutSnapshotRecord(CVtwinDoc& doc, const std::string& faceKey, const std::string& description);

    bool Apply(UndoContext& context) override;
    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) override;
    int UpdateKind() const override { return 0; }

    const CObjectVector& Objects() const { return m_objects; }

    // The face's object list in the document, created when missing; null when
    // the document's lists are not draw-object lists.
    static CDrawObjectList* FaceList(CVtwinDoc& doc, const std::string& faceKey);

private:
    CObjectVector m_objects;
};
