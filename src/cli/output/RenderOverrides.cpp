#include "cli/output/RenderOverrides.h"

#include <algorithm>

#include "app/VtwinDoc.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "cli/edit/CliFaces.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/edit/SettingEdit.h"
#include "layout/face/FaceAppearance.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/Appearance.h"

namespace {

bool SplitAssignment(const std::string& text, std::string& name, std::string& value)
{
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    name = text.substr(0, eq);
    value = text.substr(eq + 1);
    return true;
}

}  // namespace

bool ReadRenderOverrides(const SArgs& args, SRenderOverrides& overrides)
{
    for (const std::string& s : args.GetAll("--set")) {
        std::string name, value;
        if (!SplitAssignment(s, name, value)) {
            PrintError("--set wants NAME=VALUE, as in \"Y Rotation=30\"");
            return false;
        }
        overrides.settings.push_back(s);
    }
    const struct {
        const char* option;
        std::vector<std::pair<std::string, std::string>>* list;
        const char* form;
    } kinds[] = {{"--var", &overrides.variables, "NAME=TEXT"},
                 {"--picture", &overrides.pictures, "FACE=FILE"},
                 {"--barcode", &overrides.barcodes, "FACE=DATA"}};
    for (const auto& [option, list, form] : kinds) {
        for (const std::string& s : args.GetAll(option)) {
            std::string name, value;
            if (!SplitAssignment(s, name, value)) {
                PrintError(std::string(option) + " wants " + form);
                return false;
            }
            list->emplace_back(name, value);
        }
    }
    return true;
}

int ApplyRenderOverrides(const CAppFolders& folders, CVtwinDoc& doc, const SRenderOverrides& overrides, bool assumeYes,
                          std::string& error)
{
    CProduct& product = *doc.GetProduct();
    for (const std::string& s : overrides.settings) {
        const SSettingEditResult r = ApplySettingEdit(product, s, assumeYes);
        if (!r.ok) {
            error = r.message;
            return kExitUsage;
        }
    }
    for (const auto& [face, file] : overrides.pictures) {
        const std::string key = FindFaceKey(product, face, error);
        if (key.empty()) return kExitUsage;
        SideAppearanceAnswer answer;
        answer.type = kAppearancePicture;
        answer.pictureFile = AbsolutePath(file);
        answer.fit = kFitStretch;
        if (!SetFaceAppearance(folders, doc, key, answer, error)) {
            error = GetFaceTabName(key) + ": " + error;
            return kExitFailed;
        }
    }
    std::vector<std::string> barcodeKeys;
    for (const auto& [face, data] : overrides.barcodes) {
        barcodeKeys.push_back(FindFaceKey(product, face, error));
        if (barcodeKeys.back().empty()) return kExitUsage;
        if (data.empty()) {
            error = "Please enter a Barcode.";
            return kExitUsage;
        }
    }
    for (const std::string& key : GetEditableFaceKeys(product)) {
        auto* list = static_cast<CDrawObjectList*>(doc.FindFaceObjects(key));
        if (list == nullptr) continue;
        FillTextVariables(*list, overrides.variables);
        const auto data = std::find(barcodeKeys.begin(), barcodeKeys.end(), key);
        bool barcodeFound = false;
        for (std::size_t i = 0; i < list->GetObjectCount(); ++i) {
            if (auto* code = dynamic_cast<CDrawBarcode*>(list->GetObject(i)); code && data != barcodeKeys.end()) {
                barcodeFound = true;
                const std::string& wanted = overrides.barcodes[static_cast<std::size_t>(data - barcodeKeys.begin())].second;
                std::string message;
                if (!code->SetBarcode(code->GetBarcodeKind(), wanted, &message)) {
                    error = (message.empty() ? std::string("Barcode includes invalid characters.") : message) + " (\"" +
                            wanted + "\")";
                    return kExitUsage;
                }
                code->FitToBarcode();
            }
        }
        if (data != barcodeKeys.end() && !barcodeFound) {
            error = "the " + GetFaceTabName(key) + " face has no barcode to fill";
            return kExitUsage;
        }
    }
    for (const std::string& key : barcodeKeys)
        if (doc.FindFaceObjects(key) == nullptr) {
            error = "the " + GetFaceTabName(key) + " face has no barcode to fill";
            return kExitUsage;
        }
    return kExitOk;
}
