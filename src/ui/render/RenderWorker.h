#pragma once
// A thread that runs render jobs one after another, away from the user-interface
// thread, so that the window stays responsive while a picture is made.
//
// At most one job runs and one waits. Start with `supersede` cancels the job in
// flight (a newer edit makes its picture useless); without it the job in flight
// finishes and the new one replaces only the one waiting (drafts while the
// mouse moves: each finished draft is shown, the ones overtaken are skipped).
// Progress and the finished job come back on the user-interface thread as
// signals; a job comes back also when it was cancelled.

#include <QObject>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class CRenderJob;

class CRenderWorker : public QObject {
    Q_OBJECT
public:
    explicit CRenderWorker(QObject* parent = nullptr);
    // Cancels whatever runs and waits for the thread to end.
    ~CRenderWorker() override;

    // Hands a job over; returns its number (numbers grow from 1).
    quint64 Start(std::unique_ptr<CRenderJob> job, bool supersede);
    // Cancels the job in flight and the one waiting (both come back cancelled).
    void Cancel();
    // A job runs or waits (as the user-interface thread last heard).
    bool IsBusy() const noexcept { return m_outstanding > 0; }
    // Drawing threads given to each job's pipeline (0: one per core).
    void SetThreads(int threads) noexcept { m_threads = threads; }

signals:
    void progress(quint64 id, const QString& status, int percent);
    // The job is back (finished, failed or cancelled).
    void finished(quint64 id, std::shared_ptr<CRenderJob> job);

private:
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::unique_ptr<CRenderJob> m_waiting;
    quint64 m_waitingId = 0;
    CRenderJob* m_running = nullptr;
    bool m_stop = false;
    quint64 m_lastId = 0;
    int m_outstanding = 0;  // started and not yet back (user-interface thread only)
    int m_threads = 0;
    std::thread m_thread;
};
