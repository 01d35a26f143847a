// The look of objects: wide and dashed lines, rounded corners and opacity
// burnt into the face, the optional record words that carry them, and the
// picture crop and fit.
#include "image/Raster.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawRect.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/objects/RecordStream.h"

#include "FaceTestUtil.h"

namespace {

std::unique_ptr<CDrawRect> Rect(std::uint32_t style)
{
    auto r = std::make_unique<CDrawRect>();
    r->SetCoords(10, 10, 50, 40);
    r->SetStyle(style);
    r->SetLineColour(0x0000FF);  // red
    r->SetFillColour(0xFF0000);  // blue
    return r;
}

}  // namespace

TEST(ObjectLook, WideLinesCornersAndOpacityReachTheFace)
{
    // A 4-pixel border lies along the inside of the box: rows 10..13 of the
    // bottom edge are red, row 14 is not.
    auto wide = Rect(kStyleOutlined);
    wide->SetLineWidth(4);
    CRaster face = Burnt(*wide, 60, 50);
    for (int y = 10; y <= 13; ++y)
        EXPECT_EQ(At(face, 30, y), 0x0000FFu) << y;
    EXPECT_EQ(At(face, 30, 14), 0xFFFFFFu);

    // Half opacity: red over white is (255, 127.5, 127.5) per channel.
    auto faded = Rect(kStyleOutlined);
    faded->SetOpacity(50);
    face = Burnt(*faded, 60, 50);
    const COLORREF half = At(face, 30, 10);
    EXPECT_EQ(half & 0xFF, 0xFFu);
    EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 127, 1);
    EXPECT_NEAR(static_cast<int>((half >> 16) & 0xFF), 127, 1);

    // A radius of 10 leaves the filled box's corner pixel bare, not its middle.
    auto round = Rect(kStyleFilled);
    round->SetCornerRadius(10);
    face = Burnt(*round, 60, 50);
    EXPECT_EQ(std::pair(At(face, 10, 10), At(face, 30, 25)), std::pair(0xFFFFFFu, 0xFF0000u));

    // A dashed edge: some of its pixels red, some white.
    auto dashed = Rect(kStyleOutlined);
    dashed->SetDash(kDashDash);
    face = Burnt(*dashed, 60, 50);
    int red = 0;
    for (int x = 12; x < 48; ++x)
        red += At(face, x, 10) == 0x0000FFu ? 1 : 0;
    EXPECT_TRUE(red > 0 && red < 36) << red;
}

TEST(ObjectLook, RecordCarriesTheLookAndAPlainObjectWritesNothingNew)
{
    auto r = Rect(kStyleOutlined);
    CTextRecordStream plain;
    SaveDrawObject(plain, *r, true, false);
    r->SetLineWidth(3);
    r->SetDash(kDashDot);
    r->SetCornerRadius(5);
    r->SetOpacity(70);
    const std::unique_ptr<CDrawObject> back = ReadBack(*r, false);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tuple(back->GetLineWidth(), back->GetDash(), back->GetCornerRadius(), back->GetOpacity()),
              std::tuple(3, kDashDot, 5, 70u));
    // Back at the defaults, the record is the one it always was.
    r->SetLineWidth(1);
    r->SetDash(kDashSolid);
    r->SetCornerRadius(0);
    r->SetOpacity(100);
    CTextRecordStream again;
    SaveDrawObject(again, *r, true, false);
    EXPECT_EQ(again.GetText(), plain.GetText());
}

TEST(ObjectLook, PictureCropsKeepingItsPlaceAndFitsInsideTheFace)
{
    auto image = std::make_shared<CRaster>(CRaster::Make(100, 50, 24).value());
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            image->SetPixelColor(x, y, x < 50 ? 0x0000FF : 0x00FF00);  // left half red
    auto picture = CDrawPicture::CreateFromImage(image, 0, 49);
    // Cutting 50 % off the left keeps the green half where it was.
    ASSERT_TRUE(picture->Crop(50, 0, 0, 0));
    EXPECT_EQ(std::tuple(picture->GetImage()->GetWidth(), RGBQUADtoRGB(picture->GetImage()->GetPixelColor(0, 0)),
                         picture->GetMinX(), picture->GetWidth()),
              std::tuple(50, 0x00FF00u, 50, 50));
    EXPECT_FALSE(picture->Crop(60, 0, 40, 0));  // nothing would remain
    // 100 x 50 on a 40 x 40 face: scaled to 40 x 20 and moved onto it.
    auto big = CDrawPicture::CreateFromImage(image, 30, 45);
    ObjectCommands::KeepOnFace(*big, 40, 40);
    EXPECT_EQ(std::pair(big->GetWidth(), big->GetHeight()), std::pair(40, 20));
    EXPECT_TRUE(big->GetMinX() >= 0 && big->GetMaxY() <= 40);
}
