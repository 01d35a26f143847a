#include "CodecTestUtil.h"
#include "JpegTestWriter.h"

#include "image/ByteStream.h"
#include "image/Raster.h"
#include "image/codecs/Codecs.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <jpeglib.h>

#include <cmath>
#include <csetjmp>

using namespace testutil;

namespace {

std::uint32_t Be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// The body of the first chunk or marker segment named `tag`, or nullptr; a
// PNG chunk's length is the word 8 bytes before it.
const std::uint8_t* After(const std::vector<std::uint8_t>& file, const char* tag)
{
    const auto at = std::search(file.begin(), file.end(), tag, tag + std::strlen(tag));
    return at == file.end() ? nullptr : &*at + std::strlen(tag);
}

} // namespace

// Colour types, depths and interlacing as another program writes them:
// ForeignPicturesTest; 16-bit samples: HandMadePicturesTest; broken headers
// and data: the corpus of tests/data/hostile (HostilePicturesTest).
TEST(PngEncode, TransparentIndexMovesToPaletteEntryZero)
{
    CRaster image = testutil::RandomPicture(5, 3, 4, 4242);
    image.SetPixelIndex(0, 0, 0);
    image.SetPixelIndex(1, 0, 6);
    image.SetTransIndex(6);
    const auto file = EncodeOk(image, IMAGE_TYPE_PNG);

    // Entry 0 of the 16 (48 bytes of PLTE) is the old entry 6 and carries the
    // one transparency value (1 byte of tRNS): 0.
    const std::uint8_t *plte = After(file, "PLTE"), *trns = After(file, "tRNS");
    ASSERT_TRUE(plte && trns);
    EXPECT_EQ(std::tuple(Be32(plte - 8), Be32(trns - 8), trns[0], plte[0], plte[3 * 6]),
              std::tuple(48u, 1u, 0, image.GetPaletteColor(6).rgbRed, image.GetPaletteColor(0).rgbRed));

    // Our reader shows the same colours as before.
    EXPECT_TRUE(SameColours(image, DecodeOk(file, IMAGE_TYPE_PNG)));
    EXPECT_EQ(image.GetTransIndex(), 6) << "the source picture is left as it was";
}

TEST(PngEncode, ResolutionGoesIntoThePhysChunkAndComesBack)
{
    CRaster image = testutil::RandomPicture(4, 3, 24, 99);
    image.SetXDPI(300);
    image.SetYDPI(150);
    const auto file = EncodeOk(image, IMAGE_TYPE_PNG);
    // pHYs: 4-byte length 9, "pHYs", x and y pixels per metre (big-endian), unit 1 (metre).
    // 300 / 0.0254 = 11811.02 -> 11811; 150 / 0.0254 = 5905.5 -> 5906.
    const std::uint8_t* phys = After(file, "pHYs");
    ASSERT_NE(phys, nullptr);
    EXPECT_EQ(std::tuple(Be32(phys - 8), Be32(phys), Be32(phys + 4), phys[8]), std::tuple(9u, 11811u, 5906u, 1));
    // Read back: 11811 * 0.0254 = 299.9994 and 5906 * 0.0254 = 150.0124.
    const CRaster back = DecodeOk(file, IMAGE_TYPE_PNG);
    EXPECT_EQ(std::pair(back.GetXDPI(), back.GetYDPI()), std::pair(300, 150));
}

