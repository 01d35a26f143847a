// vantorel-cli objects, remove and set-object: a face's draw objects, numbered
// from 1 in drawing order (back to front), each with its box's top-left
// corner and size.
#include <cstdio>
#include <string>

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "cli/edit/CliFaces.h"
#include "cli/CliSupport.h"
#include "cli/edit/EditLock.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/edit/ObjectLook.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/objects/ObjectCommands.h"

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

// What remove and set-object edit: the project open under its edit lock, the
// face's objects and the object's index (from its number, 1 = back).
struct SObjectEdit {
    CEditLock lock;
    std::unique_ptr<CVtwinDoc> doc = MakeDocument();
    std::string key;
    CDrawObjectList* list = nullptr;
    std::size_t index = 0;
};

// Opens PROJECT FACE NUMBER of a remove or set-object for editing; the exit
// code, with the message printed, when it can not be done.
int OpenFaceObjectForEdit(const SArgs& a, SObjectEdit& edit)
{
    const std::string& path = a.positional[0];
    if (!OpenDocumentForEdit(*edit.doc, path, a, edit.lock)) return kExitFailed;
    edit.list = FindObjects(*edit.doc, path, a.positional[1], edit.key);
    if (edit.list == nullptr) return kExitUsage;
    if (edit.list->GetObjectCount() == 0) {
        PrintError(path + ": the " + GetFaceTabName(edit.key) + " face has no objects");
        return kExitFailed;
    }
    int number = 0;
    if (!ParseInt(a.positional[2], "Object number", 1, static_cast<int>(edit.list->GetObjectCount()), number))
        return kExitUsage;
    edit.index = static_cast<std::size_t>(number - 1);
    return kExitOk;
}

}  // namespace

int RunObjects(const SCliContext& context, const std::vector<std::string>& args)
{
    (void)context;
    const SArgs a = ParseArgs(args, "objects");
    if (!a.error.empty() || a.positional.size() != 2) {
        PrintError(a.error.empty() ? CommandUsageLine("objects") : a.error);
        return kExitUsage;
    }
    auto doc = MakeDocument();
    if (!OpenDocument(*doc, a.positional[0])) return kExitFailed;
    std::string key;
    const CDrawObjectList* list = FindObjects(*doc, a.positional[0], a.positional[1], key);
    if (list == nullptr) return kExitUsage;
    const bool json = a.Has("--json");
    if (json) std::printf("[");
    for (std::size_t i = 0; i < list->GetObjectCount(); ++i) {
        const CDrawObject& o = *list->GetObject(i);
        // The box as add takes it: top-left corner and size, face pixels, y up.
        const int left = o.GetMinX(), top = o.GetMaxY(), width = o.GetWidth(), height = o.GetHeight();
        // A barcode is drawn in whole modules: what it takes of its box.
        std::string drawn, drawnJson;
        if (const auto* code = dynamic_cast<const CDrawBarcode*>(&o)) {
            int w = 0, h = 0;
            code->GetNaturalSize(w, h);
            const int m = code->GetModule();
            // Code 39 bars run across the whole box; the other kinds keep whole modules.
            const int across = code->GetBarcodeKind() == EBarcodeKind::Code39 ? height : h * m;
            drawn = "  drawn " + std::to_string(w * m) + "x" + std::to_string(across) + " module " + std::to_string(m);
            drawnJson = ", \"module\": " + std::to_string(m) + ", \"drawnWidth\": " + std::to_string(w * m);
        }
        if (json) {
            std::printf("%s\n  {\"number\": %zu, \"kind\": %s, \"x\": %d, \"y\": %d, \"width\": %d, \"height\": %d,"
                        " \"text\": %s%s}",
                        i ? "," : "", i + 1, JsonString(o.GetKindName()).c_str(), left, top, width, height,
                        JsonString(o.GetText()).c_str(), drawnJson.c_str());
        } else {
            std::printf("%3zu  %-9s at %d,%d size %dx%d%s", i + 1, o.GetKindName(), left, top, width, height, drawn.c_str());
            if (!o.GetText().empty()) std::printf("  \"%s\"", Printable(o.GetText()).c_str());
            std::printf("\n");
        }
    }
    if (json) std::printf("%s]\n", list->GetObjectCount() ? "\n" : "");
    return kExitOk;
}

