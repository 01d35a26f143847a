#pragma once
// The application object: start-up in order (single instance, folders, first
// run, stale undo files, the main window), and a guard that keeps an exception
// or a failed allocation in an event handler from ending the program.

#include "ground/UndoFileCounter.h"
#include <QApplication>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class CAppFolders;
class CMainFrame;
class CSingleInstance;

class CVtwinApplication : public QApplication {
public:
    CVtwinApplication(int& argc, char** argv);
    ~CVtwinApplication() override;

    // Catches what an event handler throws: the user sees a message box and
    // the document stays as it was.
    bool notify(QObject* receiver, QEvent* event) override;

    // Start-up; false when the program should end at once (another instance
    // took the request, or a step failed). `exitCode` is then the code.
    bool InitInstance(const QStringList& arguments, int& exitCode);
    // Exit work: the undo files are removed.
    void ExitInstance();

    CMainFrame* Frame() const { return m_frame.get(); }
    const CAppFolders* Folders() const { return m_folders.get(); }

    // A later start's request: show the window and open its project (after
    // the offer to save the current one), from the event loop.
    static void ConnectHandOver(CSingleInstance& instance, CMainFrame& frame);

    // Parsed command line: "--data-dir DIR" and an optional project path.
    struct SCommandLine {
        QString dataDir;
        QString project;
        bool ok = true;
        QString error;
    };
    static SCommandLine ParseCommandLine(const QStringList& arguments);

private:
    std::unique_ptr<CAppFolders> m_folders;
    std::unique_ptr<CSingleInstance> m_instance;
    std::unique_ptr<CMainFrame> m_frame;
};

// Runs the first-run data setup in the "Initializing" progress dialog; returns
// at once when it already ran. False when it failed (after its message).
bool RunSetup(const CAppFolders& folders);

// Deletes the undo files numbered 0..count-1 in the internal folder.
void DeleteUndoFiles(const CAppFolders& folders, int count = CUndoFileCounter::kFileCount);
