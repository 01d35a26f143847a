// The canvas's editing commands on real objects: copy and paste between
// faces and from bitmaps, ordering, alignment, rotation, the picture tool,
// the context menu, the colours and the Properties dialog; the objects panel
// (a click picks the front-most object only, Alt+click the ones beneath,
// locked and hidden objects are passed over; names, the Shown and Locked
// boxes and dragging a row are one undo step each, selecting rows none) and
// the numeric fields of the selection.

#include "CanvasTestFixture.h"

#include "ui/canvas/GeometryBar.h"
#include "ui/canvas/ObjectsPanel.h"
#include "ui/dialogs/ColorsDialog.h"
#include "ui/dialogs/ObjectPropertiesDialog.h"

#include <QCursor>
#include <QSpinBox>

class CCanvasCommandsTest : public CCanvasFixture {
    Q_OBJECT

    CObjectsPanel& Panel() { return *m_frame->ObjectsPanel(); }
    QTreeWidgetItem* Row(int row) { return Panel().Tree()->topLevelItem(row); }
    CUndoStore& Undo() { return m_frame->Document()->GetUndoStore(); }

private slots:
    void init() { QVERIFY(StartOnFront()); }
    void cleanup() { m_frame.reset(); }

    // Copy and paste: on the same face one step right and down, on a face of
    // another size at the same place relative to the face and inside it
    // (PastePlacement.KeepsTheRelativePlaceInsideTheFace), Paste In Place where
    // they were; cut.
    void copyAndPasteBetweenFaces()
    {
        m_frame->Document()->GetProduct()->GetOrCreateSide("L").SetPicture(WhitePicture(50, 50));
        DrawRect(100, 90, 120, 80);
        DrawRect(130, 85, 140, 70);
        DragFace(95, 95, 145, 65);
        Run(ID_EDIT_COPY);
        QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(CVtwinView::ClipboardMimeType()));
        // Same face: one step (5 face pixels at 100 %) right and down.
        Run(ID_EDIT_PASTE);
        QCOMPARE(int(Front().GetObjectCount()), 4);
        QCOMPARE(std::pair(Front().GetObject(2)->GetMinX(), Front().GetObject(2)->GetMaxY()), std::pair(105, 85));
        // The pasted ones are the selection now, the last dominant.
        QCOMPARE((std::array{Front().GetObject(0)->GetSelection(), Front().GetObject(2)->GetSelection(),
                             Front().GetObject(3)->GetSelection()}),
                 (std::array{kSelectNone, kSelectOn, kSelectDominant}));
        // The left face, 50 x 50: the group's top, 10 below the top of 100, becomes
        // 5 below the top of 50 (45); its left edge, 100 of 200, becomes 25 of 50,
        // but 40 wide the group would pass the right edge, so it comes back to 10.
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Left")));
        Run(ID_EDIT_PASTE);
        CDrawObjectList& left = FaceList(*m_frame, "L");
        QCOMPARE(std::tuple(int(left.GetObjectCount()), left.GetObject(0)->GetMinX(), left.GetObject(0)->GetMaxY()),
                 std::tuple(2, 10, 45));
        // Undo removes every pasted object in one step.
        Run(ID_EDIT_UNDO);
        QCOMPARE(int(left.GetObjectCount()), 0);
        QVERIFY(m_frame->View()->SelectTab(QStringLiteral("Front")));
        Run(ID_EDIT_PASTE_IN_PLACE);
        QCOMPARE(std::pair(Front().GetObject(4)->GetMinX(), Front().GetObject(4)->GetMaxY()), std::pair(100, 90));
        QCOMPARE(TopUndo(), QStringLiteral("Paste In Place"));
        // Cut removes the selection (the two pasted in place) and puts it on the clipboard.
        Run(ID_EDIT_CUT);
        QCOMPARE(int(Front().GetObjectCount()), 4);
        QCOMPARE(TopUndo(), QStringLiteral("Cut Objects"));
    }

    void pastesABitmapAsADominantPictureAndRefusesABlockThatLies()
    {
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(QColor(10, 20, 30));
        QApplication::clipboard()->setImage(image);
        m_frame->UpdateCommandUI();
        QVERIFY(m_frame->Action(ID_EDIT_PASTE)->isEnabled());
        Run(ID_EDIT_PASTE);
        QCOMPARE(int(Front().GetObjectCount()), 1);
        CDrawObject* p = Front().GetObject(0);
        QCOMPARE(std::pair(QString(p->GetKindName()), p->GetSelection()), std::pair(QStringLiteral("Picture"), kSelectDominant));
        // Whole face visible: top-left corner of the face, (0, 100).
        QCOMPARE(Box(*p), QRect(QPoint(0, 80), QPoint(30, 100)));

        // A clipboard block that lies (size word 12, object count 1000000, an
        // empty face key: the count cannot fit) is refused with a message and
        // changes nothing.
        QByteArray block;
        for (const quint32 v : {12u, 1000000u, 0u})
            for (int i = 0; i < 4; ++i)
                block.append(char((v >> (8 * i)) & 0xFF));
        auto* data = new QMimeData;
        data->setData(CVtwinView::ClipboardMimeType(), block);
        QApplication::clipboard()->setMimeData(data);
        const std::size_t depth = CUndoStore::Instance().GetUndoCount();
        Run(ID_EDIT_PASTE);
        QCOMPARE(std::tuple(int(Front().GetObjectCount()), CUndoStore::Instance().GetUndoCount(), m_messages.messages.size()),
                 std::tuple(1, depth, qsizetype(1)));
    }

    void distributeOrderingAlignAndSameSize()
    {
        CDrawObject* a = DrawRect(10, 90, 40, 60);   // 30 x 30
        CDrawObject* b = DrawRect(50, 80, 100, 70);  // 50 x 10
        CDrawObject* c = DrawRect(120, 50, 130, 20); // 10 x 30, dominant after the band
        DragFace(5, 95, 140, 15);
        QCOMPARE(c->GetSelection(), kSelectDominant);
        // The distribute commands reach ObjectCommands::Distribute (ObjectCommands.DistributeMakesTheGapsEqual):
        // 90 of the 120 pixels from a's left to c's right are objects, so each gap is 15.
        Run(ID_DISTRIBUTE_HORIZONTAL);
        QCOMPARE(b->GetMinX(), 40 + 15);
        Run(ID_DISTRIBUTE_VERTICAL);
        QCOMPARE(TopUndo(), QStringLiteral("Distribute Vertically"));
        Run(ID_ALIGN_LEFT);
        QCOMPARE((std::array{a->GetMinX(), b->GetMinX(), c->GetMinX()}), (std::array{120, 120, 120}));
        QCOMPARE(TopUndo(), QStringLiteral("Align Left Objects"));
        Run(ID_ALIGN_TO_LEFT_OF);  // each align kind: LayoutEdit.AlignMovesTheSelectionToTheDominant
        QCOMPARE(a->GetMaxX(), 119);
        Run(ID_SAME_SIZE);
        QCOMPARE(Box(*b).size(), QSize(10, 30) + QSize(1, 1));  // c's 10 x 30 (QRect counts both edges)
        // Bring a and b to the front: they keep their relative order.
        Repaint();
        Click(125, 35, Qt::ShiftModifier);  // c leaves the selection
        QCOMPARE(c->GetSelection(), kSelectNone);
        Run(ID_ORDER_BRING_TO_FRONT);
        QCOMPARE((std::array{Front().GetObject(0), Front().GetObject(1), Front().GetObject(2)}), (std::array{c, a, b}));
        QCOMPARE(a->GetOrderKey(), 20);
        // Rotate turns each of them (the turn itself: LayoutEdit.RotateTurnsAboutTheCentreAndKeepsOnTheFace).
        const QSize aSize = Box(*a).size(), bSize = Box(*b).size();
        Run(ID_ROTATE_LEFT);
        QCOMPARE(std::pair(Box(*a).size(), Box(*b).size()), std::pair(aSize.transposed(), bSize.transposed()));
        QCOMPARE(TopUndo(), QStringLiteral("Rotate Left Objects"));
    }

    void commandsFollowTheSelection()
    {
        QVERIFY(!m_frame->Action(ID_EDIT_DELETE)->isEnabled());
        DrawRect(10, 90, 40, 60);
        m_frame->UpdateCommandUI();
        QVERIFY(m_frame->Action(ID_EDIT_DELETE)->isEnabled() && !m_frame->Action(ID_ALIGN_LEFT)->isEnabled());
        QVERIFY(!m_frame->RunCommand(ID_ALIGN_LEFT));
        Run(ID_EDIT_DUPLICATE);
        QCOMPARE(int(Front().GetObjectCount()), 2);
        QCOMPARE(Front().GetObject(1)->GetMinX(), 15);  // one step right and down
        QCOMPARE(Front().GetObject(0)->GetSelection(), kSelectNone);
        Run(ID_EDIT_UNDO);  // removes the clone in one step
        QCOMPARE(int(Front().GetObjectCount()), 1);
        Run(ID_EDIT_DELETE);
        QCOMPARE(int(Front().GetObjectCount()), 0);
        // No face tab: every editing command and tool is disabled.
        m_frame->View()->SelectTab(QStringLiteral("Layout"));
        m_frame->View()->WaitForRendering();
        m_frame->UpdateCommandUI();
        for (int id : {ID_TOOL_RECT, ID_EDIT_PASTE, ID_FILL_COLOR, ID_ZOOM_IN})
            QVERIFY(!m_frame->Action(id)->isEnabled());
    }

    // The picture tool asks for a file first (the text and barcode tools'
    // dialogs: ui.object_dialogs).
    void pictureToolAsksForAFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("pic.png"));
        QImage image(12, 8, QImage::Format_RGB32);
        image.fill(QColor(200, 10, 10));
        QVERIFY(image.save(file));
        QString answer = dir.filePath(QStringLiteral("missing.png"));
        CVtwinView::SetInputPrompt([&](int, QString& value) {
            value = answer;
            return true;
        });
        Run(ID_TOOL_PICTURE);
        Click(20, 30);
        QCOMPARE(int(Front().GetObjectCount()), 0);
        QCOMPARE(m_messages.messages, QStringList{QStringLiteral("Picture %1 could not be read.").arg(answer)});
        QVERIFY(!CUndoStore::Instance().CanUndo());
        answer = file;
        Click(20, 30);  // a click places the picture at its own size
        CDrawObject* p = Front().GetObject(0);
        QCOMPARE(std::pair(QString(p->GetKindName()), p->GetSelection()), std::pair(QStringLiteral("Picture"), kSelectDominant));
        QCOMPARE(Box(*p), QRect(QPoint(20, 22), QPoint(32, 30)));
        // So does a drag: the 12 x 8 picture hangs from the release point.
        DragFace(100, 90, 180, 20);
        p = Front().GetObject(1);
        QCOMPARE(Box(*p), QRect(QPoint(180, 12), QPoint(192, 20)));
        QCOMPARE(TopUndo(), QStringLiteral("Draw Picture"));
        CVtwinView::SetInputPrompt(nullptr);
    }

    void contextMenuOffersAlignOnlyForSeveral()
    {
        QVERIFY(!m_frame->View()->BuildContextMenu());
        DrawRect(10, 90, 40, 60);
        auto titles = [](QMenu* menu) {
            QStringList t;
            for (QAction* a : menu->actions())
                if (!a->isSeparator())
                    t << a->text();
            return t;
        };
        std::unique_ptr<QMenu> one(m_frame->View()->BuildContextMenu());
        QVERIFY(one);
        // One object: the short edit menu, in its order.
        const QStringList shortMenu = {QStringLiteral("Cu&t"),        QStringLiteral("&Copy"),
                                       QStringLiteral("&Delete"),     QStringLiteral("Dupl&icate"),
                                       QStringLiteral("Center in Ima&ge"), QStringLiteral("&Nudge"),
                                       QStringLiteral("&Ordering"),   QStringLiteral("Propertie&s..."),
                                       QStringLiteral("Rotat&e")};
        QCOMPARE(titles(one.get()), shortMenu);
        DrawRect(50, 90, 80, 60);
        DragFace(5, 95, 90, 55);
        std::unique_ptr<QMenu> two(m_frame->View()->BuildContextMenu());
        // Several: Align and Make Same Size join it after Ordering.
        QStringList longMenu = shortMenu;
        longMenu.insert(7, QStringLiteral("&Make Same Size"));
        longMenu.insert(7, QStringLiteral("&Align"));
        QCOMPARE(titles(two.get()), longMenu);
        // No two entries of either menu or of their submenus share a letter.
        QStringList clashes;
        FindClashes(QStringLiteral("one"), one->actions(), clashes);
        FindClashes(QStringLiteral("several"), two->actions(), clashes);
        QCOMPARE(clashes, QStringList());
    }

    void colourPaletteAndColourCommands()
    {
        CColorButton* fill = m_frame->FillColorButton();
        QMenu* palette = fill->Palette();
        QVERIFY(m_frame->RunCommand(ID_FILL_COLOR));
        QTRY_VERIFY(palette->isVisible());
        QCOMPARE(palette->pos(), fill->mapToGlobal(QPoint(0, fill->height())));
        palette->close();
        // With the Draw Toolbar hidden the menu command drops it at the mouse,
        // not over the canvas where the button used to be.
        QVERIFY(m_frame->RunCommand(ID_VIEW_DRAW_TOOLBAR));
        QVERIFY(!fill->isVisible());
        QCursor::setPos(m_frame->mapToGlobal(QPoint(400, 300)));
        QVERIFY(m_frame->RunCommand(ID_FILL_COLOR));
        QTRY_VERIFY(palette->isVisible());
        QCOMPARE(palette->pos(), QCursor::pos());
        // Choosing a swatch sets the document's fill colour.
        auto* swatch = palette->findChild<QToolButton*>(QStringLiteral("swatch0"));
        QVERIFY(swatch);
        swatch->click();
        QVERIFY(!palette->isVisible());
        QCOMPARE(m_frame->View()->FillColour(), COLORREF(0x000000));
        QVERIFY(m_frame->Document()->IsModified());

        // The button follows the document's colour; the Colors dialog swaps.
        m_frame->View()->SetFillColour(0x00FF00);
        m_frame->UpdateCommandUI();
        QCOMPARE(m_frame->FillColorButton()->Color(), 0x00FF00u);
        CColorsDialog dialog(0x112233, 0x445566);
        dialog.Swap();
        QCOMPARE(std::pair(dialog.LineColour(), dialog.FillColour()), std::pair(0x445566u, 0x112233u));
        // New objects take the current colours; selected objects keep theirs.
        CDrawObject* r = DrawRect(10, 90, 40, 60);
        const COLORREF drawn = r->GetFillColour();
        m_frame->View()->SetFillColour(0x0000FF);
        QCOMPARE(std::pair(drawn, r->GetFillColour()), std::pair(COLORREF(0x00FF00), COLORREF(0x00FF00)));
    }

    void propertiesEditCopiesAndApplyOnOk()
    {
        DrawRect(10, 90, 40, 60);
        int pages = 0;
        QStringList colourLabels;
        CVtwinView::SetPropertiesRunner([&](CObjectPropertiesDialog& d) {
            pages = d.PageCount();
            // A label's "&" is a mnemonic (not shown as is) only with a buddy
            // to lead to: each colour label leads to its colour button.
            for (QLabel* label : d.findChildren<QLabel*>())
                if (label->text().startsWith(QLatin1String("Color &")) && label->buddy())
                    colourLabels << label->text() + QLatin1Char('>') + label->buddy()->objectName();
            d.findChild<QRadioButton*>(QStringLiteral("style1"))->setChecked(true);
            return false;  // Cancel: the object keeps its style
        });
        Run(ID_OBJECT_PROPERTIES);
        QCOMPARE(pages, 1);
        colourLabels.sort();
        QCOMPARE(colourLabels, (QStringList{"Color &1>colour1", "Color &2>colour2"}));
        QCOMPARE(Front().GetObject(0)->GetStyle(), 0u);
        // OK applies the style and the look; lengths show in millimetres of the product when it has a size.
        const double ppm = m_frame->GeometryBar()->PixelsPerMm(), unit = ppm > 0 ? ppm : 1.0;
        CVtwinView::SetPropertiesRunner([&, unit](CObjectPropertiesDialog& d) {
            QWidget* page = d.Page(0);
            d.findChild<QRadioButton*>(QStringLiteral("style1"))->setChecked(true);
            page->findChild<QDoubleSpinBox*>(QStringLiteral("lineWidth"))->setValue(4 / unit);
            page->findChild<QComboBox*>(QStringLiteral("dash"))->setCurrentIndex(1);
            page->findChild<QDoubleSpinBox*>(QStringLiteral("cornerRadius"))->setValue(8 / unit);
            page->findChild<QSpinBox*>(QStringLiteral("opacity"))->setValue(60);
            return d.ApplyPages();
        });
        Run(ID_OBJECT_PROPERTIES);
        const CDrawObject* rect = Front().GetObject(0);
        QCOMPARE(std::tuple(rect->GetStyle(), rect->GetLineWidth(), rect->GetDash(), rect->GetCornerRadius(), rect->GetOpacity()),
                 std::tuple(1u, 4, kDashDash, 8, 60u));
        QCOMPARE(TopUndo(), QStringLiteral("Properties Rectangle"));
        Run(ID_EDIT_UNDO);
        QCOMPARE(Front().GetObject(0)->GetStyle(), 0u);
        CVtwinView::SetPropertiesRunner(nullptr);
    }

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
        QCOMPARE(TopUndo(), QStringLiteral("Move Rectangle"));
        Run(ID_EDIT_UNDO);
        QCOMPARE(Front().GetObject(0)->GetMinX(), 20);
        // Pixels: the same box in face pixels.
        bar.UnitChoice()->setCurrentIndex(1);
        QCOMPARE(bar.Field(CGeometryBar::kFieldWidth)->value(), 61.0);
        // A shape has no angle of its own.
        QVERIFY(!bar.AngleField()->isEnabled());
    }
};

QTEST_MAIN(CCanvasCommandsTest)
#include "canvas_commands.moc"
