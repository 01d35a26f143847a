// vantorel-cli new: a project from a catalogue model, as the new-project dialog builds it.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include <sys/stat.h>

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ModelNames.h"
#include "catalogue/WizardLists.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/edit/SettingEdit.h"
#include "cli/info/SetupCommand.h"
#include "properties/PageChecks.h"
#include "properties/settings/SettingTable.h"

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

std::optional<CAppFolders> OpenFolders(const SCliContext& context, bool prepare)
{
    std::string error;
    std::optional<CAppFolders> folders = CAppFolders::Create(context.dataDir, error);
    if (!folders) {
        PrintError(error.empty() ? "the data folder could not be prepared" : error);
        return folders;
    }
    if (!context.foldersSwept) folders->RemoveLeftoverSaveFiles();  // of saves that were killed
    if (prepare && !EnsureDataSetUp(context, *folders)) return std::nullopt;
    return folders;
}

std::unique_ptr<CProduct> BuildCliProduct(const CAppFolders& folders,
                                          const CatalogueEntry& entry, NewProjectAnswers answers, int magnification)
{
    const std::string section = GetCatalogueSectionName(entry);
    // Lists the user did not answer take their first entries.
    const std::string cdImage = answers.cdImage, subPicture = answers.subPicture;
    SetFirstListAnswers(folders, section, answers);
    if (!cdImage.empty()) answers.cdImage = cdImage;
    if (!subPicture.empty()) answers.subPicture = subPicture;
    std::string error;
    std::unique_ptr<CProduct> product = BuildProductFromModel(folders, section, answers, error);
    if (!product) {
        PrintError(error);
        return nullptr;
    }
    if (magnification > 0) product->GetSettings().SetInt(ModelKey(kSetMagnification), magnification);
    return product;
}

namespace {

// The wizard's list answers given by name; false with the message printed.
bool ReadListAnswers(const SArgs& a, const CAppFolders& folders, const CatalogueEntry& entry, NewProjectAnswers& answers)
{
    const std::unique_ptr<CProduct> kind = CreateProduct(entry.kind);
    const std::string pattern = entry.subPattern;
    std::string error;
    for (const char* option : {"--floppy-color", "--zip-color"}) {
        const std::string* v = a.Get(option);
        if (v == nullptr) continue;
        const bool zip = std::string(option) == "--zip-color";
        if (pattern != (zip ? "dzp_*.bmp" : "dfl_*.bmp")) {
            PrintError(std::string(option) + " does not apply to the " + GetUniqueModelName(entry));
            return false;
        }
        const std::vector<SNamedChoice> choices = ListDiskColourChoices(folders, zip);
        const SNamedChoice* c = FindChoice(choices, *v, zip ? "zip disk colour" : "floppy disk colour",
                                           zip ? "zip-colors" : "floppy-colors", error);
        if (c == nullptr) {
            PrintError(error);
            return false;
        }
        answers.subPicture = c->value;
    }
    if (const std::string* v = a.Get("--cd-image")) {
        if (!kind || !kind->HasCDROM()) {
            PrintError("--cd-image does not apply to the " + GetUniqueModelName(entry));
            return false;
        }
        const std::vector<SNamedChoice> choices = ListCDImageNameChoices(folders);
        const SNamedChoice* c = FindChoice(choices, *v, "CD-ROM image", "cd-images", error);
        if (c == nullptr) {
            PrintError(error);
            return false;
        }
        answers.cdImage = c->value;
    }
    if (const std::string* v = a.Get("--cd-position")) {
        if (!kind || !kind->HasCDROMInside()) {
            PrintError("--cd-position does not apply to the " + GetUniqueModelName(entry));
            return false;
        }
        std::vector<SNamedChoice> choices;
        for (const CDPositionChoice& c : GetCDPositionChoices(*kind))
            choices.push_back({c.name, std::to_string(c.value), ""});
        const SNamedChoice* byValue = nullptr;
        for (const SNamedChoice& c : choices)
            if (c.value == *v) byValue = &c;
        const SNamedChoice* c = byValue ? byValue : FindChoice(choices, *v, "CD-ROM position", "", error);
        if (c == nullptr) {
            std::string known;
            for (const SNamedChoice& k : choices) known += (known.empty() ? "" : ", ") + k.value + " " + k.name;
            PrintError("no CD-ROM position \"" + *v + "\" (positions: " + known + ")");
            return false;
        }
        answers.cdPosition = std::stoi(c->value);
    }
    return true;
}

// The binder questions of the size page: Yes only with --yes.
bool CheckBinderSize(const SCliContext& context, const CatalogueEntry& entry, const SizePageValues& size)
{
    const std::unique_ptr<CProduct> kind = CreateProduct(entry.kind);
    if (!kind || !kind->HasBinding()) return true;
    SizePageControls c;
    c.catalogueWidth = entry.width;
    c.catalogueHeight = entry.height;
    c.catalogueDepth = entry.depth;
    c.widthText = std::to_string(size.width);
    c.heightText = std::to_string(size.height);
    c.depthText = std::to_string(size.depth);
    c.binder = true;
    c.hasCD = kind->HasCDROM() != 0;
    std::string refused;
    SizePageValues stored;
    const PageLeave r = LeaveSizePage(c,
                                      [&](const std::string& question) {
                                          if (context.assumeYes) return true;
                                          refused = question;
                                          return false;
                                      },
                                      stored);
    if (r.ok) return true;
    PrintError(refused.empty() ? r.message : refused + " (give --yes to answer Yes)");
    return false;
}

}  // namespace

