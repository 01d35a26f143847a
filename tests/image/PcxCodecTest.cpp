
#include "CodecTestUtil.h"
#include "image/Raster.h"

using namespace testutil;

TEST(PcxEncode, OddWidthTrueColourHasThreePaddedPlaneLines)
{
    CRaster image = CRaster::Make(3, 1, 24).value();
    image.SetPixelColor(0, 0, RGB(1, 2, 3));
    image.SetPixelColor(1, 0, RGB(4, 5, 6));
    image.SetPixelColor(2, 0, RGB(7, 8, 9));
    image.SetXDPI(96);
    const auto f = EncodeOk(image, IMAGE_TYPE_PCX);
    // Manufacturer, version, encoding, bits per pixel, Xmax = width - 1, Ymax,
    // resolution, planes, bytes per line (3 rounded up to even), palette info.
    for (auto [at, value] : {std::pair{0, 10}, {1, 5}, {2, 1}, {3, 8}, {8, 2}, {10, 0}, {12, 96}, {65, 3}, {66, 4}, {68, 1}})
        EXPECT_EQ(f[at], value) << "byte " << at;
    // The red, green and blue plane lines, each with its pad byte.
    EXPECT_EQ(std::vector(f.begin() + 128, f.end()), (std::vector<std::uint8_t>{1, 4, 7, 0, 2, 5, 8, 0, 3, 6, 9, 0}));
}

TEST(PcxEncode, RunLengthPackingAndTopLineFirst)
{
    // 8-bit, width 72 (even), 2 rows. Top row: 5 x 0x10, one 0xC8, one 0x20, 65 x 0x30.
    CRaster image = CRaster::Make(72, 2, 8).value();
    image.SetGrayPalette();
    for (int x = 0; x < 72; ++x) {
        const int v = x < 5 ? 0x10 : x == 5 ? 0xC8 : x == 6 ? 0x20 : 0x30;
        image.SetPixelIndex(x, 1, static_cast<std::uint8_t>(v));
        image.SetPixelIndex(x, 0, 0x40);
    }
    const auto f = EncodeOk(image, IMAGE_TYPE_PCX);
    // The top line, then the bottom one (63 + 9), the palette marker 12 and 256
    // entries of red, green, blue.
    const std::size_t pal = 128 + 9 + 4;
    ASSERT_EQ(std::pair(f[66], f.size()), std::pair(std::uint8_t{72}, pal + 1 + 768));
    EXPECT_EQ(std::vector(f.begin() + 128, f.begin() + pal),
              (std::vector<std::uint8_t>{0xC5, 0x10, 0xC1, 0xC8, 0x20, 0xFF, 0x30, 0xC2, 0x30, 0xFF, 0x40, 0xC9, 0x40}));
    EXPECT_EQ(std::tuple(f[pal], f[pal + 1 + 3 * 200], f[pal + 1 + 3 * 200 + 2]), std::tuple(12, 200, 200));
}

TEST(PcxEncode, OneBitLinesArePaddedOnlyWhenTheirByteCountIsOdd)
{
    for (auto [w, bytes, padded] : {std::tuple{9, 2, 2}, {17, 3, 4}, {8, 1, 2}}) {
        CRaster image = CRaster::Make(w, 1, 1).value();
        image.SetPaletteColor(1, 255, 255, 255);
        for (int x = 0; x < w; ++x) image.SetPixelIndex(x, 0, 0); // all 0 -> bytes below 0xC0
        const auto f = EncodeOk(image, IMAGE_TYPE_PCX);
        // Bits per pixel, planes, bytes per line; header colours 0 black, 1 white.
        EXPECT_EQ(std::tuple(f[3], f[65], f[66], f[16], f[16 + 3]), std::tuple(1, 1, padded, 0, 255)) << w;
        // All-zero data bytes pack into one run (0xC0 | n, 0), a single one stands
        // for itself; then the pad byte.
        std::vector<std::uint8_t> expected = {static_cast<std::uint8_t>(0xC0 | bytes), 0};
        if (bytes == 1) expected = {0};
        if (bytes != padded) expected.push_back(0);
        EXPECT_EQ(std::vector<std::uint8_t>(f.begin() + 128, f.end()), expected) << w;
    }
}

// Planes of 8 and of 1 bit, packed 2-bit pixels, runs across line ends and
// 1-bit pictures with empty or equal palettes, built byte by byte:
// HandMadePicturesTest; as another program writes them: ForeignPicturesTest.
// Hostile headers and data, each refused with its message and the target kept:
// the corpus of tests/data/hostile (HostilePicturesTest).
