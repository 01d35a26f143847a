#include "image/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <ctime>
#include <mutex>
#include <new>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kTag = ".vtsave-";
constexpr std::size_t kRandomChars = 6;  // mkstemp's XXXXXX
// Links followed before a chain counts as a loop (the kernel's own limit).
constexpr int kMaxLinks = 40;
// A temporary file this old is a leftover even when its process id is in use
// again (by an unrelated process after a restart), in seconds.
constexpr std::time_t kStaleSeconds = 24 * 60 * 60;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return "./";
    return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "." + name + ".vtsave-": the name is cut so that the whole temporary name,
// with the process id and the random part, stays within NAME_MAX.
std::string TemporaryPrefix(const std::string& name)
{
    constexpr std::size_t kPidDigits = 10;
    const std::size_t room = NAME_MAX - 1 - std::strlen(kTag) - kPidDigits - 1 - kRandomChars;
    return "." + name.substr(0, room) + kTag;
}

std::string ReasonFor(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT: return "the disk is full";
    case EROFS: return "the disk is read-only";
    case EACCES:
    case EPERM: return "permission denied";
    default: return std::strerror(err);
    }
}

bool ProcessRuns(long pid)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;
    if (pid == static_cast<long>(::getpid()))
        return true;  // another thread of this process may be saving
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The process id in a temporary name, or -1 when the name is not one.
long PidOfTemporary(const std::string& fileName)
{
    if (fileName.size() < 2 || fileName.front() != '.')
        return -1;
    const std::size_t tag = fileName.rfind(kTag);
    if (tag == std::string::npos || tag == 0)
        return -1;
    std::size_t i = tag + std::strlen(kTag);
    long pid = 0;
    const std::size_t digitsStart = i;
    while (i < fileName.size() && fileName[i] >= '0' && fileName[i] <= '9' && i - digitsStart < 10)
        pid = pid * 10 + (fileName[i++] - '0');
    if (i == digitsStart || i >= fileName.size() || fileName[i] != '-')
        return -1;
    if (fileName.size() - i - 1 != kRandomChars)
        return -1;
    return pid;
}

// A folder this process swept of all leftovers so lately is not listed again
// for one save's own: a data folder's internal/ holds some two thousand
// pictures, and a command-line render that swept it at start and then saved
// its settings there listed it twice, 0.35 ms of CPU time each. A leftover a
// save killed in between stays for the next sweep.
constexpr std::chrono::seconds kSweptLately{10};

struct SSweptFolders {
    std::mutex mutex;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> swept;  // folder ending in '/'
};

SSweptFolders& SweptFolders()
{
    static SSweptFolders folders;
    return folders;
}

std::string WithSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

void NoteSwept(const std::string& folder, std::chrono::steady_clock::time_point when)
{
    SSweptFolders& s = SweptFolders();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto& [name, time] : s.swept)
        if (name == folder) {
            time = when;
            return;
        }
    s.swept.emplace_back(folder, when);
}

bool SweptLately(const std::string& folder)
{
    SSweptFolders& s = SweptFolders();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const auto& [name, time] : s.swept)
        if (name == folder)
            return std::chrono::steady_clock::now() - time < kSweptLately;
    return false;
}

