// The page-edge pictures the engine back end makes when a side has none.
#include <gtest/gtest.h>

#include <utility>

#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/Raster.h"
#include "properties/SettingTable.h"
#include "render/EngineBackend.h"

namespace {

std::pair<int, int> PictureSize(const CProduct& product, const char* key)
{
    const CSide* side = product.FindSidePtr(key);
    const CRaster* picture = side ? side->GetPicture() : nullptr;
    return picture ? std::pair{picture->GetWidth(), picture->GetHeight()} : std::pair{0, 0};
}

}  // namespace

TEST(EngineBackendPageEdges, MissingPictureIsMadeAtTheNewProjectFaceScale)
{
    std::unique_ptr<CProduct> book = CreateProduct("BINDER");
    ASSERT_NE(book, nullptr);
    SettingStore& s = book->GetSettings();
    s.SetReal(ModelKey(kSetProductWidth), 150);
    s.SetReal(ModelKey(kSetProductHeight), 200);
    s.SetReal(ModelKey(kSetProductDepth), 30);
    s.SetInt(ModelKey(kSetRenderWidth), 300);
    s.SetInt(ModelKey(kSetRenderHeight), 500);
    // ceil(2 * 500 / 200) = 5 pixels per millimetre; top and bottom are
    // W x D, the right and left edges D x H.
    CEngineBackend backend;
    for (char code : {'u', 'd', 'r', 'l'}) backend.PreparePageEdge(*book, code);
    EXPECT_EQ(PictureSize(*book, "u"), (std::pair{750, 150}));
    EXPECT_EQ(PictureSize(*book, "d"), (std::pair{750, 150}));
    EXPECT_EQ(PictureSize(*book, "r"), (std::pair{150, 1000}));
    EXPECT_EQ(PictureSize(*book, "l"), (std::pair{150, 1000}));

    // A small product at a large rendering size stays at 16 pixels per mm.
    std::unique_ptr<CProduct> small = CreateProduct("BOOK");
    ASSERT_NE(small, nullptr);
    SettingStore& t = small->GetSettings();
    t.SetReal(ModelKey(kSetProductWidth), 20);
    t.SetReal(ModelKey(kSetProductHeight), 25);
    t.SetReal(ModelKey(kSetProductDepth), 4);
    t.SetInt(ModelKey(kSetRenderWidth), 999);
    t.SetInt(ModelKey(kSetRenderHeight), 400);
    backend.PreparePageEdge(*small, 'u');
    EXPECT_EQ(PictureSize(*small, "u"), (std::pair{320, 64}));
}
