#include "CodecTestUtil.h"

#include "image/ByteStream.h"
#include "image/Raster.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testutil;
using Grid = std::vector<std::vector<int>>;

namespace {

// A 128-byte PCX header.
Bytes PcxHeader(int w, int h, int bits, int planes, int bytesPerLine, int manufacturer = 10, int encoding = 1)
{
    Bytes b;
    b.u8(manufacturer).u8(5).u8(encoding).u8(bits);
    b.u16(0).u16(0).u16(w - 1).u16(h - 1); // Xmin Ymin Xmax Ymax
    b.u16(300).u16(200);                   // resolution
    for (int i = 0; i < 16; ++i) b.u8(i * 16).u8(i).u8(255 - i); // header palette R G B
    b.u8(0).u8(planes).u16(bytesPerLine).u16(1);
    b.fill(128 - b.size(), 0);
    return b;
}

std::vector<std::uint8_t> Encoded(CRaster& image)
{
    CMemoryStream out;
    EXPECT_TRUE(image.Encode(out, IMAGE_TYPE_PCX)) << image.GetLastError();
    return std::vector<std::uint8_t>(out.GetBuffer(), out.GetBuffer() + out.Size());
}

} // namespace

TEST(PcxEncode, OddWidthTrueColourHasThreePaddedPlaneLines)
{
    CRaster image = CRaster::Make(3, 1, 24).value();
    image.SetPixelColor(0, 0, RGB(1, 2, 3));
    image.SetPixelColor(1, 0, RGB(4, 5, 6));
    image.SetPixelColor(2, 0, RGB(7, 8, 9));
    image.SetXDPI(96);
    const auto f = Encoded(image);
    ASSERT_EQ(f.size(), 128u + 12u);
    // Manufacturer, version, encoding, bits per pixel, Xmax = width - 1, Ymax,
    // resolution, planes, bytes per line (3 rounded up to even), palette info.
    for (auto [at, value] : {std::pair{0, 10}, {1, 5}, {2, 1}, {3, 8}, {8, 2}, {10, 0}, {12, 96}, {65, 3}, {66, 4}, {68, 1}})
        EXPECT_EQ(f[at], value) << "byte " << at;
    const std::uint8_t lines[12] = {1, 4, 7, 0, 2, 5, 8, 0, 3, 6, 9, 0}; // red, green, blue planes + pad
    EXPECT_EQ(std::memcmp(f.data() + 128, lines, 12), 0);
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
    const auto f = Encoded(image);
    const std::uint8_t top[] = {0xC5, 0x10, 0xC1, 0xC8, 0x20, 0xFF, 0x30, 0xC2, 0x30};
    const std::uint8_t bottom[] = {0xFF, 0x40, 0xC9, 0x40}; // 63 + 9
    EXPECT_EQ(f[66], 72);
    ASSERT_EQ(f.size(), 128u + sizeof(top) + sizeof(bottom) + 1 + 768);
    EXPECT_EQ(std::memcmp(f.data() + 128, top, sizeof(top)), 0);
    EXPECT_EQ(std::memcmp(f.data() + 128 + sizeof(top), bottom, sizeof(bottom)), 0);
    // Palette marker 12, then 256 entries of red, green, blue.
    const std::size_t pal = 128 + sizeof(top) + sizeof(bottom);
    EXPECT_EQ(f[pal], 12);
    EXPECT_EQ(f[pal + 1 + 3 * 200], 200);
    EXPECT_EQ(f[pal + 1 + 3 * 200 + 2], 200);
}

TEST(PcxEncode, OneBitLinesArePaddedOnlyWhenTheirByteCountIsOdd)
{
    for (auto [w, bytes, padded] : {std::tuple{9, 2, 2}, {17, 3, 4}, {8, 1, 2}}) {
        CRaster image = CRaster::Make(w, 1, 1).value();
        image.SetPaletteColor(1, 255, 255, 255);
        for (int x = 0; x < w; ++x) image.SetPixelIndex(x, 0, 0); // all 0 -> bytes below 0xC0
        const auto f = Encoded(image);
        EXPECT_EQ(f[3], 1) << w;
        EXPECT_EQ(f[65], 1) << w;
        EXPECT_EQ(f[66], padded) << w;
        // All-zero data bytes pack into one run (0xC0 | n, 0), a single one stands
        // for itself; then the pad byte.
        std::vector<std::uint8_t> expected = {static_cast<std::uint8_t>(0xC0 | bytes), 0};
        if (bytes == 1) expected = {0};
        if (bytes != padded) expected.push_back(0);
        EXPECT_EQ(std::vector<std::uint8_t>(f.begin() + 128, f.end()), expected) << w;
        // Header colours: 0 black, 1 white.
        EXPECT_EQ(f[16 + 3], 255);
        EXPECT_EQ(f[16], 0);
    }
}

