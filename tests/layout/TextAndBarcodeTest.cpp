// Text: key colours, size rules, fitting and rendering through the font
// engine. Barcode: the Code 39 table, natural sizes, data checks.
#include "image/Raster.h"
#include "layout/barcode/Barcode39.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/text/DrawText.h"
#include "layout/face/FitPicture.h"
#include "layout/text/FontEngine.h"

#include "FaceTestUtil.h"

#include <iterator>

TEST(TextKeyColour, AvoidsBothTextColours)
{
    CDrawText text;
    EXPECT_EQ(text.GetBackgroundColour(), 0xFF00FFu);
    text.SetColour1(0xFF00FF);  // magenta glyphs
    EXPECT_EQ(text.GetBackgroundColour(), 0xFF0000u);
    text.SetColour2(0xFF0000);
    EXPECT_EQ(text.GetBackgroundColour(), 0x0000FFu);
    EXPECT_EQ(std::tuple(text.IsTransparent(), text.IsOutlined(), text.IsFilled()), std::tuple(true, true, false));
    text.SetAppearance(kTextBordered);
    EXPECT_EQ(std::tuple(text.IsFilled(), text.GetLineColour(), text.GetFillColour()),
              std::tuple(true, 0xFF00FFu, 0xFF0000u));
}

TEST(TextFont, CellHeightIsTheRequestedSizeAndArialResolves)
{
    CFontEngine& engine = CFontEngine::Get();
    EXPECT_TRUE(engine.IsFaceInstalled("Arial"));
    for (int size : {8, 12, 48, 100}) {
        CFontRequest f;
        f.height = size;
        int w = 0, h = 0;
        ASSERT_TRUE(engine.MeasureText(f, "Hello", w, h));
        EXPECT_EQ(h, size);
        EXPECT_GT(w, size);  // five letters are wider than one cell is high
    }
    CFontRequest normal, bold;
    normal.height = bold.height = 48;
    bold.bold = true;
    int plain = 0, heavy = 0, h = 0;
    engine.MeasureText(normal, "Wide text", plain, h);
    engine.MeasureText(bold, "Wide text", heavy, h);
    EXPECT_GT(heavy, plain);
}

TEST(TextFont, MissingFaceFallsBackAndSaysSoOnce)
{
    CFontEngine& engine = CFontEngine::Get();
    int messages = 0;
    engine.SetMessageSink([&](const std::string& text) {
        ++messages;
        EXPECT_NE(text.find("Nonexistent Face Zq"), std::string::npos);
    });
    CFontRequest f;
    f.face = "Nonexistent Face Zq";
    f.height = 20;
    int w = 0, h = 0;
    EXPECT_TRUE(engine.MeasureText(f, "abc", w, h));
    EXPECT_TRUE(w > 0 && h == 20);
    engine.MeasureText(f, "again", w, h);
    CTextMask mask;
    engine.RenderText(f, "x", mask);
    engine.SetMessageSink(nullptr);
    EXPECT_EQ(messages, 1);
    const auto warnings = engine.GetWarnings();
    EXPECT_EQ(std::count_if(warnings.begin(), warnings.end(),
                            [](const std::string& s) { return s.find("Nonexistent Face Zq") != std::string::npos; }),
              1);
}

TEST(TextSize, BoxFollowsTheFontAndTheMeasuredText)
{
    CDrawText text;
    text.SetText("Vantorel");
    text.SetSize(40);
    text.SetCoords(10, 200, 10, 200);
    text.FitToText();
    int w = 0, h = 0;
    text.MeasureExtent(-1, w, h);
    // The extent plus a pixel on each side; angle 0 keeps the top-left corner.
    EXPECT_EQ((std::array{h, text.GetWidth(), text.GetHeight(), text.GetMinX(), text.GetMaxY()}),
              (std::array{40, w + 2, 42, 10, 200}));

    // Dragging the top handle: the font becomes the box height - 2 and the
    // width the measured text of that font plus the margins.
    CDrawText probe;
    probe.SetText("Vantorel");
    probe.SetSize(60);
    int pw = 0, ph = 0;
    probe.MeasureExtent(-1, pw, ph);
    EXPECT_EQ(text.GetWidthForHeight(62), pw + 2);
    const int newWidth = text.GetWidthForHeight(62);
    EXPECT_TRUE(text.CanResizeTo(true, newWidth, true, 62));
    EXPECT_FALSE(text.CanResizeTo(true, newWidth + 5, true, 62));
    EXPECT_FALSE(text.CanResizeTo(false, 0, true, 258));  // font at most 255
    text.SetBounds(10, 200, 10 + newWidth, 138);
    EXPECT_EQ(std::pair(text.GetSize(), text.GetHeightForWidth(100)), std::pair(60u, 0));

    // Turned by 900 the sides swap their rules.
    text.SetAngle(900);
    EXPECT_EQ((std::array{text.GetMinWidth(), text.GetMinHeight(), text.GetMaxWidth(), text.GetWidthForHeight(50)}),
              (std::array{3, 1, 257, 0}));
    int vw = 0, vh = 0;
    text.MeasureExtent(-1, vw, vh);
    EXPECT_EQ(vw, 60);
    EXPECT_EQ(text.GetHeightForWidth(-1), vh + 2);
    text.SetBounds(0, 300, 22, 0);
    EXPECT_EQ(text.GetSize(), 20u);
}

