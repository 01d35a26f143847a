#include "ui/shell/RecoveryKeeper.h"

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// The keeper a stop signal or the end of the program writes through.
CRecoveryKeeper* g_keeper = nullptr;
// Signal handler -> event loop: the handler only writes the signal's number.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// The windowing layer ends the program with exit() when its display goes away.
void WriteAtExit()
{
    if (g_keeper)
        g_keeper->WriteNow();
}

} // namespace

CRecoveryKeeper::CRecoveryKeeper(CVtwinDoc& doc, const CAppFolders& folders, QObject* parent)
    : QObject(parent), m_doc(doc), m_store(folders.GetInternalFolder())
{
    m_seconds = folders.GetUserInt("Recovery", "AutosaveSeconds", CRecoveryStore::kDefaultAutosaveSeconds);
    if (m_seconds > 0) {
        connect(&m_timer, &QTimer::timeout, this, &CRecoveryKeeper::OnTimer);
        m_timer.start(std::min(m_seconds, 24 * 3600) * 1000);
    }
    g_keeper = this;
    static const bool registered = std::atexit(&WriteAtExit) == 0;
    (void)registered;
}

CRecoveryKeeper::~CRecoveryKeeper()
{
    if (g_keeper == this)
        g_keeper = nullptr;
    WaitForWrite();
}

void CRecoveryKeeper::WaitForWrite()
{
    if (m_write.valid())
        m_write.wait();
}

void CRecoveryKeeper::OnTimer()
{
    if (m_write.valid()) {
        if (m_write.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;  // the last write is still going
        if (!m_write.get())
            m_lastHash = 0;  // it failed: the same work is written again, not taken as kept
    }
    if (!m_doc.IsModified() || !m_doc.HasProduct()) {
        if (m_lastHash != 0)
            Saved();
        return;
    }
    auto snapshot = std::make_shared<CRecoveryStore::SSnapshot>();
    if (!m_store.TakeSnapshot(m_doc, *snapshot))
        return;
    const std::uint64_t hash = SFileStamp::Hash(snapshot->project.data(), snapshot->project.size());
    if (hash == m_lastHash)
        return;  // nothing new since the last write
    m_lastHash = hash;
    m_write = std::async(std::launch::async, [store = m_store, snapshot]() {
        std::string error;
        return store.WriteSnapshot(*snapshot, error);
    });
}

void CRecoveryKeeper::WriteNow()
{
    WaitForWrite();
    if (m_closing || !m_doc.IsModified() || !m_doc.HasProduct())
        return;
    CRecoveryStore::SSnapshot snapshot;
    std::string error;
    if (m_store.TakeSnapshot(m_doc, snapshot))
        m_store.WriteSnapshot(snapshot, error);
}

void CRecoveryKeeper::Saved()
{
    WaitForWrite();
    m_store.Remove();
    m_lastHash = 0;
}

void CRecoveryKeeper::Closing()
{
    Saved();
    m_closing = true;
    m_timer.stop();
}

void CRecoveryKeeper::CatchStopSignals()
{
    if (m_signalNotifier || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    m_signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, &CRecoveryKeeper::OnStopSignal);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void CRecoveryKeeper::OnStopSignal()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
    WriteNow();
    m_closing = true;  // what was unsaved stays in the recovery area
    QCoreApplication::exit(128 + byte);
}
