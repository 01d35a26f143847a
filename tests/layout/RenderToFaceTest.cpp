// Objects burnt into face pictures: pixel positions worked out by hand from
// the drawing rules (face pixels, y up; bitmap column c / row r from the top
// lands on (min x + c, max y - r)). Pictures with alpha: a PNG's alpha channel
// (or its palette's transparency entries) reaches the face as the alpha blend,
// beside the key colour; it survives the record streams, turning and copies,
// and a picture without alpha is burnt in exactly as before.
#include "FaceTestUtil.h"

#include "image/Raster.h"
#include "layout/barcode/Barcode39.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/objects/RecordStream.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/shapes/Margin.h"

#include <cstdio>

namespace {

constexpr COLORREF kGrey = 0x808080;

// Code 39 modules of `encoded` from the characters' patterns (each held to the
// symbology's structure by Barcode39.TableMatchesTheSymbologyStructure): nine
// elements, bar first, a wide one three modules, a narrow space after each character.
std::string Modules(const std::string& encoded)
{
    std::string out;
    for (char ch : encoded) {
        const int pattern = CBarcode39::GetPattern(ch);
        EXPECT_GE(pattern, 0) << ch;
        for (int e = 0; e < 9; ++e)
            out += std::string((pattern >> (8 - e) & 1) ? 3 : 1, e % 2 == 0 ? 'B' : 'W');
        out += 'W';
    }
    return out;
}

// x1, y1, x2, y2 as stored.
std::array<int, 4> Coords(const CDrawObject& o) { return {o.GetX1(), o.GetY1(), o.GetX2(), o.GetY2()}; }

// A picture of tests/data/alpha (written by its make.py) placed with its
// top-left corner at (x, y).
std::unique_ptr<CDrawPicture> AlphaPicture(const char* name, int x, int y)
{
    std::string message;
    auto picture = CDrawPicture::CreateFromFile(std::string(VT_TEST_DATA_DIR "/alpha/") + name, x, y, message);
    EXPECT_TRUE(picture) << message;
    return picture;
}

struct Px {
    int r, g, b, a;
};

// The alpha blend, worked out in floating point: over * a + under * (1 - a).
COLORREF Expected(const Px& p, COLORREF under)
{
    const auto ch = [&](int over, int shift) {
        const double u = (under >> shift) & 0xFF;
        return static_cast<COLORREF>(std::lround((over * p.a + u * (255 - p.a)) / 255.0)) << shift;
    };
    return ch(p.r, 0) | ch(p.g, 8) | ch(p.b, 16);
}

// rgba.png, 4 x 2: full, three-quarter, half, faint and no cover.
const std::vector<std::vector<Px>> kPixels = {
    {{200, 10, 30, 255}, {0, 0, 255, 192}, {255, 255, 255, 128}, {90, 200, 40, 1}},
    {{10, 20, 30, 0}, {255, 0, 0, 64}, {0, 0, 0, 200}, {250, 128, 5, 255}},
};

}  // namespace

TEST(RenderToFace, RectangleFillAndBorderFollowTheStyle)
{
    CDrawRect rect;
    rect.SetCoords(2, 12, 8, 4);  // x 2..8, y 4..12 inclusive
    rect.SetLineColour(0x0000FF);
    rect.SetFillColour(0x00FF00);
    rect.SetStyle(kStyleFilled);
    CRaster face = Burnt(rect, 20, 20, kGrey);
    // Filled 7 x 9 from corner to corner, no border with style 1.
    EXPECT_EQ(std::pair(FindInk(face, 0x00FF00).count, FindInk(face, 0x0000FF).count), std::pair(7 * 9, 0));
    EXPECT_EQ((std::array{At(face, 2, 4), At(face, 8, 12), At(face, 9, 12)}), (std::array<COLORREF, 3>{0x00FF00, 0x00FF00, kGrey}));

    rect.SetStyle(kStyleOutlinedFilled);
    rect.RenderToFace(face);
    // The box's edge pixels border the fill inside them.
    EXPECT_EQ(std::pair(FindInk(face, 0x0000FF).count, FindInk(face, 0x00FF00).count), std::pair(2 * 7 + 2 * 7, 5 * 7));
    EXPECT_EQ(std::pair(At(face, 2, 8), At(face, 3, 8)), std::pair(COLORREF(0x0000FF), COLORREF(0x00FF00)));

    rect.SetStyle(kStyleOutlined);
    const CRaster outline = Burnt(rect, 20, 20, kGrey);
    EXPECT_EQ(std::pair(FindInk(outline, 0x0000FF).count, At(outline, 5, 8)), std::pair(28, kGrey));
}

