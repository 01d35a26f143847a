// The Render tab renders on its own thread: the window goes on while the
// picture is made, a newer edit cancels the render in flight and its picture
// is the one shown, Esc stops a render.

#include "UiTestSupport.h"

#include "properties/SettingTable.h"
#include "render/RenderPipeline.h"
#include "ui/grid/PropertyGrid.h"
#include "ui/render/RenderJob.h"
#include "ui/render/RenderPage.h"
#include "ui/render/RenderWorker.h"
#include "ui/widgets/RasterImage.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QToolButton>

class CLiveRenderTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;

    CVtwinView& View() { return *m_frame->View(); }
    SettingStore& Settings() { return m_frame->Document()->GetProduct()->GetSettings(); }
    CRenderWorker* Worker() { return View().findChild<CRenderWorker*>(); }

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
        m_messages = CTestMessages{};
        m_messages.Install();
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
        QVERIFY(View().IsRendering());
        QVERIFY(View().RenderPage()->Picture().isNull());

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
        // Border 5 on 900 x 700: rows 0..4 and 695..699 and columns 0..4 and
        // 895..899 are the border colour, the pixel inside it is not.
        for (const QPoint p : {QPoint(0, 0), QPoint(899, 699), QPoint(4, 350), QPoint(895, 350), QPoint(450, 4),
                               QPoint(450, 695)})
            QCOMPARE(shown.pixel(p), qRgb(255, 0, 0));
        QVERIFY(shown.pixel(5, 350) != qRgb(255, 0, 0) || shown.pixel(894, 350) != qRgb(255, 0, 0));
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
        QVERIFY(View().SelectTab(QStringLiteral("Render")));
        QVERIFY(View().WaitForRendering());
        QVERIFY(View().Pipeline().GetCache().IsUpToDate("z"));
        QVERIFY(!View().RenderPage()->Picture().isNull());
    }

    void escapeAndTheCancelButtonStopTheRender()
    {
        m_frame->resize(1000, 700);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        auto* button = m_frame->findChild<QToolButton*>(QStringLiteral("cancelRender"));
        QVERIFY(button);
        QVERIFY(!button->isVisible());

        QVERIFY(View().SelectTab(QStringLiteral("Render")));
        QVERIFY(View().IsRendering());
        QVERIFY(button->isVisible());
        QTest::keyClick(View().RenderPage(), Qt::Key_Escape);
        QVERIFY(!View().WaitForRendering());
        QVERIFY(!button->isVisible());
        auto* status = m_frame->findChild<QLabel*>(QStringLiteral("statusText"));
        QVERIFY(status);
        QCOMPARE(status->text(), QStringLiteral("The rendering was cancelled."));
        QVERIFY(!View().Pipeline().GetCache().IsUpToDate("z"));
        QVERIFY(View().RenderPage()->Picture().isNull());

        // Showing the tab again renders; the button stops it as well.
        QVERIFY(View().SelectTab(QStringLiteral("Front")));
        QVERIFY(View().SelectTab(QStringLiteral("Render")));
        QVERIFY(View().IsRendering());
        button->click();
        QVERIFY(!View().WaitForRendering());

        // And once more to the end.
        QVERIFY(View().SelectTab(QStringLiteral("Front")));
        QVERIFY(View().SelectTab(QStringLiteral("Render")));
        QVERIFY(View().WaitForRendering());
        QCOMPARE(View().RenderPage()->Picture().size(), QSize(900, 700));
        QVERIFY(m_messages.messages.isEmpty());
    }
};

QTEST_MAIN(CLiveRenderTest)
#include "live_render.moc"