int RunRemove(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "remove");
    if (!a.error.empty() || a.positional.size() != 3) {
        PrintError(a.error.empty() ? CommandUsageLine("remove") : a.error);
        return kExitUsage;
    }
    const std::string& path = a.positional[0];
    const CErrorSubject subject(path);
    SObjectEdit edit;
    if (const int code = OpenFaceObjectForEdit(a, edit); code != kExitOk) return code;
    ObjectCommands::Remove(*edit.list, edit.index);
    edit.doc->SetModifiedFlag(true);
    if (!edit.doc->SaveProject(path)) return kExitFailed;
    if (!context.quiet)
        std::printf("%s: %s object %zu removed\n", path.c_str(), GetFaceTabName(edit.key).c_str(), edit.index + 1);
    return kExitOk;
}

// The box and angle through the same commands as the desktop program's
// position fields, then the look.
int RunSetObject(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "set-object");
    if (!a.error.empty() || a.positional.size() != 3) {
        PrintError(a.error.empty() ? CommandUsageLine("set-object") : a.error);
        return kExitUsage;
    }
    const std::string& path = a.positional[0];
    const CErrorSubject subject(path);
    SObjectEdit edit;
    if (const int code = OpenFaceObjectForEdit(a, edit); code != kExitOk) return code;
    CDrawObjectList* list = edit.list;
    CVtwinDoc* doc = edit.doc.get();
    const std::string& key = edit.key;
    const std::size_t index = edit.index;
    CDrawObject& o = *list->GetObject(index);
    double perMm = 0;
    if (const std::string* unit = a.Get("--unit"); unit && *unit != "px") {
        perMm = *unit == "mm" ? GetFacePixelsPerMillimetre(*doc->GetProduct(), key) : -1;
        if (perMm <= 0) {
            PrintError(*unit == "mm" ? "the " + GetFaceTabName(key) + " face has no size in millimetres: give face pixels"
                                     : std::string("--unit must be px or mm"));
            return kExitUsage;
        }
    }
    ObjectCommands::SBoxEdit box{o.GetMinX(), o.GetMaxY(), o.GetWidth(), o.GetHeight()};
    if (!ReadLength(a, "--x", perMm, -kDrawMaxSize, kDrawMaxSize, box.left) ||
        !ReadLength(a, "--y", perMm, -kDrawMaxSize, kDrawMaxSize, box.top) ||
        !ReadLength(a, "--width", perMm, 0, kDrawMaxSize, box.width) ||
        !ReadLength(a, "--height", perMm, 0, kDrawMaxSize, box.height))
        return kExitUsage;
    std::string refusal;
    if (a.Get("--x") || a.Get("--y") || a.Get("--width") || a.Get("--height"))
        refusal = ObjectCommands::SetBox(*list, index, box);
    if (refusal == "The object is already there.") refusal.clear();
    if (const std::string* angle = a.Get("--angle"); angle && refusal.empty()) {
        int degrees = 0;
        if (!ParseInt(*angle, "Angle", 0, 270, degrees)) return kExitUsage;
        int faceWidth = 0, faceHeight = 0;
        GetFacePictureSize(*doc->GetProduct(), key, faceWidth, faceHeight);
        refusal = ObjectCommands::SetAngle(*list, index, degrees, faceWidth, faceHeight);
        if (refusal == "The object already has this angle.") refusal.clear();
    }
    if (!refusal.empty()) {
        PrintError(refusal);
        return kExitUsage;
    }
    if (!ApplyObjectLook(a, GetFacePixelsPerMillimetre(*doc->GetProduct(), key), o)) return kExitUsage;
    doc->SetModifiedFlag(true);
    if (!doc->SaveProject(path)) return kExitFailed;
    if (!context.quiet) std::printf("%s: %s object %zu changed\n", path.c_str(), GetFaceTabName(key).c_str(), index + 1);
    return kExitOk;
}
