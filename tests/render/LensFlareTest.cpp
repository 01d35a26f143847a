// Lens flare: element geometry from the element table, a glow value worked
// out by hand, the three blendings and tiny pictures.

#include "render/effects/LensFlare.h"
#include "PixelTestUtil.h"

constexpr std::uint32_t kDefaultColor = 0x00FFFF;  // red 255, green 255, blue 0

TEST(LensFlareElements, RingGrowsWithIntensityAndPositionIsClamped)
{
    SFlareElement e[CLensFlare::kElementCount];
    CLensFlare::ComputeElements(400, 400, 320, 280, kDefaultColor, 2.0, e);
    EXPECT_EQ(std::pair(e[6].radius, e[0].radius), std::pair(80, 160)); // other radii do not depend on the intensity
    CLensFlare::ComputeElements(300, 100, 0, 0, kDefaultColor, 0.5, e);
    EXPECT_EQ(e[6].radius, 10);   // round(0.05 * 400 * 0.5)
    // An old project's flare far outside the picture: the chain is clamped to the edge.
    CLensFlare::ComputeElements(400, 400, -5000, 9000, kDefaultColor, 1.0, e);
    EXPECT_NEAR(e[0].cx, 0.0, 1e-9);
    EXPECT_NEAR(e[0].cy, 400.0, 1e-9);
    EXPECT_NEAR(e[7].cx, 1.36 * 200 + 200, 1e-9);
    EXPECT_NEAR(e[7].cy, -1.36 * 200 + 200, 1e-9);
}

TEST(LensFlareElements, EdgeProfile)
{
    EXPECT_EQ((std::vector{FlareEdge(0.0), FlareEdge(0.8999), FlareEdge(1.1)}), (std::vector{1.0, 1.0, 0.0}));
    EXPECT_NEAR(FlareEdge(0.9), 1.0, 1e-12);
    // d = 1.0: t = 0.5 (up to the factor's last bit), 1 - 0.25 / 2 = 0.875.
    EXPECT_NEAR(FlareEdge(1.0), 0.875, 1e-9);
}

// Every element's place, size and colour on 400 x 400 at the default position
// (x = 320, y = 280: dx = 0.6, dy = 0.4, base 40); the painting of given
// elements is LensFlareReference's, pixel for pixel.
TEST(LensFlarePaint, ElementsFollowTheTableAndTheGlowReachesAlone)
{
    struct Row { double a, b, c, fr, fg, fb; int profile; };
    const Row table[8] = {{1.0, 2.0, 1.0, .9, .9, .9, 0},     {1.36, .3, .25, .5, .3, .3, 1},
                          {.44, .5, .5, .2, .2, .4, 1},       {.49, .2, .5, .4, .4, .7, 1},
                          {.38, .3, .5, .3, .3, .5, 1},       {-.49, .24, .5, .6, .5, .2, 1},
                          {1.0, .5, .5, .5, .05, .1, 2},      {-1.36, 1.1, .5, .4, .4, .7, 1}};
    SFlareElement e[CLensFlare::kElementCount];
    CLensFlare::ComputeElements(400, 400, 320, 280, kDefaultColor, 1.0, e);
    for (int i = 0; i < 8; ++i) {
        const Row& t = table[i];
        EXPECT_NEAR(e[i].cx, 0.6 * t.a * 200 + 200, 1e-9) << i;
        EXPECT_NEAR(e[i].cy, 0.4 * t.a * 200 + 200, 1e-9) << i;
        // The colour has no blue.
        EXPECT_EQ(std::tuple(e[i].radius, e[i].strength, e[i].red, e[i].green, e[i].blue, e[i].profile),
                  std::tuple(static_cast<int>(std::round(80 * t.b)), t.c, 255 * t.fr, 255 * t.fg, 0.0, t.profile))
            << i;
    }
    // (320, 180): 100 pixels below the primary flare, beyond every ray and the
    // glint. Only the glow reaches it: d = 100 / 160, p = 0.375^2 = 0.140625,
    // red = green = 0.140625 * 229.5 = 32.27 -> 32; blue 0.
    CLensFlare flare;
    flare.Paint(400, 400, kDefaultColor, 320, 280, 1.0);
    int r, g, b;
    flare.GetLayer().Get(320, 180, r, g, b);
    EXPECT_EQ(std::tuple(r, g, b), std::tuple(32, 32, 0));
}

