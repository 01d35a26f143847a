// Pictures built byte by byte (tests/data/handmade, written by its make.py from
// the formats' structures) decode at the depth, size and resolution their
// index line states to the colours (within a tolerance, if given) or palette
// indices it lists, row 0 (the bottom row) first; the palette of a palette
// picture has 2 ^ bits entries.

#include "CodecTestUtil.h"
#include "image/picture/PictureFormats.h"
#include "image/Raster.h"
#include "TempFolder.h"

#include <cstdio>
#include <sstream>

TEST(HandMadePictures, DecodeToThePixelsTheirIndexStates)
{
    const std::string dir = VT_TEST_DATA_DIR "/handmade/";
    std::ifstream index(dir + "index.txt");
    int count = 0;
    for (std::string line; std::getline(index, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        std::string name, size, dpi, kind;
        int bits = 0;
        in >> name >> bits >> size >> dpi >> kind;
        const std::vector<std::string> want{std::istream_iterator<std::string>(in), {}};
        const std::vector<std::uint8_t> file = ReadFile(dir + name);
        CRaster image;
        const int type = name.ends_with(".pcx")   ? IMAGE_TYPE_PCX
                         : name.ends_with(".png") ? IMAGE_TYPE_PNG
                         : name.ends_with(".jpg") ? IMAGE_TYPE_JPEG
                         : name.ends_with(".tif") ? IMAGE_TYPE_TIFF
                                                  : IMAGE_TYPE_BMP;
        const bool alpha = kind.starts_with("rgba");
        const int tolerance = kind.find('~') != std::string::npos ? std::stoi(kind.substr(kind.find('~') + 1)) : 0;
        ASSERT_TRUE(image.Decode(file.data(), file.size(), type)) << name << ": " << image.GetLastError();
        std::vector<std::string> got;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x) {
                const RGBQUAD c = image.GetPixelColor(x, y);
                const int a = image.HasAlpha() ? image.AlphaGetPointer()[y * image.GetWidth() + x] : -1;
                char rgb[12];
                std::snprintf(rgb, sizeof rgb, alpha ? "%02x%02x%02x%02x" : "%02x%02x%02x", c.rgbRed, c.rgbGreen, c.rgbBlue, a);
                got.push_back(kind == "idx" ? std::to_string(image.GetPixelIndex(x, y)) : std::string(rgb));
                // The stated colour counts within the tolerance, and under alpha 0 whatever it is.
                const std::size_t i = got.size() - 1;
                if (i < want.size() && (tolerance || alpha)) {
                    const unsigned long w = std::stoul(want[i].substr(0, 6), nullptr, 16);
                    const bool near = std::abs(int(w >> 16) - c.rgbRed) <= tolerance &&
                                      std::abs(int(w >> 8 & 255) - c.rgbGreen) <= tolerance && std::abs(int(w & 255) - c.rgbBlue) <= tolerance;
                    if ((!alpha || want[i].substr(6) == got.back().substr(6)) && (near || (alpha && a == 0)))
                        got.back() = want[i];
                }
            }
        const std::string gotSize = std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight());
        const std::string gotDpi = dpi == "-" ? dpi : std::to_string(image.GetXDPI()) + "x" + std::to_string(image.GetYDPI());
        const int colours = image.GetBpp() <= 8 ? 1 << image.GetBpp() : 0;
        EXPECT_EQ(std::tuple(bits ? image.GetBpp() : 0, gotSize, gotDpi, image.GetNumColors(), got),
                  std::tuple(bits, size, dpi, colours, want)) << name;
        ++count;
    }
    EXPECT_EQ(count, 34) << dir << "index.txt";
}
