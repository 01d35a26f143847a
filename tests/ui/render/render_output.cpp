// Render To File wired to the view's rendering, the explanation and the JPEG
// quality dialogs; Render To Clipboard; the cut-outs; the Rendering Complete
// bar and when it stays away. The flow's rules are the core's.

#include "UiTestSupport.h"

#include "image/picture/PictureLoader.h"
#include "render/output/RenderOutput.h"
#include "ui/dialogs/RenderOutputDialogs.h"
#include "render/output/RenderFileFlow.h"
#include "ui/render/RenderCompleteBar.h"

class CRenderOutputTest : public QObject {
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

    SettingStore& Settings() { return m_frame->Document()->GetProduct()->GetSettings(); }

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
    void init()
    {
        QVERIFY(m_dir.isValid());
        std::string error;
        m_folders = CAppFolders::Create(m_dir.filePath(QStringLiteral("data")).toStdString(), error);
        QVERIFY2(m_folders, error.c_str());
        m_messages.Reset();
        m_formatsShown = m_qualityShown = 0;
        m_tickFormats = false;
        m_qualityTexts.clear();
        m_save.reset();
        InstallHooks();
        m_frame = std::make_unique<CMainFrame>(QString());
        GiveBoxProduct(*m_frame, 60, 40);
        CProduct& p = *m_frame->Document()->GetProduct();
        p.GetSettings().SetInt(ModelKey(kSetRenderWidth), 90);
        p.GetSettings().SetInt(ModelKey(kSetRenderHeight), 70);
        p.GetSettings().SetInt(ModelKey(kSetMagnification), 1);
        // Folders come last: the window was set up without the prompt.
        m_frame->SetFolders(&*m_folders);
    }

    void cleanup()
    {
        m_frame.reset();
        m_folders.reset();
        SetRenderDialogHooks(nullptr, nullptr);
        SetMessageHooks(nullptr, nullptr);
    }

    // The formats, the extension rule and the remembered folder are the
    // core's (RenderOutputTest, RenderFileFlowTest); here the command saves
    // the view's own rendering, the first save starts in the data folder's
    // render folder (not wherever the program was started) and the next one
    // in the folder of the last.
    void renderToFileSavesTheRenderingAndRemembersTheFolder()
    {
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
        Settings().SetInt(ModelKey(kSetRenderWidth), 3000);
        Settings().SetInt(ModelKey(kSetRenderHeight), 2400);
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
        m_frame->resize(1366, 768);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
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

QTEST_MAIN(CRenderOutputTest)
#include "render_output.moc"
