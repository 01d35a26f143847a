#include "cli/info/SetupCommand.h"

#include "ground/AppFolders.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/setup/Setup.h"
#include "cli/CommandTable.h"

#include <cstdio>
#include <optional>

namespace {

SetupResult RunSetupWithProgress(const SCliContext& context, const CAppFolders& folders, const std::string& installed)
{
    SetupListener listener;
    if (!context.quiet) {
        listener.onStepTitle = [](const std::string& title) { std::fprintf(stderr, "\n%s\n", title.c_str()); };
        // Only changes are printed: the bar moves hundreds of times.
        listener.onProgress = [lastPercent = -1, lastEstimate = std::string()](
                                  int position, int total, const std::string& estimate) mutable {
            const int percent = total > 0 ? position * 100 / total : 0;
            if (percent == lastPercent && estimate == lastEstimate)
                return;
            lastPercent = percent;
            lastEstimate = estimate;
            std::fprintf(stderr, "\r%3d%%  Estimated Time Remaining: %-28s", percent, estimate.c_str());
            std::fflush(stderr);
        };
    }
    SetupOptions options;
    options.installedDataFolder = installed;
    CSetup setup(folders, options, listener);
    const SetupResult result = setup.Run();
    if (!context.quiet && result.outcome != SetupOutcome::AlreadyDone)
        std::fprintf(stderr, "\n");
    return result;
}

} // namespace

bool EnsureDataSetUp(const SCliContext& context, const CAppFolders& folders)
{
    if (folders.GetProgramInt("Init", "Template", 0) != 0)
        return true;
    const SetupResult result = RunSetupWithProgress(context, folders, FindInstalledDataFolder(GetExecutablePath()));
    if (result.outcome == SetupOutcome::Failed) {
        PrintError(result.message);
        return false;
    }
    return true;
}

int RunSetup(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "setup");
    if (!a.error.empty() || !a.positional.empty()) {
        PrintError(a.error.empty() ? CommandUsageLine("setup") : a.error);
        return kExitUsage;
    }
    std::string installed = a.Get("--installed") ? *a.Get("--installed") : std::string();
    const bool again = a.Has("--again");
    std::optional<CAppFolders> folders = OpenFolders(context, false);
    if (!folders) return kExitFailed;
    std::string error;
    if (installed.empty())
        installed = FindInstalledDataFolder(GetExecutablePath());
    if (again && !folders->PutProgramInt("Init", "Template", 0)) {
        PrintError("can not write " + folders->GetProgramSettingsFile());
        return kExitFailed;
    }

    const SetupResult result = RunSetupWithProgress(context, *folders, installed);
    switch (result.outcome) {
    case SetupOutcome::AlreadyDone:
        if (!context.quiet)
            std::printf("The data folder %s is already set up.\n", folders->GetInternalFolder().c_str());
        return kExitOk;
    case SetupOutcome::Completed:
        if (!context.quiet)
            std::printf("Set up the data folder %s.\n", folders->GetInternalFolder().c_str());
        return kExitOk;
    case SetupOutcome::Failed:
    default:
        PrintError(result.message);
        return kExitFailed;
    }
}
