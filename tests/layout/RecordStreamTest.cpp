// Record streams: the binary encoding byte by byte, the text encoding line by
// line, and reads that must stop at the end of the data.
#include "FaceTestUtil.h"

#include "image/Raster.h"
#include "layout/objects/RecordStream.h"

#include "RecordFiles.h"

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
    EXPECT_EQ(block, RecordFile("items.expected"));
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
    ASSERT_EQ(RecordFiles("refused_", ".block").size(), 2u);  // three bytes; a size word of 9 on 8
    for (const std::string& name : RecordFiles("refused_", ".block")) {
        const std::vector<std::uint8_t> block = RecordFile(name);
        EXPECT_FALSE(in.Attach(block.data(), block.size())) << name;
    }
    EXPECT_FALSE(in.Attach(nullptr, 0));

    // A string whose byte count runs past the block.
    const std::vector<std::uint8_t> longString = RecordFile("refused_65535_bytes_of_4.string");
    ASSERT_TRUE(in.Attach(longString.data(), longString.size()));
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
    EXPECT_EQ(block, RecordFile("image_2x2.expected"));

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
    // tests/data/records: pixels claimed but missing, a size past 32 bits, a
    // zero width with a height, size fields cut short; 0 x 0 is the legal empty item.
    std::vector<std::string> names = RecordFiles("refused_", ".image");
    EXPECT_EQ(names.size(), 4u);
    names.push_back("empty.image");
    for (const std::string& name : names) {
        const std::vector<std::uint8_t> block = RecordFile(name);
        CBinaryRecordStream in;
        ASSERT_TRUE(in.Attach(block.data(), block.size())) << name;
        const bool read = in.ReadImage() != nullptr;
        EXPECT_EQ(std::pair(read, in.Failed()), std::pair(false, name != "empty.image")) << name;
    }
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