TEST(RenderToFace, LinesIncludeBothEndsAndSurviveHugeCoordinates)
{
    CDrawLine line;
    line.SetLineColour(0xFF0000);
    line.SetCoords(1, 1, 4, 4);
    const CRaster face = Burnt(line, 10, 10, kGrey);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(At(face, i, i), 0xFF0000u);
    EXPECT_EQ(FindInk(face, 0xFF0000).count, 4);

    line.SetCoords(3, 7, 3, 7);
    const CRaster dot = Burnt(line, 10, 10, kGrey);
    EXPECT_EQ(std::pair(FindInk(dot, 0xFF0000).count, At(dot, 3, 7)), std::pair(1, COLORREF(0xFF0000)));

    // A stored line of absurd length is clipped, not walked: the visible part is
    // the diagonal through the face.
    line.SetCoords(-2000000000, -2000000000, 2000000000, 2000000000);
    const CRaster big = Burnt(line, 10, 10, kGrey);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(At(big, i, i), 0xFF0000u) << i;
}

TEST(RenderToFace, FilledPolygonCoversConcaveShapesByTheEvenOddRule)
{
    CDrawPolygon u;
    // A "U": the notch between x 10 and 20 above y 10 stays empty.
    u.SetPoints({{0, 0}, {29, 0}, {29, 29}, {20, 29}, {20, 10}, {10, 10}, {10, 29}, {0, 29}});
    u.SetStyle(kStyleFilled);
    u.SetFillColour(0x00FF00);
    const CRaster face = Burnt(u, 30, 30, kGrey);
    // Both arms and the base filled, the notch not; the notch's floor is an edge.
    EXPECT_EQ((std::array{At(face, 5, 20), At(face, 25, 20), At(face, 15, 5), At(face, 15, 20), At(face, 15, 10)}),
              (std::array<COLORREF, 5>{0x00FF00, 0x00FF00, 0x00FF00, kGrey, 0x00FF00}));
}

TEST(RenderToFace, MarginBandsAndTrianglesAtTheirPixels)
{
    // Type 1 at 10 % on a 500-pixel-high face: a filled box 50 pixels high on
    // the bottom edge (rows 0 .. 50 inclusive, as every rectangle is drawn).
    auto band = CreateMarginObject(1, 300, 500, 50, 10, 0x0000FF, 0xFF0000);
    ASSERT_TRUE(band);
    EXPECT_EQ(std::tuple(std::string(band->GetKindCode()), band->GetWidth(), band->GetHeight(), band->IsFilled(), band->IsOutlined()),
              std::tuple("RECT", 299, 50, true, false));
    CRaster face = Burnt(*band, 300, 500, kGrey);
    EXPECT_EQ(std::tuple(FindInk(face, 0x0000FF).count, At(face, 299, 50), At(face, 0, 51)),
              std::tuple(300 * 51, COLORREF(0x0000FF), kGrey));

    // The other bands: W = 200, H = 100, h = 20 (10 %), v = 30 (30 %).
    struct Expect {
        int type, x1, y1, x2, y2;
    };
    const Expect boxes[] = {
        {0, 0, 99, 199, 69}, {1, 0, 0, 199, 30}, {2, 0, 0, 20, 99}, {3, 199, 0, 179, 99}};
    for (const Expect& e : boxes) {
        auto o = CreateMarginObject(e.type, 200, 100, 10, 30, 0x0000FF, 0);
        ASSERT_TRUE(o);
        EXPECT_EQ(Coords(*o), (std::array{e.x1, e.y1, e.x2, e.y2})) << e.type;
    }

    // Corner triangles: the corner pixel and the two legs' ends are filled, the
    // point just beyond the hypotenuse is not.
    struct Tri {
        int type;
        CDrawPoint corner, alongX, alongY, outside;
    };
    const Tri tris[] = {
        {4, {0, 99}, {20, 99}, {0, 69}, {15, 80}},
        {5, {199, 99}, {179, 99}, {199, 69}, {184, 80}},
        {6, {0, 0}, {20, 0}, {0, 30}, {15, 20}},
        {7, {199, 0}, {179, 0}, {199, 30}, {184, 20}},
    };
    for (const Tri& t : tris) {
        auto o = CreateMarginObject(t.type, 200, 100, 10, 30, 0x0000FF, 0);
        ASSERT_TRUE(o);
        EXPECT_STREQ(o->GetKindCode(), "POLYGON");
        CRaster f = Burnt(*o, 200, 100, kGrey);
        const auto at = [&f](CDrawPoint p) { return At(f, p.x, p.y); };
        EXPECT_EQ((std::array{at(t.corner), at(t.alongX), at(t.alongY), at(t.outside)}),
                  (std::array<COLORREF, 4>{0x0000FF, 0x0000FF, 0x0000FF, kGrey}))
            << t.type;
        // Area close to h * v / 2 plus the edge pixels.
        const int n = FindInk(f, 0x0000FF).count;
        EXPECT_GT(n, 20 * 30 / 2) << t.type;
        EXPECT_LT(n, 20 * 30 / 2 + 20 + 30 + 40) << t.type;
    }
    EXPECT_EQ(CreateMarginObject(8, 200, 100, 10, 10, 0, 0), nullptr);
}

