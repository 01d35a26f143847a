#include "catalogue/setup/InstalledData.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::vector<std::string> GetInstalledDataCandidates(const std::string& executablePath)
{
    std::vector<std::string> candidates;
    if (!executablePath.empty()) {
        const fs::path exeDir = fs::path(executablePath).parent_path();
        candidates.push_back((exeDir.parent_path() / "share" / "vantorel" / "data").string());
    }
#ifdef VT_INSTALL_DATA_DIR
    candidates.push_back(VT_INSTALL_DATA_DIR);
#endif
#ifdef VT_BUILD_DATA_DIR
    candidates.push_back(VT_BUILD_DATA_DIR);
#endif
    return candidates;
}

std::string FindInstalledDataFolder(const std::string& executablePath)
{
    for (const std::string& folder : GetInstalledDataCandidates(executablePath)) {
        std::error_code ec;
        if (fs::is_regular_file(fs::path(folder) / "dmo_box_001.bmp", ec))
            return folder;
    }
    return {};
}

std::string GetExecutablePath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string FindUserManual(const std::string& executablePath)
{
    std::vector<fs::path> folders;
    if (!executablePath.empty())
        folders.push_back(fs::path(executablePath).parent_path().parent_path() / "share" / "doc" / "vantorel" / "manual");
#ifdef VT_INSTALL_MANUAL_DIR
    folders.emplace_back(VT_INSTALL_MANUAL_DIR);
#endif
#ifdef VT_SOURCE_MANUAL_DIR
    folders.emplace_back(VT_SOURCE_MANUAL_DIR);
#endif
    for (const fs::path& folder : folders) {
        std::error_code ec;
        if (fs::is_regular_file(folder / "index.html", ec))
            return (folder / "index.html").string();
    }
    return {};
}
