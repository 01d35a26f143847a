#include "CodecTestUtil.h"

#include "image/ByteStream.h"
#include "image/picture/PictureFormats.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

using testutil::Bytes;
using testutil::TempDir;

namespace {

// What a test TIFF holds: 8-bit RGB samples, given top row first, contiguous.
struct STiffSpec {
    std::uint32_t width = 4;
    std::uint32_t height = 3;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t rowsPerStrip = 2;
};

// Writes the TIFF with libtiff and returns the file's bytes.
Bytes WriteTiff(const STiffSpec& s, const std::vector<std::uint8_t>& data)
{
    TempDir dir;
    const std::string path = dir.File("t.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(tif, nullptr);
    if (tif == nullptr) return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip);
    const std::size_t rowBytes = std::size_t{s.width} * 3;
    for (std::uint32_t y = 0; y < s.height; ++y) {
        std::vector<std::uint8_t> row(data.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                                      data.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
        EXPECT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
    }
    TIFFClose(tif);
    std::ifstream in(path, std::ios::binary);
    Bytes bytes;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return bytes;
}

CRaster DecodeOk(const Bytes& file, int type = IMAGE_TYPE_TIFF) { return testutil::DecodeOk(file, type); }

// Colour of the pixel in column x of row r counted from the top.
RGBQUAD At(const CRaster& image, int x, int rowFromTop)
{
    return image.GetPixelColor(x, image.GetHeight() - 1 - rowFromTop);
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng());
    return v;
}

} // namespace

// Compressions, strips, tiles, separate planes, grey, 1-bit, palettes and the
// orientation tag as another program writes them: ForeignPicturesTest; 16-bit
// samples, CMYK in 8 and 16 bits and in tiles, and alpha: HandMadePicturesTest.
TEST(TiffDecode, DamagedFilesFailWithAMessageAndKeepTheTarget)
{
    const Bytes good = WriteTiff({.width = 16, .height = 16, .compression = COMPRESSION_LZW, .rowsPerStrip = 16},
                                 RandomBytes(16 * 16 * 3, 3));
    ASSERT_TRUE(DecodeOk(good).IsValid());
    // Broken headers and data: the corpus of tests/data/hostile (HostilePicturesTest).
    Bytes cut = good;
    cut.resize(60); // the strip stops early
    testutil::ExpectRefused(cut, IMAGE_TYPE_TIFF, "strip cut short");
    CRaster detected;
    EXPECT_FALSE(detected.Decode(cut.data(), cut.size(), IMAGE_TYPE_UNKNOWN));
    EXPECT_STREQ(detected.GetLastError(), "Decode: Unknown or wrong format");

    // TIFF is read, never written.
    CRaster picture = CRaster::Make(2, 2, 24).value();
    CMemoryStream out;
    EXPECT_FALSE(picture.Encode(out, IMAGE_TYPE_TIFF));
    EXPECT_STREQ(picture.GetLastError(), "Encode: Unknown format");
}

TEST(TiffDecode, FlatPicturesCompressedAsFarAsPossibleStillLoad)
{
    // One colour over 1500 x 1000 pixels in one strip is the best case of each
    // compression; the check that a file holds enough data must let it through.
    for (std::uint16_t compression : {COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS}) {
        STiffSpec s{.width = 1500, .height = 1000, .compression = compression, .rowsPerStrip = 1000};
        const Bytes file = WriteTiff(s, std::vector<std::uint8_t>(1500 * 1000 * 3, 200));
        CRaster image = DecodeOk(file);
        EXPECT_EQ(image.GetWidth(), 1500) << compression;
        EXPECT_EQ(At(image, 1499, 999), (RGBQUAD{200, 200, 200, 0})) << compression;
    }
}

TEST(TiffDecode, PictureLoaderReadsTiffFiles)
{
    TempDir dir;
    const std::string path = dir.File("artwork.tiff");
    const Bytes file = WriteTiff({.width = 2, .height = 2, .compression = COMPRESSION_PACKBITS},
                                 {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    std::string message;
    const auto image = LoadPicture(path, message);
    ASSERT_NE(image, nullptr) << message;
    EXPECT_EQ(image->GetBpp(), 24);
    using testutil::Q; // the bottom row (blue, white) first, then the top row (red, green)
    EXPECT_EQ(testutil::Colours(*image), (std::vector{Q(0, 0, 255), Q(255, 255, 255), Q(255, 0, 0), Q(0, 255, 0)}));
    // Offered wherever pictures are chosen (the file dialogs, the picture library).
    for (const char* pattern : {"*.tif", "*.tiff", "*.bmp", "*.png", "*.jpg", "*.pcx", "*.svg", "*.pdf"})
        EXPECT_NE(std::ranges::find(PictureFilePatterns(), pattern), PictureFilePatterns().end()) << pattern;
}
