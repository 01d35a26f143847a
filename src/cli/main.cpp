// vantorel-cli: create, inspect, edit and render projects from the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "cli/Commands.h"
#include "cli/SetupCommand.h"

namespace {

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: vantorel-cli [--data-dir DIR] [--quiet] [--yes] COMMAND ...\n"
                 "  new MODEL [--width W --height H --depth D] [--size WxH] [--magnification K] -o P.vtp\n"
                 "  render P.vtp -o OUT.png|.bmp|.jpg|.pcx [--quality Q]\n"
                 "  info P.vtp\n"
                 "  set P.vtp NAME=VALUE...      (names as in the property grid, e.g. \"Bevel Size=12\")\n"
                 "  models                       (the catalogue)\n"
                 "  setup [--installed DIR] [--again]  (prepare the data folder)\n"
                 "  demo -o OUT.png [--project P.vtp]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    SCliContext context;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--data-dir") {
            if (i + 1 >= args.size()) {
                PrintError("option --data-dir needs a value");
                return kExitUsage;
            }
            context.dataDir = args[++i];
        } else if (args[i] == "--quiet" || args[i] == "-q") {
            context.quiet = true;
        } else if (args[i] == "--yes") {
            context.assumeYes = true;
        } else if (args[i] == "--help" || args[i] == "-h") {
            PrintUsage(stdout);
            return kExitOk;
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string command = args[i];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    if (command == "setup") return RunSetup(context, rest);
    if (command == "new") return RunNew(context, rest);
    if (command == "render") return RunRender(context, rest);
    if (command == "info") return RunInfo(context, rest);
    if (command == "set") return RunSet(context, rest);
    if (command == "demo") return RunDemo(context, rest);
    if (command == "models") {
        for (const CatalogueEntry& e : GetCatalogue())
            std::printf("%-28s %-22s %s\n", GetListName(e.name).c_str(), GetCatalogueSectionName(e).c_str(), e.kind);
        return kExitOk;
    }
    PrintError("unknown command \"" + command + "\" (see vantorel-cli --help)");
    return kExitUsage;
}
