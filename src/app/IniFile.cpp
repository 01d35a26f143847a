#include "app/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

struct Line {
    std::string text;
};

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return true;
}

constexpr bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

constexpr char Lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// "[name]" -> true and the trimmed name.
bool ParseSection(std::string_view line, std::string_view& name) noexcept {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    const std::size_t close = line.find(']');
    name = Trim(close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1));
    return true;
}

// "key=value" -> true, the trimmed key and the raw (trimmed) value.
bool ParseKey(std::string_view line, std::string_view& key, std::string_view& value) noexcept {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

// A value enclosed in a matching pair of single or double quotes loses them.
std::string_view Unquote(std::string_view v) noexcept {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool HasLineBreakOrNul(std::string_view s) noexcept {
    for (char c : s)
        if (c == '\n' || c == '\r' || c == '\0') return true;
    return false;
}

bool ValidSection(std::string_view s) noexcept {
    return !Trim(s).empty() && Trim(s).size() == s.size() && !HasLineBreakOrNul(s) &&
           s.find(']') == std::string_view::npos;
}

bool ValidKey(std::string_view k) noexcept {
    return !Trim(k).empty() && Trim(k).size() == k.size() && !HasLineBreakOrNul(k) &&
           k.find('=') == std::string_view::npos && k.front() != '[';
}

// The text to write after '=' so that reading it back gives `value` exactly.
std::string EncodeValue(std::string_view value) {
    const bool needsQuotes = (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) ||
                             (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                              value.back() == value.front());
    if (!needsQuotes) return std::string(value);
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    out += value;
    out += '"';
    return out;
}

// Writes all lines to a temporary file beside `path` and renames it over `path`.
bool WriteLinesAtomically(const std::string& path, const std::vector<std::string>& lines) {
    std::string tmpl = path + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    std::string content;
    for (const std::string& l : lines) {
        content += l;
        content += '\n';
    }
    bool ok = true;
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(tmpl.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmpl.c_str());
    return ok;
}

// Locates a section and, optionally, a key in it. Indices are line numbers;
// sectionEnd is one past the last line that belongs to the section.
struct Location {
    bool sectionFound = false;
    std::size_t sectionLine = 0;
    std::size_t sectionEnd = 0;
    bool keyFound = false;
    std::size_t keyLine = 0;
    std::string_view value;
};

Location Locate(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    Location loc;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (ParseSection(lines[i], name)) {
            if (inSection) {  // the first matching section ends here
                loc.sectionEnd = i;
                return loc;
            }
            if (SameName(name, section)) {
                inSection = true;
                loc.sectionFound = true;
                loc.sectionLine = i;
            }
            continue;
        }
        if (!inSection || loc.keyFound) continue;
        std::string_view k, v;
        if (!key.empty() && ParseKey(lines[i], k, v) && SameName(k, key)) {
            loc.keyFound = true;
            loc.keyLine = i;
            loc.value = v;
        }
    }
    if (inSection) loc.sectionEnd = lines.size();
    return loc;
}

}  // namespace

std::string CIniFile::GetString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    std::vector<std::string> lines;
    if (!ReadLines(m_Path, lines)) return std::string(defaultValue);
    const Location loc = Locate(lines, section, key);
    if (!loc.keyFound) return std::string(defaultValue);
    return std::string(Unquote(loc.value));
}

std::int32_t CIniFile::GetInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    std::vector<std::string> lines;
    if (!ReadLines(m_Path, lines)) return defaultValue;
    const Location loc = Locate(lines, section, key);
    if (!loc.keyFound) return defaultValue;
    const std::string_view v = Unquote(loc.value);
    std::size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    long long n = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > static_cast<long long>(INT32_MAX) + 1) n = static_cast<long long>(INT32_MAX) + 1;
    }
    if (negative) n = -n;
    if (n > INT32_MAX) n = INT32_MAX;
    if (n < INT32_MIN) n = INT32_MIN;
    return static_cast<std::int32_t>(n);
}

bool CIniFile::PutString(std::string_view section, std::string_view key, std::string_view value) const {
    if (!ValidSection(section) || !ValidKey(key) || HasLineBreakOrNul(value)) return false;
    std::vector<std::string> lines;
    ReadLines(m_Path, lines);  // a missing file is an empty one
    const Location loc = Locate(lines, section, key);
    std::string entry(key);
    entry += '=';
    entry += EncodeValue(value);
    if (loc.keyFound) {
        lines[loc.keyLine] = std::move(entry);
    } else if (loc.sectionFound) {
        // After the last non-blank line of the section, so that blank separator
        // lines stay between sections.
        std::size_t at = loc.sectionEnd;
        while (at > loc.sectionLine + 1 && Trim(lines[at - 1]).empty()) --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::move(entry));
    }
    return WriteLinesAtomically(m_Path, lines);
}

bool CIniFile::PutInt(std::string_view section, std::string_view key, std::int32_t value) const {
    return PutString(section, key, std::to_string(value));
}

bool CIniFile::DeleteKey(std::string_view section, std::string_view key) const {
    std::vector<std::string> lines;
    if (!ReadLines(m_Path, lines)) return true;  // nothing to delete
    const Location loc = Locate(lines, section, key);
    if (!loc.keyFound) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(loc.keyLine));
    return WriteLinesAtomically(m_Path, lines);
}

std::vector<std::string> CIniFile::GetKeys(std::string_view section) const {
    std::vector<std::string> keys;
    std::vector<std::string> lines;
    if (!ReadLines(m_Path, lines)) return keys;
    const Location loc = Locate(lines, section, {});
    if (!loc.sectionFound) return keys;
    for (std::size_t i = loc.sectionLine + 1; i < loc.sectionEnd; ++i) {
        std::string_view k, v;
        if (ParseKey(lines[i], k, v) && !k.empty()) keys.emplace_back(k);
    }
    return keys;
}

std::vector<std::string> CIniFile::GetSections() const {
    std::vector<std::string> sections;
    std::vector<std::string> lines;
    if (!ReadLines(m_Path, lines)) return sections;
    for (const std::string& l : lines) {
        std::string_view name;
        if (ParseSection(l, name)) sections.emplace_back(name);
    }
    return sections;
}
