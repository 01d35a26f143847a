// The face canvas's rules without widgets: the face <-> window mapping, zoom
// steps, the Shift constraint, the resize and handle rules, selection by click
// and band, undo texts, ordering, align, same size, rotate, the paste
// placement and the face groups of the location picture. Expected values are
// worked out by hand from the rules the comments restate.

#include "FaceTestUtil.h"

#include "layout/edit/FaceGroups.h"
#include "layout/edit/FaceMapping.h"
#include "layout/edit/LayoutEdit.h"
#include "layout/edit/PastePlacement.h"
#include "layout/edit/ZoomState.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"

namespace {

std::unique_ptr<CDrawObject> Rect(CFaceBox b, std::uint32_t selection = kSelectNone)
{
    auto r = std::make_unique<CDrawRect>();
    r->SetCoords(b.left, b.top, b.right, b.bottom);
    r->SetSelection(selection);
    return r;
}

CFaceBox Box(const CDrawObject& o) { return LayoutEdit::NormalisedBox(o); }

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

// The list's objects by their place in `objects` (back to front).
std::vector<int> Order(const CDrawObjectList& list, const std::vector<CDrawObject*>& objects)
{
    std::vector<int> order;
    for (std::size_t i = 0; i < list.GetObjectCount(); ++i)
        order.push_back(int(std::find(objects.begin(), objects.end(), list.GetObject(i)) - objects.begin()));
    return order;
}

} // namespace

TEST(FaceMapping, IsIntegerAndTruncatesTowardZero)
{
    // Window 400 x 300 showing face x 10..210 and y 150..0 (scale 2):
    // wx = (fx - 10) * 400 / 200, wy = (fy - 150) * 300 / -150.
    CFaceMapping m;
    m.SetEdges(10, 150, 210, 0, 400, 300);
    EXPECT_EQ((std::array{m.spanX, m.spanY, m.FaceToWindowX(10), m.FaceToWindowX(60), m.FaceToWindowY(150), m.FaceToWindowY(0)}),
              (std::array{200, -150, 0, 100, 0, 300}));
    // fx = wx * 200 / 400 + 10: 3 * 200 / 400 = 1 (truncated) -> 11;
    // fy = wy * -150 / 300 + 150: 3 * -150 / 300 = -1 (toward zero) -> 149.
    EXPECT_EQ(std::pair(m.WindowToFaceX(3), m.WindowToFaceY(3)), std::pair(11, 149));
    m.faceWidth = 200;
    m.faceHeight = 150;
    EXPECT_EQ((std::array{m.IsOnFace({0, 0}), m.IsOnFace({200, 10}), m.IsOnFace({10, 150})}), (std::array{true, false, false}));
    // A zero span becomes 100000.
    CFaceMapping z;
    z.SetEdges(5, 5, 5, 5, 100, 100);
    EXPECT_EQ(std::pair(z.spanX, z.spanY), std::pair(100000, 100000));
}

TEST(FaceMapping, CentresASmallFaceAndClampsTheScrolledOne)
{
    // A 200 x 100 face at 100 % in a 600 x 400 window: offset (200, 150).
    const CFaceMapping m = ComputeFaceMapping(200, 100, 600, 400, 1.0, 0, 0);
    EXPECT_EQ((std::array{m.FaceToWindowX(0), m.FaceToWindowX(200), m.FaceToWindowY(100), m.FaceToWindowY(0)}),
              (std::array{200, 400, 150, 250}));
    // At 400 % the face (800 wide) scrolls in x only: window 600 shows 150 face pixels.
    bool sx = false, sy = false;
    const CFaceMapping s = ComputeFaceMapping(200, 100, 600, 400, 4.0, 50, 100, &sx, &sy);
    EXPECT_EQ(std::tuple(sx, sy, s.faceLeft, s.faceRight), std::tuple(true, false, 50, 200));
    // A scroll position beyond the face is brought back to its edge.
    EXPECT_EQ(ComputeFaceMapping(200, 100, 600, 400, 4.0, 1000, 100).faceRight, 200);
}

