#include "render/RenderPipeline.h"

#include <algorithm>
#include <map>
#include <memory>

#include "app/FaceObjects.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/Raster.h"
#include "properties/SettingStore.h"
#include "properties/SettingTable.h"
#include "render/FinishingEffects.h"
#include "render/LensFlare.h"
#include "render/ModelArea.h"
#include "render/PictureScaler.h"
#include "render/PixelView.h"

namespace {

constexpr int kFlareShare = 5, kEffectShare = 5, kBevelShare = 3, kBorderShare = 2;
// Largest output side and magnification accepted from stored settings.
constexpr int kMaxOutputSide = 10000;
constexpr int kMaxMagnification = 16;
// Largest scratch picture in pixels (3 bytes each, and the alpha layer again).
constexpr long long kMaxScratchPixels = 48LL * 1000 * 1000;

std::uint32_t Colour(const SettingStore& s, std::uint32_t id)
{
    return static_cast<std::uint32_t>(s.GetInt(ModelKey(id))) & 0xFFFFFFu;
}

}  // namespace

SFinishSettings SFinishSettings::FromStore(const SettingStore& s)
{
    SFinishSettings f;
    auto i = [&](std::uint32_t id) { return s.GetInt(ModelKey(id)); };
    f.borders = i(kSetBorders) != 0;
    f.borderSize = i(kSetBorderSize);
    f.borderColor = Colour(s, kSetBorderColor);
    f.bevel = i(kSetBevel) != 0;
    f.bevelStyle = i(kSetBevelStyle);
    f.bevelSize = i(kSetBevelSize);
    f.bevelColor = Colour(s, kSetBevelColor);
    f.colorEffect = i(kSetColorEffect) != 0;
    f.effectStyle = i(kSetColorEffectStyle);
    f.effectColor = Colour(s, kSetColorEffectColor);
    f.lensFlare = i(kSetLensFlare) != 0;
    f.flareIntensity = i(kSetLensFlareIntensity);
    f.flareX = s.GetReal(ModelKey(kSetLensFlareX));
    f.flareY = s.GetReal(ModelKey(kSetLensFlareY));
    f.flareColor = Colour(s, kSetLensFlareColor);
    f.flareBlending = i(kSetLensFlareBlending);
    f.flareAlphaMix = i(kSetLensFlareAlphaMix);
    f.brightness = i(kSetBrightness);
    f.contrast = i(kSetContrast);
    f.red = i(kSetRedBalance);
    f.green = i(kSetGreenBalance);
    f.blue = i(kSetBlueBalance);
    return f;
}

int FinishingStart(const SFinishSettings& s) noexcept
{
    int e = 97;
    if (s.borders) e -= kBorderShare;
    if (s.bevel) e -= kBevelShare;
    if (s.colorEffect) e -= kEffectShare;
    if (s.lensFlare) e -= kFlareShare;
    return e;
}

SRenderSize GetRenderSize(const SettingStore& store) noexcept
{
    SRenderSize size;
    size.width = std::clamp<int>(store.GetInt(ModelKey(kSetRenderWidth)), 1, kMaxOutputSide);
    size.height = std::clamp<int>(store.GetInt(ModelKey(kSetRenderHeight)), 1, kMaxOutputSide);
    size.k = std::clamp<int>(store.GetInt(ModelKey(kSetMagnification)), 1, kMaxMagnification);
    // The scratch picture must stay inside what the picture container accepts
    // and within a sane memory budget: a stored size from a damaged file must
    // not ask for gigabytes.
    auto tooLarge = [&size] {
        const long long w = static_cast<long long>(size.width) * size.k;
        const long long h = static_cast<long long>(size.height) * size.k;
        return w > CRaster::kMaxDimension || h > CRaster::kMaxDimension || w * h > kMaxScratchPixels;
    };
    while (size.k > 1 && tooLarge()) --size.k;
    return size;
}

CRaster* CRenderPipeline::EnsurePicture(CProduct& product, const char* key, int width, int height,
                                        bool white)
{
    CSide& side = product.GetOrCreateSide(key);
    CRaster* picture = side.GetPicture();
    if (picture == nullptr || !picture->IsValid() || picture->GetWidth() != width ||
        picture->GetHeight() != height || picture->GetBpp() != 24) {
        auto fresh = std::make_unique<CRaster>();
        if (fresh->Create(width, height, 24) == nullptr) return nullptr;
        fresh->ToWhite();
        side.SetPicture(std::move(fresh));
        picture = side.GetPicture();
    } else if (white) {
        picture->ToWhite();
    }
    return picture;
}

