// The page-edge pictures the engine back end makes when a side has none.

#include "PixelTestUtil.h"

#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

namespace {

std::pair<int, int> PictureSize(const CProduct& product, const char* key)
{
    const CSide* side = product.FindSidePtr(key);
    const CRaster* picture = side ? side->GetPicture() : nullptr;
    return picture ? std::pair{picture->GetWidth(), picture->GetHeight()} : std::pair{0, 0};
}

// The product's W x H x D millimetres and its rendering size.
void SetSizes(CProduct& p, double w, double h, double d, int renderW, int renderH)
{
    SetModel(p.GetSettings(), {{kSetProductWidth, w}, {kSetProductHeight, h}, {kSetProductDepth, d},
                               {kSetRenderWidth, renderW}, {kSetRenderHeight, renderH}});
}

}  // namespace

TEST(EngineBackendPageEdges, MissingPictureIsMadeAtTheNewProjectFaceScale)
{
    std::unique_ptr<CProduct> book = CreateProduct("BINDER");
    ASSERT_NE(book, nullptr);
    SetSizes(*book, 150, 200, 30, 300, 500);
    // ceil(2 * 500 / 200) = 5 pixels per millimetre; top and bottom are
    // W x D, the right and left edges D x H.
    CEngineBackend backend;
    for (char code : {'u', 'd', 'r', 'l'}) backend.PreparePageEdge(*book, code);
    EXPECT_EQ((std::vector{PictureSize(*book, "u"), PictureSize(*book, "d"), PictureSize(*book, "r"), PictureSize(*book, "l")}),
              (std::vector<std::pair<int, int>>{{750, 150}, {750, 150}, {150, 1000}, {150, 1000}}));

    // A small product at a large rendering size stays at 16 pixels per mm.
    std::unique_ptr<CProduct> small = CreateProduct("BOOK");
    ASSERT_NE(small, nullptr);
    SetSizes(*small, 20, 25, 4, 999, 400);
    backend.PreparePageEdge(*small, 'u');
    EXPECT_EQ(PictureSize(*small, "u"), (std::pair{320, 64}));
}

namespace {

// A new-project box (190 x 260 x 60 mm) with mid-grey faces at w x h pixels,
// rendered by the engine at magnification 1 on the white table.
std::unique_ptr<CProduct> RenderNewBox(int w, int h)
{
    std::unique_ptr<CProduct> box = CreateProduct("BOX");
    SettingStore& s = box->GetSettings();
    ApplyStartValues(s);
    ApplyNewProjectView(s);
    SetSizes(*box, 190, 260, 60, w, h);
    SetModel(s, {{kSetMagnification, 1}, {kSetBackdrop, 0}}); // the plain white table
    for (const char* face : {"F", "L", "R", "U", "D"}) {
        auto picture = std::make_unique<CRaster>();
        picture->Create(16, 16, 24);
        picture->Clear(128);
        box->GetOrCreateSide(face).SetPicture(std::move(picture));
    }
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    EXPECT_TRUE(pipeline.Render("y", *box));
    return box;
}

} // namespace

TEST(Framing, ProductWithItsShadowIsCentredWithTheMarginAtAnyAspectRatio)
{
    for (const auto& [w, h] : {std::pair{300, 300}, {400, 300}}) {
        const std::unique_ptr<CProduct> box = RenderNewBox(w, h);
        const CRaster& z = *box->FindSidePtr("z")->GetPicture();
        // Bounds of every pixel the product or its shadow darkened.
        int minX = w, maxX = -1, minY = h, maxY = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (z.GetPixelColor(x, y).rgbRed < 255 || z.GetPixelColor(x, y).rgbBlue < 255) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        ASSERT_GE(maxX, 0);
        EXPECT_NEAR((minX + maxX + 1) / 2.0, w / 2.0, 0.02 * w) << w << " x " << h;
        EXPECT_NEAR((minY + maxY + 1) / 2.0, h / 2.0, 0.02 * h) << w << " x " << h;
        // The direction that limits the fit keeps 8% of the short side, 24 pixels.
        EXPECT_NEAR(std::min({minX, w - 1 - maxX, minY, h - 1 - maxY}), 24, 2) << w << " x " << h;
    }
}
