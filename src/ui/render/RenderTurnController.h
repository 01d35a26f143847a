#pragma once
// Turning the product with the mouse on the Render tab. While the left button
// drags, quick drafts (magnification 1, Standard detail, at the size the
// picture is shown up to kDraftWidth x kDraftHeight) follow the mouse on a
// render thread of their own: each finished draft is shown, drafts overtaken
// by the mouse are skipped, and the drafts of one drag keep the texture levels
// and burnt faces of the first. When the mouse rests, the last draft is drawn
// again at magnification 2 (clean outlines). On release the new X and Y
// Rotation are handed on as one edit, which makes the full rendering.

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <memory>

class CRenderJob;
class CRenderPage;
class CRenderWorker;
class CEditService;
class CRenderService;

class CRenderTurnController : public QObject {
    Q_OBJECT
public:
    // Drafts at the size the picture is shown, at most this (window pixels).
    static constexpr int kDraftWidth = 800, kDraftHeight = 600;
    // The mouse resting this long (ms) during a drag refines the last draft
    // (magnification 2: clean outlines).
    static constexpr int kRestMs = 150;

    // Turns the product of `edits`' document on `page` (the Render tab of
    // `renders`); both services outlive the controller.
    CRenderTurnController(CEditService& edits, CRenderService& renders, CRenderPage* page, QObject* parent);
    ~CRenderTurnController() override;

    // The rotation (degrees, -limit .. limit) after a drag of `pixels` across a
    // picture `span` pixels wide or high: the whole span turns 120 degrees.
    static int TurnedAngle(int start, int pixels, int span, int limit) noexcept;

    bool IsTurning() const noexcept { return m_turning; }
    // Drafts shown during the last drag, and how many a second.
    int DraftsShown() const noexcept { return m_frames; }
    double DraftsPerSecond() const noexcept;
    // A rendering came back (made, failed or cancelled) and none is on its way.
    void RenderingDone();

signals:
    // The drag ended with another X Rotation or Y Rotation (degrees).
    void turned(int xRotation, int yRotation);

private:
    void OnStarted();
    void OnMoved(QPoint delta);
    void OnFinished(QPoint delta);
    void OnDraft(quint64 id, const std::shared_ptr<CRenderJob>& job);
    void OnRested();
    std::pair<int, int> Angles(QPoint delta) const;

    CEditService& m_edits;
    CRenderService& m_renders;
    CRenderPage* m_page;
    CRenderWorker* m_worker;
    // The copy of the document every draft of this drag is drawn from.
    std::unique_ptr<CRenderJob> m_source;
    bool m_turning = false;
    int m_x0 = 0, m_y0 = 0;        // rotation when the drag began
    int m_lastX = 0, m_lastY = 0;  // rotation of the last draft asked for
    QTimer m_rest;
    QElapsedTimer m_clock;
    qint64 m_firstMs = -1, m_lastMs = -1;
    int m_frames = 0;
};