bool CRenderPipeline::Render(std::string_view change, CProduct& product)
{
    if (m_cache.IsUpToDate(change)) return true;

    if (change == "u" || change == "d" || change == "l" || change == "r") {
        if (m_backend) {
            std::map<char, CRaster> burnt;
            m_backend->PreparePageEdge(product, change[0], MakeFaceLookup(product, burnt));
        }
        m_cache.SetUpToDate(change);
        return true;
    }

    const SRenderSize size = GetRenderSize(product.GetSettings());
    if (change == "x") {
        if (m_discard) m_discard();
        CRaster* preview = EnsurePicture(product, "x", size.width, size.height, true);
        if (preview == nullptr) return false;
        m_progress.Begin();
        m_progress.SetStep("Preparing Background", 0);
        m_progress.SetStep("Rendering", 0);
        const SFinishSettings f = SFinishSettings::FromStore(product.GetSettings());
        // The preview has its own working layer: "a" keeps the scratch size.
        CRaster alpha;
        if (m_backend && alpha.Create(size.width, size.height, 24) != nullptr) {
            alpha.ToWhite();
            SModelDrawRequest request;
            request.target = preview;
            request.alpha = &alpha;
            const int frame = std::max(f.borders ? f.borderSize : 0, f.bevel ? f.bevelSize : 0);
            request.area = ComputeModelArea(size.width, size.height, 1, frame);
            request.magnification = 1;
            request.quality = false;
            // The preview shows the faces as the user laid them out.
            std::map<char, CRaster> burnt;
            request.faces = MakeFaceLookup(product, burnt);
            m_backend->DrawModel(product, request);
        }
        m_progress.End();
        m_cache.SetUpToDate("x");
        return true;
    }

    if (change != "y" && change != "z") return true;  // unknown codes have no data

    if (m_discard) m_discard();
    m_progress.Begin();
    m_progress.SetStep("Rendering", 1);
    bool ok;
    if (m_cache.IsUpToDate("y")) {
        ok = Finish(product, true);
    } else {
        if (product.HasPages()) {
            struct SEdge { const char* code; const char* text; int percent; bool wanted; } edges[] = {
                {"u", "Preparing top", 4, true},
                {"d", "Preparing bottom", 8, true},
                {"l", "Preparing left", 12, product.HasPagesOnLeft() != 0},
                {"r", "Preparing right", 16, true},
            };
            std::map<char, CRaster> burnt;
            const FacePictureLookup faces = MakeFaceLookup(product, burnt);
            for (const SEdge& e : edges) {
                if (!e.wanted || m_cache.IsUpToDate(e.code)) continue;
                m_progress.SetStep(e.text, e.percent);
                if (m_backend) m_backend->PreparePageEdge(product, e.code[0], faces);
                m_cache.SetUpToDate(e.code);
            }
        }
        ok = FullRender(product);
    }
    m_progress.End();
    return ok;
}

bool CRenderPipeline::PrepareBackground(CProduct& product, CRaster& scratch)
{
    // The background is copied at its own size with its draw objects burnt
    // in (they are laid out in the background's pixels), then brought to the
    // scratch size: block average, copy or resampling.
    const CSide* side = product.FindSidePtr("G");
    const CRaster* picture = side ? side->GetPicture() : nullptr;
    const CFaceObjects* objects = m_objects ? m_objects("G") : nullptr;
    const bool hasObjects = objects != nullptr && objects->GetObjectCount() > 0;
    if (picture == nullptr || !picture->IsValid()) {
        scratch.ToWhite();
        if (hasObjects) objects->RenderToFace(scratch);
        return true;
    }
    CRaster background;
    if (!background.Copy(*picture, true, false, false)) return false;
    if (background.GetBpp() != 24 && !background.IncreaseBpp(24)) return false;
    if (hasObjects) objects->RenderToFace(background);
    ScalePicture(ViewOf(background), ViewOf(scratch));
    return true;
}

FacePictureLookup CRenderPipeline::MakeFaceLookup(CProduct& product, std::map<char, CRaster>& burnt)
{
    // Faces without draw objects are used as they are; the others are copied
    // once per render with their objects burnt in.
    return [this, &product, &burnt](char code) -> const CRaster* {
        const std::string key(1, code);
        const CSide* side = product.FindSidePtr(key);
        const CRaster* picture = side ? side->GetPicture() : nullptr;
        if (picture == nullptr || !picture->IsValid()) return nullptr;
        const CFaceObjects* objects = m_objects ? m_objects(key) : nullptr;
        if (objects == nullptr || objects->GetObjectCount() == 0) return picture;
        auto it = burnt.find(code);
        if (it == burnt.end()) {
            it = burnt.emplace(code, CRaster()).first;
            if (!it->second.Copy(*picture, true, false, false) ||
                (it->second.GetBpp() != 24 && !it->second.IncreaseBpp(24))) {
                burnt.erase(it);
                return picture;
            }
            objects->RenderToFace(it->second);
        }
        return &it->second;
    };
}

