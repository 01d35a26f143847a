#include "TempFolder.h"
#include "catalogue/product/BackFace.h"
#include "catalogue/product/FaceKeys.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/SideAppearance.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"

namespace {

std::vector<std::string> Faces(const CProduct& p)
{
    std::vector<std::string> out;
    for (int i = 0; i < p.GetFaceCount(); ++i) out.push_back(p.GetFaceName(i));
    return out;
}

}  // namespace

// The nine kinds: each code makes its kind; each "with CD-ROM" kind is its base
// kind with the CD-ROM face added last and the disc inside; pages, binding and
// side letters agree with the faces shown.
TEST(Product, KindsAndTheirCDROMVariantsAgree) {
    std::set<std::string> codes;
    for (const char* code : GetKindCodes()) {
        auto p = CreateProduct(code);
        ASSERT_TRUE(p) << code;
        EXPECT_STREQ(p->GetKindCode(), code);
        EXPECT_TRUE(codes.insert(code).second) << code;
        const std::vector<std::string> faces = Faces(*p);
        auto shows = [&](const std::string& face) { return std::count(faces.begin(), faces.end(), face) == 1; };
        EXPECT_EQ(shows("Pages (Right)"), bool(p->HasPages())) << code;
        EXPECT_EQ(shows("Pages (Left)"), bool(p->HasPagesOnLeft())) << code;
        EXPECT_EQ(shows("CD-ROM"), bool(p->HasCDROM())) << code;
        EXPECT_TRUE(!p->HasBinding() || p->HasPagesOnLeft()) << code;
        // Every side letter names a face of the kind.
        static const std::map<char, std::string> kLetterFace = {
            {'F', "Front"}, {'L', "Left"}, {'R', "Right"}, {'U', "Top"}, {'D', "Bottom"}, {'S', "Spine"}};
        for (const char* l = p->GetSideLetters(); *l; ++l) EXPECT_TRUE(shows(kLetterFace.at(*l))) << code << *l;
        // Face indices outside the list give the first face.
        for (int i : {-1, p->GetFaceCount(), 1000}) EXPECT_STREQ(p->GetFaceName(i), p->GetFaceName(0)) << code << i;
    }
    EXPECT_EQ(codes.size(), 9u);
    for (const std::string base : {"BOX", "BOOK", "BINDER"}) {
        auto plain = CreateProduct(base.c_str());
        auto cd = CreateProduct((base + "CD").c_str());
        ASSERT_TRUE(plain && cd) << base;
        std::vector<std::string> faces = Faces(*plain);
        faces.push_back("CD-ROM");
        EXPECT_EQ(Faces(*cd), faces) << base;
        EXPECT_EQ(std::string(cd->GetKindName()), std::string(plain->GetKindName()) + " with CD-ROM");
        EXPECT_STREQ(cd->GetFamilyName(), plain->GetFamilyName());
        EXPECT_STREQ(cd->GetSideLetters(), plain->GetSideLetters());
        EXPECT_TRUE(cd->HasCDROM() && cd->HasCDROMInside() && !plain->HasCDROM()) << base;
        EXPECT_EQ(std::tuple(cd->IsBoxKind(), bool(cd->HasPages()), bool(cd->HasBinding()), bool(cd->HasDepth())),
                  std::tuple(plain->IsBoxKind(), bool(plain->HasPages()), bool(plain->HasBinding()), bool(plain->HasDepth())))
            << base;
    }
}

TEST(Product, CreateProductIsExactAndCaseSensitive) {
    for (const char* bad : {"box", "Box", "BOX ", " BOX", "", "BOXCDX", "CARDS", "binder", "CD-ROM", "B0X"})
        EXPECT_FALSE(CreateProduct(bad)) << "'" << bad << "'";
    auto box = CreateProduct("BOX");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->GetSideCount(), 0u);

    // Every kind starts from the same start values in the same stored order,
    // which the project file's settings block follows.
    SettingStore reference;
    ApplyStartValues(reference);
    auto order = [](const SettingStore& st) {
        std::vector<std::uint32_t> keys;
        st.Ints().ForEach([&](SettingKey k, std::int32_t) { keys.push_back(k.Packed()); });
        st.Reals().ForEach([&](SettingKey k, double) { keys.push_back(k.Packed()); });
        st.Texts().ForEach([&](SettingKey k, const std::string&) { keys.push_back(k.Packed()); });
        return keys;
    };
    for (const char* code : GetKindCodes()) {
        auto p = CreateProduct(code);
        EXPECT_TRUE(p->GetSettings().SameContent(reference)) << code;
        EXPECT_EQ(order(p->GetSettings()), order(reference)) << code;
    }
}

