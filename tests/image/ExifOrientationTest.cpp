
#include "CodecTestUtil.h"
#include "image/picture/ExifOrientation.h"
#include "image/Raster.h"

namespace {

// Stored pixel (column, row counted from the top) of a picture whose rows are kept bottom-up.
RGBQUAD StoredTopDown(const CRaster& image, int column, int rowFromTop)
{
    return image.GetPixelColor(column, image.GetHeight() - 1 - rowFromTop);
}

} // namespace

// The EXIF bodies of tests/data/exif (written by its make.py): every
// orientation in both byte orders among other tags, and damaged or unusable
// data, which reads as upright (1).
TEST(ExifOrientation, ReadFromEitherByteOrderAndDamageReadsAsUpright)
{
    std::ifstream index(VT_TEST_DATA_DIR "/exif/index.txt");
    std::string file;
    int orientation = 0, files = 0;
    for (; index >> file >> orientation; ++files) {
        const std::vector<std::uint8_t> body = ReadFile(VT_TEST_DATA_DIR "/exif/" + file);
        EXPECT_EQ(ReadExifOrientation(body.data(), body.size()), orientation) << file;
    }
    EXPECT_EQ(files, 30);
    EXPECT_EQ(ReadExifOrientation(nullptr, 100), 1);
}

TEST(ExifOrientation, EachOrientationShowsThePictureAsMeant)
{
    // Where the pixel (c, r) of the picture as meant (r counted from the top)
    // comes from in the stored W x H picture, by the tag's definition of where
    // the stored first row and first column belong.
    auto source = [](int o, int c, int r, int W, int H) -> std::pair<int, int> {
        switch (o) {
        case 1: return {c, r};                 // first row top,    first column left
        case 2: return {W - 1 - c, r};         // first row top,    first column right
        case 3: return {W - 1 - c, H - 1 - r}; // first row bottom, first column right
        case 4: return {c, H - 1 - r};         // first row bottom, first column left
        case 5: return {r, c};                 // first row left,   first column top
        case 6: return {r, H - 1 - c};         // first row right,  first column top
        case 7: return {W - 1 - r, H - 1 - c}; // first row right,  first column bottom
        default: return {W - 1 - r, c};        // first row left,   first column bottom
        }
    };
    // 11 x 5: rows of 1 and 4 bits end inside a byte.
    const int W = 11, H = 5;
    for (int bpp : {24, 8, 4, 1}) {
        const CRaster stored = testutil::RandomPicture(W, H, bpp, 1234);
        for (int o = 1; o <= 8; ++o) {
            CRaster shown = stored;
            ASSERT_TRUE(ApplyOrientation(shown, o)) << o;
            const bool transposed = o >= 5;
            ASSERT_EQ(std::pair(shown.GetWidth(), shown.GetHeight()), transposed ? std::pair(H, W) : std::pair(W, H)) << o;
            for (int r = 0; r < shown.GetHeight(); ++r) {
                for (int c = 0; c < shown.GetWidth(); ++c) {
                    const auto [sc, sr] = source(o, c, r, W, H);
                    EXPECT_EQ(StoredTopDown(shown, c, r), StoredTopDown(stored, sc, sr))
                        << "bpp " << bpp << " orientation " << o << " at " << c << "," << r;
                }
            }
        }
    }
    CRaster unchanged = testutil::RandomPicture(2, 2, 24, 7);
    const auto before = testutil::Rows(unchanged);
    for (int o : {0, 1, 9, -3}) {
        EXPECT_TRUE(ApplyOrientation(unchanged, o));
        EXPECT_EQ(testutil::Rows(unchanged), before) << o;
    }
}
