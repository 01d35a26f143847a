#pragma once
// A set-up data folder for a test. Under ctest the test run sets one up once
// (the DataFolder fixture, named by VT_TEST_DATA_FOLDER) and each test copies
// it, as hard links where it can: the program replaces a settings file or a
// picture by renaming a new one over it, so the shared files stay as they
// were. Run by hand, the test sets its own folder up.

#include "ground/AppFolders.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/setup/Setup.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

// Fills the fresh folder `root` and returns its folders; nothing and `error` set on failure.
inline std::optional<CAppFolders> MakeSetUpDataFolder(const std::filesystem::path& root, std::string& error)
{
    const char* prepared = std::getenv("VT_TEST_DATA_FOLDER");
    std::error_code ec;
    if (prepared && std::filesystem::is_directory(prepared, ec)) {
        using std::filesystem::copy_options;
        std::filesystem::copy(prepared, root, copy_options::recursive | copy_options::create_hard_links, ec);
        if (ec) {
            std::filesystem::remove_all(root, ec);
            std::filesystem::copy(prepared, root, copy_options::recursive, ec);
        }
        if (ec) {
            error = "copying " + std::string(prepared) + ": " + ec.message();
            return std::nullopt;
        }
        return CAppFolders::Create(root.string(), error);
    }
    std::optional<CAppFolders> folders = CAppFolders::Create(root.string(), error);
    if (!folders)
        return std::nullopt;
    SetupOptions options;
    options.installedDataFolder = FindInstalledDataFolder(GetExecutablePath());
    const SetupResult result = CSetup(*folders, options, SetupListener{}).Run();
    if (result.outcome != SetupOutcome::Completed) {
        error = "setup: " + result.message;
        return std::nullopt;
    }
    return folders;
}
