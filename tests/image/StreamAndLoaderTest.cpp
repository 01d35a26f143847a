#include "CodecTestUtil.h"
#include "TempFolder.h"

#include "image/ByteStream.h"
#include "image/picture/PictureFormats.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"

#include <cstdio>

using testutil::TempDir;

TEST(MemoryStream, GrowsInWholeBlocksAndStopsReadsAtTheEnd)
{
    CMemoryStream s;
    EXPECT_EQ(s.GetC(), -1);
    EXPECT_TRUE(s.PutC(7) && s.GetCapacity() == 4096u);
    std::vector<std::uint8_t> block(4095, 1);
    EXPECT_EQ(s.Write(block.data(), 1, block.size()), block.size());
    EXPECT_EQ(std::tuple(s.Size(), s.GetCapacity()), std::tuple(4096, 4096u)) << "still fits the block";
    EXPECT_EQ(s.Write(block.data(), 5, 2), 2u);
    EXPECT_EQ(std::tuple(s.Size(), s.GetCapacity()), std::tuple(4106, 8192u)) << "needed 4106: the next multiple above it";
    CMemoryStream exact, above;
    exact.Write(block.data(), 1, 4095);
    above.Write(std::vector<std::uint8_t>(4096, 2).data(), 1, 4096);
    EXPECT_EQ(std::pair(exact.GetCapacity(), above.GetCapacity()), (std::pair<std::size_t, std::size_t>(4096, 8192))) << "needed 4096: the multiple above";

    ASSERT_TRUE(s.Seek(-4, SEEK_END));
    std::uint8_t buf[16] = {};
    EXPECT_EQ(s.Read(buf, 1, 16), 4u) << "reads stop at the end";
    EXPECT_TRUE(s.Eof() && s.Read(buf, 1, 1) == 0u);
    ASSERT_TRUE(s.Seek(0, SEEK_SET));
    EXPECT_EQ(s.Read(buf, 3, 2), 2u);
    EXPECT_EQ(std::pair(int{buf[0]}, s.Tell()), std::pair(7, std::int64_t{6}));

    EXPECT_FALSE(s.Seek(-1, SEEK_SET) || s.Seek(-7, SEEK_CUR) || s.Seek(0, 12345));
    EXPECT_EQ(s.Tell(), 6) << "a refused seek keeps the position";

    // Writing past the end fills the gap with zeros.
    CMemoryStream g;
    ASSERT_TRUE(g.Seek(3, SEEK_SET));
    g.PutC(9);
    EXPECT_EQ(g.Release(), (std::vector<std::uint8_t>{0, 0, 0, 9}));
    EXPECT_EQ(g.Size(), 0) << "released";

    // Partial trailing items are not counted.
    CMemoryStream p(std::vector<std::uint8_t>{1, 2, 3, 4, 5});
    std::uint32_t words[2] = {};
    EXPECT_TRUE(p.Read(words, 4, 2) == 1u && p.GetC() == -1);
}

TEST(MemoryReader, ReadsCallerBytesAndRefusesWrites)
{
    const std::uint8_t data[6] = {1, 2, 3, 4, 5, 6};
    CMemoryReader r(data, sizeof(data));
    EXPECT_EQ(r.Size(), 6);
    std::uint16_t pairs[4] = {};
    EXPECT_EQ(r.Read(pairs, 2, 4), 3u);
    EXPECT_TRUE(r.Eof() && r.GetC() == -1 && !r.Seek(-7, SEEK_END));
    ASSERT_TRUE(r.Seek(-2, SEEK_END));
    EXPECT_EQ(r.GetC(), 5);
    ASSERT_TRUE(r.Seek(10, SEEK_SET)); // past the end: reads give nothing
    EXPECT_TRUE(r.Read(pairs, 1, 1) == 0u && r.Remaining() == 0 && !r.Error());
    // Writes are refused and say so.
    EXPECT_TRUE(r.Write(data, 1, 1) == 0u && !r.PutC(1) && r.Error());
}

