// The sample project: a software box with artwork on several faces (a
// gradient front with titles, textured top and bottom, patterned sides) on a soft
// gradient background, rendered with shadows and a lens flare.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/AppFolders.h"
#include "app/SideAppearance.h"
#include "app/VtwinDoc.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NewProject.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "cli/Commands.h"
#include "cli/SettingEdit.h"
#include "image/Raster.h"
#include "layout/DrawObjectList.h"
#include "layout/DrawRect.h"
#include "layout/DrawText.h"
#include "properties/SettingTable.h"

namespace {

// Face picture size in pixels for a face key of a product (base size before
// the side's magnification), by the new-project rule; the background takes
// the rendering size.
void GetFaceBaseSize(const CProduct& product, char key, int& width, int& height)
{
    const SettingStore& s = product.GetSettings();
    const int rw = std::max(1, s.GetInt(ModelKey(kSetRenderWidth)));
    const int rh = std::max(1, s.GetInt(ModelKey(kSetRenderHeight)));
    if (key == 'G') {
        width = rw;
        height = rh;
        return;
    }
    const int w = static_cast<int>(std::lround(s.GetReal(ModelKey(kSetProductWidth))));
    const int h = static_cast<int>(std::lround(s.GetReal(ModelKey(kSetProductHeight))));
    const int d = static_cast<int>(std::lround(s.GetReal(ModelKey(kSetProductDepth))));
    GetFacePixelSize(key, w, h, d, GetFacePixelsPerMm(w, h, d, rw, rh), width, height);
}

// Resets a side to an appearance of the face's base size and builds its picture.
bool ResetFaceAppearance(CProduct& product, char key, int appearance, unsigned colour1, unsigned colour2)
{
    int w = 0, h = 0;
    GetFaceBaseSize(product, key, w, h);
    CSide& side = product.GetOrCreateSide(std::string(1, key));
    side.Reset(appearance, w, h, colour1, 1);
    side.GetSettings().SetInt(SideKey(kSideColor2), static_cast<std::int32_t>(colour2));
    return BuildAppearance(side);
}

// A brushed-metal texture: horizontal streaks from a small integer hash,
// so the picture is the same on every run.
std::unique_ptr<CRaster> MakeBrushedTexture()
{
    constexpr int n = 64;
    auto t = std::make_unique<CRaster>();
    if (t->Create(n, n, 24) == nullptr) return nullptr;
    for (int y = 0; y < n; ++y) {
        unsigned h = 2166136261u ^ static_cast<unsigned>(y);
        h *= 16777619u;
        const int row = static_cast<int>((h >> 24) % 24);
        for (int x = 0; x < n; ++x) {
            unsigned g = h ^ (static_cast<unsigned>(x) * 73856093u);
            g *= 16777619u;
            const int v = 150 + row + static_cast<int>((g >> 27) % 8);
            t->SetPixelColor(x, y, RGB(v - 20, v - 6, v + 14));
        }
    }
    return t;
}

void AddText(CDrawObjectList& list, const char* text, int left, int bottom, int height, COLORREF c1,
             COLORREF c2, std::uint32_t appearance, bool bold)
{
    auto t = std::make_unique<CDrawText>();
    t->SetText(text);
    t->SetFontFace("Arial");
    t->SetBold(bold);
    t->SetColour1(c1);
    t->SetColour2(c2);
    t->SetAppearance(appearance);
    t->SetBounds(left, bottom + height, left + 10, bottom);
    t->FitToText();
    list.Add(std::move(t));
}

void AddBox(CDrawObjectList& list, bool ellipse, int x1, int y1, int x2, int y2, COLORREF fill, COLORREF line,
            std::uint32_t style)
{
    std::unique_ptr<CDrawObject> o;
    if (ellipse) o = std::make_unique<CDrawEllipse>();
    else o = std::make_unique<CDrawRect>();
    o->SetFillColour(fill);
    o->SetLineColour(line);
    o->SetStyle(style);
    o->SetBounds(x1, y2, x2, y1);
    list.Add(std::move(o));
}

bool BuildDemo(const SCliContext& context, const CAppFolders& folders, CVtwinDoc& doc, std::string& error)
{
    const CatalogueEntry* entry = FindCatalogueModel("box/Software Box");
    if (entry == nullptr) {
        error = "the catalogue has no Software Box";
        return false;
    }
    NewProjectAnswers answers;
    answers.size = SizePageValues{std::abs(entry->width), std::abs(entry->height), 60};
    answers.renderWidth = 640;
    answers.renderHeight = 480;
    std::unique_ptr<CProduct> product = BuildCliProduct(context, folders, *entry, answers, 2);
    if (!product) {
        error = "the new-project step failed";
        return false;
    }
    CProduct& p = *product;

    // Faces: gradient front and back-drop, textured top, patterned sides.
    bool ok = ResetFaceAppearance(p, 'F', kAppearanceGradient, RGB(12, 38, 96), RGB(40, 150, 210)) &&
              ResetFaceAppearance(p, 'G', kAppearanceGradient, RGB(235, 238, 244), RGB(170, 180, 196)) &&
              ResetFaceAppearance(p, 'L', kAppearancePattern, RGB(12, 38, 96), RGB(30, 90, 160)) &&
              ResetFaceAppearance(p, 'R', kAppearancePattern, RGB(30, 90, 160), RGB(12, 38, 96));
    for (char c : {'U', 'D'}) {
        if (!ok) break;
        CSide& side = p.GetOrCreateSide(std::string(1, c));
        int w = 0, h = 0;
        GetFaceBaseSize(p, c, w, h);
        side.Reset(kAppearanceTexture, w, h, 0xFFFFFF, 1);
        side.GetSettings().SetInt(SideKey(kSideTextureScale), 1);
        side.SetSecondPicture(MakeBrushedTexture());
        ok = side.GetSecondPicture() != nullptr && BuildAppearance(side);
    }
    for (char c : {'L', 'R'}) {
        CSide& side = p.GetOrCreateSide(std::string(1, c));
        side.GetSettings().SetInt(SideKey(kSidePattern), 145);
        side.GetSettings().SetInt(SideKey(kSidePatternCell), 6);
        ok = ok && BuildAppearance(side);
    }
    if (!ok) {
        error = "the face pictures could not be made";
        return false;
    }

    // Render settings: a turned box, soft shadow, lens flare and a thin bevel.
    for (const char* edit : {"X Rotation=12", "Y Rotation=-28", "Z Rotation=4", "Lens Flare=Yes",
                             "Lens Flare Intensity=80", "Lens Flare Blending=Additive", "Bevel=Yes",
                             "Bevel Style=Color Fade", "Bevel Size=6", "Bevel Color=#203040", "Detail=Enhanced",
                             "Soften Edges=Yes"}) {
        const SSettingEditResult r = ApplySettingEdit(p, edit, false);
        if (!r.ok) {
            error = r.message;
            return false;
        }
    }
    p.GetSettings().SetReal(ModelKey(kSetLensFlareX), 0.78);
    p.GetSettings().SetReal(ModelKey(kSetLensFlareY), 0.82);

    int fw = 0, fh = 0;
    GetFaceBaseSize(p, 'F', fw, fh);
    doc.NewProject(std::move(product));

    // Front artwork: a glowing disc, a band and the titles.
    auto& front = static_cast<CDrawObjectList&>(doc.GetFaceObjects("F"));
    AddBox(front, true, fw / 6, fh * 2 / 5, fw * 5 / 6, fh * 2 / 5 + fw * 2 / 3, RGB(250, 200, 60), RGB(255, 240, 180),
           kStyleOutlinedFilled);
    AddBox(front, false, 0, fh / 8, fw, fh / 8 + fh / 10, RGB(245, 245, 250), RGB(245, 245, 250), kStyleFilled);
    AddText(front, "VANTOREL", fw / 10, fh * 3 / 4 + fh / 20, fh / 9, RGB(255, 255, 255), RGB(10, 30, 80),
            kTextExtrude, true);
    AddText(front, "Studio Edition", fw / 8, fh / 8 + fh / 60, fh / 14, RGB(20, 50, 110), 0, kTextNormal, false);
    // Side artwork: the name along the spine-like left face.
    auto& left = static_cast<CDrawObjectList&>(doc.GetFaceObjects("L"));
    int lw = 0, lh = 0;
    GetFaceBaseSize(*doc.GetProduct(), 'L', lw, lh);
    AddBox(left, false, 0, lh / 2 - lw / 3, lw, lh / 2 + lw / 3, RGB(250, 200, 60), RGB(250, 200, 60), kStyleFilled);
    doc.SetModifiedFlag(true);
    return true;
}

}  // namespace

