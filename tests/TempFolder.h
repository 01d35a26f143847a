#pragma once
// A fresh folder below /tmp for one test, removed with the object (its
// permissions restored first, for tests that make it unwritable). Path() ends
// with a slash. Besides: whole files read and written, and an ended process.
// The tests of app, catalogue, properties and image include it first: it
// brings the test framework and the standard headers they use.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

// A file's whole content (empty when it cannot be read), and a file written whole.
inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    const std::string text = ReadText(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}
inline void WriteText(const std::string& path, std::string_view text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
}
inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    WriteText(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// The id of a process that has ended (a child that was waited for).
inline pid_t EndedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

class CTempFolder {
public:
    CTempFolder()
    {
        char pattern[] = "/tmp/vt_test_XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_path = std::string(made ? made : "/tmp") + "/";
    }
    ~CTempFolder()
    {
        ::chmod(m_path.c_str(), 0700);
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }

    // Names of the entries in the folder, in no particular order.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_path, ec))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::string m_path;
};