TEST(FileStream, ReadsWritesAndMeasures)
{
    TempDir dir;
    const std::string path = dir.File("s.bin");
    {
        CFileStream f;
        EXPECT_FALSE(f.Open(dir.File("missing/x.bin").c_str(), "rb"));
        ASSERT_TRUE(f.Open(path.c_str(), "wb"));
        EXPECT_EQ(f.Write("abcdef", 1, 6), 6u);
        EXPECT_TRUE(f.PutC('g') && f.Flush());
        EXPECT_EQ(f.Size(), 7);
    }
    CFileStream f;
    ASSERT_TRUE(f.Open(path.c_str(), "rb"));
    EXPECT_EQ(std::pair(f.Size(), f.GetC()), std::pair(std::int64_t{7}, int{'a'}));
    ASSERT_TRUE(f.Seek(-1, SEEK_END));
    EXPECT_EQ(f.GetC(), 'g');
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_TRUE(f.Eof() && f.Close() && !f.IsOpen());
}

TEST(RasterFiles, DetectionReturnsToTheRememberedPosition)
{
    // A PNG after 5 bytes of something else: detection must try every decoder
    // from position 5, not from the start of the stream.
    CRaster image = testutil::RandomPicture(6, 4, 24, 12);
    CMemoryStream s;
    s.Write("junk!", 1, 5);
    ASSERT_TRUE(image.Encode(s, IMAGE_TYPE_PNG));
    for (int type : {IMAGE_TYPE_BMP, IMAGE_TYPE_JPEG, IMAGE_TYPE_PCX}) {
        ASSERT_TRUE(s.Seek(5, SEEK_SET));
        CRaster wrong;
        EXPECT_FALSE(wrong.Decode(s, type)) << "a PNG is not type " << type;
    }
    ASSERT_TRUE(s.Seek(5, SEEK_SET));
    CRaster back;
    ASSERT_TRUE(back.Decode(s, IMAGE_TYPE_UNKNOWN)) << back.GetLastError();
    EXPECT_TRUE(back.GetType() == IMAGE_TYPE_PNG && testutil::SameColours(image, back));

    const std::uint8_t noise[64] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    // Unknown data, and a type number no decoder has: refused, the target kept.
    for (int type : {IMAGE_TYPE_UNKNOWN, 9})
        testutil::ExpectRefused(std::vector<std::uint8_t>(noise, noise + 64), type, "noise", "Decode: Unknown or wrong format");
}

// Every depth and width (rows padded or not, odd byte counts of a line) in
// each lossless format gives every colour and the resolution back, and
// detection finds the format.
TEST(RasterFiles, EveryDepthRoundTripsInEachLosslessFormat)
{
    for (int type : {IMAGE_TYPE_BMP, IMAGE_TYPE_PNG, IMAGE_TYPE_PCX})
        for (int bpp : {1, 4, 8, 24})
            for (int w : {1, 2, 3, 7, 8, 9, 13, 17, 33}) {
                CRaster image = testutil::RandomPicture(w, 5, bpp, 500 + type * 101 + bpp * 7 + w);
                image.SetXDPI(123);
                image.SetYDPI(45);
                CMemoryStream out;
                ASSERT_TRUE(image.Encode(out, type)) << image.GetLastError();
                CRaster back;
                ASSERT_TRUE(back.Decode(out.GetBuffer(), static_cast<std::size_t>(out.Size()), IMAGE_TYPE_UNKNOWN))
                    << back.GetLastError();
                const std::string what = std::to_string(type) + ": " + std::to_string(bpp) + " bits, width " + std::to_string(w);
                EXPECT_EQ(std::tuple(back.GetType(), back.GetBpp(), back.GetXDPI(), back.GetYDPI()), std::tuple(type, bpp, 123, 45)) << what;
                EXPECT_TRUE(testutil::SameColours(image, back)) << what;
            }
}

