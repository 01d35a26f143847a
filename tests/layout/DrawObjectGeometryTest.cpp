// Box rules, resize checks, polygon resizing through the normalised shape,
// rotations, offsets and hit tests.
#include "FaceTestUtil.h"

#include "layout/barcode/DrawBarcode.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"

namespace {

struct Box {
    int x1, y1, x2, y2;
};

Box BoxOf(const CDrawObject& o) { return {o.GetX1(), o.GetY1(), o.GetX2(), o.GetY2()}; }

void ExpectBox(const CDrawObject& o, Box b)
{
    EXPECT_EQ((std::array{o.GetX1(), o.GetY1(), o.GetX2(), o.GetY2()}), (std::array{b.x1, b.y1, b.x2, b.y2}));
}

// Normalised box the way the select tool hands it to SetBounds (left,
// top, right, bottom with top >= bottom), moved by dx, dy.
void MoveByBounds(CDrawObject& o, int dx, int dy)
{
    o.SetBounds(o.GetMinX() + dx, o.GetMaxY() + dy, o.GetMaxX() + dx, o.GetMinY() + dy);
}

}  // namespace

TEST(DrawObjectBounds, LineFromTopLeftToBottomRightKeepsItsDirection)
{
    CDrawLine line;
    line.SetCoords(10, 90, 60, 20);  // starts top-left, ends bottom-right
    MoveByBounds(line, 5, -5);
    ExpectBox(line, {15, 85, 65, 15});
    line.SetBounds(15, 100, 80, 0);  // resized through a handle
    ExpectBox(line, {15, 100, 80, 0});
    line.Offset(-15, 10);
    ExpectBox(line, {0, 110, 65, 10});

    CDrawLine back;
    back.SetCoords(60, 20, 10, 90);  // the other way: bottom-right to top-left
    back.SetBounds(0, 100, 50, 30);
    ExpectBox(back, {50, 30, 0, 100});
}

TEST(DrawObjectBounds, ResizeCheckUsesLimitsAndTiedSides)
{
    CDrawRect rect;
    rect.SetCoords(0, 10, 20, 0);
    EXPECT_TRUE(rect.CanResizeTo(true, 0, true, 999999));
    EXPECT_FALSE(rect.CanResizeTo(true, 1000000, false, 0));
    EXPECT_FALSE(rect.CanResizeTo(false, 0, true, -1));

    CDrawPicture picture;
    EXPECT_FALSE(picture.CanResizeTo(true, 0, false, 0));  // minimum 1
    EXPECT_TRUE(picture.CanResizeTo(true, 1, true, 1));

    // A barcode cannot shrink below its natural size ("ABC" with its light
    // margins: 16 * 5 + 2 * 10 = 100 x 16).
    CDrawBarcode barcode;
    ASSERT_TRUE(barcode.SetData("ABC"));
    barcode.SetCoords(0, 100, 200, 0);
    EXPECT_FALSE(barcode.CanResizeTo(true, 99, false, 0));
    EXPECT_TRUE(barcode.CanResizeTo(true, 100, true, 16));
    EXPECT_FALSE(barcode.CanResizeTo(false, 0, true, 15));
}

TEST(DrawObjectBounds, BarcodeShrunkBelowItsNaturalSizeStopsThere)
{
    CDrawBarcode barcode;
    ASSERT_TRUE(barcode.SetData("ABC"));
    barcode.SetCoords(0, 100, 200, 0);
    barcode.SetBounds(0, 100, 30, 95);  // 30 x 5 asked: 100 x 16, the top-left corner kept at angle 0
    EXPECT_EQ((std::array{barcode.GetWidth(), barcode.GetHeight(), barcode.GetMinX(), barcode.GetMaxY()}), (std::array{100, 16, 0, 100}));
}

// Each step resizes the shape of the step before to a box (x1, y1, x2, y2):
// points scale from the normalised shape, truncating toward zero, and a box
// given the wrong way round mirrors the shape, which further resizes keep.
TEST(DrawPolyGeometry, ResizeScalesAndMirrorsTheNormalisedShape)
{
    using Points = std::vector<CDrawPoint>;
    const struct {
        Points start;
        std::vector<std::pair<std::array<int, 4>, Points>> steps;
    } cases[] = {
        // Twice as big at the origin (shape 20 x 20), then to 7: nx * 7 / 20.
        {{{10, 10}, {20, 30}, {30, 10}},
         {{{0, 40, 40, 0}, {{0, 0}, {20, 40}, {40, 0}}}, {{0, 7, 7, 0}, {{0, 0}, {3, 7}, {7, 0}}}}},
        // An "L" dragged by its left handle past the right edge, then resized
        // as usual: the upright arm stays on the right.
        {{{0, 20}, {0, 0}, {40, 0}},
         {{{80, 20, 40, 0}, {{80, 20}, {80, 0}, {40, 0}}}, {{100, 40, 180, 0}, {{180, 40}, {180, 0}, {100, 0}}}}},
        // Flipped vertically (top below bottom), then resized.
        {{{0, 0}, {10, 0}, {0, 10}},
         {{{0, 0, 10, 10}, {{0, 10}, {10, 10}, {0, 0}}}, {{0, 20, 20, 0}, {{0, 20}, {20, 20}, {0, 0}}}}},
        // A straight shape with no height follows the box's bottom.
        {{{0, 5}, {10, 5}, {20, 5}}, {{{0, 30, 40, 10}, {{0, 10}, {20, 10}, {40, 10}}}}},
    };
    for (const auto& c : cases) {
        CDrawPolyline poly;
        poly.SetPoints(c.start);
        for (const auto& [box, want] : c.steps) {
            poly.SetBounds(box[0], box[1], box[2], box[3]);
            EXPECT_EQ(poly.GetPoints(), want) << box[0] << "," << box[1] << "," << box[2] << "," << box[3];
        }
    }
    CDrawPolyline poly;
    poly.SetPoints({{10, 10}, {20, 30}, {30, 10}});
    EXPECT_EQ(std::pair(poly.GetMinX(), poly.GetMaxY()), std::pair(10, 30));
    poly.SetBounds(0, 40, 40, 0);
    EXPECT_EQ(std::tuple(poly.HasShape(), poly.GetShapeWidth(), poly.GetShapeHeight()), std::tuple(true, 20, 20));
}

