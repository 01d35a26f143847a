// vantorel-cli turntable: a series of renderings with the product turned
// step by step about one axis, as numbered picture files and/or one
// animated WebP for web pages.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "cli/output/AnimatedWebp.h"
#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/output/RenderOverrides.h"
#include "cli/edit/SettingEdit.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"
#include "render/output/RenderOutput.h"

namespace {

// The angle of frame i of n from `from` to `to`, both ends included.
int FrameAngle(int from, int to, int i, int n)
{
    if (n < 2) return from;
    return static_cast<int>(std::lround(from + static_cast<double>(to - from) * i / (n - 1)));
}

}  // namespace

std::string FormatFrameName(const std::string& pattern, int number)
{
    std::string out;
    int conversions = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool zero = j < pattern.size() && pattern[j] == '0';
        if (zero) ++j;
        int width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 100) width = width * 10 + (pattern[j++] - '0');
        if (j >= pattern.size() || pattern[j] != 'd' || width > 9) return {};
        std::string digits = std::to_string(number);
        while (static_cast<int>(digits.size()) < width) digits.insert(0, 1, zero ? '0' : ' ');
        out += digits;
        ++conversions;
        i = j;
    }
    return conversions == 1 ? out : std::string();
}

namespace {

// What the command line asks for, checked.
struct STurntable {
    int frames = 0, delay = 80, webpQuality = 80, quality = -1;
    std::string setting;           // "X Rotation", "Y Rotation" or "Z Rotation"
    int from = 0, to = 0;          // degrees
    std::string pattern;           // -o, the frame file names; empty for none
    const std::string* webp = nullptr;
    bool bounce = false;           // the animation comes back through the middle frames
};

// The numbers, the axis and its range (the whole range the setting allows,
// unless narrowed). kExitOk, or the exit code after the message.
int ReadTurntableNumbers(const SArgs& a, STurntable& t)
{
    if (!ParseInt(*a.Get("--frames"), "Frames", 2, 360, t.frames)) return kExitUsage;
    if (const std::string* v = a.Get("--delay"); v && !ParseInt(*v, "Delay", 10, 10000, t.delay, "milliseconds"))
        return kExitUsage;
    if (const std::string* v = a.Get("--webp-quality"); v && !ParseInt(*v, "WebP Quality", 0, 100, t.webpQuality))
        return kExitUsage;
    if (const std::string* v = a.Get("--quality"); v && !ParseInt(*v, "JPEG Quality", 0, 100, t.quality))
        return kExitUsage;
    const std::string axis = a.Get("--axis") ? *a.Get("--axis") : "y";
    if (axis != "x" && axis != "y" && axis != "z") {
        PrintError("--axis must be x, y or z");
        return kExitUsage;
    }
    t.setting = std::string(1, static_cast<char>(axis[0] - 'a' + 'A')) + " Rotation";
    std::string error;
    const SettingInfo* info = FindSettingByName(t.setting, error);
    if (info == nullptr) {
        PrintError(error);
        return kExitFailed;
    }
    t.from = info->minimum;
    t.to = info->maximum;
    if (const std::string* v = a.Get("--from");
        v && !ParseInt(*v, t.setting.c_str(), info->minimum, info->maximum, t.from, "degrees"))
        return kExitUsage;
    if (const std::string* v = a.Get("--to");
        v && !ParseInt(*v, t.setting.c_str(), info->minimum, info->maximum, t.to, "degrees"))
        return kExitUsage;
    return kExitOk;
}

// The frame names and the animation: writable formats, and files that may be
// replaced. False after the message.
bool CheckTurntableOutputs(const SArgs& a, STurntable& t)
{
    t.pattern = a.Get("-o") ? *a.Get("-o") : std::string();
    if (!t.pattern.empty() && FormatFrameName(t.pattern, 0).empty()) {
        PrintError("-o wants a file name with one frame number in it, as in frame-%03d.png");
        return false;
    }
    if (!t.pattern.empty() && FilterForOutputName(FormatFrameName(t.pattern, 0)) == 0) {
        PrintError("can not write \"" + t.pattern + "\": the picture formats are " + kRenderFormatList);
        return false;
    }
    for (int i = 0; !t.pattern.empty() && i < t.frames; ++i) {
        const std::string name = FormatFrameName(t.pattern, i);
        if (!MayReplaceWithOutput(ApplyExtensionRule(name, FilterForFileName(name)), a.Has("--force"))) return false;
    }
    t.webp = a.Get("--webp");
    if (t.webp && !MayReplaceWithOutput(*t.webp, a.Has("--force"))) return false;
    t.bounce = !a.Has("--no-bounce") && t.webp != nullptr;
    return true;
}

// Renders frame i of the document turned to `angle`: the picture, or nullptr
// after the message.
CRaster* RenderFrame(CVtwinDoc& doc, const std::string& path, const STurntable& t, int i, int angle)
{
    const SSettingEditResult r = ApplySettingEdit(*doc.GetProduct(), t.setting + "=" + std::to_string(angle), true);
    if (!r.ok) {
        PrintError(path + ": " + r.message);
        return nullptr;
    }
    if (!RenderDocument(doc, true)) return nullptr;
    CSide* z = doc.GetProduct()->FindSidePtr("z");
    CRaster* picture = z ? z->GetPicture() : nullptr;
    if (picture == nullptr || !picture->IsValid()) {
        PrintError(path + ": frame " + std::to_string(i + 1) + " could not be rendered");
        return nullptr;
    }
    return picture;
}

// Writes frame i under its name from the pattern, making its folder.
bool SaveFrame(CRaster& picture, const STurntable& t, int i)
{
    const std::string name = FormatFrameName(t.pattern, i);
    if (const std::filesystem::path parent = std::filesystem::path(name).parent_path(); !parent.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);  // a failure shows when the frame is written
    }
    const int filter = FilterForFileName(name);
    std::string message, reason;
    if (!CRenderOutput::SaveRendering(picture, ApplyExtensionRule(name, filter), filter, t.quality, message, reason)) {
        PrintError(reason.empty() ? message : message + " (" + reason + ")");
        return false;
    }
    return true;
}

