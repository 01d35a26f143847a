// vantorel-cli set: render-setting edits stored in the project.
#include <cstdio>

#include "app/VtwinDoc.h"
#include "cli/CliSupport.h"
#include "cli/edit/EditLock.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/edit/SettingEdit.h"

int RunSet(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "set");
    if (!a.error.empty() || a.positional.size() < 2) {
        PrintError(a.error.empty() ? CommandUsageLine("set") : a.error);
        return kExitUsage;
    }
    const CErrorSubject subject(a.positional[0]);
    CEditLock lock;
    auto doc = MakeDocument();
    if (!OpenDocumentForEdit(*doc, a.positional[0], a, lock)) return kExitFailed;
    // All edits or none: the file is written only when every one was accepted.
    unsigned mask = 0;
    for (std::size_t i = 1; i < a.positional.size(); ++i) {
        const SSettingEditResult r = ApplySettingEdit(*doc->GetProduct(), a.positional[i], context.assumeYes);
        if (!r.ok) {
            PrintError(a.positional[0] + ": " + r.message + " Nothing was changed.");
            return kExitUsage;
        }
        if (!r.message.empty() && !context.quiet) std::printf("%s\n", r.message.c_str());
        mask |= r.updateMask;
    }
    if (mask == 0) {
        if (!context.quiet) std::printf("No setting changed.\n");
        return kExitOk;
    }
    if (!doc->SaveProject(a.positional[0])) return kExitFailed;
    return kExitOk;
}
