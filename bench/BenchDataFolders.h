#pragma once
// The data folder the benchmarks build products from: set up on first use in
// a folder of the system's temporary folder, once per run of a benchmark.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ModelNames.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/setup/Setup.h"
#include "properties/settings/SettingTable.h"

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

// The catalogue model `model` ("box/Software Box") as a new project makes it
// from the first answers of its lists, `side` x `side` pixels at magnification
// `k`; null when the folder or the model is missing or the product cannot be built.
inline std::unique_ptr<CProduct> MakeBenchProduct(const CAppFolders* folders, const char* model, int side, int k)
{
    const CatalogueEntry* entry = LookUpModel(model).entry;
    if (!folders || !entry) return nullptr;
    const std::string section = GetCatalogueSectionName(*entry);
    NewProjectAnswers answers;
    answers.renderWidth = side;
    answers.renderHeight = side;
    SetFirstListAnswers(*folders, section, answers);
    std::string error;
    std::unique_ptr<CProduct> p = BuildProductFromModel(*folders, section, answers, error);
    if (p) p->GetSettings().SetInt(ModelKey(kSetMagnification), k);
    return p;
}
