#pragma once
// A fresh folder below /tmp for one test, removed with the object (its
// permissions restored first, for tests that make it unwritable). Path() ends
// with a slash.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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
