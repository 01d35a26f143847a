#include "cli/Commands.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NewProject.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "cli/SettingEdit.h"
#include "cli/SetupCommand.h"
#include "cli/TerminalProgress.h"
#include "image/Raster.h"
#include "layout/DrawObjectList.h"
#include "properties/SettingChecks.h"
#include "properties/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderOutput.h"
#include "render/RenderPipeline.h"

void PrintError(const std::string& message)
{
    // One line per failure: message-box texts with paragraph breaks are joined.
    std::string line;
    bool pendingSpace = false;
    for (char c : message) {
        if (c == '\n' || c == '\r') {
            pendingSpace = !line.empty();
            continue;
        }
        if (pendingSpace && c != ' ') line += ' ';
        pendingSpace = false;
        line += c;
    }
    std::fprintf(stderr, "vantorel-cli: %s\n", line.c_str());
}

namespace {

// Options of one command: "-o X" / "--name X" pairs and the positional words.
struct SArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;

    const std::string* Get(const std::string& name) const
    {
        const std::string* found = nullptr;
        for (const auto& [n, v] : options)
            if (n == name) found = &v;
        return found;
    }
};

SArgs ParseArgs(const std::vector<std::string>& args, std::initializer_list<const char*> withValue)
{
    SArgs out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-') {
            bool known = false;
            for (const char* name : withValue) known = known || a == name;
            if (!known) {
                out.error = "unknown option " + a;
                return out;
            }
            if (i + 1 >= args.size()) {
                out.error = "option " + a + " needs a value";
                return out;
            }
            out.options.emplace_back(a, args[++i]);
        } else {
            out.positional.push_back(a);
        }
    }
    return out;
}

bool ParseInt(const std::string& text, const char* label, int minimum, int maximum, int& value,
              const char* unit = "")
{
    const IntFieldResult r = ValidateIntField(text, minimum, maximum, label, unit);
    if (!r.ok) {
        PrintError(r.message);
        return false;
    }
    value = r.value;
    return true;
}

std::unique_ptr<CVtwinDoc> MakeDocument()
{
    auto doc = std::make_unique<CVtwinDoc>(&CreateDrawObjectList);
    doc->SetMessageSink([](const std::string& m) { PrintError(m); });
    return doc;
}

bool OpenDocument(CVtwinDoc& doc, const std::string& path)
{
    if (!doc.OpenProject(path)) return false;  // the document reported why
    if (!doc.HasProduct()) {
        PrintError(path + ": the project holds no product");
        return false;
    }
    return true;
}

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

namespace {

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

// Whether the grid lists a setting for this kind of product at all (the
// kind-specific settings follow the product's capabilities).
bool IsShownFor(const CProduct& p, const SettingInfo& info)
{
    switch (info.id) {
    case kSetCDPosition: return p.HasCDROMInside() != 0;
    case kSetCDImage: return p.HasCDROM() != 0;
    case kSetBinderType:
    case kSetBinderColor: return p.HasBinding() != 0;
    case kSetFoldsShown:
    case kSetFoldsColor: return p.HasFolds() != 0;
    case kSetPageDepthFront:
    case kSetPageDepthBack:
    case kSetPageDepthPages: return false;  // shown together on the Page Depth % row
    case kSetPaperColor:
    case kSetPageEdges:
    case kSetPageEdgeColor:
    case kSetPageDepthRow: return p.HasPages() != 0;
    default: return true;
    }
}

}  // namespace

