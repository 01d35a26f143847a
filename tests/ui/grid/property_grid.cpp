// The property grid: edits with their undo steps and messages, what an edit
// renders again, rebuilding after undo and tab changes; its editors: number
// fields that refuse and stay open, track bars with signed ranges, colour
// checks, the lights dialog, choice lists driven from the keyboard, and where
// an editor opens over its row. Which rows a product brings is the core's
// (tests/app/GridRowsTest), and what an update class makes stale too
// (RenderCacheCascade.UpdateMaskOfAnEditMarksWhatIsStale).

#include "GridTestFixture.h"

#include "catalogue/NewProject.h"
#include "catalogue/product/SideAppearance.h"
#include "ground/UndoFileCounter.h"
#include "image/picture/VectorArt.h"
#include "ui/grid/FacePictureEditor.h"
#include "ui/grid/GridEditors.h"
#include "ui/widgets/ArtworkPage.h"

#include <QPdfWriter>

class CPropertyGridTest : public CGridFixture {
    Q_OBJECT

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void editsAreUndoableRebuildTheGridAndExplainThemselves()
    {
        QVERIFY(ShowRenderTab(*m_frame));
        QCOMPARE(m_grid->TabName(), QStringLiteral("Render"));
        const int row = m_grid->FindRow("Borders", "Borders");
        // The setting, and whether the grid shows the border rows.
        const auto borders = [this] {
            return std::pair(Settings().GetInt(ModelKey(kSetBorders)), m_grid->FindRow("Size", "Borders") >= 0);
        };
        QVERIFY(row >= 0 && borders() == std::pair(0, false));
        QSignalSpy edited(m_grid, &CPropertyGrid::edited);
        const QImage before = m_frame->View()->RenderPage()->Picture();
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetChoiceIndex(0); });  // "Yes"
        m_grid->EditRow(row);
        // Rendered again at once: the picture on the Render tab has its border.
        QVERIFY(m_frame->View()->WaitForRendering() && m_frame->View()->RenderPage()->Picture() != before);
        // Rebuilt: the border rows are there and the edited row stays selected.
        QCOMPARE(borders(), std::pair(1, true));
        QVERIFY(edited.count() == 1 && edited.at(0).at(0).toUInt() == 193u);  // class of Borders
        CUndoStore& undo = m_frame->Document()->GetUndoStore();
        QCOMPARE(undo.GetUndoMenuText(), std::string("&Undo Set Borders to Yes\tCtrl+Z"));
        QVERIFY(m_grid->currentRow() == m_grid->FindRow("Borders", "Borders") && m_frame->Document()->IsModified());
        // The selected row survives a visit to a face tab (whose grid has two rows).
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        QCOMPARE(m_grid->RowCount(), 2);
        QVERIFY(ShowRenderTab(*m_frame));
        QCOMPARE(m_grid->currentRow(), m_grid->FindRow("Borders", "Borders"));

        // Choosing the value it already has makes no undo step.
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetChoiceIndex(0); });
        m_grid->EditRow(m_grid->FindRow("Borders", "Borders"));
        QVERIFY(edited.count() == 1 && undo.GetUndoMenuText() == "&Undo Set Borders to Yes\tCtrl+Z");

        // Undo restores the value and the grid loses the border rows again.
        QVERIFY(m_frame->RunCommand(ID_EDIT_UNDO));
        QCOMPARE(borders(), std::pair(0, false));
        QVERIFY(m_frame->RunCommand(ID_EDIT_REDO));
        QCOMPARE(borders(), std::pair(1, true));

        // Edits that need a word of explanation say it after the edit.
        SetM(Product(), kSetReflection, 1);
        m_grid->Rebuild();
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetChoiceIndex(1); });  // "Behind (Vertical Table)"
        m_grid->EditRow(m_grid->FindRow("Table Position"));
        QCOMPARE(Settings().GetInt(ModelKey(kSetTablePosition)), 1);
        QCOMPARE(m_messages.messages.value(0),
                 QStringLiteral("Reflections can not be combined with this Table Position, so will not be displayed."));
        QCOMPARE(m_grid->FindRow("Reflection", "Reflection"), -1);

        m_messages.messages.clear();
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetChoiceIndex(0); });
        m_grid->EditRow(m_grid->FindRow("Lens Flare", "Lens Flare"));
        QCOMPARE(m_messages.messages.value(0),
                 QStringLiteral("Click on the rendered image if you wish to reposition the primary Lens Flare."));
    }

    void faceImageRowReplacesThePictureAsOneUndoStep()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CUndoFileCounter::Instance().SetFolder(dir.path().toStdString() + "/");
        // A red 30 x 20 picture stretched over the 60 x 40 front face.
        QImage red(30, 20, QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        const QString file = dir.filePath(QStringLiteral("red.png"));
        QVERIFY(red.save(file));
        // A front face as new projects make them: white, 60 x 40, built from its settings.
        CSide& side = Product().GetOrCreateSide("F");
        side.Reset(kAppearanceColor, 60, 40, 0xFFFFFF, 1);
        QVERIFY(BuildAppearance(side));
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        const int row = m_grid->FindRow("Image", "Front Image");
        QVERIFY(row >= 0);
        SetFacePictureChooser([] { return QString(); });
        m_grid->EditRow(row);  // cancelled: nothing happens
        QVERIFY(!m_frame->Document()->GetUndoStore().CanUndo());
        SetFacePictureChooser([file] { return file; });
        m_grid->EditRow(row);
        SetFacePictureChooser(nullptr);
        const CRaster* front = Product().FindSidePtr("F")->GetPicture();
        QVERIFY(front && front->GetWidth() == 60 && front->GetHeight() == 40);
        QCOMPARE(int(front->GetBits(20)[3 * 30 + 1]), 0);  // red, not white (the fitting is the core's)
        QCOMPARE(UndoMenuText(), std::string("&Undo Modify Front Image\tCtrl+Z"));
        // The rendering is brought up to date before the undo, which must make it stale again.
        QVERIFY(ShowRenderTab(*m_frame));
        QVERIFY(m_frame->View()->Pipeline().GetCache().IsUpToDate("y"));
        QVERIFY(m_frame->RunCommand(ID_EDIT_UNDO));
        QVERIFY(!m_frame->View()->Pipeline().GetCache().IsUpToDate("y"));
        QCOMPARE(int(Product().FindSidePtr("F")->GetPicture()->GetBits(20)[3 * 30 + 1]), 255);  // white again

        // A PDF of two pages: the page the user names becomes the face and is kept as artwork.
        const QString pdf = dir.filePath(QStringLiteral("two.pdf"));
        {
            QPdfWriter writer(pdf);
            writer.setPageSize(QPageSize(QSizeF(60, 40), QPageSize::Millimeter));
            writer.setPageMargins(QMarginsF());
            QPainter painter(&writer);
            painter.fillRect(QRect(QPoint(), QSize(writer.width(), writer.height())), Qt::red);
            writer.newPage();
            painter.fillRect(QRect(QPoint(), QSize(writer.width(), writer.height())), Qt::blue);
        }
        int asked = 0;
        SetArtworkPageHook([&asked](int pages) { asked = pages; return std::optional<int>(2); });
        SetFacePictureChooser([pdf] { return pdf; });
        m_grid->EditRow(row);
        SetFacePictureChooser(nullptr);
        SetArtworkPageHook(nullptr);
        QCOMPARE(asked, 2);
        const CSide* withArt = Product().FindSidePtr("F");
        QVERIFY(withArt->GetPictureArt() && withArt->GetPictureArt()->GetPage() == 2);
        const CRaster* blue = withArt->GetPicture();
        const std::uint8_t* bpx = blue->GetBits(blue->GetHeight() / 2) + 3 * (blue->GetWidth() / 2);
        QVERIFY(bpx[0] > 200 && bpx[2] < 50);
        CUndoFileCounter::Instance().SetFolder({});
    }

    // After the wizard: the rendering size in the grid ("WxH", refused out
    // of range), and Face > Appearance, each one undo step.
    void renderingSizeAndFaceAppearanceAfterTheWizard()
    {
        QVERIFY(UseDataFolder());
        CUndoFileCounter::Instance().SetFolder(m_folders->GetInternalFolder());
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Render")));
        const int row = m_grid->FindRow("Rendering Size", "Rendering Options");
        for (const char* text : {"30x200", "300 x 200"}) {
            Answer([text](QDialog& d) { d.findChild<QLineEdit*>()->setText(QString::fromLatin1(text)); });
            m_grid->EditRow(row);
        }
        QCOMPARE(m_messages.messages, QStringList{"Width must be between 50 and 10000 pixels."});
        QCOMPARE(std::pair(Settings().GetInt(ModelKey(kSetRenderWidth)), Settings().GetInt(ModelKey(kSetRenderHeight))),
                 std::pair(300, 200));
        QCOMPARE(UndoMenuText(), std::string("&Undo Set Rendering Size to 300x200\tCtrl+Z"));

        // A white 60 x 40 front becomes gradient style 0 of white and black:
        // colour 2 (black) at the left edge, colour 1 (white) towards the right.
        CSide& side = Product().GetOrCreateSide("F");
        side.Reset(kAppearanceColor, 60, 40, 0xFFFFFF, 1);
        QVERIFY(BuildAppearance(side));
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            auto* style = d->findChild<QComboBox*>(QStringLiteral("style"));
            style->setCurrentIndex(style->findText(QStringLiteral("Gradient")));
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QVERIFY(m_frame->RunCommand(ID_FACE_APPEARANCE));
        const CRaster* front = Product().FindSidePtr("F")->GetPicture();
        QCOMPARE(front->GetWidth(), 60);
        QCOMPARE(int(front->GetBits(20)[0]), 0);  // the gradient's shape: Appearance.GradientShapesFollowTheirFormulas
        QCOMPARE(UndoMenuText(), std::string("&Undo Modify Front Appearance\tCtrl+Z"));
        QVERIFY(m_frame->RunCommand(ID_EDIT_UNDO));
        QCOMPARE(int(Product().FindSidePtr("F")->GetPicture()->GetBits(20)[0]), 255);
        CUndoFileCounter::Instance().SetFolder({});
    }

    // Choosing another CD-ROM image on the CD-ROM tab shows the new disc at once.
    void cdImageAndPaperColourEditsShowOnTheirTabAtOnce()
    {
        QVERIFY(UseDataFolder());
        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        QVERIFY(red.save(QString::fromStdString(m_folders->GetInternalFolder() + GetCDSurfaceFileName("c119"))));
        auto product = CreateProduct("BOXCD");
        for (const char* key : {"F", "L", "R", "U", "D", "G", "C"})
            product->GetOrCreateSide(key).SetPicture(WhitePicture(16, 16));
        m_frame->Document()->NewProject(std::move(product));
        m_frame->DocumentChanged();
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("CD-ROM")));
        QCOMPARE(m_frame->View()->Canvas()->Picture().pixel(8, 8), qRgb(255, 255, 255));
        m_grid->CommitEdit({{ModelKey(kSetCDImage), true, 0, "c119"}}, "Set CD-ROM Image to Red");
        QVERIFY(m_messages.messages.isEmpty() && m_frame->View()->CurrentTabName() == QStringLiteral("CD-ROM"));
        QCOMPARE(m_frame->View()->Canvas()->Picture().pixel(8, 8), qRgb(255, 0, 0));

        // A page-edge tab shows its page edge as the settings make it before any
        // rendering, and a Paper Color edit at once, not after the next rendering.
        product = CreateProduct("BOOK");
        product->GetSettings().SetInt(ModelKey(kSetPaperColor), 0x00FF00);  // green paper
        for (const char* key : {"F", "S", "G"})
            product->GetOrCreateSide(key).SetPicture(WhitePicture(60, 80));
        for (const char* key : {"r", "u", "d"})
            product->GetOrCreateSide(key).SetPicture(WhitePicture(10, 80));
        m_frame->Document()->NewProject(std::move(product));
        m_frame->DocumentChanged();
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Pages (Right)")));
        auto shows = [this](QRgb colour) {
            const QImage& shown = m_frame->View()->Canvas()->Picture();
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if (shown.pixel(x, y) == colour)
                        return true;
            return false;
        };
        QVERIFY(shows(qRgb(0, 255, 0)) && !shows(qRgb(255, 0, 0)));
        m_grid->CommitEdit({{ModelKey(kSetPaperColor), false, 0x0000FF, {}}}, "Modify Pages' Paper Color");
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Pages (Right)"));
        QVERIFY(shows(qRgb(255, 0, 0)));
    }

    // The resolution is typed (a track bar can not pick one of 9591 values)
    // and its row says what it means on paper: 100 pixels at 300 dpi are
    // 100 / 300 x 2.54 = 0.85 cm, at 254 dpi exactly 1.0 cm.
    void resolutionIsTypedAndASliderKeepsTheSign()
    {
        QVERIFY(ShowRenderTab(*m_frame));
        const int row = m_grid->FindRow("Resolution", "Rendering Options");
        QVERIFY(row >= 0 && EditorOf(m_grid->Row(row)) == EGridEditor::Number);
        QCOMPARE(m_grid->Row(row).value, std::string("0.8 x 0.8 cm at 300 dpi"));

        QString shown;
        Answer([&shown](QDialog& d) {
            auto& e = static_cast<CInPlaceEditor&>(d);
            shown = e.Text();
            e.SetText(QStringLiteral("254"));
        });
        m_grid->EditRow(row);
        QVERIFY(m_lastClosed);
        QCOMPARE(std::pair(shown, Settings().GetInt(ModelKey(kSetResolution))), std::pair(QStringLiteral("300"), 254));
        QCOMPARE(UndoMenuText(), std::string("&Undo Set Resolution to 254 dpi\tCtrl+Z"));
        QCOMPARE(m_grid->Row(m_grid->FindRow("Resolution")).value, std::string("1.0 x 1.0 cm at 254 dpi"));

        // A slider keeps the sign of a signed range.
        QSignalSpy edited(m_grid, &CPropertyGrid::edited);
        QRect editorRect;
        Answer([&editorRect](QDialog& d) {
            editorRect = d.geometry();
            auto& e = static_cast<CInPlaceEditor&>(d);
            // -60 .. 60 runs on a track bar of 0 .. 120.
            QCOMPARE((std::array{e.Slider()->minimum(), e.Slider()->maximum(), e.SliderValue()}), (std::array{0, 120, 10}));
            e.SetSliderValue(-45);
        });
        const int rotation = m_grid->FindRow("X Rotation");
        m_grid->EditRow(rotation);
        // The track bar covers the whole row, not just the narrow value column.
        const QRect item = m_grid->visualItemRect(m_grid->item(rotation));
        QCOMPARE(editorRect.topLeft(), m_grid->viewport()->mapToGlobal(QPoint(0, item.top())));
        QCOMPARE(editorRect.width(), m_grid->viewport()->width());
        QCOMPARE(std::pair(Settings().GetInt(ModelKey(kSetXRotation)), m_grid->Row(m_grid->FindRow("X Rotation")).value),
                 std::pair(-45, std::string("-45")));
        QCOMPARE(UndoMenuText(), std::string("&Undo Set X Rotation to -45 degrees\tCtrl+Z"));
        QCOMPARE(edited.at(0).at(0).toUInt(), 193u);
    }

    void colourAndLightsChecksKeepTheEditorOpen()
    {
        QVERIFY(ShowRenderTab(*m_frame));
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetColour(0xFFFFFF); });
        m_grid->EditRow(m_grid->FindRow("Color", "Shadows"));
        QVERIFY(!m_lastClosed && Settings().GetInt(ModelKey(kSetShadowColor)) == 0x808080);
        QCOMPARE(m_messages.messages.value(0), QStringLiteral("Shadows can not be white."));

        // The colour button and its OK button both fit in the editor.
        int editorWidth = 0, needed = 0;
        Answer([&](QDialog& d) {
            editorWidth = d.geometry().width();
            needed = d.minimumSizeHint().width();
            static_cast<CInPlaceEditor&>(d).SetColour(0xFEFFFF);
        });
        m_grid->EditRow(m_grid->FindRow("Color", "Shadows"));
        QVERIFY(m_lastClosed && Settings().GetInt(ModelKey(kSetShadowColor)) == 0xFEFFFF);
        QVERIFY2(editorWidth >= needed, qPrintable(QStringLiteral("%1 < %2").arg(editorWidth).arg(needed)));
        // A narrow grid cuts the colour text; the row's tip gives the three channels whole.
        QCOMPARE(m_grid->item(m_grid->FindRow("Color", "Shadows"))->toolTip(), QStringLiteral("Color: R=255 G=255 B=254"));
        QCOMPARE(UndoMenuText(), std::string("&Undo Modify Shadow Color\tCtrl+Z"));

        // A very dark colorize colour asks; No keeps the old one.
        SetM(Product(), kSetColorEffect, 1);
        m_grid->Rebuild();
        m_messages.answer = EAnswer::No;
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetColour(0x404040); });
        m_grid->EditRow(m_grid->FindRow("Color", "Color Effect"));
        QVERIFY(!m_lastClosed && m_messages.questions.size() == 1);
        QCOMPARE(Settings().GetInt(ModelKey(kSetColorEffectColor)), 0x00FF00);

        // The lights dialog wants at least one light and makes the lights mask.
        m_messages.messages.clear();
        Answer([](QDialog& d) {
            auto& l = static_cast<CLightsDialog&>(d);
            for (int c = 0; c < 5; ++c)
                for (int r = 0; r < 5; ++r)
                    l.SetLight(c, r, false);
        });
        m_grid->EditRow(m_grid->FindRow("Lights"));
        QVERIFY(!m_lastClosed && m_messages.messages.value(0).startsWith("You must turn on at least one light"));

        // The four corners: bits 0, 4, 20 and 24.
        Answer([](QDialog& d) {
            auto& l = static_cast<CLightsDialog&>(d);
            l.SetLight(3, 1, false);
            l.SetLight(0, 0, true);
            l.SetLight(4, 0, true);
            l.SetLight(0, 4, true);
            l.SetLight(4, 4, true);
        });
        m_grid->EditRow(m_grid->FindRow("Lights"));
        QVERIFY(m_lastClosed && Settings().GetInt(ModelKey(kSetLights)) == int(1u | 1u << 4 | 1u << 20 | 1u << 24));
        QCOMPARE(UndoMenuText(), std::string("&Undo Modify Lights\tCtrl+Z"));
    }

    // A refusal shows a modal message; the editor over the row must still be
    // there afterwards with the user's text, nothing changed, and it must
    // cover the value column exactly. The limit itself is taken.
    void shownEditorSurvivesItsRefusalMessage()
    {
        SetM(Product(), kSetBevel, 1);
        QVERIFY(Shown(*m_frame, {1000, 700}));
        QVERIFY(ShowRenderTab(*m_frame));
        // Messages come up as real modal windows that close themselves.
        SetMessageHooks(
            [this](const QString& t, EMessageIcon) {
                m_messages.messages << t;
                QDialog box(QApplication::activeWindow());
                box.setModal(true);
                QTimer::singleShot(50, &box, &QDialog::accept);
                box.exec();
            },
            nullptr);
        bool visibleAfter = false;
        QString textAfter;
        QRect editorRect;
        CPropertyGrid::SetEditorRunner([&](QDialog& d) {
            auto& e = static_cast<CInPlaceEditor&>(d);
            e.show();
            editorRect = e.geometry();
            e.SetText(QStringLiteral("0"));
            e.accept();  // refused: 0 is below 1
            QTest::qWait(20);
            visibleAfter = e.isVisible();
            textAfter = e.Text();
            e.reject();
            return false;
        });
        const int row = m_grid->FindRow("Size", "Bevel");
        m_grid->EditRow(row);
        QCOMPARE(m_messages.messages.value(0), QStringLiteral("Bevel Size must be between 1 and 25 pixels."));
        QVERIFY(visibleAfter && textAfter == QStringLiteral("0"));
        // The value column starts at 7/10 of the painted row's width.
        const QRect item = m_grid->visualItemRect(m_grid->item(row));
        const int viewportWidth = m_grid->viewport()->width();
        const QPoint valueLeft = m_grid->viewport()->mapToGlobal(QPoint(viewportWidth * 7 / 10, item.top()));
        QCOMPARE(editorRect, QRect(valueLeft, QPoint(m_grid->viewport()->mapToGlobal(QPoint(viewportWidth - 1, 0)).x(),
                                                     valueLeft.y() + item.height() - 1)));
        QVERIFY(Settings().GetInt(ModelKey(kSetBevelSize)) == 10 && !m_frame->Document()->GetUndoStore().CanUndo());
        SetMessageHooks(nullptr, nullptr);
        m_messages.Install();

        // The limit itself, min(100 / 4, 100 / 4) = 25 for the 100 x 100 rendering, is taken.
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetText(QStringLiteral(" 25 ")); });
        m_grid->EditRow(m_grid->FindRow("Size", "Bevel"));
        QVERIFY(m_lastClosed && Settings().GetInt(ModelKey(kSetBevelSize)) == 25);
        QCOMPARE(UndoMenuText(), std::string("&Undo Set Bevel Size to 25 pixels\tCtrl+Z"));
    }

    // A typed letter takes the name it begins and closes the editor (the
    // name already shown too); a letter that begins no name leaves it open.
    // Arrow keys move through the names without ending the edit; Enter takes
    // the one shown.
    void choiceEditorTakesLettersAndArrows()
    {
        const QStringList names = {QStringLiteral("Buttonize"), QStringLiteral("Color Fade"), QStringLiteral("Indent")};
        const struct {
            QString shown;
            std::vector<Qt::Key> keys;
            QString taken;  // empty: still open
            int index = -1;  // the name shown while still open
        } cases[] = {{names[0], {Qt::Key_Q}, {}, 0},
                     {names[0], {Qt::Key_Q, Qt::Key_I}, names[2]},
                     {names[1], {Qt::Key_C}, names[1]},
                     {names[0], {Qt::Key_Down, Qt::Key_Down}, {}, 2},
                     {names[0], {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return}, names[1]}};
        for (const auto& c : cases) {
            CInPlaceEditor editor(CInPlaceEditor::EMode::Choice, QStringLiteral("Bevel Style"));
            editor.SetChoices(names, c.shown);
            QVERIFY(Shown(editor));
            for (const Qt::Key key : c.keys)
                QTest::keyClick(editor.findChild<QComboBox*>(), key, Qt::NoModifier);
            QCOMPARE(editor.isVisible(), c.taken.isEmpty());
            QCOMPARE(editor.result(), int(c.taken.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
            if (c.taken.isEmpty())
                QCOMPARE(editor.ChoiceIndex(), c.index);
            else
                QCOMPARE(editor.Choice(), c.taken);
        }
    }

    // A value wider than its column ends in "..." (its tip gives it whole);
    // dragging the split between the columns makes room, and the editor
    // then opens at the new split.
    void longValuesAreElidedAndTheSplitDrags()
    {
        QVERIFY(Shown(*m_frame, {1000, 700}));
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Render")));
        const int row = m_grid->FindRow("Table Position");
        QVERIFY(row >= 0);
        const QString whole = QStringLiteral("Beneath (Horizontal Table)");
        QCOMPARE(m_grid->item(row)->toolTip(), QStringLiteral("Table Position: ") + whole);
        QWidget* viewport = m_grid->viewport();
        const int width = viewport->width();
        const int needed = QFontMetrics(m_grid->font()).horizontalAdvance(whole) + 6;  // 3-pixel insets
        QVERIFY2(width / 10 < needed && width * 8 / 10 >= needed, qPrintable(QString::number(width)));

        m_grid->SetSplitPermille(900);
        QCOMPARE(m_grid->LabelWidth(), width * 900 / 1000);
        const QString cut = m_grid->ShownValue(row);
        QVERIFY2(cut.endsWith(QChar(0x2026)), qPrintable(cut));
        QVERIFY(QFontMetrics(m_grid->font()).horizontalAdvance(cut) <= width - m_grid->LabelWidth() - 6);

        // Drag the split from where it is to a fifth of the width.
        const int y = m_grid->visualItemRect(m_grid->item(row)).center().y();
        QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(m_grid->LabelWidth(), y));
        QTest::mouseMove(viewport, QPoint(width / 2, y));
        QTest::mouseMove(viewport, QPoint(width / 5, y));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(width / 5, y));
        QVERIFY2(std::abs(m_grid->SplitPermille() - 200) <= 10, qPrintable(QString::number(m_grid->SplitPermille())));
        // The value whole, and the drag selected nothing.
        QCOMPARE(std::pair(m_grid->ShownValue(row), m_grid->currentRow()), std::pair(whole, -1));

        QRect editorRect;
        Answer([&editorRect](QDialog& d) {
            editorRect = d.geometry();
            d.reject();
        });
        m_grid->EditRow(row);
        QCOMPARE(editorRect.left(), viewport->mapToGlobal(QPoint(m_grid->LabelWidth(), 0)).x());
    }
};

QTEST_MAIN(CPropertyGridTest)
#include "property_grid.moc"
