// The property grid: edits with their undo steps and messages, what an edit
// renders again, and rebuilding after undo and tab changes. Which rows a
// product brings is the core's (tests/app/GridRowsTest), and what an update
// class makes stale too (RenderCacheCascade.UpdateMaskOfAnEditMarksWhatIsStale).

#include "GridTestFixture.h"

#include "ground/AppFolders.h"
#include "app/undo/UndoStore.h"
#include "catalogue/NewProject.h"
#include "properties/settings/SettingTable.h"
#include "render/RenderCache.h"
#include "render/RenderPipeline.h"
#include "catalogue/product/SideAppearance.h"
#include "ground/UndoFileCounter.h"
#include "ui/dialogs/RenderOutputDialogs.h"
#include "ui/grid/FacePictureEditor.h"
#include "ui/grid/GridEditors.h"
#include "app/GridRows.h"
#include "render/output/RenderFileFlow.h"
#include "ui/grid/PropertyGrid.h"
#include "ui/widgets/ArtworkPage.h"
#include "catalogue/product/Side.h"
#include "image/picture/VectorArt.h"
#include "ui/render/RenderPage.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QTimer>
#include <QSlider>
#include <QPushButton>
#include <QTemporaryDir>

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
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetChoiceIndex(0); });  // "Yes"
        m_grid->EditRow(row);
        // Rebuilt: the border rows are there and the edited row stays selected.
        QCOMPARE(borders(), std::pair(1, true));
        QVERIFY(edited.count() == 1 && edited.at(0).at(0).toUInt() == 193u);  // class of Borders
        CUndoStore& undo = m_frame->Document()->GetUndoStore();
        QCOMPARE(undo.GetUndoMenuText(), std::string("&Undo Set Borders to Yes\tCtrl+Z"));
        QVERIFY(m_grid->currentRow() == m_grid->FindRow("Borders", "Borders") && m_frame->Document()->IsModified());

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

    void finishingEditRendersAtOnce()
    {
        QVERIFY(ShowRenderTab(*m_frame));
        const QImage before = m_frame->View()->RenderPage()->Picture();
        QCOMPARE(before.size(), QSize(100, 100));
        Answer([](QDialog& d) { static_cast<CInPlaceEditor&>(d).SetChoiceIndex(0); });
        m_grid->EditRow(m_grid->FindRow("Color Effect", "Color Effect"));
        m_frame->View()->WaitForRendering();
        // Colorize to green: the picture on the Render tab changed already.
        const QImage after = m_frame->View()->RenderPage()->Picture();
        QVERIFY(after.size() == before.size() && after != before);
        QVERIFY(m_frame->View()->Pipeline().GetCache().IsUpToDate("y"));
        // The selected row survives a visit to a face tab (whose grid has two rows).
        const int row = m_grid->FindRow("Y Position");
        m_grid->setCurrentRow(row);
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        QCOMPARE(m_grid->RowCount(), 2);
        QVERIFY(ShowRenderTab(*m_frame));
        QCOMPARE(m_grid->currentRow(), row);
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
        QCOMPARE(m_frame->Document()->GetUndoStore().GetUndoMenuText(), std::string("&Undo Modify Front Image\tCtrl+Z"));
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
        QCOMPARE(m_frame->Document()->GetUndoStore().GetUndoMenuText(), std::string("&Undo Set Rendering Size to 300x200\tCtrl+Z"));

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
        QCOMPARE(m_frame->Document()->GetUndoStore().GetUndoMenuText(), std::string("&Undo Modify Front Appearance\tCtrl+Z"));
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
};

QTEST_MAIN(CPropertyGridTest)
#include "property_grid.moc"
