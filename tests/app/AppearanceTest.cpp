// Face appearance pictures: colour, gradients, textures, patterns and picture
// fitting, checked against values worked out by hand from the formulas.

#include "TempFolder.h"
#include "properties/Appearance.h"

#include "image/Raster.h"

namespace {

SettingStore Settings(int type, int baseW, int baseH, int k, COLORREF c1 = 0, COLORREF c2 = 0)
{
    SettingStore s;
    s.SetInt(SideKey(10001), type);
    s.SetInt(SideKey(10014), baseW);
    s.SetInt(SideKey(10015), baseH);
    s.SetInt(SideKey(10013), k);
    s.SetInt(SideKey(10004), static_cast<std::int32_t>(c1));
    s.SetInt(SideKey(10005), static_cast<std::int32_t>(c2));
    return s;
}

// Colour at (x, yTop) with y counted from the top row.
COLORREF AtTop(const CRaster& r, int x, int yTop)
{
    return RGBQUADtoRGB(r.GetPixelColor(x, r.GetHeight() - 1 - yTop));
}

std::unique_ptr<CRaster> Build(const SettingStore& s, const CRaster* texture = nullptr)
{
    std::unique_ptr<CRaster> pic;
    EXPECT_TRUE(BuildAppearance(s, pic, texture));
    return pic;
}

} // namespace

TEST(Appearance, UnusableSizesFailWithoutAPicture)
{
    const SettingStore bad[] = {Settings(1, 0, 50, 1), Settings(1, 100, -3, 1), Settings(2, 100, 50, 0),
                                Settings(1, 70000, 10, 1), Settings(4, 1 << 20, 1 << 20, 1 << 10)};
    for (const SettingStore& s : bad) {
        auto pic = std::make_unique<CRaster>(CRaster::Make(4, 4, 24).value());
        EXPECT_TRUE(!BuildAppearance(s, pic, nullptr) && pic == nullptr);
    }
}

TEST(Appearance, TextureDivisorRuleAndTiling)
{
    // {scale, k, block}; 4 and 3 reduce to 2 and 1.
    for (const auto& [scale, k, block] : {std::array{1, 4, 4}, {2, 4, 2}, {4, 4, 1}, {16, 4, 1}, {2, 8, 4}, {4, 3, 1}, {8, 1, 1}})
        EXPECT_EQ(GetTextureBlockSize(scale, k), block) << scale << " " << k;

    // A 3 x 2 texture of distinct colours, top row (10..12), bottom row (20..22).
    CRaster texture = CRaster::Make(3, 2, 24).value();
    for (int x = 0; x < 3; ++x) {
        texture.SetPixelColor(x, 1, RGB(10 + x, 0, 0));
        texture.SetPixelColor(x, 0, RGB(20 + x, 0, 0));
    }
    // Texture scale 4: one texture pixel per picture pixel; scale 1: each covers 4 x 4.
    SettingStore s = Settings(3, 2, 2, 4); // 8 x 8 picture
    for (const auto& [scale, block] : {std::pair{4, 1}, {1, 4}}) {
        s.SetInt(SideKey(10008), scale);
        auto pic = Build(s, &texture);
        ASSERT_TRUE(pic);
        for (int yTop = 0; yTop < 8; ++yTop)
            for (int x = 0; x < 8; ++x) {
                const unsigned expected = (yTop / block % 2 == 0 ? 10u : 20u) + static_cast<unsigned>((x / block) % 3);
                ASSERT_EQ(AtTop(*pic, x, yTop), RGB(expected, 0, 0)) << scale << ": " << x << "," << yTop;
            }
    }
}

