// The Render tab renders on its own thread: the window goes on while the
// picture is made, a newer edit cancels the render in flight and its picture
// is the one shown, Esc stops a render.

#include "UiTestSupport.h"

#include "ui/render/PreviewDock.h"
#include "ui/render/RenderJob.h"
#include "ui/render/RenderTurnController.h"
#include "ui/render/RenderWorker.h"

#include <QElapsedTimer>

#include <cmath>

class CLiveRenderTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;

    CVtwinView& View() { return *m_frame->View(); }
    SettingStore& Settings() { return m_frame->Document()->GetProduct()->GetSettings(); }
    CRenderWorker* Worker() { return View().findChild<CRenderWorker*>(); }

    // The same 9 : 7 shape at a small cost, where the render need not be slow.
    void SmallRendering()
    {
        Settings().SetInt(ModelKey(kSetRenderWidth), 360);
        Settings().SetInt(ModelKey(kSetRenderHeight), 280);
        Settings().SetInt(ModelKey(kSetMagnification), 1);
    }

    // Jobs that came back, in order: was each one cancelled?
    static QList<bool> Cancelled(const QSignalSpy& spy)
    {
        QList<bool> out;
        for (const QList<QVariant>& args : spy)
            out << args.at(1).value<std::shared_ptr<CRenderJob>>()->WasCancelled();
        return out;
    }