bool CRenderPipeline::FullRender(CProduct& product)
{
    const SettingStore& settings = product.GetSettings();
    const SFinishSettings f = SFinishSettings::FromStore(settings);
    const SRenderSize size = GetRenderSize(settings);
    const int e = FinishingStart(f);
    const int sw = size.width * size.k;
    const int sh = size.height * size.k;
    if (static_cast<long long>(sw) * sh > kMaxScratchPixels) return false;

    m_progress.SetStep("Preparing Background", 20);
    CRaster* scratch = EnsurePicture(product, "y", sw, sh, false);
    CRaster* alpha = EnsurePicture(product, "a", sw, sh, true);
    if (scratch == nullptr || alpha == nullptr) return false;
    product.GetOrCreateSide("y").GetSettings().SetInt(SideKey(kSideMagnification), size.k);
    if (!PrepareBackground(product, *scratch)) return false;

    m_progress.SetStep("Rendering Model", 30);
    const int frame = std::max(f.borders ? f.borderSize : 0, f.bevel ? f.bevelSize : 0);
    if (m_backend) {
        std::map<char, CRaster> burnt;
        SModelDrawRequest request;
        request.target = scratch;
        request.alpha = alpha;
        request.area = ComputeModelArea(sw, sh, size.k, frame);
        request.magnification = size.k;
        request.quality = true;
        request.faces = MakeFaceLookup(product, burnt);
        constexpr int start = 30;
        const int end = e - 10;
        request.progress = [this, end](long long done, long long total) {
            if (total <= 0) return;
            done = std::clamp(done, 0LL, total);
            m_progress.SetPercent(start + static_cast<int>(done * (end - start) / total));
        };
        m_backend->DrawModel(product, request);
    }
    m_cache.SetUpToDate("y");
    return Finish(product, false);
}

void CRenderPipeline::ApplyFinishingEffects(CRaster& rendering, const SFinishSettings& f)
{
    const CPixelView view = ViewOf(rendering);
    if (f.lensFlare)
        CLensFlare::Apply(view, f.flareColor, f.flareX, f.flareY, f.flareIntensity, f.flareBlending,
                          f.flareAlphaMix);
    if (f.colorEffect) ApplyColorEffect(view, f.effectStyle, f.effectColor);
    if (f.bevel) ApplyBevel(view, f.bevelStyle, f.bevelSize, f.bevelColor);
    if (f.borders && f.borderSize > 0) ApplyBorder(view, f.borderSize, f.borderColor);
    ApplyColorBalance(view, f.brightness, f.contrast, f.red, f.green, f.blue);
}

bool CRenderPipeline::Finish(CProduct& product, bool fixed)
{
    const SettingStore& settings = product.GetSettings();
    const SFinishSettings f = SFinishSettings::FromStore(settings);
    const SRenderSize size = GetRenderSize(settings);
    const int e = FinishingStart(f);

    m_progress.SetStep("Scaling", fixed ? 20 : e - 10);
    CSide* scratchSide = product.FindSidePtr("y");
    CRaster* scratch = scratchSide ? scratchSide->GetPicture() : nullptr;
    CRaster* rendering = EnsurePicture(product, "z", size.width, size.height, false);
    if (scratch == nullptr || !scratch->IsValid() || rendering == nullptr) return false;
    CRaster scratch24;
    if (scratch->GetBpp() != 24) {
        if (!scratch24.Copy(*scratch) || !scratch24.IncreaseBpp(24)) return false;
        scratch = &scratch24;
    }
    ScalePicture(ViewOf(*scratch), ViewOf(*rendering));
    const CPixelView view = ViewOf(*rendering);

    int next = e;
    if (f.lensFlare) {
        m_progress.SetStep("Adding Lens Flare", fixed ? 40 : next);
        next += kFlareShare;
        CLensFlare::Apply(view, f.flareColor, f.flareX, f.flareY, f.flareIntensity, f.flareBlending,
                          f.flareAlphaMix);
    }
    if (f.colorEffect) {
        m_progress.SetStep("Adding Color Effects", fixed ? 60 : next);
        next += kEffectShare;
        ApplyColorEffect(view, f.effectStyle, f.effectColor);
    }
    if (f.bevel) {
        m_progress.SetStep("Adding Bevel", fixed ? 80 : next);
        next += kBevelShare;
        ApplyBevel(view, f.bevelStyle, f.bevelSize, f.bevelColor);
    }
    if (f.borders && f.borderSize > 0) {
        m_progress.SetStep("Adding Border", fixed ? 95 : next);
        next += kBorderShare;
        ApplyBorder(view, f.borderSize, f.borderColor);
    }
    ApplyColorBalance(view, f.brightness, f.contrast, f.red, f.green, f.blue);
    m_progress.SetStep("Done", 100);
    m_cache.SetUpToDate("z");
    return true;
}