TEST(Appearance, GradientShapesFollowTheirFormulas)
{
    // Style 0 and 16 on a 10 x 2 picture, red channel only: a = 200, b = 100.
    SettingStore s = Settings(2, 10, 2, 1, RGB(200, 0, 0), RGB(100, 0, 0));
    auto pic = Build(s);
    ASSERT_TRUE(pic);
    // B at the left, then (100 * 7 + 200 * 3) / 10 = 130 and (100 * 1 + 200 * 9) / 10 = 190.
    EXPECT_EQ((std::vector{GetRValue(AtTop(*pic, 0, 0)), GetRValue(AtTop(*pic, 3, 0)), GetRValue(AtTop(*pic, 9, 1))}),
              (std::vector<std::uint8_t>{100, 130, 190}));
    s.SetInt(SideKey(10003), 16); // colours exchanged: 200 at the left, (200 * 7 + 100 * 3) / 10 = 170
    pic = Build(s);
    EXPECT_EQ(std::pair(GetRValue(AtTop(*pic, 0, 0)), GetRValue(AtTop(*pic, 3, 0))), (std::pair<std::uint8_t, std::uint8_t>(200, 170)));

    // Shape 1 on a picture of height 100: colour 2 in the top row, nearly colour 1 at the bottom.
    CRaster tall = CRaster::Make(3, 100, 24).value();
    PaintGradient(tall, 1, RGB(250, 40, 0), RGB(10, 240, 100));
    EXPECT_EQ(AtTop(tall, 1, 0), RGB(10, 240, 100));
    EXPECT_EQ(AtTop(tall, 1, 99), RGB((10 * 1 + 250 * 99) / 100, (240 * 1 + 40 * 99) / 100, (100 * 1 + 0) / 100));

    // Hand-worked single pixels on a 4 x 2 picture (W = 4, H = 2), a = 240, b = 0.
    CRaster small = CRaster::Make(4, 2, 24).value();
    auto red = [&](int shape, int x, int yTop) {
        PaintGradient(small, shape, RGB(240, 0, 0), RGB(0, 0, 0));
        return GetRValue(AtTop(small, x, yTop));
    };
    EXPECT_EQ(red(2, 1, 0), 240 * 2 / 4);               // d = |2 - 4| = 2
    EXPECT_EQ(red(3, 0, 0), 240 * 2 / 2);               // d = |0 - 2| = 2 -> A at the top
    EXPECT_EQ(red(4, 2, 1), (240 * 2 / 4 + 240 * 1 / 2) / 2);
    EXPECT_EQ(red(5, 2, 0), (240 * 2 / 4 + 240 * 2 / 2) / 2); // second term (a(H-y) + b y)/H at y = 0
    EXPECT_EQ(red(6, 1, 1), 240 * (6 - 2) / 6);         // S = 6, d = |4 - 6| = 2
    EXPECT_EQ(red(7, 1, 1), 240 * (6 - 2) / 6);         // d = |2(1 + 1) - 6| = 2
    EXPECT_EQ(red(8, 1, 1), 240 * 4 / 8);               // W y = 4 > x H = 2: p = 4
    EXPECT_EQ(red(8, 3, 1), 240 * 6 / 8);               // W y = 4 <= x H = 6: p = 6
    EXPECT_EQ(red(9, 1, 1), 240 * 6 / 8);               // x' = 3: W y = 4 <= 6: p = x' H = 6
    EXPECT_EQ(red(10, 1, 1), 240 * 4 / 8);              // W (H - y) = 4 > x H = 2: p = 4
    EXPECT_EQ(red(11, 1, 1), 240 * 6 / 8);              // W (H - y) = 4 <= x' H = 6: p = 6
    EXPECT_EQ(red(12, 0, 0), 240 * 0 / 8);              // dx = 4, dy = 2: W (H - dy) = 0 > 0 fails: p = H (W - dx) = 0
    EXPECT_EQ(red(12, 2, 1), 240 * 8 / 8);              // dx = 0, dy = 0: p = W H
    EXPECT_EQ(red(13, 0, 0), 240 * 8 / 8);              // W dy = 8 <= H dx = 8: p = H dx = 8
    EXPECT_EQ(red(13, 1, 1), 240 * 4 / 8);              // dx = 2, dy = 0: 0 <= 4: p = H dx = 4
    // Shape 14: r = min(1, sqrt(fx^2 + fy^2)); at (1, 0): fx = 2/4, fy = 0 -> r = 0.5
    EXPECT_EQ(red(14, 1, 0), 120);
    EXPECT_EQ(red(14, 2, 1), 240);                      // fx = fy = 1 -> r = 1
    EXPECT_EQ(red(15, 0, 0), 240);                      // 1 - fx = 1, 1 - fy = 1
    EXPECT_EQ(red(15, 1, 1), static_cast<int>(std::lround(240 * std::sqrt(0.25 + 0.0))));
}

