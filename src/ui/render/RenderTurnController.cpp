#include "ui/render/RenderTurnController.h"

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"
#include "render/RenderPipeline.h"
#include "ui/render/RenderJob.h"
#include "ui/render/RenderPage.h"
#include "ui/render/RenderWorker.h"
#include "ui/render/RenderService.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/RasterImage.h"

#include <algorithm>
#include <cmath>

CRenderTurnController::CRenderTurnController(CEditService& edits, CRenderService& renders, CRenderPage* page,
                                             QObject* parent)
    : QObject(parent), m_edits(edits), m_renders(renders), m_page(page), m_worker(new CRenderWorker(this))
{
    setObjectName(QStringLiteral("renderTurn"));
    connect(page, &CRenderPage::turnStarted, this, &CRenderTurnController::OnStarted);
    connect(page, &CRenderPage::turnMoved, this, &CRenderTurnController::OnMoved);
    connect(page, &CRenderPage::turnFinished, this, &CRenderTurnController::OnFinished);
    connect(m_worker, &CRenderWorker::finished, this, &CRenderTurnController::OnDraft);
    m_rest.setSingleShot(true);
    m_rest.setInterval(kRestMs);
    connect(&m_rest, &QTimer::timeout, this, &CRenderTurnController::OnRested);
}

void CRenderTurnController::RenderingDone()
{
    // A rendering that came back without an offer (cancelled, failed, or no
    // turn made) gives the bar's room back.
    if (!m_turning)
        m_page->ReleaseTopBarRoom();
}

CRenderTurnController::~CRenderTurnController() = default;

int CRenderTurnController::TurnedAngle(int start, int pixels, int span, int limit) noexcept
{
    const double degrees = 120.0 * pixels / std::max(1, span);
    return std::clamp(start + static_cast<int>(std::lround(degrees)), -limit, limit);
}

double CRenderTurnController::DraftsPerSecond() const noexcept
{
    if (m_frames < 2 || m_lastMs <= m_firstMs)
        return 0.0;
    return 1000.0 * (m_frames - 1) / static_cast<double>(m_lastMs - m_firstMs);
}

std::pair<int, int> CRenderTurnController::Angles(QPoint delta) const
{
    // The front follows the mouse as if held: left turns it to the left
    // (Y Rotation grows), down tips it towards the viewer (X Rotation grows).
    const QRect shown = m_page->PictureRect();
    const int span = std::max(shown.width(), shown.height());
    // The product tips up to 60 degrees and turns all the way round.
    return {TurnedAngle(m_x0, delta.y(), span, 60), TurnedAngle(m_y0, -delta.x(), span, 180)};
}

void CRenderTurnController::OnStarted()
{
    CVtwinDoc* doc = m_edits.Document();
    if (!doc || !doc->GetProduct())
        return;
    const SettingStore& s = doc->GetProduct()->GetSettings();
    m_x0 = m_lastX = s.GetInt(ModelKey(kSetXRotation));
    m_y0 = m_lastY = s.GetInt(ModelKey(kSetYRotation));
    // A full render still on its way would land between the drafts.
    m_renders.CancelRendering();
    // The offer was for the picture being turned away; its room stays until
    // the turned rendering offers again, so the picture does not jump.
    m_page->HideTopBarKeepingRoom();
    // One copy of the document for the whole drag, taken here on the
    // user-interface thread: the drafts differ only in their angles.
    // Drafts at the size the picture is shown (at most kDraftWidth x
    // kDraftHeight, which the page scales up to the picture's place).
    SDraftOptions options;
    const QRect area = m_page->PictureRect();
    const double scale = std::min({1.0, static_cast<double>(kDraftWidth) / std::max(1, area.width()),
                                   static_cast<double>(kDraftHeight) / std::max(1, area.height())});
    options.width = std::max(50, static_cast<int>(area.width() * scale));
    options.height = std::max(50, static_cast<int>(area.height() * scale));
    options.drag = true;
    m_source = CRenderJob::CreateDraft(*doc, m_renders.Pipeline().GetCache(), options);
    if (!m_source)
        return;
    m_turning = true;
    m_frames = 0;
    m_firstMs = m_lastMs = -1;
    m_clock.start();
}

void CRenderTurnController::OnMoved(QPoint delta)
{
    CVtwinDoc* doc = m_edits.Document();
    if (!m_turning || !doc || !doc->GetProduct())
        return;
    const auto [x, y] = Angles(delta);
    if (x == m_lastX && y == m_lastY)
        return;
    m_lastX = x;
    m_lastY = y;
    if (std::unique_ptr<CRenderJob> job = CRenderJob::CreateTurnedDraft(*m_source, x, y))
        m_worker->Start(std::move(job), false);
    m_rest.start();
}

void CRenderTurnController::OnRested()
{
    if (!m_turning || !m_source)
        return;
    if (std::unique_ptr<CRenderJob> job = CRenderJob::CreateTurnedDraft(*m_source, m_lastX, m_lastY, 2))
        m_worker->Start(std::move(job), false);
}

void CRenderTurnController::OnFinished(QPoint delta)
{
    if (!m_turning)
        return;
    m_turning = false;
    m_rest.stop();
    m_worker->Cancel();
    m_source.reset();
    const auto [x, y] = Angles(delta);
    if (x != m_x0 || y != m_y0) {
        emit turned(x, y);
    } else {
        m_renders.RefreshPicture();
        if (!m_renders.IsRendering())
            m_page->ReturnTopBar();  // back where it was: the offer holds again
    }
}

void CRenderTurnController::OnDraft(quint64, const std::shared_ptr<CRenderJob>& job)
{
    if (!m_turning)
        return;
    if (const CRaster* picture = job->Picture()) {
        m_page->SetPicture(RasterToQImage(*picture));
        m_lastMs = m_clock.elapsed();
        if (m_frames++ == 0)
            m_firstMs = m_lastMs;
    }
}
