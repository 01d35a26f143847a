// vantorel-cli face: a face's appearance (colour, gradient, texture, pattern
// or picture), made as the new-project wizard's Side page makes it.
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "catalogue/WizardLists.h"
#include "cli/edit/CliFaces.h"
#include "cli/CliSupport.h"
#include "cli/edit/EditLock.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/edit/SettingEdit.h"
#include "layout/face/FaceAppearance.h"
#include "properties/Appearance.h"

namespace {

// --scale: the texture divisor as "1/4", "X 1/4" or "4".
std::optional<int> ParseScale(std::string text)
{
    if (text.rfind("X ", 0) == 0 || text.rfind("x ", 0) == 0) text = text.substr(2);
    if (text.rfind("1/", 0) == 0) text = text.substr(2);
    for (int d : {1, 2, 4, 8, 16})
        if (text == std::to_string(d)) return d;
    return std::nullopt;
}

std::optional<int> ParseFit(const std::string& text)
{
    std::string t;
    for (char c : text) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t == "stretch") return kFitStretch;
    if (t == "left" || t == "top") return kFitStart;
    if (t == "centre" || t == "center" || t == "middle") return kFitMiddle;
    if (t == "right" || t == "bottom") return kFitEnd;
    return std::nullopt;
}

// The answer the options describe; false with the message printed.
bool ReadAnswer(const SArgs& a, const CAppFolders& folders, SideAppearanceAnswer& answer)
{
    const char* const kinds[] = {"--gradient", "--texture", "--pattern", "--picture", "--library"};
    int given = 0;
    for (const char* k : kinds) given += a.Get(k) ? 1 : 0;
    if (given > 1) {
        PrintError("choose one of --gradient, --texture, --pattern, --picture and --library");
        return false;
    }
    if (given == 0 && !a.Get("--color")) {
        PrintError(CommandUsageLine("face"));
        return false;
    }
    if (!ReadColour(a, "--color", answer.color1) || !ReadColour(a, "--color2", answer.color2)) return false;
    answer.type = kAppearanceColor;
    if (const std::string* v = a.Get("--gradient")) {
        answer.type = kAppearanceGradient;
        if (!ParseInt(*v, "Gradient", 0, 31, answer.gradientStyle)) return false;
    } else if (const std::string* t = a.Get("--texture")) {
        answer.type = kAppearanceTexture;
        std::string error;
        answer.textureFile = FindTextureFile(folders, *t, error);
        if (answer.textureFile.empty()) {
            PrintError(error);
            return false;
        }
        if (const std::string* s = a.Get("--scale")) {
            const std::optional<int> scale = ParseScale(*s);
            if (!scale) {
                PrintError("--scale must be 1, 1/2, 1/4, 1/8 or 1/16");
                return false;
            }
            answer.textureScale = *scale;
        }
    } else if (const std::string* p = a.Get("--pattern")) {
        answer.type = kAppearancePattern;
        int number = 0;
        if (!ParseInt(*p, "Pattern", 131, 193, number)) return false;
        if (GetPatternBitmap(number) == nullptr) {
            PrintError("there is no pattern " + *p + " (patterns: 131 and 144 to 193)");
            return false;
        }
        answer.pattern = number;
        if (const std::string* c = a.Get("--cell"); c && !ParseInt(*c, "Cell", 1, 16, answer.patternCell))
            return false;
    } else if (a.Get("--picture") || a.Get("--library")) {
        answer.type = kAppearancePicture;
        if (const std::string* l = a.Get("--library")) {
            std::string error;
            answer.pictureFile = FindLibraryPicture(folders, *l, error);
            if (answer.pictureFile.empty()) {
                PrintError(error);
                    return false;
            }
        } else {
            answer.pictureFile = AbsolutePath(*a.Get("--picture"));
        }
        if (const std::string* page = a.Get("--page"); page && !ParseInt(*page, "Page", 1, 9999, answer.picturePage))
            return false;
        if (const std::string* f = a.Get("--fit")) {
            const std::optional<int> fit = ParseFit(*f);
            if (!fit) {
                PrintError("--fit must be stretch, left, centre or right");
                return false;
            }
            answer.fit = *fit;
        }
    }
    if ((a.Get("--scale") && answer.type != kAppearanceTexture) || (a.Get("--cell") && answer.type != kAppearancePattern) ||
        ((a.Get("--fit") || a.Get("--page")) && answer.type != kAppearancePicture)) {
        PrintError("--scale goes with --texture, --cell with --pattern, --fit and --page with --picture or --library");
        return false;
    }
    return true;
}

}  // namespace

int RunFace(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "face");
    if (!a.error.empty() || a.positional.size() != 2) {
        PrintError(a.error.empty() ? CommandUsageLine("face") : a.error);
        return kExitUsage;
    }
    const std::string& path = a.positional[0];
    const CErrorSubject subject(path);
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;
    SideAppearanceAnswer answer;
    if (!ReadAnswer(a, *folders, answer)) return kExitUsage;

    SFaceEdit edit;
    if (const int code = OpenFaceForEdit(a, edit); code != kExitOk) return code;
    CVtwinDoc* doc = edit.doc.get();
    const std::string& key = edit.key;
    const bool backAdded = edit.backAdded;
    std::string error;
    if (!SetFaceAppearance(*folders, *doc, key, answer, error)) {
        PrintError(path + ": " + GetFaceTabName(key) + ": " + error);
        return kExitFailed;  // the file is not written: the face stays as it was
    }
    doc->SetModifiedFlag(true);
    if (!doc->SaveProject(path)) return kExitFailed;
    if (!context.quiet)
        std::printf("%s: %s appearance changed%s\n", path.c_str(), GetFaceTabName(key).c_str(),
                    backAdded ? " (back face added)" : "");
    return kExitOk;
}
