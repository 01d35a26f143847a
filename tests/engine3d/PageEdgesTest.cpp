// Page-edge face pictures: bands, page lines, spine strip and mitres,
// binder form, and refusal of unusable pictures.
#include "EngineTestUtil.h"

#include "engine3d/model/PageEdges.h"

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

// Each edge painted from a coded front (red = x, green = y, blue 1) and
// spine (blue 2) into its own picture, and the colours at chosen pixels.
TEST(PageEdges, BandsCornersAndStripsOfEachEdge)
{
    const auto spineTop = [](int y) { return RGB(50 - 1 - y * 50 / 100, 19, 2); }; // the spine's top row
    const auto frontTop = [](int x) { return RGB(x * 30 / 60, 19, 1); };           // the front's top row
    const struct {
        const char* what;
        char code;
        bool binder, spine, lines;
        int front, pages, w, h;
        std::vector<std::pair<int, int>> at;
        std::vector<COLORREF> want;
    } rows[] = {
        // The left face's columns run from the back (x = 0) to the front, the
        // front cover at the front end copying the front's first column:
        // covers for t = 99 - x <= 20 (x >= 79) and t >= 90 (x <= 9).
        {"left edge", 'l', true, false, false, 20, 70, 100, 20, {{79, 5}, {78, 5}, {10, 5}, {9, 5}},
         {RGB(0, 10, 1), kPaper, kPaper, RGB(0, 10, 1)}},
        // Top face in book form, columns from the spine, rows from the front,
        // a = 10, b = 90: pages (x > a, a < y < b); the spine strip (x <= a);
        // the front corner (x < y <= a), where on the mitre the front cover
        // wins; the back corner (y >= b, x < h - y); the cover bands.
        {"book top", 'u', false, true, false, 10, 80, 60, 100,
         {{30, 50}, {11, 11}, {10, 50}, {0, 89}, {3, 7}, {7, 7}, {8, 3}, {5, 94}, {6, 94}, {40, 95}, {40, 4}},
         {kPaper, kPaper, spineTop(50), spineTop(89), spineTop(7), frontTop(7), frontTop(8), spineTop(94), frontTop(6),
          frontTop(40), frontTop(40)}},
        // The bottom shows the back in its row 0: row y is t = 99 - y from the
        // front (a = 30, b = 90); covers and strip from the bottom rows.
        {"book bottom", 'd', false, true, false, 30, 60, 60, 100, {{40, 75}, {40, 65}, {40, 5}, {5, 50}},
         {RGB(40 * 30 / 60, 0, 1), kPaper, RGB(20, 0, 1), RGB(50 - 1 - 49 * 50 / 100, 0, 2)}},
        // A binder has no spine strip: the pages reach the spine side, their
        // lines parallel to the covers.
        {"binder top", 'u', true, false, true, 10, 80, 60, 100, {{0, 50}, {0, 51}, {3, 7}, {59, 99}},
         {kPaper, kEdge, RGB(1, 19, 1), RGB(29, 19, 1)}},
    };
    for (const auto& r : rows) {
        auto front = Coded(r.code == 'l' ? 50 : 30, r.code == 'l' ? 40 : 20, 1), spine = Coded(50, 20, 2);
        CPageEdgeStyle s = Style(r.lines);
        s.frontPercent = r.front;
        s.pagesPercent = r.pages;
        auto target = MakePicture(r.w, r.h, 0);
        ASSERT_TRUE(PaintPageEdge(r.code, r.binder, *target, front.get(), r.spine ? spine.get() : nullptr, s, nullptr));
        std::vector<COLORREF> got;
        for (auto [x, y] : r.at) got.push_back(Get(*target, x, y));
        EXPECT_EQ(got, r.want) << r.what;
    }
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
