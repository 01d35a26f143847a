// Record streams: the binary encoding byte by byte, the text encoding line by
// line, and reads that must stop at the end of the data.
#include "image/Raster.h"
#include "layout/objects/RecordStream.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::vector<std::uint8_t> Flat(const CBinaryRecordStream& s)
{
    std::vector<std::uint8_t> block;
    EXPECT_TRUE(s.Flatten(block));
    return block;
}

}  // namespace

TEST(BinaryRecordStream, EncodesLittleEndianItemsBehindTheBlockSize)
{
    CBinaryRecordStream s;
    s.WriteU32(0x11223344u);
    s.WriteString("AB");
    s.WritePoint({-1, 2});
    const std::vector<std::uint8_t> block = Flat(s);
    // size word (4) + u32 (4) + string length (4) + "AB" (2) + point (8) = 22
    const std::vector<std::uint8_t> want = {
        22, 0, 0, 0,                // total size including this word
        0x44, 0x33, 0x22, 0x11,     // u32
        2, 0, 0, 0, 'A', 'B',       // string: byte count, bytes, no terminator
        0xFF, 0xFF, 0xFF, 0xFF,     // x = -1 as two's complement
        2, 0, 0, 0,                 // y
    };
    EXPECT_EQ(block, want);
}

TEST(BinaryRecordStream, ReadsBackWhatWasWrittenAndStopsAtTheEnd)
{
    CBinaryRecordStream out;
    out.WriteU32(7);
    out.WriteString("hello\nworld");
    out.WriteI32(-123456);
    const std::vector<std::uint8_t> block = Flat(out);

    CBinaryRecordStream in;
    ASSERT_TRUE(in.Attach(block.data(), block.size()));
    const std::uint32_t u = in.ReadU32();
    const std::string text = in.ReadString();
    const std::int32_t i = in.ReadI32();
    EXPECT_EQ(std::tuple(u, text, i, in.AtEnd(), in.Failed()), std::tuple(7u, "hello\nworld", -123456, true, false));
    // Past the end: nothing, and the stream has failed.
    EXPECT_EQ(in.ReadU32(), 0u);
    EXPECT_TRUE(in.Failed() && in.ReadString().empty());
}

TEST(BinaryRecordStream, RefusesBadBlocksAndOversizedLengths)
{
    CBinaryRecordStream in;
    const std::uint8_t tooShort[] = {3, 0, 0};
    EXPECT_FALSE(in.Attach(tooShort, sizeof tooShort));
    const std::uint8_t wrongSize[] = {9, 0, 0, 0, 1, 0, 0, 0};  // claims 9, holds 8
    EXPECT_FALSE(in.Attach(wrongSize, sizeof wrongSize));
    EXPECT_FALSE(in.Attach(nullptr, 0));

    // A string whose byte count runs past the block.
    const std::uint8_t longString[] = {
        12, 0, 0, 0,         // size
        0xFF, 0xFF, 0, 0,    // string length 65535
        'a', 'b', 'c', 'd',  // only 4 bytes follow
    };
    ASSERT_TRUE(in.Attach(longString, sizeof longString));
    EXPECT_EQ(in.ReadString(), "");
    EXPECT_TRUE(in.Failed());

    // Room checks: 2 items of 8 bytes fit in 16 remaining bytes, 3 do not.
    std::vector<std::uint8_t> sixteen = {20, 0, 0, 0};
    sixteen.resize(20, 0);
    ASSERT_TRUE(in.Attach(sixteen.data(), sixteen.size()));
    EXPECT_EQ((std::array{in.HasRoomFor(2, 8), in.HasRoomFor(3, 8), in.HasRoomFor(0xFFFFFFFFull, 4)}),
              (std::array{true, false, false}));
}

