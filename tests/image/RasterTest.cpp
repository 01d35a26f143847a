#include "CodecTestUtil.h"
#include "image/Raster.h"

namespace {

// Every byte of the pixel rows.
std::vector<std::uint8_t> Bytes(const CRaster& image) { return testutil::Rows(image); }

// Fills a 24-bit picture with a pattern whose every pixel differs.
void FillPattern(CRaster& image)
{
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            image.SetPixelColor(x, y, RGB(x * 7 + 1, y * 11 + 2, (x + y) * 3 + 3));
        }
    }
}

} // namespace

TEST(RasterCreate, NormalisesBitCountAndSizesTheRows)
{
    struct {
        int request, bpp, colors;
    } cases[] = {{0, 1, 2}, {1, 1, 2}, {2, 4, 16}, {4, 4, 16}, {5, 8, 256}, {8, 8, 256}, {9, 24, 0}, {16, 24, 0},
                 {32, 24, 0}};
    for (const auto& c : cases) {
        CRaster image = CRaster::Make(5, 3, c.request).value();
        ASSERT_TRUE(image.IsValid()) << c.request;
        // Rows of ((width * bpp) + 31) / 32 * 4 bytes for width 5; the DIB block is the
        // header, the palette and the rows, in that order.
        const int row = (5 * c.bpp + 31) / 32 * 4;
        EXPECT_EQ(std::tuple(image.GetBpp(), image.GetNumColors(), image.GetPaletteSize(), image.GetEffWidth(), image.GetDIBSize()),
                  std::tuple(c.bpp, c.colors, c.colors * 4, row, 40u + c.colors * 4u + row * 3u)) << c.request;
        EXPECT_EQ(image.GetBits(0), image.GetDIB() + 40 + c.colors * 4);
        const RGBQUAD* pal = image.GetPalette();
        EXPECT_EQ(std::vector<RGBQUAD>(pal, pal + c.colors), std::vector<RGBQUAD>(c.colors)) << "palette starts zeroed";
    }
}

TEST(RasterCreate, RefusesImpossibleSizesAndStaysEmpty)
{
    CRaster image = CRaster::Make(4, 4, 24).value();
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 5}, {5, -1}, {70000, 1}, {1, 70000}, {60000, 60000}}) {
        EXPECT_EQ(image.Create(w, h, 24), nullptr) << w << "x" << h;
        EXPECT_TRUE(!image.IsValid() && image.GetBits(0) == nullptr && image.GetWidth() == 0);
        EXPECT_FALSE(CRaster::Make(w, h, 24).has_value()) << w << "x" << h;
    }
    // Operations on an empty picture do nothing and report failure.
    EXPECT_FALSE(image.Flip() || image.Mirror() || image.IncreaseBpp(24) || image.RotateLeft());
    image.SetPixelColor(0, 0, kColorWhite);
    image.HorizontalLine(0, 5, 0, kColorWhite);
    EXPECT_TRUE(image.CopyToHandle().empty());
}

TEST(RasterPixels, OutsideReadsGiveTheBackgroundAndWritesAreIgnored)
{
    CRaster image = CRaster::Make(4, 3, 24).value();
    image.Clear(7);
    const auto before = Bytes(image);
    image.SetBackgroundColor(RGB(1, 2, 3));
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {-100, 200}}) {
        EXPECT_EQ(image.GetPixelColor(x, y), (RGBQUAD{3, 2, 1, 0}));
        image.SetPixelColor(x, y, kColorWhite);
        image.SetPixelColor(x, y, RGBQUAD{9, 9, 9, 0});
    }
    EXPECT_EQ(Bytes(image), before);

    // A palette picture with a background index reads that entry outside.
    CRaster pal = CRaster::Make(4, 4, 8).value();
    pal.SetPaletteColor(5, 10, 20, 30);
    EXPECT_EQ(std::tuple(pal.GetPixelColor(-1, 0), pal.GetPixelIndex(-1, 0)), std::tuple(RGBQUAD{}, 0)); // background colour: black
    pal.SetTransIndex(5);
    EXPECT_EQ(std::tuple(pal.GetPixelColor(-1, 0), pal.GetPixelIndex(9, 9)), std::tuple(RGBQUAD{30, 20, 10, 0}, 5));
}

