// Whole-model drawing through the entry point: faces, culling, progress,
// reuse of the built mesh and refusal of bad pictures. Shadows and the
// reflection through it are held by the stored projects.
#include "EngineTestUtil.h"

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
