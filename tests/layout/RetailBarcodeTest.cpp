// Retail barcodes: check digits and data checks, the EAN/UPC character sets,
// the Code 128 table and encoder, symbol layout in the box, and records
// that keep old files and older programs safe.
#include "ground/Archive.h"
#include "app/project/ProjectFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"
#include "layout/barcode/Barcode128.h"
#include "layout/barcode/BarcodeEan.h"
#include "layout/barcode/BarcodeKind.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"

#include "FaceTestUtil.h"

#include <cstring>
#include <set>

namespace {

std::string Complete(EBarcodeKind kind, const std::string& data)
{
    std::string complete, message;
    EXPECT_TRUE(CheckBarcodeData(kind, data, complete, message)) << message;
    return complete;
}

std::string Refusal(EBarcodeKind kind, const std::string& data)
{
    std::string complete, message;
    EXPECT_FALSE(CheckBarcodeData(kind, data, complete, message)) << data;
    return message;
}

int Guards(const CBarcodePlan& plan)
{
    return static_cast<int>(std::count_if(plan.GetBars().begin(), plan.GetBars().end(),
                                          [](const CBarcodeBar& bar) { return bar.guard; }));
}

std::vector<std::string> Texts(const CBarcodePlan& plan)
{
    std::vector<std::string> out;
    for (const auto& t : plan.GetTexts())
        out.push_back(t.text);
    return out;
}

int Dark(const std::string& modules)
{
    int n = 0;
    for (char c : modules)
        n += c == '1';
    return n;
}

}  // namespace

TEST(BarcodeCheckDigit, ComputedWhenLeftOutAndVerifiedWhenGiven)
{
    // 4 0 0 6 3 8 1 3 3 3 9 3 weighted 1 3 1 3 ... from the left (3 on the
    // rightmost): 4 + 0 + 0 + 18 + 3 + 24 + 1 + 9 + 3 + 9 + 9 + 9 = 89 -> 1.
    EXPECT_EQ(Complete(EBarcodeKind::Ean13, "400638133393"), "4006381333931");
    EXPECT_EQ(Complete(EBarcodeKind::Ean13, "4006381333931"), "4006381333931");
    EXPECT_EQ(Refusal(EBarcodeKind::Ean13, "4006381333932"), "The check digit of this EAN-13 number is 1, not 2.");
    // UPC-A 0 3 6 0 0 0 2 9 1 4 5, eleven digits, so the first weighs 3:
    // 0 + 3 + 18 + 0 + 0 + 0 + 6 + 9 + 3 + 4 + 15 = 58 -> 2.
    EXPECT_EQ(Complete(EBarcodeKind::UpcA, "03600029145"), "036000291452");
    EXPECT_EQ(Refusal(EBarcodeKind::UpcA, "036000291450"), "The check digit of this UPC-A number is 2, not 0.");
    // EAN-8 9 6 3 8 5 0 7: 27 + 6 + 9 + 8 + 15 + 0 + 21 = 86 -> 4.
    EXPECT_EQ(Complete(EBarcodeKind::Ean8, "9638507"), "96385074");
    EXPECT_EQ(Refusal(EBarcodeKind::Ean8, "96385079"), "The check digit of this EAN-8 number is 4, not 9.");
    // A weighted sum that is already a multiple of ten gives 0, not 10:
    // "000000000055": 5 * 3 + 5 * 1 = 20 -> 0.
    EXPECT_EQ(ComputeCheckDigit("000000000055"), 0);
}

TEST(BarcodeCheckDigit, WrongLengthsAndCharactersAreRefusedWithTheirMessages)
{
    EXPECT_EQ(Refusal(EBarcodeKind::Ean13, ""), "Please enter a Barcode.");
    EXPECT_EQ(Refusal(EBarcodeKind::Ean13, "40063813339"),
              "An EAN-13 barcode has 12 digits, or 13 with its check digit.");
    EXPECT_EQ(Refusal(EBarcodeKind::Ean8, "123456789"), "An EAN-8 barcode has 7 digits, or 8 with its check digit.");
    EXPECT_EQ(Refusal(EBarcodeKind::UpcA, "1234"), "A UPC-A barcode has 11 digits, or 12 with its check digit.");
    EXPECT_EQ(Refusal(EBarcodeKind::Ean13, "40063813339A"), "Barcode includes invalid characters.");
    EXPECT_EQ(Refusal(EBarcodeKind::Code128, "caf\xC3\xA9"), "Barcode includes invalid characters.");
    EXPECT_EQ(Refusal(EBarcodeKind::Code39, "abc"), "Barcode includes invalid characters.");
    EXPECT_EQ(Complete(EBarcodeKind::Code128, "Hello, World! ~"), "Hello, World! ~");
}

