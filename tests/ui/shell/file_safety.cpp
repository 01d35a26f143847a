// The desktop program and the project files it shares: a damaged file opens
// as an untitled copy, a project another program holds opens read-only, a
// save notices a file changed behind its back, and unsaved work of a run
// that ended is offered back. A second start hands its project to the first
// instance over the local socket while the first holds unsaved changes: the
// offer to save comes up in a real modal box, and each answer (Yes, No,
// Cancel) is followed through without losing the work or the program.

#include "UiTestSupport.h"

#include "app/project/ProjectLockFile.h"
#include "app/RecoveryStore.h"
#include "ui/dialogs/RecoverDialog.h"
#include "ui/shell/RecoveryKeeper.h"
#include "ui/shell/SingleInstance.h"

#include <QDataStream>
#include <QFileInfo>
#include <QLocalSocket>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

class CFileSafetyTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;
    QStringList m_choices;
    int m_choice = 0;
    QTemporaryDir m_dir;

    static QByteArray ReadAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The request a second start sends: a 32-bit size, then the arguments.
    static QByteArray Request(const QStringList& arguments)
    {
        QByteArray block;
        {
            QDataStream out(&block, QIODevice::WriteOnly);
            out << arguments;
        }
        QByteArray message;
        {
            QDataStream out(&message, QIODevice::WriteOnly);
            out << static_cast<quint32>(block.size());
        }
        return message + block;
    }

    QString Saved(const char* name)
    {
        GiveBoxProduct(*m_frame);
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        [&] { QVERIFY(m_frame->SaveProject(path)); }();
        return path;
    }

