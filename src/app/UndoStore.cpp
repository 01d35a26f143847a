#include "app/UndoStore.h"

#include <cassert>

CUndoStore& CUndoStore::Instance()
{
    static CUndoStore store;
    return store;
}

void CUndoStore::PushOnto(Stack& stack, std::size_t& count, std::unique_ptr<CUndoRecord> record)
{
    assert(count <= kDepth);
    if (count < kDepth) {
        stack[count++] = std::move(record);
        return;
    }
    // Full: the oldest record falls off, the other nine move down.
    stack[0].reset();
    for (std::size_t i = 1; i < kDepth; ++i)
        stack[i - 1] = std::move(stack[i]);
    stack[kDepth - 1] = std::move(record);
}

void CUndoStore::Push(std::unique_ptr<CUndoRecord> record, bool clearRedo)
{
    ++m_ChangeCount;
    if (clearRedo)
        ClearRedo();
    if (record)
        PushOnto(m_Undo, m_UndoCount, std::move(record));
}

CUndoStore::Result CUndoStore::Step(UndoContext& context, Stack& from, std::size_t& fromCount, Stack& to,
                                    std::size_t& toCount)
{
    if (fromCount == 0)
        return Result{};
    // Take the record off its stack first, so that nothing the record does
    // while applying can reach it through the store.
    std::unique_ptr<CUndoRecord> top = std::move(from[--fromCount]);
    Result result;
    result.faceKey = top->GetFaceKey();
    std::unique_ptr<CUndoRecord> inverse = top->MakeInverse(context);
    result.updateKind = top->UpdateKind();
    if (!top->Apply(context)) {
        // Nothing was restored (the record told the user why): no step to
        // take back on the other stack, and the record is of no further use.
        return Result{};
    }
    if (inverse)
        PushOnto(to, toCount, std::move(inverse));
    return result;
}

CUndoStore::Result CUndoStore::Undo(UndoContext& context)
{
    ++m_ChangeCount;
    return Step(context, m_Undo, m_UndoCount, m_Redo, m_RedoCount);
}

CUndoStore::Result CUndoStore::Redo(UndoContext& context)
{
    ++m_ChangeCount;
    return Step(context, m_Redo, m_RedoCount, m_Undo, m_UndoCount);
}

std::string CUndoStore::TopUndoDescription() const
{
    return m_UndoCount ? m_Undo[m_UndoCount - 1]->GetDescription() : std::string();
}

std::string CUndoStore::TopRedoDescription() const
{
    return m_RedoCount ? m_Redo[m_RedoCount - 1]->GetDescription() : std::string();
}

void CUndoStore::ClearUndo() noexcept
{
    for (auto& r : m_Undo)
        r.reset();
    m_UndoCount = 0;
    ++m_ChangeCount;
}

void CUndoStore::ClearRedo() noexcept
{
    for (auto& r : m_Redo)
        r.reset();
    m_RedoCount = 0;
    ++m_ChangeCount;
}

std::string CUndoStore::GetUndoMenuText() const
{
    std::string text = "&Undo";
    const std::string d = TopUndoDescription();
    if (!d.empty())
        text += " " + d;
    return text + "\tCtrl+Z";
}

std::string CUndoStore::GetRedoMenuText() const
{
    std::string text = "&Redo";
    const std::string d = TopRedoDescription();
    if (!d.empty())
        text += " " + d;
    return text + "\tCtrl+Y";
}
