// CMYK and YCCK JPEGs (plain and Adobe's inverted samples) and EXIF
// orientation, with files written by libjpeg directly.

#include "CodecTestUtil.h"
#include "JpegTestWriter.h"
#include "TempFolder.h"

#include "image/Raster.h"

namespace {

CRaster DecodeOk(const std::vector<std::uint8_t>& data)
{
    CRaster image;
    EXPECT_TRUE(image.Decode(data.data(), data.size(), IMAGE_TYPE_UNKNOWN)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), IMAGE_TYPE_JPEG);
    return image;
}

// Colour at the centre of block (bx, by) counted from the top-left.
RGBQUAD BlockCentre(const CRaster& image, int bx, int by)
{
    return image.GetPixelColor(bx * 16 + 8, image.GetHeight() - 1 - (by * 16 + 8));
}

// What the inks leave of white: (255 - ink) * (255 - K) / 255, rounded.
int Leave(int ink, int k)
{
    return static_cast<int>(std::lround((255 - ink) * (255 - k) / 255.0));
}

const int kInks[8][4] = {
    {0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0},
    {0, 0, 0, 255}, {40, 80, 120, 60}, {200, 30, 10, 20}, {128, 128, 128, 128},
};

SBlockPicture InkPicture(bool inverted)
{
    SBlockPicture p{4, 2, 4, {}};
    for (const auto& ink : kInks) {
        std::vector<std::uint8_t> samples(4);
        for (int c = 0; c < 4; ++c) samples[c] = static_cast<std::uint8_t>(inverted ? 255 - ink[c] : ink[c]);
        p.blocks.push_back(samples);
    }
    return p;
}

void ExpectInks(const CRaster& image, int tolerance, const std::string& what)
{
    ASSERT_EQ(image.GetBpp(), 24) << what;
    ASSERT_EQ(image.GetWidth(), 64) << what;
    for (int i = 0; i < 8; ++i) {
        const RGBQUAD got = BlockCentre(image, i % 4, i / 4);
        const int* ink = kInks[i];
        EXPECT_NEAR(got.rgbRed, Leave(ink[0], ink[3]), tolerance) << what << " block " << i;
        EXPECT_NEAR(got.rgbGreen, Leave(ink[1], ink[3]), tolerance) << what << " block " << i;
        EXPECT_NEAR(got.rgbBlue, Leave(ink[2], ink[3]), tolerance) << what << " block " << i;
    }
}

} // namespace

TEST(JpegInk, CmykAndYcckPicturesFollowTheInkFormula)
{
    // Plain CMYK without an Adobe marker: samples are the ink amounts.
    ExpectInks(DecodeOk(WriteJpeg(InkPicture(false), {JCS_CMYK, JCS_CMYK, false})), 0, "plain CMYK");
    // Adobe's files carry the marker and store 255 - ink, both as CMYK and as YCCK.
    ExpectInks(DecodeOk(WriteJpeg(InkPicture(true), {JCS_CMYK, JCS_CMYK, true})), 0, "Adobe CMYK");
    ExpectInks(DecodeOk(WriteJpeg(InkPicture(true), {JCS_CMYK, JCS_YCCK, true})), 2, "Adobe YCCK");
}

// Plain RGB and grey JPEGs: JpegCodec.TrueColourRoundTripKeepsChannelOrder, GreyPicturesUseOneComponent.

// Each orientation's turn is ExifOrientation's own test; here the decoder
// finds the tag among the APP1 segments and applies it.
TEST(JpegOrientation, TheExifTagTurnsTheDecodedPictureAndOtherSegmentsDoNot)
{
    const std::vector<std::vector<std::uint8_t>> colours = {{255, 0, 0}, {0, 0, 255}};  // red, blue
    std::vector<std::uint8_t> xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.', 0, 'x'};
    // Orientation 6 in a body of its own (tests/data/exif), and cut off in its directory entry.
    const std::vector<std::uint8_t> six = ReadFile(VT_TEST_DATA_DIR "/exif/good.exif");
    const std::vector<std::uint8_t> cut(six.begin(), six.begin() + 20);
    // Orientation 6 (stored first row on the right): the 2 x 1 blocks stand
    // one above the other, red on top.
    const struct {
        std::vector<std::uint8_t> app1;
        int blocksWide;
        int secondX, secondY;  // where the blue block shows
    } cases[] = {{six, 1, 0, 1}, {xmp, 2, 1, 0}, {cut, 2, 1, 0}};
    for (const auto& c : cases) {
        SJpegOptions options{JCS_RGB, JCS_YCbCr};
        options.app1 = c.app1;
        const CRaster image = DecodeOk(WriteJpeg({2, 1, 3, colours}, options));
        ASSERT_EQ(std::pair(image.GetWidth(), image.GetHeight()), std::pair(16 * c.blocksWide, 16 * (3 - c.blocksWide)));
        EXPECT_TRUE(BlockCentre(image, 0, 0).rgbRed > 200 && BlockCentre(image, c.secondX, c.secondY).rgbBlue > 200);
    }
}
