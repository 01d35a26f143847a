#pragma once
// The data folder the benchmarks build products from: set up on first use in
// a folder of the system's temporary folder, once per run of a benchmark.

#include <filesystem>
#include <optional>
#include <string>

#include "ground/AppFolders.h"
#include "catalogue/InstalledData.h"
#include "catalogue/Setup.h"

// Null when the folder cannot be made or set up. `name` is the folder's name.
inline const CAppFolders* GetBenchDataFolders(const char* name)
{
    static const std::optional<CAppFolders> folders = [name]() -> std::optional<CAppFolders> {
        std::string error;
        const std::filesystem::path root = std::filesystem::temp_directory_path() / name;
        std::optional<CAppFolders> f = CAppFolders::Create(root.string(), error);
        if (!f) return std::nullopt;
        SetupOptions options;
        options.installedDataFolder = FindInstalledDataFolder(GetExecutablePath());
        if (CSetup(*f, options, SetupListener{}).Run().outcome == SetupOutcome::Failed) return std::nullopt;
        return f;
    }();
    return folders ? &*folders : nullptr;
}
