// The pictures of the "Layout" and "Render" tabs: made on the render thread
// from a copy of the document (see CRenderJob), shown when they come back,
// cancelled by Esc, the status bar's Cancel button or a newer edit.

#include "ui/shell/VtwinView.h"

#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"
#include "ui/render/FlarePositionRecord.h"
#include "ui/render/RenderJob.h"
#include "ui/render/RenderPage.h"
#include "ui/render/RenderTurnController.h"
#include "ui/render/RenderWorker.h"
#include "ui/shell/MainFrame.h"
#include "ui/widgets/RasterImage.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QShortcut>
#include <QThread>
#include <QTimer>
#include <QStatusBar>
#include <QToolButton>

namespace {

// While the user-interface thread waits for a rendering (Render To File,
// Render To Clipboard), the window paints but takes no input, except Esc and
// the Cancel button, which stop the render.
class CWaitInputFilter : public QObject {
public:
    CWaitInputFilter(QWidget* cancelButton, std::function<void()> cancel)
        : m_button(cancelButton), m_cancel(std::move(cancel))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                m_cancel();
            return true;
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
        case QEvent::ContextMenu:
            return watched != m_button && event->type() != QEvent::MouseMove;
        default: return false;
        }
    }

private:
    QWidget* m_button;
    std::function<void()> m_cancel;
};

} // namespace

void CVtwinView::SetUpRendering()
{
    m_renderPage->SetTurnable(true);
    auto* turn = new CRenderTurnController(*this, *this, m_renderPage, this);
    connect(turn, &CRenderTurnController::turned, this, &CVtwinView::turnRequested);
    connect(this, &CVtwinView::renderingDone, turn, &CRenderTurnController::RenderingDone);
    m_worker = new CRenderWorker(this);
    connect(m_worker, &CRenderWorker::progress, this, &CVtwinView::OnRenderProgress);
    connect(m_worker, &CRenderWorker::finished, this, &CVtwinView::OnRenderFinished);
    m_cancelButton = new QToolButton(this);
    m_cancelButton->setObjectName(QStringLiteral("cancelRender"));
    m_cancelButton->setText(QStringLiteral("Cancel"));
    m_cancelButton->setToolTip(QStringLiteral("Stop the rendering (Esc)"));
    m_cancelButton->hide();
    connect(m_cancelButton, &QToolButton::clicked, this, &CVtwinView::CancelRendering);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setObjectName(QStringLiteral("cancelRenderKey"));
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    esc->setEnabled(false);
    connect(esc, &QShortcut::activated, this, &CVtwinView::CancelRendering);
    // Esc stops a render only where its picture is shown: on a face tab the
    // key belongs to the canvas.
    auto escState = [this, esc]() { esc->setEnabled(IsRendering() && !IsFaceTabShown()); };
    connect(this, &CVtwinView::tabChanged, this, escState);
    connect(this, &CVtwinView::renderingDone, this, escState);
    connect(m_worker, &CRenderWorker::progress, this, escState);
}

bool CVtwinView::IsRendering() const { return m_jobId != 0; }

void CVtwinView::ShowRenderTab() { SelectTab(QStringLiteral("Render")); }

void CVtwinView::ShowRenderBusy(bool busy)
{
    if (busy && m_cancelButton->parent() == this) {
        // The status bar exists once the frame is built: the button joins it then.
        m_frame->statusBar()->addPermanentWidget(m_cancelButton);
    }
    m_cancelButton->setVisible(busy && m_cancelButton->parent() != this);
    if (!busy)
        m_frame->SetProgress(-1);
}

void CVtwinView::ResetRenderData(bool keepPictures)
{
    if (m_jobId != 0) {
        m_worker->Cancel();
        m_jobId = 0;
        ShowRenderBusy(false);
        emit renderingDone();
    }
    m_pipeline->GetCache().Clear();
    m_backend->DiscardModel();
    if (keepPictures)
        return;
    m_layoutPage->SetPicture(QImage());
    m_renderPage->SetPicture(QImage());
}

void CVtwinView::RefreshPicture()
{
    CProduct* product = m_doc ? m_doc->GetProduct() : nullptr;
    const QString name = CurrentTabName();
    const bool render = name == QLatin1String("Render");
    if (!product || (!render && name != QLatin1String("Layout")))
        return;
    CRenderPage* page = render ? m_renderPage : m_layoutPage;
    const char* code = render ? "z" : "x";
    CRenderCache& cache = m_pipeline->GetCache();
    if (cache.IsUpToDate(code)) {
        const CSide* side = product->FindSidePtr(code);
        if (side && side->GetPicture())
            page->SetPicture(RasterToQImage(*side->GetPicture()));
        return;
    }
    if (m_jobId != 0 && m_jobCode == code && m_jobCount == cache.GetChangeCount())
        return;  // already on its way
    StartRender(code);
}

void CVtwinView::StartRender(const char* code)
{
    CRenderCache& cache = m_pipeline->GetCache();
    CRenderPage* page = std::string_view(code) == "z" ? m_renderPage : m_layoutPage;
    // The copy is taken here, on the user-interface thread; the render thread
    // reads nothing else of the document.
    std::unique_ptr<CRenderJob> job = CRenderJob::Create(*m_doc, cache, code);
    if (!job) {
        if (m_jobId != 0)
            CancelRendering();
        page->SetPicture(QImage());
        page->SetPlaceholder(QStringLiteral("The picture could not be made."));
        return;
    }
    m_jobCode = code;
    m_jobCount = cache.GetChangeCount();
    m_jobId = m_worker->Start(std::move(job), true);
    if (page->Picture().isNull())
        page->SetPlaceholder(QStringLiteral("Rendering..."));
    m_frame->SetProgress(0, QString::fromLatin1(CRenderProgress::kPrefix.data(), CRenderProgress::kPrefix.size()) +
                                QStringLiteral("Rendering"));
    ShowRenderBusy(true);
}

