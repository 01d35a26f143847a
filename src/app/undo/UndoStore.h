#pragma once
// The last undoable edits and the last undone ones, of any kind, as many of
// each as the depth (a user setting, 100 unless set).

#include "app/undo/UndoRecord.h"

#include <deque>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CUndoStore {
public:
    static constexpr std::size_t kDefaultDepth = 100;
    static constexpr std::size_t kMaxDepth = 100;

    // The process-wide store, created on first use.
    static CUndoStore& Instance();

    CUndoStore() = default;
    CUndoStore(const CUndoStore&) = delete;
    CUndoStore& operator=(const CUndoStore&) = delete;

    struct Result {
        std::string faceKey;  // empty when nothing was done
        int updateKind = 1;
    };

    // Records kept on each stack, 1..kMaxDepth; the oldest ones beyond it go.
    void SetDepth(std::size_t depth);
    std::size_t GetDepth() const noexcept { return m_Depth; }

    // Puts `record` on top of the undo stack, dropping the oldest record when
    // the depth is reached. A null record stands for an edit that cannot be
    // undone: nothing is pushed and the states are forgotten. With `clearRedo` every redo record is deleted first.
    void Push(std::unique_ptr<CUndoRecord> record, bool clearRedo = true);
    // Applies the top undo record after capturing its inverse onto the redo
    // stack. With nothing to undo: empty face key and update kind 1.
    Result Undo(UndoContext& context);
    // The mirror image: its inverse goes onto the undo stack, the redo stack is kept.
    Result Redo(UndoContext& context);

    bool CanUndo() const noexcept { return !m_Undo.empty(); }
    bool CanRedo() const noexcept { return !m_Redo.empty(); }
    std::size_t GetUndoCount() const noexcept { return m_Undo.size(); }
    std::size_t GetRedoCount() const noexcept { return m_Redo.size(); }
    std::string TopUndoDescription() const;
    std::string TopRedoDescription() const;
    void ClearUndo() noexcept;
    void ClearRedo() noexcept;
    void Clear() noexcept
    {
        ClearUndo();
        ClearRedo();
    }

    // Grows with every change of either stack (push, undo, redo, clear), so
    // that a caller can tell whether the top record is still the one it
    // pushed: an unchanged count means nothing happened in between.
    std::uint64_t GetChangeCount() const noexcept { return m_ChangeCount; }

    // Names the state the undone and redone edits lead to: two moments with
    // the same id show the same document as far as undoable edits go (undo
    // and redo back to a state give its id again; a new edit or a clear gives
    // an id never seen before). The document compares it with the id of its
    // saved state.
    std::uint64_t GetStateId() const noexcept { return m_Undo.empty() ? m_BaseId : m_Undo.back().id; }
    // A change no record covers was made: no state reached by undo or redo
    // from here is one seen before. Push of a null record does this too.
    void ForgetStates() noexcept;

    // Edit menu items: "&Undo" [" " description] "\tCtrl+Z", and "&Redo" likewise with "\tCtrl+Y".
    std::string GetUndoMenuText() const;
    std::string GetRedoMenuText() const;

private:
    // A record with the id of the state it leads to when applied as an
    // undo (undo stack) or of the state it was taken from (redo stack).
    struct SEntry {
        std::unique_ptr<CUndoRecord> record;
        std::uint64_t id = 0;
    };
    using Stack = std::deque<SEntry>;  // oldest first
    void PushOnto(Stack& stack, SEntry entry);
    Result Step(UndoContext& context, Stack& from, Stack& to);

    Stack m_Undo;
    Stack m_Redo;
    std::size_t m_Depth = kDefaultDepth;
    std::uint64_t m_ChangeCount = 0;
    std::uint64_t m_LastId = 0;
    std::uint64_t m_BaseId = 0;  // the state below the oldest undo record
};