TEST(ZoomState, StepsFollowTheLevelsAndNewFacesFit)
{
    const struct {
        int z, in, out;
    } cases[] = {{10, 25, 10},   {25, 50, 25},     {26, 50, 25},      {30, 50, 25},    {51, 100, 50},
                 {300, 400, 200}, {800, 1600, 400}, {1600, 1600, 800}, {2000, 2000, 1600}};
    for (const auto& c : cases) {
        EXPECT_EQ(ZoomInLevel(c.z), c.in) << c.z;
        EXPECT_EQ(ZoomOutLevel(c.z), c.out) << c.z;
    }
    CZoomMap map;
    EXPECT_FALSE(map.Find("Front"));
    EXPECT_EQ(std::pair(map.Get("Front").fit, map.Get("Front").zoom), std::pair(1u, 0u));
}

TEST(LayoutEdit, ShiftConstraint)
{
    // Box tools: d = max(|dx|, |dy|) along both signs. Segments: 2|dy| < |dx|
    // is horizontal, 2|dx| < |dy| vertical, otherwise 45 degrees.
    const struct {
        CFacePoint anchor, point;
        bool segment;
        CFacePoint result;
    } cases[] = {{{10, 10}, {40, 20}, false, {40, 40}},  {{10, 10}, {0, -20}, false, {-20, -20}},
                 {{0, 0}, {50, 24}, true, {50, 0}},      {{0, 0}, {-24, 50}, true, {0, 50}},
                 {{0, 0}, {50, 25}, true, {50, 50}},     {{100, 50}, {130, 70}, true, {130, 80}},
                 {{0, 0}, {0, 0}, true, {0, 0}}};
    for (const auto& c : cases)
        EXPECT_EQ(LayoutEdit::ShiftConstrain(c.anchor, c.point, c.segment), c.result)
            << c.point.x << "," << c.point.y;
}

TEST(LayoutEdit, ResizeFlipsOrStopsAtTheMinimum)
{
    // left 20, top 80, right 60, bottom 40; the stub has a minimum of 1 x 1 as a picture.
    const auto rect = Rect({20, 80, 60, 40});
    CStub picture;
    picture.minW = picture.minH = 1;
    picture.SetCoords(20, 80, 60, 40);
    const struct {
        const CDrawObject& object;
        int handle, dx, dy;
        CFaceBox result;
    } cases[] = {
        {*rect, 4, 60, 0, {80, 80, 60, 40}},      // the left edge passes the right one: flipped
        {*rect, 8, 10, -10, {20, 80, 70, 30}},    // bottom-right
        {*rect, 2, 99, 5, {20, 85, 60, 40}},      // the top handle ignores dx
        {picture, 4, 60, 0, {59, 80, 60, 40}},    // one pixel short of the right edge
        {picture, 7, 0, 90, {20, 80, 60, 79}},    // one pixel short of the top
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayoutEdit::ResizeBox(c.object, c.handle, c.dx, c.dy), c.result) << c.handle;
}

TEST(LayoutEdit, HandlesAdaptToWhatTheObjectAllows)
{
    CStub width, height, fixed;
    width.canH = false;
    height.canW = false;
    fixed.canW = fixed.canH = false;
    const int widthOnly[9] = {0, 4, 0, 5, 4, 5, 4, 0, 5};
    const int heightOnly[9] = {0, 2, 2, 2, 0, 0, 7, 7, 7};
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(LayoutEdit::AdaptHandle(width, i), widthOnly[i]) << i;
        EXPECT_EQ(LayoutEdit::AdaptHandle(height, i), heightOnly[i]) << i;
        EXPECT_EQ(LayoutEdit::AdaptHandle(fixed, i), 0) << i;
    }
}

