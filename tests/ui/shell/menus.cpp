// The menus as the keyboard reaches them: within every menu (the menu bar,
// each menu and submenu) no two entries share a mnemonic letter (the canvas's
// context menu: ui.canvas_commands); the letters are read from the menus
// themselves. The shortcuts of tools, zoom and render.

#include "UiTestSupport.h"

#include "ui/shell/CommandIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

class CMenusTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;

    QStringList Clashes() const
    {
        QStringList clashes;
        FindClashes(QStringLiteral("menu bar"), m_frame->menuBar()->actions(), clashes);
        return clashes;
    }

private slots:
    void init()
    {
        m_messages = CTestMessages();
        m_messages.Install();
    }
    void cleanup() { m_frame.reset(); }

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
};

QTEST_MAIN(CMenusTest)
#include "menus.moc"
