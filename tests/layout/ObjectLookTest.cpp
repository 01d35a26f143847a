// The look of objects: wide and dashed lines, rounded corners and opacity
// burnt into the face, the optional record words that carry them, and the
// picture crop and fit; the commands that add, remove, fill and spread
// objects, walked through one face, and the size a barcode drawn by hand grows to.
#include "FaceTestUtil.h"

#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "layout/barcode/BarcodePlacement.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/objects/RecordStream.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"
#include "layout/text/TextVariables.h"
#include "properties/settings/SettingTable.h"

namespace {

std::unique_ptr<CDrawRect> Rect(std::uint32_t style)
{
    auto r = std::make_unique<CDrawRect>();
    r->SetCoords(10, 10, 50, 40);
    r->SetStyle(style);
    r->SetLineColour(0x0000FF);  // red
    r->SetFillColour(0xFF0000);  // blue
    return r;
}

}  // namespace

TEST(ObjectLook, WideLinesCornersAndOpacityReachTheFace)
{
    // A 4-pixel border lies along the inside of the box: rows 10..13 of the
    // bottom edge are red, row 14 is not.
    auto wide = Rect(kStyleOutlined);
    wide->SetLineWidth(4);
    CRaster face = Burnt(*wide, 60, 50);
    for (int y = 10; y <= 13; ++y)
        EXPECT_EQ(At(face, 30, y), 0x0000FFu) << y;
    EXPECT_EQ(At(face, 30, 14), 0xFFFFFFu);

    // Half opacity: red over white is (255, 127.5, 127.5) per channel.
    auto faded = Rect(kStyleOutlined);
    faded->SetOpacity(50);
    face = Burnt(*faded, 60, 50);
    const COLORREF half = At(face, 30, 10);
    EXPECT_EQ(half & 0xFF, 0xFFu);
    EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 127, 1);
    EXPECT_NEAR(static_cast<int>((half >> 16) & 0xFF), 127, 1);

    // A radius of 10 leaves the filled box's corner pixel bare, not its middle.
    auto round = Rect(kStyleFilled);
    round->SetCornerRadius(10);
    face = Burnt(*round, 60, 50);
    EXPECT_EQ(std::pair(At(face, 10, 10), At(face, 30, 25)), std::pair(0xFFFFFFu, 0xFF0000u));

    // A dashed edge: some of its pixels red, some white.
    auto dashed = Rect(kStyleOutlined);
    dashed->SetDash(kDashDash);
    face = Burnt(*dashed, 60, 50);
    int red = 0;
    for (int x = 12; x < 48; ++x)
        red += At(face, x, 10) == 0x0000FFu ? 1 : 0;
    EXPECT_TRUE(red > 0 && red < 36) << red;
}

TEST(ObjectLook, RecordCarriesTheLookAndAPlainObjectWritesNothingNew)
{
    auto r = Rect(kStyleOutlined);
    CTextRecordStream plain;
    SaveDrawObject(plain, *r, true, false);
    r->SetLineWidth(3);
    r->SetDash(kDashDot);
    r->SetCornerRadius(5);
    r->SetOpacity(70);
    const std::unique_ptr<CDrawObject> back = ReadBack(*r, false);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tuple(back->GetLineWidth(), back->GetDash(), back->GetCornerRadius(), back->GetOpacity()),
              std::tuple(3, kDashDot, 5, 70u));
    // Back at the defaults, the record is the one it always was.
    r->SetLineWidth(1);
    r->SetDash(kDashSolid);
    r->SetCornerRadius(0);
    r->SetOpacity(100);
    CTextRecordStream again;
    SaveDrawObject(again, *r, true, false);
    EXPECT_EQ(again.GetText(), plain.GetText());
}

TEST(ObjectLook, PictureCropsKeepingItsPlaceAndFitsInsideTheFace)
{
    auto image = std::make_shared<CRaster>(CRaster::Make(100, 50, 24).value());
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            image->SetPixelColor(x, y, x < 50 ? 0x0000FF : 0x00FF00);  // left half red
    auto picture = CDrawPicture::CreateFromImage(image, 0, 49);
    // Cutting 50 % off the left keeps the green half where it was.
    ASSERT_TRUE(picture->Crop(50, 0, 0, 0));
    EXPECT_EQ(std::tuple(picture->GetImage()->GetWidth(), RGBQUADtoRGB(picture->GetImage()->GetPixelColor(0, 0)),
                         picture->GetMinX(), picture->GetWidth()),
              std::tuple(50, 0x00FF00u, 50, 50));
    EXPECT_FALSE(picture->Crop(60, 0, 40, 0));  // nothing would remain
    // 100 x 50 on a 40 x 40 face: scaled to 40 x 20 and moved onto it.
    auto big = CDrawPicture::CreateFromImage(image, 30, 45);
    ObjectCommands::KeepOnFace(*big, 40, 40);
    EXPECT_EQ(std::pair(big->GetWidth(), big->GetHeight()), std::pair(40, 20));
    EXPECT_TRUE(big->GetMinX() >= 0 && big->GetMaxY() <= 40);
}

