// Finishing effects: hand-computed values from the integer arithmetic of each
// effect, plus plain reference versions compared on seeded random pictures;
// the backdrop sweep against the light applied pixel by pixel.

#include "PixelTestUtil.h"

#include "image/colour/SrgbTables.h"
#include "render/effects/BackdropSweep.h"
#include "render/effects/FinishingEffects.h"

namespace {

CPixelBuffer Uniform(int w, int h, std::uint32_t c)
{
    CPixelBuffer b(w, h);
    b.Fill(c);
    return b;
}

CPixelBuffer Band(int w, int h, std::uint32_t colour, bool varied)
{
    std::mt19937 rng(7);
    CPixelBuffer b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.Set(x, y, varied ? rng() & 0xFFFFFF : colour);
    return b;
}

}  // namespace

TEST(ColorEffect, PerPixelStylesMatchHandValues)
{
    struct Case {
        int style;
        std::uint32_t color, in, out;
    } cases[] = {
        {1, Rgb(255, 0, 0), Rgb(255, 255, 255), Rgb(255, 0, 0)},   // colorize white to red
        {1, Rgb(255, 0, 0), Rgb(128, 128, 128), Rgb(128, 0, 0)},   // 384 * 255 / 765 = 128
        {1, Rgb(0, 100, 200), Rgb(10, 20, 31), Rgb(0, 7, 15)},     // 61*100/765=7, 61*200/765=15
        {2, 0, Rgb(10, 20, 31), Rgb(20, 20, 20)},                  // 61 / 3
        {3, 0, Rgb(10, 20, 31), Rgb(245, 235, 224)},
        {4, 0, Rgb(10, 20, 31), Rgb(234, 234, 234)},               // (765 - 61) / 3
        {0, 0, Rgb(10, 20, 31), Rgb(20, 20, 20)},                  // unknown styles are grey scale
        {6, 0, Rgb(10, 20, 31), Rgb(20, 20, 20)},
        {-3, 0, Rgb(255, 255, 254), Rgb(254, 254, 254)},
    };
    // Tall, wide and one-pixel pictures: every pixel is reached.
    for (const Case& c : cases)
        for (auto [w, h] : {std::pair{3, 17}, std::pair{17, 3}, std::pair{1, 1}}) {
            CPixelBuffer b = Uniform(w, h, c.in);
            ApplyColorEffect(b.View(), c.style, c.color);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(b.Get(x, y), c.out) << "style " << c.style << " in " << std::hex << c.in;
        }
}

