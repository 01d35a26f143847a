// Hostile picture files: every one is refused with its reason, quickly and
// without leaving anything in the target; files at the edge of what a header
// can justify still load.

#include "CodecTestUtil.h"
#include "HostileCorpus.h"
#include "TempFolder.h"

#include "image/ByteStream.h"
#include "image/picture/PictureLimits.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"

using hostile::HostilePictures;
using hostile::SHostileFile;

TEST(HostilePictures, EachIsRefusedWithItsReasonAndLeavesTheTargetAlone)
{
    const auto pictures = HostilePictures();
    ASSERT_EQ(pictures.size(), 73u) << "tests/data/hostile/index.txt";
    for (const SHostileFile& f : pictures) testutil::ExpectRefused(f.bytes, f.type, f.name, f.refusal.c_str(), false);
}

TEST(HostilePictures, TooLargeSurvivesDetectionAndReachesTheUser)
{
    testutil::TempDir dir;
    int tooLarge = 0;
    for (const SHostileFile& f : HostilePictures()) {
        if (f.refusal.rfind("Picture is too large: ", 0) != 0)
            continue;
        SCOPED_TRACE(f.name);
        ++tooLarge;
        // Detection stops at the format that recognised the file.
        CRaster detected;
        EXPECT_FALSE(detected.Decode(f.bytes.data(), f.bytes.size(), IMAGE_TYPE_UNKNOWN));
        EXPECT_NE(std::string(detected.GetLastError()).find(f.refusal), std::string::npos)
            << "got: " << detected.GetLastError();
        // The loader names the file, the size and the limit; never "corrupted".
        const std::string path = dir.File("hostile.pic");
        WriteFile(path, f.bytes);
        std::string message;
        EXPECT_EQ(LoadPicture(path, message), nullptr);
        const std::string size = f.refusal.substr(std::string("Picture is too large: ").size());
        EXPECT_EQ(message.rfind("File " + path + " is too large: " + size, 0), 0u) << message;
        EXPECT_NE(message.find("; the largest "), std::string::npos) << message;
        EXPECT_EQ(message.find("corrupted"), std::string::npos) << message;
    }
    EXPECT_GE(tooLarge, 6);
}

TEST(PictureLimits, SizesAtAndPastTheLimits)
{
    // 16384 x 16384 = 2^28 pixels is the most; one row more is too many.
    // 65535 x 4096 = 268431360 pixels, x 4097 = 268496895.
    EXPECT_EQ((std::vector{IsPictureSizeAllowed(16384, 16384), IsPictureSizeAllowed(16384, 16385), IsPictureSizeAllowed(65535, 4096),
                           IsPictureSizeAllowed(65535, 4097), IsPictureSizeAllowed(65536, 1)}),
              (std::vector{true, false, true, false, false}));
    EXPECT_EQ(PictureTooLargeText(20000, 19000),
              "Picture is too large: 20000 x 19000 pixels; the largest picture is 16384 x 16384 pixels "
              "(268435456 pixels in any shape, at most 65535 wide or high)");
    EXPECT_TRUE(IsPictureTooLargeText(PictureTooLargeText(1, 2)) && !IsPictureTooLargeText("corrupted PCX"));
}

// The most compressible pictures real encoders make must still pass the
// checks of how many pixels the data can justify.
TEST(HostilePictures, HighlyCompressedPicturesStillLoad)
{
    CRaster white = CRaster::Make(4096, 2048, 8).value();
    white.SetGrayPalette();
    std::memset(white.GetBits(0), 255, static_cast<std::size_t>(white.GetEffWidth()) * white.GetHeight());
    for (const int type : {IMAGE_TYPE_PNG, IMAGE_TYPE_JPEG, IMAGE_TYPE_PCX}) {
        SCOPED_TRACE(type);
        CMemoryStream encoded;
        ASSERT_TRUE(white.Encode(encoded, type)) << white.GetLastError();
        CRaster back;
        EXPECT_TRUE(back.Decode(encoded.GetBuffer(), static_cast<std::size_t>(encoded.Size()), type))
            << back.GetLastError();
        EXPECT_EQ(std::pair(back.GetWidth(), back.GetHeight()), std::pair(4096, 2048));
    }
    CRaster bilevel = CRaster::Make(16384, 1024, 1).value();
    std::memset(bilevel.GetBits(0), 0, static_cast<std::size_t>(bilevel.GetEffWidth()) * bilevel.GetHeight());
    CMemoryStream png;
    ASSERT_TRUE(bilevel.Encode(png, IMAGE_TYPE_PNG));
    CRaster back;
    EXPECT_TRUE(back.Decode(png.GetBuffer(), static_cast<std::size_t>(png.Size()), IMAGE_TYPE_PNG))
        << back.GetLastError();
}

// Run-length data may leave pixels unwritten (end of bitmap), but at most 4096
// pixels per byte of data: 2 bytes ("end of bitmap") plus 2 of slack justify
// 4 x 4096 = 16384 pixels, a 128 x 128 picture and not one row more.
TEST(HostilePictures, RunLengthDataJustifiesAtMost4096PixelsPerByte)
{
    const auto square = hostile::ReadHostileFile("bmp_RLE8_128_x_128_ending_at_once.bmp");
    const auto taller = hostile::ReadHostileFile("bmp_RLE8_128_x_129_ending_at_once.bmp");
    CRaster image;
    EXPECT_TRUE(image.Decode(square.data(), square.size(), IMAGE_TYPE_BMP) && image.GetHeight() == 128) << image.GetLastError();
    EXPECT_FALSE(image.Decode(taller.data(), taller.size(), IMAGE_TYPE_BMP));
    EXPECT_EQ(std::pair(std::string(image.GetLastError()), image.GetHeight()), std::pair(std::string("BMP file is truncated"), 128));
}
