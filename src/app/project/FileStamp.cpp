#include "app/project/FileStamp.h"

#include "image/SafeFile.h"

#include <vector>

#include <sys/stat.h>

namespace {

bool StatOf(const std::string& path, std::int64_t& size, std::int64_t& mtimeNs)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    size = static_cast<std::int64_t>(st.st_size);
    mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

} // namespace

std::uint64_t SFileStamp::Hash(const std::uint8_t* data, std::size_t size) noexcept
{
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

SFileStamp SFileStamp::Of(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    SFileStamp s;
    if (!StatOf(path, s.size, s.mtimeNs))
        return {};
    s.hash = Hash(data, size);
    return s;
}

bool SFileStamp::Matches(const std::string& path) const
{
    std::int64_t nowSize = 0, nowTime = 0;
    if (!StatOf(path, nowSize, nowTime))
        return false;  // gone or unreadable: changed
    if (nowSize != size)
        return false;
    if (nowTime == mtimeNs)
        return true;
    std::vector<std::uint8_t> bytes;
    std::string error;
    return ReadRegularFile(path, static_cast<std::size_t>(size), bytes, error) &&
           Hash(bytes.data(), bytes.size()) == hash;
}