TEST(RasterPixels, PaletteIndicesOfEveryDepth)
{
    for (int bpp : {1, 4, 8}) {
        CRaster image = CRaster::Make(13, 3, bpp).value();
        const int colors = image.GetNumColors();
        for (int i = 0; i < colors; ++i) {
            image.SetPaletteColor(i, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7);
        }
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 13; ++x) {
                image.SetPixelIndex(x, y, static_cast<std::uint8_t>((x * 5 + y) % colors));
            }
        }
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 13; ++x) {
                const int index = (x * 5 + y) % colors;
                EXPECT_EQ(std::tuple(image.GetPixelIndex(x, y), image.GetPixelColor(x, y).rgbRed, image.GetPixelColor(x, y).rgbGreen),
                          std::tuple(index, index, 255 - index)) << bpp;
            }
        }
        // 24-bit writers do nothing on palette pictures.
        const auto before = Bytes(image);
        image.SetPixelColor(0, 0, kColorWhite);
        image.HorizontalLine(0, 12, 0, kColorWhite);
        EXPECT_EQ(Bytes(image), before);
    }
}

TEST(RasterPixels, HorizontalLineClipsToTheRow)
{
    const int w = 10;
    struct {
        int x1, x2, y;
        int first, last; // filled range, first > last for none
    } cases[] = {
        {-5, w + 5, 1, 0, w - 1}, // fills exactly the whole row
        {w, w + 3, 1, 1, 0},      // starts at the width: nothing
        {-3, -1, 1, 1, 0},        // both left: nothing
        {-1, 0, 1, 0, 0},         // clamped to pixel 0
        {w - 1, w + 100, 1, w - 1, w - 1},
        {3, 3, 1, 3, 3},
        {4, 2, 1, 1, 0}, // reversed ends: nothing
        {2, 6, 1, 2, 6},
        {0, w - 1, -1, 1, 0}, // rows above and below the picture: nothing
        {0, w - 1, 3, 1, 0},
    };
    for (const auto& c : cases) {
        CRaster image = CRaster::Make(w, 3, 24).value();
        image.Clear(0);
        image.HorizontalLine(c.x1, c.x2, c.y, RGB(200, 100, 50));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool inside = y == c.y && x >= c.first && x <= c.last;
                EXPECT_EQ(image.GetPixelColor(x, y), inside ? (RGBQUAD{50, 100, 200, 0}) : RGBQUAD{})
                    << c.x1 << ".." << c.x2 << " on row " << c.y << " at " << x << "," << y;
            }
        }
        // Row padding beyond the last pixel (30 bytes of 32) stays zero.
        EXPECT_EQ(image.GetBits(1)[30] | image.GetBits(1)[31], 0);
    }
}

TEST(RasterStorage, CopiesAreDeepAndTransferEmptiesTheSource)
{
    CRaster a = CRaster::Make(6, 4, 24, IMAGE_TYPE_JPEG).value();
    FillPattern(a);
    a.SetJpegQuality(33);
    a.SetXDPI(300);
    ASSERT_TRUE(a.AlphaCreate());
    a.AlphaGetPointer()[5] = 17;
    CRaster b(a);
    EXPECT_EQ(Bytes(b), Bytes(a));
    EXPECT_EQ(std::tuple(b.GetJpegQuality(), b.GetXDPI(), b.GetType()), std::tuple(33, 300, IMAGE_TYPE_JPEG));
    ASSERT_TRUE(b.HasAlpha());
    EXPECT_EQ(b.AlphaGetPointer()[5], 17);
    b.SetPixelColor(0, 0, kColorWhite);
    EXPECT_NE(a.GetPixelColor(0, 0), b.GetPixelColor(0, 0));

    CRaster c;
    ASSERT_TRUE(c.Copy(a, false, false, false));
    EXPECT_TRUE(c.GetWidth() == 6 && !c.HasAlpha());

    CRaster pal = CRaster::Make(3, 3, 8).value();
    pal.SetPaletteColor(200, 1, 2, 3);
    CRaster palOnly;
    ASSERT_TRUE(palOnly.Copy(pal, false));
    EXPECT_EQ(palOnly.GetPaletteColor(200), (RGBQUAD{3, 2, 1, 0}));

    CRaster d;
    d.Transfer(a);
    EXPECT_TRUE(!a.IsValid() && d.GetWidth() == 6);
    CRaster e = std::move(d);
    EXPECT_TRUE(!d.IsValid() && e.IsValid());
    e = e; // self-assignment keeps the picture
    EXPECT_TRUE(e.IsValid());
}

