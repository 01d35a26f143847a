#pragma once
// One undoable edit of any kind. A record restores the state it saved
// (Apply) and, just before that, captures the state Apply will overwrite as a
// new record of its own kind (MakeInverse); undo and redo are then one
// symmetric algorithm over two stacks.

#include <memory>
#include <string>
#include <utility>

class CVtwinDoc;

// View-side state an edit may need when it is applied (the layout layer
// derives its own).
class CUndoViewContext {
public:
    virtual ~CUndoViewContext() = default;
};

struct UndoContext {
    CVtwinDoc& document;
    CUndoViewContext* view = nullptr;
};

class CUndoRecord {
public:
    virtual ~CUndoRecord() = default;
    CUndoRecord(const CUndoRecord&) = delete;
    CUndoRecord& operator=(const CUndoRecord&) = delete;

    // The face the edit belongs to; the view switches to it after undo or redo.
    const std::string& GetFaceKey() const noexcept { return m_FaceKey; }
    // Shown in the Edit menu.
    const std::string& GetDescription() const noexcept { return m_Description; }

    // Restores the saved state into the document. False when it could not
    // (an undo file that cannot be read back): the document is then unchanged.
    virtual bool Apply(UndoContext& context) = 0;
    // Captures the state Apply is about to overwrite; null when that fails.
    virtual std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) = 0;
    // What the caller must recompute after Apply (side snapshot 2, multi-side 3).
    virtual int UpdateKind() const = 0;

protected:
    CUndoRecord(std::string faceKey, std::string description)
        : m_FaceKey(std::move(faceKey)), m_Description(std::move(description)) {}

private:
    std::string m_FaceKey;
    std::string m_Description;
};