TEST(LensFlarePaint, ZeroIntensityCreatesNoLayerAndComposeIsANoOp)
{
    CLensFlare flare;
    flare.Paint(64, 48, kDefaultColor, 10, 10, 0.0);
    EXPECT_FALSE(flare.GetLayer().Exists());
    CPixelBuffer src = RandomPicture(64, 48, 3);
    CPixelBuffer pic = src;
    flare.Compose(pic.View(), kFlareAlpha, 128);  // alpha would darken if a layer existed
    EXPECT_EQ(pic.Bytes(), src.Bytes());
}

TEST(LensFlarePaint, SafeOnTinyPictures)
{
    // One-pixel pictures (halfW = 0) and non-finite stored positions do not crash.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 7}, std::pair{9, 1}}) {
        CPixelBuffer t(w, h, 40);
        EXPECT_TRUE(CLensFlare::Apply(t.View(), kDefaultColor, 0.8, 0.7, 200, kFlareAlpha, 128));
        EXPECT_TRUE(CLensFlare::Apply(t.View(), kDefaultColor, NAN, INFINITY, 100, kFlareSubtractive, 1));
    }
}

TEST(LensFlareCompose, BlendingRules)
{
    CLensFlare flare;
    flare.Paint(100, 100, kDefaultColor, 80, 70, 1.0);
    ASSERT_TRUE(flare.GetLayer().Exists());
    const CFlareLayer& layer = flare.GetLayer();

    CPixelBuffer white(100, 100, 255), black(100, 100, 0);
    CPixelBuffer w2 = white, b2 = black;
    flare.Compose(w2.View(), kFlareAdditive, 0);
    EXPECT_EQ(w2.Bytes(), white.Bytes());  // additive never changes pure white
    flare.Compose(b2.View(), kFlareSubtractive, 0);
    EXPECT_EQ(b2.Bytes(), black.Bytes());  // subtractive never changes pure black
    CPixelBuffer b3 = black;
    flare.Compose(b3.View(), 9, 0);        // unknown blending is subtractive
    EXPECT_EQ(b3.Bytes(), black.Bytes());

    CPixelBuffer src = RandomPicture(100, 100, 21);
    CPixelBuffer add = src, sub = src, mix255 = src, mix1 = src, mix100 = src;
    flare.Compose(add.View(), kFlareAdditive, 0);
    flare.Compose(sub.View(), kFlareSubtractive, 0);
    flare.Compose(mix255.View(), kFlareAlpha, 255);
    flare.Compose(mix1.View(), kFlareAlpha, 1);
    flare.Compose(mix100.View(), kFlareAlpha, 100);
    int zeroPixels = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            int l[3];
            layer.Get(x, y, l[0], l[1], l[2]);
            const std::uint32_t p = src.Get(x, y);
            const bool white = (p & 0xFFFFFF) == 0xFFFFFF, blk = (p & 0xFFFFFF) == 0;
            const bool zero = l[0] == 0 && l[1] == 0 && l[2] == 0;
            zeroPixels += zero;
            for (int ch = 0; ch < 3; ++ch) {
                const int pc = static_cast<int>((p >> (8 * ch)) & 0xFF);
                const auto at = [&](const CPixelBuffer& pic) { return static_cast<int>((pic.Get(x, y) >> (8 * ch)) & 0xFF); };
                ASSERT_EQ(at(add), zero || white ? pc : std::min(255, pc + l[ch]));
                ASSERT_EQ(at(sub), zero || blk ? pc : std::max(0, pc - l[ch]));
                ASSERT_EQ(at(mix100), (l[ch] * 155 + pc * 100) / 255);
                if (zero) {
                    ASSERT_EQ(at(mix255), pc);       // mix 255 keeps the picture where the layer is 0
                    ASSERT_EQ(at(mix1), pc / 255);   // mix 1 makes it almost black there
                }
            }
        }
    }
    EXPECT_GT(zeroPixels, 0);
}
