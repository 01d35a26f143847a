// Pictures another program wrote (tests/data/pictures, made by its make.sh
// with ImageMagick) decode to the pixels that program reads from them (a TIFF
// turned upright by its orientation tag), at the depth the picture keeps:
// palettes of 1, 4 and 8 bits stay (2 bits widen to 4), true colour and alpha
// become 24-bit. TIFF is read, never written (RasterFiles.SaveNever...).

#include "CodecTestUtil.h"
#include "image/picture/PictureFormats.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"
#include "TempFolder.h"

TEST(ForeignPictures, DecodeToThePixelsTheirWriterReadsBack)
{
    const std::tuple<std::string, int, int> pictures[] = { // name, bits (0: any), width
        {"rgb24.bmp", 24, 5},       {"mono.bmp", 1, 5},       {"palette4.bmp", 4, 5},   {"palette8.bmp", 8, 19},
        {"rle8.bmp", 8, 19},        {"os2.bmp", 4, 5},        {"argb32.bmp", 24, 5},    {"rgb24.pcx", 24, 5},
        {"palette8.pcx", 8, 19},    {"rgb24.png", 24, 5},     {"interlaced.png", 24, 19}, {"rgba.png", 24, 5},
        {"palette2.png", 4, 5},     {"grey2.png", 4, 5},      {"grey8.png", 8, 5},      {"greyalpha.png", 24, 5},
        {"rgb24.tif", 24, 19},      {"onestrip.tif", 24, 19}, {"lzw.tif", 24, 19},      {"rows1.tif", 24, 19},
        {"deflate.tif", 24, 19},    {"packbits.tif", 24, 19}, {"planes.tif", 24, 19},   {"tiles.tif", 24, 19},
        {"grey8.tif", 0, 19},       {"grey4.tif", 0, 19},     {"miniswhite.tif", 0, 19}, {"palette8.tif", 0, 19},
        {"palette4.tif", 0, 19},    {"orient6.tif", 24, 11},
    };
    for (const auto& [name, bits, width] : pictures) {
        const std::vector<std::uint8_t> file = ReadFile(VT_TEST_DATA_DIR "/pictures/" + name);
        CRaster image; // found by detection
        ASSERT_TRUE(image.Decode(file.data(), file.size(), IMAGE_TYPE_UNKNOWN)) << name << ": " << image.GetLastError();
        std::vector<std::uint8_t> rgb; // row 0 is the bottom row
        for (int y = image.GetHeight() - 1; y >= 0; --y)
            for (int x = 0; x < image.GetWidth(); ++x) {
                const RGBQUAD c = image.GetPixelColor(x, y);
                rgb.insert(rgb.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
            }
        EXPECT_EQ(std::tuple(bits ? image.GetBpp() : 0, image.GetWidth(), rgb),
                  std::tuple(bits, width, ReadFile(VT_TEST_DATA_DIR "/pictures/" + name + ".rgb"))) << name;
    }
}

// One colour in one strip is as far as each compression packs a picture: the
// check that a file holds enough data for its picture must let these through.
TEST(ForeignPictures, FlatTiffsInEachCompressionStillLoad)
{
    for (const char* name : {"flat_lzw.tif", "flat_deflate.tif", "flat_packbits.tif"}) {
        const std::vector<std::uint8_t> file = ReadFile(VT_TEST_DATA_DIR "/pictures/" + std::string(name));
        CRaster image;
        ASSERT_TRUE(image.Decode(file.data(), file.size(), IMAGE_TYPE_TIFF)) << name << ": " << image.GetLastError();
        EXPECT_EQ(std::tuple(image.GetWidth(), image.GetHeight(), image.GetPixelColor(1499, 0)),
                  std::tuple(1500, 1000, RGBQUAD{200, 200, 200, 0})) << name;
    }
}

TEST(ForeignPictures, PictureLoaderReadsTiffFilesAndTheDialogsOfferThem)
{
    CTempFolder dir;
    const std::string path = dir.Path() + "artwork.tiff";
    WriteFile(path, ReadFile(VT_TEST_DATA_DIR "/pictures/packbits.tif"));
    std::string message;
    const auto image = LoadPicture(path, message);
    ASSERT_NE(image, nullptr) << message;
    const std::vector<std::uint8_t> rgb = ReadFile(VT_TEST_DATA_DIR "/pictures/packbits.tif.rgb"); // top-left pixel first
    EXPECT_EQ(std::tuple(image->GetBpp(), image->GetWidth(), image->GetPixelColor(0, image->GetHeight() - 1)),
              std::tuple(24, 19, RGBQUAD{rgb[2], rgb[1], rgb[0], 0}));
    for (const char* pattern : {"*.tif", "*.tiff", "*.bmp", "*.png", "*.jpg", "*.pcx", "*.svg", "*.pdf"})
        EXPECT_NE(std::ranges::find(PictureFilePatterns(), pattern), PictureFilePatterns().end()) << pattern;
}
