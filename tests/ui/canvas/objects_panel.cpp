// The objects panel and what it changes on the canvas: a click picks the
// front-most object only, Alt+click the ones beneath, locked and hidden
// objects are passed over; names, the Shown and Locked boxes and dragging a
// row are one undo step each, selecting rows none.

#include "CanvasTestFixture.h"

#include "app/undo/UndoStore.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"
#include "ui/canvas/GeometryBar.h"
#include "ui/canvas/ObjectsPanel.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>

#include <QTreeWidget>

#include <array>

class CObjectsPanelTest : public CCanvasFixture {
    Q_OBJECT

    CObjectsPanel& Panel() { return *m_frame->ObjectsPanel(); }
    QTreeWidgetItem* Row(int row) { return Panel().Tree()->topLevelItem(row); }
    CUndoStore& Undo() { return m_frame->Document()->GetUndoStore(); }

private slots:
    void init()
    {
        QVERIFY(StartOnFront());
        Undo().Clear();
    }
    void cleanup() { m_frame.reset(); }

    void panelRowsNamesBoxesAndOrderAreEdits()
    {
        CDrawObject* back = DrawRect(10, 90, 70, 30);
        CDrawObject* front = DrawRect(40, 80, 90, 20);
        // Both lie at (50, 50): a click takes the front one, Alt+click the one beneath
        // (the cycle itself: LayoutEdit.ClicksAndBandsFollowTheShiftRules).
        Click(5, 5);
        Click(50, 50);
        QCOMPARE(std::pair(front->GetSelection(), back->GetSelection()), std::pair(kSelectDominant, kSelectNone));
        Repaint();
        Click(50, 50, Qt::AltModifier);
        QCOMPARE(std::pair(front->GetSelection(), back->GetSelection()), std::pair(kSelectNone, kSelectDominant));
        // Front to back, named by kind until renamed.
        QCOMPARE(Panel().Tree()->topLevelItemCount(), 2);
        QCOMPARE(CObjectsPanel::IndexOfRow(Row(0)), 1);
        QCOMPARE(Row(1)->text(CObjectsPanel::kColumnName), QStringLiteral("Rectangle"));
        std::size_t steps = Undo().GetUndoCount();

        Row(1)->setText(CObjectsPanel::kColumnName, QStringLiteral("  Photo frame "));
        QCOMPARE(QString::fromStdString(back->GetName()), QStringLiteral("Photo frame"));
        QCOMPARE(Undo().GetUndoCount(), ++steps);

        // Locked: a click at the overlap passes over it to the one beneath.
        Row(0)->setCheckState(CObjectsPanel::kColumnLocked, Qt::Checked);
        QVERIFY(Front().GetObject(1)->IsLocked());
        QCOMPARE(Undo().GetUndoCount(), ++steps);
        Repaint();
        Click(50, 50);
        QCOMPARE(Front().GetObject(0)->GetSelection(), kSelectDominant);
        QCOMPARE(Front().GetObject(1)->GetSelection(), kSelectNone);

        // Hidden: not rendered onto the face (the face stays white there).
        Row(1)->setCheckState(CObjectsPanel::kColumnShown, Qt::Unchecked);
        QVERIFY(Front().GetObject(0)->IsHidden());
        QCOMPARE(Front().GetObject(0)->GetSelection(), kSelectNone);
        const std::unique_ptr<CRaster> face = WhitePicture(100, 100);
        Front().RenderToFace(*face);
        auto white = [&face](int x, int y) {
            const RGBQUAD c = face->GetPixelColor(x, y);
            return c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255;
        };
        QVERIFY(white(10, 50));   // the hidden one's left edge
        QVERIFY(!white(40, 50));  // the locked one's left edge
        QCOMPARE(Undo().GetUndoCount(), ++steps);

        // Selecting rows selects objects; no undo step.
        Panel().Tree()->clearSelection();
        Row(0)->setSelected(true);
        QCOMPARE(Front().GetObject(1)->GetSelection(), kSelectDominant);
        QCOMPARE(Undo().GetUndoCount(), steps);

        // The front row dragged below the other: it goes to the back.
        Panel().MoveRow(0, 1);
        QCOMPARE(Front().GetObject(0), front);
        QCOMPARE(Row(1)->text(CObjectsPanel::kColumnName), QStringLiteral("Rectangle"));
        QCOMPARE(Undo().GetUndoCount(), ++steps);
        // Each was one step: four undos restore the first state.
        for (int i = 0; i < 4; ++i)
            Run(ID_EDIT_UNDO);
        QCOMPARE(Front().GetObject(0)->GetName(), std::string());
        QVERIFY(!Front().GetObject(0)->IsHidden() && !Front().GetObject(1)->IsLocked());
        // (undo restores copies: `front` itself is gone)
        QCOMPARE(Front().GetObject(1)->GetMinX(), 40);
    }