int RunRender(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, {"-o", "--quality"});
    if (!a.error.empty() || a.positional.size() != 1 || !a.Get("-o")) {
        PrintError(a.error.empty() ? "usage: render P.vtp -o OUT [--quality Q]" : a.error);
        return kExitUsage;
    }
    int quality = -1;
    if (const std::string* q = a.Get("--quality"); q && !ParseInt(*q, "JPEG Quality", 0, 100, quality))
        return kExitUsage;
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;

    auto doc = MakeDocument();
    if (!OpenDocument(*doc, a.positional[0])) return kExitFailed;
    if (!RenderDocument(*doc, context.quiet)) return kExitFailed;

    CRenderOutput output(&folders->UserSettings());
    const int filter = FilterForFileName(*a.Get("-o"));
    const std::string name = ApplyExtensionRule(*a.Get("-o"), filter);
    if (quality < 0) quality = output.GetJpegQuality();
    else if (filter == kFilterJPEG) output.SetJpegQuality(quality);

    CSide* z = doc->GetProduct()->FindSidePtr("z");
    CRaster* picture = z ? z->GetPicture() : nullptr;
    std::string message, reason;
    if (picture == nullptr || !CRenderOutput::SaveRendering(*picture, name, filter, quality, message, reason)) {
        if (message.empty()) message = "Error rendering to " + name;
        PrintError(reason.empty() ? message : message + " (" + reason + ")");
        return kExitFailed;
    }
    output.RememberFolderOf(name);
    if (!context.quiet)
        std::printf("Rendered %s (%d x %d)\n", name.c_str(), picture->GetWidth(), picture->GetHeight());
    return kExitOk;
}

int RunInfo(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, {});
    if (!a.error.empty() || a.positional.size() != 1) {
        PrintError(a.error.empty() ? "usage: info P.vtp" : a.error);
        return kExitUsage;
    }
    (void)context;
    auto doc = MakeDocument();
    if (!OpenDocument(*doc, a.positional[0])) return kExitFailed;
    const CProduct& p = *doc->GetProduct();
    const SettingStore& s = p.GetSettings();
    std::printf("Kind: %s (%s)\n", p.GetKindName(), p.GetKindCode());
    std::printf("Dimensions: %g x %g x %g mm\n", s.GetReal(ModelKey(kSetProductWidth)),
                s.GetReal(ModelKey(kSetProductHeight)), s.GetReal(ModelKey(kSetProductDepth)));
    std::printf("Rendering: %d x %d pixels, magnification %d\n", s.GetInt(ModelKey(kSetRenderWidth)),
                s.GetInt(ModelKey(kSetRenderHeight)), s.GetInt(ModelKey(kSetMagnification)));
    std::printf("Settings:\n");
    std::string section;
    for (const SettingInfo& info : GetSettingTable()) {
        if (info.label[0] == '\0' || !IsShownFor(p, info)) continue;
        if (section != info.section) {
            section = info.section;
            std::printf("  [%s]\n", section.c_str());
        }
        std::printf("    %-16s %s\n", info.label, FormatSettingValue(p, info).c_str());
    }
    std::printf("Sides:\n");
    static const char* const kAppearanceNames[] = {"picture", "colour", "gradient", "texture", "pattern"};
    for (std::size_t i = 0; i < p.GetSideCount(); ++i) {
        const CSide& side = p.GetSide(i);
        const CRaster* pic = side.GetPicture();
        const int type = side.GetSettings().GetInt(SideKey(kSideAppearance));
        const CFaceObjects* objects = doc->FindFaceObjects(p.GetSideKey(i));
        std::printf("  %-2s %-9s %5d x %-5d %zu object(s)\n", p.GetSideKey(i).c_str(),
                    type >= 0 && type <= 4 ? kAppearanceNames[type] : "?", pic ? pic->GetWidth() : 0,
                    pic ? pic->GetHeight() : 0, objects ? objects->GetObjectCount() : 0);
    }
    return kExitOk;
}

int RunSet(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, {});
    if (!a.error.empty() || a.positional.size() < 2) {
        PrintError(a.error.empty() ? "usage: set P.vtp NAME=VALUE..." : a.error);
        return kExitUsage;
    }
    auto doc = MakeDocument();
    if (!OpenDocument(*doc, a.positional[0])) return kExitFailed;
    // All edits or none: the file is written only when every one was accepted.
    unsigned mask = 0;
    for (std::size_t i = 1; i < a.positional.size(); ++i) {
        const SSettingEditResult r = ApplySettingEdit(*doc->GetProduct(), a.positional[i], context.assumeYes);
        if (!r.ok) {
            PrintError(r.message + " Nothing was changed.");
            return kExitFailed;
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
