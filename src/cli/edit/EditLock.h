#pragma once
// The lock a command that changes a project holds from reading it to writing
// it back: an exclusive advisory lock (flock) on the project file, so that two
// commands on one project take turns instead of one losing the other's edit.
// The file is replaced by renaming on save, so the lock is taken on the file
// the name points to once it is held, and taken again when the name moved on.
// A project the desktop program holds open (its lock file) is refused unless
// forced.

#include <memory>
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

// A project opened for editing a face under its lock: the face PROJECT FACE
// (`a.positional[0]`, `[1]`) names, the back face added to a box or book that
// lacks one when it is named.
struct SFaceEdit {
    CEditLock lock;
    std::unique_ptr<CVtwinDoc> doc;
    std::string key;
    bool backAdded = false;
};

// Opens the face for editing; the exit code with the message printed when it
// can not be done (kExitOk when it is open).
int OpenFaceForEdit(const SArgs& a, SFaceEdit& edit);
