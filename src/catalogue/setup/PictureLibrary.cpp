#include "catalogue/setup/PictureLibrary.h"

#include "ground/IniFile.h"
#include "image/SafeFile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <set>
#include <sstream>

namespace {

constexpr std::size_t kListSectionLimit = 30000; // characters, as one read of the section
constexpr std::size_t kDescriptionFileLimit = 16u << 20; // bytes; larger files are not libraries

std::string Trim(const std::string& text)
{
    const char* spaces = " \t\r\n";
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A missing file reads as empty text without a message; anything else that
// cannot be read (a folder, a pipe, a device, an oversized file) gives false
// with the reason in `error`, at once.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& text, std::string* error)
{
    std::vector<std::uint8_t> bytes;
    std::string why;
    bool notAFile = false;
    if (!ReadRegularFile(path, limit, bytes, why, &notAFile)) {
        struct stat st {};
        const bool missing = !notAFile && ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
        if (error != nullptr && !missing)
            *error = notAFile ? why : "Can't read " + path + " (" + why + ").";
        return false;
    }
    text.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool IsSectionHeader(const std::string& line, std::string& name)
{
    if (line.size() < 2 || line.front() != '[')
        return false;
    const auto close = line.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// One reading of a description file: lower-cased section -> lower-cased key ->
// value. The first occurrence of a key wins, as a profile lookup finds it.
using IniSnapshot = std::map<std::string, std::map<std::string, std::string>>;

IniSnapshot ParseIni(const std::string& text)
{
    IniSnapshot snapshot;
    std::map<std::string, std::string>* current = nullptr;
    for (const std::string& raw : SplitLines(text)) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';')
            continue;
        std::string section;
        if (IsSectionHeader(line, section)) {
            current = &snapshot[Lower(section)];
            continue;
        }
        const auto equals = line.find('=');
        if (!current || equals == std::string::npos)
            continue;
        const std::string key = Lower(Trim(line.substr(0, equals)));
        std::string value = Trim(line.substr(equals + 1));
        // A value in double quotes loses the quotes.
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        current->emplace(key, std::move(value));
    }
    return snapshot;
}

const std::string* Find(const IniSnapshot& ini, const char* section, const std::string& key)
{
    const auto s = ini.find(section);
    if (s == ini.end())
        return nullptr;
    const auto k = s->second.find(Lower(key));
    return k == s->second.end() ? nullptr : &k->second;
}

// Leading decimal number, as a profile integer read gives it; 0 when none.
int LeadingInt(const std::string& text)
{
    const char* p = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(p, &end, 10);
    if (end == p)
        return 0;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::vector<std::string> ReadLibraryList(const std::string& listFile, const std::string& installedDataFolder,
                                         std::string* error)
{
    std::string text;
    if (!ReadWholeFile(listFile, kDescriptionFileLimit, text, error))
        return {};
    std::vector<std::string> folders = ParseLibraryList(text);
    if (!installedDataFolder.empty())
        for (std::string& folder : folders)
            if (folder.front() != '/')
                folder = WithSlash(installedDataFolder) + folder;
    return folders;
}

std::vector<std::string> ParseLibraryList(const std::string& text)
{
    std::vector<std::string> folders;
    bool inLibrary = false;
    std::size_t used = 0; // characters of the section read so far, each line with its terminator
    for (const std::string& raw : SplitLines(text)) {
        const std::string line = Trim(raw);
        std::string section;
        if (IsSectionHeader(line, section)) {
            if (inLibrary)
                break; // the section ended
            inLibrary = Lower(section) == "library";
            continue;
        }
        if (!inLibrary || line.empty() || line[0] == ';')
            continue;
        used += line.size() + 1;
        if (used > kListSectionLimit)
            break;
        const auto equals = line.find('=');
        const std::string folder = Trim(equals == std::string::npos ? line : line.substr(equals + 1));
        if (!folder.empty())
            folders.push_back(WithSlash(folder));
    }
    return folders;
}

std::vector<LibraryEntry> ReadLibraryFolder(const std::string& folderName, std::string* error)
{
    std::vector<LibraryEntry> entries;
    if (folderName.empty())
        return entries;
    std::string text;
    if (!ReadWholeFile(WithSlash(folderName) + kLibraryDescriptionFileName, kDescriptionFileLimit, text, error))
        return entries;
    return ParseLibraryDescription(folderName, text);
}

std::vector<LibraryEntry> ParseLibraryDescription(const std::string& folderName, const std::string& text)
{
    std::vector<LibraryEntry> entries;
    const std::string folder = WithSlash(folderName);
    const IniSnapshot ini = ParseIni(text);

    // Value of field for entry n: its own, else the default entry's, else empty.
    auto field = [&](int n, const char* name) -> std::string {
        char key[48];
        std::snprintf(key, sizeof key, "%d.%s", n, name);
        if (const std::string* own = Find(ini, "image", key))
            return *own;
        std::snprintf(key, sizeof key, "0.%s", name);
        if (const std::string* fallback = Find(ini, "default", key))
            return *fallback;
        return {};
    };

    // Numbers that have at least one key of their own in "Image". A default
    // entry with a Path would otherwise make every number a picture; an entry
    // with no key at all ends the list as an empty Path does.
    std::set<int> present;
    if (const auto s = ini.find("image"); s != ini.end())
        for (const auto& [key, value] : s->second) {
            const auto dot = key.find('.');
            if (dot != std::string::npos && dot > 0 && key.find_first_not_of("0123456789") == dot &&
                dot < 10)
                present.insert(std::atoi(key.substr(0, dot).c_str()));
        }
    for (int n = 1; present.count(n) != 0; ++n) {
        LibraryEntry e;
        e.path = field(n, "Path");
        if (e.path.empty())
            break;
        e.folder = folder;
        e.thumb = field(n, "Thumb");
        e.image = field(n, "Image");
        e.name = field(n, "Name");
        e.info = field(n, "Info");
        e.credit = field(n, "Credit");
        e.copyright = field(n, "Copyright");
        e.width = LeadingInt(field(n, "Width"));
        e.height = LeadingInt(field(n, "Height"));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string ResolveLibraryFile(const LibraryEntry& entry, const std::string& fileName)
{
    if (fileName.empty() || fileName.front() == '/')
        return fileName;
    return WithSlash(entry.folder) + fileName;
}

std::string FormatLibraryImageInfo(const LibraryEntry& entry)
{
    char size[64];
    std::snprintf(size, sizeof size, "\n\n%d X %d pixels", entry.width, entry.height);
    std::string text = entry.info + size;
    if (!entry.credit.empty())
        text += "\n\nPhoto Credit: " + entry.credit;
    return text;
}

std::string CLibraryTreeState::GetSelection() const
{
    return m_Ini.GetString("DlgLibrary", "Tree", "");
}

bool CLibraryTreeState::SetSelection(const std::string& itemText) const
{
    return m_Ini.PutString("DlgLibrary", "Tree", itemText);
}

bool CLibraryTreeState::IsExpanded(const std::string& itemText) const
{
    if (itemText.empty())
        return false;
    return m_Ini.GetInt("DlgLibrary", itemText, 0) != 0;
}

bool CLibraryTreeState::SetExpanded(const std::string& itemText, bool expanded) const
{
    if (itemText.empty())
        return false;
    return m_Ini.PutInt("DlgLibrary", itemText, expanded ? 1 : 0);
}
