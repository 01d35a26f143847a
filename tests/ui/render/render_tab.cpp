// The Render tab renders on its own thread: the window goes on while the
// picture is made, a newer edit cancels the render in flight and its picture
// is the one shown, Esc stops a render; a drag turns the product, the docked
// preview follows edits. Render To File wired to the view's rendering, the
// explanation and the JPEG quality dialogs; Render To Clipboard; the cut-outs;
// the Rendering Complete bar and when it stays away. The flow's rules are the
// core's.

#include "UiTestSupport.h"

#include "image/picture/PictureLoader.h"
#include "render/output/RenderFileFlow.h"
#include "render/output/RenderOutput.h"
#include "ui/dialogs/RenderOutputDialogs.h"
#include "ui/render/PreviewDock.h"
#include "ui/render/RenderCompleteBar.h"
#include "ui/render/RenderJob.h"
#include "ui/render/RenderTurnController.h"
#include "ui/render/RenderWorker.h"

#include <QElapsedTimer>

#include <cmath>

class CRenderTabTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::optional<CAppFolders> m_folders;
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;

    // What the dialogs were asked and how they answer.
    int m_formatsShown = 0, m_qualityShown = 0;
    bool m_tickFormats = false;
    QStringList m_qualityTexts;  // typed one after another; empty: OK as shown
    std::optional<std::pair<QString, int>> m_save;
    QString m_chooserFolder;

    CVtwinView& View() { return *m_frame->View(); }
    SettingStore& Settings() { return m_frame->Document()->GetProduct()->GetSettings(); }
    CRenderWorker* Worker() { return View().findChild<CRenderWorker*>(); }

    void SetRendering(int width, int height, int magnification)
    {
        Settings().SetInt(ModelKey(kSetRenderWidth), width);
        Settings().SetInt(ModelKey(kSetRenderHeight), height);
        Settings().SetInt(ModelKey(kSetMagnification), magnification);
    }

    // The output tests: a quick 90 x 70 rendering and a data folder, given
    // last so that the window was set up without the prompt.
    bool UseFolders()
    {
        std::string error;
        m_folders = CAppFolders::Create(m_dir.filePath(QStringLiteral("data")).toStdString(), error);
        SetRendering(90, 70, 1);
        if (m_folders)
            m_frame->SetFolders(&*m_folders);
        return m_folders.has_value();
    }

    // Jobs that came back, in order: was each one cancelled?
    static QList<bool> Cancelled(const QSignalSpy& spy)
    {
        QList<bool> out;
        for (const QList<QVariant>& args : spy)
            out << args.at(1).value<std::shared_ptr<CRenderJob>>()->WasCancelled();
        return out;
    }

    static void MoveHeld(QWidget* w, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }

    void InstallHooks()
    {
        SetRenderDialogHooks(
            [this](QDialog& d) -> int {
                if (auto* f = qobject_cast<CRenderFormatsDialog*>(&d)) {
                    ++m_formatsShown;
                    f->CheckBox()->setChecked(m_tickFormats);
                    return QDialog::Accepted;
                }
                if (auto* q = qobject_cast<CJpegQualityDialog*>(&d)) {
                    ++m_qualityShown;
                    if (m_qualityTexts.isEmpty()) {
                        q->accept();
                        return q->result();
                    }
                    for (const QString& text : m_qualityTexts) {
                        q->SetText(text);
                        q->accept();
                        if (q->result() == QDialog::Accepted)
                            return QDialog::Accepted;
                    }
                    return QDialog::Rejected;
                }
                return QDialog::Rejected;
            },
            [this](const QString& folder) {
                m_chooserFolder = folder;
                return m_save;
            });
    }

    // Leaves the Render tab and comes back, with a new rendering when
    // `stale`; true when the rendering finished.
    bool ShowRenderTabAgain(bool stale)
    {
        if (stale)
            m_frame->View()->Pipeline().GetCache().MarkStale("z");
        return m_frame->View()->SelectTab(QStringLiteral("Front")) &&
               m_frame->View()->SelectTab(QStringLiteral("Render")) && m_frame->View()->WaitForRendering();
    }

    bool BarHidden() const { return m_frame->findChild<CRenderCompleteBar*>()->isHidden(); }

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QByteArray Head(const QString& path, int n) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
    }

    const CRaster& Rendering() { return *m_frame->Document()->GetProduct()->FindSidePtr("z")->GetPicture(); }

    void ExpectCutOutOfTheRendering(const QImage& cut)
    {
        for (const QPoint corner : {QPoint(0, 0), QPoint(89, 0), QPoint(0, 69), QPoint(89, 69)})
            QCOMPARE(qAlpha(cut.pixel(corner)), 0);
        const QImage opaque = m_frame->View()->RenderPage()->Picture().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(opaque.size(), cut.size());
        int solid = 0;
        for (int y = 0; y < cut.height(); ++y)
            for (int x = 0; x < cut.width(); ++x) {
                const QRgb c = cut.pixel(x, y), o = opaque.pixel(x, y);
                const int a = qAlpha(c);
                solid += a == 255;
                // Straight colour over white: c * a / 255 + 255 * (255 - a) / 255.
                auto over = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
                const int d = std::max({std::abs(over(qRed(c)) - qRed(o)), std::abs(over(qGreen(c)) - qGreen(o)),
                                        std::abs(over(qBlue(c)) - qBlue(o))});
                QVERIFY2(d <= 1, qPrintable(QStringLiteral("(%1, %2) differs by %3").arg(x).arg(y).arg(d)));
            }
        QVERIFY(solid > 0);  // the product itself is opaque
    }

