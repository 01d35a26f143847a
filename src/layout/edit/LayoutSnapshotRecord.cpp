#include "layout/edit/LayoutSnapshotRecord.h"

#include "app/VtwinDoc.h"
#include "app/undo/UndoStore.h"

CDrawObjectList* CLayoutSnapshotRecord::FaceList(CVtwinDoc& doc, const std::string& faceKey)
{
    return dynamic_cast<CDrawObjectList*>(&doc.GetFaceObjects(faceKey));
}

CLayoutSnapshotRecord::CLayoutSnapshotRecord(CVtwinDoc& doc, const std::string& faceKey,
                                             const std::string& description)
    : CUndoRecord(faceKey, description)
{
    if (CDrawObjectList* list = FaceList(doc, faceKey))
        m_objects = LayoutEdit::CloneAll(*list);
}

bool CLayoutSnapshotRecord::Apply(UndoContext& context)
{
    CDrawObjectList* list = FaceList(context.document, GetFaceKey());
    if (!list)
        return false;
    LayoutEdit::RestoreAll(*list, m_objects);
    return true;
}

std::unique_ptr<CUndoRecord> CLayoutSnapshotRecord::MakeInverse(UndoContext& context)
{
    return std::make_unique<CLayoutSnapshotRecord>(context.document, GetFaceKey(), GetDescription());
}

std::string RunLayoutCommand(CVtwinDoc& doc, CUndoStore& undo, const std::string& faceKey,
                             const std::string& description,
                             const std::function<std::string(CDrawObjectList&)>& command)
{
    CDrawObjectList* objects = CLayoutSnapshotRecord::FaceList(doc, faceKey);
    if (!objects)
        return "The face has no draw objects.";
    auto record = std::make_unique<CLayoutSnapshotRecord>(doc, faceKey, description);
    std::string refusal = command(*objects);
    if (refusal.empty())
        undo.Push(std::move(record), true);
    return refusal;
}
