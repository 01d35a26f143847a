// Page-edge face pictures: bands, page lines, spine strip and mitres,
// binder form, and refusal of unusable pictures.
#include "EngineTestUtil.h"

#include "engine3d/model/PageEdges.h"

#include <gtest/gtest.h>

#include <vector>

using namespace enginetest;

namespace {

constexpr COLORREF kPaper = RGB(224, 224, 224);
constexpr COLORREF kEdge = RGB(192, 192, 192);

CPageEdgeStyle Style(bool edges = false, int k = 1)
{
    CPageEdgeStyle s;
    s.frontPercent = 10;
    s.pagesPercent = 80;
    s.paperColour = kPaper;
    s.pageEdges = edges;
    s.edgeColour = kEdge;
    s.k = k;
    return s;
}

// A front picture whose every pixel tells its position: red = x, green = y.
std::unique_ptr<CRaster> Coded(int w, int h, int blue)
{
    auto r = MakePicture(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Set(*r, x, y, RGB(x, y, blue));
    return r;
}

} // namespace

TEST(PageEdges, RightEdgeBandsCopyTheFrontsLastColumn)
{
    auto front = Coded(50, 40, 1);
    auto target = MakePicture(100, 20, 0);
    ASSERT_TRUE(PaintPageEdge('r', false, *target, front.get(), nullptr, Style(), nullptr));
    // 10 / 80 / 10 over 100 columns: a = 10, b = 90; pages are columns 11 .. 89.
    for (int x = 0; x < 100; ++x) {
        const bool page = x >= 11 && x <= 89;
        for (int y : {0, 7, 19}) {
            const COLORREF want = page ? kPaper : RGB(49, y * 40 / 20, 1);
            ASSERT_EQ(Get(*target, x, y), want) << "column " << x << " row " << y;
        }
    }
}

TEST(PageEdges, PageLinesEveryThreeK)
{
    auto front = Coded(10, 10, 1);
    auto target = MakePicture(100, 4, 0);
    ASSERT_TRUE(PaintPageEdge('r', false, *target, front.get(), nullptr, Style(true, 2), nullptr));
    for (int x = 11; x <= 89; ++x) {
        const bool line = x % 6 == 0 || x % 6 == 1;
        EXPECT_EQ(Get(*target, x, 2), line ? kEdge : kPaper) << "column " << x;
    }
    // k below 1 cannot divide by zero: lines one pixel wide.
    ASSERT_TRUE(PaintPageEdge('r', false, *target, front.get(), nullptr, Style(true, 0), nullptr));
    EXPECT_EQ(std::pair(Get(*target, 12, 0), Get(*target, 13, 0)), std::pair(kEdge, kPaper));
}

TEST(PageEdges, LeftEdgeBandsRunFromTheFrontEnd)
{
    // The left face's columns run from the back (x = 0) to the front; the
    // front cover band sits at the front end and copies the front's first column.
    auto front = Coded(50, 40, 1);
    CPageEdgeStyle s = Style();
    s.frontPercent = 20;
    s.pagesPercent = 70; // back cover 10
    auto target = MakePicture(100, 20, 0);
    ASSERT_TRUE(PaintPageEdge('l', true, *target, front.get(), nullptr, s, nullptr));
    // From the front end t = 99 - x: covers for t <= 20 (x >= 79) and t >= 90 (x <= 9).
    EXPECT_EQ((std::vector{Get(*target, 79, 5), Get(*target, 78, 5), Get(*target, 10, 5), Get(*target, 9, 5)}),
              (std::vector{RGB(0, 10, 1), kPaper, kPaper, RGB(0, 10, 1)}));
}

TEST(PageEdges, TopInBookFormWithSpineStripAndMitres)
{
    // 60 x 100 top face: columns from the spine, rows from the front; a = 10, b = 90.
    auto front = Coded(30, 20, 1);
    auto spine = Coded(50, 20, 2);
    auto target = MakePicture(60, 100, 0);
    ASSERT_TRUE(PaintPageEdge('u', false, *target, front.get(), spine.get(), Style(), nullptr));
    const int h = 100;
    auto spineAt = [&](int y) { return RGB(50 - 1 - y * 50 / h, 19, 2); }; // spine's top row
    auto frontAt = [&](int x) { return RGB(x * 30 / 60, 19, 1); };        // front's top row
    // Pages (x > a and a < y < b); the spine strip (x <= a); the front corner (x < y <= a),
    // where on the mitre diagonal the front cover wins; the back corner (y >= b and
    // x < h - y); the back and front cover bands.
    EXPECT_EQ((std::vector{Get(*target, 30, 50), Get(*target, 11, 11), Get(*target, 10, 50), Get(*target, 0, 89), Get(*target, 3, 7),
                           Get(*target, 7, 7), Get(*target, 8, 3), Get(*target, 5, 94), Get(*target, 6, 94), Get(*target, 40, 95),
                           Get(*target, 40, 4)}),
              (std::vector{kPaper, kPaper, spineAt(50), spineAt(89), spineAt(7), frontAt(7), frontAt(8), spineAt(94), frontAt(6),
                           frontAt(40), frontAt(40)}));
}

TEST(PageEdges, BottomRowsRunFromTheBack)
{
    // The bottom face shows the back of the product in its row 0; with a thick
    // front cover the front band must lie at the top rows.
    auto front = Coded(30, 20, 1);
    auto spine = Coded(50, 20, 2);
    CPageEdgeStyle s = Style();
    s.frontPercent = 30;
    s.pagesPercent = 60; // a = 30, b = 90 over 100 rows
    auto target = MakePicture(60, 100, 0);
    ASSERT_TRUE(PaintPageEdge('d', false, *target, front.get(), spine.get(), s, nullptr));
    // Row y is t = 99 - y from the front. Covers from the front's bottom row.
    EXPECT_EQ(Get(*target, 40, 75), RGB(40 * 30 / 60, 0, 1)) << "t = 24: front cover";
    EXPECT_EQ(Get(*target, 40, 65), kPaper) << "t = 34: pages";
    EXPECT_EQ(Get(*target, 40, 5), RGB(20, 0, 1)) << "t = 94: back cover";
    EXPECT_EQ(Get(*target, 5, 50), RGB(50 - 1 - 49 * 50 / 100, 0, 2)) << "spine strip from the spine's bottom row";
}

TEST(PageEdges, BinderFormHasNoSpineStrip)
{
    auto front = Coded(30, 20, 1);
    auto target = MakePicture(60, 100, 0);
    ASSERT_TRUE(PaintPageEdge('u', true, *target, front.get(), nullptr, Style(true, 1), nullptr));
    // The pages reach the spine side, their lines parallel to the covers; the covers from the front's top row.
    EXPECT_EQ((std::vector{Get(*target, 0, 50), Get(*target, 0, 51), Get(*target, 3, 7), Get(*target, 59, 99)}),
              (std::vector{kPaper, kEdge, RGB(1, 19, 1), RGB(29, 19, 1)}));
}

TEST(PageEdges, BadInputIsRefusedAndLeavesTheTarget)
{
    auto front = Coded(10, 10, 1);
    std::string error;
    CRaster empty;
    EXPECT_FALSE(PaintPageEdge('r', false, empty, front.get(), nullptr, Style(), &error) || error.empty());
    auto target = MakePicture(10, 10, RGB(5, 6, 7));
    error.clear();
    EXPECT_FALSE(PaintPageEdge('F', false, *target, front.get(), nullptr, Style(), &error) || error.empty());
    EXPECT_EQ(Get(*target, 3, 3), RGB(5, 6, 7));
    // Without a front picture the covers take the paper colour.
    ASSERT_TRUE(PaintPageEdge('r', false, *target, nullptr, nullptr, Style(), nullptr));
    EXPECT_EQ(Get(*target, 0, 0), kPaper);
}
