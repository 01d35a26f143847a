#include "ground/AppFolders.h"

#include "image/SafeFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string Format(const char* pattern, const std::string& path) {
    // The patterns hold exactly one %s.
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += path;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

constexpr const char* kInvalidFolder = "The folder:\n\n%s\n\nis invalid. Please reenter.";
constexpr const char* kAskCreate = "The folder:\n\n%s\n\ndoes not exist. Do you want the folder to be created?";
constexpr const char* kCannotCreate = "The folder:\n\n%s\n\ncan not be created. Please double check.";

// Components of an absolute path; false when the path is not acceptable.
bool SplitFolder(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    constexpr std::size_t kMaxPath = 4095;
    constexpr std::size_t kMaxName = 255;
    if (path.empty() || path.front() != '/' || path.size() > kMaxPath) return false;
    if (path == "/") return true;  // the root
    std::string body = path.substr(1);
    if (body.back() == '/') body.pop_back();  // one trailing slash is fine
    if (body.empty()) return false;           // "//"
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = body.find('/', start);
        std::string part = body.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == "." || part == ".." || part.size() > kMaxName) return false;
        const char first = part.front(), last = part.back();
        if (first == ' ' || first == '\t' || last == ' ' || last == '\t') return false;
        for (unsigned char c : part)
            if (c < 0x20 || c == 0x7F) return false;
        parts.push_back(std::move(part));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return true;
}

}  // namespace

CAppFolders::CAppFolders(std::string program)
    : m_Program(WithSlash(std::move(program))),
      m_Internal(m_Program + "internal/"),
      m_Projects(m_Program + "projects/"),
      m_Images(m_Program + "images/"),
      m_Render(m_Program + "render/"),
      m_ProgramIni(m_Internal + "vtwin.ini"),
      m_UserIni(m_Internal + "vtprof.ini") {}

std::string CAppFolders::GetDefaultDataRoot(const char* xdgDataHome, const char* home) {
    // Relative values are ignored, as the base-directory convention asks.
    if (xdgDataHome && xdgDataHome[0] == '/') return WithSlash(xdgDataHome) + "vantorel";
    if (home && home[0] == '/') return WithSlash(home) + ".local/share/vantorel";
    return {};
}

std::optional<CAppFolders> CAppFolders::Create(const std::string& dataRoot, std::string& error) {
    error.clear();
    std::string root = dataRoot;
    if (root.empty()) root = GetDefaultDataRoot(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (root.empty()) {
        error = "Vantorel can not find its data folder: neither XDG_DATA_HOME nor HOME is set. "
                "Please start it with --data-dir FOLDER.";
        return std::nullopt;
    }
    std::error_code ec;
    if (root.front() != '/') {
        root = fs::absolute(root, ec).string();
        if (ec) {
            error = "The data folder:\n\n" + dataRoot + "\n\ncan not be used: " + ec.message();
            return std::nullopt;
        }
    }
    CAppFolders folders(root);
    for (const std::string* folder :
         {&folders.m_Internal, &folders.m_Projects, &folders.m_Images, &folders.m_Render}) {
        fs::create_directories(*folder, ec);
        if (ec || !IsDirectory(*folder)) {
            error = Format(kCannotCreate, *folder);
            return std::nullopt;
        }
    }
    return folders;
}

std::string CAppFolders::GetUndoFileName(int number) const {
    char name[32];
    std::snprintf(name, sizeof name, "_undo%03d.tua", number);
    return m_Internal + name;
}

void CAppFolders::ClaimUndoFiles(CUndoFileCounter& counter) const {
    counter.SetFolder(m_Internal);
    counter.DeleteAllFiles();
}

int CAppFolders::RemoveLeftoverSaveFiles() const {
    int removed = 0;
    for (const std::string* folder : {&m_Internal, &m_Projects, &m_Render})
        removed += ::RemoveLeftoverSaveFiles(*folder);
    return removed;
}

bool CheckFolder(const std::string& path, const QuestionCallback& ask, const MessageSink& inform) {
    auto tell = [&](const char* pattern) {
        if (inform) inform(Format(pattern, path));
    };
    std::vector<std::string> parts;
    if (!SplitFolder(path, parts)) {
        tell(kInvalidFolder);
        return false;
    }
    if (IsDirectory(path)) return true;
    if (Exists(path)) {  // a file of that name: no folder can be made there
        tell(kCannotCreate);
        return false;
    }
    if (!ask || !ask(Format(kAskCreate, path))) return false;
    std::string prefix;
    for (const std::string& part : parts) {
        prefix += '/';
        prefix += part;
        if (IsDirectory(prefix)) continue;
        if (::mkdir(prefix.c_str(), 0777) != 0 && !IsDirectory(prefix)) {
            tell(kCannotCreate);
            return false;
        }
    }
    return true;
}
