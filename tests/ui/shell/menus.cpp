// The menus as the keyboard reaches them: within every menu (the menu bar,
// each menu and submenu, the canvas's context menu) no two entries share a
// mnemonic letter. The letters are read from the menus themselves.

#include "UiTestSupport.h"

#include "ui/shell/CommandIds.h"

#include <QMenu>
#include <QMenuBar>

namespace {

// The mnemonic of a menu text: the character after a single "&" ("&&" is a
// plain ampersand); 0 when there is none. Text after a tab is the shortcut.
QChar Mnemonic(const QString& text)
{
    const QString label = text.section(QLatin1Char('\t'), 0, 0);
    for (int i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != QLatin1Char('&'))
            continue;
        if (label[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return label[i + 1].toLower();
    }
    return QChar();
}

// Entries of `menu` that share a mnemonic, as "menu: a / b"; submenus are
// checked in turn. Hidden entries cannot be reached and do not count.
void FindClashes(const QString& name, const QList<QAction*>& actions, QStringList& clashes)
{
    QHash<QChar, QString> seen;
    for (QAction* a : actions) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        const QChar m = Mnemonic(a->text());
        if (!m.isNull()) {
            if (seen.contains(m))
                clashes << QStringLiteral("%1: %2 / %3").arg(name, seen.value(m), a->text());
            else
                seen.insert(m, a->text());
        }
        if (a->menu())
            FindClashes(name + QLatin1String(" > ") + a->text(), a->menu()->actions(), clashes);
    }
}

} // namespace

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
        // The short menus of an empty window first.
        m_frame = std::make_unique<CMainFrame>(QString());
        QCOMPARE(Clashes(), QStringList());
        // The full menus of a box: every face tab shown in the View menu.
        QVERIFY(ShowBoxOnFront(m_frame));
        QCOMPARE(Clashes(), QStringList());
        // Every tab entry at once, as a product with all faces would show them.
        for (int id : {ID_TAB_FRONT, ID_TAB_SPINE, ID_TAB_PAGES_LEFT, ID_TAB_PAGES_RIGHT, ID_TAB_PAGES_TOP,
                       ID_TAB_PAGES_BOTTOM, ID_TAB_LEFT, ID_TAB_RIGHT, ID_TAB_TOP, ID_TAB_BOTTOM, ID_TAB_CDROM,
                       ID_TAB_BACKGROUND, ID_TAB_LAYOUT, ID_TAB_RENDER})
            m_frame->Action(id)->setVisible(true);
        QCOMPARE(Clashes(), QStringList());
    }

    void mnemonicsAreUniqueInTheContextMenu()
    {
        QVERIFY(ShowBoxOnFront(m_frame));
        m_frame->RunCommand(ID_ZOOM_100);
        CFaceCanvas& canvas = *m_frame->View()->Canvas();
        // One object, then two: the long menu adds Align and Make Same Size.
        for (int x : {10, 60}) {
            m_frame->RunCommand(ID_TOOL_RECT);
            QTest::mousePress(&canvas, Qt::LeftButton, {}, At(canvas, x, 90));
            QTest::mouseMove(&canvas, At(canvas, x + 15, 75));
            QTest::mouseMove(&canvas, At(canvas, x + 30, 60));
            QTest::mouseRelease(&canvas, Qt::LeftButton, {}, At(canvas, x + 30, 60));
            m_frame->RunCommand(ID_TOOL_SELECT);
            if (x == 60)
                for (std::size_t i = 0; i < FaceList(*m_frame, "F").GetObjectCount(); ++i)
                    FaceList(*m_frame, "F").GetObject(i)->SetSelection(i == 0 ? kSelectOn : kSelectDominant);
            std::unique_ptr<QMenu> menu(m_frame->View()->BuildContextMenu());
            QVERIFY(menu);
            QStringList clashes;
            FindClashes(QStringLiteral("context menu"), menu->actions(), clashes);
            QCOMPARE(clashes, QStringList());
        }
        QCOMPARE(FaceList(*m_frame, "F").GetObjectCount(), std::size_t(2));
    }

    void mnemonicOfAText()
    {
        // The reading the checks above rely on.
        QCOMPARE(Mnemonic(QStringLiteral("Save &As...")), QChar('a'));
        QCOMPARE(Mnemonic(QStringLiteral("&Undo Move\tCtrl+Z")), QChar('u'));
        QCOMPARE(Mnemonic(QStringLiteral("Fish && &Chips")), QChar('c'));
        QCOMPARE(Mnemonic(QStringLiteral("Ready\t&X")), QChar());
        QCOMPARE(Mnemonic(QStringLiteral("Ends in &")), QChar());
    }
};

QTEST_MAIN(CMenusTest)
#include "menus.moc"
