// The margin wizard and the "Fit Picture To" dialog, driven through their
// real widgets: the sliders and the margin colours, one undo step; the fit dialog's texts, its immediate close
// for a fitting picture, the preselected answer and the preview; and the two
// places that ask it, the face picture editor and the new-project wizard.

#include "canvas/CanvasTestFixture.h"

#include "catalogue/product/SideAppearance.h"
#include "ground/UndoFileCounter.h"
#include "layout/face/FitPicture.h"
#include "layout/shapes/Margin.h"
#include "layout/objects/ObjectCommands.h"
#include "properties/Appearance.h"
#include "layout/edit/LayoutEdit.h"
#include "ui/grid/FacePictureEditor.h"
#include "ui/wizard/FitPictureDialog.h"
#include "ui/wizard/MarginWizard.h"
#include "ui/wizard/NewProjectWizard.h"

#include <functional>
#include <set>

namespace {

// A picture of w x h pixels painted pixel by pixel (x, y from the top-left) by `colour`.
QImage Paint(int w, int h, const std::function<QRgb(int x, int y)>& colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, colour(x, y));
    return image;
}

std::unique_ptr<CRaster> Painted(int w, int h, const std::function<QRgb(int x, int y)>& colour)
{
    auto raster = std::make_unique<CRaster>();
    return QImageToRaster(Paint(w, h, colour), *raster) ? std::move(raster) : nullptr;
}

QString SavePicture(const QTemporaryDir& dir, const QString& name, int w, int h,
                    const std::function<QRgb(int x, int y)>& colour)
{
    const QString file = dir.filePath(name);
    return Paint(w, h, colour).save(file) ? file : QString();
}

constexpr QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);

// Colour of a top-down Qt image pixel.
QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

} // namespace

class CMarginAndFitTest : public CCanvasFixture {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    CVtwinView& View() { return *m_frame->View(); }

    // Runs the Margin command with `drive` answering the wizard.
    bool RunMargin(const std::function<bool(CMarginWizard&)>& drive)
    {
        CMarginWizard::SetRunner(drive);
        const bool ran = m_frame->RunCommand(ID_MARGIN);
        CMarginWizard::SetRunner(nullptr);
        return ran;
    }

