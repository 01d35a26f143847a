#include "ui/grid/FacePictureRecord.h"

#include "app/undo/SideSnapshotRecord.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "layout/edit/LayoutSnapshotRecord.h"
#include "ui/shell/EditService.h"

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

bool RunFaceChange(CEditService& edits, const std::string& key, const std::string& description,
                   const std::function<bool()>& change)
{
    CVtwinDoc* doc = edits.Document();
    CProduct* product = doc ? doc->GetProduct() : nullptr;
    if (!product)
        return false;
    auto side = CSideSnapshotRecord::Create(*doc, key, description, product->GetKindName());
    std::unique_ptr<CUndoRecord> record;
    if (side && CLayoutSnapshotRecord::FaceList(*doc, key))
        record = std::make_unique<CFacePictureRecord>(
            std::move(side), std::make_unique<CLayoutSnapshotRecord>(*doc, key, description));
    else
        record = std::move(side);
    if (!change())
        return false;
    // A null record: an edit that cannot be undone.
    doc->GetUndoStore().Push(std::move(record), true);
    edits.FaceChanged();
    return true;
}
