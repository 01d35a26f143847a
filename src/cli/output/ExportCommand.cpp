// vantorel-cli export: the print artwork as a PDF, or the product as a
// binary glTF model, chosen by the output's extension.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/output/RenderOverrides.h"
#include "cli/output/TemplateCache.h"
#include "layout/export/ArtworkPdf.h"
#include "layout/export/ProductGlb.h"

namespace {

bool ParseMillimetres(const std::string& text, const char* label, double maximum, double& value)
{
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || errno != 0 || !std::isfinite(v) || v < 0 ||
        v > maximum) {
        char buffer[160];
        std::snprintf(buffer, sizeof buffer, "%s must be a number of millimetres between 0 and %g.", label, maximum);
        PrintError(buffer);
        return false;
    }
    value = v;
    return true;
}

}  // namespace

char ExportKindOf(const std::string& path) noexcept
{
    if (path.size() < 4 || path[path.size() - 4] != '.') return 0;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == "pdf" ? 'p' : tail == "glb" ? 'g' : 0;
}

int RunExport(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "export");
    if (!a.error.empty() || a.positional.size() != 1 || !a.Get("-o")) {
        PrintError(a.error.empty() ? CommandUsageLine("export") : a.error);
        return kExitUsage;
    }
    const CErrorSubject subject(a.positional[0]);
    const std::string& out = *a.Get("-o");
    const char kind = ExportKindOf(out);
    const bool pdf = kind == 'p', glb = kind == 'g';
    if (!pdf && !glb) {
        PrintError("can not export \"" + out + "\": the export formats are PDF (.pdf) and glTF binary (.glb)");
        return kExitUsage;
    }
    SArtworkOptions options;
    options.marks = a.Has("--marks");
    if (const std::string* b = a.Get("--bleed");
        b && !ParseMillimetres(*b, "Bleed", CArtworkPdf::kMaxBleed, options.bleed))
        return kExitUsage;
    if (const std::string* d = a.Get("--dpi");
        d && !ParseInt(*d, "Resolution", CArtworkPdf::kMinDpi, CArtworkPdf::kMaxDpi, options.dpi, "dpi"))
        return kExitUsage;
    int textureSize = CProductGlb::kDefaultTextureSize;
    if (const std::string* t = a.Get("--texture-size");
        t && !ParseInt(*t, "Texture Size", CProductGlb::kMinTextureSize, CProductGlb::kMaxTextureSize, textureSize,
                       "pixels"))
        return kExitUsage;
    if (pdf ? a.Get("--texture-size") != nullptr : (a.Get("--bleed") || a.Get("--dpi") || options.marks)) {
        PrintError(pdf ? "--texture-size is an option of the 3D model (.glb)"
                       : "--bleed, --marks and --dpi are options of the artwork (.pdf)");
        return kExitUsage;
    }
    SRenderOverrides overrides;
    if (!ReadRenderOverrides(a, overrides))
        return kExitUsage;
    const std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders)
        return kExitFailed;
    auto doc = MakeDocument();
    if (!OpenDocument(context, *doc, a.positional[0]))
        return kExitFailed;
    // Overrides change this export only (as they do a render; batch jobs use them).
    std::string error;
    if (const int rc = ApplyRenderOverrides(*folders, *doc, overrides, context.assumeYes, error); rc != kExitOk) {
        PrintError(a.positional[0] + ": " + error);
        return rc;
    }
    const CVtwinDoc& constDoc = *doc;
    const auto objects = [&constDoc](std::string_view key) { return constDoc.FindFaceObjects(key); };
    if (a.Has("--dry-run"))
        return kExitOk;
    CProduct& product = *doc->GetProduct();
    const bool ok = pdf ? CArtworkPdf::Write(product, objects, options, out, error)
                        : CProductGlb::Write(product, objects, textureSize, out, error);
    if (!ok) {
        PrintError("Error exporting to " + out + " (" + error + ")");
        return kExitFailed;
    }
    if (!context.quiet && pdf) {
        double w = 0, h = 0;
        CArtworkPdf::GetPageSize(CArtworkPdf::MakeNet(product), options, w, h);
        std::printf("Exported %s (%.1f x %.1f mm)\n", out.c_str(), w, h);
    } else if (!context.quiet) {
        std::printf("Exported %s\n", out.c_str());
    }
    return kExitOk;
}
