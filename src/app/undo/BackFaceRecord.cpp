#include "app/undo/BackFaceRecord.h"

#include "app/VtwinDoc.h"
#include "app/undo/UndoStore.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"

#include <new>

namespace {
constexpr char kDescription[] = "Add Back Face";
}

CBackFaceRecord::CBackFaceRecord(std::unique_ptr<CSide> back)
    : CUndoRecord(kBackFaceKey, kDescription), m_back(std::move(back))
{
}

CBackFaceRecord::~CBackFaceRecord() = default;

bool CBackFaceRecord::Apply(UndoContext& context)
{
    CProduct* product = context.document.GetProduct();
    if (!product)
        return false;
    if (!m_back)
        return TakeBackFace(*product) != nullptr;
    if (HasBackFace(*product) || !CanHaveBackFace(*product))
        return false;
    product->AddSide(kBackFaceKey, std::move(m_back));
    return true;
}

std::unique_ptr<CUndoRecord> CBackFaceRecord::MakeInverse(UndoContext& context)
{
    if (m_back)
        return std::make_unique<CBackFaceRecord>(nullptr);
    // The back about to be taken out, kept for redo.
    const CProduct* product = context.document.GetProduct();
    const CSide* back = product ? product->FindSidePtr(kBackFaceKey) : nullptr;
    if (!back)
        return nullptr;
    try {
        return std::make_unique<CBackFaceRecord>(back->Clone());
    } catch (const std::bad_alloc&) {
        return nullptr;  // undone all the same; there is nothing to redo
    }
}

bool AddBackFaceStep(CVtwinDoc& doc, CUndoStore& undo, std::string& error)
{
    CProduct* product = doc.GetProduct();
    if (!product) {
        error = "the document holds no product";
        return false;
    }
    if (!AddBackFace(*product, error))
        return false;
    undo.Push(std::make_unique<CBackFaceRecord>(nullptr), true);
    return true;
}