// A 24-bit picture is written without libpng; its file must hold what libpng
// writes with the same chunks: the same chunks around the pixels and the same
// filtered rows (libpng's choice of row filter for each), compressed at once
// for small pictures, and for larger ones (here: a limit of 0 bytes) streamed
// as libpng streams them, giving libpng's file byte for byte. Noise, ramps and
// flat stretches, one pixel wide or one row high, with and without a resolution.
TEST(PngEncode, TrueColourFileHoldsWhatLibpngWrites)
{
    const auto libpng = [](CRaster& image) {
        std::vector<std::uint8_t> file;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_write_fn(png, &file, [](png_structp p, png_bytep data, png_size_t n) {
            auto* f = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            f->insert(f->end(), data, data + n);
        }, nullptr);
        const int w = image.GetWidth(), h = image.GetHeight();
        png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        const auto perMetre = [](int dpi) { return static_cast<png_uint_32>(std::lround(dpi / 0.0254)); };
        if (image.GetXDPI() > 0 && image.GetYDPI() > 0)
            png_set_pHYs(png, info, perMetre(image.GetXDPI()), perMetre(image.GetYDPI()), PNG_RESOLUTION_METER);
        png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_write_info(png, info);
        png_set_bgr(png);
        for (int y = h - 1; y >= 0; --y) png_write_row(png, image.GetBits(y));
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        return file;
    };
    // The chunks other than IDAT, and the inflated data of the IDAT chunks.
    const auto parts = [](const std::vector<std::uint8_t>& file, std::size_t rawBytes) {
        std::vector<std::uint8_t> others(file.begin(), file.begin() + 8), packed, raw(rawBytes + 1);
        for (std::size_t at = 8; at + 12 <= file.size();) {
            const std::size_t length = Be32(&file[at]);
            const auto chunk = file.begin() + static_cast<std::ptrdiff_t>(at);
            if (std::equal(chunk + 4, chunk + 8, "IDAT")) packed.insert(packed.end(), chunk + 8, chunk + 8 + length);
            else others.insert(others.end(), chunk, chunk + 12 + length);
            at += 12 + length;
        }
        uLongf size = raw.size();
        EXPECT_EQ(uncompress(raw.data(), &size, packed.data(), packed.size()), Z_OK);
        raw.resize(size);
        return std::pair(others, raw);
    };
    unsigned seed = 1;
    for (const auto& [w, h] : {std::pair{1, 1}, {1, 40}, {7, 1}, {5, 3}, {17, 40}, {130, 90}, {700, 30}})
        for (int kind = 0; kind < 3; ++kind) {
            CRaster image = testutil::RandomPicture(w, h, 24, ++seed);  // noise
            for (int y = 0; kind > 0 && y < h; ++y)
                for (int x = 0; x < 3 * w; ++x)  // a ramp; flat blocks with a little noise
                    image.GetBits(y)[x] = static_cast<std::uint8_t>(kind == 1 ? 7 * x + 3 * y
                                                                              : (x / 40 + y / 9) % 3 * 90 + (image.GetBits(y)[x] & 3));
            if (kind == 2) image.SetXDPI(0);  // no resolution: no pHYs chunk
            const std::vector<std::uint8_t> theirs = libpng(image);
            const std::size_t raw = static_cast<std::size_t>(3 * w + 1) * static_cast<std::size_t>(h);
            ASSERT_EQ(parts(EncodeOk(image, IMAGE_TYPE_PNG), raw), parts(theirs, raw)) << w << " x " << h << ", " << kind;
            CMemoryStream streamed;
            const char* error = nullptr;
            ASSERT_TRUE(EncodeRgbPng(streamed, image, error, 0));
            ASSERT_EQ(std::vector<std::uint8_t>(streamed.GetBuffer(), streamed.GetBuffer() + streamed.Size()), theirs)
                << w << " x " << h << ", kind " << kind;
        }
}

