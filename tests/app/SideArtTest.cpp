// A face picture drawn from vector artwork: where the artwork lies after a
// fit, and the side block that stores the artwork in place of the pixels.

#include "TempFolder.h"
#include "app/project/ProjectFile.h"
#include "catalogue/product/Side.h"
#include "catalogue/product/SideAppearance.h"
#include "ground/Archive.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"
#include "properties/Appearance.h"

namespace {

// 200 x 100 CSS pixels: blue left half, red right half.
std::shared_ptr<const CVectorArt> HalvesArt()
{
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
                            "<rect width='100' height='100' fill='#0000ff'/>"
                            "<rect x='100' width='100' height='100' fill='#ff0000'/></svg>";
    std::string error;
    return CVectorArt::Create({svg.begin(), svg.end()}, EVectorKind::Svg, 1, error);
}

// A picture side of a 50 x 50 base face at magnification 2 showing the artwork, middle part kept.
void MakeSide(CSide& side)
{
    side.Reset(kAppearancePicture, 50, 50, 0xFFFFFF, 2);
    side.GetSettings().SetInt(SideKey(kSideFitMode), kFitMiddle);
    ASSERT_TRUE(DrawSidePicture(side, HalvesArt()));
    ASSERT_TRUE(BuildAppearance(side));
}

}  // namespace

TEST(SideArt, DrawnAtTheFaceResolutionAndPlacedByTheFit)
{
    CSide side;
    MakeSide(side);
    // Covering a 100 x 100 face: scale max(100/200, 100/100) = 1, so 200 x 100;
    // the middle 100 columns are kept from x = 50: blue then red at column 50.
    ASSERT_TRUE(side.GetPictureArt());
    const CRaster& picture = *side.GetPicture();
    ASSERT_EQ(std::pair(picture.GetWidth(), picture.GetHeight()), std::pair(100, 100));
    EXPECT_EQ(std::pair(RGBQUADtoRGB(picture.GetPixelColor(45, 50)), RGBQUADtoRGB(picture.GetPixelColor(55, 50))),
              std::pair(RGB(0, 0, 255), RGB(255, 0, 0)));
    SArtPlacement at;
    ASSERT_TRUE(GetSideArtPlacement(side, at));
    EXPECT_EQ(std::tuple(at.x, at.y, at.width, at.height), std::tuple(-50.0, 0.0, 200.0, 100.0));  // whole pixels: exact
    // A new picture forgets the artwork.
    side.SetPicture(std::make_unique<CRaster>(picture));
    EXPECT_FALSE(side.GetPictureArt());
}

TEST(SideArt, StoredAsTheFileAndDrawnAgainWhenRead)
{
    CSide side;
    MakeSide(side);
    CArchiveWriter out;
    CProjectFile::WriteSideBlock(out, "F", side);
    const std::vector<std::uint8_t>& bytes = out.Bytes();
    EXPECT_LT(bytes.size(), 2000u);  // the artwork's bytes, not 100 x 100 pixels

    CSide read;
    std::string error;
    CArchiveReader in(bytes.data(), bytes.size());
    ASSERT_EQ(CProjectFile::ReadSideBlock(in, read, error), CProjectFile::ReadResult::Ok) << error;
    ASSERT_TRUE(read.GetPictureArt());
    EXPECT_EQ(read.GetPictureArt()->GetBytes(), side.GetPictureArt()->GetBytes());
    EXPECT_EQ(RGBQUADtoRGB(read.GetPicture()->GetPixelColor(55, 50)), RGB(255, 0, 0));

    // Artwork bytes that are no artwork: the face stays white, nothing else is lost.
    std::vector<std::uint8_t> damaged = bytes;
    const std::size_t at = std::string(damaged.begin(), damaged.end()).find("<svg");
    ASSERT_NE(at, std::string::npos);
    damaged[at + 1] = 'X';
    CSide white;
    CArchiveReader again(damaged.data(), damaged.size());
    EXPECT_EQ(CProjectFile::ReadSideBlock(again, white, error), CProjectFile::ReadResult::Ok);
    ASSERT_TRUE(!white.GetPictureArt() && white.GetPicture());
    EXPECT_EQ(RGBQUADtoRGB(white.GetPicture()->GetPixelColor(55, 50)), RGB(255, 255, 255));
}
