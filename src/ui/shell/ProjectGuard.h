#pragma once
// Keeps one writer per project: the lock file beside the open project, the
// read-only state of a project another program holds, and the check before a
// save that nobody else changed the file since this program read or wrote it.

#include <QString>
#include <memory>

class QWidget;
class CProjectLockFile;
class CVtwinDoc;

class CProjectGuard {
public:
    explicit CProjectGuard(QWidget* parent);
    ~CProjectGuard();
    CProjectGuard(const CProjectGuard&) = delete;
    CProjectGuard& operator=(const CProjectGuard&) = delete;

    // Before opening `path`: takes its lock. When another program holds it,
    // says who and offers Open Read-Only or Cancel; false when cancelled.
    bool BeforeOpen(const QString& path);
    // After the open: the document keeps the new lock when it opened under
    // the file's name (`underItsName`), else it is given back.
    void AfterOpen(bool opened, bool underItsName);

    enum class ESave { Go, SaveAs, Stop };
    // Before saving `doc` to `path`: a read-only project or a file another
    // program holds goes to Save As; a file changed by another program since
    // it was read asks Save As, Overwrite or Cancel.
    ESave BeforeSave(const CVtwinDoc& doc, const QString& path);
    // After a save to `path`: the lock follows the file; read-only ends.
    void AfterSave(const QString& path);

    // The document no longer belongs to a file (new project, close).
    void Release();
    bool IsReadOnly() const noexcept { return m_readOnly; }

private:
    QWidget* m_parent;
    std::unique_ptr<CProjectLockFile> m_current, m_pending;
    bool m_readOnly = false, m_pendingReadOnly = false, m_pendingIsCurrent = false;
};