TEST(LayoutEdit, ClicksAndBandsFollowTheShiftRules)
{
    CDrawObjectList list;
    CDrawObject* a = list.Add(Rect({10, 90, 40, 60}));
    CDrawObject* b = list.Add(Rect({50, 90, 80, 60}));
    CDrawObject* c = list.Add(Rect({120, 40, 150, 10}));
    const auto selection = [&] { return std::vector<std::uint32_t>{a->GetSelection(), b->GetSelection(), c->GetSelection()}; };
    using V = std::vector<std::uint32_t>;
    int hits = 0;
    EXPECT_EQ(LayoutEdit::BandDescription(list, {5, 95}, {90, 55}, false, &hits), "Select Objects");
    EXPECT_EQ(hits, 2);
    LayoutEdit::ApplyBand(list, {5, 95}, {90, 55}, false);
    EXPECT_EQ(selection(), (V{kSelectOn, kSelectDominant, kSelectNone}));  // the front one dominant
    LayoutEdit::ApplyClick(list, c, true);                                 // Shift adds c
    EXPECT_EQ(selection(), (V{kSelectOn, kSelectDominant, kSelectOn}));
    LayoutEdit::ApplyClick(list, b, true);  // the dominant leaves: the front-most selected one follows
    EXPECT_EQ(selection(), (V{kSelectOn, kSelectNone, kSelectDominant}));
    EXPECT_EQ(LayoutEdit::BandDescription(list, {5, 95}, {90, 55}, true, &hits), "Modify Selection");
    EXPECT_EQ(LayoutEdit::BandDescription(list, {200, 95}, {210, 90}, false, &hits), "Clear Selection");
    LayoutEdit::ApplyClick(list, nullptr, false);
    EXPECT_EQ(selection(), (V{kSelectNone, kSelectNone, kSelectNone}));

    // Overlapping at (50, 50): the front one; Alt cycles beneath and wraps;
    // a locked object is passed over.
    CDrawObjectList pile;
    CDrawObject* back = pile.Add(Rect({10, 90, 70, 30}));
    CDrawObject* front = pile.Add(Rect({40, 80, 90, 20}));
    EXPECT_EQ(LayoutEdit::PickAt(pile, {50, 50}, false), front);
    front->SetSelection(kSelectDominant);
    EXPECT_EQ(LayoutEdit::PickAt(pile, {50, 50}, true), back);
    LayoutEdit::SelectOnly(pile, back);
    EXPECT_EQ(LayoutEdit::PickAt(pile, {50, 50}, true), front);
    EXPECT_EQ(LayoutEdit::PickAt(pile, {5, 5}, false), nullptr);
    front->SetLocked(true);
    EXPECT_EQ(LayoutEdit::PickAt(pile, {50, 50}, false), back);
}

TEST(LayoutEdit, UndoTextsNameTheSelection)
{
    CDrawObjectList list;
    list.Add(Rect({0, 10, 10, 0}));
    list.Add(std::make_unique<CDrawEllipse>());
    EXPECT_EQ(LayoutEdit::DescribeUndo(list, "Move %s"), "Move Objects");
    list.GetObject(1)->SetSelection(kSelectDominant);
    EXPECT_EQ(LayoutEdit::DescribeUndo(list, "Move %s"), "Move Ellipse");
    EXPECT_EQ(LayoutEdit::DescribeUndo(list, "Align To Left Of %m"), "Align To Left Of Ellipse");
    list.GetObject(0)->SetSelection(kSelectOn);
    EXPECT_EQ(LayoutEdit::DescribeUndo(list, "Delete %s"), "Delete Objects");
    EXPECT_EQ(LayoutEdit::DescribeUndo(list, "Paste"), "Paste");
}