TEST(RasterStorage, DibBlockRoundTripsThroughTheClipboardFormat)
{
    CRaster image = CRaster::Make(5, 3, 24).value();
    FillPattern(image);
    const std::vector<std::uint8_t> block = image.CopyToHandle();
    ASSERT_EQ(block.size(), image.GetDIBSize());
    EXPECT_EQ(block, std::vector<std::uint8_t>(image.GetDIB(), image.GetDIB() + block.size())); // from the header size 40 on
    EXPECT_EQ(block[0], 40);
    CRaster back;
    ASSERT_TRUE(back.CreateFromDIB(block.data(), block.size())) << back.GetLastError();
    EXPECT_EQ(Bytes(back), Bytes(image));

    CRaster pal = CRaster::Make(9, 2, 4).value();
    pal.SetPaletteColor(3, 9, 8, 7);
    pal.SetPixelIndex(8, 1, 3);
    const auto pblock = pal.CopyToHandle();
    ASSERT_TRUE(back.CreateFromDIB(pblock.data(), pblock.size()));
    EXPECT_EQ(std::tuple(back.GetBpp(), back.GetPixelColor(8, 1)), std::tuple(4, RGBQUAD{7, 8, 9, 0}));
    // A block cut short is refused and the picture stays.
    EXPECT_FALSE(back.CreateFromDIB(pblock.data(), pblock.size() - 1));
    EXPECT_EQ(back.GetBpp(), 4);
}

// Flip, Mirror and the quarter turns of pictures of 24, 8, 4 and 1 bits are
// checked pixel by pixel by ExifOrientation.EachOrientationShowsThePictureAsMeant.
TEST(RasterGeometry, TurnIntoADestinationKeepsTheSourceAndTurnsBack)
{
    CRaster source = CRaster::Make(4, 2, 24).value();
    FillPattern(source);
    CRaster right;
    ASSERT_TRUE(source.RotateRight(&right));
    ASSERT_EQ(std::tuple(source.GetWidth(), right.GetWidth()), std::tuple(4, 2)) << "with a destination the source stays";
    EXPECT_EQ(right.GetPixelColor(0, 3), source.GetPixelColor(0, 0)) << "bottom-left to top-left";
    ASSERT_TRUE(right.RotateLeft());
    EXPECT_EQ(Bytes(right), Bytes(source));
}

TEST(RasterConversion, IncreaseBitsKeepsColoursAndRefusesDecreases)
{
    CRaster pal = CRaster::Make(7, 3, 8).value();
    for (int i = 0; i < 256; ++i) pal.SetPaletteColor(i, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 2), static_cast<std::uint8_t>(255 - i));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) pal.SetPixelIndex(x, y, static_cast<std::uint8_t>(x * 30 + y));
    CRaster wide(pal);
    ASSERT_TRUE(wide.IncreaseBpp(24) && wide.GetBpp() == 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            const int i = x * 30 + y;
            EXPECT_EQ(wide.GetPixelColor(x, y), (RGBQUAD{static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i / 2), static_cast<std::uint8_t>(i), 0}));
        }
    // 8 bits asked of a 24-bit picture: false, unchanged.
    const auto before = Bytes(wide);
    EXPECT_FALSE(wide.IncreaseBpp(8) || wide.IncreaseBpp(4));
    EXPECT_TRUE(wide.GetBpp() == 24 && Bytes(wide) == before && wide.IncreaseBpp(24));
    CRaster p8(pal);
    EXPECT_TRUE(p8.IncreaseBpp(8) && !p8.IncreaseBpp(4) && p8.GetBpp() == 8);

    // 1 -> 4 -> 8 keeps indices and palette.
    CRaster mono = CRaster::Make(10, 2, 1).value();
    mono.SetPaletteColor(0, 0, 0, 0);
    mono.SetPaletteColor(1, 255, 255, 255);
    mono.SetPixelIndex(3, 1, 1);
    ASSERT_TRUE(mono.IncreaseBpp(4) && mono.GetBpp() == 4 && mono.IncreaseBpp(8));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(mono.GetPixelIndex(x, y), x == 3 && y == 1) << x << "," << y;
    EXPECT_EQ(mono.GetPaletteColor(1), (RGBQUAD{255, 255, 255, 0}));

    // The escape flag stops the conversion and leaves the picture.
    CRaster stop(pal);
    stop.SetEscape(1);
    EXPECT_TRUE(!stop.IncreaseBpp(24) && stop.GetBpp() == 8);
}

