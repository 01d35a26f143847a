// vantorel-cli new: a project from a catalogue model, as the new-project dialog builds it.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NewProject.h"
#include "catalogue/Product.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/SetupCommand.h"
#include "properties/SettingTable.h"

namespace {

// One dimension: the catalogue value (positive fixed, negative editable with
// its absolute value as default, 0 not applicable) and the option (0 = none).
bool ResolveDimension(int catalogueValue, int option, const char* label, int& result)
{
    result = std::abs(catalogueValue);
    if (option == 0) return true;
    if (catalogueValue == 0) {
        PrintError(std::string(label) + " does not apply to this model.");
        return false;
    }
    if (catalogueValue > 0) {
        if (option == catalogueValue) return true;
        PrintError(std::string(label) + " is fixed at " + std::to_string(catalogueValue) + " for this model.");
        return false;
    }
    result = option;
    return true;
}

}  // namespace

std::optional<CAppFolders> OpenFolders(const SCliContext& context)
{
    std::string error;
    std::optional<CAppFolders> folders = CAppFolders::Create(context.dataDir, error);
    if (!folders) PrintError(error.empty() ? "the data folder could not be prepared" : error);
    return folders;
}

std::unique_ptr<CProduct> BuildCliProduct(const SCliContext& context, const CAppFolders& folders,
                                          const CatalogueEntry& entry, NewProjectAnswers answers, int magnification)
{
    if (!EnsureDataSetUp(context, folders)) return nullptr;
    const std::string section = GetCatalogueSectionName(entry);
    SetFirstListAnswers(folders, section, answers);
    std::string error;
    std::unique_ptr<CProduct> product = BuildProductFromModel(folders, section, answers, error);
    if (!product) {
        PrintError(error);
        return nullptr;
    }
    product->GetSettings().SetInt(ModelKey(kSetMagnification), magnification);
    return product;
}

int RunNew(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, {"-o", "--width", "--height", "--depth", "--size", "--magnification"});
    if (!a.error.empty() || a.positional.size() != 1 || !a.Get("-o")) {
        PrintError(a.error.empty() ? "usage: new MODEL [--width W --height H --depth D] [--size WxH] -o P.vtp" : a.error);
        return kExitUsage;
    }
    const CatalogueEntry* entry = FindCatalogueModel(a.positional[0]);
    if (entry == nullptr) {
        PrintError("no model named \"" + a.positional[0] + "\" in the catalogue (see: vantorel-cli models)");
        return kExitFailed;
    }
    int width = 0, height = 0, depth = 0, magnification = 1;
    NewProjectAnswers answers;
    if (const std::string* v = a.Get("--width"); v && !ParseInt(*v, "Width", 1, 300, width)) return kExitUsage;
    if (const std::string* v = a.Get("--height"); v && !ParseInt(*v, "Height", 1, 300, height)) return kExitUsage;
    if (const std::string* v = a.Get("--depth"); v && !ParseInt(*v, "Depth", 1, 300, depth)) return kExitUsage;
    if (const std::string* v = a.Get("--magnification"); v && !ParseInt(*v, "Magnification", 1, 16, magnification))
        return kExitUsage;
    if (const std::string* v = a.Get("--size")) {
        const std::size_t x = v->find_first_of("xX");
        if (x == std::string::npos) {
            PrintError("--size wants WIDTHxHEIGHT in pixels, as in 400x300");
            return kExitUsage;
        }
        if (!ParseInt(v->substr(0, x), "Width", 50, 999, answers.renderWidth, "pixels") ||
            !ParseInt(v->substr(x + 1), "Height", 50, 999, answers.renderHeight, "pixels"))
            return kExitUsage;
    }
    SizePageValues size;
    if (!ResolveDimension(entry->width, width, "Width", size.width) ||
        !ResolveDimension(entry->height, height, "Height", size.height) ||
        !ResolveDimension(entry->depth, depth, "Depth", size.depth))
        return kExitFailed;
    answers.size = size;
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;

    std::unique_ptr<CProduct> product = BuildCliProduct(context, *folders, *entry, answers, magnification);
    if (!product) return kExitFailed;
    auto doc = MakeDocument();
    doc->NewProject(std::move(product));
    if (!doc->SaveProject(*a.Get("-o"))) return kExitFailed;
    if (!context.quiet) std::printf("Created %s (%s)\n", a.Get("-o")->c_str(), GetListName(entry->name).c_str());
    return kExitOk;
}
