// Pictures that carry an ICC profile, against ImageMagick's conversion of the
// same file with the same profile (skipped where ImageMagick or the print
// profile is not installed).

#include "CodecTestUtil.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"

namespace {

const char* kConvert = "/usr/bin/convert";
const char* kCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
const char* kSrgbProfile = "/usr/share/color/icc/sRGB.icc";

// A CMYK JPEG (Adobe's inverted samples as ImageMagick writes them) and a
// CMYK TIFF, each with the print profile embedded and made from a colour
// gradient, load within 2 levels on average of ImageMagick's own conversion
// to sRGB through that profile.
class IccProfileTest : public testing::TestWithParam<const char*> {};

TEST_P(IccProfileTest, CmykFileFollowsItsProfile)
{
    namespace fs = std::filesystem;
    if (!fs::exists(kConvert) || !fs::exists(kCmykProfile) || !fs::exists(kSrgbProfile))
        GTEST_SKIP() << "ImageMagick or the ICC profiles are not installed";
    const fs::path dir = fs::temp_directory_path() / ("vt_icc_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cmyk = (dir / (std::string("cmyk.") + GetParam())).string(), reference = (dir / "reference.png").string();
    const std::string make = std::string(kConvert) + " -size 96x64 gradient:'#E02020-#20A0F0' -swirl 90 -profile " +
                             kSrgbProfile + " -profile " + kCmykProfile + " -quality 95 " + cmyk + " && " + kConvert +
                             " " + cmyk + " -profile " + kSrgbProfile + " -strip " + reference;
    ASSERT_EQ(std::system(make.c_str()), 0);
    std::string message;
    const auto ours = LoadPicture(cmyk, message);
    const auto theirs = LoadPicture(reference, message);
    fs::remove_all(dir);
    ASSERT_TRUE(ours && theirs) << message;
    ASSERT_EQ(ours->GetWidth(), theirs->GetWidth());
    ASSERT_EQ(ours->GetHeight(), theirs->GetHeight());
    double sum = 0;
    for (int y = 0; y < ours->GetHeight(); ++y)
        for (int x = 0; x < ours->GetWidth(); ++x) {
            const RGBQUAD a = ours->GetPixelColor(x, y), b = theirs->GetPixelColor(x, y);
            sum += std::abs(a.rgbRed - b.rgbRed) + std::abs(a.rgbGreen - b.rgbGreen) + std::abs(a.rgbBlue - b.rgbBlue);
        }
    EXPECT_LE(sum / (3.0 * ours->GetWidth() * ours->GetHeight()), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Formats, IccProfileTest, testing::Values("jpg", "tif"));

}  // namespace
