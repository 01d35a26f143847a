#pragma once
// One render made away from the user-interface thread. The worker never reads
// the document: the job carries its own copy of the product (settings, sides
// and pictures), of every face's draw objects and of the render cache, taken
// on the user-interface thread when the job is made. When the job comes back
// and nothing was marked stale in the meantime, the pictures it made are moved
// into the document as if the render had run there.

#include "render/RenderCache.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CFaceObjects;
class CRaster;
class CProduct;
class CVtwinDoc;

// Settings of a draft: smaller and quicker than the rendering it stands for.
struct SDraftOptions {
    int width = 0;   // fit the rendering into width x height, keeping its shape
    int height = 0;
    bool turn = false;  // replace the rotation
    int xRotation = 0;  // degrees
    int yRotation = 0;
    // The first of the drafts of one drag (CreateTurnedDraft): they keep one
    // backend and the burnt faces from draft to draft.
    bool drag = false;
};

class CRenderJob {
public:
    // Copies what a render of `change` reads. Null when the document has no
    // product or the copy could not be made (out of memory).
    static std::unique_ptr<CRenderJob> Create(const CVtwinDoc& doc, const CRenderCache& cache,
                                              std::string change);
    // A draft for the drag and the preview: the full render at magnification
    // 1 with Standard detail, at most `options` in size, never moved into
    // the document.
    static std::unique_ptr<CRenderJob> CreateDraft(const CVtwinDoc& doc, const CRenderCache& cache,
                                                   const SDraftOptions& options);

    // The project with its background left out (a picture with an alpha
    // plane), made from nothing prepared; never moved into the document.
    static std::unique_ptr<CRenderJob> CreateCutOut(const CVtwinDoc& doc);

    // The next draft of a drag: shares the copy of `first` (a draft), turned
    // to the given angles. The copy is taken once per drag; the drafts of one
    // drag must run one after another on one thread (one CRenderWorker), which
    // alone touches the shared copy.
    // `magnification` 2 makes the refined draft shown while the mouse rests.
    static std::unique_ptr<CRenderJob> CreateTurnedDraft(const CRenderJob& first, int xRotation, int yRotation,
                                                         int magnification = 1);

    ~CRenderJob();

    // Runs on the worker thread.
    void Run();
    void Cancel() noexcept { m_cancel.store(true, std::memory_order_relaxed); }
    bool IsCancelRequested() const noexcept { return m_cancel.load(std::memory_order_relaxed); }

    // Results (read on the user-interface thread after the job came back).
    const std::string& Change() const noexcept { return m_change; }
    bool IsDraft() const noexcept { return m_draft; }
    bool Succeeded() const noexcept { return m_ok; }
    bool WasCancelled() const noexcept { return m_cancelled; }
    // The pipeline's reason when the render failed (may be empty).
    const std::string& Error() const noexcept { return m_error; }
    // The render cache's change count when the copy was taken.
    unsigned long long StartCount() const noexcept { return m_startCount; }
    // The finished picture of the job ("z", or "x" for the layout preview).
    const class CRaster* Picture() const noexcept;

    // Hands the finished picture over (a cut-out's), null when there is none.
    std::unique_ptr<CRaster> TakePicture();

    // Moves the prepared pictures into the document's product and marks their
    // codes up to date in `cache`. Only for a full job whose StartCount still
    // equals the cache's change count.
    void MoveInto(CVtwinDoc& doc, CRenderCache& cache);

    // Progress of the render as it goes (called on the worker thread).
    using ProgressSink = std::function<void(const std::string& status, int percent)>;
    void SetProgressSink(ProgressSink sink) { m_sink = std::move(sink); }
    // Drawing threads for the pipeline (0: one per core).
    void SetThreads(int threads) noexcept { m_threads = threads; }

private:
    CRenderJob() = default;
    static std::unique_ptr<CRenderJob> Create(const CVtwinDoc& doc, const CRenderCache& cache, std::string change,
                                              bool draft);

    using ObjectLists = std::vector<std::pair<std::string, std::unique_ptr<CFaceObjects>>>;
    struct SDragState;
    // What the drafts of one drag keep from one to the next: the backend with
    // its texture levels and the faces burnt with their draw objects.
    std::shared_ptr<SDragState> m_drag;
    std::shared_ptr<CProduct> m_product;
    std::shared_ptr<ObjectLists> m_objects;
    // A draft of a shared copy keeps its own picture (the next draft draws into the copy).
    std::unique_ptr<CRaster> m_result;
    bool m_shared = false;
    bool m_turn = false;  // set the rotation on the worker thread before drawing
    int m_xRotation = 0, m_yRotation = 0;
    int m_magnification = 1;
    CRenderCache m_before;  // the document's cache when the copy was taken
    CRenderCache m_after;   // the worker's cache when the render ended
    std::string m_change;
    std::string m_error;
    unsigned long long m_startCount = 0;
    bool m_draft = false;
    bool m_cutOut = false;
    bool m_ok = false;
    bool m_cancelled = false;
    int m_threads = 0;
    std::atomic<bool> m_cancel{false};
    ProgressSink m_sink;
};
