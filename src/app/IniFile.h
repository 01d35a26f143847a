#pragma once
// Plain INI text files with private-profile semantics: every call reads (and a
// put rewrites) the file; nothing is cached. A missing file, section or key
// reads as the default. Section and key names match without regard to case.
// Whole numbers are written in decimal. A put replaces the file atomically
// (temporary file in the same folder, then rename), so a failed write leaves
// the previous file intact.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CIniFile {
public:
    explicit CIniFile(std::string path) : m_Path(std::move(path)) {}

    const std::string& GetPath() const noexcept { return m_Path; }

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue = {}) const;
    // Leading decimal number of the value (optional sign); a present value
    // without digits reads 0; out-of-range numbers saturate.
    std::int32_t GetInt(std::string_view section, std::string_view key,
                        std::int32_t defaultValue = 0) const;

    // Return false (file unchanged) when the file cannot be written or a name
    // or value cannot be represented (line breaks, '=' in a key, ']' in a section).
    bool PutString(std::string_view section, std::string_view key, std::string_view value) const;
    bool PutInt(std::string_view section, std::string_view key, std::int32_t value) const;
    bool DeleteKey(std::string_view section, std::string_view key) const;

    // Key names of a section in file order (empty when missing).
    std::vector<std::string> GetKeys(std::string_view section) const;
    // Section names in file order.
    std::vector<std::string> GetSections() const;

private:
    std::string m_Path;
};
