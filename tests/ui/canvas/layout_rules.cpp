// The arithmetic of the canvas without widgets: face-to-window mapping, zoom
// steps, the Shift constraint, the resize rule, handle adaption, undo texts
// and the paste placement. Expected values are worked out by hand from the
// rules the comments restate.

#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"
#include "ui/canvas/FaceLocation.h"
#include "ui/canvas/FaceMapping.h"
#include "ui/canvas/LayoutEditor.h"
#include "ui/canvas/ZoomState.h"

#include <QTest>

namespace {

std::unique_ptr<CDrawObject> Rect(int x1, int y1, int x2, int y2, std::uint32_t sel = kSelectNone)
{
    auto r = std::make_unique<CDrawRect>();
    r->SetCoords(x1, y1, x2, y2);
    r->SetSelection(sel);
    return r;
}

// A shape whose resize capabilities the test chooses.
struct CStub : CDrawObject {
    int minW = 0, minH = 0;
    bool canW = true, canH = true;
    void RenderToFace(CRaster&) const override {}
    const char* GetKindCode() const override { return "RECT"; }
    const char* GetKindName() const override { return "Stub"; }
    bool HasStyle() const override { return true; }
    bool HasLineColour() const override { return true; }
    bool HasFillColour() const override { return true; }
    int GetMinWidth() const override { return minW; }
    int GetMinHeight() const override { return minH; }
    bool CanResizeWidth() const override { return canW; }
    bool CanResizeHeight() const override { return canH; }
};

} // namespace

class CLayoutRulesTest : public QObject {
    Q_OBJECT

private slots:
    void mappingIsIntegerAndTruncatesTowardZero()
    {
        // Window 400 x 300 showing face x 10..210 and y 150..0 (scale 2).
        CFaceMapping m;
        m.SetEdges(10, 150, 210, 0, 400, 300);
        QCOMPARE(m.spanX, 200);
        QCOMPARE(m.spanY, -150);
        // wx = (fx - 10) * 400 / 200; wy = (fy - 150) * 300 / -150.
        QCOMPARE(m.FaceToWindowX(10), 0);
        QCOMPARE(m.FaceToWindowX(60), 100);
        QCOMPARE(m.FaceToWindowY(150), 0);
        QCOMPARE(m.FaceToWindowY(0), 300);
        // fx = wx * 200 / 400 + 10: 3 * 200 / 400 = 1 (truncated) -> 11.
        QCOMPARE(m.WindowToFaceX(3), 11);
        // fy = wy * -150 / 300 + 150: 3 * -150 / 300 = -1 (toward zero) -> 149.
        QCOMPARE(m.WindowToFaceY(3), 149);
        // A zero span becomes 100000.
        CFaceMapping z;
        z.SetEdges(5, 5, 5, 5, 100, 100);
        QCOMPARE(z.spanX, 100000);
        QCOMPARE(z.spanY, 100000);
        m.faceWidth = 200;
        m.faceHeight = 150;
        QVERIFY(m.IsOnFace({0, 0}));
        QVERIFY(!m.IsOnFace({200, 10}));
        QVERIFY(!m.IsOnFace({10, 150}));
    }

    void centredFaceMapsItsCornersInsideTheWindow()
    {
        // A 200 x 100 face at 100 % in a 600 x 400 window: offset (200, 150).
        const CFaceMapping m = ComputeFaceMapping(200, 100, 600, 400, 1.0, 0, 0);
        QCOMPARE(m.FaceToWindowX(0), 200);
        QCOMPARE(m.FaceToWindowX(200), 400);
        QCOMPARE(m.FaceToWindowY(100), 150);
        QCOMPARE(m.FaceToWindowY(0), 250);
        // At 400 % the face is larger than the window in x: scrolled to 50.
        bool sx = false, sy = false;
        const CFaceMapping s = ComputeFaceMapping(200, 100, 600, 400, 4.0, 50, 100, &sx, &sy);
        QVERIFY(sx);
        QVERIFY(!sy);
        QCOMPARE(s.faceLeft, 50);
        QCOMPARE(s.faceRight, 200);
        // Scroll positions beyond the face are brought back to its edge.
        const CFaceMapping e = ComputeFaceMapping(200, 100, 600, 400, 4.0, 1000, 100);
        QCOMPARE(e.faceRight, 200);
    }

    void zoomStepsFollowTheLevels()
    {
        const struct {
            int z, in, out;
        } cases[] = {{10, 25, 10}, {25, 50, 25}, {30, 50, 25}, {300, 400, 200}, {800, 1600, 400},
                     {1600, 1600, 800}, {2000, 2000, 1600}, {51, 100, 50}, {26, 50, 25}};
        for (const auto& c : cases) {
            QCOMPARE(ZoomInLevel(c.z), c.in);
            QCOMPARE(ZoomOutLevel(c.z), c.out);
        }
        CZoomMap map;
        QVERIFY(!map.Find("Front"));
        QCOMPARE(map.Get("Front").fit, 1u);
        QCOMPARE(map.Get("Front").zoom, 0u);
    }