// Removes leftovers in `folder` whose names begin with `prefix` (all
// temporary names when empty).
int RemoveLeftovers(const std::string& folder, const std::string& prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const long pid = PidOfTemporary(name);
        if (pid < 0)
            continue;
        struct stat st {};
        const std::string path = base + name;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const bool stale = pid != static_cast<long>(::getpid()) && now - st.st_mtime > kStaleSeconds;
        if ((stale || !ProcessRuns(pid)) && ::unlink(path.c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace

int OpenFileForReading(const std::string& path, std::string& error, bool* notAFile)
{
    if (notAFile)
        *notAFile = false;
    // Non-blocking, so that opening a named pipe without a writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = path + " is not a file.";
        if (notAFile)
            *notAFile = true;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::FILE* OpenStreamForReading(const std::string& path, std::string& error, bool* notAFile)
{
    const int fd = OpenFileForReading(path, error, notAFile);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        error = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                     std::string& error, bool* notAFile)
{
    bytes.clear();
    const int fd = OpenFileForReading(path, error, notAFile);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > limit) {
        ::close(fd);
        error = "the file is too large";
        return false;
    }
    bool ok = true;
    try {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (true) {
            if (done == bytes.size()) {
                // The file may have grown since fstat: read on, within the limit.
                if (bytes.size() >= limit) {
                    std::uint8_t probe;
                    const ssize_t n = ::read(fd, &probe, 1);
                    if (n > 0) {
                        error = "the file is too large";
                        ok = false;
                    }
                    break;
                }
                bytes.resize(std::min(limit, bytes.size() + 65536));
            }
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = std::strerror(errno);
                ok = false;
                break;
            }
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    } catch (const std::bad_alloc&) {
        error = "Out of memory";
        ok = false;
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

std::string ResolveSaveTarget(const std::string& path)
{
    std::string current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
            return current;
        const std::string link(target.data(), static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : FolderOf(current) + link;
    }
    return current;  // a loop: the save fails on it with the system's reason
}

bool IsSaveTemporaryName(const std::string& fileName)
{
    return PidOfTemporary(fileName) >= 0;
}

int RemoveLeftoverSaveFiles(const std::string& folder)
{
    const auto start = std::chrono::steady_clock::now();
    const int removed = RemoveLeftovers(folder, std::string());
    NoteSwept(WithSlash(folder), start);
    return removed;
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string& error)
{
    CAtomicFile file;
    if (!file.Open(path, error))
        return false;
    if (size > 0 && std::fwrite(data, 1, size, file.Stream()) != size) {
        error = ReasonFor(errno);
        return false;
    }
    return file.Commit(error);
}

CAtomicFile::~CAtomicFile()
{
    Discard();
}

void CAtomicFile::Discard() noexcept
{
    if (m_stream != nullptr) {
        std::fclose(m_stream);
        m_stream = nullptr;
        ::unlink(m_temporary.c_str());
    }
}

bool CAtomicFile::Open(const std::string& path, std::string& error)
{
    Discard();
    if (path.empty() || path.back() == '/') {
        error = "no file name was given";
        return false;
    }
    m_target = ResolveSaveTarget(path);
    const std::string folder = FolderOf(m_target);
    const std::string prefix = TemporaryPrefix(NameOf(m_target));

    // What is being replaced decides the new file's mode and owner.
    struct stat old {};
    const bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            error = "it is not a file";
            return false;
        }
        // Root may write anything, so the mode bits are asked as well.
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
            (::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)) {
            error = "the file is read-only";
            return false;
        }
    }
    if (!SweptLately(folder))
        RemoveLeftovers(folder, prefix);

    m_temporary = folder + prefix + std::to_string(static_cast<long>(::getpid())) + "-XXXXXX";
    const int fd = ::mkstemp(m_temporary.data());
    if (fd < 0) {
        error = ReasonFor(errno);
        return false;
    }
    mode_t mode;
    if (exists) {
        // The owner first: changing it clears the set-id bits the mode then restores.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
                // Not allowed: the file becomes this user's, as any editor's save would make it.
            }
        }
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || (m_stream = ::fdopen(fd, "wb")) == nullptr) {
        error = ReasonFor(errno);
        ::close(fd);
        ::unlink(m_temporary.c_str());
        return false;
    }
    return true;
}

bool CAtomicFile::Commit(std::string& error)
{
    if (m_stream == nullptr) {
        error = "the file was not opened";
        return false;
    }
    // A write that failed before (a full disk) left its reason in errno.
    int err = std::ferror(m_stream) ? (errno != 0 ? errno : EIO) : 0;
    errno = 0;
    if (!err && std::fflush(m_stream) != 0)
        err = errno != 0 ? errno : EIO;
    if (!err && ::fsync(::fileno(m_stream)) != 0)
        err = errno;
    if (std::fclose(m_stream) != 0 && !err)
        err = errno;
    m_stream = nullptr;
    if (!err && ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        err = errno;
    if (err) {
        ::unlink(m_temporary.c_str());
        error = ReasonFor(err);
        return false;
    }
    // Make the rename itself durable; a folder that cannot be synced is not an error.
    const int dir = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
