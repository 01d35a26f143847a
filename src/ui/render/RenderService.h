#pragma once
// What the grid, the preview, the turn of the product and the output
// commands ask of the window's renderings: the render cache, the Render tab's
// picture and renders on a thread of their own. The main view provides it;
// these never reach into the view itself.

#include <QString>

#include <functional>
#include <memory>

class CRenderJob;
class CRenderPage;
class CRenderPipeline;

class CRenderService {
public:
    virtual ~CRenderService() = default;

    // The pipeline of the "Layout" and "Render" tabs (its cache knows what is stale).
    virtual CRenderPipeline& Pipeline() = 0;
    // The page of the Render tab.
    virtual CRenderPage* RenderPage() const = 0;
    // Shows the Render tab, its picture brought up to date.
    virtual void ShowRenderTab() = 0;
    // Brings the picture of the tab shown up to date (on the render thread).
    virtual void RefreshPicture() = 0;
    // True while a render is on its way.
    virtual bool IsRendering() const = 0;
    // Stops the render in flight; the tab keeps its older picture.
    virtual void CancelRendering() = 0;
    // Waits (the window painting, Esc cancelling) until no render is on its
    // way; false when the last one was cancelled or failed.
    virtual bool WaitForRendering() = 0;
    // Forgets every prepared picture; with `keepPictures` the tabs show the
    // older ones until the new ones come.
    virtual void ResetRenderData(bool keepPictures) = 0;
    // Renders `job` on a thread of its own and waits with its progress shown;
    // the job comes back made, failed or cancelled (null for a null job).
    virtual std::shared_ptr<CRenderJob> RenderAside(std::unique_ptr<CRenderJob> job) = 0;
    // Runs `work` (writing a file) on a thread of its own and waits, `status` shown.
    virtual void RunAside(const QString& status, std::function<void()> work) = 0;
};
