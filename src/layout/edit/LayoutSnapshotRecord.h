#pragma once
// Undo record of a layout edit: clones (with selection, sharing picture data)
// of every object of one face, taken before the edit; and the one way a
// command on a face's objects runs with its undo step.

#include "app/undo/UndoRecord.h"
#include "layout/edit/LayoutEdit.h"

#include <functional>
#include <string>

class CUndoStore;
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

// Runs `command` on the objects of face `faceKey` (the list is made when the
// face has none); when it changed them (an empty answer), pushes the undo
// step `description`, taken before, onto `undo`. Answers the command's
// refusal, or why it could not run.
std::string RunLayoutCommand(CVtwinDoc& doc, CUndoStore& undo, const std::string& faceKey,
                             const std::string& description,
                             const std::function<std::string(CDrawObjectList&)>& command);
