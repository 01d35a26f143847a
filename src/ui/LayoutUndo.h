#pragma once
// Layout undo and redo: snapshots of all objects of one face with their
// description, ten on each stack. Undo captures the face's current objects
// as the inverse before restoring, so undo and redo are one algorithm.

#include "ui/LayoutEditor.h"

#include <deque>
#include <map>
#include <string>

using CLayoutFaces = std::map<std::string, CObjectVector>;

class CLayoutUndo {
public:
    static constexpr std::size_t kDepth = 10;

    // Captures the face's objects (clones with selection) before an edit and
    // empties the redo stack.
    void Push(const std::string& faceKey, const std::string& description, const CObjectVector& objects);

    // Restores the top record into `faces`; returns its face key, empty when
    // the stack was empty.
    std::string Undo(CLayoutFaces& faces);
    std::string Redo(CLayoutFaces& faces);

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    std::string TopUndoDescription() const { return m_undo.empty() ? std::string() : m_undo.back().description; }
    std::string TopRedoDescription() const { return m_redo.empty() ? std::string() : m_redo.back().description; }
    std::size_t UndoCount() const { return m_undo.size(); }
    std::size_t RedoCount() const { return m_redo.size(); }
    void Clear()
    {
        m_undo.clear();
        m_redo.clear();
    }

    // "&Undo" [" " description] "\tCtrl+Z", and likewise for redo.
    std::string UndoMenuText() const;
    std::string RedoMenuText() const;

private:
    struct SRecord {
        std::string face;
        std::string description;
        CObjectVector objects;
    };
    static void PushBounded(std::deque<SRecord>& stack, SRecord record);
    static std::string Step(std::deque<SRecord>& from, std::deque<SRecord>& to, CLayoutFaces& faces);

    std::deque<SRecord> m_undo;
    std::deque<SRecord> m_redo;
};
