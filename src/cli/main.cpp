// vantorel-cli: create, inspect, edit and render projects from the command line.
#include <cstdio>
#include <string_view>
#include <string>
#include <vector>

#include "cli/CommandTable.h"
#include "cli/WorkingMemory.h"
#include "cli/output/BatchWorkers.h"

#ifndef VT_VERSION
#define VT_VERSION "unknown"
#endif

namespace {

// The command's name and its words with the global options taken out, wherever
// they stand; the values of the command's own options are passed on untouched,
// so "--set Shading=50%" or a text starting with a dash can not be taken for one.
struct SCommandLine {
    std::string command;
    std::vector<std::string> rest;
    bool help = false;
    bool version = false;
    std::string error;
};

SCommandLine SplitCommandLine(const std::vector<std::string>& args, SCliContext& context)
{
    SCommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const SCliCommand* command = FindCliCommand(line.command);
        const SCliOption* option = FindCliOption(nullptr, a);
        if (a == "--help" || a == "-h") {
            line.help = true;
        } else if (a == "--version" && line.command.empty()) {
            line.version = true;
        } else if (option && option->value) {
            if (i + 1 >= args.size()) {
                line.error = "option " + a + " needs a value " + option->value;
                return line;
            }
            context.dataDir = args[++i];
        } else if (option) {
            (std::string_view(option->name) == "--quiet" ? context.quiet : context.assumeYes) = true;
        } else if (line.command.empty()) {
            if (a.size() > 1 && a[0] == '-') {
                line.error = "unknown option " + a + " (see vantorel-cli --help)";
                return line;
            }
            line.command = a;
        } else {
            line.rest.push_back(a);
            const SCliOption* own = command ? FindCliOption(command, a) : nullptr;
            if (own && own->value && i + 1 < args.size()) line.rest.push_back(args[++i]);
        }
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareWorkingMemory();
    SCliContext context;
    // A worker of the batch command: this program started again to run jobs.
    if (argc > 1 && std::string_view(argv[1]) == kBatchWorkerArg) {
        const SCommandLine line = SplitCommandLine(std::vector<std::string>(argv + 2, argv + argc), context);
        return line.error.empty() && line.command.empty() ? RunBatchWorker(context) : kExitUsage;
    }
    const SCommandLine line = SplitCommandLine(std::vector<std::string>(argv + 1, argv + argc), context);
    if (!line.error.empty()) {
        PrintError(line.error);
        return kExitUsage;
    }
    if (line.version) {
        std::printf("vantorel-cli %s\n", VT_VERSION);
        return kExitOk;
    }
    const std::string command = line.command == "models" ? "list" : line.command;
    const SCliCommand* found = FindCliCommand(command);
    if (line.help) {
        if (found) PrintCommandHelp(stdout, *found);
        else PrintUsage(stdout);
        return kExitOk;
    }
    if (line.command.empty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (!found) {
        PrintError("unknown command \"" + command + "\" (see vantorel-cli --help)");
        return kExitUsage;
    }
    if (line.command == "models") return found->run(context, {"models"});
    return found->run(context, line.rest);
}