TEST(PngEncode, AlphaPlaneIsWrittenAsRgba)
{
    // 3 x 2 picture, row 0 (the bottom row) blue, green, red; row 1 grey; the
    // alpha plane runs 0, 40, 80, ... in the picture's own row order.
    CRaster image;
    ASSERT_NE(image.Create(3, 2, 24), nullptr);
    const std::uint8_t bottom[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}; // blue, green, red bytes
    for (int x = 0; x < 3; ++x) {
        std::memcpy(image.GetBits(0) + 3 * x, bottom[x], 3);
        std::memset(image.GetBits(1) + 3 * x, 100, 3);
    }
    ASSERT_TRUE(image.AlphaCreate());
    for (int i = 0; i < 6; ++i) image.AlphaGetPointer()[i] = static_cast<std::uint8_t>(40 * i);
    const auto file = EncodeOk(image, IMAGE_TYPE_PNG);

    png_image read;
    std::memset(&read, 0, sizeof read);
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&read, file.data(), file.size()));
    EXPECT_EQ(read.format & PNG_FORMAT_FLAG_ALPHA, PNG_FORMAT_FLAG_ALPHA);
    read.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, rgba.data(), 0, nullptr));
    // File rows are top first: file row 0 is picture row 1 (alpha 120, 160, 200).
    EXPECT_EQ(rgba, (std::vector<std::uint8_t>{100, 100, 100, 120, 100, 100, 100, 160, 100, 100, 100, 200, //
                                               0, 0, 255, 0, 0, 255, 0, 40, 255, 0, 0, 80}));
}

TEST(JpegCodec, TrueColourRoundTripKeepsChannelOrder)
{
    CRaster image = CRaster::Make(32, 16, 24).value();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) image.SetPixelColor(x, y, x < 16 ? RGB(220, 30, 20) : RGB(20, 40, 230));
    image.SetJpegQuality(95);
    image.SetXDPI(300);
    image.SetYDPI(150);
    const auto file = EncodeOk(image, IMAGE_TYPE_JPEG);
    // Baseline: a start-of-frame 0 marker.
    bool sof0 = false;
    for (std::size_t i = 0; i + 1 < file.size(); ++i) sof0 |= file[i] == 0xFF && file[i + 1] == 0xC0;
    EXPECT_TRUE(sof0);
    CRaster back = DecodeOk(file, IMAGE_TYPE_UNKNOWN);
    EXPECT_EQ(back.GetType(), IMAGE_TYPE_JPEG);
    ASSERT_EQ(back.GetBpp(), 24);
    ASSERT_EQ(back.GetWidth(), 32);
    EXPECT_EQ(std::pair(back.GetXDPI(), back.GetYDPI()), std::pair(300, 150));
    // Away from the colour edge the pixels are close to the original.
    for (auto [x, y] : {std::pair{3, 3}, {28, 12}, {5, 14}}) {
        const RGBQUAD o = image.GetPixelColor(x, y), b = back.GetPixelColor(x, y);
        EXPECT_NEAR(b.rgbRed, o.rgbRed, 8);
        EXPECT_NEAR(b.rgbGreen, o.rgbGreen, 8);
        EXPECT_NEAR(b.rgbBlue, o.rgbBlue, 8);
    }
    // Quality is honoured: a low quality gives a smaller file.
    CRaster noisy = testutil::RandomPicture(64, 64, 24, 3);
    noisy.SetJpegQuality(10);
    const auto small = EncodeOk(noisy, IMAGE_TYPE_JPEG);
    noisy.SetJpegQuality(95);
    EXPECT_LT(small.size(), EncodeOk(noisy, IMAGE_TYPE_JPEG).size());
}

TEST(JpegCodec, GreyPicturesUseOneComponent)
{
    CRaster grey = CRaster::Make(8, 8, 8).value();
    grey.SetGrayPalette();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) grey.SetPixelIndex(x, y, static_cast<std::uint8_t>(y < 4 ? 40 : 200));
    CRaster back = DecodeOk(EncodeOk(grey, IMAGE_TYPE_JPEG), IMAGE_TYPE_JPEG);
    ASSERT_EQ(back.GetBpp(), 8);
    EXPECT_TRUE(back.IsGrayScale());
    EXPECT_NEAR(back.GetPixelColor(1, 1).rgbRed, 40, 6);
    EXPECT_NEAR(back.GetPixelColor(6, 6).rgbRed, 200, 6);
    // A colour palette's refusal: RasterFiles.SaveNeverLeavesAHalfWrittenFile.
}

