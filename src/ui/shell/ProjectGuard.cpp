#include "ui/shell/ProjectGuard.h"

#include "app/project/ProjectLockFile.h"
#include "app/VtwinDoc.h"
#include "ui/widgets/MessageBox.h"

#include <QFileInfo>

namespace {

QString NameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

CProjectGuard::CProjectGuard(QWidget* parent)
    : m_parent(parent), m_current(std::make_unique<CProjectLockFile>()), m_pending(std::make_unique<CProjectLockFile>())
{
}

CProjectGuard::~CProjectGuard() = default;

bool CProjectGuard::BeforeOpen(const QString& path)
{
    const std::string file = path.toStdString();
    m_pendingReadOnly = false;
    m_pendingIsCurrent = m_current->IsHeld() && m_current->GetLockPath() == CProjectLockFile::PathFor(file);
    if (m_pendingIsCurrent)
        return true;
    SLockOwner holder;
    if (m_pending->Take(file, holder) != CProjectLockFile::ETake::Held)
        return true;  // taken, or a folder without locks: open as usual
    const QString text = QStringLiteral("%1 is open in Vantorel by %2.\n\nOpen it read-only? Saving it then asks for a new name.")
                             .arg(NameOf(path), QString::fromStdString(holder.Describe()));
    if (AskChoice(m_parent, text, {QStringLiteral("Open Read-Only"), QStringLiteral("Cancel")}) != 0)
        return false;
    m_pendingReadOnly = true;
    return true;
}

void CProjectGuard::AfterOpen(bool opened, bool underItsName)
{
    if (!opened) {
        if (!m_pendingIsCurrent)
            m_pending->Release();
        return;
    }
    if (!m_pendingIsCurrent) {
        m_current->Release();
        std::swap(m_current, m_pending);
    }
    if (!underItsName)
        m_current->Release();
    m_readOnly = m_pendingReadOnly && underItsName;
}

CProjectGuard::ESave CProjectGuard::BeforeSave(const CVtwinDoc& doc, const QString& path)
{
    const std::string file = path.toStdString();
    const bool sameFile = file == doc.GetPathName();
    if (m_readOnly && sameFile)
        return ESave::SaveAs;
    SLockOwner holder;
    const bool ours = m_current->IsHeld() && m_current->GetLockPath() == CProjectLockFile::PathFor(file);
    if (!ours && CProjectLockFile::FindHolder(file, holder) && holder.pid != CProjectLockFile::Me().pid) {
        ShowMessage(m_parent,
                    QStringLiteral("%1 is open in Vantorel by %2. Save the project under another name.")
                        .arg(NameOf(path), QString::fromStdString(holder.Describe())),
                    EMessageIcon::Warning);
        return ESave::SaveAs;
    }
    if (!sameFile || !doc.GetDiskStamp().IsKnown() || doc.GetDiskStamp().Matches(file))
        return ESave::Go;
    const QString text = QStringLiteral("%1 was changed by another program since you opened it").arg(NameOf(path));
    switch (AskChoice(m_parent, text, {QStringLiteral("Save As"), QStringLiteral("Overwrite"), QStringLiteral("Cancel")})) {
    case 0: return ESave::SaveAs;
    case 1: return ESave::Go;
    default: return ESave::Stop;
    }
}

void CProjectGuard::AfterSave(const QString& path)
{
    const std::string file = path.toStdString();
    m_readOnly = false;
    if (m_current->IsHeld() && m_current->GetLockPath() == CProjectLockFile::PathFor(file))
        return;
    m_current->Release();
    SLockOwner holder;
    m_current->Take(file, holder);
}

void CProjectGuard::Release()
{
    m_current->Release();
    m_readOnly = false;
}
