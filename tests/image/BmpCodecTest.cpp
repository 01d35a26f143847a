#include "CodecTestUtil.h"

#include "image/ByteStream.h"
#include "image/Raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using namespace testutil;
using Grid = std::vector<std::vector<int>>;

namespace {

CRaster DecodeOk(const Bytes& data) { return testutil::DecodeOk(data, IMAGE_TYPE_BMP); }

} // namespace

TEST(BmpDecode, BareDibWithBottomUpPaddedRows)
{
    // 2 x 2, 24 bits: rows of 6 bytes padded to 8, bottom row first, pixels B G R.
    Bytes dib = InfoHeader(2, 2, 24, 0, 0, 3937);
    dib.raw({1, 2, 3, 4, 5, 6, 0xEE, 0xEE})      // bottom row: (r3 g2 b1) (r6 g5 b4), padding
        .raw({7, 8, 9, 10, 11, 12, 0xEE, 0xEE}); // top row
    CRaster image = DecodeOk(dib);
    ASSERT_EQ(image.GetWidth(), 2);
    EXPECT_EQ(image.GetType(), IMAGE_TYPE_BMP);
    EXPECT_EQ(Colours(image), (std::vector{Q(3, 2, 1), Q(6, 5, 4), Q(9, 8, 7), Q(12, 11, 10)}));
    // 3937 pixels per metre * 0.0254 = 99.9998 -> 100 dpi.
    EXPECT_EQ(image.GetXDPI(), 100);
}

TEST(BmpDecode, TopDownRowsStartAtTheTop)
{
    Bytes dib = InfoHeader(1, 3, 24, 0);
    dib.raw({1, 1, 1, 0}).raw({2, 2, 2, 0}).raw({3, 3, 3, 0}); // stored first = top
    dib[8] = 0xFD; dib[9] = 0xFF; dib[10] = 0xFF; dib[11] = 0xFF; // height -3
    CRaster image = DecodeOk(dib);
    EXPECT_EQ(Colours(image), (std::vector{Q(3, 3, 3), Q(2, 2, 2), Q(1, 1, 1)}));
}

TEST(BmpDecode, FileHeaderOffsetAndShortPalette)
{
    // 8 bits, 3 colours used, then a 6-byte gap before the bits.
    Bytes dib = InfoHeader(3, 1, 8, 0, 3);
    dib.raw({10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0});
    dib.fill(6, 0xAB);
    dib.raw({2, 0, 1, 0});
    const Bytes file = WithFileHeader(dib, 14 + 40 + 12 + 6);
    CRaster image = DecodeOk(file);
    ASSERT_EQ(image.GetBpp(), 8);
    EXPECT_EQ(image.GetNumColors(), 256);
    EXPECT_EQ(Colours(image), (std::vector{Q(90, 80, 70), Q(30, 20, 10), Q(60, 50, 40)}));
}

TEST(BmpDecode, SixteenAndThirtyTwoBitsWithAndWithoutBitfields)
{
    // 5-5-5 default masks; rows (2 + 1) / 2 * 4 = 4 bytes.
    // 0x7C00: red 31 -> 255. 0x0210: green 16 and blue 16 -> round(16 * 255 / 31) = 132.
    Bytes d16 = InfoHeader(2, 1, 16);
    d16.u16(0x7C00).u16(0x0210);
    CRaster a = DecodeOk(d16);
    ASSERT_EQ(a.GetBpp(), 24);
    EXPECT_EQ(Colours(a), (std::vector{Q(255, 0, 0), Q(0, 132, 132)}));

    // 5-6-5 bitfields; 3 pixels in 8 bytes. 0x0400: green 32 of 63 -> round(129.52) = 130.
    Bytes d565 = InfoHeader(3, 1, 16, 3);
    d565.u32(0xF800).u32(0x07E0).u32(0x001F);
    d565.u16(0xF800).u16(0x07E0).u16(0x0400).u16(0);
    EXPECT_EQ(Colours(DecodeOk(d565)), (std::vector{Q(255, 0, 0), Q(0, 255, 0), Q(0, 130, 0)}));

    // 32 bits uncompressed: B G R X.
    Bytes d32 = InfoHeader(1, 2, 32);
    d32.raw({1, 2, 3, 99, 4, 5, 6, 99});
    EXPECT_EQ(Colours(DecodeOk(d32)), (std::vector{Q(3, 2, 1), Q(6, 5, 4)}));

    // 32 bits with red in the lowest byte: bytes 10 20 30 40 -> red 10, green 20, blue 30.
    Bytes d32bf = InfoHeader(1, 1, 32, 3);
    d32bf.u32(0x000000FF).u32(0x0000FF00).u32(0x00FF0000);
    d32bf.raw({10, 20, 30, 40});
    EXPECT_EQ(Colours(DecodeOk(WithFileHeader(d32bf, 14 + 40 + 12))), std::vector{Q(10, 20, 30)});

    // 1, 4 and 8 bits, OS/2 and version 5 headers as another program writes them: ForeignPicturesTest.
}

