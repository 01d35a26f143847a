// vantorel-cli render: a project rendered to a picture file.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include <unistd.h>

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/output/RenderOverrides.h"
#include "cli/output/TemplateCache.h"
#include "cli/TerminalProgress.h"
#include "image/Raster.h"
#include "render/EngineBackend.h"
#include "render/output/RenderOutput.h"
#include "render/RenderPipeline.h"

namespace {

// Set by Ctrl+C while a render runs; the render stops at its next band.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

// Ctrl+C cancels instead of killing while it is in scope, so that nothing
// half-written is left behind.
struct SInterruptGuard {
    SInterruptGuard() { g_interrupted = 0; }
    void (*previous)(int) = std::signal(SIGINT, OnInterrupt);
    ~SInterruptGuard() { std::signal(SIGINT, previous); }
};

// --dry-run: whether the picture could be written where it is named: its
// folder, or the nearest one that exists (batch makes the rest), writable.
int CheckOutputFolder(const std::string& output)
{
    std::filesystem::path folder = std::filesystem::path(AbsolutePath(output)).parent_path();
    std::error_code ec;
    while (!folder.empty() && !std::filesystem::exists(folder, ec) && folder != folder.parent_path())
        folder = folder.parent_path();
    if (!std::filesystem::is_directory(folder, ec) || access(folder.c_str(), W_OK) != 0) {
        PrintError(output + ": the folder " + folder.string() + " can not be written");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

bool RenderDocument(CVtwinDoc& doc, bool quiet)
{
    return RenderDocument(doc, quiet, 0, false);
}

bool RenderDocument(CVtwinDoc& doc, bool quiet, int threads, bool transparent)
{
    CProduct& product = *doc.GetProduct();
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetThreads(threads);
    pipeline.SetTransparent(transparent);
    pipeline.SetKeepUnfinished(false);  // rendered once and saved
    pipeline.SetFaceObjects([&doc](std::string_view key) -> const CFaceObjects* { return doc.FindFaceObjects(key); });
    CTerminalProgress bar(quiet ? nullptr : stderr);
    pipeline.GetProgress().SetSink([&bar](const std::string& s, int p) { bar.Update(s, p); });
    pipeline.GetProgress().SetCancellableSink([](const std::string&, int) { return g_interrupted == 0; });
    pipeline.GetCache().Clear();
    const bool ok = pipeline.Render("y", product);
    bar.Finish();
    if (!ok && (pipeline.WasCancelled() || g_interrupted)) {
        PrintError("the render was cancelled; nothing was written");
        return false;
    }
    if (!ok) {
        PrintError("the picture could not be rendered (" +
                   (pipeline.GetLastError().empty() ? std::string("not enough memory for its size")
                                                    : pipeline.GetLastError()) +
                   ")");
        return false;
    }
    if (!backend.GetLastError().empty()) {
        PrintError("the model could not be drawn: " + backend.GetLastError());
        return false;
    }
    return true;
}

int RunRender(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "render");
    if (!a.error.empty() || a.positional.size() != 1 || !a.Get("-o")) {
        PrintError(a.error.empty() ? CommandUsageLine("render") : a.error);
        return kExitUsage;
    }
    const CErrorSubject subject(a.positional[0]);
    SRenderOverrides overrides;
    if (!ReadRenderOverrides(a, overrides)) return kExitUsage;
    int quality = -1, threads = 0;
    if (const std::string* q = a.Get("--quality"); q && !ParseInt(*q, "JPEG Quality", 0, 100, quality))
        return kExitUsage;
    if (const std::string* t = a.Get("--threads"); t && !ParseInt(*t, "Threads", 1, 64, threads))
        return kExitUsage;
    // The format follows the extension; one that names no format written is refused.
    const int filter = FilterForOutputName(*a.Get("-o"));
    if (filter == 0) {
        PrintError("can not write \"" + *a.Get("-o") + "\": the picture formats are " + kRenderFormatList);
        return kExitUsage;
    }
    if (!MayReplaceWithOutput(ApplyExtensionRule(*a.Get("-o"), filter), a.Has("--force"))) return kExitUsage;
    const bool transparent = a.Has("--transparent");
    if (transparent && filter != kFilterPNG) {
        PrintError("--transparent needs a PNG file: the other picture formats have no transparency");
        return kExitUsage;
    }
    SInterruptGuard interrupt;
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;

    auto doc = MakeDocument();
    if (!OpenDocument(context, *doc, a.positional[0])) return kExitFailed;
    // Overrides change this rendering only: the project file is not written.
    std::string error;
    if (const int rc = ApplyRenderOverrides(*folders, *doc, overrides, context.assumeYes, error); rc != kExitOk) {
        PrintError(a.positional[0] + ": " + error);
        return rc;
    }
    if (a.Has("--dry-run")) return CheckOutputFolder(*a.Get("-o"));
    if (g_interrupted) {
        PrintError("the render was cancelled; nothing was written");
        return kExitFailed;
    }
    if (!RenderDocument(*doc, context.quiet, threads, transparent)) return kExitFailed;

    CRenderOutput output(&folders->UserSettings());
    const std::string name = ApplyExtensionRule(*a.Get("-o"), filter);
    // --keep-settings: the user settings file is read, never written.
    const bool remember = !a.Has("--keep-settings");
    if (quality < 0) quality = output.GetJpegQuality();
    else if (filter == kFilterJPEG && remember) output.SetJpegQuality(quality);

    CSide* z = doc->GetProduct()->FindSidePtr("z");
    CRaster* picture = z ? z->GetPicture() : nullptr;
    std::string message, reason;
    if (picture == nullptr || !CRenderOutput::SaveRendering(*picture, name, filter, quality, message, reason)) {
        if (message.empty()) message = "Error rendering to " + name;
        PrintError(reason.empty() ? message : message + " (" + reason + ")");
        return kExitFailed;
    }
    if (g_interrupted) {  // cancelled while saving: the whole file goes too
        std::remove(name.c_str());
        PrintError("the render was cancelled; nothing was written");
        return kExitFailed;
    }
    // The folder is remembered whole, never relative to this process's working folder.
    if (remember) output.RememberFolderOf(AbsolutePath(name));
    if (!context.quiet)
        std::printf("Rendered %s (%d x %d)\n", name.c_str(), picture->GetWidth(), picture->GetHeight());
    return kExitOk;
}