TEST(BarcodeKindNames, ParseTheNamesAndTheirShortForms)
{
    EBarcodeKind kind = EBarcodeKind::Code39;
    for (std::uint32_t i = 0; i < kBarcodeKindCount; ++i) {
        const auto k = static_cast<EBarcodeKind>(i);
        ASSERT_TRUE(ParseBarcodeKind(GetBarcodeKindName(k), kind));
        EXPECT_EQ(kind, k);
    }
    EXPECT_TRUE(ParseBarcodeKind("ean13", kind) && kind == EBarcodeKind::Ean13);
    EXPECT_TRUE(ParseBarcodeKind("UPCA", kind) && kind == EBarcodeKind::UpcA);
    EXPECT_FALSE(ParseBarcodeKind("qr", kind));
}

TEST(BarcodeEan, CharacterSetsFollowTheParityRules)
{
    std::set<std::string> all;
    for (int d = 0; d < 10; ++d) {
        const std::string a = CBarcodeEan::SetA(d), b = CBarcodeEan::SetB(d), c = CBarcodeEan::SetC(d);
        ASSERT_EQ(a.size(), 7u);
        // Set A: odd parity, space first, bar last; C: the complement; B: C reversed.
        EXPECT_EQ((std::array{Dark(a) % 2, Dark(b) % 2, a.front() - '0', a.back() - '0', c.front() - '0', b.front() - '0'}),
                  (std::array{1, 0, 0, 1, 1, 0}))
            << d;
        // Each has exactly two bars: four runs.
        int runs = 1;
        for (std::size_t i = 1; i < 7; ++i)
            runs += a[i] != a[i - 1];
        EXPECT_EQ(runs, 4) << d;
        all.insert(a);
        all.insert(b);
        all.insert(c);
    }
    EXPECT_EQ(all.size(), 30u);  // no two characters alike
    // First digit 0 takes set A throughout (the UPC-A case); every other first
    // digit uses set B three times, never for the first left digit.
    EXPECT_STREQ(CBarcodeEan::LeftSets(0), "AAAAAA");
    for (int d = 1; d < 10; ++d) {
        const std::string sets = CBarcodeEan::LeftSets(d);
        EXPECT_EQ(sets[0], 'A');
        EXPECT_EQ(std::count(sets.begin(), sets.end(), 'B'), 3) << d;
    }
}

TEST(BarcodeEan, PlansHoldQuietZonesAndTheStandardLengths)
{
    // Modules along, where the first bar starts (the left quiet zone), where the
    // last ends, the guard bars (101 at both ends and 01010 in the middle: six)
    // and the texts.
    using Layout = std::tuple<int, int, int, int, std::vector<std::string>>;
    const auto layout = [](const CBarcodePlan& plan) {
        const CBarcodeBar &first = plan.GetBars().front(), &last = plan.GetBars().back();
        return Layout(plan.GetAlongModules(), first.start, last.start + last.width, Guards(plan), Texts(plan));
    };
    CBarcodePlan plan;
    ASSERT_TRUE(CBarcodeEan::MakePlan(EBarcodeKind::Ean13, "4006381333931", plan));
    EXPECT_EQ(layout(plan), Layout(11 + 95 + 7, 11, 11 + 95, 6, {"4", "006381", "333931"}));
    // UPC-A: the first and last digits' bars reach down too.
    ASSERT_TRUE(CBarcodeEan::MakePlan(EBarcodeKind::UpcA, "036000291452", plan));
    EXPECT_EQ(layout(plan), Layout(9 + 95 + 9, 9, 9 + 95, 6 + 2 + 2, {"0", "36000", "29145", "2"}));
    EXPECT_TRUE(plan.GetTexts()[0].small);

    ASSERT_TRUE(CBarcodeEan::MakePlan(EBarcodeKind::Ean8, "96385074", plan));
    EXPECT_EQ(plan.GetAlongModules(), 7 + 67 + 7);
    EXPECT_FALSE(CBarcodeEan::MakePlan(EBarcodeKind::Ean8, "9638507", plan));
}

TEST(Barcode128, TableFollowsTheSymbologyStructure)
{
    std::set<std::string> seen;
    for (int v = 0; v < CBarcode128::kStop; ++v) {
        const std::string w = CBarcode128::GetWidths(v);
        ASSERT_EQ(w.size(), 6u) << v;
        int sum = 0, bars = 0;
        for (std::size_t i = 0; i < w.size(); ++i) {
            ASSERT_GE(w[i], '1');
            ASSERT_LE(w[i], '4');
            sum += w[i] - '0';
            if (i % 2 == 0)
                bars += w[i] - '0';
        }
        EXPECT_EQ(sum, 11) << v;
        EXPECT_EQ(bars % 2, 0) << v;  // even number of dark modules
        seen.insert(w);
    }
    EXPECT_EQ(seen.size(), 106u);
    EXPECT_STREQ(CBarcode128::GetWidths(CBarcode128::kStop), "2331112");
}