    void shiftConstraint()
    {
        // Box tools: d = max(|dx|, |dy|) along both signs.
        QCOMPARE(LayoutEdit::ShiftConstrain({10, 10}, {40, 20}, false), (CFacePoint{40, 40}));
        QCOMPARE(LayoutEdit::ShiftConstrain({10, 10}, {0, -20}, false), (CFacePoint{-20, -20}));
        // Segments: 2*|dy| < |dx| -> horizontal; 2*|dx| < |dy| -> vertical.
        QCOMPARE(LayoutEdit::ShiftConstrain({0, 0}, {50, 24}, true), (CFacePoint{50, 0}));
        QCOMPARE(LayoutEdit::ShiftConstrain({0, 0}, {-24, 50}, true), (CFacePoint{0, 50}));
        QCOMPARE(LayoutEdit::ShiftConstrain({0, 0}, {50, 25}, true), (CFacePoint{50, 50}));
        QCOMPARE(LayoutEdit::ShiftConstrain({0, 0}, {0, 0}, true), (CFacePoint{0, 0}));
    }

    void resizeRuleFlipsOrStopsAtTheMinimum()
    {
        auto r = Rect(20, 80, 60, 40);  // left 20, right 60, bottom 40, top 80
        // Handle 4 (left) by +60: left 80 passes right 60 (minimum 0): flipped.
        QCOMPARE(LayoutEdit::ResizeBox(*r, 4, 60, 0), (CFaceBox{80, 80, 60, 40}));
        // Handle 8 (bottom-right) by (10, -10).
        QCOMPARE(LayoutEdit::ResizeBox(*r, 8, 10, -10), (CFaceBox{20, 80, 70, 30}));
        // Handle 2 (top) ignores dx.
        QCOMPARE(LayoutEdit::ResizeBox(*r, 2, 99, 5), (CFaceBox{20, 85, 60, 40}));
        // A picture (minimum 1 x 1) stops one pixel short of the right edge.
        CStub p;
        p.minW = p.minH = 1;
        p.SetCoords(20, 80, 60, 40);
        QCOMPARE(LayoutEdit::ResizeBox(p, 4, 60, 0), (CFaceBox{59, 80, 60, 40}));
        QCOMPARE(LayoutEdit::ResizeBox(p, 7, 0, 90), (CFaceBox{20, 80, 60, 79}));
    }

    void handlesAdaptToWhatTheObjectAllows()
    {
        CStub w, h, f;
        w.canH = false;
        h.canW = false;
        f.canW = f.canH = false;
        const int widthOnly[9] = {0, 4, 0, 5, 4, 5, 4, 0, 5};
        const int heightOnly[9] = {0, 2, 2, 2, 0, 0, 7, 7, 7};
        for (int i = 1; i <= 8; ++i) {
            QCOMPARE(LayoutEdit::AdaptHandle(w, i), widthOnly[i]);
            QCOMPARE(LayoutEdit::AdaptHandle(h, i), heightOnly[i]);
            QCOMPARE(LayoutEdit::AdaptHandle(f, i), 0);
        }
    }

    void undoTextsNameTheSelection()
    {
        CDrawObjectList list;
        list.Add(Rect(0, 10, 10, 0));
        list.Add(std::make_unique<CDrawEllipse>());
        QCOMPARE(LayoutEdit::DescribeUndo(list, "Move %s"), std::string("Move Objects"));
        list.GetObject(1)->SetSelection(kSelectDominant);
        QCOMPARE(LayoutEdit::DescribeUndo(list, "Move %s"), std::string("Move Ellipse"));
        QCOMPARE(LayoutEdit::DescribeUndo(list, "Align To Left Of %m"), std::string("Align To Left Of Ellipse"));
        list.GetObject(0)->SetSelection(kSelectOn);
        QCOMPARE(LayoutEdit::DescribeUndo(list, "Delete %s"), std::string("Delete Objects"));
        QCOMPARE(LayoutEdit::DescribeUndo(list, "Paste"), std::string("Paste"));
    }