    // The numbers of the selection: millimetres from the face's top-left
    // corner, arrow steps of one unit, one undo step for each value.
    void numericFieldsPlaceTheSelectionInMillimetres()
    {
        // 100 x 50 mm on a front of 200 x 100 pixels: 2 pixels a millimetre.
        SettingStore& s = m_frame->Document()->GetProduct()->GetSettings();
        s.SetReal(ModelKey(kSetProductWidth), 100.0);
        s.SetReal(ModelKey(kSetProductHeight), 50.0);
        s.SetReal(ModelKey(kSetProductDepth), 20.0);
        CDrawObject* r = DrawRect(20, 80, 60, 40);
        CGeometryBar& bar = *m_frame->GeometryBar();
        bar.Refresh();
        QCOMPARE(bar.UnitChoice()->currentText(), QStringLiteral("mm"));
        // x 20 / 2, y (100 - 80) / 2 from the top, width 40 / 2.
        QCOMPARE((std::array{bar.PixelsPerMm(), bar.Field(CGeometryBar::kFieldX)->value(),
                             bar.Field(CGeometryBar::kFieldY)->value(), bar.Field(CGeometryBar::kFieldWidth)->value()}),
                 (std::array{2.0, 10.0, 10.0, 20.0}));
        const std::size_t steps = Undo().GetUndoCount();
        bar.Field(CGeometryBar::kFieldY)->setValue(5.0);
        QCOMPARE(std::pair(r->GetMaxY(), r->GetMinY()), std::pair(90, 50));
        bar.Field(CGeometryBar::kFieldWidth)->setValue(30.5);
        QCOMPARE(std::pair(r->GetMinX(), r->GetMaxX()), std::pair(20, 81));
        bar.Field(CGeometryBar::kFieldX)->setFocus();
        QTest::keyClick(bar.Field(CGeometryBar::kFieldX), Qt::Key_Up);
        QCOMPARE(r->GetMinX(), 22);
        QCOMPARE(Undo().GetUndoCount(), steps + 3);
        QCOMPARE(QString::fromStdString(Undo().TopUndoDescription()), QStringLiteral("Move Rectangle"));
        Run(ID_EDIT_UNDO);
        QCOMPARE(Front().GetObject(0)->GetMinX(), 20);
        // Pixels: the same box in face pixels.
        bar.UnitChoice()->setCurrentIndex(1);
        QCOMPARE(bar.Field(CGeometryBar::kFieldWidth)->value(), 61.0);
        // A shape has no angle of its own.
        QVERIFY(!bar.AngleField()->isEnabled());
    }

    // On a face of another size a paste keeps its place relative to the face
    // and stays inside it; Paste In Place keeps the coordinates.
    void pasteLandsInsideTheFaceAtItsRelativePlace()
    {
        m_frame->Document()->GetProduct()->GetOrCreateSide("L").SetPicture(WhitePicture(50, 100));
        DrawRect(100, 80, 160, 50);  // left edge at half the front's width, 20 below its top
        Run(ID_EDIT_COPY);
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Left")));
        Run(ID_EDIT_PASTE);
        CDrawObjectList& left = FaceList(*m_frame, "L");
        QCOMPARE(int(left.GetObjectCount()), 1);
        // Half of 50 is 25, but 60 wide it would pass the right edge: it
        // keeps the left edge of the face instead.
        QCOMPARE(std::pair(left.GetObject(0)->GetMinX(), left.GetObject(0)->GetMaxY()), std::pair(0, 80));
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        Run(ID_EDIT_PASTE_IN_PLACE);
        QCOMPARE(int(Front().GetObjectCount()), 2);
        QCOMPARE(std::pair(Front().GetObject(1)->GetMinX(), Front().GetObject(1)->GetMaxY()), std::pair(100, 80));
        QCOMPARE(QString::fromStdString(Undo().TopUndoDescription()), QStringLiteral("Paste In Place"));
    }

    // The commands reach ObjectCommands::Distribute (ObjectCommands.DistributeMakesTheGapsEqual).
    void distributeMakesTheGapsEqual()
    {
        DrawRect(0, 90, 10, 80);
        DrawRect(20, 70, 30, 60);
        DrawRect(100, 30, 120, 20);
        DragFace(150, 95, 1, 1);  // a band around all three
        Run(ID_DISTRIBUTE_HORIZONTAL);
        QCOMPARE(Front().GetObject(1)->GetMinX(), 50);
        Run(ID_DISTRIBUTE_VERTICAL);
        QCOMPARE(QString::fromStdString(Undo().TopUndoDescription()), QStringLiteral("Distribute Vertically"));
    }
};

QTEST_MAIN(CObjectsPanelTest)
#include "objects_panel.moc"
