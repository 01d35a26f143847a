#pragma once
// The recovery area of the internal folder: what a running program has not
// saved yet, written at intervals and when it is told to stop, so that the
// next start can offer it back after a crash, a kill or a lost display.
//
// Each program writes one project ("recover-PID-TIME.vtp") and, beside it, a
// small INI note ("recover-PID-TIME.ini") naming the project file it belongs
// to, its title, the time, the writing process and the project file's stamp
// when it was read. Both go through the safe whole-file writer, the note
// last, so a note always describes a whole recovery file.

#include "app/project/FileStamp.h"

#include <cstdint>
#include <string>
#include <vector>

class CVtwinDoc;

struct SRecoveryEntry {
    std::string file;         // the recovery project
    std::string note;         // its INI note
    std::string projectPath;  // the project it belongs to; empty for an untitled one
    std::string title;
    std::int64_t savedAt = 0; // seconds since 1970
    long pid = 0;
    std::string host;
    SFileStamp stamp;         // of the project file when it was read
};

class CRecoveryStore {
public:
    static constexpr int kDefaultAutosaveSeconds = 60;

    // `internalFolder` ends with '/'; the area is its "recovery/" folder.
    explicit CRecoveryStore(const std::string& internalFolder);

    // What a write needs, taken from the document on its own thread; the
    // write itself may then run anywhere.
    struct SSnapshot {
        std::vector<std::uint8_t> project;
        std::string note;
    };
    bool TakeSnapshot(const CVtwinDoc& doc, SSnapshot& snapshot) const;
    bool WriteSnapshot(const SSnapshot& snapshot, std::string& error) const;
    // Removes this program's recovery files (saved, or closed cleanly).
    void Remove() const;
    bool HasOwnFile() const;

    // Recovery files of programs that no longer run, newest first.
    std::vector<SRecoveryEntry> FindOrphans() const;
    static void Discard(const SRecoveryEntry& entry);
    // Opens `entry` into `doc` under its project's name, modified: the
    // project file itself is untouched until the user saves.
    static bool Recover(CVtwinDoc& doc, const SRecoveryEntry& entry);

    const std::string& GetFolder() const noexcept { return m_Folder; }

private:
    std::string m_Folder;
    std::string m_Base;  // this program's "recover-PID-TIME"
};
