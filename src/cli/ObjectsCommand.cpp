// vantorel-cli objects and remove: a face's draw objects, numbered from 1 in
// drawing order (back to front), each with its box's top-left corner and size.
#include <cstdio>
#include <string>

#include "app/VtwinDoc.h"
#include "catalogue/Product.h"
#include "cli/CliFaces.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "layout/DrawObjectList.h"

namespace {

// The face's objects, or null (with the message printed) when the face is unknown.
CDrawObjectList* FindObjects(CVtwinDoc& doc, const std::string& path, const std::string& face, std::string& key)
{
    std::string error;
    key = FindFaceKey(*doc.GetProduct(), face, error);
    if (key.empty()) {
        PrintError(path + ": " + error);
        return nullptr;
    }
    return &static_cast<CDrawObjectList&>(doc.GetFaceObjects(key));
}

}  // namespace

int RunObjects(const SCliContext& context, const std::vector<std::string>& args)
{
    (void)context;
    const SArgs a = ParseArgs(args, {}, {"--json"});
    if (!a.error.empty() || a.positional.size() != 2) {
        PrintError(a.error.empty() ? "usage: objects P.vtp FACE [--json]" : a.error);
        return kExitUsage;
    }
    auto doc = MakeDocument();
    if (!OpenDocument(*doc, a.positional[0])) return kExitFailed;
    std::string key;
    const CDrawObjectList* list = FindObjects(*doc, a.positional[0], a.positional[1], key);
    if (list == nullptr) return kExitFailed;
    const bool json = a.Has("--json");
    if (json) std::printf("[");
    for (std::size_t i = 0; i < list->GetObjectCount(); ++i) {
        const CDrawObject& o = *list->GetObject(i);
        // The box as add takes it: top-left corner and size, face pixels, y up.
        const int left = o.GetMinX(), top = o.GetMaxY(), width = o.GetWidth(), height = o.GetHeight();
        if (json) {
            std::printf("%s\n  {\"number\": %zu, \"kind\": %s, \"x\": %d, \"y\": %d, \"width\": %d, \"height\": %d,"
                        " \"text\": %s}",
                        i ? "," : "", i + 1, JsonString(o.GetKindName()).c_str(), left, top, width, height,
                        JsonString(o.GetText()).c_str());
        } else {
            std::printf("%3zu  %-9s at %d,%d size %dx%d", i + 1, o.GetKindName(), left, top, width, height);
            if (!o.GetText().empty()) std::printf("  \"%s\"", o.GetText().c_str());
            std::printf("\n");
        }
    }
    if (json) std::printf("%s]\n", list->GetObjectCount() ? "\n" : "");
    return kExitOk;
}

int RunRemove(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, {});
    if (!a.error.empty() || a.positional.size() != 3) {
        PrintError(a.error.empty() ? "usage: remove P.vtp FACE N   (N as objects numbers them)" : a.error);
        return kExitUsage;
    }
    const std::string& path = a.positional[0];
    auto doc = MakeDocument();
    if (!OpenDocument(*doc, path)) return kExitFailed;
    std::string key;
    CDrawObjectList* list = FindObjects(*doc, path, a.positional[1], key);
    if (list == nullptr) return kExitFailed;
    if (list->GetObjectCount() == 0) {
        PrintError(path + ": the " + GetFaceTabName(key) + " face has no objects");
        return kExitFailed;
    }
    int number = 0;
    if (!ParseInt(a.positional[2], "Object number", 1, static_cast<int>(list->GetObjectCount()), number))
        return kExitFailed;
    list->Remove(static_cast<std::size_t>(number - 1));
    list->UpdateOrderKeys();
    list->MarkSelectionStale();
    doc->SetModifiedFlag(true);
    if (!doc->SaveProject(path)) return kExitFailed;
    if (!context.quiet) std::printf("%s: %s object %d removed\n", path.c_str(), GetFaceTabName(key).c_str(), number);
    return kExitOk;
}
