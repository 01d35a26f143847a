#include "ui/grid/FacePictureRecord.h"

CFacePictureRecord::CFacePictureRecord(std::unique_ptr<CUndoRecord> side, std::unique_ptr<CUndoRecord> objects)
    : CUndoRecord(side->GetFaceKey(), side->GetDescription()), m_side(std::move(side)), m_objects(std::move(objects))
{
}

bool CFacePictureRecord::Apply(UndoContext& context)
{
    // The side first: when its undo file can not be read, nothing changes.
    return m_side->Apply(context) && m_objects->Apply(context);
}

std::unique_ptr<CUndoRecord> CFacePictureRecord::MakeInverse(UndoContext& context)
{
    std::unique_ptr<CUndoRecord> side = m_side->MakeInverse(context);
    std::unique_ptr<CUndoRecord> objects = m_objects->MakeInverse(context);
    if (!side || !objects)
        return nullptr;
    return std::make_unique<CFacePictureRecord>(std::move(side), std::move(objects));
}
