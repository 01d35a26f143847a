// The main window: menus, their letters and shortcuts and their enable/check
// rules, face tabs, zoom commands and the Custom Zoom dialog, recent files,
// project files and the modified-document prompt, single instance, and the
// exception guard. Help: Contents opens the user manual that ships with the
// program (every menu command is described there), and the About box rolls
// its credits. Where dialogs and messages open: centred over the window they
// belong to (over the main window when they come from an in-place editor),
// inside the screen, and wide enough for their titles.

#include "UiTestSupport.h"

#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/CustomZoomDialog.h"
#include "ui/grid/GridEditors.h"
#include "ui/render/RenderWorker.h"
#include "ui/shell/RecentFileList.h"
#include "ui/shell/SingleInstance.h"
#include "ui/widgets/DialogPlacement.h"

#include <QAction>
#include <QDropEvent>
#include <QMainWindow>
#include <QScreen>

class CMainFrameTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
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

    QStringList VisibleMenus() const
    {
        QStringList titles;
        for (QAction* a : m_frame->menuBar()->actions())
            if (a->isVisible())
                titles << a->text();
        return titles;
    }

private slots:
    void initTestCase() { InstallDialogPlacement(); }
    void init()
    {
        m_messages.Reset();
        CUndoStore::Instance().Clear();
        m_frame = std::make_unique<CMainFrame>(m_dir.filePath(QStringLiteral("recent.ini")));
        QVERIFY(Shown(*m_frame, {1200, 900}));
    }
    void cleanup() { m_frame.reset(); }

    // Short menus without a product, full ones with it; within every menu (the
    // menu bar, each menu and submenu) no two entries share a mnemonic letter
    // (the canvas's context menu: ui.canvas_commands), read from the menus themselves.
    void menusFollowTheProductWithALetterEach()
    {
        // The reading of a mnemonic the checks below rely on.
        QCOMPARE((QList<QChar>{Mnemonic(QStringLiteral("Save &As...")), Mnemonic(QStringLiteral("&Undo Move\tCtrl+Z")),
                               Mnemonic(QStringLiteral("Fish && &Chips")), Mnemonic(QStringLiteral("Ready\t&X")),
                               Mnemonic(QStringLiteral("Ends in &"))}),
                 (QList<QChar>{QChar('a'), QChar('u'), QChar('c'), QChar(), QChar()}));
        QCOMPARE(VisibleMenus(), (QStringList{"&File", "&View", "&Help"}));
        QCOMPARE(Clashes(), QStringList());
        QCOMPARE(m_frame->View()->TabNames(), QStringList());
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Untitled - Vantorel"));
        GiveBoxProduct(*m_frame);
        QCOMPARE(VisibleMenus(), (QStringList{"&File", "&Edit", "&View", "&Draw", "Fa&ce", "&Render", "&Help"}));
        QCOMPARE(Clashes(), QStringList());
        QCOMPARE(m_frame->View()->TabNames(),
                 (QStringList{"Front", "Left", "Right", "Top", "Bottom", "Background", "Layout", "Render"}));
        // Face entries of faces a box lacks are not in the View menu.
        QCOMPARE((std::array{m_frame->Action(ID_TAB_SPINE)->isVisible(), m_frame->Action(ID_TAB_CDROM)->isVisible(),
                             m_frame->Action(ID_TAB_FRONT)->isVisible()}),
                 (std::array{false, false, true}));
        // The tab strip is really there.
        QVERIFY(m_frame->View()->TabBar()->isVisible() && m_frame->View()->TabBar()->height() >= 16);
        // Every toolbar button has an icon.
        for (QToolBar* bar : {m_frame->MainToolBar(), m_frame->EditToolBar(), m_frame->DrawToolBar()})
            for (QAction* a : bar->actions())
                if (!a->isSeparator() && a->objectName().startsWith(QLatin1String("cmd")))
                    QVERIFY2(!a->icon().pixmap(24, 24).isNull(), qPrintable(a->text()));
        // Every tab entry at once, as a product with all faces would show them.
        for (int id : {ID_TAB_FRONT, ID_TAB_SPINE, ID_TAB_PAGES_LEFT, ID_TAB_PAGES_RIGHT, ID_TAB_PAGES_TOP,
                       ID_TAB_PAGES_BOTTOM, ID_TAB_LEFT, ID_TAB_RIGHT, ID_TAB_TOP, ID_TAB_BOTTOM, ID_TAB_BACK, ID_TAB_CDROM,
                       ID_TAB_BACKGROUND, ID_TAB_LAYOUT, ID_TAB_RENDER})
            m_frame->Action(id)->setVisible(true);
        QCOMPARE(Clashes(), QStringList());
    }

    void tabCommandsStepAcrossAndAddingABackIsOneUndoStep()
    {
        GiveBoxProduct(*m_frame);
        QVERIFY(m_frame->Action(ID_TAB_FRONT)->isChecked() && !m_frame->Action(ID_TAB_PREVIOUS)->isEnabled());
        QVERIFY(!m_frame->RunCommand(ID_TAB_PREVIOUS));
        QVERIFY(m_frame->RunCommand(ID_TAB_RENDER));
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Render"));
        QCOMPARE((std::array{m_frame->Action(ID_TAB_RENDER)->isChecked(), m_frame->Action(ID_TAB_FRONT)->isChecked(),
                             m_frame->Action(ID_TAB_NEXT)->isEnabled()}),
                 (std::array{true, false, false}));
        QVERIFY(m_frame->RunCommand(ID_TAB_PREVIOUS));
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Layout"));
        // No face tab: no zoom.
        QVERIFY(!m_frame->Action(ID_ZOOM_IN)->isEnabled());
        QVERIFY(m_frame->RunCommand(ID_TAB_TOP));
        QVERIFY(m_frame->Action(ID_ZOOM_IN)->isEnabled());

        // A box made before backs existed gains one as one undo step: its tab and
        // View entry come and go with undo and redo, the title shows the change.
        const QStringList without = m_frame->View()->TabNames();
        // The Back entry shown, the command spent, the title changed.
        const auto state = [this] {
            return std::array{m_frame->Action(ID_TAB_BACK)->isVisible(), m_frame->Action(ID_FACE_ADD_BACK)->isEnabled(),
                              m_frame->windowTitle().contains(QLatin1Char('*'))};
        };
        QVERIFY(m_frame->RunCommand(ID_FACE_ADD_BACK));
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Back"));
        QCOMPARE(state(), (std::array{true, false, true}));
        QCOMPARE(m_frame->Document()->GetProduct()->FindSidePtr("B")->GetPicture()->GetWidth(), 200);
        QVERIFY(m_frame->RunCommand(ID_EDIT_UNDO));
        QCOMPARE(m_frame->View()->TabNames(), without);
        QCOMPARE(state(), (std::array{false, true, false}));
        QVERIFY(m_frame->RunCommand(ID_EDIT_REDO));
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Back"));
        QCOMPARE(m_frame->View()->TabNames().size(), without.size() + 1);
    }

    void zoomLevelsAndTheCustomZoomText()
    {
        GiveBoxProduct(*m_frame);
        m_frame->RunCommand(ID_ZOOM_200);
        QVERIFY(m_frame->Action(ID_ZOOM_200)->isChecked() && !m_frame->Action(ID_ZOOM_FIT)->isChecked());
        QCOMPARE(m_frame->Action(ID_ZOOM_CUSTOM)->text(), QStringLiteral("&Custom Zoom (200%)..."));
        m_frame->RunCommand(ID_ZOOM_IN);
        QCOMPARE(m_frame->Action(ID_ZOOM_CUSTOM)->text(), QStringLiteral("&Custom Zoom (400%)..."));
        // The status bar shows the zoom of a face, and none on the Render tab.
        auto* zoomLabel = m_frame->findChild<QLabel*>(QStringLiteral("zoomLabel"));
        QVERIFY(zoomLabel && zoomLabel->text() == QStringLiteral("400%"));
        QVERIFY(ShowRenderTab(*m_frame));
        QCOMPARE(zoomLabel->text(), QString());
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        QCOMPARE(zoomLabel->text(), QStringLiteral("400%"));
        // Each face keeps its own zoom.
        m_frame->RunCommand(ID_TAB_LEFT);
        QVERIFY(m_frame->Action(ID_ZOOM_FIT)->isChecked());
        m_frame->RunCommand(ID_TAB_FRONT);
        QVERIFY(m_frame->Action(ID_ZOOM_400)->isChecked());
        // The steps from other zooms: ZoomState.StepsFollowTheLevelsAndNewFacesFit.

        // A fitted zoom follows the window's size, and the menu text with it.
        QVERIFY(m_frame->RunCommand(ID_ZOOM_FIT));
        QApplication::processEvents();
        const CZoomEntry* entry = m_frame->View()->ZoomMap().Find("Front");
        QVERIFY(entry && entry->fit);
        const int before = entry->Percent();
        m_frame->resize(800, 600);
        QTRY_VERIFY(entry->Percent() != before);
        QTRY_COMPARE(m_frame->Action(ID_ZOOM_CUSTOM)->text(),
                     QStringLiteral("&Custom Zoom (%1%)...").arg(entry->Percent()));
    }

    // The field's rule is the core's whole-number check; here its wiring.
    void customZoomDialogRefusesThroughTheCoreCheck()
    {
        CCustomZoomDialog dialog(150);
        QCOMPARE(dialog.Field()->text(), QStringLiteral("150"));
        dialog.Field()->setText(QStringLiteral("1601"));
        dialog.accept();
        QCOMPARE(m_messages.messages, QStringList{QStringLiteral("Zoom must be between 1 and 1600 %.")});
        QVERIFY(dialog.result() != QDialog::Accepted && dialog.Field()->selectedText() == QStringLiteral("1601"));
        CCustomZoomDialog empty(0);
        QCOMPARE(empty.Field()->text(), QString());
        empty.Field()->setText(QStringLiteral(" 1600 "));
        empty.accept();
        QCOMPARE(std::pair(empty.result(), empty.Percent()), std::pair(int(QDialog::Accepted), 1600));
    }

    void recentFilesKeepFourNewestFirst()
    {
        CRecentFileList list(m_dir.filePath(QStringLiteral("r.ini")));
        for (const char* n : {"/p/a.vtp", "/p/b.vtp", "/p/c.vtp", "/p/d.vtp", "/p/e.vtp", "/p/c.vtp"})
            list.Add(QString::fromLatin1(n));
        QCOMPARE(list.Files(), (QStringList{"/p/c.vtp", "/p/e.vtp", "/p/d.vtp", "/p/b.vtp"}));
        list.Save();
        CRecentFileList again(m_dir.filePath(QStringLiteral("r.ini")));
        again.Load();
        QCOMPARE(again.Files(), list.Files());
        QCOMPARE(CRecentFileList::MenuText(1, QStringLiteral("/x/R&D.vtp")), QStringLiteral("&2 R&&D.vtp"));
    }

    void savesOpensAndPromptsForModifiedWork()
    {
        GiveBoxProduct(*m_frame);
        m_frame->RunCommand(ID_ZOOM_100);
        m_frame->RunCommand(ID_TOOL_RECT);
        CFaceCanvas& canvas = *m_frame->View()->Canvas();
        canvas.repaint();
        QTest::mousePress(&canvas, Qt::LeftButton, {}, At(canvas, 10, 90));
        QTest::mouseMove(&canvas, At(canvas, 50, 50));
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, At(canvas, 50, 50));
        QVERIFY(m_frame->Document()->IsModified() && m_frame->windowTitle().contains(QLatin1Char('*')));

        const QString path = m_dir.filePath(QStringLiteral("box.vtp"));
        QVERIFY(m_frame->SaveProject(path) && !m_frame->Document()->IsModified());
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("box.vtp - Vantorel"));
        QCOMPARE(m_frame->RecentFiles().Files().value(0), QFileInfo(path).absoluteFilePath());

        // Cancel at the prompt keeps the work.
        m_frame->View()->Canvas()->repaint();
        m_frame->RunCommand(ID_NUDGE_UP);
        QVERIFY(m_frame->Document()->IsModified());
        // Undo back to the saved state takes the "*" away, redo brings it back;
        // a change no undo step covers (the colour for new objects) keeps it.
        m_frame->RunCommand(ID_EDIT_UNDO);
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("box.vtp - Vantorel"));
        m_frame->RunCommand(ID_EDIT_REDO);
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("box.vtp* - Vantorel"));
        m_frame->RunCommand(ID_EDIT_UNDO);
        m_frame->View()->SetFillColour(0x123456);
        m_frame->RunCommand(ID_EDIT_REDO);
        m_frame->RunCommand(ID_EDIT_UNDO);
        QVERIFY(m_frame->Document()->IsModified());
        m_messages.answer = EAnswer::Cancel;
        QVERIFY(!m_frame->SaveModified());
        QCOMPARE(m_messages.questions.value(0), QStringLiteral("Save changes to box.vtp?"));
        m_messages.answer = EAnswer::No;
        QVERIFY(m_frame->SaveModified());

        // Open reads the saved objects back (one rectangle at its place).
        QVERIFY(m_frame->OpenProject(path));
        CDrawObjectList& front = FaceList(*m_frame, "F");
        QCOMPARE(int(front.GetObjectCount()), 1);
        QCOMPARE(Box(*front.GetObject(0)), QRect(QPoint(10, 50), QPoint(50, 90)));
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Front"));

        // A project opened before the window is first shown still gets its tab strip.
        {
            CMainFrame hidden{QString()};
            QVERIFY(hidden.OpenProject(path));
            QVERIFY(Shown(hidden, {900, 700}));
            QVERIFY(hidden.View()->TabBar()->height() >= 16);
        }

        // A file that is not a project leaves the document as it was.
        const QString bad = m_dir.filePath(QStringLiteral("bad.vtp"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a project at all") > 0);
        f.close();
        m_messages.messages.clear();
        QVERIFY(!m_frame->OpenProject(bad));
        QVERIFY(m_messages.messages.size() == 1 && FaceList(*m_frame, "F").GetObjectCount() == 1);
        QVERIFY(!m_frame->RecentFiles().Files().contains(QFileInfo(bad).absoluteFilePath()));
    }

    void droppingAProjectFileOpensIt()
    {
        GiveBoxProduct(*m_frame);
        const QString path = m_dir.filePath(QStringLiteral("dropped.vtp"));
        QVERIFY(m_frame->SaveProject(path));
        m_frame->Document()->NewProject(CreateProduct("BOOK"));
        m_frame->DocumentChanged();
        QVERIFY(m_frame->View()->TabNames().contains(QStringLiteral("Spine")));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_frame.get(), &enter);
        QVERIFY(enter.isAccepted());
        m_frame->View()->MarkModified();
        m_messages.answer = EAnswer::No;
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_frame.get(), &drop);
        QVERIFY(drop.isAccepted());
        // The save question comes after the drop has returned to its source.
        QVERIFY(m_messages.questions.isEmpty());
        QTRY_COMPARE(m_messages.questions.size(), 1);
        QTRY_VERIFY(!m_frame->View()->TabNames().contains(QStringLiteral("Spine")));
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("dropped.vtp - Vantorel"));
    }

    void secondStartHandsItsProjectToTheFirst()
    {
        const QString key = QStringLiteral("test-instance-") + m_dir.path();
        CSingleInstance first(key);
        QVERIFY(first.Listen());
        QSignalSpy spy(&first, &CSingleInstance::activationRequested);
        CSingleInstance second(key);
        bool forwarded = false;
        // The second start blocks while the first answers on the event loop.
        QTimer::singleShot(0, [&]() { forwarded = second.ForwardToRunning({QStringLiteral("/p/x.vtp")}, 3000); });
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
        QCOMPARE(spy.at(0).at(0).toStringList(), QStringList{QStringLiteral("/p/x.vtp")});
        QTRY_VERIFY(forwarded);
        // Nobody listens on another key.
        CSingleInstance lonely(key + QStringLiteral("-other"));
        QVERIFY(!lonely.ForwardToRunning({}, 200));
        // The first window, asked to come forward, comes back as it was.
        m_frame->showMaximized();
        m_frame->showMinimized();
        QVERIFY(m_frame->isMinimized());
        m_frame->Activate();
        QVERIFY(!m_frame->isMinimized() && m_frame->isMaximized() && m_frame->isVisible());
    }

    void aHandedOverProjectWaitsForAnOpenDialogOrARenderToEnd()
    {
        GiveBoxProduct(*m_frame);
        const QString path = m_dir.filePath(QStringLiteral("handed.vtp"));
        QVERIFY(m_frame->SaveProject(path));
        GiveBoxProduct(*m_frame, 300, 150);
        QVERIFY(m_frame->Document()->GetPathName().empty());
        // A dialog is open (say the Properties dialog working on clones of
        // this document's objects) when another start hands over a project.
        QDialog dialog(m_frame.get());
        bool openedUnderTheDialog = true;
        QTimer::singleShot(0, &dialog, [&]() {
            m_frame->OpenWhenIdle(path);
            openedUnderTheDialog = !m_frame->Document()->GetPathName().empty();
            QTimer::singleShot(400, &dialog, [&]() {
                openedUnderTheDialog = openedUnderTheDialog || !m_frame->Document()->GetPathName().empty();
                dialog.reject();
            });
        });
        dialog.exec();
        QVERIFY(!openedUnderTheDialog);
        // Once the dialog has closed the project opens.
        QTRY_COMPARE(QString::fromStdString(m_frame->Document()->GetPathName()), path);

        GiveBoxProduct(*m_frame, 300, 150);  // untitled again, as checked above
        const CProduct* rendered = m_frame->Document()->GetProduct();
        // Render To Clipboard waits for its picture; the request arrives while
        // the window shows the progress meanwhile.
        bool asked = false, replacedDuringRender = false;
        auto connection = connect(m_frame->ProgressBar(), &QProgressBar::valueChanged, this, [&]() {
            if (!m_frame->View()->IsWaitingForRendering())
                return;
            if (!asked) {
                asked = true;
                m_frame->OpenWhenIdle(path);
            }
            replacedDuringRender = replacedDuringRender || m_frame->Document()->GetProduct() != rendered;
        });
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_CLIPBOARD));
        disconnect(connection);
        QVERIFY(asked && !replacedDuringRender && !m_frame->View()->RenderPage()->Picture().isNull());
        QTRY_COMPARE(QString::fromStdString(m_frame->Document()->GetPathName()), path);

        // A render in the background holds nothing up, and its picture never
        // lands in the project opened meanwhile.
        GiveBoxProduct(*m_frame, 300, 150);
        auto* worker = m_frame->View()->findChild<CRenderWorker*>();
        QVERIFY(worker);
        QSignalSpy back(worker, &CRenderWorker::finished);
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Render")));
        QVERIFY(m_frame->View()->IsRendering());
        m_frame->OpenWhenIdle(path);
        QCOMPARE(QString::fromStdString(m_frame->Document()->GetPathName()), path);
        QVERIFY(!m_frame->View()->IsRendering());
        QTRY_VERIFY(back.count() >= 1);
        QCoreApplication::processEvents();
        QVERIFY(!m_frame->View()->Pipeline().GetCache().IsUpToDate("z"));
        QVERIFY(m_frame->Document()->GetProduct()->FindSidePtr("z") == nullptr);
    }

    void commandLineTakesTheDataFolderAndAProject()
    {
        auto line = CVtwinApplication::ParseCommandLine({"vantorel", "--data-dir", "/tmp/d", "p.vtp"});
        QVERIFY(line.ok);
        QCOMPARE(line.dataDir, QStringLiteral("/tmp/d"));
        QVERIFY(line.project.endsWith(QLatin1String("/p.vtp")));
        line = CVtwinApplication::ParseCommandLine({"vantorel", "--data-dir"});
        QVERIFY(!line.ok);
    }

    void anExceptionInAHandlerIsReportedAndTheWorkKept()
    {
        GiveBoxProduct(*m_frame);
        struct CThrower : QObject {
            bool event(QEvent* e) override
            {
                if (e->type() == QEvent::User)
                    throw std::runtime_error("broken handler");
                return QObject::event(e);
            }
        } thrower;
        auto* app = static_cast<CVtwinApplication*>(QCoreApplication::instance());
        QEvent event(QEvent::User);
        QVERIFY(!app->notify(&thrower, &event));
        QVERIFY(m_messages.messages.size() == 1 && m_messages.messages[0].contains(QLatin1String("broken handler")));
        QVERIFY(m_frame->Document()->HasProduct());
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
        QTest::keyClick(&canvas, Qt::Key_R);
        QCOMPARE(canvas.ToolMode(), int(kModeBox));
        QTest::keyClick(&canvas, Qt::Key_V);
        QCOMPARE(canvas.ToolMode(), int(kModeSelect));
        QTest::keyClick(&canvas, Qt::Key_F5);
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Render"));
    }

    void contentsOpensTheManualDescribingEveryMenuCommand()
    {
        m_frame = std::make_unique<CMainFrame>(QString());  // no recent files in the File menu
        GiveBoxProduct(*m_frame);
        QList<QUrl> opened;
        CMainFrame::HelpOpener() = [&opened](const QUrl& url) {
            opened << url;
            return true;
        };
        QVERIFY(m_frame->RunCommand(ID_HELP_FINDER));
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
        for (QAction* top : m_frame->menuBar()->actions())
            if (top->menu())
                walk(top->menu());
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    void aboutBoxRollsItsCredits()
    {
        CAboutDialog about;
        QVERIFY(Shown(about));
        QVERIFY(CAboutDialog::Credits().contains(QStringLiteral("The Vantorel developers")));
        const int before = about.ScrollOffset();
        QTRY_VERIFY_WITH_TIMEOUT(about.ScrollOffset() >= before + 5, 5000);
        about.accept();
    }

    // A narrow dialog with a long title opens over its window, as wide as its title needs.
    void dialogsAndMessagesOpenOverTheirWindow()
    {
        SetMessageHooks(nullptr, nullptr);  // real message boxes
        QMainWindow window;
        window.setGeometry(60, 40, 500, 360);
        QVERIFY(Shown(window));
        QDialog dialog(&window);
        dialog.setWindowTitle(QStringLiteral("Page Depth Percentages"));
        QVERIFY(Shown(dialog, {120, 90}));
        QTest::qWait(10);
        QVERIFY(dialog.width() >= TitleWidth(dialog.windowTitle()));
        QVERIFY2(Near(Centre(dialog.frameGeometry()), Centre(window.frameGeometry())),
                 qPrintable(QStringLiteral("%1,%2").arg(dialog.x()).arg(dialog.y())));
        // Shown again after the window moved: over the window again.
        dialog.hide();
        window.move(200, 150);
        dialog.show();
        QTest::qWait(10);
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY(screen.contains(dialog.frameGeometry()));
        if (screen.contains(window.frameGeometry()))
            QVERIFY(Near(Centre(dialog.frameGeometry()), Centre(window.frameGeometry())));
        dialog.hide();

        // A refusal from a borderless in-place editor opens over the main window,
        // not over the small editor nor in the screen's corner.
        CInPlaceEditor editor(CInPlaceEditor::EMode::Number, QStringLiteral("Bevel Size"), &window);
        editor.SetRange(1, 25, QStringLiteral("pixels"));
        editor.setGeometry(QRect(window.geometry().topLeft() + QPoint(380, 300), QSize(110, 26)));
        QVERIFY(Shown(editor));
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
        QVERIFY2(Near(Centre(box), Centre(window.frameGeometry())),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
        QVERIFY(editor.isVisible());
    }
};

// The exception guard lives in the application object, so the test runs under it.
int main(int argc, char** argv)
{
    CVtwinApplication app(argc, argv);
    CMainFrameTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "main_frame.moc"
