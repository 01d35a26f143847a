// Record streams: the binary encoding byte by byte, the text encoding line by
// line, and reads that must stop at the end of the data. Records: round trips
// of every kind, the exact bytes of a stored object, the swapped colour order
// of outlined text, unknown kinds and malformed records. The expected and
// refused bytes are the files of tests/data/records, written by its make.py.
#include "FaceTestUtil.h"

#include "TempFolder.h"
#include "image/Raster.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"

#include <filesystem>
#include <functional>
#include <sstream>

namespace {

std::vector<std::uint8_t> RecordFile(const std::string& name)
{
    return ReadFile(VT_TEST_DATA_DIR "/records/" + name);
}

// Names starting with `prefix` and ending with `suffix`, sorted.
std::vector<std::string> RecordFiles(const std::string& prefix, const std::string& suffix)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VT_TEST_DATA_DIR "/records"))
        if (const std::string name = entry.path().filename().string(); name.starts_with(prefix) && name.ends_with(suffix))
            names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

// Every field a kind saves, as one comparable text.
std::string Fields(const CDrawObject& o, bool withSelection)
{
    CTextRecordStream s;
    o.Save(s, false, withSelection);
    std::string t = std::string(o.GetKindCode()) + "|" + s.GetText();
    if (auto* p = dynamic_cast<const CDrawPicture*>(&o)) {
        const auto& img = p->GetImage(0);
        t += img ? std::to_string(img->GetWidth()) + "x" + std::to_string(img->GetHeight()) : "none";
        if (img)
            for (int y = 0; y < img->GetHeight(); ++y)
                for (int x = 0; x < img->GetWidth(); ++x)
                    t += "," + std::to_string(RGBQUADtoRGB(img->GetPixelColor(x, y)));
    }
    return t;
}

std::vector<std::unique_ptr<CDrawObject>> OneOfEachKind()
{
    std::vector<std::unique_ptr<CDrawObject>> all;
    auto rect = std::make_unique<CDrawRect>();
    rect->SetCoords(1, 50, 40, -3);
    rect->SetStyle(kStyleOutlinedFilled);
    rect->SetLineColour(0x123456);
    rect->SetFillColour(0xABCDEF);
    all.push_back(std::move(rect));
    auto line = std::make_unique<CDrawLine>();
    line->SetCoords(100, -20, -30, 70);
    line->SetLineColour(0x0000FF);
    all.push_back(std::move(line));
    auto ellipse = std::make_unique<CDrawEllipse>();
    ellipse->SetCoords(0, 10, 20, 0);
    ellipse->SetStyle(kStyleFilled);
    all.push_back(std::move(ellipse));
    auto polygon = std::make_unique<CDrawPolygon>();
    polygon->SetPoints({{0, 0}, {10, 0}, {5, 8}});
    polygon->SetBounds(0, 16, 20, 0);  // gives it a normalised shape
    all.push_back(std::move(polygon));
    auto polyline = std::make_unique<CDrawPolyline>();
    polyline->SetPoints({{3, 4}, {5, 6}});
    all.push_back(std::move(polyline));
    auto text = std::make_unique<CDrawText>();
    text->SetText("Hello");
    text->SetAppearance(kTextBordered);
    text->SetColour1(0x0000FF);
    text->SetColour2(0x00FF00);
    text->SetBold(true);
    text->SetUnderline(true);
    text->SetSmooth(true);  // with the optional fields
    text->SetFontFace("Arial");
    text->SetSize(30);
    text->SetAngle(900);
    text->SetCoords(10, 100, 42, 20);
    all.push_back(std::move(text));
    auto barcode = std::make_unique<CDrawBarcode>();
    barcode->SetData("AB-12");
    barcode->SetAngle(1800);
    barcode->SetCoords(0, 20, 120, 0);
    all.push_back(std::move(barcode));
    auto image = std::make_shared<CRaster>(CRaster::Make(3, 2, 24).value());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image->SetPixelColor(x, y, COLORREF(RGB(x * 40, y * 90, 7)));
    auto picture = CDrawPicture::CreateFromImage(image, 5, 50);
    picture->SetTransparent(true);
    picture->SetTransparentColour(0x00FF00);
    picture->RotateLeft(0, 0);
    all.push_back(std::move(picture));
    return all;
}

