// Whole-model drawing through the entry point: faces, culling, progress,
// reuse of the built mesh and refusal of bad pictures. Shadows and the
// reflection through it are held by the stored projects. Page-edge face
// pictures: bands, page lines, spine strip and mitres, binder form, and
// refusal of unusable pictures.
#include "EngineTestUtil.h"

#include "engine3d/model/PageEdges.h"
#include "engine3d/surface/ModelRenderer.h"

#include <cstring>
#include <map>

using namespace enginetest;

namespace {

constexpr COLORREF kFront = RGB(200, 30, 30);
constexpr COLORREF kTop = RGB(30, 200, 30);
constexpr COLORREF kLeft = RGB(30, 30, 200);
constexpr COLORREF kRight = RGB(200, 200, 30);
constexpr COLORREF kBottom = RGB(30, 200, 200);

struct CBoxScene {
    CModelDescription desc;
    std::map<char, std::unique_ptr<CRaster>> faces;
    CTextureSet textures;
    CBoxScene()
    {
        desc.shape = ModelShape::Solid;
        desc.settings.width = 202;
        desc.settings.height = 261;
        desc.settings.depth = 50;
        desc.settings.shadows = false;
        faces['F'] = MakePicture(40, 52, kFront);
        faces['U'] = MakePicture(40, 10, kTop);
        faces['L'] = MakePicture(10, 52, kLeft);
        faces['R'] = MakePicture(10, 52, kRight);
        faces['D'] = MakePicture(40, 10, kBottom);
    }
    // Draws the box with `model` (the texture set made on the first draw).
    bool Draw(CProductModel& model, bool quality, CModelArea area, CRaster& scratch, CRaster& alpha,
              ModelProgress progress = nullptr)
    {
        if (textures.GetPicture('F') == nullptr) {
            PrepareTextureSet(desc, textures);
            for (auto& [code, pic] : faces) textures.SetPicture(code, pic.get());
        }
        return model.Draw(desc, quality, area, textures, scratch, alpha, progress, &error);
    }
    std::string error;
};

std::map<COLORREF, int> Histogram(const CRaster& r)
{
    std::map<COLORREF, int> h;
    for (int y = 0; y < r.GetHeight(); ++y)
        for (int x = 0; x < r.GetWidth(); ++x) ++h[Get(r, x, y)];
    return h;
}

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

TEST(ModelRenderer, DrawsTheVisibleFacesOfABox)
{
    CBoxScene scene;
    auto scratch = MakePicture(200, 200, 0xFFFFFF), alpha = MakePicture(200, 200, 0xFFFFFF);
    CProductModel model;
    std::size_t lastDone = 0, lastTotal = 0, calls = 0;
    bool monotonic = true;
    ModelProgress progress = [&](std::size_t done, std::size_t total) {
        monotonic = monotonic && done > lastDone && done <= total;
        lastDone = done;
        lastTotal = total;
        ++calls;
    };
    ASSERT_TRUE(scene.Draw(model, true, CModelArea{180, 10, 10}, *scratch, *alpha, progress)) << scene.error;
    const auto hist = Histogram(*scratch);
    // Turned by 10, 25 and 15 degrees, seen from the table's height: the front,
    // the right side and the bottom face the eye; the left and the top do not.
    EXPECT_TRUE(hist.count(kFront) && hist.at(kFront) > 5000 && hist.count(kRight) && hist.at(kRight) > 200);
    EXPECT_EQ(std::pair(hist.count(kLeft), hist.count(kTop)), std::pair(std::size_t(0), std::size_t(0)));
    // Counted up to five faces and the unprinted back.
    EXPECT_EQ(std::tuple(monotonic, lastDone, lastTotal), std::tuple(true, std::size_t(7), std::size_t(7)));
    // Nothing outside the model square.
    for (int y = 0; y < 200; ++y)
        EXPECT_TRUE(Get(*scratch, 3, y) == 0xFFFFFFu && Get(*scratch, 196, y) == 0xFFFFFFu) << y;
    // Drawn again (the mesh is reused) the picture is the same.
    auto again = MakePicture(200, 200, 0xFFFFFF);
    ASSERT_TRUE(scene.Draw(model, true, CModelArea{180, 10, 10}, *again, *alpha));
    EXPECT_EQ(std::memcmp(scratch->GetBits(0), again->GetBits(0), scratch->GetDIBSize() - 40), 0);
}

TEST(ModelRenderer, ShadowsAndReflectionLeaveTheLayerWhite)
{
    // Each list whitens again what it drew into the working layer, which the
    // band renderer hands on white from band to band.
    CBoxScene scene;
    scene.desc.settings.shadows = true;
    scene.desc.settings.shadowStyle = 3;
    scene.desc.settings.observerY = 100;
    scene.desc.settings.aboveTable = 30;
    scene.desc.settings.reflection = true;
    auto scratch = MakePicture(200, 200, RGB(250, 250, 250)), alpha = MakePicture(200, 200, 0xFFFFFF);
    CProductModel model;
    ASSERT_TRUE(scene.Draw(model, false, CModelArea{180, 10, 10}, *scratch, *alpha));
    const std::map<COLORREF, int> white{{0xFFFFFF, 200 * 200}};
    EXPECT_EQ(Histogram(*alpha), white);
}

TEST(ModelRenderer, RefusesUnusablePicturesWithoutDrawing)
{
    CBoxScene scene;
    auto scratch = MakePicture(100, 100, RGB(1, 2, 3)), alpha = MakePicture(50, 100, 0xFFFFFF);
    CProductModel model;
    EXPECT_FALSE(scene.Draw(model, true, CModelArea{80, 10, 10}, *scratch, *alpha));
    EXPECT_TRUE(!scene.error.empty() && Histogram(*scratch).size() == 1u) << "scratch untouched";
    auto goodAlpha = MakePicture(100, 100, 0xFFFFFF);
    scene.error.clear();
    EXPECT_FALSE(scene.Draw(model, true, CModelArea{0, 10, 10}, *scratch, *goodAlpha));
    EXPECT_FALSE(scene.error.empty());
}

// The face codes each kind draws are held by the stored projects of every
// kind; what reaches the texture set from the description here.
TEST(ModelRenderer, TextureSetTakesTheCdHalfCornersAndFolds)
{
    CModelDescription s;
    s.shape = ModelShape::Solid;
    s.cdPositionTest = true;
    s.hasFolds = true;
    s.settings.foldsShown = true;
    CTextureSet set;
    PrepareTextureSet(s, set);
    EXPECT_EQ(std::tuple(set.cdHalf, set.cornerRadius, set.foldsShown), std::tuple(true, 0.0, true));
}

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