TEST(Barcode128, EncodesWithTheFewestCharactersAndTheWeightedCheck)
{
    // Set B: 'A' = 65 - 32 = 33, 'B' = 34; check 104 + 1*33 + 2*34 = 205 = 102 mod 103.
    EXPECT_EQ(CBarcode128::Encode("AB"), (std::vector<int>{104, 33, 34, 102, 106}));
    // All digit pairs in set C: 105 + 12 + 2*34 + 3*56 = 353 = 44 mod 103.
    EXPECT_EQ(CBarcode128::Encode("123456"), (std::vector<int>{105, 12, 34, 56, 44, 106}));
    // 'X' then eight digits: B, switch to C, four pairs (six data characters
    // instead of nine). Check: 104 + 56 + 2*99 + 3*12 + 4*34 + 5*56 + 6*78 = 1278 = 42 mod 103.
    EXPECT_EQ(CBarcode128::Encode("X12345678"), (std::vector<int>{104, 56, 99, 12, 34, 56, 78, 42, 106}));
    // Two digits alone do not pay for a switch: "A12B" stays in set B.
    EXPECT_EQ(CBarcode128::Encode("A12B").size(), 1u + 4u + 2u);
    EXPECT_TRUE(CBarcode128::Encode("").empty());
    EXPECT_TRUE(CBarcode128::Encode("tab\there").empty());
}

TEST(DrawBarcodeKinds, NaturalSizeFollowsTheKindAndTheAngle)
{
    CDrawBarcode barcode;
    std::string message;
    ASSERT_TRUE(barcode.SetBarcode(EBarcodeKind::Ean13, "400638133393", &message)) << message;
    EXPECT_EQ(barcode.GetData(), "4006381333931");  // stored with its check digit
    int w = 0, h = 0;
    barcode.GetNaturalSize(w, h);
    EXPECT_EQ(std::pair(w, h), std::pair(113, 69 + 10));
    barcode.SetAngle(900);
    barcode.GetNaturalSize(w, h);
    EXPECT_EQ(std::pair(w, h), std::pair(79, 113));
    // A refused change leaves kind and data alone and says why.
    EXPECT_FALSE(barcode.SetBarcode(EBarcodeKind::Ean8, "12345678", &message));
    EXPECT_EQ(message, "The check digit of this EAN-8 number is 0, not 8.");
    EXPECT_EQ(std::pair(barcode.GetBarcodeKind(), barcode.GetData()),
              std::pair(EBarcodeKind::Ean13, std::string("4006381333931")));
    // Code 128 "AB": 10 quiet + 11 * 4 + 13 + 10 quiet.
    ASSERT_TRUE(barcode.SetBarcode(EBarcodeKind::Code128, "AB"));
    barcode.SetAngle(0);
    barcode.GetNaturalSize(w, h);
    EXPECT_EQ(std::pair(w, h), std::pair(10 + 44 + 13 + 10, 40 + 10));
}

TEST(DrawBarcodeKinds, SymbolIsCentredInWholeModulesWithItsQuietZones)
{
    CDrawBarcode barcode;
    ASSERT_TRUE(barcode.SetBarcode(EBarcodeKind::Ean8, "96385074"));
    // 81 x 65 modules at a module of 2 fit a 170 x 140 box (162 x 130); the
    // symbol starts (170 - 162) / 2 = 4 pixels in, its first bar 7 modules later.
    barcode.SetCoords(0, 139, 170, -1);  // box 170 wide, 140 high, face y 0..139
    const CRaster face = Burnt(barcode, 170, 140, RGB(20, 30, 90));  // dark artwork under the box
    const auto colour = [&](int x, int yDown) { return At(face, x, 139 - yDown); };
    for (int x = 0; x < 4 + 14; ++x)
        EXPECT_EQ(colour(x, 10), 0xFFFFFFu) << x;  // margin and quiet zone are white
    // Start guard: 2 pixels of bar. Normal bars stop 10 modules above the
    // bottom; guards go 5 further. The first data character (set A '9' =
    // 0001011) has its first bar at module 3.
    const int barBottom = 140 - 20;
    EXPECT_EQ((std::array{colour(18, 10), colour(19, 10), colour(20, 10), colour(18, barBottom + 9), colour(18, barBottom + 10),
                          colour(24 + 3 * 2, barBottom - 1), colour(24 + 3 * 2, barBottom)}),
              (std::array<COLORREF, 7>{0, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF}));
}