std::vector<std::uint8_t> Flat(const CBinaryRecordStream& s)
{
    std::vector<std::uint8_t> block;
    EXPECT_TRUE(s.Flatten(block));
    return block;
}

}  // namespace

TEST(BinaryRecordStream, EncodesLittleEndianItemsBehindTheBlockSize)
{
    CBinaryRecordStream s;
    s.WriteU32(0x11223344u);
    s.WriteString("AB");
    s.WritePoint({-1, 2});
    const std::vector<std::uint8_t> block = Flat(s);
    EXPECT_EQ(block, RecordFile("items.expected"));
}

TEST(BinaryRecordStream, ReadsBackWhatWasWrittenAndStopsAtTheEnd)
{
    CBinaryRecordStream out;
    out.WriteU32(7);
    out.WriteString("hello\nworld");
    out.WriteI32(-123456);
    const std::vector<std::uint8_t> block = Flat(out);

    CBinaryRecordStream in;
    ASSERT_TRUE(in.Attach(block.data(), block.size()));
    const std::uint32_t u = in.ReadU32();
    const std::string text = in.ReadString();
    const std::int32_t i = in.ReadI32();
    EXPECT_EQ(std::tuple(u, text, i, in.AtEnd(), in.Failed()), std::tuple(7u, "hello\nworld", -123456, true, false));
    // Past the end: nothing, and the stream has failed.
    EXPECT_EQ(in.ReadU32(), 0u);
    EXPECT_TRUE(in.Failed() && in.ReadString().empty());
}

TEST(BinaryRecordStream, RefusesBadBlocksAndOversizedLengths)
{
    CBinaryRecordStream in;
    ASSERT_EQ(RecordFiles("refused_", ".block").size(), 2u);  // three bytes; a size word of 9 on 8
    for (const std::string& name : RecordFiles("refused_", ".block")) {
        const std::vector<std::uint8_t> block = RecordFile(name);
        EXPECT_FALSE(in.Attach(block.data(), block.size())) << name;
    }
    EXPECT_FALSE(in.Attach(nullptr, 0));

    // A string whose byte count runs past the block.
    const std::vector<std::uint8_t> longString = RecordFile("refused_65535_bytes_of_4.string");
    ASSERT_TRUE(in.Attach(longString.data(), longString.size()));
    EXPECT_EQ(in.ReadString(), "");
    EXPECT_TRUE(in.Failed());

    // Room checks: 2 items of 8 bytes fit in 16 remaining bytes, 3 do not.
    std::vector<std::uint8_t> sixteen = {20, 0, 0, 0};
    sixteen.resize(20, 0);
    ASSERT_TRUE(in.Attach(sixteen.data(), sixteen.size()));
    EXPECT_EQ((std::array{in.HasRoomFor(2, 8), in.HasRoomFor(3, 8), in.HasRoomFor(0xFFFFFFFFull, 4)}),
              (std::array{true, false, false}));
}

TEST(BinaryRecordStream, ImageItemIsSizeThenPixelsBottomRowFirst)
{
    CRaster image = CRaster::Make(2, 2, 24).value();
    image.SetPixelColor(0, 0, COLORREF{0x000001});  // bottom-left
    image.SetPixelColor(1, 0, COLORREF{0x000002});
    image.SetPixelColor(0, 1, COLORREF{0x030000});  // top-left
    image.SetPixelColor(1, 1, COLORREF{0x040000});
    CBinaryRecordStream s;
    s.WriteImage(&image);
    const std::vector<std::uint8_t> block = Flat(s);
    EXPECT_EQ(block, RecordFile("image_2x2.expected"));

    CBinaryRecordStream in;
    ASSERT_TRUE(in.Attach(block.data(), block.size()));
    std::shared_ptr<CRaster> back = in.ReadImage();
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tuple(back->GetWidth(), back->GetHeight(), RGBQUADtoRGB(back->GetPixelColor(0, 1)),
                         RGBQUADtoRGB(back->GetPixelColor(1, 0))),
              std::tuple(2, 2, 0x030000u, 0x000002u));
}