    static std::set<int> VisibleSliders(const CMarginWizard& w)
    {
        std::set<int> shown;
        for (int i = 0; i < CMarginWizard::kSliderCount; ++i)
            if (w.Slider(CMarginWizard::ESlider(i))->isVisibleTo(&w))
                shown.insert(i);
        return shown;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init()
    {
        CUndoFileCounter::Instance().SetFolder(m_dir.path().toStdString() + "/");
        QVERIFY(StartOnFront(300, 500));
    }

    void cleanup()
    {
        CMarginWizard::SetRunner(nullptr);
        CFitPictureDialog::SetRunner(nullptr);
        SetFacePictureChooser(nullptr);
        m_frame.reset();
        CUndoFileCounter::Instance().SetFolder({});
    }

    // ---- the Margin command ----------------------------------------------------------

    void marginCommandSitsAfterTheDrawingToolsNeedsAFaceAndCancels()
    {
        QAction* margin = m_frame->Action(ID_MARGIN);
        QVERIFY(margin && !margin->icon().pixmap(24, 24).isNull() && !margin->statusTip().isEmpty());
        // On the Draw toolbar and in the Draw menu, right after the drawing tools.
        const auto afterTheTools = [&](const QList<QAction*>& actions) {
            const qsizetype barcode = actions.indexOf(m_frame->Action(ID_TOOL_BARCODE));
            return barcode >= 0 && actions.indexOf(margin) == barcode + 1;
        };
        QVERIFY(afterTheTools(m_frame->DrawToolBar()->actions()));
        QMenu* draw = nullptr;
        for (QAction* menu : m_frame->menuBar()->actions())
            if (menu->text() == QLatin1String("&Draw"))
                draw = menu->menu();
        QVERIFY(draw && afterTheTools(draw->actions()));
        m_frame->UpdateCommandUI();
        QVERIFY(margin->isEnabled());
        // Back keeps the choices; Cancel makes nothing.
        QVERIFY(RunMargin([&](CMarginWizard& w) {
            w.SetType(6);
            w.SetColour(0x336699);
            w.Next();
            w.Slider(CMarginWizard::kSliderBottom)->setValue(20);
            w.Back();
            if (w.Caption() != QLatin1String("Step 1 of 2: Select Margin Type") || w.Type() != 6 ||
                w.Colour() != COLORREF(0x336699) || w.Finish())
                return false;
            w.Next();
            if (w.Slider(CMarginWizard::kSliderBottom)->value() != 20 || w.HorizontalPercent() != 20)
                return false;
            w.reject();
            return false;
        }));
        QVERIFY(Front().GetObjectCount() == 0 && !CUndoStore::Instance().CanUndo() && !m_frame->Document()->IsModified());
        // Not without a face: disabled, and run anyway it asks nothing.
        QVERIFY(ShowRenderTab(*m_frame));
        m_frame->UpdateCommandUI();
        bool asked = false;
        QVERIFY(!margin->isEnabled() && !RunMargin([&](CMarginWizard&) { return asked = true; }) && !asked);
    }

    void bottomBandAtTenPercentIsFiftyPixelsHighInTheMarginColour()
    {
        View().SetLineColour(0x0000FF);
        View().SetFillColour(0x00FF00);
        QSignalSpy stale(&View(), &CVtwinView::renderDataStale);
        COLORREF chosen = 0;
        QVERIFY(RunMargin([&](CMarginWizard& w) {
            if (w.Caption() != QLatin1String("Step 1 of 2: Select Margin Type") || w.windowTitle() != w.Caption())
                return false;
            // The wizard starts with the document's fill colour.
            if (w.Colour() != COLORREF(0x00FF00))
                return false;
            w.TypeButton(1)->click();
            // A palette colour of the "&Color" button.
            int count = 0;
            chosen = CColorButton::PaletteColors(count)[5];
            w.ColourButton()->findChild<QToolButton*>(QStringLiteral("swatch5"))->click();
            if (w.Colour() != chosen)
                return false;
            w.NextButton()->click();
            if (w.Caption() != QLatin1String("Step 2 of 2: Set Margin Size") || !w.FinishButton()->isVisibleTo(&w))
                return false;
            // The slider counts from the top down, so the bottom band takes 100 - position.
            QSlider* s = w.Slider(CMarginWizard::kSliderLeft);
            if (s->minimum() != 1 || s->maximum() != 99 || s->value() != 50)
                return false;
            s->setValue(90);
            // Which sliders a type uses and what they give is the core's (MarginSliders); here the wiring.
            if (VisibleSliders(w) != std::set<int>{CMarginWizard::kSliderLeft} ||
                w.SliderLabel(CMarginWizard::kSliderLeft)->text() != QLatin1String("10%"))
                return false;
            return w.Finish();
        }));
        // The band's shape for 10 % is the core's (CreateMarginObject); here its colours.
        QCOMPARE(int(Front().GetObjectCount()), 1);
        const CDrawObject* band = Front().GetObject(0);
        QCOMPARE(std::tuple(band->GetHeight(), band->GetFillColour(), band->GetLineColour(), band->GetSelection()),
                 std::tuple(50, chosen, COLORREF(0x0000FF), kSelectDominant));
        // The fill colour is taken over and the swatch shows it.
        QCOMPARE((std::array{View().FillColour(), m_frame->FillColorButton()->Color(), View().LineColour()}),
                 (std::array{chosen, chosen, COLORREF(0x0000FF)}));
        // The common epilogue.
        QVERIFY(m_frame->Document()->IsModified() && stale.count() >= 1);
        QCOMPARE(View().Canvas()->ToolMode(), int(kModeSelect));
        // One undo step that takes the margin away again.
        QCOMPARE(TopUndo(), QStringLiteral("Draw Margin"));
        QVERIFY(m_frame->RunCommand(ID_EDIT_UNDO));
        QVERIFY(Front().GetObjectCount() == 0 && !CUndoStore::Instance().CanUndo());
    }

    // ---- the "Fit Picture To" dialog ------------------------------------------------

    void fitDialogShowsTheOpeningTextsPreselectsPreviewsOrClosesAtOnce()
    {
        // 400 x 100, left half red and right half blue, on a 200 x 100 face. The
        // texts and the preselected answer come from the core's opening step.
        const auto wide = Painted(400, 100, [](int x, int) { return x < 200 ? kRed : kBlue; });
        const CFitPictureOpening opening = OpenFitPicture(400, 100, 200, 100, "Spine", "Book", 7);
        CFitPictureDialog dialog(*wide, 200, 100, QStringLiteral("Spine"), QStringLiteral("Book"), 7);
        QVERIFY(!dialog.Fits());
        QCOMPARE(dialog.windowTitle(), QString::fromStdString(opening.title));
        QCOMPARE(dialog.Explanation()->text(), QString::fromStdString(opening.explanation));
        QCOMPARE(dialog.ChoiceButton(0)->text(), QStringLiteral("&Stretch"));
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(dialog.ChoiceButton(i)->text(), QString::fromStdString(opening.choices[i - 1]));
        QCOMPARE(dialog.Answer(), opening.preselected);
        QVERIFY(dialog.ChoiceButton(opening.preselected)->isChecked());
        // The preview follows the choice.
        dialog.ChoiceButton(0)->click();
        QVERIFY(Shown(dialog));
        auto preview = [&] { return dialog.PreviewPicture(); };
        QCOMPARE(std::tuple(preview().size(), At(preview(), 99, 50), At(preview(), 100, 50)),
                 std::tuple(QSize(200, 100), kRed, kBlue));
        const qint64 stretchKey = dialog.Preview()->pixmap().cacheKey();
        QTest::mouseClick(dialog.ChoiceButton(1), Qt::LeftButton);
        QCOMPARE(dialog.Answer(), 1);
        QCOMPARE(At(preview(), 199, 99), kRed);
        QVERIFY(dialog.Preview()->pixmap().cacheKey() != stretchKey);
        dialog.ChoiceButton(3)->click();
        QCOMPARE(At(preview(), 0, 0), kBlue);

        // Equal proportions close at once with -1: 400 x 200 on a 200 x 100 face, 400 * 100 == 200 * 200.
        const auto picture = Painted(400, 200, [](int, int) { return kGreen; });
        CFitPictureDialog fits(*picture, 200, 100, QStringLiteral("Front"), QStringLiteral("Box"), 2);
        QVERIFY(fits.Fits());
        QCOMPARE(fits.exec(), int(QDialog::Accepted));  // returns without showing
        QVERIFY(!fits.isVisible() && fits.Answer() == -1 && !fits.ChoiceButton(0));
        bool shown = false;
        CFitPictureDialog::SetRunner([&](CFitPictureDialog&) { return shown = true; });
        const std::optional<int> answer =
            AskFitPicture(nullptr, *picture, 200, 100, QStringLiteral("Front"), QStringLiteral("Box"), 2);
        QVERIFY(answer == -1 && !shown);
        // A different ratio does reach the dialog; Cancel gives no answer.
        CFitPictureDialog::SetRunner([&](CFitPictureDialog&) { return !(shown = true); });
        QVERIFY(!AskFitPicture(nullptr, *wide, 200, 100, QStringLiteral("Front"), QStringLiteral("Box"), 0));
        QVERIFY(shown);
    }

    // ---- where pictures meet faces ------------------------------------------------

    void facePictureEditorCropsThroughTheCoreFittingAndScalesTheObjects()
    {
        // A 60 x 40 front face as new projects make them.
        CProduct& product = *m_frame->Document()->GetProduct();
        CSide& side = product.GetOrCreateSide("F");
        side.Reset(kAppearanceColor, 60, 40, 0xFFFFFF, 1);
        QVERIFY(BuildAppearance(side));
        // 300 x 100: thirds red, green, blue. 300 * 40 > 100 * 60, so it is wider;
        // the crop is (100 * 60 + 20) / 40 = 150 wide, excess 150, centre offset 75.
        const QString file = SavePicture(m_dir, QStringLiteral("thirds.png"), 300, 100,
                                         [](int x, int) { return x < 100 ? kRed : x < 200 ? kGreen : kBlue; });
        QVERIFY(!file.isEmpty());
        SetFacePictureChooser([file] { return file; });

        // Cancel: nothing changes.
        CFitPictureDialog::SetRunner([](CFitPictureDialog&) { return false; });
        QVERIFY(!EditFacePicture(m_frame.get(), &View(), 'F'));
        QVERIFY(product.FindSidePtr("F")->GetPicture()->GetWidth() == 60 &&
                !m_frame->Document()->GetUndoStore().CanUndo());

        QString title;
        int preselected = -2;
        CFitPictureDialog::SetRunner([&](CFitPictureDialog& d) {
            title = d.windowTitle();
            preselected = d.Answer();
            d.ChoiceButton(2)->click();
            return true;
        });
        QVERIFY(EditFacePicture(m_frame.get(), &View(), 'F'));
        QCOMPARE(title, QStringLiteral("Fit Picture To Front"));
        QCOMPARE(preselected, 0);  // a colour face had no fitting answer yet
        const CSide& after = *product.FindSidePtr("F");
        const SettingStore& set = after.GetSettings();
        QCOMPARE(std::pair(set.GetInt(SideKey(kSideFitMode)), set.GetInt(SideKey(kSideAppearance))),
                 std::pair(2, int(kAppearancePicture)));
        // Which columns the crop keeps is the core's (Appearance.PictureFitting).
        QCOMPARE((std::array{after.GetPicture()->GetWidth(), after.GetPicture()->GetHeight(),
                             View().Canvas()->FaceWidth()}),
                 (std::array{150, 100, 150}));
        QCOMPARE(UndoMenuText(), std::string("&Undo Modify Front Image\tCtrl+Z"));

        // The next time the previous answer is offered; stretching keeps the face's size.
        CFitPictureDialog::SetRunner([&](CFitPictureDialog& d) {
            preselected = d.Answer();
            d.SetAnswer(0);
            return true;
        });
        const QString square = SavePicture(m_dir, QStringLiteral("square.png"), 90, 90, [](int, int) { return kBlue; });
        SetFacePictureChooser([square] { return square; });
        QVERIFY(EditFacePicture(m_frame.get(), &View(), 'F'));
        const CSide& stretched = *product.FindSidePtr("F");
        QCOMPARE((std::array{preselected, stretched.GetSettings().GetInt(SideKey(kSideFitMode)),
                             stretched.GetPicture()->GetWidth(), stretched.GetPicture()->GetHeight()}),
                 (std::array{2, 0, 150, 100}));

        // A crop that changes the face's resolution scales its draw objects
        // with it; one undo step brings back the picture and the objects.
        ObjectCommands::Add(Front(), CreateMarginObject(1, 150, 100, 50, 10, 0xFF, 0), true);
        const QRect box = Box(*Front().GetObject(0));
        // 600 x 200 cropped for a 150 x 100 face keeps 300 x 200 pixels: twice the face.
        const QString big = SavePicture(m_dir, QStringLiteral("big.png"), 600, 200, [](int, int) { return kRed; });
        CFitPictureDialog::SetRunner([&](CFitPictureDialog& d) {
            d.SetAnswer(1);
            return true;
        });
        SetFacePictureChooser([big] { return big; });
        QVERIFY(EditFacePicture(m_frame.get(), &View(), 'F'));
        QVERIFY(m_messages.questions.isEmpty());
        QCOMPARE(product.FindSidePtr("F")->GetPicture()->GetWidth(), 300);
        QCOMPARE(Box(*Front().GetObject(0)), QRect(box.topLeft() * 2, box.bottomRight() * 2));
        UndoContext context{*m_frame->Document(), nullptr};
        m_frame->Document()->GetUndoStore().Undo(context);
        QCOMPARE(product.FindSidePtr("F")->GetPicture()->GetWidth(), 150);
        QCOMPARE(Box(*Front().GetObject(0)), box);
    }

    void sidePageAsksWithTheFaceSizeOfTheAnswers()
    {
        QTemporaryDir data;
        QVERIFY(data.isValid());
        std::string error;
        std::optional<CAppFolders> folders = CAppFolders::Create(data.path().toStdString(), error);
        QVERIFY2(folders, error.c_str());
        ModelEntry entry;
        entry.section = "dmo_box_001.bmp";
        entry.name = "Software Box";
        entry.model = "BOX";
        entry.width = -130;
        entry.height = -190;
        entry.depth = -30;
        const std::unique_ptr<CProduct> product = CreateProduct(entry.model);
        QVERIFY(product);
        // 100 x 100 against a 130 x 190 front: 100 * 190 > 100 * 130, relatively wider.
        const QString file = SavePicture(m_dir, QStringLiteral("square100.png"), 100, 100,
                                         [](int, int) { return kGreen; });

        CNewProjectWizard wizard(*folders, entry, *product);
        QCOMPARE(wizard.CurrentPage()->Title(), QStringLiteral("Box Dimensions"));
        QVERIFY(wizard.Next());
        QCOMPARE(wizard.CurrentPage()->Title(), QStringLiteral("Front's Appearance"));
        wizard.CurrentPage()->findChild<QLineEdit*>(QStringLiteral("pictureFile"))->setText(file);

        QString title, firstChoice;
        int preselected = -2;
        CFitPictureDialog::SetRunner([&](CFitPictureDialog& d) {
            title = d.windowTitle();
            firstChoice = d.ChoiceButton(1)->text();
            preselected = d.Answer();
            d.ChoiceButton(3)->click();
            return true;
        });
        QVERIFY(wizard.Next());
        QCOMPARE(std::pair(title, firstChoice),
                 std::pair(QStringLiteral("Fit Picture To Front"), QStringLiteral("Use the &Left part of the Picture")));
        QCOMPARE((std::array{preselected, wizard.Answers().sides.at('F').type, wizard.Answers().sides.at('F').fit}),
                 (std::array{0, 0, 3}));

        // Back on the page the answer is offered again; Cancel keeps the page.
        wizard.Back();
        CFitPictureDialog::SetRunner([&](CFitPictureDialog& d) {
            preselected = d.Answer();
            return false;
        });
        QVERIFY(!wizard.Next());
        QCOMPARE(std::pair(preselected, wizard.CurrentPage()->Title()),
                 std::pair(3, QStringLiteral("Front's Appearance")));

        // A square box front (from the Size page's answer) fits the square picture: no question.
        wizard.Back();
        wizard.CurrentPage()->findChild<QLineEdit*>(QStringLiteral("width"))->setText(QStringLiteral("150"));
        wizard.CurrentPage()->findChild<QLineEdit*>(QStringLiteral("height"))->setText(QStringLiteral("150"));
        QVERIFY(wizard.Next());
        bool asked = false;
        CFitPictureDialog::SetRunner([&](CFitPictureDialog&) { return asked = true; });
        QVERIFY(wizard.Next());
        QVERIFY(!asked && wizard.Answers().sides.at('F').fit == 0);

        // An unreadable picture is reported on the page, which stays with the
        // focus in the file name, before the wizard's answers could be lost.
        wizard.Back();
        auto* fileField = wizard.CurrentPage()->findChild<QLineEdit*>(QStringLiteral("pictureFile"));
        fileField->setText(m_dir.filePath(QStringLiteral("missing.png")));
        m_messages.messages.clear();
        wizard.show();
        QVERIFY(!wizard.Next());
        QCOMPARE(m_messages.messages.size(), 1);
        QVERIFY(wizard.CurrentPage()->Title() == QStringLiteral("Front's Appearance") &&
                wizard.focusWidget() == fileField);
    }
};

QTEST_MAIN(CMarginAndFitTest)
#include "margin_and_fit.moc"
