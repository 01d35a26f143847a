#pragma once
// Names of the temporary files that hold side snapshots: "_undo%03d.tua" in
// the internal folder, numbers in rotation (enough for full undo and redo
// stacks of side snapshots). A name is handed out only while
// no live record holds it, so a record's file is never overwritten under it
// however long the record stays on a stack.

#include <array>
#include <string>

class CUndoFileCounter {
public:
    // Both stacks at their deepest (100 each) and a few being made.
    static constexpr int kFileCount = 205;

    // `internalFolder` ends with '/' (or is empty for the current folder).
    explicit CUndoFileCounter(std::string internalFolder = {});

    // The process-wide counter; its folder is set once at start-up.
    static CUndoFileCounter& Instance();
    void SetFolder(std::string internalFolder) { m_Folder = std::move(internalFolder); }
    const std::string& GetFolder() const noexcept { return m_Folder; }

    // Folder + "_undo%03d.tua".
    std::string FileName(int number) const;

    // Takes the next free number, advancing past it (kFileCount wraps to 0 and sets
    // the wrapped flag), and marks it held. Empty when all are held.
    std::string Acquire();
    // Gives a name back (the record holding it is gone).
    void Release(const std::string& fileName) noexcept;

    int GetNextNumber() const noexcept { return m_Next; }
    bool HasWrapped() const noexcept { return m_Wrapped; }

    // Start-up: deletes all the names.
    void DeleteAllFiles() const;
    // Exit: all the names when the counter wrapped, else those below the next number.
    void DeleteUsedFiles() const;

private:
    std::string m_Folder;
    int m_Next = 0;
    bool m_Wrapped = false;
    std::array<bool, kFileCount> m_Held{};
};
