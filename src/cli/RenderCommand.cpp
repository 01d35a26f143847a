// vantorel-cli render: a project rendered to a picture file.
#include <cstdio>
#include <memory>
#include <optional>

#include "app/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/RenderOverrides.h"
#include "cli/TerminalProgress.h"
#include "image/Raster.h"
#include "render/EngineBackend.h"
#include "render/RenderOutput.h"
#include "render/RenderPipeline.h"

bool RenderDocument(CVtwinDoc& doc, bool quiet)
{
    CProduct& product = *doc.GetProduct();
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetFaceObjects([&doc](std::string_view key) -> const CFaceObjects* { return doc.FindFaceObjects(key); });
    CTerminalProgress bar(quiet ? nullptr : stderr);
    pipeline.GetProgress().SetSink([&bar](const std::string& s, int p) { bar.Update(s, p); });
    pipeline.GetCache().Clear();
    const bool ok = pipeline.Render("y", product);
    bar.Finish();
    if (!ok) {
        PrintError("the picture could not be rendered (not enough memory for its size)");
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
    const SArgs a = ParseArgs(args, {"-o", "--quality", "--set", "--var", "--picture", "--barcode"}, {"--keep-settings"});
    if (!a.error.empty() || a.positional.size() != 1 || !a.Get("-o")) {
        PrintError(a.error.empty() ? "usage: render P.vtp -o OUT [--quality Q] [--set NAME=VALUE]... [--var NAME=TEXT]..."
                                     " [--picture FACE=FILE]... [--barcode FACE=DATA]..."
                                   : a.error);
        return kExitUsage;
    }
    SRenderOverrides overrides;
    if (!ReadRenderOverrides(a, overrides)) return kExitUsage;
    int quality = -1;
    if (const std::string* q = a.Get("--quality"); q && !ParseInt(*q, "JPEG Quality", 0, 100, quality))
        return kExitUsage;
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;

    auto doc = MakeDocument();
    if (!OpenDocument(*doc, a.positional[0])) return kExitFailed;
    // Overrides change this rendering only: the project file is not written.
    if (std::string error; !ApplyRenderOverrides(*folders, *doc, overrides, context.assumeYes, error)) {
        PrintError(a.positional[0] + ": " + error);
        return kExitFailed;
    }
    if (!RenderDocument(*doc, context.quiet)) return kExitFailed;

    CRenderOutput output(&folders->UserSettings());
    const int filter = FilterForFileName(*a.Get("-o"));
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
    // The folder is remembered whole, never relative to this process's working folder.
    if (remember) output.RememberFolderOf(AbsolutePath(name));
    if (!context.quiet)
        std::printf("Rendered %s (%d x %d)\n", name.c_str(), picture->GetWidth(), picture->GetHeight());
    return kExitOk;
}