TEST(BinaryRecordStream, ImageItemsThatDoNotFitAreRefused)
{
    // tests/data/records: pixels claimed but missing, a size past 32 bits, a
    // zero width with a height, size fields cut short; 0 x 0 is the legal empty item.
    std::vector<std::string> names = RecordFiles("refused_", ".image");
    EXPECT_EQ(names.size(), 4u);
    names.push_back("empty.image");
    for (const std::string& name : names) {
        const std::vector<std::uint8_t> block = RecordFile(name);
        CBinaryRecordStream in;
        ASSERT_TRUE(in.Attach(block.data(), block.size())) << name;
        const bool read = in.ReadImage() != nullptr;
        EXPECT_EQ(std::pair(read, in.Failed()), std::pair(false, name != "empty.image")) << name;
    }
}

TEST(TextRecordStream, WritesDecimalLinesAndKeepsLineBreaksInStrings)
{
    CTextRecordStream s;
    s.WriteU32(42);
    s.WriteI32(-1);
    s.WriteString("Arial");
    s.WriteString("two\nlines \\ here");
    s.WriteImage(nullptr);  // images are not written
    EXPECT_EQ(s.GetText().substr(0, 20), "42\n4294967295\nArial\n");

    s.Rewind();
    const std::uint32_t u = s.ReadU32();
    const std::int32_t i = s.ReadI32();
    const std::string face = s.ReadString(), lines = s.ReadString();
    EXPECT_EQ(std::tuple(u, i, face, lines), std::tuple(42u, -1, "Arial", "two\nlines \\ here"));
    EXPECT_EQ(s.ReadImage(), nullptr);
    EXPECT_TRUE(s.AtEnd() && !s.Failed());
}

TEST(TextRecordStream, RejectsNonNumbersAndMissingLines)
{
    const std::vector<std::string> bad = {"", "12", "abc\n", "-5\n", "4294967296\n", "1 2\n", "\n"};
    for (const std::string& text : bad) {
        CTextRecordStream s;
        s.Attach(text);
        s.ReadU32();
        EXPECT_TRUE(s.Failed()) << "input '" << text << "'";
    }
}

TEST(RecordStream, SharedImageHandlesOnlyReachImagesOfTheSameStream)
{
    auto image = std::make_shared<const CRaster>(CRaster::Make(4, 4, 24).value());
    CTextRecordStream s;
    s.WriteImageHandle(image);
    s.WriteImageHandle(nullptr);
    s.WriteImageHandle(image);
    s.Rewind();
    const auto first = s.ReadImageHandle(), second = s.ReadImageHandle(), third = s.ReadImageHandle();
    EXPECT_EQ(std::tuple(first, second, third), std::tuple(image, nullptr, image));
    EXPECT_FALSE(s.Failed());

    CTextRecordStream other;
    other.Attach("1\n");  // a handle this stream never issued
    EXPECT_TRUE(other.ReadImageHandle() == nullptr && other.Failed());
}