TEST(BinaryRecordStream, ImageItemIsSizeThenPixelsBottomRowFirst)
{
    CRaster image = CRaster::Make(2, 2, 24).value();
    image.SetPixelColor(0, 0, COLORREF{0x000001});  // bottom-left
    image.SetPixelColor(1, 0, COLORREF{0x000002});
    image.SetPixelColor(0, 1, COLORREF{0x030000});  // top-left
    image.SetPixelColor(1, 1, COLORREF{0x040000});
    CBinaryRecordStream s;
    s.WriteImage(&image);
    const std::vector<std::uint8_t> block = Flat(s);
    const std::vector<std::uint8_t> want = {
        28, 0, 0, 0,  // size 4 + 8 + 16
        2, 0, 0, 0,   // width
        2, 0, 0, 0,   // height
        1, 0, 0, 0,   // (0, 0) as 0x00BBGGRR
        2, 0, 0, 0,   // (1, 0)
        0, 0, 3, 0,   // (0, 1)
        0, 0, 4, 0,   // (1, 1)
    };
    EXPECT_EQ(block, want);

    CBinaryRecordStream in;
    ASSERT_TRUE(in.Attach(block.data(), block.size()));
    std::shared_ptr<CRaster> back = in.ReadImage();
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tuple(back->GetWidth(), back->GetHeight(), RGBQUADtoRGB(back->GetPixelColor(0, 1)),
                         RGBQUADtoRGB(back->GetPixelColor(1, 0))),
              std::tuple(2, 2, 0x030000u, 0x000002u));
}

TEST(BinaryRecordStream, ImageItemsThatDoNotFitAreRefused)
{
    const std::vector<std::vector<std::uint8_t>> bad = {
        // 1000 x 1000 pixels claimed, none present
        {12, 0, 0, 0, 0xE8, 3, 0, 0, 0xE8, 3, 0, 0},
        // width * height overflows 32 bits
        {12, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0},
        // zero width but a height: not an empty item
        {12, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0},
        // truncated size fields
        {8, 0, 0, 0, 1, 0, 0, 0},
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        CBinaryRecordStream in;
        ASSERT_TRUE(in.Attach(bad[i].data(), bad[i].size())) << "case " << i;
        EXPECT_EQ(in.ReadImage(), nullptr) << "case " << i;
        EXPECT_TRUE(in.Failed()) << "case " << i;
    }
    // 0 x 0 is a legal empty item.
    const std::vector<std::uint8_t> empty = {12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    CBinaryRecordStream in;
    ASSERT_TRUE(in.Attach(empty.data(), empty.size()));
    EXPECT_EQ(in.ReadImage(), nullptr);
    EXPECT_FALSE(in.Failed());
}

TEST(TextRecordStream, WritesDecimalLinesAndKeepsLineBreaksInStrings)
{
    CTextRecordStream s;
    s.WriteU32(42);
    s.WriteI32(-1);
    s.WriteString("Arial");
    s.WriteString("two\nlines \\ here");
    s.WriteImage(nullptr);  // images are not written
    EXPECT_EQ(s.GetText().substr(0, 20), "42\n4294967295\nArial\n");

    s.Rewind();
    const std::uint32_t u = s.ReadU32();
    const std::int32_t i = s.ReadI32();
    const std::string face = s.ReadString(), lines = s.ReadString();
    EXPECT_EQ(std::tuple(u, i, face, lines), std::tuple(42u, -1, "Arial", "two\nlines \\ here"));
    EXPECT_EQ(s.ReadImage(), nullptr);
    EXPECT_TRUE(s.AtEnd() && !s.Failed());
}

TEST(TextRecordStream, RejectsNonNumbersAndMissingLines)
{
    const std::vector<std::string> bad = {"", "12", "abc\n", "-5\n", "4294967296\n", "1 2\n", "\n"};
    for (const std::string& text : bad) {
        CTextRecordStream s;
        s.Attach(text);
        s.ReadU32();
        EXPECT_TRUE(s.Failed()) << "input '" << text << "'";
    }
}

TEST(RecordStream, SharedImageHandlesOnlyReachImagesOfTheSameStream)
{
    auto image = std::make_shared<const CRaster>(CRaster::Make(4, 4, 24).value());
    CTextRecordStream s;
    s.WriteImageHandle(image);
    s.WriteImageHandle(nullptr);
    s.WriteImageHandle(image);
    s.Rewind();
    const auto first = s.ReadImageHandle(), second = s.ReadImageHandle(), third = s.ReadImageHandle();
    EXPECT_EQ(std::tuple(first, second, third), std::tuple(image, nullptr, image));
    EXPECT_FALSE(s.Failed());

    CTextRecordStream other;
    other.Attach("1\n");  // a handle this stream never issued
    EXPECT_TRUE(other.ReadImageHandle() == nullptr && other.Failed());
}
