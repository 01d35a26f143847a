#include "ground/IniFile.h"

#include "image/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// "key=value" -> true, the trimmed key and the trimmed raw value.
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
    return !s.empty() && Trim(s).size() == s.size() && !HasLineBreakOrNul(s) && s.find(']') == std::string_view::npos;
}

bool ValidKey(std::string_view k) noexcept {
    return !k.empty() && Trim(k).size() == k.size() && !HasLineBreakOrNul(k) &&
           k.find('=') == std::string_view::npos && k.front() != '[';
}

// The text to write after '=' so that reading it back gives `value` exactly:
// values that reading would trim or unquote are enclosed in double quotes.
std::string EncodeValue(std::string_view value) {
    const bool needsQuotes = (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) ||
                             (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                              value.back() == value.front());
    if (!needsQuotes) return std::string(value);
    return "\"" + std::string(value) + "\"";
}

std::int32_t LeadingInt(std::string_view v) noexcept {
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
        if (!inSection || loc.keyFound || key.empty()) continue;
        std::string_view k, v;
        if (ParseKey(lines[i], k, v) && SameName(k, key)) {
            loc.keyFound = true;
            loc.keyLine = i;
            loc.value = v;
        }
    }
    if (inSection) loc.sectionEnd = lines.size();
    return loc;
}

}  // namespace

// ---- CIniDocument -------------------------------------------------------------

bool CIniDocument::Load(const std::string& path, std::string* error) {
    m_Lines.clear();
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!ReadRegularFile(path, kMaxFileBytes, bytes, why)) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) return true;  // a missing file is an empty one
        if (error) *error = why;
        return false;
    }
    Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return true;
}

bool CIniDocument::Save(const std::string& path, std::string* error) const {
    const std::string text = ToText();
    std::string why;
    if (WriteFileAtomically(path, text.data(), text.size(), why)) return true;
    if (error) *error = why;
    return false;
}

void CIniDocument::Parse(std::string_view text) {
    m_Lines.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CR LF (or stray CRs)
        m_Lines.emplace_back(line);
        start = end + 1;
    }
}

std::string CIniDocument::ToText() const {
    std::string out;
    std::size_t size = 0;
    for (const std::string& l : m_Lines) size += l.size() + 1;
    out.reserve(size);
    for (const std::string& l : m_Lines) {
        out += l;
        out += '\n';
    }
    return out;
}

std::optional<std::string> CIniDocument::Find(std::string_view section, std::string_view key) const {
    if (key.empty()) return std::nullopt;
    const Location loc = Locate(m_Lines, section, key);
    if (!loc.keyFound) return std::nullopt;
    return std::string(Unquote(loc.value));
}

std::string CIniDocument::GetString(std::string_view section, std::string_view key, std::string_view def) const {
    std::optional<std::string> v = Find(section, key);
    return v ? std::move(*v) : std::string(def);
}

std::int32_t CIniDocument::GetInt(std::string_view section, std::string_view key, std::int32_t def) const {
    const std::optional<std::string> v = Find(section, key);
    return v ? LeadingInt(*v) : def;
}