TEST(DrawObjectRecord, EveryKindRoundTripsWithAndWithoutSelection)
{
    for (bool withSelection : {false, true}) {
        for (auto& object : OneOfEachKind()) {
            object->SetSelection(kSelectDominant);
            std::unique_ptr<CDrawObject> back = ReadBack(*object, withSelection);
            ASSERT_TRUE(back) << object->GetKindCode();
            EXPECT_EQ(Fields(*back, withSelection), Fields(*object, withSelection));
            EXPECT_EQ(back->GetSelection(), withSelection ? kSelectDominant : kSelectNone);

            // Through both clone modes.
            for (bool textMode : {true, false}) {
                std::unique_ptr<CDrawObject> clone = object->Clone(textMode, withSelection);
                ASSERT_TRUE(clone) << object->GetKindCode();
                EXPECT_EQ(Fields(*clone, withSelection), Fields(*object, withSelection));
                EXPECT_EQ(clone->GetSelection(), withSelection ? kSelectDominant : kSelectNone);
            }
        }
    }
}

TEST(DrawObjectRecord, StoredRectangleHasTheDocumentedBytes)
{
    CDrawRect rect;
    rect.SetSelection(kSelectOn);
    rect.SetLineColour(0x0000FF);
    rect.SetFillColour(0x00FF00);
    rect.SetStyle(kStyleFilled);
    rect.SetCoords(-1, 20, 10, 2);  // x1, y1, x2, y2
    CDrawObjectList list;
    list.Add(rect.Clone(false, true));
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(list.SaveObject(0, block));
    EXPECT_EQ(block, RecordFile("rect.expected"));
}

// A name, hidden and locked follow the record as optional fields; a stream
// of several records (the clipboard's) reads each object's own back.
TEST(DrawObjectRecord, PanelPropertiesFollowTheRecordOnlyWhenSet)
{
    CDrawRect rect;
    rect.SetCoords(-1, 20, 10, 2);
    rect.SetName("Sky");
    rect.SetHidden(true);
    rect.SetLocked(true);
    CDrawObjectList list;
    list.Add(rect.Clone(false, true));
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(list.SaveObject(0, block));
    const std::vector<std::uint8_t> tail = RecordFile("panel_fields.expected");
    ASSERT_EQ(block.size(), 48u + tail.size());
    EXPECT_EQ(block[0], 48u + tail.size());
    EXPECT_EQ(std::vector<std::uint8_t>(block.end() - static_cast<long>(tail.size()), block.end()), tail);

    CDrawRect plain;
    plain.SetCoords(5, 6, 7, 8);
    for (bool text : {false, true}) {
        std::unique_ptr<CRecordStream> stream;
        if (text)
            stream = std::make_unique<CTextRecordStream>();
        else
            stream = std::make_unique<CBinaryRecordStream>();
        SaveDrawObject(*stream, rect, false, false);
        SaveDrawObject(*stream, plain, false, false);
        stream->Rewind();
        auto a = LoadDrawObject(*stream, false, false);
        auto b = LoadDrawObject(*stream, false, false);
        ASSERT_TRUE(a && b);
        const auto panel = [](const CDrawObject& o) { return std::tuple(o.GetName(), o.IsHidden(), o.IsLocked()); };
        EXPECT_EQ(panel(*a), std::tuple("Sky", true, true));
        EXPECT_EQ(panel(*b), std::tuple("", false, false));
        EXPECT_TRUE(b->GetX2() == 7 && stream->AtEnd());
    }
}

TEST(DrawObjectRecord, StoredBarcodeAndPolylineBodies)
{
    CDrawBarcode barcode;  // as stored before symbols kept light margins
    barcode.SetQuietZones(false);
    barcode.SetData("A");
    barcode.SetAngle(2700);
    barcode.SetCoords(0, 0, 0, 0);
    CBinaryRecordStream s;
    barcode.Save(s, false, false);
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(s.Flatten(block));
    EXPECT_EQ(block, RecordFile("barcode_A.expected"));

    CDrawPolyline poly;
    poly.SetPoints({{1, 2}, {3, 4}});
    CBinaryRecordStream p;
    poly.Save(p, false, false);
    ASSERT_TRUE(p.Flatten(block));
    // size, common (1 + line colour + 4 coords = 24 bytes), 1, n = 2, points, has shape 0
    ASSERT_EQ(block.size(), 4u + 24 + 4 + 4 + 16 + 4);
    // The poly version 1, the point count 2, the first x 1, no shape.
    EXPECT_EQ((std::array{block[28], block[32], block[36], block[52]}), (std::array<std::uint8_t, 4>{1, 2, 1, 0}));
}