// Frames 0 .. n-1; an animation that bounces comes back through the middle
// frames so that its loop has no jump. They are kept from the way out while
// they fit in kKeptFramesBytes, so coming back costs no rendering; beyond
// that they are rendered again.
int RenderFrames(const SCliContext& context, CVtwinDoc& doc, const std::string& path, const STurntable& t)
{
    constexpr std::size_t kKeptFramesBytes = std::size_t{1} << 30;
    std::unique_ptr<CAnimatedWebp> animation;
    const int steps = t.bounce ? 2 * t.frames - 2 : t.frames;
    std::vector<CRaster> kept;
    std::size_t keptBytes = 0;
    for (int step = 0; step < steps; ++step) {
        const int i = step < t.frames ? step : 2 * t.frames - 2 - step;
        const int angle = FrameAngle(t.from, t.to, i, t.frames);
        CRaster* picture = nullptr;
        if (step >= t.frames && static_cast<std::size_t>(i) < kept.size()) {
            picture = &kept[static_cast<std::size_t>(i)];
        } else {
            picture = RenderFrame(doc, path, t, i, angle);
            if (picture == nullptr) return kExitFailed;
            // Kept in order from frame 0, so frame i is kept[i] while all fit.
            if (t.bounce && step < t.frames && kept.size() == static_cast<std::size_t>(i) &&
                keptBytes + picture->GetDIBSize() <= kKeptFramesBytes) {
                kept.push_back(*picture);
                keptBytes += picture->GetDIBSize();
            }
        }
        if (!t.pattern.empty() && step < t.frames && !SaveFrame(*picture, t, i)) return kExitFailed;
        if (t.webp) {
            if (!animation)
                animation = std::make_unique<CAnimatedWebp>(picture->GetWidth(), picture->GetHeight(), t.webpQuality);
            if (!animation->AddFrame(*picture, t.delay)) {
                PrintError(*t.webp + ": " + animation->GetError());
                return kExitFailed;
            }
        }
        if (!context.quiet)
            std::fprintf(stderr, "frame %d/%d: %s %d degrees\n", step + 1, steps, t.setting.c_str(), angle);
    }
    if (animation && !animation->Write(*t.webp)) {
        PrintError(*t.webp + ": " + animation->GetError());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int RunTurntable(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "turntable");
    if (!a.error.empty() || a.positional.size() != 1 || !a.Get("--frames") || (!a.Get("-o") && !a.Get("--webp"))) {
        PrintError(a.error.empty() ? CommandUsageLine("turntable") : a.error);
        return kExitUsage;
    }
    STurntable t;
    if (const int rc = ReadTurntableNumbers(a, t); rc != kExitOk) return rc;
    if (!CheckTurntableOutputs(a, t)) return kExitUsage;
    SRenderOverrides overrides;
    if (!ReadRenderOverrides(a, overrides)) return kExitUsage;

    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;
    auto doc = MakeDocument();
    const std::string& path = a.positional[0];
    const CErrorSubject subject(path);
    if (!OpenDocument(*doc, path)) return kExitFailed;
    std::string error;
    if (const int rc = ApplyRenderOverrides(*folders, *doc, overrides, context.assumeYes, error); rc != kExitOk) {
        PrintError(path + ": " + error);
        return rc;
    }
    if (t.quality < 0) t.quality = CRenderOutput(&folders->UserSettings()).GetJpegQuality();
    if (const int rc = RenderFrames(context, *doc, path, t); rc != kExitOk) return rc;
    if (!context.quiet) std::printf("Rendered %d frames\n", t.frames);
    return kExitOk;
}
