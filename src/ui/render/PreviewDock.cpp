#include "ui/render/PreviewDock.h"

#include "app/VtwinDoc.h"
#include "image/Raster.h"
#include "render/RenderPipeline.h"
#include "ui/render/RenderJob.h"
#include "ui/render/RenderPage.h"
#include "ui/render/RenderWorker.h"
#include "ui/render/RenderService.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/RasterImage.h"

#include <QEvent>
#include <QTimer>

CPreviewDock::CPreviewDock(CEditService& edits, CRenderService& renders, QWidget* parent)
    : QDockWidget(QStringLiteral("Preview"), parent), m_edits(edits), m_renders(renders), m_page(new CRenderPage(this)),
      m_worker(new CRenderWorker(this)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("previewDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_page->setObjectName(QStringLiteral("previewPicture"));
    m_page->setMinimumSize(200, 200);
    m_page->SetPlaceholder(QString());
    setWidget(m_page);
    m_page->installEventFilter(this);
    toggleViewAction()->setText(QStringLiteral("Previe&w"));
    toggleViewAction()->setStatusTip(QStringLiteral("Show or hide the preview of the product"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(kDelayMs);
    connect(m_timer, &QTimer::timeout, this, &CPreviewDock::Update);
    connect(m_worker, &CRenderWorker::finished, this, &CPreviewDock::OnDraft);
}

void CPreviewDock::Schedule()
{
    // Restarted by each edit of a burst: the preview is made once it is over.
    m_timer->start();
}

void CPreviewDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    Schedule();
}

bool CPreviewDock::eventFilter(QObject* watched, QEvent* event)
{
    // A new size of the dock asks for a preview of that size.
    if (watched == m_page && event->type() == QEvent::Resize)
        Schedule();
    return QDockWidget::eventFilter(watched, event);
}

void CPreviewDock::Update()
{
    CVtwinDoc* doc = m_edits.Document();
    if (!doc || !doc->GetProduct()) {
        m_worker->Cancel();
        m_jobId = 0;
        m_shownCount = ~0ull;
        m_page->SetPicture(QImage());
        return;
    }
    if (isHidden() || m_edits.CurrentTabName() == QLatin1String("Render"))
        return;
    const CRenderCache& cache = m_renders.Pipeline().GetCache();
    const QSize size = m_page->size();
    if (cache.GetChangeCount() == m_shownCount && size == m_shownSize)
        return;
    SDraftOptions options;
    options.width = std::max(50, size.width());
    options.height = std::max(50, size.height());
    // The copy is taken here, on the user-interface thread.
    std::unique_ptr<CRenderJob> job = CRenderJob::CreateDraft(*doc, cache, options);
    if (!job)
        return;
    m_shownCount = cache.GetChangeCount();
    m_shownSize = size;
    m_jobId = m_worker->Start(std::move(job), true);
}

void CPreviewDock::OnDraft(quint64 id, const std::shared_ptr<CRenderJob>& job)
{
    if (id != m_jobId)
        return;
    m_jobId = 0;
    if (const CRaster* picture = job->Picture())
        m_page->SetPicture(RasterToQImage(*picture));
    else if (job->WasCancelled())
        m_shownCount = ~0ull;  // make it again at the next chance
}
