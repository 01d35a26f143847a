// The CD-ROM of studio-lit projects: no black outline, a clear hub, the print kept.
#include "TempFolder.h"
#include "catalogue/setup/MediaPictures.h"
#include "catalogue/product/StudioDisc.h"
#include "image/Raster.h"

namespace {

int Brightness(const CRaster& p, int x, int y)
{
    const std::uint8_t* c = p.GetBits(y) + 3 * x;
    return (c[0] + c[1] + c[2]) / 3;
}

} // namespace

TEST(StudioDisc, KeepsTheHoleAndThePrintAndDropsTheOutlineAndTheCross)
{
    std::unique_ptr<CRaster> blue = DrawCDPicture(0xFF0000, 0xFF0000, 0xFF0000, CDFinish{});
    std::unique_ptr<CRaster> silver = DrawCDPicture(0xD0D0D0, 0xC0C0C0, 0xB0B0B0, CDFinish{true, true, true});
    ASSERT_TRUE(blue && silver);
    MakeStudioDisc(*blue, false);
    MakeStudioDisc(*silver, true);
    const int c = kCDPictureSize / 2;
    const std::uint8_t* print = blue->GetBits(c) + 3 * (c + 200);
    EXPECT_EQ(print[0], 0xFF); // blue, green, red: the print as it was
    EXPECT_EQ(print[1] + print[2], 0);
    for (const CRaster* disc : {blue.get(), silver.get()}) {
        EXPECT_EQ(Brightness(*disc, 0, 0), 0xFE);       // outside the disc
        EXPECT_EQ(Brightness(*disc, c, c), 0xFE);       // the hole
        EXPECT_GT(Brightness(*disc, c + 345, c), 180);  // a clear edge, no black outline
        EXPECT_GT(Brightness(*disc, c + 70, c), 200);   // the clear hub
        EXPECT_GT(Brightness(*disc, c, c + 120), 120);  // the mirror band, not the black ring
    }
    // Two lobes of mirrored light (upper left and lower right), not four: the
    // diagonal across them stays darker.
    const int d = 170; // 240 / sqrt(2)
    EXPECT_GT(Brightness(*silver, c - d, c + d), Brightness(*silver, c + d, c + d) + 20);
}