bool CIniDocument::PutString(std::string_view section, std::string_view key, std::string_view value) {
    if (!ValidSection(section) || !ValidKey(key) || HasLineBreakOrNul(value)) return false;
    const Location loc = Locate(m_Lines, section, key);
    std::string entry(key);
    entry += '=';
    entry += EncodeValue(value);
    if (loc.keyFound) {
        m_Lines[loc.keyLine] = std::move(entry);
    } else if (loc.sectionFound) {
        // After the last non-blank line of the section, so that blank separator
        // lines stay between sections.
        std::size_t at = loc.sectionEnd;
        while (at > loc.sectionLine + 1 && Trim(m_Lines[at - 1]).empty()) --at;
        m_Lines.insert(m_Lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    } else {
        if (!m_Lines.empty() && !Trim(m_Lines.back()).empty()) m_Lines.emplace_back();
        m_Lines.push_back("[" + std::string(section) + "]");
        m_Lines.push_back(std::move(entry));
    }
    return true;
}

bool CIniDocument::PutInt(std::string_view section, std::string_view key, std::int32_t value) {
    return PutString(section, key, std::to_string(value));
}

void CIniDocument::DeleteKey(std::string_view section, std::string_view key) {
    if (key.empty()) return;
    const Location loc = Locate(m_Lines, section, key);
    if (loc.keyFound) m_Lines.erase(m_Lines.begin() + static_cast<std::ptrdiff_t>(loc.keyLine));
}

std::vector<std::string> CIniDocument::GetKeys(std::string_view section) const {
    std::vector<std::string> keys;
    const Location loc = Locate(m_Lines, section, {});
    if (!loc.sectionFound) return keys;
    for (std::size_t i = loc.sectionLine + 1; i < loc.sectionEnd; ++i) {
        std::string_view k, v;
        if (ParseKey(m_Lines[i], k, v) && !k.empty()) keys.emplace_back(k);
    }
    return keys;
}

std::vector<std::string> CIniDocument::GetSections() const {
    std::vector<std::string> sections;
    for (const std::string& l : m_Lines) {
        std::string_view name;
        if (ParseSection(l, name)) sections.emplace_back(name);
    }
    return sections;
}

// ---- CIniFile -----------------------------------------------------------------

namespace {

// An exclusive advisory lock held for one read-modify-write of a settings
// file, so that two programs changing one file at once (two renders storing
// their folder and quality) each keep the other's keys. The lock is taken on
// the file's folder: the settings file itself is replaced by renaming, and
// the folder leaves no lock file behind. Where the folder cannot be opened
// the write goes ahead unlocked and fails on its own.
class CUpdateLock {
public:
    explicit CUpdateLock(const std::string& path)
    {
        const std::size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        m_Fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (m_Fd >= 0 && ::flock(m_Fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~CUpdateLock()
    {
        if (m_Fd >= 0) ::close(m_Fd);
    }
    CUpdateLock(const CUpdateLock&) = delete;
    CUpdateLock& operator=(const CUpdateLock&) = delete;

private:
    int m_Fd = -1;
};

}  // namespace


std::string CIniFile::GetString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    CIniDocument doc;
    if (!doc.Load(m_Path)) return std::string(defaultValue);
    return doc.GetString(section, key, defaultValue);
}

std::int32_t CIniFile::GetInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    CIniDocument doc;
    if (!doc.Load(m_Path)) return defaultValue;
    return doc.GetInt(section, key, defaultValue);
}

bool CIniFile::Update(const std::function<bool(CIniDocument&)>& edit) const {
    const CUpdateLock lock(m_Path);
    CIniDocument doc;
    m_LastError.clear();
    if (!doc.Load(m_Path, &m_LastError)) return false;
    if (!edit(doc)) return false;
    return doc.Save(m_Path, &m_LastError);
}

bool CIniFile::PutString(std::string_view section, std::string_view key, std::string_view value) const {
    return Update([&](CIniDocument& doc) { return doc.PutString(section, key, value); });
}

bool CIniFile::PutInt(std::string_view section, std::string_view key, std::int32_t value) const {
    return Update([&](CIniDocument& doc) { return doc.PutInt(section, key, value); });
}

bool CIniFile::DeleteKey(std::string_view section, std::string_view key) const {
    const CUpdateLock lock(m_Path);
    CIniDocument doc;
    m_LastError.clear();
    if (!doc.Load(m_Path, &m_LastError)) return false;
    if (!doc.Find(section, key)) return true;  // nothing to delete, nothing to write
    doc.DeleteKey(section, key);
    return doc.Save(m_Path, &m_LastError);
}

std::vector<std::string> CIniFile::GetKeys(std::string_view section) const {
    CIniDocument doc;
    if (!doc.Load(m_Path)) return {};
    return doc.GetKeys(section);
}

std::vector<std::string> CIniFile::GetSections() const {
    CIniDocument doc;
    if (!doc.Load(m_Path)) return {};
    return doc.GetSections();
}
