#include "cli/output/TemplateCache.h"

#include "app/VtwinDoc.h"
#include "app/project/DocumentCopy.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include <algorithm>
#include <new>

bool CTemplateCache::Open(CVtwinDoc& doc, const std::string& path)
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const SEntry& e) { return e.path == path; });
    if (found != m_entries.end() && !found->doc->GetDiskStamp().Matches(path)) m_entries.erase(found);
    else if (found != m_entries.end()) std::rotate(found, found + 1, m_entries.end());
    if (m_entries.empty() || m_entries.back().path != path) {
        SEntry entry{path, MakeDocument()};
        if (!OpenDocument(*entry.doc, path)) return false;
        if (m_entries.size() >= kMaxEntries) m_entries.erase(m_entries.begin());
        m_entries.push_back(std::move(entry));
    }
    const CVtwinDoc& kept = *m_entries.back().doc;
    try {
        doc.TakeContent(CopyDocContent(kept));
    } catch (const std::bad_alloc&) {
        PrintError(path + ": not enough memory for a copy of the project");
        return false;
    }
    doc.SetPathName(kept.GetPathName());
    doc.SetDiskStamp(kept.GetDiskStamp());
    doc.SetMessageSink([path](const std::string& m) { PrintError(path + ": " + m); });
    return true;
}

bool OpenDocument(const SCliContext& context, CVtwinDoc& doc, const std::string& path)
{
    return context.templates ? context.templates->Open(doc, path) : OpenDocument(doc, path);
}
