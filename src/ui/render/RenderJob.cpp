#include "ui/render/RenderJob.h"

#include "app/FaceObjects.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

#include <algorithm>
#include <new>

struct CRenderJob::SDragState {
    CEngineBackend backend;
    std::map<char, CRaster> faces;
};

namespace {

// The codes a job can bring up to date, and the sides each one fills.
struct SCodeSides {
    const char* code;
    const char* sides[2];
};
const SCodeSides kCodeSides[] = {{"u", {"u", nullptr}}, {"d", {"d", nullptr}}, {"l", {"l", nullptr}},
                                 {"r", {"r", nullptr}}, {"x", {"x", nullptr}}, {"y", {"y", "a"}},
                                 {"z", {"z", nullptr}}};

// Working pictures a render of `change` neither reads nor writes: not copied
// (at print sizes each is hundreds of megabytes). A draft makes all of its
// own at its own size.
bool SkippedSide(const std::string& key, const std::string& change, bool draft)
{
    if (draft)
        return key == "a" || key == "x" || key == "y" || key == "z";
    if (change == "x")
        return key == "a" || key == "y" || key == "z";
    return key == "x";
}

} // namespace

CRenderJob::~CRenderJob() = default;

std::unique_ptr<CRenderJob> CRenderJob::Create(const CVtwinDoc& doc, const CRenderCache& cache, std::string change)
{
    return Create(doc, cache, std::move(change), false);
}

