#include "render/RenderPipeline.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

#include "app/FaceObjects.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "properties/PrintSize.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"
#include "render/effects/FinishingEffects.h"
#include "render/effects/LensFlare.h"
#include "render/ModelArea.h"
#include "render/output/PictureScaler.h"
#include "render/PixelView.h"
#include "render/effects/BackdropSweep.h"
#include "engine3d/sampling/PixelRuns.h"
#include "render/BandRenderer.h"

namespace {

constexpr int kFlareShare = 5, kEffectShare = 5, kBevelShare = 3, kBorderShare = 2;
// Largest output side and magnification accepted from stored settings.
constexpr int kMaxOutputSide = 10000;
constexpr int kMaxMagnification = 16;
// Largest scratch picture in pixels drawn whole (3 bytes each, and the alpha
// layer again), by backends that do not draw in bands.
constexpr long long kMaxScratchPixels = 48LL * 1000 * 1000;
// Largest scratch picture drawn in bands: only its bands are held, so this
// bounds the drawing time rather than memory (10000 x 10000 at 4 fits).
constexpr long long kMaxBandedScratchPixels = 1600LL * 1000 * 1000;

// The colour of a picture whose pixels are all alike (as 0x00BBGGRR), or -1.
long long UniformColour(const CRaster& picture) noexcept
{
    if (!picture.IsValid() || picture.GetBpp() != 24) return -1;
    const std::uint8_t* first = picture.GetBits(0);
    // The first row is its first pixel repeated, and every row is the first.
    const std::size_t bytes = 3 * static_cast<std::size_t>(picture.GetWidth());
    std::size_t same = 3;
    while (same < bytes && std::memcmp(first, first + same, std::min(same, bytes - same)) == 0)
        same += std::min(same, bytes - same);
    if (same < bytes) return -1;
    for (int y = 1; y < picture.GetHeight(); ++y)
        if (std::memcmp(picture.GetBits(y), first, bytes) != 0) return -1;
    return (static_cast<long long>(first[0]) << 16) | (first[1] << 8) | first[2];
}

// The rows of `band` in one colour, but for the columns `covered` gives (one
// entry a row, or null).
void FillRows(const CPixelView& band, std::uint32_t bgr, const CCoveredRow* covered) noexcept
{
    const std::uint8_t b = static_cast<std::uint8_t>(bgr >> 16), g = static_cast<std::uint8_t>(bgr >> 8),
                       r = static_cast<std::uint8_t>(bgr);
    for (int y = 0; y < band.GetHeight(); ++y) {
        const auto fill = [&](int from, int to) {
            std::uint8_t* p = band.At(from, y);
            if (b == g && g == r) {
                std::memset(p, b, static_cast<std::size_t>(to - from + 1) * 3);
                return;
            }
            FillPixelRun(p, to - from + 1, b, g, r);
        };
        if (covered == nullptr)
            fill(0, band.GetWidth() - 1);
        else
            covered[y].ForEachUncovered(band.GetWidth(), fill);
    }
}

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

namespace {

// The background "G" at its own size with its draw objects burnt in, as
// `view`: of the picture itself when it is 24-bit and has no objects, else
// of `background`, made for it. `plain` becomes its one colour (0x00BBGGRR)
// when every pixel is alike, for it is filled instead of scaled (every
// scaling of it gives that colour), else -1. Without a picture or objects
// `plain` stays as given. False when out of memory.
bool PrepareBandBackground(CProduct& product, const CFaceObjects* objects, int sw, int sh, CRaster& background,
                           CPixelView& view, long long& plain)
{
    CSide* side = product.FindSidePtr("G");
    CRaster* picture = side ? side->GetPicture() : nullptr;
    const bool hasObjects = objects != nullptr && objects->GetObjectCount() > 0;
    if (picture != nullptr && picture->IsValid()) {
        plain = hasObjects ? -1 : UniformColour(*picture);
        if (plain < 0 && !hasObjects && picture->GetBpp() == 24) {
            view = ViewOf(*picture);
        } else if (plain < 0) {
            if (!background.Copy(*picture, true, false, false)) return false;
            if (background.GetBpp() != 24 && !background.IncreaseBpp(24)) return false;
            if (hasObjects) objects->RenderToFace(background);
            plain = UniformColour(background);
            view = ViewOf(background);
        }
    } else if (hasObjects) {
        // Objects on no picture are laid out on the scratch picture itself.
        if (background.Create(sw, sh, 24) == nullptr) return false;
        background.ToWhite();
        objects->RenderToFace(background);
        view = ViewOf(background);
        plain = -1;
    }
    return true;
}

// What each band starts from: the plain colour or the scaled background,
// then the backdrop sweep if asked for, each only where the model does not
// cover the band.
BandBackground MakeBandFill(long long plain, const CPixelView& background, int sw, int sh, bool sweep)
{
    const CPixelView backgroundView = plain < 0 ? background : CPixelView();
    return [plain, backgroundView, sw, sh, sweep](const CPixelView& band, int firstRow, const CCoveredRow* covered) {
        if (plain >= 0 && sweep) {
            FillBackdropSweep(band, firstRow, sw, sh, static_cast<std::uint32_t>(plain), covered);
            return;
        }
        if (plain >= 0)
            FillRows(band, static_cast<std::uint32_t>(plain), covered);
        else
            ScalePictureRows(backgroundView, sh, firstRow, band, covered);
        if (sweep) ApplyBackdropSweep(band, firstRow, sw, sh, plain < 0 ? covered : nullptr);
    };
}

// The model area of a picture of width x height at magnification k: inside
// the border or bevel, framed when the product asks for it.
SModelArea PictureModelArea(const SettingStore& s, const SFinishSettings& f, int width, int height, int k) noexcept
{
    const int frame = std::max(f.borders ? f.borderSize : 0, f.bevel ? f.bevelSize : 0);
    return ComputeModelArea(width, height, k, frame, s.GetInt(ModelKey(kSetFraming)));
}

} // namespace

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
    return GetRenderSize(store, true);
}

