// Where dialogs and messages open: centred over the window they belong to
// (over the main window when they come from an in-place editor), inside the
// screen, and wide enough for their titles.

#include "UiTestSupport.h"

#include "ui/grid/GridEditors.h"
#include "ui/widgets/DialogPlacement.h"

#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

class CDialogPlacementTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QMainWindow> m_window;

    static QPoint Centre(const QRect& r) { return {r.left() + r.width() / 2, r.top() + r.height() / 2}; }
    static bool Near(QPoint a, QPoint b) { return (a - b).manhattanLength() <= 2; }

private slots:
    void initTestCase() { InstallDialogPlacement(); }

    void init()
    {
        m_window = std::make_unique<QMainWindow>();
        m_window->setGeometry(60, 40, 500, 360);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    // A narrow dialog with a long title opens over its window, as wide as its title needs.
    void dialogsAndMessagesOpenOverTheirWindow()
    {
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

QTEST_MAIN(CDialogPlacementTest)
#include "dialog_placement.moc"
