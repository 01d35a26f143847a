#include "ui/LayoutUndo.h"

void CLayoutUndo::PushBounded(std::deque<SRecord>& stack, SRecord record)
{
    if (stack.size() >= kDepth)
        stack.pop_front();
    stack.push_back(std::move(record));
}

void CLayoutUndo::Push(const std::string& faceKey, const std::string& description, const CObjectVector& objects)
{
    m_redo.clear();
    PushBounded(m_undo, SRecord{faceKey, description, LayoutEdit::CloneAll(objects)});
}

std::string CLayoutUndo::Step(std::deque<SRecord>& from, std::deque<SRecord>& to, CLayoutFaces& faces)
{
    if (from.empty())
        return {};
    SRecord top = std::move(from.back());
    from.pop_back();
    CObjectVector& list = faces[top.face];
    // The inverse holds what is about to be overwritten.
    PushBounded(to, SRecord{top.face, top.description, LayoutEdit::CloneAll(list)});
    list = LayoutEdit::CloneAll(top.objects);
    LayoutEdit::Renumber(list);
    LayoutEdit::FixDominant(list);
    return top.face;
}

std::string CLayoutUndo::Undo(CLayoutFaces& faces) { return Step(m_undo, m_redo, faces); }

std::string CLayoutUndo::Redo(CLayoutFaces& faces) { return Step(m_redo, m_undo, faces); }

std::string CLayoutUndo::UndoMenuText() const
{
    const std::string d = TopUndoDescription();
    return "&Undo" + (d.empty() ? std::string() : " " + d) + "\tCtrl+Z";
}

std::string CLayoutUndo::RedoMenuText() const
{
    const std::string d = TopRedoDescription();
    return "&Redo" + (d.empty() ? std::string() : " " + d) + "\tCtrl+Y";
}
