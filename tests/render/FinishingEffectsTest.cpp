// Finishing effects: hand-computed values from the integer arithmetic of each
// effect, plus plain reference versions compared on seeded random pictures;
// the backdrop sweep against the light applied pixel by pixel. Lens flare:
// element geometry from the element table, a glow value worked out by hand,
// the three blendings and tiny pictures; and the painter, which skips
// elements row by row, against a literal version that visits every element
// at every pixel and must give the same layer, byte for byte.

#include "PixelTestUtil.h"

#include "image/colour/SrgbTables.h"
#include "render/effects/BackdropSweep.h"
#include "render/effects/FinishingEffects.h"
#include "render/effects/LensFlare.h"

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

constexpr std::uint32_t kDefaultColor = 0x00FFFF;  // red 255, green 255, blue 0

struct SRefLayer {
    int w, h;
    bool exists = false;
    std::vector<int> r, g, b;
    SRefLayer(int width, int height) : w(width), h(height), r(width * height), g(width * height), b(width * height) {}
    void Get(int x, int y, int& R, int& G, int& B) const
    {
        R = G = B = 0;
        if (!exists || x < 0 || y < 0 || x >= w || y >= h) return;
        R = r[y * w + x], G = g[y * w + x], B = b[y * w + x];
    }
    void Put(int x, int y, int R, int G, int B)
    {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        if (!exists && R == 0 && G == 0 && B == 0) return;
        exists = true;
        r[y * w + x] = R, g[y * w + x] = G, b[y * w + x] = B;
    }
};

int Cl(double v)
{
    const double q = std::nearbyint(v);
    return q < 0 ? 0 : (q > 255 ? 255 : static_cast<int>(q));
}

