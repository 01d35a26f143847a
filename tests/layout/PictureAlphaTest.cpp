// Pictures with alpha: a PNG's alpha channel (or its palette's transparency
// entries) reaches the face as the alpha blend, beside the key colour;
// it survives the record streams, turning and copies, and a picture
// without alpha is burnt in exactly as before.
#include "FaceTestUtil.h"

#include "image/Raster.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/objects/RecordStream.h"

namespace {

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