TEST(MarginSliders, FarSidesCountFromTheOtherEnd)
{
    // Sliders top, bottom (from the left), left, right (from the top); a
    // margin on the bottom or the right takes 100 - position.
    const MarginSliderPositions at = {70, 20, 90, 75};
    const struct {
        int type, hSlider, vSlider, h, v;
    } rows[] = {{0, -1, 2, 0, 90}, {1, -1, 2, 0, 10}, {2, 0, -1, 70, 0}, {3, 0, -1, 30, 0}, {4, 0, 2, 70, 90},
                {5, 0, 3, 30, 75}, {6, 1, 2, 20, 10}, {7, 1, 3, 80, 25},  {8, -1, -1, 0, 0}};
    for (const auto& r : rows) {
        const SMarginSliderUse use = GetMarginSliders(r.type);
        EXPECT_EQ(std::tuple(use.h, use.v, GetMarginPercents(r.type, at)),
                  std::tuple(r.hSlider, r.vSlider, std::pair(r.h, r.v)))
            << "type " << r.type;
    }
}

TEST(RenderToFace, BarcodeABCBarsAtEveryAngle)
{
    const std::string modules = Modules("*ABC*");
    ASSERT_EQ(modules.size(), 80u);
    // A 200-pixel box: m = 200 / 80 = 2, a 160-pixel symbol starting 20 in.
    const int m = 2, start = 20, length = 200;
    for (int angle : {0, 900, 1800, 2700}) {
        CDrawBarcode barcode;
        ASSERT_TRUE(barcode.SetData("ABC"));
        barcode.SetAngle(angle);
        const bool vertical = angle == 900 || angle == 2700;
        // Box: 200 x 16 (or 16 x 200) with its bottom-left corner at (10, 30).
        if (vertical)
            barcode.SetCoords(10, 30 + length, 10 + 16, 30);
        else
            barcode.SetCoords(10, 30 + 16, 10 + length, 30);
        CRaster face = Burnt(barcode, 300, 300, kGrey);
        // Position p along the symbol's direction, measured from its starting edge.
        for (int p = 0; p < length; ++p) {
            const int k = p - start;
            const COLORREF want = (k >= 0 && k < 160 && modules[k / m] == 'B') ? 0x000000 : 0xFFFFFF;
            int x = 0, y = 0;
            switch (angle) {
            case 0: x = 10 + p; y = 40; break;                    // left to right
            case 1800: x = 10 + length - 1 - p; y = 40; break;    // right to left
            case 900: x = 18; y = 31 + p; break;                  // bottom row is r = H - 1 -> y = min y + 1
            default: x = 18; y = 30 + length - p; break;          // top row r = 0 -> y = max y
            }
            ASSERT_EQ(At(face, x, y), want) << "angle " << angle << " position " << p;
        }
        // Nothing outside the box: the column left of it and the row below it.
        EXPECT_EQ(At(face, 9, 40), kGrey);
        EXPECT_EQ(At(face, 12, 30), kGrey);
    }
}

