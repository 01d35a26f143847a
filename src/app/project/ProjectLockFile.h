#pragma once
// The lock a program holding a project open keeps beside it: a hidden file
// ".NAME.lock" in the project's folder naming the user, host, process and
// time. The desktop program takes it on open and removes it on close; the
// command-line tool respects it. A lock left by a process of this host that
// no longer runs is stale and is taken over silently.

#include <cstdint>
#include <string>

struct SLockOwner {
    std::string user;
    std::string host;
    long pid = 0;
    std::int64_t time = 0;  // seconds since 1970

    // "anna on studio2 (process 4711) since 2026-12-07 15:02"
    std::string Describe() const;
    // A process of this host that no longer runs.
    bool IsStale() const;
    // Reads the "key=value" lines of a lock file; false when no process is named.
    bool Parse(const std::string& text);
};

class CProjectLockFile {
public:
    enum class ETake { Taken, Held, Failed };

    CProjectLockFile() = default;
    ~CProjectLockFile() { Release(); }
    CProjectLockFile(const CProjectLockFile&) = delete;
    CProjectLockFile& operator=(const CProjectLockFile&) = delete;

    static std::string PathFor(const std::string& project);
    // The live lock beside `project` (a stale one does not count); false when none.
    static bool FindHolder(const std::string& project, SLockOwner& holder);
    // This process as an owner, now.
    static SLockOwner Me();

    // Takes the lock of `project`: Held with `holder` filled when a live
    // process holds it; Failed when the folder does not allow one (the
    // project then opens without a lock).
    ETake Take(const std::string& project, SLockOwner& holder);
    // Removes the lock when this object took it and it is still ours.
    void Release();
    bool IsHeld() const noexcept { return !m_Path.empty(); }
    const std::string& GetLockPath() const noexcept { return m_Path; }

private:
    std::string m_Path;
};
