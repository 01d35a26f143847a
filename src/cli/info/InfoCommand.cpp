// vantorel-cli info: what a project holds.
#include <cstdio>
#include <string>

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/ProductSettings.h"
#include "catalogue/product/Side.h"
#include "cli/edit/CliFaces.h"
#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/edit/SettingEdit.h"
#include "image/Raster.h"
#include "properties/Appearance.h"
#include "properties/PrintSize.h"
#include "properties/settings/SettingTable.h"
#include "render/RenderPipeline.h"

namespace {

const char* AppearanceName(int type)
{
    const AppearanceKind* kind = FindAppearanceKind(type);
    return kind ? kind->name : "?";
}

// Whether the grid lists a setting for this kind of product at all: the
// settings of the product's own parts, and the page depths once, on their row.
bool IsShownFor(const CProduct& p, const SettingInfo& info)
{
    switch (info.id) {
    case kSetPageDepthFront:
    case kSetPageDepthBack:
    case kSetPageDepthPages: return false;
    default: return IsSettingOfProduct(p, info.id);
    }
}

// The same facts as the text form, as one JSON object for scripts.
int PrintInfoJson(const CVtwinDoc& doc)
{
    const CProduct& p = *doc.GetProduct();
    const SettingStore& s = p.GetSettings();
    std::printf("{\n  \"kind\": %s,\n  \"kindCode\": %s,\n", JsonString(p.GetKindName()).c_str(),
                JsonString(p.GetKindCode()).c_str());
    std::printf("  \"dimensionsMm\": [%g, %g, %g],\n", s.GetReal(ModelKey(kSetProductWidth)),
                s.GetReal(ModelKey(kSetProductHeight)), s.GetReal(ModelKey(kSetProductDepth)));
    std::printf("  \"renderSize\": [%d, %d],\n  \"magnification\": %d,\n  \"settings\": {",
                s.GetInt(ModelKey(kSetRenderWidth)), s.GetInt(ModelKey(kSetRenderHeight)),
                s.GetInt(ModelKey(kSetMagnification)));
    bool first = true;
    for (const SettingInfo& info : GetSettingTable()) {
        if (info.label[0] == '\0' || !IsShownFor(p, info)) continue;
        std::printf("%s\n    %s: %s", first ? "" : ",", JsonString(std::string(info.section) + "/" + info.label).c_str(),
                    JsonString(FormatSettingValue(p, info)).c_str());
        first = false;
    }
    std::printf("\n  },\n  \"faces\": [");
    first = true;
    for (const std::string& key : GetEditableFaceKeys(p)) {
        const CSide& side = *p.FindSidePtr(key);
        int w = 0, h = 0;
        GetFacePictureSize(p, key, w, h);
        const int type = side.GetSettings().GetInt(SideKey(kSideAppearance));
        const CFaceObjects* objects = doc.FindFaceObjects(key);
        std::printf("%s\n    {\"name\": %s, \"key\": %s, \"appearance\": %s, \"width\": %d, \"height\": %d, \"objects\": %zu}",
                    first ? "" : ",", JsonString(GetFaceTabName(key)).c_str(), JsonString(key).c_str(),
                    JsonString(AppearanceName(type)).c_str(), w, h,
                    objects ? objects->GetObjectCount() : 0);
        first = false;
    }
    std::printf("\n  ]\n}\n");
    return kExitOk;
}

}  // namespace

int RunInfo(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "info");
    if (!a.error.empty() || a.positional.size() != 1) {
        PrintError(a.error.empty() ? CommandUsageLine("info") : a.error);
        return kExitUsage;
    }
    const CErrorSubject subject(a.positional[0]);
    (void)context;
    auto doc = MakeDocument();
    if (!OpenDocument(*doc, a.positional[0])) return kExitFailed;
    if (a.Has("--json")) return PrintInfoJson(*doc);
    const CProduct& p = *doc->GetProduct();
    const SettingStore& s = p.GetSettings();
    std::printf("Kind: %s (%s)\n", p.GetKindName(), p.GetKindCode());
    std::printf("Dimensions: %g x %g x %g mm\n", s.GetReal(ModelKey(kSetProductWidth)),
                s.GetReal(ModelKey(kSetProductHeight)), s.GetReal(ModelKey(kSetProductDepth)));
    const int width = s.GetInt(ModelKey(kSetRenderWidth)), height = s.GetInt(ModelKey(kSetRenderHeight));
    std::printf("Rendering: %d x %d pixels, magnification %d", width, height, s.GetInt(ModelKey(kSetMagnification)));
    // Where the picture would be too large, the renderer lowers the magnification: say so.
    if (const SRenderSize used = GetRenderSize(s); used.k != s.GetInt(ModelKey(kSetMagnification)))
        std::printf(" (renders at %d)", used.k);
    std::printf("\nPrint size: %s\n", FormatPrintSize(width, height, GetRenderResolution(s)).c_str());
    std::printf("Settings:\n");
    std::string section;
    for (const SettingInfo& info : GetSettingTable()) {
        if (info.label[0] == '\0' || !IsShownFor(p, info)) continue;
        if (section != info.section) {
            section = info.section;
            std::printf("  [%s]\n", section.c_str());
        }
        std::printf("    %-16s %s\n", info.label, Printable(FormatSettingValue(p, info)).c_str());
    }
    std::printf("Faces:\n");
    for (const std::string& key : GetEditableFaceKeys(p)) {
        int w = 0, h = 0;
        GetFacePictureSize(p, key, w, h);
        const int type = p.FindSidePtr(key)->GetSettings().GetInt(SideKey(kSideAppearance));
        const CFaceObjects* objects = doc->FindFaceObjects(key);
        std::printf("  %-14s %-9s %5d x %-5d %zu object(s)\n", GetFaceTabName(key).c_str(),
                    AppearanceName(type), w, h, objects ? objects->GetObjectCount() : 0);
    }
    return kExitOk;
}
