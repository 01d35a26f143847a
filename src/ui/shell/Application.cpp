#include "ui/shell/Application.h"

#include "ground/AppFolders.h"
#include "app/undo/UndoStore.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/setup/Setup.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/shell/MainFrame.h"
#include "ui/shell/RecoveryKeeper.h"
#include "ui/widgets/DialogPlacement.h"
#include "ui/shell/SingleInstance.h"
#include "ui/widgets/MessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <new>

CVtwinApplication::CVtwinApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Vantorel"));
    setApplicationVersion(QStringLiteral("2.10"));
    setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    InstallDialogPlacement();
}

CVtwinApplication::~CVtwinApplication() = default;

bool CVtwinApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        ShowMessage(activeWindow(), QStringLiteral("Out of memory"), EMessageIcon::Error);
    } catch (const std::exception& e) {
        ShowMessage(activeWindow(),
                    QStringLiteral("The command could not be completed:\n\n%1\n\nYour project is still open. If the "
                                   "last change looks wrong, undo it before you save.")
                        .arg(QString::fromLocal8Bit(e.what())),
                    EMessageIcon::Error);
    } catch (...) {
        ShowMessage(activeWindow(),
                    QStringLiteral("The command could not be completed because of an unexpected error.\n\n"
                                   "Your project is still open. If the last change looks wrong, undo it "
                                   "before you save."),
                    EMessageIcon::Error);
    }
    return false;
}

CVtwinApplication::SCommandLine CVtwinApplication::ParseCommandLine(const QStringList& arguments)
{
    SCommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--data-dir")) {
            if (i + 1 >= arguments.size()) {
                line.ok = false;
                line.error = QStringLiteral("The option --data-dir needs a folder.");
                return line;
            }
            line.dataDir = arguments[++i];
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            line.dataDir = a.mid(11);
        } else if (a.startsWith(QLatin1String("-")) && line.project.isEmpty() && a.size() > 1) {
            // Options of the windowing system were removed by Qt; ignore the rest.
        } else if (line.project.isEmpty()) {
            line.project = QFileInfo(a).absoluteFilePath();
        }
    }
    return line;
}

bool RunSetup(const CAppFolders& folders)
{
    SetupOptions options;
    options.installedDataFolder = FindInstalledDataFolder(GetExecutablePath());
    CSetupDialog dialog(folders, options);
    if (dialog.exec() != QDialog::Accepted) {
        ShowMessage(nullptr,
                    dialog.FailureMessage().isEmpty()
                        ? QStringLiteral("Vantorel could not prepare its data files. Please run Vantorel again.")
                        : dialog.FailureMessage(),
                    EMessageIcon::Error);
        return false;
    }
    return true;
}

void DeleteUndoFiles(const CAppFolders& folders, int count)
{
    for (int i = 0; i < count; ++i)
        QFile::remove(QString::fromStdString(folders.GetUndoFileName(i)));
}

bool CVtwinApplication::InitInstance(const QStringList& arguments, int& exitCode)
{
    exitCode = 0;
    const SCommandLine line = ParseCommandLine(arguments);
    if (!line.ok) {
        ShowMessage(nullptr, line.error, EMessageIcon::Error);
        exitCode = 2;
        return false;
    }
    // 1-2. One instance per data folder: a second start hands over its project.
    std::string error;
    auto folders = CAppFolders::Create(line.dataDir.toStdString(), error);
    if (!folders) {
        ShowMessage(nullptr, QString::fromStdString(error), EMessageIcon::Error);
        exitCode = 1;
        return false;
    }
    m_folders = std::make_unique<CAppFolders>(std::move(*folders));
    m_instance = std::make_unique<CSingleInstance>(
        QStringLiteral("QSL_QUILLSTONEHOLDINGS_VANTOREL:") + QString::fromStdString(m_folders->GetProgramFolder()));
    const QStringList forwarded = line.project.isEmpty() ? QStringList() : QStringList{line.project};
    if (m_instance->ForwardToRunning(forwarded))
        return false;
    m_instance->Listen();

    // 5-6. First run: the data files are prepared before anything else.
    if (m_folders->GetProgramInt("Init", "Template", 0) == 0) {
        ShowMessage(nullptr,
                    QStringLiteral("Thank you for trying Vantorel.\n\nVantorel needs to setup its data files before "
                                   "it can be used.\n\nThis process may take several minutes to complete. After you "
                                   "click OK, you may wish to take a coffee break."));
    }

    if (!RunSetup(*m_folders)) {
        exitCode = 1;
        return false;
    }

    // 7. Undo files left by an earlier run are stale; they and the temporary
    // files of saves that were killed belong to this data folder.
    m_folders->ClaimUndoFiles();
    CUndoStore::Instance().SetDepth(static_cast<std::size_t>(
        std::max(1, m_folders->UserSettings().GetInt("GUI", "UndoDepth", static_cast<int>(CUndoStore::kDefaultDepth)))));
    m_folders->RemoveLeftoverSaveFiles();

    // 8-10. The main window with the first document.
    m_frame = std::make_unique<CMainFrame>(QString::fromStdString(m_folders->GetInternalFolder()) +
                                           QStringLiteral("recent.ini"));
    m_frame->SetFolders(m_folders.get());
    ConnectHandOver(*m_instance, *m_frame);
    if (!line.project.isEmpty())
        m_frame->OpenProject(line.project);
    // Without a window manager "maximised" means nothing: fill the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_frame->setGeometry(screen->availableGeometry());
    m_frame->showMaximized();
    if (CRecoveryKeeper* recovery = m_frame->Recovery())
        recovery->CatchStopSignals();
    // Once the window is up: the recovery question needs it behind.
    QTimer::singleShot(0, m_frame.get(), [frame = m_frame.get()]() { frame->OfferRecovery(); });
    return true;
}

void CVtwinApplication::ConnectHandOver(CSingleInstance& instance, CMainFrame& frame)
{
    // Queued: the hand-over runs when the event loop is idle, never inside the
    // socket handler that received it.
    connect(
        &instance, &CSingleInstance::activationRequested, &frame,
        [&frame](const QStringList& args) {
            frame.Activate();
            if (!args.isEmpty())
                frame.OpenWhenIdle(args.first());
        },
        Qt::QueuedConnection);
}

void CVtwinApplication::ExitInstance()
{
    if (m_folders)
        DeleteUndoFiles(*m_folders);
    m_frame.reset();
}
