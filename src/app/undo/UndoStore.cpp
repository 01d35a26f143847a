#include "app/undo/UndoStore.h"


CUndoStore& CUndoStore::Instance()
{
    static CUndoStore store;
    return store;
}

void CUndoStore::SetDepth(std::size_t depth)
{
    m_Depth = depth < 1 ? 1 : (depth > kMaxDepth ? kMaxDepth : depth);
    for (Stack* stack : {&m_Undo, &m_Redo})
        while (stack->size() > m_Depth) {
            if (stack == &m_Undo)
                m_BaseId = ++m_LastId;  // the state below is no longer reachable
            stack->pop_front();
        }
    ++m_ChangeCount;
}

void CUndoStore::PushOnto(Stack& stack, SEntry entry)
{
    if (stack.size() >= m_Depth) {
        // Full: the oldest record falls off. On the undo stack the state
        // before it can no longer be reached.
        if (&stack == &m_Undo)
            m_BaseId = ++m_LastId;
        stack.pop_front();
    }
    stack.push_back(std::move(entry));
}

void CUndoStore::Push(std::unique_ptr<CUndoRecord> record, bool clearRedo)
{
    ++m_ChangeCount;
    if (clearRedo)
        ClearRedo();
    if (record)
        PushOnto(m_Undo, SEntry{std::move(record), ++m_LastId});
    else
        ForgetStates();
}

void CUndoStore::ForgetStates() noexcept
{
    m_BaseId = ++m_LastId;
    for (Stack* stack : {&m_Undo, &m_Redo})
        for (SEntry& e : *stack)
            e.id = ++m_LastId;
}

CUndoStore::Result CUndoStore::Step(UndoContext& context, Stack& from, Stack& to)
{
    if (from.empty())
        return Result{};
    // Take the record off its stack first, so that nothing the record does
    // while applying can reach it through the store.
    SEntry top = std::move(from.back());
    from.pop_back();
    Result result;
    result.faceKey = top.record->GetFaceKey();
    std::unique_ptr<CUndoRecord> inverse = top.record->MakeInverse(context);
    result.updateKind = top.record->UpdateKind();
    if (!top.record->Apply(context)) {
        // Nothing was restored (the record told the user why): no step to
        // take back on the other stack, and the record is of no further use.
        // The state it named can no longer be reached from here.
        if (&from == &m_Undo && from.empty())
            m_BaseId = ++m_LastId;
        return Result{};
    }
    // The inverse names the state the record left: the one undo or redo
    // brings back by applying it.
    if (inverse)
        PushOnto(to, SEntry{std::move(inverse), top.id});
    return result;
}

CUndoStore::Result CUndoStore::Undo(UndoContext& context)
{
    ++m_ChangeCount;
    return Step(context, m_Undo, m_Redo);
}

CUndoStore::Result CUndoStore::Redo(UndoContext& context)
{
    ++m_ChangeCount;
    return Step(context, m_Redo, m_Undo);
}

std::string CUndoStore::TopUndoDescription() const
{
    return m_Undo.empty() ? std::string() : m_Undo.back().record->GetDescription();
}

std::string CUndoStore::TopRedoDescription() const
{
    return m_Redo.empty() ? std::string() : m_Redo.back().record->GetDescription();
}

void CUndoStore::ClearUndo() noexcept
{
    m_Undo.clear();
    m_BaseId = ++m_LastId;
    ++m_ChangeCount;
}

void CUndoStore::ClearRedo() noexcept
{
    m_Redo.clear();
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
