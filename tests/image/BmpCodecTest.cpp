
#include "CodecTestUtil.h"
#include "image/Raster.h"

using namespace testutil;

// Bare DIBs, top-down rows, a gap before the bits, short palettes, 16- and
// 32-bit pixels with and without bitfields, RLE8 and RLE4 with deltas and
// runs past the row end, built byte by byte: HandMadePicturesTest; 1, 4 and
// 8 bits, OS/2 and version 5 headers as another program writes them:
// ForeignPicturesTest. Hostile headers and data, each refused with its message
// and the target kept: the corpus of tests/data/hostile (HostilePicturesTest).
TEST(BmpDecode, EscapeFlagCancels)
{
    const std::vector<std::uint8_t> dib = ReadFile(VT_TEST_DATA_DIR "/handmade/bare24.dib");
    CRaster image;
    image.SetEscape(1);
    EXPECT_FALSE(image.Decode(dib.data(), dib.size(), IMAGE_TYPE_BMP));
    EXPECT_STREQ(image.GetLastError(), "Cancelled");
}

TEST(BmpEncode, FileLayoutIsHeaderInfoPaletteRows)
{
    CRaster image = CRaster::Make(3, 2, 24).value();
    image.Clear(0);
    image.SetPixelColor(0, 0, RGB(1, 2, 3));
    image.SetPixelColor(2, 1, RGB(4, 5, 6));
    // The file as tests/data/handmade/make.py spells it out.
    EXPECT_EQ(EncodeOk(image, IMAGE_TYPE_BMP), ReadFile(VT_TEST_DATA_DIR "/handmade/written24.bmp"));

    CRaster pal = CRaster::Make(5, 1, 8).value();
    const std::vector<std::uint8_t> p = EncodeOk(pal, IMAGE_TYPE_BMP);
    EXPECT_EQ(std::pair(p[10] | p[11] << 8, p.size()), std::pair(14 + 40 + 256 * 4, std::size_t{14 + 40 + 256 * 4 + 8}));
}