TEST(DrawBarcodeKinds, RecordsKeepCode39AsItWasAndNameTheNewKinds)
{
    CDrawBarcode old;  // as stored before symbols kept light margins
    old.SetQuietZones(false);
    old.SetData("AB-12");
    CBinaryRecordStream s1;
    old.Save(s1, false, false);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(s1.Flatten(bytes));
    // Common part (version, box) then u32 1, string "AB-12", angle 0: no kind.
    const std::size_t body = bytes.size() - (4 + 4 + 5 + 4);
    EXPECT_EQ(bytes[body], 1);
    EXPECT_EQ(old.GetOldestReader(), kReaderVersionFirst);

    CDrawBarcode retail;
    ASSERT_TRUE(retail.SetBarcode(EBarcodeKind::UpcA, "03600029145"));
    retail.SetAngle(2700);
    EXPECT_EQ(retail.GetOldestReader(), kReaderVersionBarcodeKinds);
    CBinaryRecordStream s2;
    retail.Save(s2, false, false);
    ASSERT_TRUE(s2.Flatten(bytes));
    CBinaryRecordStream in;
    ASSERT_TRUE(in.Attach(bytes.data(), bytes.size()));
    CDrawBarcode back;
    ASSERT_TRUE(back.Load(in, false, false));
    EXPECT_EQ(std::tuple(back.GetBarcodeKind(), back.GetData(), back.GetAngle()),
              std::tuple(EBarcodeKind::UpcA, "036000291452", 2700));

    // A kind number this program does not know, or damaged data, is refused.
    for (std::uint32_t kind : {0u, 5u, 77u}) {
        std::vector<std::uint8_t> changed = bytes;
        std::memcpy(changed.data() + changed.size() - 4, &kind, 4);
        CBinaryRecordStream bad;
        ASSERT_TRUE(bad.Attach(changed.data(), changed.size()));
        CDrawBarcode refused;
        EXPECT_FALSE(refused.Load(bad, false, false)) << kind;
    }
    CTextRecordStream text;
    CDrawBarcode damaged;
    ASSERT_TRUE(damaged.SetBarcode(EBarcodeKind::Ean13, "4006381333931"));
    damaged.Save(text, false, false);
    std::string t = text.GetText();
    t.replace(t.find("4006381333931"), 13, "4006381333932");
    CTextRecordStream again;
    again.Attach(t);
    EXPECT_FALSE(CDrawBarcode().Load(again, false, false));
}

TEST(DrawBarcodeKinds, ProjectWithANewKindNamesTheVersionThatReadsIt)
{
    CUndoStore undo;
    CVtwinDoc doc(&CreateDrawObjectList, &undo);
    auto& front = static_cast<CDrawObjectList&>(doc.GetFaceObjects("F"));
    auto code39 = std::make_unique<CDrawBarcode>();
    code39->SetData("ABC");
    front.Add(std::move(code39));
    const auto versions = [](const std::vector<std::uint8_t>& bytes) {
        // After the 16 signature bytes: u32 oldest, string, u32 writer, string.
        std::uint32_t oldest = 0, writer = 0;
        std::memcpy(&oldest, bytes.data() + 16, 4);
        const std::size_t len = bytes[20];
        std::memcpy(&writer, bytes.data() + 21 + len, 4);
        return std::make_pair(oldest, writer);
    };
    CArchiveWriter plain;
    std::string error;
    ASSERT_TRUE(CProjectFile::Write(doc, plain, error)) << error;
    EXPECT_EQ(versions(plain.Bytes()), std::make_pair(200u, 210u));  // as every file before

    auto ean = std::make_unique<CDrawBarcode>();
    ASSERT_TRUE(ean->SetBarcode(EBarcodeKind::Ean13, "400638133393"));
    front.Add(std::move(ean));
    CArchiveWriter newer;
    ASSERT_TRUE(CProjectFile::Write(doc, newer, error)) << error;
    const std::vector<std::uint8_t>& bytes = newer.Bytes();
    EXPECT_EQ(versions(bytes), std::make_pair(211u, 211u));
    EXPECT_EQ(std::string(bytes.begin() + 21, bytes.begin() + 25), "2.11");
    // A program that reads up to 2.00 refuses it (oldest reader above its
    // own: ProjectFileRead.RefusalsLeaveTheDocumentAsItWas); this one reads
    // the record back (RecordsKeepCode39AsItWasAndNameTheNewKinds).
}
