#include "render/NewProduct.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/SideAppearance.h"
#include "catalogue/MediaPictures.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/Raster.h"
#include "properties/SettingChecks.h"
#include "properties/SettingTable.h"

namespace {

std::string Lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Largest face picture side in pixels, before magnification.
constexpr int kMaxFaceSide = 3000;

int FacePixels(double mm)
{
    const double px = std::round(mm * kFacePixelsPerMm);
    return static_cast<int>(std::clamp(px, 8.0, static_cast<double>(kMaxFaceSide)));
}

// One dimension: the catalogue value (positive fixed, negative editable with
// its absolute value as default, 0 not applicable) and the option (0 = none).
bool ResolveDimension(int catalogueValue, int option, const char* label, int& result, std::string& error)
{
    result = std::abs(catalogueValue);
    if (option == 0) return true;
    if (catalogueValue == 0) {
        error = std::string(label) + " does not apply to this model.";
        return false;
    }
    if (catalogueValue > 0) {
        if (option == catalogueValue) return true;
        error = std::string(label) + " is fixed at " + std::to_string(catalogueValue) + " for this model.";
        return false;
    }
    const IntFieldResult r = ValidateIntField(std::to_string(option), 1, 300, label);
    if (!r.ok) {
        error = r.message;
        return false;
    }
    result = r.value;
    return true;
}

bool ResetWorking(CProduct& product, const char* key, int w, int h, int k)
{
    CSide& side = product.GetOrCreateSide(key);
    side.Reset(kAppearanceColor, w, h, 0xFFFFFF, k);
    return BuildAppearance(side);
}

}  // namespace

const CatalogueEntry* FindCatalogueModel(std::string_view name)
{
    const std::string wanted = Lower(name);
    for (const CatalogueEntry& e : GetCatalogue()) {
        const std::string alias = Lower(e.name);
        const std::string section = Lower(GetCatalogueSectionName(e));
        std::string bare = section;
        if (bare.size() > 4 && bare.compare(bare.size() - 4, 4, ".bmp") == 0) bare.resize(bare.size() - 4);
        if (wanted == alias || wanted == Lower(GetListName(e.name)) || wanted == Lower(GetWizardTitleName(e.name)) ||
            wanted == section || wanted == bare || wanted == Lower(e.prefix) + "/" + Lower(GetListName(e.name)))
            return &e;
    }
    return nullptr;
}

void GetFaceBaseSize(const CProduct& product, char key, int& width, int& height)
{
    const SettingStore& s = product.GetSettings();
    const double w = s.GetReal(ModelKey(kSetProductWidth));
    const double h = s.GetReal(ModelKey(kSetProductHeight));
    const double d = std::max(s.GetReal(ModelKey(kSetProductDepth)), 1.0);
    switch (key) {
    case 'L': case 'R': case 'S': case 'r': case 'l':
        width = FacePixels(d);
        height = FacePixels(h);
        break;
    case 'U': case 'D': case 'u': case 'd':
        width = FacePixels(w);
        height = FacePixels(d);
        break;
    case 'G':
        width = std::max(1, s.GetInt(ModelKey(kSetRenderWidth)));
        height = std::max(1, s.GetInt(ModelKey(kSetRenderHeight)));
        break;
    default:
        width = FacePixels(w);
        height = FacePixels(h);
        break;
    }
}

bool ResetFaceAppearance(CProduct& product, char key, int appearance, unsigned colour1, unsigned colour2)
{
    int w = 0, h = 0;
    GetFaceBaseSize(product, key, w, h);
    CSide& side = product.GetOrCreateSide(std::string(1, key));
    side.Reset(appearance, w, h, colour1, 1);
    side.GetSettings().SetInt(SideKey(kSideColor2), static_cast<std::int32_t>(colour2));
    return BuildAppearance(side);
}