void CVtwinView::OnRenderProgress(quint64 id, const QString& status, int percent)
{
    if (id == m_jobId)
        m_frame->SetProgress(percent, status);
}

void CVtwinView::OnRenderFinished(quint64 id, const std::shared_ptr<CRenderJob>& job)
{
    if (id != m_jobId)
        return;  // superseded: a newer render is on its way
    m_jobId = 0;
    ShowRenderBusy(false);
    CRenderPage* page = job->Change() == "z" ? m_renderPage : m_layoutPage;
    CRenderCache& cache = m_pipeline->GetCache();
    if (job->WasCancelled()) {
        m_lastRenderOk = false;
        if (page->Picture().isNull())
            page->SetPlaceholder(QStringLiteral("The rendering was cancelled."));
        // A drag that stopped the render shows its drafts instead.
        if (!m_renderPage->IsTurning())
            m_frame->ShowStatus(QStringLiteral("The rendering was cancelled."));
    } else if (!m_doc || !m_doc->GetProduct() || cache.GetChangeCount() != job->StartCount()) {
        // The document changed while it was made: make it again where it is shown.
        RefreshPicture();
        if (m_jobId != 0)
            return;
    } else if (!job->Succeeded() || !job->Picture()) {
        m_lastRenderOk = false;
        page->SetPicture(QImage());
        page->SetPlaceholder(QStringLiteral("The picture could not be made."));
    } else {
        m_lastRenderOk = true;
        job->MoveInto(*m_doc, cache);
        const CSide* side = m_doc->GetProduct()->FindSidePtr(job->Change());
        page->SetPicture(side && side->GetPicture() ? RasterToQImage(*side->GetPicture()) : QImage());
        if (job->Change() == "z")
            emit renderingMade();
    }
    emit commandStateChanged();
    emit renderingDone();
}

void CVtwinView::CancelRendering()
{
    if (m_asideWorker)
        m_asideWorker->Cancel();
    if (m_jobId == 0)
        return;
    // The job comes back marked cancelled and is reported then.
    m_worker->Cancel();
}

void CVtwinView::HoldInputWhile(const std::function<bool()>& busy, std::function<void()> cancel)
{
    CWaitInputFilter filter(m_cancelButton, std::move(cancel));
    qApp->installEventFilter(&filter);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool wasWaiting = m_waiting;
    m_waiting = true;
    // Looked at every 20 ms: what ends the wait may be a signal from another
    // thread that was sent before anybody listened.
    QEventLoop loop;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!busy())
            loop.quit();
    });
    tick.start(20);
    if (busy())
        loop.exec();
    m_waiting = wasWaiting;
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&filter);
}

bool CVtwinView::WaitForRendering()
{
    if (m_jobId != 0)
        HoldInputWhile([this] { return m_jobId != 0; }, [this] { CancelRendering(); });
    return m_lastRenderOk;
}

std::shared_ptr<CRenderJob> CVtwinView::RenderAside(std::unique_ptr<CRenderJob> job)
{
    if (!job)
        return nullptr;
    if (!m_asideWorker) {
        m_asideWorker = new CRenderWorker(this);
        connect(m_asideWorker, &CRenderWorker::progress, this,
                [this](quint64, const QString& status, int percent) { m_frame->SetProgress(percent, status); });
    }
    std::shared_ptr<CRenderJob> back;
    const auto got = connect(m_asideWorker, &CRenderWorker::finished, this,
                             [&back](quint64, const std::shared_ptr<CRenderJob>& done) { back = done; });
    m_asideWorker->Start(std::move(job), true);
    m_frame->SetProgress(0, QString::fromLatin1(CRenderProgress::kPrefix.data(), CRenderProgress::kPrefix.size()) +
                                QStringLiteral("Rendering"));
    ShowRenderBusy(true);
    HoldInputWhile([&back] { return !back; }, [this] { m_asideWorker->Cancel(); });
    disconnect(got);
    ShowRenderBusy(IsRendering());
    return back;
}

void CVtwinView::RunAside(const QString& status, std::function<void()> work)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(work)));
    m_frame->SetProgress(0, status);
    thread->start();
    // Writing a file is not stopped half-way: Esc waits for it.
    HoldInputWhile([&thread] { return !thread->isFinished(); }, [] {});
    thread->wait();
    m_frame->SetProgress(IsRendering() ? 0 : -1);
}

void CVtwinView::RepositionFlare(int px, int py)
{
    CProduct* product = m_doc ? m_doc->GetProduct() : nullptr;
    const QImage& picture = m_renderPage->Picture();
    if (!product || picture.isNull() || product->GetSettings().GetInt(ModelKey(31)) == 0)
        return;
    const int w = picture.width(), h = picture.height();
    if (px < 0 || py < 0 || px >= w || py >= h)
        return;
    Undo().Push(std::make_unique<CFlarePositionRecord>(*m_doc), true);
    product->GetSettings().SetReal(ModelKey(33), static_cast<double>(px) / w);
    product->GetSettings().SetReal(ModelKey(34), static_cast<double>(py) / h);
    m_pipeline->GetCache().MarkStale("z");
    MarkModified();
    RefreshPicture();
    emit commandStateChanged();
}