TEST(RenderToFace, TransparentPicturePixelsLeaveTheFaceVisible)
{
    auto image = std::make_shared<CRaster>(CRaster::Make(4, 2, 24).value());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image->SetPixelColor(x, y, (x + y) % 2 ? COLORREF{0xFFFFFF} : COLORREF{0x0000FF});
    auto picture = CDrawPicture::CreateFromImage(image, 3, 6);  // top-left corner (3, 6)
    EXPECT_EQ(Coords(*picture), (std::array{3, 6, 7, 4}));

    CRaster opaque = Burnt(*picture, 10, 10, kGrey);
    // Bitmap row 0 (image top row, y = 1) lands on face row 6, row 1 on 5.
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(At(opaque, 3 + c, 6), (c + 1) % 2 ? 0xFFFFFFu : 0x0000FFu) << c;
        EXPECT_EQ(At(opaque, 3 + c, 5), c % 2 ? 0xFFFFFFu : 0x0000FFu) << c;
    }
    EXPECT_EQ(FindInk(opaque, 0xFFFFFF).count, 4);

    picture->SetTransparent(true);  // transparent colour white
    CRaster see = Burnt(*picture, 10, 10, kGrey);
    EXPECT_EQ(std::tuple(FindInk(see, 0xFFFFFF).count, FindInk(see, 0x0000FF).count, At(see, 3, 6)), std::tuple(0, 4, kGrey));
}

TEST(RenderToFace, ListDrawsInOrderAndHugeBoxesCostNothingOffTheFace)
{
    CDrawObjectList list;
    auto back = std::make_unique<CDrawRect>();
    back->SetCoords(0, 9, 9, 0);
    back->SetStyle(kStyleFilled);
    back->SetFillColour(0x0000FF);
    list.Add(std::move(back));
    auto front = std::make_unique<CDrawRect>();
    front->SetCoords(0, 4, 9, 0);
    front->SetStyle(kStyleFilled);
    front->SetFillColour(0x00FF00);
    list.Add(std::move(front));
    auto huge = std::make_unique<CDrawBarcode>();
    huge->SetData("X");
    huge->SetCoords(-900000, 900000, 900000, -900000);
    list.Add(std::move(huge));
    CRaster face = Burnt(list, 10, 10, kGrey);
    // The huge barcode covers everything with its symbol's middle.
    EXPECT_EQ(FindInk(face, 0x0000FF).count + FindInk(face, 0x00FF00).count, 0);

    list.Remove(2);
    CRaster again = Burnt(list, 10, 10, kGrey);
    EXPECT_EQ(std::pair(FindInk(again, 0x00FF00).count, FindInk(again, 0x0000FF).count), std::pair(50, 50));
}

TEST(PictureFile, InsertedPictureTakesTheImageSizeOrSaysItCouldNotBeRead)
{
    const std::string dir = ::testing::TempDir();
    const std::string path = dir + "/layout_picture_300x200.bmp";
    CRaster image = CRaster::Make(300, 200, 24).value();
    image.ToWhite();
    image.SetPixelColor(0, 199, COLORREF{0x0000FF});
    ASSERT_TRUE(image.Save(path.c_str(), IMAGE_TYPE_BMP));
    std::string message;
    auto picture = CDrawPicture::CreateFromFile(path, 10, 400, message);
    ASSERT_TRUE(picture) << message;
    EXPECT_TRUE(message.empty());
    EXPECT_EQ(Coords(*picture), (std::array{10, 400, 310, 200}));
    EXPECT_EQ(std::pair(picture->IsTransparent(), picture->GetTransparentColour()), std::pair(false, COLORREF(0xFFFFFF)));
    // Turned left it becomes 200 x 300.
    RotateDrawObject(*picture, true);
    EXPECT_EQ(std::pair(picture->GetWidth(), picture->GetHeight()), std::pair(200, 300));
    std::remove(path.c_str());

    const std::string missing = dir + "/no_such_picture.png";
    auto none = CDrawPicture::CreateFromFile(missing, 0, 0, message);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(message, "Picture " + missing + " could not be read.");
}

