#pragma once
// The render pipeline: page-edge preparation, background, model, scaling and
// the finishing effects, with a cache of which prepared data is up to date so
// that a change repeats only the steps that depend on it.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "render/RenderBackend.h"
#include "image/Raster.h"
#include "render/RenderCache.h"
#include "render/output/RenderProgress.h"

class CFaceObjects;
class CProduct;
class CRaster;
class SettingStore;

// The finishing settings as the effects use them.
struct SFinishSettings {
    bool borders = false;
    int borderSize = 1;
    std::uint32_t borderColor = 0;
    bool bevel = false;
    int bevelStyle = 1;
    int bevelSize = 10;
    std::uint32_t bevelColor = 0xFFFFFF;
    bool colorEffect = false;
    int effectStyle = 1;
    std::uint32_t effectColor = 0x00FF00;
    bool lensFlare = false;
    int flareIntensity = 100;
    double flareX = 0.8;
    double flareY = 0.7;
    std::uint32_t flareColor = 0x00FFFF;
    int flareBlending = 1;
    int flareAlphaMix = 128;
    int brightness = 100, contrast = 100, red = 100, green = 100, blue = 100;

    static SFinishSettings FromStore(const SettingStore& store);
};

// Over a cut-out (a rendering with an alpha plane): the rings of the border
// and the bevel are laid over white and made opaque.
void MakeFrameOpaque(CRaster& rendering, const SFinishSettings& f) noexcept;

// Percentages of the full render: the model runs from 30 to E - 10, "Scaling"
// starts at E - 10 and the enabled effects follow from E.
int FinishingStart(const SFinishSettings& s) noexcept;

// Output size (settings 161, 162) and magnification (163) of a product,
// each brought into a usable range.
struct SRenderSize {
    int width = 400;
    int height = 400;
    int k = 1;
};
// The magnification is lowered where the scratch picture would exceed what
// is drawn (`banded`: in bands; else whole, as backends without bands do).
SRenderSize GetRenderSize(const SettingStore& store) noexcept;
SRenderSize GetRenderSize(const SettingStore& store, bool banded) noexcept;

class CRenderPipeline {
public:
    // Draw objects of a face key ("F", "G", ...), or nullptr when it has none.
    using FaceObjectsLookup = std::function<const CFaceObjects*(std::string_view key)>;

    void SetBackend(CRenderBackend* backend) noexcept { m_backend = backend; }
    void SetFaceObjects(FaceObjectsLookup lookup) { m_objects = std::move(lookup); }
    // Called whenever the view's cached display pictures must be dropped.
    void SetDiscardDisplay(std::function<void()> discard) { m_discard = std::move(discard); }
    CRenderProgress& GetProgress() noexcept { return m_progress; }
    CRenderCache& GetCache() noexcept { return m_cache; }

    // Brings the data of `change` up to date. Returns false when a needed
    // picture could not be made (the render then ends without drawing), or
    // when the render was cancelled (WasCancelled tells): the data then stays
    // stale and the next Render starts over.
    //
    // Rendering on a worker thread: give the worker its own pipeline, backend
    // and a copy of the product (CProduct copies with its pictures), and
    // cancel from the user-interface thread with GetProgress().Cancel() or
    // through a cancellable progress sink; progress sinks run on the thread
    // that called Render.
    bool Render(std::string_view change, CProduct& product);
    bool WasCancelled() const noexcept { return m_cancelled; }
    // Why the last render failed, when the pipeline knows ("" otherwise).
    const std::string& GetLastError() const noexcept { return m_error; }

    // Drawing threads: 0 (the default) uses one per processor core. The
    // picture is the same for any number.
    void SetThreads(int threads) noexcept { m_threads = threads < 0 ? 0 : threads; }
    int GetThreadCount() const noexcept;
    // For tests and benches: scratch rows per band (0 chooses; a multiple of
    // the magnification), and drawing the scratch picture whole as backends
    // without bands do (the reference the bands are checked against).
    void SetBandRows(int rows) noexcept { m_bandRows = rows; }
    void SetWholeScratch(bool whole) noexcept { m_wholeScratch = whole; }
    // A render made once and saved (the command-line program) need not keep
    // the unfinished picture "y" beside the finished "z": false hands it to
    // "z" for the finishing steps, so a print-size render holds one picture
    // of the output size instead of two. A finishing change then draws anew.
    void SetKeepUnfinished(bool keep) noexcept { m_keepUnfinished = keep; }
    // Faces burnt with their draw objects are kept in `faces` from one render
    // to the next, for renders whose faces and draw objects do not change
    // (the drafts of one drag). Null (the default): made anew each render.
    void SetKeptFaces(std::map<char, CRaster>* faces) noexcept { m_keptFaces = faces; }

    // Cut-out renders: the background is left out and the finished picture
    // gets an alpha plane (0 where nothing was drawn; edges, shadows and the
    // reflection partly transparent). The colour planes then hold each
    // pixel's colour before coverage (white where nothing is). Lens flare,
    // colour effects and colour balance act on the product only; border and
    // bevel make an opaque frame. Needs a backend that draws in bands.
    void SetTransparent(bool transparent) noexcept;
    bool IsTransparent() const noexcept { return m_transparent; }

    // The finishing steps alone on a finished-size picture (for tests and
    // benches): lens flare, colour effect, bevel, border, colour balance.
    static void ApplyFinishingEffects(CRaster& rendering, const SFinishSettings& s);

    // Face pictures by face code with their draw objects burnt in; copies are
    // kept in `burnt` for the length of one render (or one export).
    FacePictureLookup MakeFaceLookup(CProduct& product, std::map<char, CRaster>& burnt);
    // The faces whose picture MakeFaceLookup gives as it is and whose side
    // knows it to be of one colour.
    FaceOneColourLookup MakeOneColourLookup(const CProduct& product) const;

private:
    bool FullRender(CProduct& product);
    bool FullRenderInBands(CProduct& product);
    bool Finish(CProduct& product, bool fixedPercentages);
    CRaster* ScaleIntoRendering(CProduct& product, const SRenderSize& size);
    bool PrepareBackground(CProduct& product, CRaster& scratch);
    CRaster* EnsurePicture(CProduct& product, const char* key, int width, int height, bool white);

    CRenderBackend* m_backend = nullptr;
    FaceObjectsLookup m_objects;
    std::function<void()> m_discard;
    CRenderProgress m_progress;
    CRenderCache m_cache;
    int m_threads = 0;
    int m_bandRows = 0;
    bool m_wholeScratch = false;
    bool m_keepUnfinished = true;
    std::map<char, CRaster>* m_keptFaces = nullptr;
    bool m_transparent = false;
    bool m_cancelled = false;
    std::string m_error;
};