int RunDemo(const SCliContext& context, const std::vector<std::string>& args)
{
    std::string out, project;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "-o" || args[i] == "--project") && i + 1 < args.size()) {
            (args[i] == "-o" ? out : project) = args[i + 1];
            ++i;
        } else {
            PrintError("usage: demo -o OUT.png [--project P.vtp]");
            return kExitUsage;
        }
    }
    if (out.empty()) {
        PrintError("usage: demo -o OUT.png [--project P.vtp]");
        return kExitUsage;
    }
    std::optional<CAppFolders> folders = OpenFolders(context);
    if (!folders) return kExitFailed;
    std::string error;
    // The project is written first (to a temporary name when none was asked
    // for) and rendered through the same path as the render command.
    const bool keep = !project.empty();
    if (!keep) project = out + ".vtp.tmp";
    {
        CVtwinDoc doc(&CreateDrawObjectList);
        doc.SetMessageSink([](const std::string& m) { PrintError(m); });
        if (!BuildDemo(context, *folders, doc, error)) {
            PrintError("the sample project could not be built: " + error);
            return kExitFailed;
        }
        if (!doc.SaveProject(project)) return kExitFailed;
    }
    const int rc = RunRender(context, {project, "-o", out});
    if (!keep) std::remove(project.c_str());
    return rc;
}