std::unique_ptr<CProduct> BuildNewProduct(const CatalogueEntry& entry, const SNewProductOptions& o,
                                          std::string& error)
{
    std::unique_ptr<CProduct> product = CreateProduct(entry.kind);
    if (!product) {
        error = "Model not found. Data corrupted?";
        return nullptr;
    }
    int w = 0, h = 0, d = 0;
    if (!ResolveDimension(entry.width, o.width, "Width", w, error) ||
        !ResolveDimension(entry.height, o.height, "Height", h, error) ||
        !ResolveDimension(entry.depth, o.depth, "Depth", d, error))
        return nullptr;
    for (auto [value, label] : {std::pair{o.renderWidth, "Width"}, std::pair{o.renderHeight, "Height"}}) {
        const IntFieldResult r = ValidateIntField(std::to_string(value), 50, 999, label, "pixels");
        if (!r.ok) {
            error = r.message;
            return nullptr;
        }
    }
    if (o.magnification < 1 || o.magnification > 16) {
        error = "Magnification must be between 1 and 16.";
        return nullptr;
    }

    SettingStore& s = product->GetSettings();
    if (w > 0) s.SetReal(ModelKey(kSetProductWidth), w);
    if (h > 0) s.SetReal(ModelKey(kSetProductHeight), h);
    if (d > 0) s.SetReal(ModelKey(kSetProductDepth), d);
    s.SetInt(ModelKey(kSetRenderWidth), o.renderWidth);
    s.SetInt(ModelKey(kSetRenderHeight), o.renderHeight);
    s.SetInt(ModelKey(kSetMagnification), o.magnification);

    bool ok = true;
    for (const char* p = product->GetSideLetters(); *p; ++p) ok = ok && ResetFaceAppearance(*product, *p, kAppearanceColor, 0xFFFFFF);
    ok = ok && ResetFaceAppearance(*product, 'G', kAppearanceColor, 0xFFFFFF);
    if (product->HasPages()) {
        std::string edges = "udr";
        if (product->HasPagesOnLeft()) edges += 'l';
        for (char c : edges) {
            int ew = 0, eh = 0;
            GetFaceBaseSize(*product, c, ew, eh);
            ok = ok && ResetWorking(*product, std::string(1, c).c_str(), ew, eh, 1);
        }
    }
    const int k = o.magnification;
    ok = ok && ResetWorking(*product, "a", o.renderWidth, o.renderHeight, k) &&
         ResetWorking(*product, "x", o.renderWidth, o.renderHeight, 1) &&
         ResetWorking(*product, "y", o.renderWidth, o.renderHeight, k) &&
         ResetWorking(*product, "z", o.renderWidth, o.renderHeight, 1);
    // Floppy and zip disks: their faces are the drawn media pictures (the
    // catalogue provides these sides instead of asking for an appearance).
    const std::string pattern = entry.subPattern ? entry.subPattern : "";
    if (ok && (pattern.rfind("dfl_", 0) == 0 || pattern.rfind("dzp_", 0) == 0)) {
        const bool floppy = pattern.rfind("dfl_", 0) == 0;
        MediaPictureSet media = floppy
            ? DrawMediaPictures(MediaKind::Floppy, RGB(40, 42, 48), RGB(78, 80, 88), RGB(20, 21, 24), RGB(188, 190, 196))
            : DrawMediaPictures(MediaKind::Zip, RGB(44, 70, 140), RGB(80, 110, 180), RGB(24, 40, 90), RGB(200, 200, 204));
        const std::pair<char, std::unique_ptr<CRaster>*> faces[] = {
            {'F', &media.front}, {'U', &media.top}, {'D', &media.bottom}};
        for (const auto& [key, picture] : faces) {
            if (!*picture) {
                ok = false;
                break;
            }
            CSide& side = product->GetOrCreateSide(std::string(1, key));
            side.Reset(kAppearancePicture, (*picture)->GetWidth(), (*picture)->GetHeight(), 0xFFFFFF, 1);
            side.SetPicture(std::move(*picture));
        }
        if (ok) {
            // The body colour on the plain sides.
            for (char key : {'L', 'R'}) ok = ok && ResetFaceAppearance(*product, key, kAppearanceColor,
                                                                        floppy ? RGB(40, 42, 48) : RGB(44, 70, 140));
        }
    }
    if (ok && product->HasCDROM()) {
        std::unique_ptr<CRaster> disc =
            DrawCDPicture(RGB(206, 208, 214), RGB(186, 188, 196), RGB(150, 152, 162), CDFinish{true, false, false});
        ok = disc != nullptr;
        if (ok) product->GetOrCreateSide("C").SetPicture(std::move(disc));
    }
    if (!ok) {
        error = "Out of memory";
        return nullptr;
    }
    return product;
}
