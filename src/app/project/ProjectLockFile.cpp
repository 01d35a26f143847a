#include "app/project/ProjectLockFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lock file is a few short lines; anything longer is not one of ours.
constexpr std::size_t kMaxLockSize = 4096;

std::string HostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    return name;
}

std::string UserName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return pw->pw_name;
    return std::to_string(::getuid());
}

std::string Format(const SLockOwner& o)
{
    return "user=" + o.user + "\nhost=" + o.host + "\npid=" + std::to_string(o.pid) + "\ntime=" +
           std::to_string(o.time) + "\n";
}

// Keeps printable characters only: the holder's names end up in messages.
std::string Printable(std::string_view text)
{
    std::string out;
    for (char c : text.substr(0, 64))
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            out += c;
    return out;
}

bool ParseLock(const std::string& text, SLockOwner& o)
{
    std::size_t pos = 0;
    bool sawPid = false;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "user")
            o.user = Printable(value);
        else if (key == "host")
            o.host = Printable(value);
        else if (key == "pid")
            o.pid = std::strtol(std::string(value).c_str(), nullptr, 10), sawPid = true;
        else if (key == "time")
            o.time = std::strtoll(std::string(value).c_str(), nullptr, 10);
    }
    return sawPid && o.pid > 0;
}

bool ReadLock(const std::string& path, SLockOwner& o)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= static_cast<off_t>(kMaxLockSize)) {
        text.resize(kMaxLockSize);
        const ssize_t n = ::read(fd, text.data(), text.size());
        text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    ::close(fd);
    return o.Parse(text);
}

// Creates the lock file only when none exists; false with errno set otherwise.
bool CreateLock(const std::string& path, const SLockOwner& me)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const std::string text = Format(me);
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!ok)
        ::unlink(path.c_str());
    return ok;
}

} // namespace

bool SLockOwner::Parse(const std::string& text)
{
    return ParseLock(text.substr(0, kMaxLockSize), *this);
}

std::string SLockOwner::Describe() const
{
    char when[32] = "an unknown time";
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local {};
    if (time > 0 && ::localtime_r(&t, &local))
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    return (user.empty() ? std::string("someone") : user) + " on " + (host.empty() ? std::string("an unknown host") : host) +
           " (process " + std::to_string(pid) + ") since " + when;
}

bool SLockOwner::IsStale() const
{
    if (host != HostName())
        return false;  // another machine's process cannot be asked
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

std::string CProjectLockFile::PathFor(const std::string& project)
{
    const std::size_t slash = project.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : project.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? project : project.substr(slash + 1);
    return folder + "." + name + ".lock";
}

SLockOwner CProjectLockFile::Me()
{
    return {UserName(), HostName(), static_cast<long>(::getpid()), static_cast<std::int64_t>(std::time(nullptr))};
}

bool CProjectLockFile::FindHolder(const std::string& project, SLockOwner& holder)
{
    SLockOwner o;
    if (!ReadLock(PathFor(project), o) || o.IsStale())
        return false;
    holder = o;
    return true;
}

CProjectLockFile::ETake CProjectLockFile::Take(const std::string& project, SLockOwner& holder)
{
    Release();
    const std::string path = PathFor(project);
    const SLockOwner me = Me();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (CreateLock(path, me)) {
            m_Path = path;
            return ETake::Taken;
        }
        if (errno != EEXIST)
            return ETake::Failed;
        SLockOwner o;
        if (ReadLock(path, o) && !o.IsStale()) {
            if (o.pid == me.pid && o.host == me.host) {
                m_Path = path;  // this process already holds it
                return ETake::Taken;
            }
            holder = o;
            return ETake::Held;
        }
        // Stale, or not a lock this program wrote: taken over.
        ::unlink(path.c_str());
    }
    return ETake::Failed;
}

void CProjectLockFile::Release()
{
    if (m_Path.empty())
        return;
    SLockOwner o;
    if (ReadLock(m_Path, o) && o.pid == ::getpid() && o.host == HostName())
        ::unlink(m_Path.c_str());
    m_Path.clear();
}