private slots:
    void init()
    {
        m_messages.Reset();
        m_choices.clear();
        SetChoiceHook([this](const QString& text, const QStringList&) {
            m_choices << text;
            return m_choice;
        });
        m_frame = std::make_unique<CMainFrame>(QString());
    }

    void cleanup() { m_frame.reset(); }

    void damagedHeldAndChangedProjects()
    {
        const QString path = Saved("box.vtp");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(34);  // the word after the signature and the two versions
        file.write("\xEF\xBE\xAD\xDE", 4);
        file.close();
        m_frame->Document()->OnNewDocument();
        // The window asks for the untitled copy (its message, the file left
        // as it is: ProjectFileOpen.DamagedFilesOpenAsUntitledCopiesOrAreRefused).
        QVERIFY(m_frame->OpenProject(path) && m_frame->Document()->HasProduct());
        QVERIFY(m_messages.messages.size() == 1 &&
                m_messages.messages[0].endsWith(QStringLiteral("It is opened as an untitled copy; the file is left as it is.")));
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Untitled* - Vantorel"));

        // A project another program holds opens read-only.
        const QString path2 = Saved("held.vtp");
        m_frame = std::make_unique<CMainFrame>(QString());  // closes it, giving its lock back
        const std::string lock = CProjectLockFile::PathFor(path2.toStdString());
        std::ofstream(lock) << "user=anna\nhost=" << CProjectLockFile::Me().host << "\npid=" << ::getppid() << "\ntime=0\n";
        m_choice = 1;  // Cancel
        QVERIFY(!m_frame->OpenProject(path2));
        QVERIFY(m_choices.size() == 1 && m_choices[0].startsWith(QStringLiteral("held.vtp is open in Vantorel by anna on ")));
        m_choice = 0;  // Open Read-Only
        QVERIFY(m_frame->OpenProject(path2));
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("held.vtp [Read-Only] - Vantorel"));
        QVERIFY(QFile::exists(QString::fromStdString(lock)));  // still the other program's
        ::unlink(lock.c_str());

        // A save notices a file changed behind its back.
        m_choices.clear();
        const QString shared = Saved("shared.vtp");
        QVERIFY(QFile::exists(QString::fromStdString(CProjectLockFile::PathFor(shared.toStdString()))));
        QFile changed(shared);
        QVERIFY(changed.open(QIODevice::Append) && changed.write("x") == 1);
        changed.close();
        m_choice = 2;  // Cancel
        QVERIFY(!m_frame->SaveProject(shared));
        QCOMPARE(m_choices, QStringList{QStringLiteral("shared.vtp was changed by another program since you opened it")});
        m_choice = 1;  // Overwrite
        QVERIFY(m_frame->SaveProject(shared) && m_frame->SaveProject(shared));  // unchanged since: no question
        QCOMPARE(m_choices.size(), 2);
    }

    void unsavedWorkOfAnEndedRunIsOfferedBack()
    {
        std::string error;
        auto folders = CAppFolders::Create(m_dir.filePath(QStringLiteral("data")).toStdString(), error);
        QVERIFY2(folders.has_value(), error.c_str());
        const QString path = Saved("lost.vtp");
        // A run that ended without saving: its recovery file and note stay behind.
        const pid_t child = ::fork();
        if (child == 0) {
            CRecoveryStore store(folders->GetInternalFolder());
            CRecoveryStore::SSnapshot snapshot;
            std::string why;
            ::_exit(store.TakeSnapshot(*m_frame->Document(), snapshot) && store.WriteSnapshot(snapshot, why) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 0);

        m_frame = std::make_unique<CMainFrame>(QString());
        m_frame->SetFolders(&*folders);
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<CRecoverDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Recover Unsaved Work"));
            QCOMPARE(dialog->List()->count(), 1);
            dialog->RecoverButton()->click();
        });
        m_frame->OfferRecovery();
        QVERIFY(m_frame->Document()->HasProduct());
        QCOMPARE(std::pair(QString::fromStdString(m_frame->Document()->GetPathName()), m_frame->windowTitle()),
                 std::pair(path, QStringLiteral("lost.vtp* - Vantorel")));
        // Offered once: it is this run's unsaved work now, and a save ends it.
        QVERIFY(m_frame->Recovery()->Store().FindOrphans().empty() && m_frame->SaveProject(path));
        QVERIFY(!m_frame->Recovery()->Store().HasOwnFile());
        m_frame.reset();
    }

    void aFailedRecoveryWriteIsTriedAgainWithoutANewChange()
    {
        std::string error;
        auto folders = CAppFolders::Create(m_dir.filePath(QStringLiteral("data2")).toStdString(), error);
        QVERIFY2(folders.has_value(), error.c_str());
        m_frame->SetFolders(&*folders);
        GiveBoxProduct(*m_frame);
        m_frame->Document()->SetModifiedFlag(true);
        CRecoveryKeeper* keeper = m_frame->Recovery();
        const auto tick = [keeper] { QMetaObject::invokeMethod(keeper, "OnTimer", Qt::DirectConnection); };
        // A file where the recovery folder belongs: the write fails.
        const std::string blocker = folders->GetInternalFolder() + "recovery";
        std::ofstream(blocker) << "x";
        tick();
        QTest::qWait(100);
        tick();  // collects the failed write
        QVERIFY(!keeper->Store().HasOwnFile());
        std::remove(blocker.c_str());
        // The work is unchanged since, and still not safe: the next ticks write it.
        QTRY_VERIFY_WITH_TIMEOUT((tick(), keeper->Store().HasOwnFile()), 5000);
        m_frame.reset();
    }
    void eachAnswerToTheSaveOfferIsFollowedThrough_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(QMessageBox::Yes);
        QTest::newRow("No") << int(QMessageBox::No);
        QTest::newRow("Cancel") << int(QMessageBox::Cancel);
    }

    void eachAnswerToTheSaveOfferIsFollowedThrough()
    {
        QFETCH(int, answer);
        QTemporaryDir dir;
        const QString handed = dir.filePath(QStringLiteral("handed.vtp"));
        const QString current = dir.filePath(QStringLiteral("current.vtp"));

        SetMessageHooks(nullptr, nullptr);  // the offer is a real box
        GiveBoxProduct(*m_frame, 300, 150);
        QVERIFY(m_frame->SaveProject(handed));
        GiveBoxProduct(*m_frame, 200, 100);
        QVERIFY(m_frame->SaveProject(current));
        const QByteArray saved = ReadAll(current);
        // Unsaved work: a new text size for the next text (stored in the project).
        m_frame->Document()->GetDrawingDefaults().text.size = 77;
        m_frame->Document()->SetModifiedFlag(true);
        m_frame->show();

        CSingleInstance first(QStringLiteral("hand-over-test-") + dir.path());
        QVERIFY(first.Listen());
        CVtwinApplication::ConnectHandOver(first, *m_frame);

        // The offer to save is a real modal box, answered once it shows.
        QString asked;
        QTimer answerer;
        answerer.setInterval(20);
        connect(&answerer, &QTimer::timeout, this, [&]() {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked = box->text();
            box->button(static_cast<QMessageBox::StandardButton>(answer))->click();
        });
        answerer.start();

        // The second start: sends its project, waits for the answer, goes away.
        QLocalSocket second;
        connect(&second, &QLocalSocket::readyRead, &second, [&second]() {
            second.readAll();
            second.disconnectFromServer();
        });
        second.connectToServer(first.ServerName());
        QVERIFY(second.waitForConnected(2000));
        second.write(Request({handed}));
        second.flush();

        QTRY_COMPARE_WITH_TIMEOUT(asked, QStringLiteral("Save changes to current.vtp?"), 5000);
        CVtwinDoc* doc = m_frame->Document();
        switch (answer) {
        case QMessageBox::Yes:
            // The work went into its file, then the handed project opened.
            QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(doc->GetPathName()), handed, 5000);
            QVERIFY(ReadAll(current) != saved && !doc->IsModified());
            break;
        case QMessageBox::No:
            QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(doc->GetPathName()), handed, 5000);
            QCOMPARE(ReadAll(current), saved);
            break;
        default:
            // The work stays open and unsaved; nothing else is opened.
            QTest::qWait(500);
            QCOMPARE(std::pair(QString::fromStdString(doc->GetPathName()), doc->GetDrawingDefaults().text.size),
                     std::pair(current, 77));
            QVERIFY(doc->IsModified() && ReadAll(current) == saved);
            break;
        }
        answerer.stop();
        // The program goes on: the event loop still runs and the window is there.
        QTest::qWait(50);
        QVERIFY(m_frame->isVisible());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CFileSafetyTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "file_safety.moc"
