// The first-run "Initializing" dialog: a refused start for too little free
// space, a run that ends with the bar full and the setup recorded, and a
// second start that closes at once. (A whole first run is the setup's own
// test; here the test run's set-up folder has lost its record and a picture,
// as after an interrupted first run.)

#include "UiTestSupport.h"
#include "TestDataFolder.h"

#include "ground/AppFolders.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/setup/Setup.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/shell/Application.h"

#include <QLabel>
#include <QFile>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>

class CSetupDialogTest : public QObject {
    Q_OBJECT

private:
    static SetupOptions Options(std::uint64_t freeBytes)
    {
        SetupOptions options;
        options.installedDataFolder = FindInstalledDataFolder(GetExecutablePath());
        options.freeSpace = [freeBytes](const std::string&) { return std::optional<std::uint64_t>(freeBytes); };
        return options;
    }

private slots:
    void refusesWithTooLittleFreeSpace()
    {
        QTemporaryDir dir;
        std::string error;
        auto folders = CAppFolders::Create(dir.path().toStdString(), error);
        QVERIFY2(folders, error.c_str());
        // Exactly the amount the setup needs is one byte too few.
        const std::uint64_t required = CSetup(*folders, Options(0), {}).GetRequiredFreeBytes();
        CSetupDialog dialog(*folders, Options(required));
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(dialog.Outcome() == SetupOutcome::Failed);
        // The message's wording is the core's (SetupFreeSpace.RefusesAtTheBoundary).
        QVERIFY(dialog.FailureMessage().contains(QString::fromStdString(CSetup::FormatByteCount(required) + " bytes")));
        QCOMPARE(folders->GetProgramInt("Init", "Template", 0), 0);
    }

    void runFillsTheBarAndIsNotRepeated()
    {
        QTemporaryDir dir;
        std::string error;
        auto folders = MakeSetUpDataFolder((dir.path() + QStringLiteral("/data")).toStdString(), error);
        QVERIFY2(folders, error.c_str());
        QVERIFY2(!Options(0).installedDataFolder.empty(), "installed data not built");
        QVERIFY(folders->PutProgramInt("Init", "Template", 0));
        QVERIFY(QFile::remove(QString::fromStdString(folders->GetInternalFolder() + "ecd_c000.png")));
        {
            CSetupDialog dialog(*folders, Options(CSetup(*folders, Options(0), {}).GetRequiredFreeBytes() + 1));
            QCOMPARE(dialog.findChild<QProgressBar*>(QStringLiteral("progress"))->maximum(), CSetup::kTotalSteps);
            QCOMPARE(dialog.exec(), int(QDialog::Accepted));
            QVERIFY(dialog.Outcome() == SetupOutcome::Completed && dialog.Position() == CSetup::kTotalSteps);
            // The last group and its last item are still on show when it ends.
            QCOMPARE(dialog.StepText(), QStringLiteral("Setting up Model data"));
            QVERIFY2(dialog.DetailText().startsWith(QStringLiteral("Processing: ")), qPrintable(dialog.DetailText()));
            static const QRegularExpression estimate(QStringLiteral("^((\\d+ Minutes? )?\\d+ Seconds?)?$"));
            QVERIFY2(estimate.match(dialog.EstimateText()).hasMatch(), qPrintable(dialog.EstimateText()));
            // The fixed texts of the dialog.
            QStringList texts;
            for (QLabel* l : dialog.findChildren<QLabel*>())
                texts << l->text();
            for (const char* text : {"Estimated Time Remaining:", "Please Wait",
                                     "Note: This process may take several minutes, the first time that Vantorel is used on "
                                     "your computer."})
                QVERIFY2(texts.contains(QLatin1String(text)), text);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Initializing"));
        }
        QCOMPARE(folders->GetProgramInt("Init", "Template", 0), 1);
        QVERIFY(IsCompleteFile(folders->GetInternalFolder() + "ecd_c000.png"));

        // A later start closes at once without showing anything.
        CSetupDialog again(*folders, Options(0));
        QCOMPARE(again.exec(), int(QDialog::Accepted));
        QVERIFY(again.Outcome() == SetupOutcome::AlreadyDone && !again.isVisible());
        // The start-up helper agrees and says nothing.
        CTestMessages messages;
        messages.Install();
        QVERIFY(RunSetup(*folders));
        QVERIFY(messages.messages.isEmpty());
        SetMessageHooks(nullptr, nullptr);
    }
};

QTEST_MAIN(CSetupDialogTest)
#include "setup_dialog.moc"