TEST(LayoutEdit, OrderingMovesBlocksAndKeepsTheirOrder)
{
    CDrawObjectList list;
    std::vector<CDrawObject*> o;
    for (int i = 0; i < 5; ++i)
        o.push_back(list.Add(Rect({i, 10, i + 5, 0})));
    list.UpdateOrderKeys();
    const auto select = [&](std::vector<int> chosen) {
        for (int i = 0; i < 5; ++i)
            o[i]->SetSelection(std::count(chosen.begin(), chosen.end(), i) ? kSelectOn : kSelectNone);
    };
    const struct {
        std::vector<int> selected;
        int delta;
        std::vector<int> order;
    } steps[] = {
        {{1, 2}, 11, {0, 3, 1, 2, 4}},         // Bring Forward: the block 1, 2 passes 3
        {{1, 2}, -9999999, {1, 2, 0, 3, 4}},   // Send To Back
        {{1, 2}, -11, {1, 2, 0, 3, 4}},        // Send Backward at the back: nowhere
        {{3}, -11, {1, 2, 3, 0, 4}},           // one object passes exactly one neighbour
        {{4}, 11, {1, 2, 3, 0, 4}},            // Bring Forward on the front-most
        {{1, 0}, 9999999, {2, 3, 4, 1, 0}},    // Bring To Front keeps their order
    };
    for (const auto& s : steps) {
        select(s.selected);
        LayoutEdit::Reorder(list, s.delta);
        EXPECT_EQ(Order(list, o), s.order) << s.delta;
    }
    EXPECT_EQ(list.GetObject(4)->GetOrderKey(), 50);  // keys are (index + 1) * 10 again after the jump
}

TEST(LayoutEdit, AlignMovesTheSelectionToTheDominant)
{
    // The dominant c spans x 120..130 (centre 125) and y 20..50 (centre 35);
    // b spans x 50..100 and y 70..80. "To Left Of", "To Right Of", "Above" and
    // "Below" leave a pixel between.
    using A = LayoutEdit::EAlign;
    const struct {
        A align;
        CFaceBox b;
    } cases[] = {
        {A::Left, {120, 80, 170, 70}},   {A::HCenter, {100, 80, 150, 70}}, {A::Right, {80, 80, 130, 70}},
        {A::Top, {50, 50, 100, 40}},     {A::VCenter, {50, 40, 100, 30}},    {A::Bottom, {50, 30, 100, 20}},
        {A::ToLeftOf, {69, 80, 119, 70}}, {A::ToRightOf, {131, 80, 181, 70}},       {A::Above, {50, 61, 100, 51}},
        {A::Below, {50, 19, 100, 9}},
    };
    for (const auto& c : cases) {
        CDrawObjectList list;
        CDrawObject* b = list.Add(Rect({50, 80, 100, 70}, kSelectOn));
        CDrawObject* d = list.Add(Rect({120, 50, 130, 20}, kSelectDominant));
        LayoutEdit::Align(list, c.align);
        EXPECT_EQ(Box(*b), c.b) << int(c.align);
        EXPECT_EQ(Box(*d), (CFaceBox{120, 50, 130, 20}));
    }
}

TEST(LayoutEdit, SameSizeRefusalNamesEachKindOnce)
{
    CDrawObjectList list;
    list.Add(Rect({0, 40, 100, 0}, kSelectDominant));
    auto text = std::make_unique<CDrawText>();
    text->SetText("Hi");
    text->SetCoords(0, 30, 10, 0);
    text->SetSelection(kSelectOn);
    list.Add(std::move(text));
    list.Add(Rect({0, 10, 10, 0}, kSelectOn));
    EXPECT_EQ(LayoutEdit::SameSizeRefusal(list, true, false), "Text can not be resized to this size.");
    // Without the text the rectangle takes the dominant's 100 x 40; its left and top stay.
    list.Remove(1);
    EXPECT_EQ(LayoutEdit::SameSizeRefusal(list, true, true), "");
    LayoutEdit::SameSize(list, true, true);
    EXPECT_EQ(Box(*list.GetObject(1)), (CFaceBox{0, 10, 100, -30}));
}