SRefLayer ReferencePaint(int W, int H, unsigned color, int x, int y, double k)
{
    SRefLayer L(W, H);
    SFlareElement e[8];
    CLensFlare::ComputeElements(W, H, x, y, color, k, e);  // geometry is checked on its own elsewhere
    const double base = 0.05 * (W + H);
    for (int py = 0; py < H; ++py)
        for (int px = 0; px < W; ++px) {
            double s[3] = {0, 0, 0};
            for (int i = 0; i < 8; ++i) {
                if (e[i].radius <= 0) continue;
                const double d = std::sqrt((px - e[i].cx) * (px - e[i].cx) + (py - e[i].cy) * (py - e[i].cy)) / e[i].radius;
                double p;
                if (e[i].profile == 0) p = (1 - d) * (1 - d) * FlareEdge(d);
                else if (e[i].profile == 1) p = d * FlareEdge(d);
                else {
                    const double q = 1 - 12.5 * std::fabs(d - 0.92);
                    p = q >= 0 ? q * q * q * q : 0;
                }
                if (p != 0) {
                    s[0] += p * e[i].strength * e[i].red * k;
                    s[1] += p * e[i].strength * e[i].green * k;
                    s[2] += p * e[i].strength * e[i].blue * k;
                }
                if (s[0] >= 255 && s[1] >= 255 && s[2] >= 255) break;
            }
            L.Put(px, py, Cl(s[0]), Cl(s[1]), Cl(s[2]));
        }
    for (int a = 0; a < 100; ++a) {
        long long sum = (37621LL * a) % 2000;
        for (int j = 1; j <= 7; ++j) sum += (7524200LL + a + (j - 2) * 3762100LL) % 2000;
        const long long n = static_cast<long long>(std::nearbyint(sum * 0.0005 * base * k * 0.5));
        double px = e[0].cx, py = e[0].cy;
        for (long long step = 0; step < n; ++step) {
            for (int u = 0; u <= 2; ++u)
                for (int v = 0; v <= 2; ++v) {
                    const int tx = static_cast<int>(std::nearbyint(px + u)), ty = static_cast<int>(std::nearbyint(py + v));
                    if (tx < 0 || ty < 0 || tx >= W || ty >= H) continue;
                    const double w = 0.5 * std::pow(1 - (u * u + v * v) / 4.0, 4);
                    int R, G, B;
                    L.Get(tx, ty, R, G, B);
                    L.Put(tx, ty, Cl(R + w * e[0].red * k * 0.05), Cl(G + w * e[0].green * k * 0.05),
                          Cl(B + w * e[0].blue * k * 0.05));
                }
            px += std::cos(static_cast<double>(a));
            py += std::sin(static_cast<double>(a));
        }
    }
    const double rr = 0.92 * base * k, h = base * k * 0.05 + 1, h2 = h + 1;
    for (int py = static_cast<int>(std::nearbyint(e[0].cy - rr - 2)); py <= static_cast<int>(std::nearbyint(e[0].cy + rr + 2)); ++py)
        for (int px = static_cast<int>(std::nearbyint(e[0].cx - rr - 2)); px <= static_cast<int>(std::nearbyint(e[0].cx + rr + 2)); ++px) {
            if (px < 0 || py < 0 || px >= W || py >= H) continue;
            const double ax = std::fabs(px - e[0].cx), ay = std::fabs(py - e[0].cy);
            double s;
            if (ax < h || ay < h) s = 0.05;
            else if (ax < h2 || ay < h2) s = 0.02;
            else continue;
            int R, G, B;
            L.Get(px, py, R, G, B);
            L.Put(px, py, Cl(R + s * 1.5 * e[0].red * k), Cl(G + s * e[0].green * k), Cl(B + s * e[0].blue * k));
        }
    return L;
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
// half mirrored, equal rows copied) and its rows of many colours, whole or
// around covered columns, against the light applied pixel by pixel.
TEST(BackdropSweep, RowsMatchThePerPixelLight)
{
    const CSrgbTables& t = SrgbTables();
    struct Case { int w, h, firstRow, pictureW, pictureH; std::uint32_t colour; bool varied; };
    for (const Case& c : {Case{9, 40, 0, 9, 40, 0xFFFFFF, false}, Case{10, 12, 20, 10, 40, Rgb(244, 239, 228), false},
                          Case{7, 12, 5, 10, 40, Rgb(90, 30, 200), false}, Case{150, 6, 30, 150, 40, 0, true},
                          Case{1201, 3, 30, 1201, 40, 0xFFFFFF, false}, Case{1000, 2, 25, 1000, 40, Rgb(244, 239, 228), false}}) {
        CPixelBuffer band = Band(c.w, c.h, c.colour, c.varied);
        const CPixelBuffer before = band;
        std::vector<CCoveredRow> covered(static_cast<std::size_t>(c.h)); // on odd rows of varied bands
        const auto isCovered = [&](int x, int y) { return c.varied && y % 2 && x >= 10 + 7 * y && x <= 70 + 9 * y; };
        for (int y = 1; y < c.h; y += 2) covered[static_cast<std::size_t>(y)].Add(10 + 7 * y, 70 + 9 * y);
        ApplyBackdropSweep(band.View(), c.firstRow, c.pictureW, c.pictureH, c.varied ? covered.data() : nullptr);
        if (!c.varied) { // filled under the light at once: the same pixels
            CPixelBuffer filled(c.w, c.h);
            FillBackdropSweep(filled.View(), c.firstRow, c.pictureW, c.pictureH, c.colour);
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x) ASSERT_EQ(filled.Get(x, y), band.Get(x, y)) << c.w << " at " << x << ", " << y;
        }
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                if (isCovered(x, y)) continue;
                const float light = static_cast<float>(SweepRowLight(c.firstRow + y, c.pictureH)) *
                                    static_cast<float>(SweepColumnLight(x, c.pictureW));
                for (int ch = 0; ch < 3; ++ch)
                    ASSERT_EQ(Channel(band.Get(x, y), ch), t.Encode(t.decode[Channel(before.Get(x, y), ch)] * light))
                        << c.w << " x " << c.h << " at " << x << ", " << y;
            }
    }
}

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

TEST(LensFlareReference, PainterMatchesLiteralAlgorithmOnRandomInput)
{
    const unsigned seed = 20261206;
    std::mt19937 rng(seed);
    for (int round = 0; round < 12; ++round) {
        const int W = 1 + static_cast<int>(rng() % 160), H = 1 + static_cast<int>(rng() % 120);
        const unsigned color = rng() & 0xFFFFFF;
        const int x = static_cast<int>(rng() % (3 * W)) - W, y = static_cast<int>(rng() % (3 * H)) - H;
        const double k = (50 + rng() % 151) * 0.01;
        CLensFlare flare;
        flare.Paint(W, H, color, x, y, k);
        const SRefLayer ref = ReferencePaint(W, H, color, x, y, k);
        ASSERT_EQ(flare.GetLayer().Exists(), ref.exists) << "seed " << seed << " round " << round;
        for (int py = 0; py < H; ++py)
            for (int px = 0; px < W; ++px) {
                int a[3], b[3];
                flare.GetLayer().Get(px, py, a[0], a[1], a[2]);
                ref.Get(px, py, b[0], b[1], b[2]);
                ASSERT_TRUE(a[0] == b[0] && a[1] == b[1] && a[2] == b[2])
                    << "seed " << seed << " round " << round << " size " << W << "x" << H << " flare " << x << ","
                    << y << " k " << k << " colour " << std::hex << color << std::dec << " at " << px << "," << py;
            }
    }
}