std::unique_ptr<CRenderJob> CRenderJob::Create(const CVtwinDoc& doc, const CRenderCache& cache, std::string change,
                                               bool draft)
{
    const CProduct* product = doc.GetProduct();
    if (!product)
        return nullptr;
    try {
        std::unique_ptr<CRenderJob> job(new CRenderJob);
        job->m_product = CreateProduct(product->GetKindCode());
        job->m_objects = std::make_shared<ObjectLists>();
        if (!job->m_product)
            return nullptr;
        job->m_product->GetSettings() = product->GetSettings();
        job->m_product->RemoveAllSides();
        for (std::size_t i = 0; i < product->GetSideCount(); ++i)
            if (!SkippedSide(product->GetSideKey(i), change, draft))
                job->m_product->AddSide(product->GetSideKey(i), product->GetSide(i).Clone());
        for (std::size_t i = 0; i < doc.GetLayoutCount(); ++i)
            job->m_objects->emplace_back(doc.GetLayoutKey(i), doc.GetLayoutList(i).Clone());
        job->m_before = cache;
        job->m_startCount = cache.GetChangeCount();
        job->m_change = std::move(change);
        return job;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<CRenderJob> CRenderJob::CreateDraft(const CVtwinDoc& doc, const CRenderCache& cache,
                                                    const SDraftOptions& options)
{
    // The page edges do not depend on the picture's size: keep those made.
    CRenderCache edges;
    for (const char* code : {"u", "d", "l", "r"})
        if (cache.IsUpToDate(code))
            edges.SetUpToDate(code);
    std::unique_ptr<CRenderJob> job = Create(doc, edges, "z", true);
    if (!job)
        return nullptr;
    job->m_draft = true;
    if (options.drag) {
        job->m_drag = std::make_shared<SDragState>();
        job->m_drag->backend.SetFacesUnchanged(true);
    }
    SettingStore& s = job->m_product->GetSettings();
    const SRenderSize size = GetRenderSize(s);
    if (options.width > 0 && options.height > 0) {
        // The rendering's shape at most the given size (never larger than the rendering).
        const double scale = std::min({1.0, static_cast<double>(options.width) / size.width,
                                       static_cast<double>(options.height) / size.height});
        s.SetInt(ModelKey(kSetRenderWidth), std::max(50, static_cast<int>(size.width * scale)));
        s.SetInt(ModelKey(kSetRenderHeight), std::max(50, static_cast<int>(size.height * scale)));
    }
    s.SetInt(ModelKey(kSetMagnification), 1);
    s.SetInt(ModelKey(kSetDetail), 0);
    if (options.turn) {
        s.SetInt(ModelKey(kSetXRotation), options.xRotation);
        s.SetInt(ModelKey(kSetYRotation), options.yRotation);
    }
    return job;
}

std::unique_ptr<CRenderJob> CRenderJob::CreateCutOut(const CVtwinDoc& doc)
{
    std::unique_ptr<CRenderJob> job = Create(doc, CRenderCache(), "y", false);
    if (job)
        job->m_cutOut = true;
    return job;
}

std::unique_ptr<CRenderJob> CRenderJob::CreateTurnedDraft(const CRenderJob& first, int xRotation, int yRotation,
                                                         int magnification)
{
    std::unique_ptr<CRenderJob> job(new CRenderJob);
    job->m_product = first.m_product;
    job->m_objects = first.m_objects;
    job->m_before = first.m_before;
    job->m_startCount = first.m_startCount;
    job->m_change = first.m_change;
    job->m_draft = true;
    job->m_shared = true;
    job->m_turn = true;
    job->m_xRotation = xRotation;
    job->m_yRotation = yRotation;
    job->m_magnification = magnification;
    job->m_drag = first.m_drag;
    return job;
}

void CRenderJob::Run()
{
    if (IsCancelRequested()) {
        m_cancelled = true;
        return;
    }
    // Its own backend and pipeline: nothing of the user-interface thread's
    // render state is touched.
    // The drafts of a drag share one backend (texture levels made once) and
    // the faces burnt with their draw objects: only the angles change.
    CEngineBackend ownBackend;
    const bool drag = m_shared && m_drag;
    CEngineBackend& backend = drag ? m_drag->backend : ownBackend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    if (drag) {
        pipeline.SetKeptFaces(&m_drag->faces);
        pipeline.SetKeepUnfinished(false);
    }
    pipeline.SetThreads(m_threads);
    pipeline.SetTransparent(m_cutOut);
    pipeline.GetCache() = m_before;
    if (m_turn) {
        m_product->GetSettings().SetInt(ModelKey(kSetXRotation), m_xRotation);
        m_product->GetSettings().SetInt(ModelKey(kSetYRotation), m_yRotation);
        m_product->GetSettings().SetInt(ModelKey(kSetMagnification), m_magnification);
    }
    pipeline.SetFaceObjects([this](std::string_view key) -> const CFaceObjects* {
        for (const auto& [k, list] : *m_objects)
            if (k == key)
                return list.get();
        return nullptr;
    });
    pipeline.GetProgress().SetCancellableSink([this](const std::string& status, int percent) {
        if (m_sink)
            m_sink(status, percent);
        return !IsCancelRequested();
    });
    try {
        m_ok = pipeline.Render(m_change, *m_product);
    } catch (const std::bad_alloc&) {
        m_ok = false;
    }
    m_cancelled = pipeline.WasCancelled() || IsCancelRequested();
    m_after = pipeline.GetCache();
    m_error = pipeline.GetLastError();
    if (m_shared && m_ok && !m_cancelled) {
        // The next draft makes its own picture: this one is taken along.
        CSide* side = m_product->FindSidePtr("z");
        if (side && side->GetPicture() && side->GetPicture()->IsValid())
            m_result = side->TakePicture();
    }
}

const CRaster* CRenderJob::Picture() const noexcept
{
    if (!m_ok || m_cancelled || !m_product)
        return nullptr;
    if (m_shared)
        return m_result.get();
    const CSide* side = m_product->FindSidePtr(m_change == "x" ? "x" : "z");
    const CRaster* picture = side ? side->GetPicture() : nullptr;
    return picture && picture->IsValid() ? picture : nullptr;
}

std::unique_ptr<CRaster> CRenderJob::TakePicture()
{
    if (!Picture())
        return nullptr;
    if (m_shared)
        return std::move(m_result);
    CSide* side = m_product->FindSidePtr(m_change == "x" ? "x" : "z");
    return side ? side->TakePicture() : nullptr;
}

void CRenderJob::MoveInto(CVtwinDoc& doc, CRenderCache& cache)
{
    CProduct* product = doc.GetProduct();
    if (!product || !m_product || m_draft || m_cutOut || !m_ok || m_cancelled)
        return;
    // Sides are taken over in the order the copy holds them, so that sides the
    // render added are appended to the document's product in the order a
    // render there would have added them (the saved project stays the same).
    std::vector<std::string> codes;
    for (const SCodeSides& c : kCodeSides)
        if (m_after.IsUpToDate(c.code) && !cache.IsUpToDate(c.code))
            codes.emplace_back(c.code);
    auto wanted = [&](const std::string& key) {
        for (const SCodeSides& c : kCodeSides)
            if (std::find(codes.begin(), codes.end(), c.code) != codes.end())
                for (const char* side : c.sides)
                    if (side && key == side)
                        return true;
        return false;
    };
    for (std::size_t i = 0; i < m_product->GetSideCount(); ++i) {
        const std::string& key = m_product->GetSideKey(i);
        if (!wanted(key))
            continue;
        CSide& from = m_product->GetSide(i);
        CSide& to = product->GetOrCreateSide(key);
        to.GetSettings() = from.GetSettings();
        to.SetPicture(from.TakePicture());
        to.SetSecondPicture(from.TakeSecondPicture());
    }
    for (const std::string& code : codes)
        cache.SetUpToDate(code);
}
