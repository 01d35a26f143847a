#include "layout/export/DielineLayer.h"

#include "catalogue/setup/InstalledData.h"
#include "layout/modules/DielinePdfModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

void AppendLines(std::string& out, const std::vector<SDielineLine>& lines)
{
    char buffer[128];
    for (const SDielineLine& l : lines) {
        std::snprintf(buffer, sizeof buffer, "%.3f %.3f m %.3f %.3f l\n", l.x1, l.y1, l.x2, l.y2);
        out += buffer;
    }
    if (!lines.empty())
        out += "S\n";
}

// The module's entry point, opened once: beside the executable in
// ../lib/vantorel/modules, the install folder compiled in
// (VT_INSTALL_MODULE_DIR), the build folder's modules/ compiled in
// (VT_BUILD_MODULE_DIR). Null with `why` set when none opens.
DielinePdfEntry LoadDielinePdfEntry(std::string& why)
{
    static std::string failure;
    static const DielinePdfEntry entry = [] {
        std::vector<std::filesystem::path> folders;
        const std::string self = GetExecutablePath();
        if (!self.empty())
            folders.push_back(std::filesystem::path(self).parent_path().parent_path() / "lib" / "vantorel" / "modules");
#ifdef VT_INSTALL_MODULE_DIR
        folders.emplace_back(VT_INSTALL_MODULE_DIR);
#endif
#ifdef VT_BUILD_MODULE_DIR
        folders.emplace_back(VT_BUILD_MODULE_DIR);
#endif
        failure = std::string(kDielinePdfModule) + " was not found";
        for (const std::filesystem::path& folder : folders) {
            const std::filesystem::path path = folder / kDielinePdfModule;
            std::error_code ec;
            if (!std::filesystem::is_regular_file(path, ec))
                continue;
            void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (module == nullptr) {
                const char* message = dlerror();
                failure = message ? message : path.string() + " could not be opened";
                continue;
            }
            if (void* found = dlsym(module, kDielinePdfEntry))
                return reinterpret_cast<DielinePdfEntry>(found);
            failure = path.string() + " has no " + kDielinePdfEntry;
        }
        return DielinePdfEntry{nullptr};
    }();
    if (entry == nullptr)
        why = failure;
    return entry;
}

}  // namespace

std::string CDielineLayer::MakeContent(const SDielineStrokes& strokes)
{
    // Hairlines of a quarter point; folds dashed, as dielines show them.
    std::string out = "/OC /DielineLayer BDC\nq\n/DielineOverprint gs\n/DielineInk CS 1 SCN\n0.25 w 0 J 0 j\n";
    out += "[] 0 d\n";
    AppendLines(out, strokes.cut);
    out += "[3 2] 0 d\n";
    AppendLines(out, strokes.fold);
    out += "[] 0 d\n";
    AppendLines(out, strokes.marks);
    out += "Q\nEMC\n";
    return out;
}

bool CDielineLayer::AddTo(std::string& pdf, const SDielineStrokes& strokes, std::string& error)
{
    std::string why;
    const DielinePdfEntry addLayer = LoadDielinePdfEntry(why);
    if (addLayer == nullptr) {
        error = "the dieline's layer cannot be added (" + why + ")";
        return false;
    }
    return addLayer(pdf, MakeContent(strokes), error);
}