private slots:
    void initTestCase() { qRegisterMetaType<std::shared_ptr<CRenderJob>>(); }

    void init()
    {
        m_messages.Reset();
        m_frame = std::make_unique<CMainFrame>(QString());
        GiveBoxProduct(*m_frame, 60, 40);
        // Large enough that the render is still running when the edit comes.
        Settings().SetInt(ModelKey(kSetRenderWidth), 900);
        Settings().SetInt(ModelKey(kSetRenderHeight), 700);
        Settings().SetInt(ModelKey(kSetMagnification), 3);
    }

    void cleanup()
    {
        m_frame.reset();
        SetMessageHooks(nullptr, nullptr);
    }

    void newerEditSupersedesTheRenderInFlight()
    {
        QSignalSpy back(Worker(), &CRenderWorker::finished);
        QVERIFY(View().SelectTab(QStringLiteral("Render")));
        // The tab is shown at once; the picture is on its way.
        QCOMPARE(View().CurrentTabName(), QStringLiteral("Render"));
        QVERIFY(View().IsRendering() && View().RenderPage()->Picture().isNull());

        // The edit (a red border, 5 pixels) arrives while the first render runs.
        auto* grid = m_frame->findChild<CPropertyGrid*>();
        QVERIFY(grid);
        grid->CommitEdit({{ModelKey(kSetBorders), false, 1, {}},
                          {ModelKey(kSetBorderSize), false, 5, {}},
                          {ModelKey(kSetBorderColor), false, 0x0000FF, {}}},
                         "Set Borders");
        QVERIFY(View().IsRendering());
        QVERIFY(View().WaitForRendering());

        // The first render was cancelled (or, not begun yet, dropped); the
        // second made the picture shown.
        const QList<bool> cancelled = Cancelled(back);
        QVERIFY(cancelled == (QList<bool>{true, false}) || cancelled == (QList<bool>{false}));
        const QImage shown = View().RenderPage()->Picture().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(900, 700));
        // The red border is in it (its width is the render's own tests').
        QCOMPARE(std::pair(shown.pixel(0, 0), shown.pixel(899, 699)), std::pair(qRgb(255, 0, 0), qRgb(255, 0, 0)));
        // The document holds the same picture, up to date.
        CRenderCache& cache = View().Pipeline().GetCache();
        QVERIFY(cache.IsUpToDate("z") && cache.IsUpToDate("y"));
        const CSide* z = m_frame->Document()->GetProduct()->FindSidePtr("z");
        QVERIFY(z && z->GetPicture());
        QCOMPARE(RasterToQImage(*z->GetPicture()).convertToFormat(QImage::Format_RGB32), shown);
        // The status bar is idle again.
        QVERIFY(!m_frame->ProgressBar()->isVisible());
    }

    // An edit made while the render runs on another tab is not lost: the
    // picture made from the older copy is not taken, the next showing renders.
    void editOnAnotherTabDiscardsTheOlderPicture()
    {
        QSignalSpy back(Worker(), &CRenderWorker::finished);
        QVERIFY(View().SelectTab(QStringLiteral("Render")));
        QVERIFY(View().SelectTab(QStringLiteral("Front")));
        FaceList(*m_frame, "F");  // the face's list exists
        View().Pipeline().GetCache().MarkStale("y");  // as every layout edit does
        QTRY_VERIFY(back.count() == 1);
        QCoreApplication::processEvents();
        QVERIFY(!View().Pipeline().GetCache().IsUpToDate("z"));
        QVERIFY(ShowRenderTab(*m_frame));
        QVERIFY(View().Pipeline().GetCache().IsUpToDate("z") && !View().RenderPage()->Picture().isNull());
    }

    void escapeAndTheCancelButtonStopTheRender()
    {
        m_frame->resize(1000, 700);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        auto* button = m_frame->findChild<QToolButton*>(QStringLiteral("cancelRender"));
        QVERIFY(button && !button->isVisible());

        QVERIFY(View().SelectTab(QStringLiteral("Render")));
        QVERIFY(View().IsRendering() && button->isVisible());
        QTest::keyClick(View().RenderPage(), Qt::Key_Escape);
        QVERIFY(!View().WaitForRendering() && !button->isVisible());
        QCOMPARE(m_frame->findChild<QLabel*>(QStringLiteral("statusText"))->text(), QStringLiteral("The rendering was cancelled."));
        QVERIFY(!View().Pipeline().GetCache().IsUpToDate("z") && View().RenderPage()->Picture().isNull());

        // Showing the tab again renders; the button stops it as well.
        QVERIFY(View().SelectTab(QStringLiteral("Front")) && View().SelectTab(QStringLiteral("Render")));
        QVERIFY(View().IsRendering());
        button->click();
        QVERIFY(!View().WaitForRendering());

        // And once more to the end.
        QVERIFY(View().SelectTab(QStringLiteral("Front")));
        QVERIFY(ShowRenderTab(*m_frame));
        QCOMPARE(View().RenderPage()->Picture().size(), QSize(900, 700));
        QVERIFY(m_messages.messages.isEmpty());
    }

    void ShowWindow()
    {
        m_frame->resize(1000, 800);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    static void MoveHeld(QWidget* w, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }

    // A drag turns the product with drafts while the mouse moves; on release
    // both angles change as one undo step and the full rendering follows.
    void dragTurnsTheProductAsOneUndoStepAndTheWheelZooms()
    {
        ShowWindow();
        SmallRendering();
        Settings().SetInt(ModelKey(kSetXRotation), 10);
        Settings().SetInt(ModelKey(kSetYRotation), 25);
        QVERIFY(ShowRenderTab(*m_frame));
        CUndoStore& undo = m_frame->Document()->GetUndoStore();
        QVERIFY(!undo.CanUndo());
        CRenderPage* page = View().RenderPage();
        const QRect shown = page->PictureRect();
        // The rendering fits the page: its shape, as large as the page allows.
        QVERIFY(page->rect().contains(shown) &&
                (shown.width() == page->width() || shown.height() == page->height() || shown.top() > 0));
        QVERIFY(std::abs(shown.width() * 700 - shown.height() * 900) <= 900);
        const int span = std::max(shown.width(), shown.height());
        auto* turn = View().findChild<CRenderTurnController*>();
        QVERIFY(turn);

        const QPoint start = shown.center();
        QTest::mousePress(page, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 8; ++step) {
            MoveHeld(page, start + QPoint(10 * step, -4 * step));
            QVERIFY(page->IsTurning());
            QTest::qWait(30);
        }
        QTRY_VERIFY(turn->DraftsShown() >= 1);
        // Drafts only: the document and the undo history are untouched while the mouse moves.
        const auto angles = [this] {
            return std::pair(Settings().GetInt(ModelKey(kSetXRotation)), Settings().GetInt(ModelKey(kSetYRotation)));
        };
        QCOMPARE(angles(), std::pair(10, 25));
        QVERIFY(!undo.CanUndo() && page->Picture().width() <= shown.width() + 1);
        QTest::mouseRelease(page, Qt::LeftButton, {}, start + QPoint(80, -32));
        QVERIFY(!page->IsTurning());

        // 120 degrees for the whole span, the front following the mouse: right
        // 80 pixels lowers Y Rotation, up 32 pixels lowers X Rotation.
        const int y = 25 + static_cast<int>(std::lround(120.0 * -80 / span));
        const int x = 10 + static_cast<int>(std::lround(120.0 * -32 / span));
        QCOMPARE(angles(), std::pair(std::clamp(x, -60, 60), std::clamp(y, -180, 180)));
        QCOMPARE(QString::fromStdString(undo.TopUndoDescription()), QStringLiteral("Turn Product"));
        QVERIFY(View().WaitForRendering() && View().Pipeline().GetCache().IsUpToDate("z"));
        QCOMPARE(page->Picture().size(), QSize(360, 280));

        // One step back restores both angles, and nothing is left to undo.
        QVERIFY(m_frame->RunCommand(ID_EDIT_UNDO));
        QCOMPARE(angles(), std::pair(10, 25));
        QVERIFY(!undo.CanUndo());

        // A press and release without moving is a click, not a turn.
        QTest::mouseClick(page, Qt::LeftButton, {}, start);
        QVERIFY(!undo.CanUndo());

        // The wheel zooms about the mouse: the picture point under it stays put.
        QVERIFY(View().WaitForRendering());  // the undo's rendering
        const QRect fit = page->PictureRect();
        const QPoint at = fit.topLeft() + QPoint(fit.width() / 4, fit.height() / 3);
        auto wheel = [&](int notches) {
            QWheelEvent e(QPointF(at), QPointF(page->mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(page, &e);
        };
        // Fraction of the picture under the mouse.
        auto under = [&]() {
            const QRect r = page->PictureRect();
            return QPointF(double(at.x() - r.x()) / r.width(), double(at.y() - r.y()) / r.height());
        };
        const QPointF before = under();
        wheel(2);
        QCOMPARE(page->Zoom(), 1.25 * 1.25);
        QVERIFY(std::abs(page->PictureRect().width() - fit.width() * 1.5625) <= 1.0);
        const QPointF after = under();
        QVERIFY(std::abs(after.x() - before.x()) * fit.width() * 1.5625 <= 1.0 &&
                std::abs(after.y() - before.y()) * fit.height() * 1.5625 <= 1.0);
        // Out again, and further: never smaller than the fit.
        wheel(-5);
        QCOMPARE(page->Zoom(), 1.0);
        QCOMPARE(page->PictureRect(), fit);
    }

    // The docked preview beside the face canvas follows an edit shortly after
    // it, at the dock's size; the View menu entry hides it.
    void previewFollowsEditsAfterAShortDelay()
    {
        ShowWindow();
        QVERIFY(View().SelectTab(QStringLiteral("Front")));
        CPreviewDock* dock = m_frame->PreviewDock();
        QVERIFY(dock && dock->isVisible());
        CRenderPage* page = dock->Page();
        QTRY_VERIFY(!page->Picture().isNull());
        // A draft: the rendering's shape (900 x 700), no larger than the dock.
        const QImage first = page->Picture();
        QVERIFY(first.width() <= std::max(50, page->width()) && first.height() <= std::max(50, page->height()));
        QVERIFY(std::abs(first.width() * 700 - first.height() * 900) <= 900 && first.pixel(0, 0) != qRgb(255, 0, 0));

        auto* grid = m_frame->findChild<CPropertyGrid*>();
        QVERIFY(grid);
        QElapsedTimer clock;
        clock.start();
        grid->CommitEdit({{ModelKey(kSetBorders), false, 1, {}},
                          {ModelKey(kSetBorderSize), false, 5, {}},
                          {ModelKey(kSetBorderColor), false, 0x0000FF, {}}},
                         "Set Borders");
        QCOMPARE(page->Picture(), first);  // not at once: the edits of a burst are waited out
        QTRY_VERIFY(page->Picture().pixel(0, 0) == qRgb(255, 0, 0));
        QVERIFY(clock.elapsed() >= CPreviewDock::kDelayMs);
        // The face tab stays where it was; the document's own rendering is untouched.
        QCOMPARE(View().CurrentTabName(), QStringLiteral("Front"));
        QVERIFY(!View().Pipeline().GetCache().IsUpToDate("z"));

        QAction* toggle = dock->toggleViewAction();
        QCOMPARE(toggle->text(), QStringLiteral("Previe&w"));
        toggle->trigger();
        const bool hidden = dock->isHidden();
        toggle->trigger();
        QVERIFY(hidden && dock->isVisible());
    }
};

QTEST_MAIN(CLiveRenderTest)
#include "live_render.moc"
