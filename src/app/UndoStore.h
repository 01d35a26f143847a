#pragma once
// The last ten undoable edits and the last ten undone ones, of any kind.

#include "app/UndoRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CUndoStore {
public:
    static constexpr std::size_t kDepth = 10;

    // The process-wide store, created on first use.
    static CUndoStore& Instance();

    CUndoStore() = default;
    CUndoStore(const CUndoStore&) = delete;
    CUndoStore& operator=(const CUndoStore&) = delete;

    struct Result {
        std::string faceKey;  // empty when nothing was done
        int updateKind = 1;
    };

    // Puts `record` on top of the undo stack, dropping the oldest record when
    // ten are held. With `clearRedo` every redo record is deleted first.
    void Push(std::unique_ptr<CUndoRecord> record, bool clearRedo = true);
    // Applies the top undo record after capturing its inverse onto the redo
    // stack. With nothing to undo: empty face key and update kind 1.
    Result Undo(UndoContext& context);
    // The mirror image: its inverse goes onto the undo stack, the redo stack is kept.
    Result Redo(UndoContext& context);

    bool CanUndo() const noexcept { return m_UndoCount >= 1; }
    bool CanRedo() const noexcept { return m_RedoCount >= 1; }
    std::size_t GetUndoCount() const noexcept { return m_UndoCount; }
    std::size_t GetRedoCount() const noexcept { return m_RedoCount; }
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

    // Edit menu items: "&Undo" [" " description] "\tCtrl+Z", and "&Redo" likewise with "\tCtrl+Y".
    std::string GetUndoMenuText() const;
    std::string GetRedoMenuText() const;

private:
    using Stack = std::array<std::unique_ptr<CUndoRecord>, kDepth>;  // oldest first
    static void PushOnto(Stack& stack, std::size_t& count, std::unique_ptr<CUndoRecord> record);
    static Result Step(UndoContext& context, Stack& from, std::size_t& fromCount, Stack& to, std::size_t& toCount);

    Stack m_Undo;
    Stack m_Redo;
    std::size_t m_UndoCount = 0;
    std::size_t m_RedoCount = 0;
    std::uint64_t m_ChangeCount = 0;
};