TEST(TextRender, BoxIsOnePixelLargerThanTheGlyphExtentOnEverySide)
{
    for (int angle : {0, 900, 1800, 2700}) {
        CDrawText text;
        text.SetText("HHH");
        text.SetSize(30);
        text.SetColour1(0x0000FF);
        text.SetAngle(angle);
        text.SetCoords(150, 150, 150, 150);
        text.FitToText();
        CRaster face = Burnt(text, 300, 300);
        const SInk ink = FindInk(face, 0x0000FF);
        ASSERT_GT(ink.count, 0) << angle;
        // No key colour reaches the face.
        EXPECT_EQ(FindInk(face, text.GetBackgroundColour()).count, 0) << angle;
        // The ink stays inside the box less its one-pixel margin.
        EXPECT_TRUE(ink.minX >= text.GetMinX() + 1 && ink.maxX <= text.GetMaxX() - 1 && ink.minY >= text.GetMinY() + 1 &&
                    ink.maxY <= text.GetMaxY() - 1)
            << angle;
        // Capital H fills about 0.716 em, the em being 30 * 2048 / 2288 pixels.
        const double capHeight = 0.716 * 30 * 2048 / 2288;
        const int across = (angle == 900 || angle == 2700) ? ink.maxX - ink.minX + 1 : ink.maxY - ink.minY + 1;
        EXPECT_NEAR(across, capHeight, 1.5) << angle;
        const bool vertical = angle == 900 || angle == 2700;
        EXPECT_EQ(vertical ? text.GetWidth() : text.GetHeight(), 32) << angle;
    }
}

TEST(TextRender, OutlineLeavesTheInteriorAndExtrudeAddsTheDarkSide)
{
    CDrawText text;
    text.SetText("O");
    text.SetSize(60);
    text.SetColour1(0x0000FF);
    text.SetColour2(0x00FF00);
    text.SetCoords(10, 100, 10, 100);
    text.FitToText();
    CRaster normal = Burnt(text, 120, 120);
    const int glyph = FindInk(normal, 0x0000FF).count;

    text.SetAppearance(kTextOutline);
    CRaster outline = Burnt(text, 120, 120);
    const int ring = FindInk(outline, 0x0000FF).count;
    EXPECT_GT(ring, 0);
    EXPECT_EQ(FindInk(outline, text.GetBackgroundColour()).count, 0);
    // The glyph's own pixels are skipped, only the one-pixel ring remains.
    EXPECT_LT(ring, glyph);  // the bordered ring: TextInkBox

    text.SetAppearance(kTextExtrude);
    CRaster extrude = Burnt(text, 120, 120);
    EXPECT_GT(FindInk(extrude, 0x000000).count, 0);  // the dark side of the relief
}

TEST(Barcode39, TableMatchesTheSymbologyStructure)
{
    // Bars: the two-of-five sequence of the digit columns; wide space: gap 1
    // for digits, 2 for A-J, 3 for K-T, 0 for U-Z and "-. *".
    const char* bars[10] = {"10001", "01001", "11000", "00101", "10100",
                            "01100", "00011", "10010", "01010", "00110"};
    const std::string groups[4] = {"UVWXYZ-. *", "1234567890", "ABCDEFGHIJ", "KLMNOPQRST"};
    for (int g = 0; g < 4; ++g) {
        for (int col = 0; col < 10; ++col) {
            int want = 0;
            for (int e = 0; e < 9; ++e) {
                const bool wide = e % 2 == 0 ? bars[col][e / 2] == '1' : (e / 2) == g;
                want = (want << 1) | (wide ? 1 : 0);
            }
            EXPECT_EQ(CBarcode39::GetPattern(groups[g][col]), want) << groups[g][col];
        }
    }
    // The four with three wide spaces and no wide bar: the narrow space is gap 3, 2, 1, 0.
    // Nothing for a character the symbology lacks.
    EXPECT_EQ((std::vector{CBarcode39::GetPattern('$'), CBarcode39::GetPattern('/'), CBarcode39::GetPattern('+'),
                           CBarcode39::GetPattern('%'), CBarcode39::GetPattern('a'), CBarcode39::GetPattern('#')}),
              (std::vector{0b010101000, 0b010100010, 0b010001010, 0b000101010, -1, -1}));
}

