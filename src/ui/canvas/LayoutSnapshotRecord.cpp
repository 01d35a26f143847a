#include "ui/canvas/LayoutSnapshotRecord.h"

#include "app/VtwinDoc.h"

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

void CLayoutSnapshotRecord::Apply(UndoContext& context)
{
    if (CDrawObjectList* list = FaceList(context.document, GetFaceKey()))
        LayoutEdit::RestoreAll(*list, m_objects);
}

std::unique_ptr<CUndoRecord> CLayoutSnapshotRecord::MakeInverse(UndoContext& context)
{
    return std::make_unique<CLayoutSnapshotRecord>(context.document, GetFaceKey(), GetDescription());
}