TEST(Emboss, MatchesReferenceOnRandomPictures)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        const int w = 13, h = 9;
        CPixelBuffer src = RandomPicture(w, h, seed);
        CPixelBuffer b = src;
        ApplyColorEffect(b.View(), 5, 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                auto at = [&](int xx, int yy, int ch) {
                    return (xx < 0 || yy < 0 || xx >= w || yy >= h) ? 0 : Channel(src.Get(xx, yy), ch);
                };
                for (int ch = 0; ch < 3; ++ch) {
                    const int v = std::clamp(at(x - 1, y + 1, ch) - at(x + 1, y - 1, ch) + 127, 0, 255);
                    ASSERT_EQ(Channel(b.Get(x, y), ch), v) << "seed " << seed << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(Bevel, NonPositiveSizeChangesNothingAndUnknownStylesIndent)
{
    CPixelBuffer src = RandomPicture(8, 8, 9);
    for (int n : {0, -4}) {
        CPixelBuffer b = src;
        ApplyBevel(b.View(), 1, n, 0);
        EXPECT_EQ(b.Bytes(), src.Bytes());
    }
    CPixelBuffer indent = src, unknown = src;
    ApplyBevel(indent.View(), 2, 3, 0);
    ApplyBevel(unknown.View(), 7, 3, 0);
    EXPECT_EQ(unknown.Bytes(), indent.Bytes());
}

TEST(Bevel, OverlappingRingsMatchLiteralRingLoop)
{
    // 100 x 60 with 40 rings: the rings overlap in the middle and later rings
    // blend over earlier ones. The reference walks every ring literally.
    for (int style : {1, 2, 3}) {
        for (auto [w, h, n] : {std::tuple{100, 60, 40}, std::tuple{7, 30, 25}, std::tuple{5, 5, 100}}) {
            CPixelBuffer src = RandomPicture(w, h, 40 + style);
            CPixelBuffer b = src;
            const std::uint32_t color = Rgb(10, 200, 90);
            ApplyBevel(b.View(), style, n, color);

            CPixelBuffer ref = src;
            const int A = style == 1 ? 224 : 128, B = style == 1 ? 128 : 224;
            auto blend = [&](int x, int y, bool useA, int a) {
                if (x < 0 || y < 0 || x >= w || y >= h) return;
                std::uint32_t p = ref.Get(x, y), out = 0;
                for (int ch = 0; ch < 3; ++ch) {
                    const int c = style == 3 ? Channel(color, ch) : (useA ? A : B);
                    out |= static_cast<std::uint32_t>((Channel(p, ch) * a + c * (255 - a)) / 255) << (8 * ch);
                }
                ref.Set(x, y, out);
            };
            for (int k = 0; k < n; ++k) {
                const int a = style == 3 ? 255 * k / n : 128;
                for (int x = k; x <= w - 1 - k; ++x) {
                    blend(x, k, false, a);
                    blend(x, h - 1 - k, true, a);
                }
                for (int y = k + 1; y <= h - 2 - k; ++y) {
                    blend(k, y, true, a);
                    blend(w - 1 - k, y, false, a);
                }
            }
            ASSERT_EQ(b.Bytes(), ref.Bytes()) << "style " << style << " " << w << "x" << h << " n " << n;
        }
    }
}

TEST(Border, ColoursExactlyTheFrame)
{
    CPixelBuffer b = Uniform(100, 100, Rgb(255, 255, 255));
    ApplyBorder(b.View(), 5, Rgb(1, 2, 3));
    int coloured = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inFrame = x < 5 || x >= 95 || y < 5 || y >= 95;
            const std::uint32_t c = b.Get(x, y);
            ASSERT_EQ(c, inFrame ? Rgb(1, 2, 3) : Rgb(255, 255, 255)) << x << "," << y;
            coloured += c == Rgb(1, 2, 3);
        }
    EXPECT_EQ(coloured, 100 * 100 - 90 * 90);

    CPixelBuffer all = Uniform(6, 4, 0), none = all;
    ApplyBorder(all.View(), 9, Rgb(7, 7, 7));  // wider than the picture: everything
    EXPECT_EQ(all.Bytes(), Uniform(6, 4, Rgb(7, 7, 7)).Bytes());
    ApplyBorder(none.View(), 0, Rgb(7, 7, 7));
    EXPECT_EQ(none.Bytes(), Uniform(6, 4, 0).Bytes());
}

TEST(ColorBalance, NeutralValuesLeavePictureUntouched)
{
    CPixelBuffer src = RandomPicture(17, 11, 5);
    CPixelBuffer b = src;
    ApplyColorBalance(b.View(), 100, 100, 100, 100, 100);
    EXPECT_EQ(b.Bytes(), src.Bytes());
    // Even when the step runs, the neutral arithmetic is the identity for every value.
    for (int c = 0; c < 256; ++c) EXPECT_EQ(ColorBalanceChannel(c, 100, 100, 100), c);
}

TEST(ColorBalance, HandValues)
{
    // v = (100c + 1) * Br / 100 - 1 in hundredths; then (v * balance / 100) / 100:
    // 200 at Br 150: 30000 -> 300, clamped; at Br 50: 1000050 / 100 - 1 = 9999; red balance 50;
    // 0 at Br 50: 1 * 50 / 100 - 1 = -1 -> 0. Contrast pivots on mid-grey: 128 stays; 200 at
    // 150: (20000 - 12800) * 1.5 + 12800 = 23600; 0 at 50: 6400; 0 at 150: -6400, clamped.
    const int cases[][5] = {{200, 150, 100, 100, 255}, {200, 50, 100, 100, 99}, {200, 100, 100, 50, 100},
                            {0, 50, 100, 100, 0},      {128, 100, 150, 100, 128}, {128, 100, 50, 100, 128},
                            {200, 100, 150, 100, 236}, {0, 100, 50, 100, 64},     {0, 100, 150, 100, 0},
                            {255, 100, 150, 100, 255}};
    for (const auto& c : cases)
        EXPECT_EQ(ColorBalanceChannel(c[0], c[1], c[2], c[3]), c[4]) << c[0] << " " << c[1] << " " << c[2] << " " << c[3];

    CPixelBuffer b = Uniform(2, 2, Rgb(200, 200, 200));
    ApplyColorBalance(b.View(), 100, 100, 50, 100, 150);
    EXPECT_EQ(b.Get(1, 1), Rgb(100, 200, 255));
}

// The sweep's shortcuts for one-colour rows (a grey encoded once, the right
// half mirrored, equal rows copied) against the light applied pixel by pixel.
TEST(BackdropSweep, OneColourRowsMatchThePerPixelLight)
{
    const CSrgbTables& t = SrgbTables();
    struct Case { int w, h, firstRow, pictureW, pictureH; std::uint32_t colour; bool varied; };
    for (const Case& c : {Case{9, 40, 0, 9, 40, 0xFFFFFF, false}, Case{10, 12, 20, 10, 40, Rgb(244, 239, 228), false},
                          Case{7, 12, 5, 10, 40, Rgb(90, 30, 200), false}, Case{37, 6, 30, 37, 40, 0, true},
                          Case{1201, 3, 30, 1201, 40, 0xFFFFFF, false}, Case{1000, 2, 25, 1000, 40, Rgb(244, 239, 228), false}}) {
        CPixelBuffer band = Band(c.w, c.h, c.colour, c.varied);
        const CPixelBuffer before = band;
        ApplyBackdropSweep(band.View(), c.firstRow, c.pictureW, c.pictureH);
        if (!c.varied) { // filled under the light at once: the same pixels
            CPixelBuffer filled(c.w, c.h);
            FillBackdropSweep(filled.View(), c.firstRow, c.pictureW, c.pictureH, c.colour);
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x) ASSERT_EQ(filled.Get(x, y), band.Get(x, y)) << c.w << " at " << x << ", " << y;
        }
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const float light = static_cast<float>(SweepRowLight(c.firstRow + y, c.pictureH)) *
                                    static_cast<float>(SweepColumnLight(x, c.pictureW));
                for (int ch = 0; ch < 3; ++ch)
                    ASSERT_EQ(Channel(band.Get(x, y), ch), t.Encode(t.decode[Channel(before.Get(x, y), ch)] * light))
                        << c.w << " x " << c.h << " at " << x << ", " << y;
            }
    }
}