TEST(DrawObjectRecord, OutlineTextStoresItsColoursSwappedAndReadsThemBack)
{
    CDrawText text;
    text.SetAppearance(kTextOutline);
    text.SetColour1(0x0000FF);  // red
    text.SetColour2(0x00FF00);
    CTextRecordStream s;
    text.Save(s, false, false);
    // Lines: version, x1, y1, x2, y2, text version, text, appearance, colour, colour
    std::vector<std::string> lines;
    std::istringstream record(s.GetText());
    for (std::string line; std::getline(record, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 10u);
    // Outline (4), then colour 2 first.
    EXPECT_EQ(std::vector(lines.begin() + 7, lines.begin() + 10),
              (std::vector<std::string>{"4", std::to_string(0x00FF00), std::to_string(0x0000FF)}));
    s.Rewind();
    CDrawText back;
    ASSERT_TRUE(back.Load(s, false, false));
    EXPECT_EQ(std::pair(back.GetColour1(), back.GetColour2()), std::pair(0x0000FFu, 0x00FF00u));
}

TEST(DrawObjectRecord, CloneInTextModeSharesPicturePixelsBinaryModeCopiesThem)
{
    auto image = std::make_shared<CRaster>(CRaster::Make(64, 64, 24).value());
    auto picture = CDrawPicture::CreateFromImage(image, 0, 64);
    std::unique_ptr<CDrawObject> shared = picture->Clone(true, true);
    std::unique_ptr<CDrawObject> copied = picture->Clone(false, true);
    auto* s = dynamic_cast<CDrawPicture*>(shared.get());
    auto* c = dynamic_cast<CDrawPicture*>(copied.get());
    ASSERT_TRUE(s && c);
    EXPECT_TRUE(s->GetImage(0).get() == image.get() && c->GetImage(0).get() != image.get());
    // Deleting the original keeps the duplicate's picture intact.
    picture.reset();
    image.reset();
    EXPECT_TRUE(s->GetImage(0) && s->GetImage(0)->GetWidth() == 64);
}

TEST(DrawObjectList, UnknownKindIsSkippedByItsBlockAndMalformedBlocksAreRefused)
{
    // A kind this program does not know is passed over by its block's size.
    CDrawObjectList list;
    const std::vector<std::uint8_t> unknown = RecordFile("star.skipped");
    EXPECT_TRUE(list.LoadObject(unknown.data(), unknown.size()));
    EXPECT_EQ(list.GetObjectCount(), 0u);
    const std::vector<std::string> refused = RecordFiles("refused_", ".object");
    EXPECT_EQ(refused.size(), 7u);
    for (const std::string& name : refused) {
        const std::vector<std::uint8_t> block = RecordFile(name);
        EXPECT_FALSE(list.LoadObject(block.data(), block.size())) << name;
        EXPECT_EQ(list.GetObjectCount(), 0u) << name;
    }
}

TEST(DrawObjectList, OrderKeysSelectionCountAndDeepCopy)
{
    CDrawObjectList list;
    for (auto& o : OneOfEachKind())
        list.Add(std::move(o));
    ASSERT_EQ(list.GetObjectCount(), 8u);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(list.GetObject(i)->GetOrderKey(), static_cast<int>((i + 1) * 10));
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    list.SelectOnly(list.GetObject(3));
    EXPECT_TRUE(list.GetSelectedCount() == 1u && list.GetDominant() == list.GetObject(3));
    list.GetObject(5)->SetSelection(kSelectOn);
    list.MarkSelectionStale();
    EXPECT_EQ(list.GetSelectedCount(), 2u);

    std::unique_ptr<CDrawObject> removed = list.Remove(0);
    EXPECT_EQ(list.GetObject(0)->GetOrderKey(), 10);
    list.GetObject(0)->SetOrderKey(1000);  // send to front by key
    list.SortByOrderKey();
    EXPECT_EQ(std::pair(std::string(list.GetObject(6)->GetKindCode()), list.GetObject(6)->GetOrderKey()),
              std::pair(std::string("LINE"), 70));

    // The document's copy and the stored blocks keep every object and its selection.
    std::unique_ptr<CFaceObjects> copy = list.Clone();
    ASSERT_EQ(copy->GetObjectCount(), list.GetObjectCount());
    CDrawObjectList reread;
    for (std::size_t i = 0; i < copy->GetObjectCount(); ++i) {
        std::vector<std::uint8_t> block;
        ASSERT_TRUE(copy->SaveObject(i, block));
        ASSERT_TRUE(reread.LoadObject(block.data(), block.size()));
    }
    ASSERT_EQ(reread.GetObjectCount(), list.GetObjectCount());
    for (std::size_t i = 0; i < list.GetObjectCount(); ++i)
        EXPECT_EQ(Fields(*reread.GetObject(i), true), Fields(*list.GetObject(i), true)) << i;
    EXPECT_EQ(reread.GetSelectedCount(), 2u);
}

// Every kind is made from its code by the record round trips above.
TEST(DrawObjectFactory, UnknownCodesAreRefusedAndTheStyleDecidesFillAndOutline)
{
    EXPECT_EQ(CreateDrawObject("rect"), nullptr);
    EXPECT_EQ(CreateDrawObject(""), nullptr);
    auto rect = CreateDrawObject("RECT"), line = CreateDrawObject("LINE");
    EXPECT_TRUE(line->IsOutlined() && !line->IsFilled());
    rect->SetStyle(kStyleFilled);
    EXPECT_TRUE(rect->IsFilled() && !rect->IsOutlined());
}

#include "ground/Archive.h"
#include "app/project/ProjectFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"

TEST(DrawObjectProject, LayoutBlockKeepsEveryObjectThroughTheProjectFile)
{
    CUndoStore undo;
    CVtwinDoc doc(&CreateDrawObjectList, &undo);
    auto& front = static_cast<CDrawObjectList&>(doc.GetFaceObjects("F"));
    for (auto& o : OneOfEachKind())
        front.Add(std::move(o));
    front.GetObject(2)->SetSelection(kSelectDominant);
    auto& background = static_cast<CDrawObjectList&>(doc.GetFaceObjects("G"));
    auto line = std::make_unique<CDrawLine>();
    line->SetCoords(9, 8, 7, 6);
    background.Add(std::move(line));

    CArchiveWriter out;
    std::string error;
    ASSERT_TRUE(CProjectFile::Write(doc, out, error)) << error;
    CVtwinDoc again(&CreateDrawObjectList, &undo);
    CDocContent content;
    ASSERT_TRUE(CProjectFile::Read(again, out.Bytes().data(), out.Bytes().size(), content, error)) << error;
    again.TakeContent(std::move(content));
    auto* f = dynamic_cast<CDrawObjectList*>(again.FindFaceObjects("F"));
    auto* g = dynamic_cast<CDrawObjectList*>(again.FindFaceObjects("G"));
    ASSERT_TRUE(f && g);
    ASSERT_EQ(f->GetObjectCount(), front.GetObjectCount());
    for (std::size_t i = 0; i < f->GetObjectCount(); ++i)
        EXPECT_EQ(Fields(*f->GetObject(i), true), Fields(*front.GetObject(i), true)) << i;
    EXPECT_EQ(f->GetDominant(), f->GetObject(2));
    ASSERT_EQ(g->GetObjectCount(), 1u);
    EXPECT_EQ(Fields(*g->GetObject(0), true), Fields(*background.GetObject(0), true));
}
