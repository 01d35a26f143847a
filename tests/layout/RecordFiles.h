#pragma once
// The records of tests/data/records, written byte by byte by its make.py:
// one file's bytes, and the names of the files of one sort.

#include "TempFolder.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

inline std::vector<std::uint8_t> RecordFile(const std::string& name)
{
    return ReadFile(VT_TEST_DATA_DIR "/records/" + name);
}

// Names starting with `prefix` and ending with `suffix`, sorted.
inline std::vector<std::string> RecordFiles(const std::string& prefix, const std::string& suffix)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VT_TEST_DATA_DIR "/records"))
        if (const std::string name = entry.path().filename().string(); name.starts_with(prefix) && name.ends_with(suffix))
            names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}
