#include "app/RecoveryStore.h"

#include "ground/IniFile.h"
#include "app/project/ProjectFile.h"
#include "app/project/ProjectLockFile.h"
#include "app/VtwinDoc.h"
#include "image/SafeFile.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kSection = "Recovery";

std::string ToText(std::int64_t v)
{
    return std::to_string(v);
}

std::int64_t ToNumber(const std::string& text)
{
    return std::strtoll(text.c_str(), nullptr, 10);
}

} // namespace

CRecoveryStore::CRecoveryStore(const std::string& internalFolder)
    : m_Folder(internalFolder + "recovery/"),
      m_Base("recover-" + std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr)))
{
}

bool CRecoveryStore::TakeSnapshot(const CVtwinDoc& doc, SSnapshot& snapshot) const
{
    CArchiveWriter out;
    std::string error;
    if (!doc.HasProduct() || !CProjectFile::Write(doc, out, error))
        return false;
    snapshot.project = std::move(out.Bytes());
    const SLockOwner me = CProjectLockFile::Me();
    const SFileStamp& stamp = doc.GetDiskStamp();
    CIniDocument note;
    note.PutString(kSection, "Project", doc.GetPathName());
    note.PutString(kSection, "Title", doc.GetTitle());
    note.PutString(kSection, "Time", ToText(me.time));
    note.PutString(kSection, "Pid", ToText(me.pid));
    note.PutString(kSection, "Host", me.host);
    note.PutString(kSection, "Size", ToText(stamp.size));
    note.PutString(kSection, "MTime", ToText(stamp.mtimeNs));
    note.PutString(kSection, "Hash", std::to_string(stamp.hash));
    snapshot.note = note.ToText();
    return true;
}

bool CRecoveryStore::WriteSnapshot(const SSnapshot& snapshot, std::string& error) const
{
    std::error_code ec;
    std::filesystem::create_directories(m_Folder, ec);
    return WriteFileAtomically(m_Folder + m_Base + ".vtp", snapshot.project.data(), snapshot.project.size(), error) &&
           WriteFileAtomically(m_Folder + m_Base + ".ini", snapshot.note.data(), snapshot.note.size(), error);
}

void CRecoveryStore::Remove() const
{
    ::unlink((m_Folder + m_Base + ".ini").c_str());
    ::unlink((m_Folder + m_Base + ".vtp").c_str());
}

bool CRecoveryStore::HasOwnFile() const
{
    struct stat st {};
    return ::stat((m_Folder + m_Base + ".ini").c_str(), &st) == 0;
}

std::vector<SRecoveryEntry> CRecoveryStore::FindOrphans() const
{
    std::vector<SRecoveryEntry> found;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(m_Folder, ec)) {
        const std::filesystem::path path = item.path();
        if (path.extension() != ".ini" || path.filename().string().rfind("recover-", 0) != 0)
            continue;
        CIniDocument note;
        if (!note.Load(path.string()))
            continue;
        SRecoveryEntry e;
        e.note = path.string();
        e.file = path.parent_path().string() + "/" + path.stem().string() + ".vtp";
        e.projectPath = note.GetString(kSection, "Project");
        e.title = note.GetString(kSection, "Title");
        e.savedAt = ToNumber(note.GetString(kSection, "Time"));
        e.pid = static_cast<long>(ToNumber(note.GetString(kSection, "Pid")));
        e.host = note.GetString(kSection, "Host");
        e.stamp.size = ToNumber(note.GetString(kSection, "Size", "-1"));
        e.stamp.mtimeNs = ToNumber(note.GetString(kSection, "MTime"));
        e.stamp.hash = std::strtoull(note.GetString(kSection, "Hash").c_str(), nullptr, 10);
        SLockOwner writer;
        writer.pid = e.pid;
        writer.host = e.host;
        struct stat st {};
        if (e.pid == ::getpid() || !writer.IsStale() || ::stat(e.file.c_str(), &st) != 0)
            continue;  // its program still runs, or the project is missing
        found.push_back(std::move(e));
    }
    std::sort(found.begin(), found.end(), [](const SRecoveryEntry& a, const SRecoveryEntry& b) { return a.savedAt > b.savedAt; });
    return found;
}

void CRecoveryStore::Discard(const SRecoveryEntry& entry)
{
    ::unlink(entry.note.c_str());
    ::unlink(entry.file.c_str());
}

bool CRecoveryStore::Recover(CVtwinDoc& doc, const SRecoveryEntry& entry)
{
    if (!doc.OpenProject(entry.file, EDamagedFile::Refuse, true))
        return false;
    doc.SetPathName(entry.projectPath);
    if (entry.projectPath.empty())
        doc.SetTitle(entry.title.empty() ? "Untitled" : entry.title);
    doc.SetDiskStamp(entry.projectPath.empty() ? SFileStamp{} : entry.stamp);
    doc.SetModifiedFlag(true);
    return true;
}