TEST(BmpDecode, RunLengthEightAndFour)
{
    // RLE8, 6 x 3:
    //   03 05        three pixels of index 5
    //   00 03 1 2 3 0  absolute run of 3 (padded to even)
    //   00 00        end of line
    //   00 02 02 01  delta: right 2, up 1 -> (2, 2); row 1 stays 0
    //   02 07        two pixels of 7
    //   00 01        end of bitmap
    Bytes rle8 = InfoHeader(6, 3, 8, 1, 8);
    rle8.fill(32, 0);
    rle8.raw({3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 7, 0, 1});
    EXPECT_EQ(Indices(DecodeOk(rle8)), (Grid{{5, 5, 5, 1, 2, 3}, {0, 0, 0, 0, 0, 0}, {0, 0, 7, 7, 0, 0}}));

    // RLE4, 5 x 2:
    //   05 12        five pixels alternating 1 and 2
    //   00 00        end of line
    //   00 03 AB C0  absolute run of 3 nibbles A B C (2 bytes, already even)
    //   02 0F        two pixels alternating 0 and F
    //   00 01        end of bitmap
    Bytes rle4 = InfoHeader(5, 2, 4, 2, 16);
    rle4.fill(64, 0);
    rle4.raw({5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 2, 0x0F, 0, 1});
    EXPECT_EQ(Indices(DecodeOk(rle4)), (Grid{{1, 2, 1, 2, 1}, {0xA, 0xB, 0xC, 0, 0xF}}));

    // Top-down RLE data also ends up the right way up.
    Bytes td = InfoHeader(2, -2, 8, 1, 2);
    td.fill(8, 0);
    td.raw({2, 1, 0, 0, 2, 0, 0, 1}); // first line 1 1, second line 0 0
    EXPECT_EQ(Indices(DecodeOk(td)), (Grid{{0, 0}, {1, 1}}));
}

TEST(BmpDecode, RunsPastTheRowEndAreClippedNotWrapped)
{
    // RLE8, 5 x 2, coded at the padded width of 8 pixels as many encoders write it:
    //   08 04              eight pixels of 4: the last three fall beyond column 4
    //   00 00              end of line
    //   00 08 1..8         absolute run of 8: pixels 6, 7, 8 fall beyond the row
    //   00 00 00 01        end of line, end of bitmap
    Bytes rle8 = InfoHeader(5, 2, 8, 1, 9);
    rle8.fill(36, 0);
    rle8.raw({8, 4, 0, 0, 0, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 1});
    EXPECT_EQ(Indices(DecodeOk(rle8)), (Grid{{4, 4, 4, 4, 4}, {1, 2, 3, 4, 5}}));

    // A run crossing the row end without an end of line does not wrap: the
    // next run still lands beyond the row, and row 1 keeps its own pixels.
    //   07 02 / 02 09 / 00 00 / 03 06 / 00 01
    Bytes noWrap = InfoHeader(4, 2, 8, 1, 10);
    noWrap.fill(40, 0);
    noWrap.raw({7, 2, 2, 9, 0, 0, 3, 6, 0, 1});
    EXPECT_EQ(Indices(DecodeOk(noWrap)), (Grid{{2, 2, 2, 2}, {6, 6, 6, 0}}));

    // RLE4, 3 x 1 at the padded width of 8 nibbles:
    //   08 5A              5 A 5 A 5 A 5 A: only 5 A 5 stay
    //   00 00              end of line, then a run in the row above the picture
    //   04 33 00 01        (dropped), end of bitmap
    Bytes rle4 = InfoHeader(3, 1, 4, 2, 16);
    rle4.fill(64, 0);
    rle4.raw({8, 0x5A, 0, 0, 4, 0x33, 0, 1});
    EXPECT_EQ(Indices(DecodeOk(rle4)), (Grid{{5, 0xA, 5}}));

    // RLE4 absolute run of 7 nibbles 1..7 (4 bytes) in a 3-pixel row.
    Bytes abs4 = InfoHeader(3, 1, 4, 2, 16);
    abs4.fill(64, 0);
    abs4.raw({0, 7, 0x12, 0x34, 0x56, 0x70, 0, 1});
    EXPECT_EQ(Indices(DecodeOk(abs4)), (Grid{{1, 2, 3}}));
}

// Hostile headers and data, each refused with its message and the target kept:
// the corpus of tests/data/hostile (HostilePicturesTest).
TEST(BmpDecode, EscapeFlagCancels)
{
    Bytes dib = InfoHeader(2, 2, 24);
    dib.fill(16, 0);
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
    CMemoryStream out;
    ASSERT_TRUE(image.Encode(out, IMAGE_TYPE_BMP));
    // Rows of 3 * 3 = 9 bytes padded to 12, bottom row first, blue green red;
    // the file is 14 + 40 + 2 * 12 = 78 bytes, its bits 54 bytes in.
    const Bytes rows = Bytes().raw({3, 2, 1}).fill(9, 0).fill(6, 0).raw({6, 5, 4}).fill(3, 0);
    Bytes info = InfoHeader(3, 2, 24, 0, 0, 2835);
    info[20] = 24; // the size of the bits
    const std::vector<std::uint8_t> file(out.GetBuffer(), out.GetBuffer() + out.Size()), want = WithFileHeader(info + rows, 54);
    EXPECT_EQ(file, want); // 72 dpi: 2835 pixels a metre

    CRaster pal = CRaster::Make(5, 1, 8).value();
    CMemoryStream pout;
    ASSERT_TRUE(pal.Encode(pout, IMAGE_TYPE_BMP));
    const std::uint8_t* p = pout.GetBuffer();
    const int offset = p[10] | p[11] << 8;
    EXPECT_EQ(offset, 14 + 40 + 256 * 4);
    EXPECT_EQ(pout.Size(), offset + 8);
}