TEST(RasterFiles, SaveNeverLeavesAHalfWrittenFile)
{
    TempDir dir;
    const std::string path = dir.File("keep.jpg");
    WriteFile(path, {1, 2, 3});
    CRaster colour = testutil::RandomPicture(4, 4, 8, 1);
    EXPECT_FALSE(colour.Save(path.c_str(), IMAGE_TYPE_JPEG));
    EXPECT_STREQ(colour.GetLastError(), "JPEG can save only RGB or GreyScale images");
    EXPECT_EQ(ReadFile(path), (std::vector<std::uint8_t>{1, 2, 3})) << "the old file is untouched";
    EXPECT_FALSE(colour.Save(path.c_str(), IMAGE_TYPE_TIFF)); // read, never written
    EXPECT_STREQ(colour.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(colour.Save(dir.File("no/such/folder/x.bmp").c_str(), IMAGE_TYPE_BMP));
    CRaster empty;
    EXPECT_FALSE(empty.Save(dir.File("empty.png").c_str(), IMAGE_TYPE_PNG));
    EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));
    // Only the kept file is left in the folder: no temporary files.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1u);
    ASSERT_TRUE(colour.Save(path.c_str(), IMAGE_TYPE_PNG));
    CRaster back;
    ASSERT_TRUE(back.Load(path.c_str()));
    EXPECT_EQ(back.GetType(), IMAGE_TYPE_PNG);
}

TEST(PictureLoader, RefusalsCarryTheirMessages)
{
    TempDir dir;
    WriteFile(dir.File("empty.bmp"), {});
    WriteFile(dir.File("nine.bmp"), {'B', 'M', 0, 0, 0, 0, 0, 0, 0}); // refused before decoding, though it starts like a bitmap
    WriteFile(dir.File("junk.png"), std::vector<std::uint8_t>(10, 0x77));
    const std::pair<std::string, std::string> cases[] = {
        {"", "Please enter a File name."},
        {dir.File("missing.bmp"), "File " + dir.File("missing.bmp") + " could not be opened. The File name may be incorrect."},
        {dir.File("empty.bmp"), "File " + dir.File("empty.bmp") + " appears to be an empty file."},
        {dir.File("nine.bmp"), "File " + dir.File("nine.bmp") + " appears to be too small to be an image file."},
        {dir.File("junk.png"), "Could not load " + dir.File("junk.png") + " - file may be corrupted."},
    };
    for (const auto& [path, refusal] : cases) {
        std::string message;
        EXPECT_EQ(std::pair(LoadPicture(path, message) == nullptr, message), std::pair(true, refusal)) << path;
    }
}

TEST(PictureLoader, GivesTwentyFourBitPicturesAndUndoesTheEncRotation)
{
    TempDir dir;
    std::string message;
    CRaster pal = testutil::RandomPicture(5, 3, 8, 31);
    const std::string file = dir.File("pal.pcx");
    ASSERT_TRUE(pal.Save(file.c_str(), IMAGE_TYPE_PCX));
    auto image = LoadPicture(file, message);
    ASSERT_NE(image, nullptr) << message;
    EXPECT_EQ(std::pair(message, image->GetBpp()), std::pair(std::string(), 24));
    EXPECT_TRUE(testutil::SameColours(pal, *image));

    // In a ".enc." file the stored (red 1, green 2, blue 3) becomes
    // blue = old red 1, green = old blue 3, red = old green 2.
    CRaster stored = CRaster::Make(1, 1, 24).value();
    stored.SetPixelColor(0, 0, RGB(1, 2, 3));
    const std::string enc = dir.File("face.enc.bmp");
    ASSERT_TRUE(stored.Save(enc.c_str(), IMAGE_TYPE_BMP));
    auto rotated = LoadPicture(enc, message);
    ASSERT_NE(rotated, nullptr) << message;
    EXPECT_EQ(rotated->GetPixelColor(0, 0), (RGBQUAD{1, 3, 2, 0}));
    // Without ".enc." in the name nothing is rotated.
    const std::string plain = dir.File("face.bmp");
    ASSERT_TRUE(stored.Save(plain.c_str(), IMAGE_TYPE_BMP));
    EXPECT_EQ(LoadPicture(plain, message)->GetPixelColor(0, 0), (RGBQUAD{3, 2, 1, 0}));

    // Writing with the opposite rotation and loading gives the original back.
    CRaster original = testutil::RandomPicture(7, 4, 24, 99);
    CRaster encoded(original);
    RotateChannelsForEncoding(encoded);
    const std::string round = dir.File("round.enc.png");
    ASSERT_TRUE(encoded.Save(round.c_str(), IMAGE_TYPE_PNG));
    auto back = LoadPicture(round, message);
    ASSERT_NE(back, nullptr) << message;
    EXPECT_TRUE(testutil::SameColours(original, *back));
}