TEST(PictureAlpha, AlphaPngOverAColouredFaceIsTheAlphaBlend)
{
    auto picture = AlphaPicture("rgba.png", 3, 5);
    ASSERT_TRUE(picture);
    const COLORREF under = RGB(40, 160, 90);
    CRaster face = Burnt(*picture, 10, 8, under);
    // Box top-left at (3, 5): picture row r lands on face y = 5 - r.
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(At(face, 3 + c, 5 - r), Expected(kPixels[r][c], under)) << c << "," << r;
    EXPECT_EQ(At(face, 2, 5), under);  // outside the box: untouched
}

TEST(PictureAlpha, KeyColourStillSkipsItsPixelsBesideTheAlpha)
{
    auto picture = AlphaPicture("rgba.png", 0, 1);
    ASSERT_TRUE(picture);
    picture->SetTransparentColour(RGB(250, 128, 5));  // the opaque last pixel of row 1
    picture->SetTransparent(true);
    const COLORREF under = RGB(7, 7, 7);
    CRaster face = Burnt(*picture, 4, 2, under);
    // The key skipped, an opaque pixel copied, the half-covering one blended.
    EXPECT_EQ((std::array{At(face, 3, 0), At(face, 0, 1), At(face, 2, 1)}),
              (std::array{under, RGB(200, 10, 30), Expected(kPixels[0][2], under)}));
}

TEST(PictureAlpha, PaletteTransparencyEntriesBecomeAlpha)
{
    // Red, green and blue; transparency 0 and 100, the blue entry without one: opaque.
    auto picture = AlphaPicture("palette.png", 0, 0);
    ASSERT_TRUE(picture);
    const COLORREF under = RGB(100, 100, 100);
    CRaster face = Burnt(*picture, 3, 1, under);
    EXPECT_EQ((std::array{At(face, 0, 0), At(face, 1, 0), At(face, 2, 0)}),
              (std::array{under, Expected({0, 255, 0, 100}, under), RGB(0, 0, 255)}));
}

TEST(PictureAlpha, AlphaSurvivesRecordsAndTurning)
{
    auto picture = AlphaPicture("rgba.png", 0, 3);
    ASSERT_TRUE(picture);
    // Through the binary record (project file, clipboard) and back.
    std::unique_ptr<CDrawObject> back = ReadBack(*picture);
    ASSERT_TRUE(back);
    const COLORREF under = RGB(0, 90, 200);
    const CRaster a = Burnt(*picture, 4, 4, under), b = Burnt(*back, 4, 4, under);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(b, x, y), At(a, x, y)) << x << "," << y;
    // Turned left (box 2 x 4, top-left kept at (0, 3)): picture column c,
    // row r (from the top) lands on box column r, row 3 - c from the top,
    // which is face pixel (r, 3 - (3 - c)) = (r, c); its alpha goes with it.
    auto* turned = dynamic_cast<CDrawPicture*>(back.get());
    ASSERT_TRUE(turned);
    turned->RotateLeft(0, 0);
    turned->SetBoxToImage();
    CRaster t = Burnt(*turned, 4, 4, under);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(At(t, r, c), Expected(kPixels[r][c], under)) << c << "," << r;
}

TEST(PictureAlpha, OpaquePictureRecordHasNoAlphaAndBurnsInAsBefore)
{
    auto image = std::make_shared<CRaster>(CRaster::Make(2, 1, 24).value());
    image->SetPixelColor(0, 0, RGB(1, 2, 3));
    image->SetPixelColor(1, 0, RGB(250, 251, 252));
    auto picture = CDrawPicture::CreateFromImage(image, 0, 0);
    CBinaryRecordStream out;
    picture->Save(out, false, false);
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(out.Flatten(block));
    // Last two pixels as stored: 0x00BBGGRR, top byte 0.
    EXPECT_TRUE(block[block.size() - 1] == 0 && block[block.size() - 5] == 0);
    CRaster face = Burnt(*picture, 2, 1, RGB(9, 9, 9));
    EXPECT_EQ(std::pair(At(face, 0, 0), At(face, 1, 0)), std::pair(RGB(1, 2, 3), RGB(250, 251, 252)));
}