TEST(DrawPolyGeometry, RotationsTurnPointsAndShapeAndFourReturn)
{
    CDrawPolygon poly;
    poly.SetPoints({{10, 0}, {30, 0}, {30, 10}});
    poly.SetBounds(10, 10, 30, 0);  // builds the shape (20 x 10)
    poly.RotateLeft(0, 0);           // (x, y) -> (-y, x)
    using Points = std::vector<CDrawPoint>;
    EXPECT_EQ(poly.GetPoints(), (Points{{0, 10}, {0, 30}, {-10, 30}}));
    EXPECT_EQ(std::pair(poly.GetShapeWidth(), poly.GetShapeHeight()), std::pair(10, 20));
    // Shape (0,0), (20,0), (20,10) turned left about the origin and renormalised.
    EXPECT_EQ(poly.GetShape(), (Points{{10, 0}, {10, 20}, {0, 20}}));
    poly.RotateRight(0, 0);
    const Points start = {{10, 0}, {30, 0}, {30, 10}};
    EXPECT_EQ(poly.GetPoints(), start);
    for (int i = 0; i < 4; ++i)
        poly.RotateLeft(5, 7);
    EXPECT_EQ(poly.GetPoints(), start);
    EXPECT_EQ(poly.GetShape(), (Points{{0, 0}, {20, 0}, {20, 10}}));
}

TEST(DrawPolyGeometry, OffsetMovesPointsButNotTheShape)
{
    CDrawPolyline poly;
    poly.SetPoints({{0, 0}, {10, 10}});
    poly.SetBounds(0, 10, 10, 0);
    poly.Offset(5, -3);
    EXPECT_EQ(poly.GetPoints(), (std::vector<CDrawPoint>{{5, -3}, {15, 7}}));
    EXPECT_EQ(poly.GetShape(), (std::vector<CDrawPoint>{{0, 0}, {10, 10}}));
    ExpectBox(poly, {5, 7, 15, -3});
}

TEST(DrawObjectRotation, AngleKindsTurnInQuarterStepsAndFourLeftTurnsReturnToZero)
{
    CDrawText text;
    for (int i = 0; i < 4; ++i) {
        text.RotateLeft(0, 0);
        EXPECT_EQ(text.GetAngle(), (i + 1) % 4 * 900);
    }
    EXPECT_EQ(text.GetAngle(), 0);
    text.RotateRight(0, 0);
    EXPECT_EQ(text.GetAngle(), 2700);

    // The Rotate command: a 100 x 40 rectangle turns into 40 x 100 about its centre.
    CDrawRect rect;
    rect.SetCoords(0, 40, 100, 0);
    const Box start = BoxOf(rect);
    RotateDrawObject(rect, true);
    EXPECT_EQ((std::array{rect.GetWidth(), rect.GetHeight(), (rect.GetX1() + rect.GetX2()) / 2, (rect.GetY1() + rect.GetY2()) / 2}),
              (std::array{40, 100, 50, 20}));
    for (int i = 0; i < 3; ++i)
        RotateDrawObject(rect, true);
    ExpectBox(rect, start);
}

TEST(DrawObjectHitTest, HalfOpenBoxesWidenedWhenFlat)
{
    CDrawRect rect;
    rect.SetCoords(10, 20, 0, 0);  // unnormalised; x 0..9 and y 0..19 hit
    EXPECT_EQ((std::array{rect.HitTest(0, 0), rect.HitTest(9, 19), rect.HitTest(10, 5), rect.HitTest(5, 20)}),
              (std::array{true, true, false, false}));

    CDrawLine flat;  // horizontal line: widened by one pixel in y
    flat.SetCoords(0, 5, 10, 5);
    EXPECT_EQ(std::pair(flat.HitTest(3, 5), flat.HitTest(3, 6)), std::pair(true, false));
    // Bands overlapping, around the box, and beside it.
    EXPECT_EQ((std::array{rect.HitTestBand(-5, 30, 2, 15), rect.HitTestBand(-5, 30, 50, -10), rect.HitTestBand(20, 30, 40, 25)}),
              (std::array{true, true, false}));
}
