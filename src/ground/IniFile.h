#pragma once
// Plain INI text files with private-profile semantics: every CIniFile call
// reads (and a put rewrites) the file; nothing is cached. A missing file,
// section or key reads as the default. Section and key names match without
// regard to case; the first of two equal sections or keys wins. Whole numbers
// are written in decimal. A write replaces the file atomically (temporary file
// in the same folder, then rename, see WriteFileAtomically), so a failed write
// leaves the previous file intact; a file that exists but cannot be read is
// never overwritten.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An INI text held in memory, for parsing and for many edits in one write.
class CIniDocument {
public:
    // Files larger than this are refused (settings files are a few kilobytes).
    static constexpr std::size_t kMaxFileBytes = 16u << 20;

    // A missing file gives an empty document and true; an unreadable or
    // oversized file, or one that is not a file, gives false (with the reason
    // in `error` when given) and leaves the document empty. Never blocks.
    bool Load(const std::string& path, std::string* error = nullptr);
    // Writes atomically (see WriteFileAtomically); false (previous file
    // intact, the reason in `error` when given) when that fails.
    bool Save(const std::string& path, std::string* error = nullptr) const;

    void Parse(std::string_view text);
    std::string ToText() const;

    // The value as the private-profile functions return it (trimmed, one pair
    // of enclosing quotes removed), or nothing when the key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string GetString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // Leading decimal number of the value (optional sign); a present value
    // without digits reads 0; out-of-range numbers saturate.
    std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t def = 0) const;

    // False (document unchanged) when the name or value cannot be written as
    // INI text: line breaks or NUL anywhere, '=' or a leading '[' in a key, ']'
    // in a section, empty names, names with leading or trailing blanks.
    bool PutString(std::string_view section, std::string_view key, std::string_view value);
    bool PutInt(std::string_view section, std::string_view key, std::int32_t value);
    void DeleteKey(std::string_view section, std::string_view key);

    std::vector<std::string> GetKeys(std::string_view section) const;
    std::vector<std::string> GetSections() const;

private:
    std::vector<std::string> m_Lines;
};

class CIniFile {
public:
    explicit CIniFile(std::string path) : m_Path(std::move(path)) {}

    const std::string& GetPath() const noexcept { return m_Path; }

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue = {}) const;
    std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t defaultValue = 0) const;

    // Return false (file unchanged) when the file cannot be read or written or
    // the name or value cannot be represented (see CIniDocument::PutString).
    bool PutString(std::string_view section, std::string_view key, std::string_view value) const;
    bool PutInt(std::string_view section, std::string_view key, std::int32_t value) const;
    bool DeleteKey(std::string_view section, std::string_view key) const;

    // Reads the file once, lets `edit` change it, writes it once. Nothing is
    // written when `edit` returns false or the file cannot be read.
    bool Update(const std::function<bool(CIniDocument&)>& edit) const;

    // Key names of a section in file order (empty when missing).
    std::vector<std::string> GetKeys(std::string_view section) const;
    // Section names in file order.
    std::vector<std::string> GetSections() const;

    // Why the last put or delete failed (empty when it did not, or when only
    // the name or value could not be written).
    const std::string& GetLastError() const noexcept { return m_LastError; }

private:
    std::string m_Path;
    mutable std::string m_LastError;
};
