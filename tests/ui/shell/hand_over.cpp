// A second start hands its project to the first instance over the local
// socket while the first holds unsaved changes: the offer to save comes up in
// a real modal box, and each answer (Yes, No, Cancel) is followed through
// without losing the work or the program.

#include "UiTestSupport.h"

#include "ui/shell/Application.h"
#include "ui/shell/SingleInstance.h"

#include <QAbstractButton>
#include <QDataStream>
#include <QFile>
#include <QLocalSocket>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

class CHandOverTest : public QObject {
    Q_OBJECT

private:
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

private slots:
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

        auto frame = std::make_unique<CMainFrame>(QString());
        GiveBoxProduct(*frame, 300, 150);
        QVERIFY(frame->SaveProject(handed));
        GiveBoxProduct(*frame, 200, 100);
        QVERIFY(frame->SaveProject(current));
        const QByteArray saved = ReadAll(current);
        // Unsaved work: a new text size for the next text (stored in the project).
        frame->Document()->GetDrawingDefaults().text.size = 77;
        frame->Document()->SetModifiedFlag(true);
        frame->show();

        CSingleInstance first(QStringLiteral("hand-over-test-") + dir.path());
        QVERIFY(first.Listen());
        CVtwinApplication::ConnectHandOver(first, *frame);

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
        CVtwinDoc* doc = frame->Document();
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
        QVERIFY(frame->isVisible());
    }
};

QTEST_MAIN(CHandOverTest)
#include "hand_over.moc"