    void orderingMovesBlocksAndKeepsRelativeOrder()
    {
        CDrawObjectList list;
        std::vector<CDrawObject*> o;
        for (int i = 0; i < 5; ++i)
            o.push_back(list.Add(Rect(i, 10, i + 5, 0)));
        list.UpdateOrderKeys();
        o[1]->SetSelection(kSelectOn);
        o[2]->SetSelection(kSelectOn);
        LayoutEdit::Reorder(list, 11);  // the block 1, 2 moves past 3
        const std::vector<CDrawObject*> forward = {o[0], o[3], o[1], o[2], o[4]};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(list.GetObject(i), forward[i]);
        LayoutEdit::Reorder(list, -9999999);
        const std::vector<CDrawObject*> back = {o[1], o[2], o[0], o[3], o[4]};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(list.GetObject(i), back[i]);
        QCOMPARE(list.GetObject(4)->GetOrderKey(), 50);
        // Send Backward moves the block 1, 2 (now at the back) nowhere; a single
        // object steps back past exactly one neighbour.
        for (int i = 0; i < 5; ++i)
            list.GetObject(i)->SetSelection(list.GetObject(i) == o[3] ? kSelectOn : kSelectNone);
        LayoutEdit::Reorder(list, -11);
        const std::vector<CDrawObject*> backward = {o[1], o[2], o[3], o[0], o[4]};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(list.GetObject(i), backward[i]);
        // Bring Forward on the front-most leaves the order unchanged.
        for (int i = 0; i < 5; ++i)
            list.GetObject(i)->SetSelection(i == 4 ? kSelectOn : kSelectNone);
        LayoutEdit::Reorder(list, 11);
        QCOMPARE(list.GetObject(4), o[4]);
    }

    void sameSizeRefusalNamesEachKindOnce()
    {
        CDrawObjectList list;
        list.Add(Rect(0, 40, 100, 0, kSelectDominant));
        auto text = std::make_unique<CDrawText>();
        text->SetText("Hi");
        text->SetCoords(0, 30, 10, 0);
        text->SetSelection(kSelectOn);
        list.Add(std::move(text));
        list.Add(Rect(0, 10, 10, 0, kSelectOn));
        const std::string refusal = LayoutEdit::SameSizeRefusal(list, true, false);
        QCOMPARE(refusal, std::string("Text can not be resized to this size."));
        // Without the text, the rectangle takes the dominant's width; left and top stay.
        list.Remove(1);
        QVERIFY(LayoutEdit::SameSizeRefusal(list, true, true).empty());
        LayoutEdit::SameSize(list, true, true);
        QCOMPARE(list.GetObject(1)->GetMaxX(), 100);
        QCOMPARE(list.GetObject(1)->GetMinY(), 10 - 40);
    }

    void locationPicturesFollowTheFaceGroups()
    {
        const struct {
            const char* tab;
            char group;
        } cases[] = {{"Front", 'F'},       {"Spine", 'L'},  {"Pages (Left)", 'L'}, {"Pages (Top)", 'U'},
                     {"Pages (Bottom)", 'D'}, {"CD-ROM", 'C'}, {"Background", 'G'},   {"Layout", 'X'},
                     {"Render", 'Z'},      {"Right", 'R'},  {"Pages (Right)", 'R'}, {"Back", 'B'}};
        for (const auto& c : cases)
            QCOMPARE(FaceGroupOfCode(FaceCodeOfTab(QString::fromLatin1(c.tab))), c.group);
        QCOMPARE(FaceGroupOfCode('y'), 'Z');
        QCOMPARE(FaceCodeOfTab(QStringLiteral("Nowhere")), char(0));
    }

    void pastePlacementFollowsTheVisiblePart()
    {
        CDrawObjectList list;
        CFaceMapping whole;  // the whole face visible, centred at 100 %
        whole.SetEdges(-50, 150, 250, -150, 300, 300);
        CObjectVector pasted;
        pasted.push_back(Rect(10, 90, 50, 50, kSelectOn));
        LayoutEdit::PlacePasted(list, std::move(pasted), whole, true);
        QCOMPARE(list.GetObject(0)->GetMinX(), 15);
        QCOMPARE(list.GetObject(0)->GetMaxY(), 85);
        QCOMPARE(list.GetObject(0)->GetSelection(), kSelectDominant);
        // Scrolled face (left edge at x 100, top at y 400): the group goes to
        // the visible top-left corner, then one step in.
        CFaceMapping scrolled;
        scrolled.SetEdges(100, 400, 400, 100, 300, 300);
        CObjectVector more;
        more.push_back(Rect(10, 90, 50, 50, kSelectOn));
        LayoutEdit::PlacePasted(list, std::move(more), scrolled, true);
        QCOMPARE(list.GetObject(1)->GetMinX(), 105);
        QCOMPARE(list.GetObject(1)->GetMaxY(), 395);
        // At 50 % five window pixels are ten face pixels.
        CFaceMapping half;
        half.SetEdges(-100, 300, 500, -300, 300, 300);
        CObjectVector third;
        third.push_back(Rect(10, 90, 50, 50, kSelectOn));
        LayoutEdit::PlacePasted(list, std::move(third), half, true);
        QCOMPARE(list.GetObject(2)->GetMinX(), 20);
        QCOMPARE(list.GetObject(2)->GetMaxY(), 80);
    }
};

QTEST_MAIN(CLayoutRulesTest)
#include "layout_rules.moc"
