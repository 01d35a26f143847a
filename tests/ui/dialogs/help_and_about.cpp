// Help menu: Contents opens the user manual that ships with the program (every
// menu command is described there), and the About box rolls its credits.

#include "UiTestSupport.h"

#include "ui/dialogs/AboutDialog.h"

#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QUrl>

class CHelpAndAboutTest : public QObject {
    Q_OBJECT

private:
    CTestMessages m_messages;
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        m_messages = CTestMessages();
        m_messages.Install();
    }

    void contentsOpensTheManualDescribingEveryMenuCommand()
    {
        CMainFrame frame(m_dir.filePath(QStringLiteral("recent.ini")));
        GiveBoxProduct(frame);
        QList<QUrl> opened;
        CMainFrame::HelpOpener() = [&opened](const QUrl& url) {
            opened << url;
            return true;
        };
        QVERIFY(frame.RunCommand(ID_HELP_FINDER));
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].isLocalFile());
        QFile page(opened[0].toLocalFile());
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(m_messages.messages.isEmpty());

        // Each command of the full menus appears in the manual by its menu text
        // (without the mnemonic mark and the shortcut).
        QStringList missing;
        std::function<void(QMenu*)> walk = [&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->menu()) {
                    walk(action->menu());
                    continue;
                }
                QString text = action->text().section(QLatin1Char('\t'), 0, 0);
                text.remove(QLatin1Char('&'));
                if (text.isEmpty() || action->isSeparator() || !action->isVisible() || text.contains(QLatin1Char('%')))
                    continue;
                if (text.endsWith(QLatin1String("...")))
                    text.chop(3);
                if (!html.contains(text.toHtmlEscaped(), Qt::CaseInsensitive))
                    missing << text;
            }
        };
        for (QAction* top : frame.menuBar()->actions())
            if (top->menu())
                walk(top->menu());
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    void aboutBoxRollsItsCredits()
    {
        CAboutDialog about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY(CAboutDialog::Credits().contains(QStringLiteral("The Vantorel developers")));
        const int before = about.ScrollOffset();
        QTRY_VERIFY_WITH_TIMEOUT(about.ScrollOffset() >= before + 5, 5000);
        about.accept();
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CHelpAndAboutTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "help_and_about.moc"