TEST(Barcode39, NaturalSizeAndDataChecks)
{
    // A new symbol has 10-module light margins: 16 * 5 + 2 * 10 = 100 modules;
    // one stored without them (read from a record without the option) 80.
    CDrawBarcode barcode;
    ASSERT_TRUE(barcode.SetData("ABC"));
    int w = 0, h = 0;
    barcode.GetNaturalSize(w, h);
    EXPECT_EQ(std::pair(w, h), std::pair(100, 16));
    EXPECT_TRUE(static_cast<CDrawBarcode&>(*barcode.Clone(false, false)).GetQuietZones());
    barcode.SetQuietZones(false);
    EXPECT_FALSE(static_cast<CDrawBarcode&>(*barcode.Clone(false, false)).GetQuietZones());
    barcode.GetNaturalSize(w, h);
    EXPECT_EQ(w, 80);
    barcode.SetAngle(900);
    barcode.GetNaturalSize(w, h);
    EXPECT_EQ(std::tuple(w, h, barcode.GetMinHeight()), std::tuple(16, 80, 80));

    EXPECT_FALSE(barcode.SetData("abc"));
    EXPECT_EQ(barcode.GetData(), "ABC");  // unchanged
    EXPECT_TRUE(barcode.SetData("A*B"));  // the start/stop character is accepted
    CBarcode39 code;
    EXPECT_TRUE(code.SetData("A*B"));
    EXPECT_EQ(code.GetEncoded(), "*A*B*");
    EXPECT_FALSE(code.SetData("x"));
    EXPECT_EQ(code.GetEncoded(), "*A*B*");

    // Rotating by 900 (the command turns the box) swaps the box's sides.
    CDrawBarcode turned;
    turned.SetData("ABC");
    turned.SetCoords(0, 16, 100, 0);
    RotateDrawObject(turned, true);
    EXPECT_EQ(std::tuple(turned.GetWidth(), turned.GetHeight(), turned.GetAngle()), std::tuple(16, 100, 900));
}

TEST(Barcode39, LightMarginsAndTooShortABox)
{
    // The modules of a 200-pixel box are RenderToFace.BarcodeABCBarsAtEveryAngle's.
    CBarcode39 code;
    ASSERT_TRUE(code.SetData("ABC"));
    // With light margins a 240-pixel box holds 100 modules at m = 2: the
    // remainder (240 - 200) / 2 = 20 and 10 modules of margin put the first
    // bar at 40, where without them (m = 240 / 80 = 3) it starts at 0.
    for (const bool quiet : {false, true}) {
        CContentBitmap wide;
        ASSERT_TRUE(wide.Create(240, 16, 0, 0, 240, 16));
        wide.Fill(0x808080);
        code.SetQuietZones(quiet);
        code.Draw(wide, 0, 0, 240, 16);
        const int first = quiet ? 40 : 0;
        EXPECT_EQ(wide.GetPixel(first, 5), 0x000000u) << quiet;
        if (quiet) {
            EXPECT_EQ(wide.GetPixel(first - 1, 5), 0x808080u);
        }
    }
    code.SetQuietZones(false);

    // Too short a box: nothing visible.
    CContentBitmap small;
    ASSERT_TRUE(small.Create(79, 16, 0, 0, 79, 16));
    small.Fill(0x808080);
    code.Draw(small, 0, 0, 79, 16);
    for (int x = 0; x < 79; ++x)
        EXPECT_EQ(small.GetPixel(x, 0), 0x808080u);
}

TEST(FitPictureOpening, AspectRatioDecidesTheChoices)
{
    const CFitPictureOpening same = OpenFitPicture(400, 300, 800, 600, "Front", "DVD Box", 2);
    EXPECT_TRUE(same.fits);
    EXPECT_EQ(same.preselected, -1);

    const CFitPictureOpening wide = OpenFitPicture(800, 300, 400, 300, "Front", "DVD Box", -1);
    const auto choices = [](const CFitPictureOpening& o) { return std::vector<std::string>(std::begin(o.choices), std::end(o.choices)); };
    EXPECT_EQ(std::tuple(wide.fits, wide.wider, wide.preselected, wide.title), std::tuple(false, true, 0, "Fit Picture To Front"));
    EXPECT_EQ(choices(wide), (std::vector<std::string>{"Use the &Left part of the Picture", "Use the &Center part of the Picture",
                                                       "Use the &Right part of the Picture"}));
    EXPECT_EQ(wide.explanation,
              "The Picture is not the same aspect ratio as the Front of the DVD Box. Therefore, in order to use "
              "this Picture, it will either need to be stretched or cropped to match. Please select from:-");

    const CFitPictureOpening tall = OpenFitPicture(300, 800, 400, 300, "Spine", "Book", 3);
    EXPECT_EQ(std::pair(tall.wider, tall.preselected), std::pair(false, 3));
    EXPECT_EQ(choices(tall), (std::vector<std::string>{"Use the &Top part of the Picture", "Use the &Center part of the Picture",
                                                       "Use the &Bottom part of the Picture"}));
}