TEST(ObjectCommands, AddRemoveAndFillTextVariables)
{
    CDrawObjectList list;
    for (int i = 0; i < 3; ++i)
        ObjectCommands::Add(list, std::make_unique<CDrawRect>(), true);
    // Only the newest is selected, dominant, at the front.
    EXPECT_EQ(list.GetObject(2)->GetSelection(), kSelectDominant);
    EXPECT_FALSE(list.GetObject(0)->IsSelected() || list.GetObject(1)->IsSelected());

    EXPECT_EQ(ObjectCommands::Remove(list, 3), "There is no such object on this face.");
    EXPECT_EQ(list.GetObjectCount(), 3u);
    EXPECT_EQ(ObjectCommands::Remove(list, 0), "");
    ObjectCommands::RemoveSelected(list);
    EXPECT_EQ(list.GetObjectCount(), 1u);

    auto text = std::make_unique<CDrawText>();
    text->SetText("{title} vol. {n} {unknown}");
    CDrawObject* added = ObjectCommands::Add(list, std::move(text), false);
    EXPECT_EQ(FillTextVariables(list, {{"title", "Moon"}, {"n", "3"}}), 1);
    EXPECT_EQ(added->GetText(), "Moon vol. 3 {unknown}");
    EXPECT_EQ(FillTextVariables(list, {{"title", "Sun"}}), 0);  // no "{title}" is left
}

// Equal gaps between the outer two: 0..10, 20..30 and 100..120 hold 40 pixels
// of objects in 120, so each gap is 40. Top to bottom: tops 90, 70 and 30,
// each 10 high: 70 pixels hold 30, so the gaps are 20 and the middle top is 60.
TEST(ObjectCommands, DistributeMakesTheGapsEqual)
{
    CDrawObjectList list;
    const int boxes[3][4] = {{0, 90, 10, 80}, {20, 70, 30, 60}, {100, 30, 120, 20}};
    for (const auto& b : boxes) {
        auto rect = std::make_unique<CDrawRect>();
        rect->SetCoords(b[0], b[1], b[2], b[3]);
        rect->SetSelection(kSelectOn);
        list.Add(std::move(rect));
    }
    EXPECT_EQ(ObjectCommands::Distribute(list, true), "");
    EXPECT_EQ(std::pair(list.GetObject(1)->GetMinX(), list.GetObject(2)->GetMinX()), std::pair(50, 100));
    EXPECT_EQ(ObjectCommands::Distribute(list, false), "");
    EXPECT_EQ(list.GetObject(1)->GetMaxY(), 60);
    list.GetObject(0)->SetSelection(kSelectNone);
    EXPECT_EQ(ObjectCommands::Distribute(list, true), "Select three or more objects to distribute.");
}

// A 150 mm wide box rendered at 1200 x 1200 with a 300 x 200 front: the front
// has 2 pixels a millimetre, the rendering 0.5 * 1200 / 150 = 4, so the 3
// rendering pixels a module that scanners need are ceil(3 * 0.5) = 2 face
// pixels. A barcode drawn smaller grows to that module from its top-left
// corner, its bars at least a quarter of its length long, and stays on the face.
TEST(BarcodePlacement, ADrawnBarcodeGrowsToWhatScans)
{
    std::unique_ptr<CProduct> product = CreateProduct("BOX");
    SettingStore& s = product->GetSettings();
    s.SetReal(ModelKey(kSetProductWidth), 150.0);
    s.SetReal(ModelKey(kSetProductHeight), 100.0);
    s.SetReal(ModelKey(kSetProductDepth), 20.0);
    s.SetInt(ModelKey(kSetRenderWidth), 1200);
    s.SetInt(ModelKey(kSetRenderHeight), 1200);
    product->GetOrCreateSide("F").SetPicture(std::make_unique<CRaster>(CRaster::Make(300, 200, 24).value()));
    // Code 39 "ABC": 16 * (3 + 2) = 80 modules and two light margins of 10
    // (200 pixels); EAN-13: 11 + 95 + 7 modules by 69 + 10 (226 x 158).
    const struct {
        EBarcodeKind kind;
        const char* data;
        int left, top, right, bottom;
        int grownLeft, grownTop, grownRight, grownBottom;
    } cases[] = {
        {EBarcodeKind::Code39, "ABC", 20, 90, 30, 85, 20, 90, 220, 40},
        {EBarcodeKind::Code39, "A*B", 10, 190, 290, 120, 10, 190, 290, 120},  // larger: kept
        {EBarcodeKind::Ean13, "4006381333931", 20, 150, 30, 145, 20, 158, 246, 0},  // moved up onto the face
    };
    for (const auto& c : cases) {
        CDrawBarcode code;
        std::string message;
        ASSERT_TRUE(code.SetBarcode(c.kind, c.data, &message)) << message;
        code.SetCoords(c.left, c.top, c.right, c.bottom);
        GrowBarcodeToScan(*product, "F", code);
        EXPECT_EQ((std::array{code.GetMinX(), code.GetMaxY(), code.GetMaxX(), code.GetMinY()}),
                  (std::array{c.grownLeft, c.grownTop, c.grownRight, c.grownBottom}))
            << c.data;
    }
    // New data longer than its 200-pixel box: 16 * (12 + 2) + 2 * 10 = 244
    // modules grow it along from its top-left corner; its height stays.
    CDrawBarcode code;
    code.SetCoords(30, 150, 230, 100);
    ASSERT_TRUE(code.SetBarcode(EBarcodeKind::Code39, "ABCDEFGHIJKL"));
    code.FitToBarcode();
    EXPECT_EQ((std::array{code.GetMinX(), code.GetMaxY(), code.GetMaxX(), code.GetMinY()}), (std::array{30, 150, 274, 100}));
}
