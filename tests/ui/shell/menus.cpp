// The menus as the keyboard reaches them: within every menu (the menu bar,
// each menu and submenu) no two entries share a mnemonic letter (the canvas's
// context menu: ui.canvas_commands); the letters are read from the menus
// themselves. The shortcuts of tools, zoom and render. Help: Contents opens
// the user manual that ships with the program (every menu command is
// described there), and the About box rolls its credits. Where dialogs and
// messages open: centred over the window they belong to (over the main window
// when they come from an in-place editor), inside the screen, and wide enough
// for their titles.

#include "UiTestSupport.h"

#include "ui/dialogs/AboutDialog.h"
#include "ui/grid/GridEditors.h"
#include "ui/widgets/DialogPlacement.h"

#include <QAction>
#include <QMainWindow>
#include <QScreen>

class CMenusTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<QMainWindow> m_window;
    CTestMessages m_messages;
    QTemporaryDir m_dir;

    QStringList Clashes() const
    {
        QStringList clashes;
        FindClashes(QStringLiteral("menu bar"), m_frame->menuBar()->actions(), clashes);
        return clashes;
    }
    static QPoint Centre(const QRect& r) { return {r.left() + r.width() / 2, r.top() + r.height() / 2}; }
    static bool Near(QPoint a, QPoint b) { return (a - b).manhattanLength() <= 2; }

private slots:
    void initTestCase() { InstallDialogPlacement(); }
    void init() { m_messages.Reset(); }
    void cleanup()
    {
        m_frame.reset();
        m_window.reset();
    }

    void mnemonicsAreUniqueInEveryMenu()
    {
        // The reading of a mnemonic the checks below rely on.
        QCOMPARE((QList<QChar>{Mnemonic(QStringLiteral("Save &As...")), Mnemonic(QStringLiteral("&Undo Move\tCtrl+Z")),
                               Mnemonic(QStringLiteral("Fish && &Chips")), Mnemonic(QStringLiteral("Ready\t&X")),
                               Mnemonic(QStringLiteral("Ends in &"))}),
                 (QList<QChar>{QChar('a'), QChar('u'), QChar('c'), QChar(), QChar()}));
        // The short menus of an empty window first.
        m_frame = std::make_unique<CMainFrame>(QString());
        QCOMPARE(Clashes(), QStringList());
        // The full menus of a box: every face tab shown in the View menu.
        QVERIFY(ShowBoxOnFront(m_frame));
        QCOMPARE(Clashes(), QStringList());
        // Every tab entry at once, as a product with all faces would show them.
        for (int id : {ID_TAB_FRONT, ID_TAB_SPINE, ID_TAB_PAGES_LEFT, ID_TAB_PAGES_RIGHT, ID_TAB_PAGES_TOP,
                       ID_TAB_PAGES_BOTTOM, ID_TAB_LEFT, ID_TAB_RIGHT, ID_TAB_TOP, ID_TAB_BOTTOM, ID_TAB_BACK, ID_TAB_CDROM,
                       ID_TAB_BACKGROUND, ID_TAB_LAYOUT, ID_TAB_RENDER})
            m_frame->Action(id)->setVisible(true);
        QCOMPARE(Clashes(), QStringList());
    }

    // The keys a designer uses all day: shown beside their menu entries, no
    // key on two commands, and a key on the canvas picks the tool.
    void shortcutsOfToolsZoomAndRender()
    {
        QVERIFY(ShowBoxOnFront(m_frame));
        const struct {
            int id;
            const char* key;
        } keys[] = {{ID_TOOL_SELECT, "V"}, {ID_TOOL_TEXT, "T"},    {ID_TOOL_LINE, "L"},    {ID_TOOL_RECT, "R"},
                    {ID_TOOL_ELLIPSE, "E"}, {ID_TOOL_POLYGON, "P"}, {ID_TOOL_PICTURE, "I"}, {ID_TOOL_BARCODE, "B"},
                    {ID_MARGIN, "M"},      {ID_ZOOM_FIT, "Ctrl+0"}, {ID_ZOOM_100, "Ctrl+1"}, {ID_ZOOM_IN, "Ctrl++"},
                    {ID_ZOOM_OUT, "Ctrl+-"}, {ID_TAB_RENDER, "F5"}};
        for (const auto& k : keys)
            QCOMPARE(m_frame->Action(k.id)->shortcut(), QKeySequence(QString::fromLatin1(k.key)));
        QHash<QKeySequence, QString> owner;
        for (QAction* a : m_frame->actions())
            for (const QKeySequence& key : a->shortcuts()) {
                QVERIFY2(!owner.contains(key), qPrintable(owner.value(key) + QStringLiteral(" / ") + a->text()));
                owner.insert(key, a->text());
            }
        CFaceCanvas& canvas = *m_frame->View()->Canvas();
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        QTest::keyClick(&canvas, Qt::Key_R);
        QCOMPARE(canvas.ToolMode(), int(kModeBox));
        QTest::keyClick(&canvas, Qt::Key_V);
        QCOMPARE(canvas.ToolMode(), int(kModeSelect));
        QTest::keyClick(&canvas, Qt::Key_F5);
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Render"));
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

    // A narrow dialog with a long title opens over its window, as wide as its title needs.
    void dialogsAndMessagesOpenOverTheirWindow()
    {
        SetMessageHooks(nullptr, nullptr);  // real message boxes
        m_window = std::make_unique<QMainWindow>();
        m_window->setGeometry(60, 40, 500, 360);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QDialog dialog(m_window.get());
        dialog.setWindowTitle(QStringLiteral("Page Depth Percentages"));
        dialog.resize(120, 90);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(10);
        QVERIFY(dialog.width() >= TitleWidth(dialog.windowTitle()));
        QVERIFY2(Near(Centre(dialog.frameGeometry()), Centre(m_window->frameGeometry())),
                 qPrintable(QStringLiteral("%1,%2").arg(dialog.x()).arg(dialog.y())));
        // Shown again after the window moved: over the window again.
        dialog.hide();
        m_window->move(200, 150);
        dialog.show();
        QTest::qWait(10);
        const QRect screen = m_window->screen()->availableGeometry();
        QVERIFY(screen.contains(dialog.frameGeometry()));
        if (screen.contains(m_window->frameGeometry()))
            QVERIFY(Near(Centre(dialog.frameGeometry()), Centre(m_window->frameGeometry())));
        dialog.hide();

        // A refusal from a borderless in-place editor opens over the main window,
        // not over the small editor nor in the screen's corner.
        CInPlaceEditor editor(CInPlaceEditor::EMode::Number, QStringLiteral("Bevel Size"), m_window.get());
        editor.SetRange(1, 25, QStringLiteral("pixels"));
        editor.setGeometry(QRect(m_window->geometry().topLeft() + QPoint(380, 300), QSize(110, 26)));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QRect box;
        QString text;
        QTimer::singleShot(100, [&] {
            if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box = shown->frameGeometry();
                text = shown->text();
                shown->accept();
            }
        });
        editor.SetText(QStringLiteral("0"));
        editor.accept();  // refused: the message comes up
        QCOMPARE(text, QStringLiteral("Bevel Size must be between 1 and 25 pixels."));
        QVERIFY2(Near(Centre(box), Centre(m_window->frameGeometry())),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
        QVERIFY(editor.isVisible());
    }
};

QTEST_MAIN(CMenusTest)
#include "menus.moc"