TEST(PcxDecode, PlaneLayouts)
{
    // 3 planes of 8 bits, width 2 (bytes per line 2), one line: R plane, G plane, B plane.
    Bytes rgb = PcxHeader(2, 1, 8, 3, 2);
    rgb.raw({10, 11, 20, 21, 30, 31});
    CRaster a = DecodeOk(rgb, IMAGE_TYPE_PCX);
    EXPECT_EQ(std::tuple(a.GetBpp(), a.GetXDPI(), a.GetYDPI()), std::tuple(24, 300, 200));
    EXPECT_EQ(Colours(a), (std::vector{Q(10, 20, 30), Q(11, 21, 31)}));

    // 4 planes of 8 bits: the fourth is ignored. Two lines: top first.
    Bytes rgba = PcxHeader(1, 2, 8, 4, 2);
    rgba.raw({1, 0, 2, 0, 3, 0, 99, 0}).raw({4, 0, 5, 0, 6, 0, 99, 0});
    EXPECT_EQ(Colours(DecodeOk(rgba, IMAGE_TYPE_PCX)), (std::vector{Q(4, 5, 6), Q(1, 2, 3)}));

    // 4 planes of 1 bit, width 8: plane p holds bit p of each index.
    Bytes planes = PcxHeader(8, 1, 1, 4, 2);
    planes.raw({0xC1, 0xFF, 0, 0x0F, 0, 0x00, 0, 0x80, 0}); // 0xFF must be coded as a run of 1
    CRaster c = DecodeOk(planes, IMAGE_TYPE_PCX);
    EXPECT_EQ(c.GetBpp(), 4);
    EXPECT_EQ(Indices(c), (Grid{{9, 1, 1, 1, 3, 3, 3, 3}}));
    // Header palette entry 9: red 144, green 9, blue 246.
    EXPECT_EQ(c.GetPixelColor(0, 0), (RGBQUAD{246, 9, 144, 0}));

    // Packed 2-bit pixels in one plane: 00 01 10 11.
    Bytes packed = PcxHeader(4, 1, 2, 1, 2);
    packed.raw({0x1B, 0});
    EXPECT_EQ(Indices(DecodeOk(packed, IMAGE_TYPE_PCX)), (Grid{{0, 1, 2, 3}}));

    // 8 bits, one plane, with a run crossing the line end and the 256-colour palette.
    Bytes pal8 = PcxHeader(3, 2, 8, 1, 4);
    pal8.raw({0xC6, 7, 0xC2, 1}).u8(12);
    for (int i = 0; i < 256; ++i) pal8.u8(i).u8(0).u8(255 - i);
    CRaster e = DecodeOk(pal8, IMAGE_TYPE_PCX);
    // The run of 6 covers the top line and its pad byte and two bytes of the second line.
    EXPECT_EQ(Indices(e), (Grid{{7, 7, 1}, {7, 7, 7}}));
    EXPECT_EQ(e.GetPixelColor(0, 0), Q(7, 0, 248));
}

TEST(PcxDecode, OneBitPictureWithAnEmptyPaletteIsBlackAndWhite)
{
    // 1 bit, one plane, width 8, two lines: 0xF0 on top, 0x0F below.
    auto mono = [](unsigned r0, unsigned g0, unsigned b0, unsigned r1, unsigned g1, unsigned b1) {
        Bytes b = PcxHeader(8, 2, 1, 1, 2);
        for (int i = 16; i < 16 + 48; ++i) b[i] = 0; // an empty header palette
        b[16] = r0; b[17] = g0; b[18] = b0;
        b[19] = r1; b[20] = g1; b[21] = b1;
        b.raw({0xC1, 0xF0, 0, 0x0F, 0}); // 0xF0 is coded as a run of one
        return b;
    };
    // Bottom line 0000 1111, top line 1111 0000 in colours 0 and 1.
    const auto lines = [](RGBQUAD c0, RGBQUAD c1) {
        std::vector<RGBQUAD> v(4, c0);
        v.insert(v.end(), 8, c1);
        v.insert(v.end(), 4, c0);
        return v;
    };
    CRaster a = DecodeOk(mono(0, 0, 0, 0, 0, 0), IMAGE_TYPE_PCX);
    ASSERT_EQ(a.GetBpp(), 1);
    EXPECT_EQ(Colours(a), lines(Q(0, 0, 0), Q(255, 255, 255)));
    // Two equal colours other than black say as little: also black and white.
    EXPECT_EQ(Colours(DecodeOk(mono(9, 9, 9, 9, 9, 9), IMAGE_TYPE_PCX)), lines(Q(0, 0, 0), Q(255, 255, 255)));
    // A real two-colour palette is kept: dark blue and yellow.
    EXPECT_EQ(Colours(DecodeOk(mono(0, 0, 128, 255, 255, 0), IMAGE_TYPE_PCX)), lines(Q(0, 0, 128), Q(255, 255, 0)));
}

// Hostile headers and data, each refused with its message and the target kept:
// the corpus of tests/data/hostile (HostilePicturesTest).