// The table offset follows the table position only for flat kinds; the CD
// position test follows the setting (default 5) only for kinds with the CD inside.
TEST(Product, TableOffsetOfFlatKindsAndCDPositionOfKindsWithTheCDInside) {
    for (const char* code : GetKindCodes()) {
        auto p = CreateProduct(code);
        const std::string kind = code;
        const bool flat = kind == "CARD" || kind == "RCARD" || kind == "CD", inside = kind.ends_with("CD") && kind != "CD";
        const int before = p->GetTableOffset(), atDefault = p->TestCDPosition();
        p->GetSettings().SetInt(ModelKey(kSetTablePosition), 1);
        p->GetSettings().SetInt(ModelKey(kSetCDPosition), 0);
        const int atZero = p->TestCDPosition();
        p->GetSettings().SetInt(ModelKey(kSetCDPosition), 5);
        EXPECT_EQ((std::array{before, p->GetTableOffset(), p->GetTableOffsetFor(0), p->GetTableOffsetFor(1), p->GetTableOffsetFor(2)}),
                  (std::array{0, flat ? 20 : 0, 0, flat ? 20 : 0, 0})) << code;
        EXPECT_EQ(std::tuple(atDefault, atZero, p->TestCDPosition()), std::tuple(int(inside), 0, int(inside))) << code;
    }
}

TEST(Product, SideListKeepsInsertionOrderAndExactKeys) {
    auto p = CreateProduct("BOOK");
    EXPECT_TRUE(p->FindSide("F") == CProduct::kNotFound && p->FindSidePtr("F") == nullptr);
    CSide& front = p->GetOrCreateSide("F");
    CSide& background = p->GetOrCreateSide("G");
    p->GetOrCreateSide("u");
    EXPECT_EQ(&p->GetOrCreateSide("F"), &front) << "get-or-create finds the existing side";
    EXPECT_EQ(p->GetSideCount(), 3u);
    EXPECT_EQ(std::tuple(p->FindSide("F"), p->FindSide("G"), p->FindSide("u")), std::tuple(0, 1, 2));
    EXPECT_TRUE(p->FindSide("U") == CProduct::kNotFound && p->FindSide("FG") == CProduct::kNotFound) << "keys are exact";
    EXPECT_EQ(std::pair(p->GetSideKey(1), &p->GetSide(1)), std::pair(std::string("G"), &background));

    // A new side has the default appearance: plain white at magnification 1.
    const SettingStore& f = front.GetSettings();
    EXPECT_EQ(std::tuple(f.GetInt(SideKey(kSideAppearance)), f.GetInt(SideKey(kSideColor1)), f.GetInt(SideKey(kSideMagnification))),
              std::tuple(int(kAppearanceColor), 0xFFFFFF, 1));
    EXPECT_TRUE(front.GetPicture() == nullptr && front.GetSecondPicture() == nullptr);

    auto added = std::make_unique<CSide>();
    CSide* raw = added.get();
    p->AddSide("z", std::move(added));
    EXPECT_EQ(std::tuple(p->GetSideCount(), p->GetSideKey(3), &p->GetSide(3)), std::tuple(4u, "z", raw));
    // Adding under a key already present replaces that side in its place.
    auto replacement = std::make_unique<CSide>();
    CSide* raw2 = replacement.get();
    p->AddSide("G", std::move(replacement));
    EXPECT_EQ(std::tuple(p->GetSideCount(), p->FindSide("G"), &p->GetSide(1)), std::tuple(4u, 1, raw2));
}

TEST(Side, ResetDropsPicturesAndRestoresDefaultsFirst) {
    CSide side;
    side.SetPicture(std::make_unique<CRaster>(CRaster::Make(4, 3, 24).value()));
    side.SetSecondPicture(std::make_unique<CRaster>(CRaster::Make(2, 2, 24).value()));
    side.GetSettings().SetInt(SideKey(kSideGradientStyle), 7);
    side.GetSettings().SetInt(SideKey(kSideColor2), 0x123456);

    side.Reset(kAppearanceColor, 400, 300, 0xFFFFFF, 4);
    EXPECT_TRUE(side.GetPicture() == nullptr && side.GetSecondPicture() == nullptr);
    const SettingStore& s = side.GetSettings();
    EXPECT_EQ(s.LookupInt(SideKey(kSideGradientStyle)), nullptr) << "old settings are gone";
    const auto get = [&s](std::uint32_t id) { return s.GetInt(SideKey(id)); };
    EXPECT_EQ((std::vector{get(kSideColor2), get(kSideAppearance), get(kSideBaseWidth), get(kSideBaseHeight),
                           get(kSideColor1), get(kSideMagnification)}),
              (std::vector{0, 1, 400, 300, 0xFFFFFF, 4}));
}

