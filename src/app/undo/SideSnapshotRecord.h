#pragma once
// Undo records that keep whole sides (settings and both pictures) in a
// temporary undo file rather than in memory: one side, or the background with
// the four working pictures together.

#include "ground/UndoFileCounter.h"
#include "app/undo/UndoRecord.h"

#include <memory>
#include <string>
#include <vector>

// Shared machinery: which sides, which file, and the name used in messages.
class CSnapshotRecordBase : public CUndoRecord {
public:
    ~CSnapshotRecordBase() override;

    // The undo file holding the captured sides.
    const std::string& GetFileName() const noexcept { return m_FileName; }

    // Reads the captured sides back into the document's product (sides that
    // are missing are created). A file that cannot be read leaves the sides
    // as they are, shows a message and gives false.
    bool Apply(UndoContext& context) override;

protected:
    CSnapshotRecordBase(std::string faceKey, std::string description, std::string productName,
                        std::vector<std::string> sideKeys, CUndoFileCounter& counter);

    // Writes the sides into the next undo file. False when the document has
    // no product or the file cannot be written (the disk message is shown).
    bool Capture(CVtwinDoc& doc);

    const std::string& GetProductName() const noexcept { return m_ProductName; }
    CUndoFileCounter& GetCounter() const noexcept { return m_Counter; }

private:
    std::string m_ProductName;
    std::vector<std::string> m_SideKeys;
    CUndoFileCounter& m_Counter;
    std::string m_FileName;
};

class CSideSnapshotRecord final : public CSnapshotRecordBase {
public:
    static constexpr int kUpdateKind = 2;

    // Captures side `key` (created with default settings when missing).
    // `productName` names the face in the disk message. Null when capturing
    // failed; nothing should then be pushed.
    static std::unique_ptr<CSideSnapshotRecord> Create(CVtwinDoc& doc, const std::string& key,
                                                       std::string description, std::string productName,
                                                       CUndoFileCounter& counter = CUndoFileCounter::Instance());

    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) override;
    int UpdateKind() const override { return kUpdateKind; }

private:
    CSideSnapshotRecord(const std::string& key, std::string description, std::string productName,
                        CUndoFileCounter& counter);
};

class CMultiSideSnapshotRecord final : public CSnapshotRecordBase {
public:
    static constexpr int kUpdateKind = 3;

    // "G" (the background), then the working pictures "a", "x", "y", "z".
    static const std::vector<std::string>& CapturedSides();

    static std::unique_ptr<CMultiSideSnapshotRecord> Create(CVtwinDoc& doc, std::string faceKey,
                                                            std::string description, std::string productName,
                                                            CUndoFileCounter& counter = CUndoFileCounter::Instance());

    std::unique_ptr<CUndoRecord> MakeInverse(UndoContext& context) override;
    int UpdateKind() const override { return kUpdateKind; }

private:
    CMultiSideSnapshotRecord(std::string faceKey, std::string description, std::string productName,
                             CUndoFileCounter& counter);
};
