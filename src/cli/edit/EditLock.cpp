#include "cli/edit/EditLock.h"

#include "app/VtwinDoc.h"
#include "app/project/ProjectLockFile.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/edit/CliFaces.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CEditLock::~CEditLock()
{
    if (m_Fd >= 0)
        ::close(m_Fd);
}

bool CEditLock::Take(const std::string& path, double seconds, bool force)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (true) {
        if (m_Fd < 0) {
            m_Fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (m_Fd < 0) {
                // The open that follows names what is wrong with the file.
                return true;
            }
        }
        if (::flock(m_Fd, LOCK_EX | LOCK_NB) == 0) {
            // Held; but a save that renamed a new file over the name while we
            // waited leaves us holding the old one: lock the new one instead.
            struct stat held {}, named {};
            if (::fstat(m_Fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
                held.st_ino == named.st_ino)
                break;
            ::close(m_Fd);
            m_Fd = -1;
            continue;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            PrintError(path + ": can not lock the project (" + std::strerror(errno) + ")");
            return false;
        }
        if (Clock::now() >= deadline) {
            char waited[32];
            std::snprintf(waited, sizeof waited, "%g", seconds);
            PrintError(path + " is being changed by another command; gave up after " + waited +
                       " s (--wait SECONDS waits longer)");
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    SLockOwner holder;
    if (!force && CProjectLockFile::FindHolder(path, holder)) {
        PrintError(path + " is open in Vantorel by " + holder.Describe() + "; close it there or give --force");
        return false;
    }
    return true;
}

bool OpenDocumentForEdit(CVtwinDoc& doc, const std::string& path, const SArgs& a, CEditLock& lock)
{
    double seconds = CEditLock::kDefaultWaitSeconds;
    if (const std::string* v = a.Get("--wait")) {
        char* end = nullptr;
        seconds = std::strtod(v->c_str(), &end);
        if (v->empty() || *end != '\0' || !(seconds >= 0 && seconds <= 86400)) {
            PrintError("--wait wants a number of seconds from 0 to 86400");
            return false;
        }
    }
    return lock.Take(path, seconds, a.Has("--force")) && OpenDocument(doc, path);
}

int OpenFaceForEdit(const SArgs& a, SFaceEdit& edit)
{
    const std::string& path = a.positional[0];
    edit.doc = MakeDocument();
    if (!OpenDocumentForEdit(*edit.doc, path, a, edit.lock)) return kExitFailed;
    std::string error;
    edit.key = FindFaceKeyForEdit(*edit.doc->GetProduct(), a.positional[1], edit.backAdded, error);
    if (edit.key.empty()) {
        PrintError(path + ": " + error);
        return kExitUsage;
    }
    return kExitOk;
}
