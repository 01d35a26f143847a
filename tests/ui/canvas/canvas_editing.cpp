// Drives the real face canvas with the mouse: drawing every kind, rubber-band
// selection, moving, resizing past the opposite edge, undo and redo across
// tabs, the rendering's progress and lens flare, and zooming.

#include "CanvasTestFixture.h"

#include "layout/shapes/DrawPoly.h"
#include "properties/settings/SettingStore.h"
#include "ui/canvas/Ruler.h"

#include <QScrollBar>

#include <cstdlib>

class CCanvasEditingTest : public CCanvasFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(StartOnFront()); }
    void cleanup() { m_frame.reset(); }

    void drawsEveryKindWithTheMouse()
    {
        struct SCase {
            int tool;
            const char* kind;
            std::uint32_t style;
            const char* undo;
        } cases[] = {
            {ID_TOOL_RECT, "Rectangle", 0, "Draw Rectangle"},
            {ID_TOOL_RECT_FILLED, "Rectangle", 1, "Draw Filled Rectangle"},
            {ID_TOOL_RECT_BOTH, "Rectangle", 2, "Draw Outlined Filled Rectangle"},
            {ID_TOOL_ELLIPSE, "Ellipse", 0, "Draw Ellipse"},
            {ID_TOOL_ELLIPSE_FILLED, "Ellipse", 1, "Draw Filled Ellipse"},
            {ID_TOOL_ELLIPSE_BOTH, "Ellipse", 2, "Draw Outlined Filled Ellipse"},
            {ID_TOOL_LINE, "Line", 0, "Draw Line"},
        };
        int n = 0;
        for (const SCase& c : cases) {
            Run(c.tool);
            QVERIFY(m_frame->Action(c.tool)->isChecked());
            DragFace(10 + n, 80, 60 + n, 20);
            ++n;
            QCOMPARE(int(Front().GetObjectCount()), n);
            CDrawObject* o = Front().GetObject(n - 1);
            QCOMPARE(QString(o->GetKindName()), QString(c.kind));
            // Stored exactly as the two points give it, unnormalised.
            QCOMPARE(QRect(QPoint(o->GetX1(), o->GetY1()), QPoint(o->GetX2(), o->GetY2())),
                     QRect(QPoint(10 + n - 1, 80), QPoint(60 + n - 1, 20)));
            if (o->HasStyle())
                QCOMPARE(o->GetStyle(), c.style);
            QCOMPARE(o->GetSelection(), kSelectDominant);
            QCOMPARE(TopUndo(), QString(c.undo));
            // The tool stays current for the next object.
            QVERIFY(m_frame->Action(c.tool)->isChecked());
        }
        // New shapes take the document's colours: line 0xFF0000, fill 0x0000FF;
        // a line takes the line colour for both.
        QCOMPARE((std::array{Front().GetObject(0)->GetLineColour(), Front().GetObject(0)->GetFillColour(),
                             Front().GetObject(6)->GetFillColour()}),
                 (std::array<COLORREF, 3>{0xFF0000, 0x0000FF, 0xFF0000}));
        // Exactly one dominant object: the last one drawn.
        int dominant = 0;
        for (std::size_t i = 0; i < Front().GetObjectCount(); ++i)
            dominant += Front().GetObject(i)->GetSelection() == kSelectDominant;
        QCOMPARE(dominant, 1);
        QVERIFY(m_frame->Document()->IsModified());
        // Shift reaches the constraint (LayoutEdit.ShiftConstraint) as a box
        // tool and as a segment tool.
        Run(ID_TOOL_ELLIPSE);
        DragFace(20, 20, 50, 30, Qt::ShiftModifier);  // d = 30: a circle
        QCOMPARE(Front().GetObject(7)->GetY2() - Front().GetObject(7)->GetY1(), 30);
        Run(ID_TOOL_LINE);
        DragFace(100, 50, 140, 60, Qt::ShiftModifier);  // dx 40, dy 10: horizontal
        QCOMPARE(Front().GetObject(8)->GetY2(), 50);

        // Point entry: a polygon and a polyline.
        Run(ID_TOOL_POLYGON_FILLED);
        Click(10, 10);
        Click(60, 10);
        Click(60, 50);
        // The double click replaces the third point: its second press
        // appended a point that the double click then finishes.
        DoubleClick(62, 52);
        QCOMPARE(int(Front().GetObjectCount()), 10);
        auto* poly = dynamic_cast<CDrawPoly*>(Front().GetObject(9));
        QVERIFY(poly);
        QCOMPARE(std::pair(QString(poly->GetKindName()), poly->GetStyle()), std::pair(QStringLiteral("Polygon"), 1u));
        QVERIFY(poly->GetPoints() == (std::vector<CDrawPoint>{{10, 10}, {10, 10}, {60, 10}, {60, 50}, {62, 52}}));
        QCOMPARE(Box(*poly), QRect(QPoint(10, 10), QPoint(62, 52)));
        QCOMPARE(TopUndo(), QStringLiteral("Draw Filled Polygon"));
        Run(ID_TOOL_POLYLINE);
        Click(100, 20);
        DoubleClick(150, 60);
        QCOMPARE(QString(Front().GetObject(10)->GetKindName()), QStringLiteral("Polyline"));
    }

    // The band and Shift+click reach the selection rules
    // (LayoutEdit.ClicksAndBandsFollowTheShiftRules); a drag moves the selection.
    void rubberBandSelectsAndClicksFollowTheShiftRules()
    {
        CDrawObject* a = DrawRect(10, 90, 40, 60);
        CDrawObject* b = DrawRect(50, 90, 80, 60);
        CDrawObject* c = DrawRect(120, 40, 150, 10);
        // Selecting is no undo step, whichever way it is done.
        const std::size_t depth = CUndoStore::Instance().GetUndoCount();
        Click(5, 5);  // on nothing: clears the selection
        QCOMPARE(int(a->GetSelection() + b->GetSelection() + c->GetSelection()), 0);

        const auto selection = [&] { return std::array{a->GetSelection(), b->GetSelection(), c->GetSelection()}; };
        DragFace(5, 95, 90, 55);  // a and b, the front one dominant
        QCOMPARE(selection(), (std::array{kSelectOn, kSelectDominant, kSelectNone}));
        Repaint();
        Click(130, 20, Qt::ShiftModifier);  // adds c
        QCOMPARE(selection(), (std::array{kSelectOn, kSelectDominant, kSelectOn}));
        QCOMPARE(CUndoStore::Instance().GetUndoCount(), depth);

        // A drag on one of them moves all three as one undo step; undo brings
        // them back, and the selection with them.
        Repaint();
        DragFace(20, 80, 30, 70);  // grab a's body: (10, -10)
        QCOMPARE((std::array{Box(*a), Box(*b), Box(*c)}),
                 (std::array{QRect(QPoint(20, 50), QPoint(50, 80)), QRect(QPoint(60, 50), QPoint(90, 80)),
                             QRect(QPoint(130, 0), QPoint(160, 30))}));
        QCOMPARE(m_frame->Action(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo Move Objects\tCtrl+Z"));
        Run(ID_EDIT_UNDO);
        const auto at = [this](std::size_t i) {
            return std::pair(Front().GetObject(i)->GetMinX(), Front().GetObject(i)->GetSelection());
        };
        QCOMPARE((std::array{at(0), at(1), at(2)}),
                 (std::array{std::pair(10, kSelectOn), std::pair(50, kSelectDominant), std::pair(120, kSelectOn)}));
    }

    void movesAndResizesPastTheOppositeEdgeAndUndoesOnItsFace()
    {
        CDrawObject* r = DrawRect(20, 80, 60, 40);
        DragFace(40, 60, 50, 50);  // body: moves by (10, -10)
        QCOMPARE(Box(*r), QRect(QPoint(30, 30), QPoint(70, 70)));
        QCOMPARE(TopUndo(), QStringLiteral("Move Rectangle"));
        Repaint();
        // Left handle (4, middle-left) at (30, 50) dragged 60 to the right: past
        // the right edge at 70, so the box flips (LayoutEdit.ResizeFlipsOrStopsAtTheMinimum).
        const CFaceMapping& m = Canvas().Mapping();
        const QPoint handle(m.FaceToWindowX(30), (m.FaceToWindowY(70) + m.FaceToWindowY(30)) / 2);
        Drag(handle, handle + QPoint(60, 0));
        QCOMPARE(TopUndo(), QStringLiteral("Resize Rectangle"));
        QCOMPARE(r->GetMaxX(), 90);
        // Undo twice returns the first box.
        Run(ID_EDIT_UNDO);
        Run(ID_EDIT_UNDO);
        QCOMPARE(Box(*Front().GetObject(0)), QRect(QPoint(20, 40), QPoint(60, 80)));
        // Undo and redo go back to the face of their step.
        m_frame->View()->SelectTab(QStringLiteral("Left"));
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Left"));
        QCOMPARE(m_frame->Action(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo Draw Rectangle\tCtrl+Z"));
        Run(ID_EDIT_UNDO);
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Front"));
        QCOMPARE(int(Front().GetObjectCount()), 0);
        QCOMPARE(m_frame->Action(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo\tCtrl+Z"));
        QVERIFY(!m_frame->Action(ID_EDIT_UNDO)->isEnabled());
        QCOMPARE(m_frame->Action(ID_EDIT_REDO)->text(), QStringLiteral("&Redo Draw Rectangle\tCtrl+Y"));
        m_frame->View()->SelectTab(QStringLiteral("Top"));
        Run(ID_EDIT_REDO);
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Front"));
        QCOMPARE(int(Front().GetObjectCount()), 1);
        // A new edit empties redo.
        Run(ID_EDIT_UNDO);
        DrawRect(100, 90, 120, 70);
        QVERIFY(!m_frame->Action(ID_EDIT_REDO)->isEnabled());
    }

    // A guide dragged from the left ruler; a move that brings the
    // rectangle's right edge within 6 screen pixels of it ends on it; with
    // snapping off it ends where the mouse says.
    void rulersLayGuidesThatMovesSnapTo()
    {
        auto* ruler = m_frame->findChild<CRuler*>(QStringLiteral("leftRuler"));
        QVERIFY(ruler && ruler->isVisible());
        const int g = Canvas().FaceWidth() * 3 / 4;
        const QPoint onFace = ruler->mapFromGlobal(Canvas().mapToGlobal(At(Canvas(), g, 50)));
        QTest::mousePress(ruler, Qt::LeftButton, {}, QPoint(10, onFace.y()));
        QTest::mouseMove(ruler, onFace);
        QTest::mouseRelease(ruler, Qt::LeftButton, {}, onFace);
        QCOMPARE(Canvas().Guides(), (std::vector<CGuide>{{true, g}}));
        Canvas().SetSnapping(true);
        CDrawObject* r = DrawRect(g - 60, 80, g - 20, 40);
        DragFace(g - 40, 60, g - 18, 60);  // the right edge to g + 2
        QCOMPARE(r->GetMaxX(), g);
        Canvas().SetSnapping(false);
        DragFace(g - 20, 60, g - 17, 60);
        QCOMPARE(r->GetMaxX(), g + 3);
    }

    void undoOrATabSwitchEndsWhatTheMouseWasDoing()
    {
        // Dragging a handle while Ctrl+Z restores the face: the dragged
        // object is gone, so the drag must end there and then.
        CDrawObject* r = DrawRect(20, 80, 60, 40);
        Q_UNUSED(r);
        const CFaceMapping& m = Canvas().Mapping();
        const QPoint corner(m.FaceToWindowX(60), m.FaceToWindowY(40));  // handle 8
        QTest::mousePress(&Canvas(), Qt::LeftButton, {}, corner);
        QTest::mouseMove(&Canvas(), corner + QPoint(20, 20));
        QVERIFY(Canvas().IsBusy());
        Run(ID_EDIT_UNDO);  // undoes "Draw Rectangle"
        QVERIFY(!Canvas().IsBusy());
        QTest::mouseMove(&Canvas(), corner + QPoint(30, 30));
        Repaint();
        QTest::mouseRelease(&Canvas(), Qt::LeftButton, {}, corner + QPoint(30, 30));
        QCOMPARE(int(Front().GetObjectCount()), 0);
        QVERIFY(!CUndoStore::Instance().CanUndo());

        // Escape abandons a polygon being entered.
        Run(ID_TOOL_POLYGON);
        Click(10, 10);
        Click(60, 10);
        QVERIFY(Canvas().IsBusy());
        QTest::keyClick(&Canvas(), Qt::Key_Escape);
        QVERIFY(!Canvas().IsBusy());
        QCOMPARE(int(Front().GetObjectCount()), 0);

        // Points entered on one face never end up in an object of another.
        Run(ID_TOOL_POLYGON);
        Click(10, 10);
        Click(60, 10);
        QVERIFY(Canvas().IsBusy());
        Run(ID_TAB_NEXT);
        QCOMPARE(m_frame->View()->CurrentTabName(), QStringLiteral("Left"));
        QVERIFY(!Canvas().IsBusy());
        QCOMPARE(Canvas().SubTool(), 9);  // the tool stays
        Run(ID_ZOOM_100);  // window pixels are face pixels again
        Repaint();
        Click(100, 50);
        DoubleClick(150, 60);
        CDrawObjectList& left = FaceList(*m_frame, "L");
        QCOMPARE(int(left.GetObjectCount()), 1);
        const auto* poly = dynamic_cast<CDrawPoly*>(left.GetObject(0));
        QVERIFY(poly && poly->GetPoints() == (std::vector<CDrawPoint>{{100, 50}, {100, 50}, {150, 60}}));
        QCOMPARE(int(Front().GetObjectCount()), 0);
    }

    // The rendering's steps reach the progress bar and the status text (their
    // percentages and texts: RenderProgressState.PercentOnlyGrowsAndTextsArePrefixed);
    // a click on the rendering moves the lens flare.
    void renderingShowsItsProgressAndAClickMovesTheLensFlare()
    {
        SettingStore& s = m_frame->Document()->GetProduct()->GetSettings();
        s.SetInt(ModelKey(31), 1);
        QProgressBar* bar = m_frame->ProgressBar();
        auto* status = m_frame->findChild<QLabel*>(QStringLiteral("statusText"));
        QVERIFY(status);
        QList<int> values;
        QStringList texts;
        auto progress = connect(bar, &QProgressBar::valueChanged, this, [&](int v) {
            values << v;
            texts << status->text();
            QVERIFY(bar->isVisible());
        });
        Run(ID_TAB_RENDER);
        m_frame->View()->WaitForRendering();
        disconnect(progress);
        CRenderPage* page = m_frame->View()->RenderPage();
        QVERIFY(!page->Picture().isNull() && values.size() >= 3);
        QVERIFY2(texts.first().startsWith(QLatin1String("Please wait - ")), qPrintable(texts.first()));
        // Afterwards the bar is gone and the status bar is idle again.
        QVERIFY(!bar->isVisible());
        QCOMPARE(status->text(), QStringLiteral("Ready"));

        const QRect r = page->PictureRect();
        // A quarter in from the left and half way down: (W / 4, H / 2).
        QTest::mouseClick(page, Qt::LeftButton, {}, r.topLeft() + QPoint(r.width() / 4, r.height() / 2));
        const double w = page->Picture().width(), h = page->Picture().height();
        QVERIFY(std::abs(s.GetReal(ModelKey(33)) - 0.25) <= 1.0 / w + 1e-9);
        QVERIFY(std::abs(s.GetReal(ModelKey(34)) - 0.5) <= 1.0 / h + 1e-9);
        QCOMPARE(TopUndo(), QStringLiteral("Reposition Lens Flare"));
        Run(ID_EDIT_UNDO);
        QCOMPARE(std::pair(s.GetReal(ModelKey(33)), s.GetReal(ModelKey(34))), std::pair(0.8, 0.7));
        // With the flare off a click changes nothing.
        s.SetInt(ModelKey(31), 0);
        QTest::mouseClick(page, Qt::LeftButton, {}, r.center());
        QCOMPARE(s.GetReal(ModelKey(33)), 0.8);
    }

    void aRunOfNudgesIsOneUndoStep()
    {
        CDrawObject* a = DrawRect(10, 60, 30, 40);
        CDrawObject* b = DrawRect(50, 60, 70, 40);
        Click(20, 50);  // a alone
        QVERIFY(a->IsSelected() && !b->IsSelected());
        const std::size_t steps = CUndoStore::Instance().GetUndoCount();
        // Plain arrows nudge by one pixel as Shift+arrow does; the whole run,
        // whatever the directions, is one step.
        Canvas().setFocus();
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(&Canvas(), Qt::Key_Right);
        QTest::keyClick(&Canvas(), Qt::Key_Up);
        Run(ID_NUDGE_UP);
        QCOMPARE(std::pair(a->GetMinX(), a->GetMaxY()), std::pair(10 + 5, 60 + 2));
        QCOMPARE(CUndoStore::Instance().GetUndoCount(), steps + 1);
        QCOMPARE(m_frame->Action(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo Nudge Right Rectangle\tCtrl+Z"));

        // Other objects start a run of their own (the click that selects
        // them is an undo step of its own too).
        Repaint();
        Click(60, 50);
        QVERIFY(b->IsSelected() && !a->IsSelected());
        const std::size_t selected = CUndoStore::Instance().GetUndoCount();
        QTest::keyClick(&Canvas(), Qt::Key_Left);
        QTest::keyClick(&Canvas(), Qt::Key_Left);
        QCOMPARE(b->GetMinX(), 50 - 2);
        QCOMPARE(CUndoStore::Instance().GetUndoCount(), selected + 1);

        // An undo between nudges ends the run: the next nudge is a step again.
        Run(ID_EDIT_UNDO);
        QCOMPARE(Front().GetObject(1)->GetMinX(), 50);
        QVERIFY(Front().GetObject(1)->IsSelected());
        QTest::keyClick(&Canvas(), Qt::Key_Down);
        QCOMPARE(Front().GetObject(1)->GetMinY(), 40 - 1);
        QCOMPARE(CUndoStore::Instance().GetUndoCount(), selected + 1);
        Run(ID_EDIT_UNDO);
        QCOMPARE(Front().GetObject(1)->GetMinY(), 40);
        // Undoing the selection, then the first run, puts a back where it was drawn.
        Run(ID_EDIT_UNDO);
        Run(ID_EDIT_UNDO);
        QCOMPARE(std::pair(Front().GetObject(0)->GetMinX(), Front().GetObject(0)->GetMaxY()), std::pair(10, 60));

        // Without a selection the arrow keys move nothing and record nothing.
        Repaint();
        Click(95, 95);
        const std::size_t before = CUndoStore::Instance().GetUndoCount();
        QTest::keyClick(&Canvas(), Qt::Key_Right);
        QCOMPARE(CUndoStore::Instance().GetUndoCount(), before);
    }

    // The status bar shows the face point under the mouse, and nothing once
    // the mouse has left the face or the tab is not a face's.
    void wheelZoomKeepsThePointUnderTheMouseAndTheStatusBarShowsIt()
    {
        // A face larger than the window scrolls both ways at these zooms.
        QVERIFY(ShowBoxOnFront(m_frame, 3000, 2400));
        Run(ID_ZOOM_100);
        Repaint();
        auto* label = m_frame->findChild<QLabel*>(QStringLiteral("statusPosition"));
        const QPoint mouse(Canvas().width() / 3, Canvas().height() / 4);
        const CFacePoint before = Canvas().Mapping().WindowToFace(mouse.x(), mouse.y());
        const auto hover = [this](QPoint p) {
            QMouseEvent move(QEvent::MouseMove, p, Canvas().mapToGlobal(p), Qt::NoButton, Qt::NoButton, {});
            QApplication::sendEvent(&Canvas(), &move);
        };
        hover(mouse);
        QCOMPARE(label->text(), QStringLiteral("%1, %2").arg(before.x).arg(before.y));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&Canvas(), &leave);
        QCOMPARE(label->text(), QString());
        hover(mouse);
        for (bool in : {true, true, false}) {
            QWheelEvent wheel(QPointF(mouse), Canvas().mapToGlobal(QPointF(mouse)), QPoint(), QPoint(0, in ? 120 : -120),
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&Canvas(), &wheel);
            Repaint();
            // Integer mapping: within one face pixel of where it was.
            const CFacePoint now = Canvas().Mapping().WindowToFace(mouse.x(), mouse.y());
            QVERIFY2(std::abs(now.x - before.x) <= 1 && std::abs(now.y - before.y) <= 1,
                     qPrintable(QStringLiteral("%1,%2 became %3,%4").arg(before.x).arg(before.y).arg(now.x).arg(now.y)));
            // The status bar shows the point under the mouse at the new zoom at once.
            QCOMPARE(label->text(), QStringLiteral("%1, %2").arg(now.x).arg(now.y));
        }
        QCOMPARE(Canvas().Scale(), 2.0);
        Run(ID_TAB_LAYOUT);
        QCOMPARE(label->text(), QString());
    }

    void zoomInAndOutFromTheCanvas()
    {
        CFaceCanvas& c = Canvas();
        QCOMPARE(c.Scale(), 1.0);
        Run(ID_ZOOM_IN);
        QCOMPARE(c.Scale(), 2.0);
        Run(ID_ZOOM_OUT);
        Run(ID_ZOOM_OUT);
        QCOMPARE(c.Scale(), 0.5);
        // Drawing at 50 %: window distances are doubled in face pixels.
        Run(ID_TOOL_RECT);
        DragFace(20, 80, 60, 40);
        CDrawObject* r = Front().GetObject(0);
        // A window pixel covers two face pixels: within one of the point asked for.
        QVERIFY(std::abs(r->GetMinX() - 20) <= 1 && std::abs(r->GetMaxY() - 80) <= 1);
        // At 1600 % the face scrolls: the scroll bar moves the mapping.
        Run(ID_ZOOM_1600);
        Repaint();
        const int before = c.Mapping().faceLeft;
        QScrollBar* bar = c.parentWidget()->findChild<QScrollBar*>();
        QVERIFY(bar && bar->isVisible());
        bar->setValue(bar->value() + 160);
        Repaint();
        QVERIFY(c.Mapping().faceLeft != before);
        Run(ID_ZOOM_FIT);
        QVERIFY(m_frame->Action(ID_ZOOM_FIT)->isChecked());
        // A fitted face never needs a scroll bar, whatever the rounding.
        for (int width : {700, 701, 733, 900}) {
            m_frame->resize(width, 640 + width % 7);
            QApplication::processEvents();
            Repaint();
            for (QScrollBar* b : c.parentWidget()->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(!b->isVisible(), qPrintable(QString::number(width)));
        }
    }
};

QTEST_MAIN(CCanvasEditingTest)
#include "canvas_editing.moc"
