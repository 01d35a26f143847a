#pragma once
// Keeps unsaved work recoverable: while the document has unsaved changes it
// is written to the recovery area every "AutosaveSeconds" of section
// "Recovery" in the user settings (default 60, 0 turns it off), in the
// background and never over the project file; and at once when the program
// is told to stop (SIGTERM, SIGHUP) or loses its display. A save or a clean
// exit removes the recovery file.

#include "app/RecoveryStore.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <future>

class CAppFolders;
class CVtwinDoc;
class QSocketNotifier;

class CRecoveryKeeper : public QObject {
    Q_OBJECT
public:
    CRecoveryKeeper(CVtwinDoc& doc, const CAppFolders& folders, QObject* parent = nullptr);
    ~CRecoveryKeeper() override;

    // Writes the unsaved work now, on this thread.
    void WriteNow();
    // The work was saved: nothing to recover until the next change.
    void Saved();
    // The program closes cleanly (changes saved or given up): nothing is kept.
    void Closing();
    // SIGTERM and SIGHUP write the work and end the program; a lost display
    // (the program ended from inside the windowing layer) writes it too.
    void CatchStopSignals();

    const CRecoveryStore& Store() const noexcept { return m_store; }
    int IntervalSeconds() const noexcept { return m_seconds; }

private slots:
    void OnTimer();
    void OnStopSignal();

private:
    void WaitForWrite();

    CVtwinDoc& m_doc;
    CRecoveryStore m_store;
    QTimer m_timer;
    int m_seconds = CRecoveryStore::kDefaultAutosaveSeconds;
    std::future<bool> m_write;
    std::uint64_t m_lastHash = 0;
    bool m_closing = false;
    QSocketNotifier* m_signalNotifier = nullptr;
};
