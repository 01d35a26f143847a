// vantorel-cli list: the names the other commands accept.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ModelNames.h"
#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/info/SetupCommand.h"

namespace {

std::vector<SNamedChoice> ListModels()
{
    std::vector<SNamedChoice> out;
    for (const CatalogueEntry& e : GetCatalogue()) {
        std::string size;
        for (int v : {e.width, e.height, e.depth}) {
            if (v == 0) continue;
            size += (size.empty() ? "" : " x ") + std::to_string(v < 0 ? -v : v) + (v < 0 ? "*" : "");
        }
        // The section (thumbnail file) name comes last, as one word scripts can pick out.
        out.push_back({GetUniqueModelName(e), GetCatalogueSectionName(e),
                       std::string(e.kind) + (size.empty() ? "" : ", " + size + " mm") + "  " +
                           GetCatalogueSectionName(e)});
    }
    return out;
}

}  // namespace

int RunList(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "list");
    if (!a.error.empty() || a.positional.size() != 1) {
        PrintError(a.error.empty() ? CommandUsageLine("list") : a.error);
        return kExitUsage;
    }
    const std::string& what = a.positional[0];
    std::vector<SNamedChoice> choices;
    if (what == "models") {
        choices = ListModels();
    } else if (what == "patterns") {
        choices = ListPatternChoices();
    } else if (what == "gradients") {
        choices = ListGradientChoices();
    } else if (what == "fonts") {
        choices = ListFontChoices();
    } else if (what == "textures" || what == "floppy-colors" || what == "zip-colors" || what == "cd-images" ||
               what == "library") {
        std::optional<CAppFolders> folders = OpenFolders(context);
        if (!folders) return kExitFailed;
        if (what == "textures") choices = ListTextureChoices(*folders);
        else if (what == "floppy-colors") choices = ListDiskColourChoices(*folders, false);
        else if (what == "zip-colors") choices = ListDiskColourChoices(*folders, true);
        else if (what == "cd-images") choices = ListCDImageNameChoices(*folders);
        else choices = ListLibraryChoices(*folders);
    } else {
        PrintError("nothing to list named \"" + what + "\"; " + CommandUsageLine("list"));
        return kExitUsage;
    }
    if (a.Has("--json")) {
        std::printf("[");
        for (std::size_t i = 0; i < choices.size(); ++i)
            std::printf("%s\n  {\"name\": %s, \"value\": %s, \"note\": %s}", i ? "," : "",
                        JsonString(choices[i].name).c_str(), JsonString(choices[i].value).c_str(),
                        JsonString(choices[i].note).c_str());
        std::printf("%s]\n", choices.empty() ? "" : "\n");
        return kExitOk;
    }
    for (const SNamedChoice& c : choices) {
        if (c.note.empty()) std::printf("%s\n", Printable(c.name).c_str());
        else std::printf("%-34s %s\n", Printable(c.name).c_str(), Printable(c.note).c_str());
    }
    return kExitOk;
}