int RunNew(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "new");
    if (!a.error.empty() || a.positional.size() != 1 || !a.Get("-o")) {
        PrintError(a.error.empty() ? CommandUsageLine("new") : a.error);
        return kExitUsage;
    }
    const CErrorSubject subject(*a.Get("-o"));
    if (struct stat st {}; !a.Has("--force") && ::lstat(a.Get("-o")->c_str(), &st) == 0) {
        PrintError(*a.Get("-o") + " already exists; it is left as it is (give --force to replace it)");
        return kExitUsage;
    }
    const ModelLookup model = LookUpModel(a.positional[0]);
    const CatalogueEntry* entry = model.entry;
    if (entry == nullptr) {
        std::string message = "no model named \"" + a.positional[0] + "\" in the catalogue (see: vantorel-cli list models)";
        if (!model.candidates.empty()) {
            message = "the model name \"" + a.positional[0] + "\" is ambiguous: ";
            for (std::size_t i = 0; i < model.candidates.size(); ++i)
                message += (i ? ", \"" : "\"") + model.candidates[i] + "\"";
        }
        PrintError(message);
        return kExitUsage;
    }
    int width = 0, height = 0, depth = 0;
    int magnification = 0; // 0: the new-project magnification
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
        if (!ParseInt(v->substr(0, x), "Width", kMinRenderSide, kMaxRenderSide, answers.renderWidth, "pixels") ||
            !ParseInt(v->substr(x + 1), "Height", kMinRenderSide, kMaxRenderSide, answers.renderHeight, "pixels"))
            return kExitUsage;
    }
    SizePageValues size;
    if (!ResolveDimension(entry->width, width, "Width", size.width) ||
        !ResolveDimension(entry->height, height, "Height", size.height) ||
        !ResolveDimension(entry->depth, depth, "Depth", size.depth))
        return kExitUsage;
    answers.size = size;
    if (!CheckBinderSize(context, *entry, size)) return kExitFailed;
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;
    if (!ReadListAnswers(a, *folders, *entry, answers)) return kExitUsage;

    std::unique_ptr<CProduct> product = BuildCliProduct(*folders, *entry, answers, magnification);
    if (!product) return kExitFailed;
    for (const auto& [option, label] : {std::pair{"--binder-type", "Binder Type"}, std::pair{"--binder-color", "Binder Color"}}) {
        const std::string* v = a.Get(option);
        if (v == nullptr) continue;
        if (!product->HasBinding()) {
            PrintError(std::string(option) + " does not apply to the " + GetUniqueModelName(*entry));
            return kExitUsage;
        }
        const SSettingEditResult r = ApplySettingEdit(*product, std::string(label) + "=" + *v, context.assumeYes);
        if (!r.ok) {
            PrintError(r.message);
            return kExitUsage;
        }
    }
    auto doc = MakeDocument();
    doc->NewProject(std::move(product));
    if (!doc->SaveProject(*a.Get("-o"))) return kExitFailed;
    if (!context.quiet) std::printf("Created %s (%s)\n", a.Get("-o")->c_str(), GetUniqueModelName(*entry).c_str());
    return kExitOk;
}