// JFIF resolutions in each unit: HandMadePicturesTest.

namespace {

// The luma sampling factors and the embedded ICC profile of a JPEG file.
// Kept out of line: its setjmp must not land inside the caller's loop.
[[gnu::noinline]] bool ReadJpegHeader(const std::vector<std::uint8_t>& jpg, int& h, int& v,
                                     std::vector<std::uint8_t>& profile)
{
    jpeg_decompress_struct cinfo;
    STestJpegError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<STestJpegError*>(c->err)->jump, 1); };
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpg.data(), static_cast<unsigned long>(jpg.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    h = cinfo.comp_info[0].h_samp_factor;
    v = cinfo.comp_info[0].v_samp_factor;
    JOCTET* icc = nullptr;
    unsigned size = 0;
    const bool found = jpeg_read_icc_profile(&cinfo, &icc, &size);
    if (found) profile.assign(icc, icc + size);
    std::free(icc);
    jpeg_destroy_decompress(&cinfo);
    return found;
}

} // namespace

TEST(ColourManagedOutput, PngNamesSrgbJpegEmbedsItsProfileAndKeepsChromaFromQuality90)
{
    CRaster image = testutil::RandomPicture(16, 16, 24, 5);
    const auto png = EncodeOk(image, IMAGE_TYPE_PNG);
    const std::uint8_t* srgb = After(png, "sRGB");
    const std::uint8_t* gama = After(png, "gAMA");
    const std::uint8_t* chrm = After(png, "cHRM");
    ASSERT_TRUE(srgb && gama && chrm);
    // Perceptual intent; gamma 100000 / 2.2; D65 white x = 0.3127; red x = 0.64.
    EXPECT_EQ(std::tuple(srgb[0], Be32(gama), Be32(chrm), Be32(chrm + 8)), std::tuple(0, 45455u, 31270u, 64000u));

    for (const auto& [quality, lumaSampling] : {std::pair{90, 1}, {89, 2}}) {
        image.SetJpegQuality(quality);
        const auto jpg = EncodeOk(image, IMAGE_TYPE_JPEG);
        int hSampling = 0, vSampling = 0;
        std::vector<std::uint8_t> profile;
        ASSERT_TRUE(ReadJpegHeader(jpg, hSampling, vSampling, profile)) << quality;
        EXPECT_EQ(std::pair(hSampling, vSampling), std::pair(lumaSampling, lumaSampling)) << quality;
        const std::uint8_t* icc = profile.data();
        const auto iccSize = static_cast<std::uint32_t>(profile.size());
        // A display profile in RGB whose red, green and blue colorants add up
        // to its white point (D50 after chromatic adaptation), in s15.16.
        ASSERT_GE(iccSize, 132u);
        EXPECT_EQ(Be32(icc), iccSize);
        EXPECT_EQ(std::memcmp(icc + 12, "mntrRGB XYZ ", 12), 0);
        std::map<std::string, const std::uint8_t*> tags;
        for (std::uint32_t i = 0; i < Be32(icc + 128); ++i) {
            const std::uint8_t* entry = icc + 132 + 12 * i;
            tags[std::string(reinterpret_cast<const char*>(entry), 4)] = icc + Be32(entry + 4) + 8;
        }
        for (int c = 0; c < 3; ++c) {
            auto fixed = [&](const char* tag) { return Be32(tags.at(tag) + 4 * c) / 65536.0; };
            EXPECT_NEAR(fixed("rXYZ") + fixed("gXYZ") + fixed("bXYZ"), fixed("wtpt"), 1e-4);
            EXPECT_NEAR(fixed("wtpt"), (std::array{0.9642, 1.0, 0.8249})[c], 1e-3);
        }
    }
}
