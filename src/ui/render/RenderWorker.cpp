#include "ui/render/RenderWorker.h"

#include "ui/render/RenderJob.h"

#include <QMetaObject>

CRenderWorker::CRenderWorker(QObject* parent) : QObject(parent)
{
    m_thread = std::thread([this] { Loop(); });
}

CRenderWorker::~CRenderWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_waiting.reset();
        if (m_running)
            m_running->Cancel();
    }
    m_wake.notify_all();
    m_thread.join();
}

quint64 CRenderWorker::Start(std::unique_ptr<CRenderJob> job, bool supersede)
{
    const quint64 id = ++m_lastId;
    job->SetThreads(m_threads);
    job->SetProgressSink([this, id](const std::string& status, int percent) {
        // Queued to the user-interface thread; dropped when the worker is gone.
        const QString text = QString::fromStdString(status);
        QMetaObject::invokeMethod(this, [this, id, text, percent] { emit progress(id, text, percent); },
                                  Qt::QueuedConnection);
    });
    bool dropped = false;
    {
        std::lock_guard lock(m_mutex);
        if (supersede && m_running)
            m_running->Cancel();
        dropped = m_waiting != nullptr;
        m_waiting = std::move(job);
        m_waitingId = id;
    }
    // A job replaced while waiting never runs and never comes back.
    if (!dropped)
        ++m_outstanding;
    m_wake.notify_one();
    return id;
}

void CRenderWorker::Cancel()
{
    // The job waiting is cancelled, not dropped: it comes back (cancelled at
    // once), so whoever waits for it hears of it.
    std::lock_guard lock(m_mutex);
    if (m_running)
        m_running->Cancel();
    if (m_waiting)
        m_waiting->Cancel();
}

void CRenderWorker::Loop()
{
    for (;;) {
        std::shared_ptr<CRenderJob> job;
        quint64 id = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_waiting; });
            if (m_stop)
                return;
            job = std::move(m_waiting);
            id = m_waitingId;
            m_running = job.get();
        }
        job->Run();
        {
            std::lock_guard lock(m_mutex);
            m_running = nullptr;
        }
        QMetaObject::invokeMethod(
            this,
            [this, id, job] {
                --m_outstanding;
                emit finished(id, job);
            },
            Qt::QueuedConnection);
    }
}