SRenderSize GetRenderSize(const SettingStore& store, bool banded) noexcept
{
    SRenderSize size;
    size.width = std::clamp<int>(store.GetInt(ModelKey(kSetRenderWidth)), 1, kMaxOutputSide);
    size.height = std::clamp<int>(store.GetInt(ModelKey(kSetRenderHeight)), 1, kMaxOutputSide);
    size.k = std::clamp<int>(store.GetInt(ModelKey(kSetMagnification)), 1, kMaxMagnification);
    // The scratch picture must stay inside what the picture container accepts
    // and within a sane memory budget: a stored size from a damaged file must
    // not ask for gigabytes.
    auto tooLarge = [&size, banded] {
        const long long w = static_cast<long long>(size.width) * size.k;
        const long long h = static_cast<long long>(size.height) * size.k;
        if (banded) return w > CRaster::kMaxDimension || w * h > kMaxBandedScratchPixels;
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
        if (fresh->CreateUnset(width, height, 24) == nullptr) return nullptr;
        fresh->ToWhite();  // every byte, row ends too
        side.SetPicture(std::move(fresh));
        picture = side.GetPicture();
    } else if (white) {
        picture->ToWhite();
    }
    return picture;
}

bool CRenderPipeline::Render(std::string_view change, CProduct& product)
{
    m_cancelled = false;
    m_error.clear();
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
            request.area = PictureModelArea(product.GetSettings(), f, size.width, size.height, 1);
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

FaceOneColourLookup CRenderPipeline::MakeOneColourLookup(const CProduct& product) const
{
    return [this, &product](char code) {
        const CSide* side = product.FindSidePtr(std::string(1, code));
        const CFaceObjects* objects = m_objects ? m_objects(std::string(1, code)) : nullptr;
        return side != nullptr && side->IsPictureOneColour() && (objects == nullptr || objects->GetObjectCount() == 0);
    };
}

bool CRenderPipeline::FullRender(CProduct& product)
{
    if (m_backend && m_backend->DrawsBands() && (!m_wholeScratch || m_transparent))
        return FullRenderInBands(product);
    if (m_transparent) {
        m_error = "this renderer can not leave the background out";
        return false;
    }
    const SettingStore& settings = product.GetSettings();
    const SFinishSettings f = SFinishSettings::FromStore(settings);
    const SRenderSize size = GetRenderSize(settings, false);
    const int e = FinishingStart(f);
    const int sw = size.width * size.k;
    const int sh = size.height * size.k;
    if (static_cast<long long>(sw) * sh > kMaxScratchPixels) return false;

    m_progress.SetStep("Preparing Background", 20);
    CRaster* scratch = EnsurePicture(product, "y", sw, sh, false);
    CRaster* alpha = EnsurePicture(product, "a", sw, sh, false);  // the model whitens it
    if (scratch == nullptr || alpha == nullptr) return false;
    product.GetOrCreateSide("y").GetSettings().SetInt(SideKey(kSideMagnification), size.k);
    if (!PrepareBackground(product, *scratch)) return false;
    if (settings.GetInt(ModelKey(kSetBackdrop)) == 1) ApplyBackdropSweep(ViewOf(*scratch), 0, sw, sh);

    m_progress.SetStep("Rendering Model", 30);
    if (m_backend) {
        std::map<char, CRaster> burnt;
        SModelDrawRequest request;
        request.target = scratch;
        request.alpha = alpha;
        request.area = PictureModelArea(settings, f, sw, sh, size.k);
        request.magnification = size.k;
        request.quality = true;
        request.faces = MakeFaceLookup(product, burnt);
        request.oneColourFaces = MakeOneColourLookup(product);
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

void CRenderPipeline::SetTransparent(bool transparent) noexcept
{
    if (transparent == m_transparent) return;
    m_transparent = transparent;
    m_cache.MarkStale("y");
}

void MakeFrameOpaque(CRaster& rendering, const SFinishSettings& f) noexcept
{
    // Border and bevel frame the picture: over a cut-out their rings are
    // laid over white and made opaque, so the frame is a solid frame.
    const int frame = std::max(f.borders ? f.borderSize : 0, f.bevel ? f.bevelSize : 0);
    std::uint8_t* alpha = rendering.AlphaGetPointer();
    if (frame <= 0 || alpha == nullptr) return;
    const int w = rendering.GetWidth(), h = rendering.GetHeight();
    for (int y = 0; y < h; ++y) {
        const bool rowInFrame = y < frame || y >= h - frame;
        std::uint8_t* p = rendering.GetBits(y);
        std::uint8_t* a = alpha + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (int x = 0; x < w; ++x) {
            if (!rowInFrame && x >= frame && x < w - frame) {
                x = w - frame - 1;  // on to the right-hand ring
                continue;
            }
            for (int c = 0; c < 3; ++c) p[3 * x + c] = static_cast<std::uint8_t>((p[3 * x + c] * a[x] + 255 * (255 - a[x]) + 127) / 255);
            a[x] = 255;
        }
    }
}

int CRenderPipeline::GetThreadCount() const noexcept
{
    if (m_threads > 0) return m_threads;
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(std::min(n, 64u));
}

bool CRenderPipeline::FullRenderInBands(CProduct& product)
{
    const SettingStore& settings = product.GetSettings();
    const SFinishSettings f = SFinishSettings::FromStore(settings);
    const SRenderSize size = GetRenderSize(settings);
    const int e = FinishingStart(f);
    const int sw = size.width * size.k;
    const int sh = size.height * size.k;

    m_progress.SetStep("Preparing Background", 20);
    // "y" keeps the drawn picture at the output size, before the finishing
    // effects, so that a finishing change only repeats those.
    CRaster* unfinished = EnsurePicture(product, "y", size.width, size.height, false);
    if (unfinished == nullptr) return false;
    product.GetOrCreateSide("y").GetSettings().SetInt(SideKey(kSideMagnification), 1);

    CRaster background;
    CPixelView backgroundView;
    long long plain = 0xFFFFFF;
    if (!PrepareBandBackground(product, m_objects ? m_objects("G") : nullptr, sw, sh, background, backgroundView,
                               plain))
        return false;
    const BandBackground fill =
        MakeBandFill(plain, backgroundView, sw, sh, settings.GetInt(ModelKey(kSetBackdrop)) == 1);

    m_progress.SetStep("Rendering Model", 30);
    std::map<char, CRaster> ownFaces;
    std::map<char, CRaster>& burnt = m_keptFaces ? *m_keptFaces : ownFaces;
    SModelDrawRequest request;
    request.area = PictureModelArea(product.GetSettings(), f, sw, sh, size.k);
    request.magnification = size.k;
    request.quality = true;
    request.faces = MakeFaceLookup(product, burnt);
    request.oneColourFaces = MakeOneColourLookup(product);
    request.cutOut = m_transparent;
    const std::unique_ptr<CModelBands> model = m_backend->PrepareBands(product, request, sw, sh);
    if (model == nullptr) return false;

    SBandLayout layout;
    if (m_transparent) {
        if (!unfinished->AlphaCreate()) return false;
        layout.alpha = unfinished->AlphaGetPointer();
    } else {
        unfinished->AlphaDelete();
    }
    layout.width = sw;
    layout.height = sh;
    layout.k = size.k;
    layout.bandRows = m_bandRows;
    layout.threads = GetThreadCount();
    constexpr int start = 30;
    const int end = e - 10;
    const SBandResult result =
        RenderBands(layout, fill, model.get(), ViewOf(*unfinished), [this, end](int done, int total) {
            if (total > 0) m_progress.SetPercent(start + done * (end - start) / total);
            return !m_progress.IsCancelled();
        });
    if (!result.ok) {
        m_cancelled = result.cancelled;
        m_error = result.error;
        return false;
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

CRaster* CRenderPipeline::ScaleIntoRendering(CProduct& product, const SRenderSize& size)
{
    CSide* scratchSide = product.FindSidePtr("y");
    CRaster* scratch = scratchSide ? scratchSide->GetPicture() : nullptr;
    if (scratch == nullptr || !scratch->IsValid()) return nullptr;
    if (!m_keepUnfinished && scratch->GetBpp() == 24 && scratch->GetWidth() == size.width &&
        scratch->GetHeight() == size.height) {
        // Scaling at the output size is a copy: the unfinished picture itself
        // becomes the rendering, with a cut-out's coverage plane.
        CSide& renderingSide = product.GetOrCreateSide("z");
        renderingSide.SetPicture(scratchSide->TakePicture());
        m_cache.MarkStale("y");
        return renderingSide.GetPicture();
    }
    CRaster* rendering = EnsurePicture(product, "z", size.width, size.height, false);
    if (rendering == nullptr) return nullptr;
    CRaster scratch24;
    if (scratch->GetBpp() != 24) {
        if (!scratch24.Copy(*scratch) || !scratch24.IncreaseBpp(24)) return nullptr;
        scratch = &scratch24;
    }
    ScalePicture(ViewOf(*scratch), ViewOf(*rendering));
    // A cut-out keeps its coverage through the finishing steps.
    const bool cutOut = scratch->HasAlpha() && scratch->GetWidth() == rendering->GetWidth() &&
                        scratch->GetHeight() == rendering->GetHeight();
    if (cutOut && rendering->AlphaCreate()) {
        std::memcpy(rendering->AlphaGetPointer(), scratch->AlphaGetPointer(),
                    static_cast<std::size_t>(rendering->GetWidth()) * static_cast<std::size_t>(rendering->GetHeight()));
    } else {
        rendering->AlphaDelete();
    }
    return rendering;
}

bool CRenderPipeline::Finish(CProduct& product, bool fixed)
{
    const SettingStore& settings = product.GetSettings();
    const SFinishSettings f = SFinishSettings::FromStore(settings);
    const SRenderSize size = GetRenderSize(settings);
    const int e = FinishingStart(f);

    m_progress.SetStep("Scaling", fixed ? 20 : e - 10);
    CRaster* rendering = ScaleIntoRendering(product, size);
    if (rendering == nullptr) return false;
    const int dpi = GetRenderResolution(settings);
    rendering->SetXDPI(dpi);
    rendering->SetYDPI(dpi);
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
    if (rendering->HasAlpha()) MakeFrameOpaque(*rendering, f);
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