TEST(RasterConversion, FilterConvolvesWithBackgroundOutside)
{
    CRaster image = CRaster::Make(3, 3, 24).value();
    image.Clear(0);
    image.SetPixelColor(1, 1, RGB(90, 90, 90));
    image.SetBackgroundColor(RGB(9, 9, 9));
    // Box blur 3x3, divisor 9, offset 1: centre (90 + 0*8) / 9 + 1 = 11;
    // corner (0,0) sees 5 outside pixels of 9 and the centre: (5*9 + 90) / 9 + 1 = 16.
    const int box[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    // Edge (1, 0): 3 outside + centre: (3*9 + 90) / 9 + 1 = 14.
    ASSERT_TRUE(image.Filter(box, 3, 9, 1));
    EXPECT_EQ(std::tuple(image.GetPixelColor(1, 1).rgbRed, image.GetPixelColor(0, 0).rgbRed, image.GetPixelColor(1, 0).rgbGreen),
              std::tuple(11, 16, 14));

    // Clamping at both ends and the kernel orientation: kernel entry (i, j)
    // weights (x + i - 1, y + j - 1), so entry 7 (i = 1, j = 2) reads the pixel above.
    CRaster g = CRaster::Make(3, 3, 24).value();
    g.Clear(0);
    g.SetPixelColor(1, 2, RGB(100, 0, 0));
    const int up[9] = {0, 0, 0, 0, 0, 0, 0, 3, 0};
    ASSERT_TRUE(g.Filter(up, 3, 0, 0));
    EXPECT_EQ(std::tuple(g.GetPixelColor(1, 1).rgbRed, g.GetPixelColor(1, 0).rgbRed), std::tuple(255, 0)); // 300 clamped
    CRaster n = CRaster::Make(2, 2, 24).value();
    n.Clear(50);
    const int neg[1] = {-1};
    ASSERT_TRUE(n.Filter(neg, 1, 0, 10));
    EXPECT_EQ(std::tuple(int{n.GetPixelColor(0, 0).rgbBlue}, n.GetProgress()), std::tuple(0, 100)); // -50 + 10 clamped
}

namespace {

// Plain statement of the blend: white source pixels skipped, equal channels
// kept, others (S * (255 - a) + D * a) >> 8.
void ReferenceAlpha(const CRaster& src, CRaster& dst, int alpha, int x1, int x2, int y1, int y2)
{
    for (int y = y1; y <= y2; ++y) {
        for (int x = x1; x <= x2; ++x) {
            const RGBQUAD s = src.GetPixelColor(x, y);
            if (s.rgbRed == 255 && s.rgbGreen == 255 && s.rgbBlue == 255) continue;
            const RGBQUAD d = dst.GetPixelColor(x, y);
            auto mix = [&](int sc, int dc) { return sc == dc ? dc : (sc * (255 - alpha) + dc * alpha) >> 8; };
            dst.SetPixelColor(x, y, RGB(mix(s.rgbRed, d.rgbRed), mix(s.rgbGreen, d.rgbGreen), mix(s.rgbBlue, d.rgbBlue)));
        }
    }
}

} // namespace

TEST(RasterAlpha, FastAlphaMatchesTheReferenceBlend)
{
    const unsigned seed = 20261206;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 12; ++round) {
        const int w = 1 + rng() % 40, h = 1 + rng() % 20;
        CRaster src = CRaster::Make(w, h, 24).value(), fast = CRaster::Make(w, h, 24).value();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Some white pixels and some equal channels.
                const int kind = byte(rng) % 5;
                src.SetPixelColor(x, y, kind == 0 ? kColorWhite : RGB(byte(rng), byte(rng), byte(rng)));
                fast.SetPixelColor(x, y, kind == 1 ? RGBQUADtoRGB(src.GetPixelColor(x, y)) : RGB(byte(rng), byte(rng), byte(rng)));
            }
        CRaster slow(fast);
        const int alpha = round < 3 ? (round == 0 ? 0 : round == 1 ? 255 : 128) : byte(rng);
        int x1 = rng() % w, x2 = rng() % w, y1 = rng() % h, y2 = rng() % h;
        if (x1 > x2) std::swap(x1, x2);
        if (y1 > y2) std::swap(y1, y2);
        // Twice with the same alpha: the second call runs on the cached table.
        for (int pass = 0; pass < 2; ++pass) {
            src.FastAlpha(fast, alpha, x1, x2, y1, y2);
            ReferenceAlpha(src, slow, alpha, x1, x2, y1, y2);
            ASSERT_EQ(Bytes(fast), Bytes(slow)) << "seed " << seed << " round " << round << " alpha " << alpha;
        }
    }
}

TEST(RasterInfo, LastErrorIsLimitedAndToWhiteFillsEveryByte)
{
    CRaster image = CRaster::Make(3, 3, 24).value();
    image.SetLastError(std::string(600, 'x').c_str());
    EXPECT_EQ(std::strlen(image.GetLastError()), 255u);
    image.ToWhite();
    for (std::uint8_t b : Bytes(image)) EXPECT_EQ(b, 255);
}
