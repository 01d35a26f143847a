#pragma once
// "Preview": a docked draft of the product beside the face canvas, so that the
// designer sees the box while drawing on it. Made on a render thread of its
// own shortly after each edit (the edits of a burst are waited out first), at
// the size of the dock, with the drafts' quick settings. It pauses while
// hidden and while the Render tab shows the rendering itself.

#include <QDockWidget>

#include <memory>

class QTimer;
class CRenderJob;
class CRenderPage;
class CRenderWorker;
class CEditService;
class CRenderService;

class CPreviewDock : public QDockWidget {
    Q_OBJECT
public:
    // Previews the product of `edits`' document from the render cache of
    // `renders` (both outlive the dock). The window calls Schedule after
    // edits, tab changes and new documents.
    CPreviewDock(CEditService& edits, CRenderService& renders, QWidget* parent = nullptr);

    CRenderPage* Page() const { return m_page; }
    // Milliseconds an edit waits for the next before the preview is made.
    static constexpr int kDelayMs = 300;
    // Asks for a new preview after the delay (when something changed).
    void Schedule();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update();
    void OnDraft(quint64 id, const std::shared_ptr<CRenderJob>& job);

    CEditService& m_edits;
    CRenderService& m_renders;
    CRenderPage* m_page;
    CRenderWorker* m_worker;
    QTimer* m_timer;
    quint64 m_jobId = 0;
    // What the preview shows: the render cache's change count it was made from
    // and the page size it was made for.
    unsigned long long m_shownCount = ~0ull;
    QSize m_shownSize;
};