TEST(Side, CloneIsDeep) {
    CSide side;
    side.GetSettings().SetInt(SideKey(kSideColor1), 0x0000FF);
    side.SetPicture(std::make_unique<CRaster>(CRaster::Make(5, 4, 24).value()));
    auto copy = side.Clone();
    ASSERT_TRUE(copy->GetPicture());
    EXPECT_TRUE(copy->GetPicture() != side.GetPicture() && copy->GetPicture()->GetWidth() == 5 && copy->GetSecondPicture() == nullptr);
    EXPECT_TRUE(copy->GetSettings().SameContent(side.GetSettings()));
    side.GetSettings().SetInt(SideKey(kSideColor1), 0);
    EXPECT_EQ(copy->GetSettings().GetInt(SideKey(kSideColor1)), 0x0000FF);
}

// A colour's picture is known to be of one colour until it is handed out
// for change or replaced; a gradient's is not.
TEST(Side, KnowsAColourPictureIsOfOneColourUntilItMayChange) {
    CSide side;
    side.Reset(kAppearanceColor, 6, 4, 0x0000FF);
    ASSERT_TRUE(BuildAppearance(side));
    const CSide& seen = side;
    EXPECT_TRUE(seen.GetPicture() && side.IsPictureOneColour() && side.Clone()->IsPictureOneColour());
    side.GetPicture();
    EXPECT_FALSE(side.IsPictureOneColour()) << "a picture handed out for change may be drawn on";
    ASSERT_TRUE(BuildAppearance(side));
    side.SetPicture(std::make_unique<CRaster>(CRaster::Make(5, 4, 24).value()));
    EXPECT_FALSE(side.IsPictureOneColour());
    side.Reset(kAppearanceGradient, 6, 4, 0x0000FF);
    ASSERT_TRUE(BuildAppearance(side));
    EXPECT_FALSE(side.IsPictureOneColour());
}

TEST(Side, NamesOfTheSideKeys) {
    const std::pair<const char*, const char*> names[] = {
        {"F", "Front"},          {"L", "Left"},           {"R", "Right"},         {"U", "Top"},
        {"D", "Bottom"},         {"S", "Spine"},          {"G", "Background"},    {"u", "Pages (Top)"},
        {"d", "Pages (Bottom)"}, {"r", "Pages (Right)"},  {"l", "Pages (Left)"},  {"a", "Alpha Data"},
        {"x", "Layout Data"},    {"y", "Rendering Scratch Data"},                  {"z", "Rendering Data"},
        {"B", "Back"},
    };
    for (const auto& [key, name] : names) {
        EXPECT_STREQ(GetSideName(key), name) << key;
        EXPECT_EQ(FaceKeyOfName(name), IsWorkingSide(key) ? "" : key) << name;  // tabs name faces only
    }
    for (const char* other : {"f", "C", "", "FF", "Z"}) EXPECT_STREQ(GetSideName(other), "") << other;
    EXPECT_EQ(FaceKeyOfName("CD-ROM"), "C");
    EXPECT_EQ(FaceKeyOfName("Render"), "");
}

// Boxes and books gain a back as large as their front and looking like it
// (a front picture is not repeated); once only; other kinds have none.
TEST(Side, BackFaceOfBoxesAndBooks) {
    for (const char* code : GetKindCodes()) {
        auto p = CreateProduct(code);
        CSide& front = p->GetOrCreateSide("F");
        front.Reset(kAppearanceColor, 6, 4, 0x0000FF);
        ASSERT_TRUE(BuildAppearance(front));
        std::string error;
        const bool boxOrBook = p->HasDepth() && !p->HasBinding();
        ASSERT_EQ(AddBackFace(*p, error), boxOrBook) << code;
        EXPECT_EQ(HasBackFace(*p), boxOrBook) << code;
        if (!boxOrBook) continue;
        const CRaster* back = p->FindSidePtr("B")->GetPicture();
        ASSERT_TRUE(back && back->GetWidth() == 6 && back->GetHeight() == 4);
        EXPECT_EQ(RGBQUADtoRGB(back->GetPixelColor(5, 3)), 0x0000FFu);
        EXPECT_FALSE(AddBackFace(*p, error));
        // Taken out again (undo), the same side with its picture; the others keep their order.
        p->GetOrCreateSide("G");
        const std::unique_ptr<CSide> taken = TakeBackFace(*p);
        ASSERT_TRUE(taken && taken->GetPicture() == back) << code;
        EXPECT_FALSE(HasBackFace(*p));
        ASSERT_EQ(p->GetSideCount(), 2u);
        EXPECT_EQ(p->GetSideKey(0) + p->GetSideKey(1), "FG");
    }
    auto box = CreateProduct("BOX");
    CSide& front = box->GetOrCreateSide("F");
    front.Reset(kAppearanceColor, 6, 4, 0x0000FF);
    ASSERT_TRUE(BuildAppearance(front));
    front.GetSettings().SetInt(SideKey(kSideAppearance), kAppearancePicture);
    std::string error;
    ASSERT_TRUE(AddBackFace(*box, error));
    EXPECT_EQ(RGBQUADtoRGB(box->FindSidePtr("B")->GetPicture()->GetPixelColor(0, 0)), 0xFFFFFFu);
}