TEST(LayoutEdit, RotateTurnsAboutTheCentreAndKeepsOnTheFace)
{
    // 60 x 20 about (130, 60): 20 x 60 about the same centre; four turns are none.
    CDrawObjectList list;
    CDrawObject* r = list.Add(Rect({100, 70, 160, 50}, kSelectDominant));
    LayoutEdit::Rotate(list, true, 200, 100);
    EXPECT_EQ(Box(*r), (CFaceBox{120, 90, 140, 30}));
    for (int i = 0; i < 3; ++i)
        LayoutEdit::Rotate(list, true, 200, 100);
    EXPECT_EQ(Box(*r), (CFaceBox{100, 70, 160, 50}));
    // 60 x 10 at the bottom edge turns to y -25..35 about (30, 5) and moves back up onto the face.
    r->SetCoords(0, 10, 60, 0);
    LayoutEdit::Rotate(list, false, 200, 100);
    EXPECT_EQ(Box(*r), (CFaceBox{25, 60, 35, 0}));
}

TEST(LayoutEdit, PastedObjectsGoOneStepIntoTheVisiblePart)
{
    // The pasted rectangle spans x 10..50, y 50..90. Whole face visible at
    // 100 %: five face pixels right and down. Scrolled so that face x 100 and
    // y 400 are the window's left and top: the visible corner, then the step.
    // At 50 % (600 face pixels in 300): five window pixels are ten face pixels.
    const struct {
        int left, top, right, bottom;
        int minX, maxY;
    } cases[] = {{-50, 150, 250, -150, 15, 85}, {100, 400, 400, 100, 105, 395}, {-100, 300, 500, -300, 20, 80}};
    CDrawObjectList list;
    for (const auto& c : cases) {
        CFaceMapping m;
        m.SetEdges(c.left, c.top, c.right, c.bottom, 300, 300);
        CObjectVector pasted;
        pasted.push_back(Rect({10, 90, 50, 50}, kSelectOn));
        LayoutEdit::ClearSelection(list);
        LayoutEdit::PlacePasted(list, std::move(pasted), m, true);
        const CDrawObject& o = *list.GetObject(list.GetObjectCount() - 1);
        EXPECT_EQ(std::tuple(o.GetMinX(), o.GetMaxY(), o.GetSelection()), std::tuple(c.minX, c.maxY, kSelectDominant));
    }
}

TEST(PastePlacement, KeepsTheRelativePlaceInsideTheFace)
{
    // Copied from a 200 x 100 face at left 100 (half its width), top 80 (20
    // below its top), 60 wide; pasted on a 50 x 100 face: left 25, top 80,
    // but 60 wide it would pass the right edge, so it keeps the face's left edge.
    CObjectVector pasted;
    pasted.push_back(Rect({100, 80, 160, 50}));
    PastePlacement::KeepRelativePlace(pasted, 200, 100, 50, 100);
    EXPECT_EQ(Box(*pasted.front()), (CFaceBox{25, 80, 85, 50}));
    CDrawObjectList list;
    list.Add(std::move(pasted.front()));
    PastePlacement::ClampInside(list, 1, 50, 100);
    EXPECT_EQ(Box(*list.GetObject(0)), (CFaceBox{0, 80, 60, 50}));
    // A group below the face comes up by what it overhangs.
    list.Add(Rect({40, 5, 48, -10}));
    PastePlacement::ClampInside(list, 1, 50, 100);
    EXPECT_EQ(Box(*list.GetObject(1)), (CFaceBox{40, 15, 48, 0}));
}

TEST(FaceGroups, LocationPicturesFollowTheFaceGroups)
{
    const struct {
        const char* tab;
        char group;
    } cases[] = {{"Front", 'F'},          {"Spine", 'L'},  {"Pages (Left)", 'L'}, {"Pages (Top)", 'U'},
                 {"Pages (Bottom)", 'D'}, {"CD-ROM", 'C'}, {"Background", 'G'},   {"Layout", 'X'},
                 {"Render", 'Z'},         {"Right", 'R'},  {"Pages (Right)", 'R'}, {"Back", 'B'}};
    for (const auto& c : cases)
        EXPECT_EQ(FaceGroupOfCode(FaceCodeOfTab(c.tab)), c.group) << c.tab;
    EXPECT_EQ(FaceGroupOfCode('y'), 'Z');
    EXPECT_EQ(FaceCodeOfTab("Nowhere"), 0);
}
