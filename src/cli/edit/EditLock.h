#pragma once
// The lock a command that changes a project holds from reading it to writing
// it back: an exclusive advisory lock (flock) on the project file, so that two
// commands on one project take turns instead of one losing the other's edit.
// The file is replaced by renaming on save, so the lock is taken on the file
// the name points to once it is held, and taken again when the name moved on.
// A project the desktop program holds open (its lock file) is refused unless
// forced.

#include <string>

struct SArgs;
class CVtwinDoc;

class CEditLock {
public:
    static constexpr double kDefaultWaitSeconds = 10.0;

    CEditLock() = default;
    ~CEditLock();
    CEditLock(const CEditLock&) = delete;
    CEditLock& operator=(const CEditLock&) = delete;

    // Waits up to `seconds` for the lock of `path`; false with the message
    // printed. With `force` the desktop program's lock file is ignored.
    bool Take(const std::string& path, double seconds, bool force);

private:
    int m_Fd = -1;
};

// Takes the lock (options --wait SECONDS and --force of `a`) and opens the
// project, which must hold a product; false with the message printed.
bool OpenDocumentForEdit(CVtwinDoc& doc, const std::string& path, const SArgs& a, CEditLock& lock);
