#include "ground/UndoFileCounter.h"

#include <cstdio>

CUndoFileCounter::CUndoFileCounter(std::string internalFolder) : m_Folder(std::move(internalFolder)) {}

CUndoFileCounter& CUndoFileCounter::Instance()
{
    // Never destroyed: records still held by the process-wide undo store give
    // their names back while static objects are torn down at exit.
    static CUndoFileCounter* counter = new CUndoFileCounter;
    return *counter;
}

std::string CUndoFileCounter::FileName(int number) const
{
    char name[32];
    std::snprintf(name, sizeof name, "_undo%03d.tua", number);
    return m_Folder + name;
}

std::string CUndoFileCounter::Acquire()
{
    for (int tries = 0; tries < kFileCount; ++tries) {
        const int n = m_Next;
        if (++m_Next == kFileCount) {
            m_Next = 0;
            m_Wrapped = true;
        }
        if (!m_Held[static_cast<std::size_t>(n)]) {
            m_Held[static_cast<std::size_t>(n)] = true;
            return FileName(n);
        }
    }
    return {};
}

void CUndoFileCounter::Release(const std::string& fileName) noexcept
{
    for (int n = 0; n < kFileCount; ++n)
        if (m_Held[static_cast<std::size_t>(n)] && FileName(n) == fileName) {
            m_Held[static_cast<std::size_t>(n)] = false;
            return;
        }
}

void CUndoFileCounter::DeleteAllFiles() const
{
    for (int n = 0; n < kFileCount; ++n)
        std::remove(FileName(n).c_str());
}

void CUndoFileCounter::DeleteUsedFiles() const
{
    const int end = m_Wrapped ? kFileCount : m_Next;
    for (int n = 0; n < end; ++n)
        std::remove(FileName(n).c_str());
}