private slots:
    void initTestCase() { qRegisterMetaType<std::shared_ptr<CRenderJob>>(); }

    void init()
    {
        m_messages.Reset();
        m_formatsShown = m_qualityShown = 0;
        m_tickFormats = false;
        m_qualityTexts.clear();
        m_save.reset();
        InstallHooks();
        m_frame = std::make_unique<CMainFrame>(QString());
        GiveBoxProduct(*m_frame, 60, 40);
        // Large enough that the render is still running when an edit comes.
        SetRendering(900, 700, 3);
    }

    void cleanup()
    {
        m_frame.reset();
        m_folders.reset();
        SetRenderDialogHooks(nullptr, nullptr);
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
        QVERIFY(Shown(*m_frame, {1000, 700}));
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

    // A drag turns the product with drafts while the mouse moves; on release
    // both angles change as one undo step and the full rendering follows.
    void dragTurnsTheProductAsOneUndoStepAndTheWheelZooms()
    {
        QVERIFY(Shown(*m_frame, {1000, 800}));
        SetRendering(360, 280, 1);  // the same 9 : 7 shape at a small cost
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
        QVERIFY(Shown(*m_frame, {1000, 800}));
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

    // The formats, the extension rule and the remembered folder are the
    // core's (RenderOutputTest, RenderFileFlowTest); here the command saves
    // the view's own rendering, the first save starts in the data folder's
    // render folder (not wherever the program was started) and the next one
    // in the folder of the last.
    void renderToFileSavesTheRenderingAndRemembersTheFolder()
    {
        QVERIFY(UseFolders());
        m_folders->PutUserString("Dir", "Render To File", "");  // as on a first run
        m_save = std::make_pair(Path("cover"), 1);
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_FILE));
        QCOMPARE(QDir(m_chooserFolder).absolutePath(),
                 QDir(QString::fromStdString(m_folders->GetRenderFolder())).absolutePath());
        QCOMPARE(Head(Path("cover.png"), 4), QByteArray("\x89PNG", 4));
        std::string message;
        const std::unique_ptr<CRaster> back = LoadPicture(Path("cover.png").toStdString(), message);
        QVERIFY2(back, message.c_str());
        QCOMPARE(QSize(back->GetWidth(), back->GetHeight()), QSize(90, 70));
        for (int y = 0; y < 70; ++y)
            QVERIFY(std::memcmp(back->GetBits(y), Rendering().GetBits(y), 90 * 3) == 0);
        QVERIFY(m_qualityShown == 0 && m_messages.messages.isEmpty());
        m_save.reset();
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_FILE));
        QCOMPARE(QDir(m_chooserFolder).absolutePath(), QDir(m_dir.path()).absolutePath());
        QVERIFY(BarHidden());  // the commands never offer the Rendering Complete bar
    }

    // Asking and ticking are the core's flow (RenderFileFlowTest); here the
    // dialog's tick reaches the user settings and its text; the JPEG quality
    // typed is checked, remembered, or cancelled with nothing saved.
    void explanationUntilTickedAndTheJpegQuality()
    {
        QVERIFY(UseFolders());
        m_save = std::make_pair(Path("a"), 1);
        m_tickFormats = true;
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_FILE));
        QCOMPARE(std::pair(m_formatsShown, GetPromptFormatNoAsk(&m_folders->UserSettings())), std::pair(1, 1));
        m_save = std::make_pair(Path("q"), 3);
        m_qualityTexts = {QStringLiteral("101"), QStringLiteral("0")};
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_FILE));
        QCOMPARE(m_formatsShown, 1);  // not asked again
        QCOMPARE(m_messages.messages.value(0), QStringLiteral("JPEG Quality must be between 0 and 100."));
        QVERIFY(QFile::exists(Path("q.jpg")) && CRenderOutput(&m_folders->UserSettings()).GetJpegQuality() == 0);
        m_save = std::make_pair(Path("q2"), 3);
        m_qualityTexts = {QStringLiteral("x")};
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_FILE));
        QVERIFY(!QFile::exists(Path("q2.jpg")));

        CRenderFormatsDialog dialog;
        // One paragraph per filter of the save dialog, in its order, one blank
        // line between each (the box shows line feeds).
        const QStringList paragraphs = dialog.Explanation().split(QStringLiteral("\n\n"));
        QCOMPARE(paragraphs.size(), RenderFileFilters().size());
        for (qsizetype i = 0; i < paragraphs.size(); ++i)
            QVERIFY2(paragraphs[i].startsWith(QStringLiteral("- ") + RenderFileFilters()[i].section(QStringLiteral(" (*"), 0, 0).section(QLatin1Char('('), -1).left(3)),
                     qPrintable(paragraphs[i]));
    }

    // Render To Clipboard puts the view's rendering there. The cut-out on the
    // clipboard: the plain picture and, beside it, a PNG with the alpha; the
    // save dialog's fifth filter saves the same cut-out (RenderCutOut).
    void clipboardGetsThePictureOrTheCutOut()
    {
        QVERIFY(UseFolders());
        QApplication::clipboard()->clear();
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_CLIPBOARD));
        QCOMPARE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB888),
                 m_frame->View()->RenderPage()->Picture().convertToFormat(QImage::Format_RGB888));
        QVERIFY(BarHidden());
        m_save = std::make_pair(Path("cut"), int(kFilterPNGCutOut));
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_FILE) && m_messages.messages.isEmpty());
        const QImage saved = QImage(Path("cut.png")).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(std::pair(saved.size(), qAlpha(saved.pixel(0, 0))), std::pair(QSize(90, 70), 0));
        QApplication::clipboard()->clear();
        QVERIFY(m_frame->RunCommand(ID_RENDER_CUT_OUT_TO_CLIPBOARD) && m_messages.messages.isEmpty());
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasImage() && data->hasFormat(QStringLiteral("image/png")));
        QImage cut;
        QVERIFY(cut.loadFromData(data->data(QStringLiteral("image/png")), "PNG"));
        cut = cut.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(cut.size(), QSize(90, 70));
        ExpectCutOutOfTheRendering(cut);
        QVERIFY(BarHidden());
        // The view's rendering stays, opaque.
        QVERIFY(m_frame->View()->Pipeline().GetCache().IsUpToDate("z") && !Rendering().HasAlpha());

        // Made on a thread of its own: the window waits with the Cancel
        // button, which stops it; nothing reaches the clipboard.
        SetRendering(3000, 2400, 1);
        QApplication::clipboard()->clear();
        bool cancelShown = false;
        auto* cancel = m_frame->findChild<QToolButton*>(QStringLiteral("cancelRender"));
        QTimer::singleShot(0, [&] {
            cancelShown = !cancel->isHidden();
            cancel->click();
        });
        QVERIFY(m_frame->RunCommand(ID_RENDER_CUT_OUT_TO_CLIPBOARD));
        QVERIFY(cancelShown && cancel->isHidden() && QApplication::clipboard()->image().isNull());
        QCOMPARE(m_messages.messages.size(), 0);
    }

    // The offer after a new rendering is a bar in the Render tab, not a window.
    void renderingCompleteBar()
    {
        QVERIFY(UseFolders());
        QVERIFY(Shown(*m_frame, {1366, 768}));
        auto* bar = m_frame->findChild<CRenderCompleteBar*>();
        QVERIFY(bar && bar->isHidden());
        QVERIFY(ShowRenderTab(*m_frame));
        QTRY_VERIFY(!bar->isHidden());
        QVERIFY(!QApplication::activeModalWidget());
        // At 1366 x 768 the question is whole: the bar needs no more width
        // than the page has, the question wraps. A drag on the picture hides
        // the offer but keeps its room, so the picture stays where it is.
        CRenderPage* page = m_frame->View()->RenderPage();
        auto* question = bar->findChild<QLabel*>(QStringLiteral("renderCompleteQuestion"));
        QVERIFY(question->wordWrap() && bar->minimumSizeHint().width() <= page->width() &&
                bar->geometry().right() < page->width());
        const int top = page->PictureRect().top();
        const QPoint start = page->PictureRect().center();
        QTest::mousePress(page, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(40, 0)), QPointF(page->mapToGlobal(start)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &move);
        QVERIFY(page->IsTurning() && bar->isHidden());
        QCOMPARE(page->PictureRect().top(), top);
        QTest::mouseRelease(page, Qt::LeftButton, {}, start + QPoint(40, 0));
        QVERIFY(m_frame->View()->WaitForRendering() && !bar->isHidden());
        QCOMPARE(page->PictureRect().top(), top);

        // The picture is shown below the bar, whole.
        page->resize(400, 400);
        const QRect picture = page->PictureRect();
        QVERIFY(picture.top() >= bar->sizeHint().height());
        QVERIFY(picture.bottom() < 400 && picture.left() >= 0 && picture.right() < 400);
        QVERIFY(std::abs(picture.width() * 70 - picture.height() * 90) <= 90);
        QCOMPARE((QStringList{bar->Button(kRenderCompleteCopy)->text(), bar->Button(kRenderCompleteSave)->text(),
                              bar->Button(kRenderCompleteNo)->text()}),
                 (QStringList{"Yes - &Copy to Clipboard", "Yes - Save to &File", "&No"}));
        bar->Button(kRenderCompleteNo)->click();
        QVERIFY(bar->isHidden() && GetPromptRenderNoAsk(&m_folders->UserSettings()) == 0);
        QVERIFY(ShowRenderTabAgain(false));
        QVERIFY(bar->isHidden());  // the same picture again

        // Render To File from a face tab makes a new rendering without the offer.
        m_frame->View()->Pipeline().GetCache().MarkStale("z");
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        m_save = std::make_pair(Path("direct"), 1);
        QVERIFY(m_frame->RunCommand(ID_RENDER_TO_FILE));
        QVERIFY(QFile::exists(Path("direct.png")) && bar->isHidden());
        QVERIFY(ShowRenderTabAgain(false));
        QVERIFY(bar->isHidden());  // already made: nothing new to offer

        // Copy to Clipboard puts the rendering there.
        QVERIFY(ShowRenderTabAgain(true));
        QVERIFY(!bar->isHidden());
        QApplication::clipboard()->clear();
        bar->Button(kRenderCompleteCopy)->click();
        QVERIFY(bar->isHidden() && QApplication::clipboard()->image().size() == QSize(90, 70));

        // Save to file with "Do not ask again": stored, then Render To File runs.
        m_frame->Document()->GetProduct()->GetSettings().SetInt(ModelKey(kSetBorders), 1);
        m_save = std::make_pair(Path("prompted"), 1);
        QVERIFY(ShowRenderTabAgain(true));
        QVERIFY(!bar->isHidden() && !bar->CheckBox()->isChecked());
        bar->CheckBox()->setChecked(true);
        bar->Button(kRenderCompleteSave)->click();
        QVERIFY(GetPromptRenderNoAsk(&m_folders->UserSettings()) == 1 && QFile::exists(Path("prompted.png")));

        // Never again.
        m_frame->Document()->GetProduct()->GetSettings().SetInt(ModelKey(kSetBorders), 0);
        QVERIFY(ShowRenderTabAgain(true));
        QVERIFY(bar->isHidden());
    }
};

QTEST_MAIN(CRenderTabTest)
#include "render_tab.moc"