TEST(Appearance, PatternTableAndPainting)
{
    int count = 0;
    for (int n = 0; n < 300; ++n)
        count += GetPatternBitmap(n) != nullptr;
    EXPECT_EQ(count, 51);
    EXPECT_TRUE(GetPatternBitmap(132) == nullptr && GetPatternBitmap(194) == nullptr);

    // Pattern 177, black and white, cell 1, k 1: a one-pixel checkerboard whose
    // top-left pixel is clear (colour 1) since row 0x55 starts with a 0 bit.
    SettingStore s = Settings(4, 16, 16, 1, RGB(0, 0, 0), RGB(255, 255, 255));
    s.SetInt(SideKey(10002), 177);
    s.SetInt(SideKey(10009), 1);
    auto pic = Build(s);
    ASSERT_TRUE(pic);
    for (int yTop = 0; yTop < 16; ++yTop)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(AtTop(*pic, x, yTop), (x + yTop) % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0)) << x << "," << yTop;

    // Pattern 131 with cell 2 and k 2: 4-pixel cells, left half clear in the top four cell rows.
    for (auto [id, value] : {std::pair{10002, 131}, {10009, 2}, {10013, 2}, {10014, 40}, {10015, 40}})
        s.SetInt(SideKey(id), value);
    pic = Build(s);
    ASSERT_TRUE(pic);
    // Cell (3, 3): the bit of 0x0F at column 3 is clear; cell (4, 0) is set; cell row 4
    // is 0xF0, its column 0 set; the pattern repeats every 8 cells: cell 12 is cell 4.
    EXPECT_EQ((std::vector{AtTop(*pic, 15, 15), AtTop(*pic, 16, 0), AtTop(*pic, 0, 16), AtTop(*pic, 32 + 16, 0)}),
              (std::vector<COLORREF>{RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)}));

    // A pattern number without a bitmap leaves the picture as created.
    s.SetInt(SideKey(10002), 140);
    pic = Build(s);
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->GetWidth(), 80);
}

TEST(Appearance, PictureFitting)
{
    // A 12 x 4 source whose columns carry their x in red and rows their y in green.
    CRaster wide = CRaster::Make(12, 4, 24).value();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x)
            wide.SetPixelColor(x, y, RGB(static_cast<unsigned>(x), static_cast<unsigned>(y), 0));

    // Face 2:1 -> crop to 8 x 4 (excess 4 columns).
    const int starts[3] = {0, 2, 4};
    for (int fit = kFitStart; fit <= kFitEnd; ++fit) {
        auto out = FitPicture(wide, 100, 50, fit);
        ASSERT_TRUE(out);
        EXPECT_EQ(std::tuple(out->GetWidth(), out->GetHeight(), GetRValue(RGBQUADtoRGB(out->GetPixelColor(0, 0))),
                             GetGValue(RGBQUADtoRGB(out->GetPixelColor(0, 3)))),
                  std::tuple(8, 4, starts[fit - 1], 3)) << "fit " << fit;
    }
    // A taller source: 4 wide, 12 high, face 1:2 -> crop to 4 x 8; top part = the highest rows.
    CRaster tall = CRaster::Make(4, 12, 24).value();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 4; ++x)
            tall.SetPixelColor(x, y, RGB(0, static_cast<unsigned>(y), 0));
    const int topRow[3] = {11, 9, 7};
    for (int fit = kFitStart; fit <= kFitEnd; ++fit) {
        auto out = FitPicture(tall, 50, 100, fit);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->GetHeight(), 8);
        EXPECT_EQ(GetGValue(RGBQUADtoRGB(out->GetPixelColor(0, 7))), topRow[fit - 1]) << "fit " << fit;
    }
    // Stretch to the face size, nearest pixel: target x maps to source x * 12 / 6.
    auto stretched = FitPicture(wide, 6, 6, kFitStretch);
    ASSERT_TRUE(stretched);
    EXPECT_EQ(std::tuple(stretched->GetWidth(), stretched->GetHeight(), GetRValue(RGBQUADtoRGB(stretched->GetPixelColor(5, 0))),
                         GetGValue(RGBQUADtoRGB(stretched->GetPixelColor(0, 5)))),
              std::tuple(6, 6, 10, 5 * 4 / 6));

    // Through BuildAppearance: a picture side keeps its picture when no fitting is needed.
    SettingStore s = Settings(0, 10, 5, 1);
    s.SetInt(SideKey(10010), -1);
    std::unique_ptr<CRaster> pic = std::make_unique<CRaster>(wide);
    ASSERT_TRUE(BuildAppearance(s, pic, nullptr));
    EXPECT_EQ(pic->GetWidth(), 12);
    s.SetInt(SideKey(10010), kFitMiddle); // fitted, then fitting again changes nothing
    for (int pass = 0; pass < 2; ++pass)
        EXPECT_TRUE(BuildAppearance(s, pic, nullptr) && pic->GetWidth() == 8) << pass;
}

TEST(Appearance, ColourWritesEveryRowByte)
{
    // Five pixels of three bytes make a 16-byte row: its last byte stays white.
    auto pic = Build(Settings(1, 5, 3, 1, RGB(10, 20, 30)));
    ASSERT_TRUE(pic && pic->GetEffWidth() == 16);
    for (int y = 0; y < 3; ++y) {
        const std::uint8_t* row = pic->GetBits(y);
        for (int x = 0; x < 5; ++x)
            EXPECT_TRUE(row[3 * x] == 30 && row[3 * x + 1] == 20 && row[3 * x + 2] == 10) << x << "," << y;
        EXPECT_EQ(row[15], 0xFF);
    }
}
