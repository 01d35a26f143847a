#include "catalogue/Product.h"
#include "image/Raster.h"
#include "properties/SettingTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct KindRow {
    const char* code;
    const char* kindName;
    const char* family;
    std::vector<std::string> faces;
    const char* letters;
    // CD-ROM, CD inside, box kind, pages, pages left, binding, depth, corner rounding
    int caps[8];
};

const std::vector<KindRow> kKinds = {
    {"CARD", "Card", "Business Card", {"Front"}, "F", {0, 0, 0, 0, 0, 0, 0, 0}},
    {"RCARD", "Rounded Card", "Membership Card", {"Front"}, "F", {0, 0, 0, 0, 0, 0, 0, 3}},
    {"BOX", "Box", "Box", {"Front", "Left", "Right", "Top", "Bottom"}, "FLRUD", {0, 0, 1, 0, 0, 0, 1, 0}},
    {"BOOK", "Book", "Book", {"Front", "Spine", "Pages (Right)", "Pages (Top)", "Pages (Bottom)"}, "FS",
     {0, 0, 0, 1, 0, 0, 1, 0}},
    {"BOXCD", "Box with CD-ROM", "Box", {"Front", "Left", "Right", "Top", "Bottom", "CD-ROM"}, "FLRUD",
     {1, 1, 1, 0, 0, 0, 1, 0}},
    {"BOOKCD", "Book with CD-ROM", "Book",
     {"Front", "Spine", "Pages (Right)", "Pages (Top)", "Pages (Bottom)", "CD-ROM"}, "FS",
     {1, 1, 0, 1, 0, 0, 1, 0}},
    {"CD", "CD-ROM", "", {"CD-ROM"}, "", {1, 0, 0, 0, 0, 0, 0, 0}},
    {"BINDER", "Binder", "Binder", {"Front", "Pages (Left)", "Pages (Right)", "Pages (Top)", "Pages (Bottom)"},
     "F", {0, 0, 0, 1, 1, 1, 1, 0}},
    {"BINDERCD", "Binder with CD-ROM", "Binder",
     {"Front", "Pages (Left)", "Pages (Right)", "Pages (Top)", "Pages (Bottom)", "CD-ROM"}, "F",
     {1, 1, 0, 1, 1, 1, 1, 0}},
};

}  // namespace

TEST(Product, EveryKindAnswersItsTable) {
    for (const KindRow& row : kKinds) {
        SCOPED_TRACE(row.code);
        auto p = CreateProduct(row.code);
        ASSERT_TRUE(p);
        EXPECT_STREQ(p->GetKindCode(), row.code);
        EXPECT_STREQ(p->GetKindName(), row.kindName);
        EXPECT_STREQ(p->GetFamilyName(), row.family);
        EXPECT_STREQ(p->GetSideLetters(), row.letters);
        ASSERT_EQ(p->GetFaceCount(), static_cast<int>(row.faces.size()));
        for (int i = 0; i < p->GetFaceCount(); ++i) EXPECT_EQ(p->GetFaceName(i), row.faces[i]) << i;
        const int caps[8] = {p->HasCDROM(),     p->HasCDROMInside(), p->IsBoxKind(), p->HasPages(),
                             p->HasPagesOnLeft(), p->HasBinding(),   p->HasDepth(),  p->GetCornerRounding()};
        for (int c = 0; c < 8; ++c) EXPECT_EQ(caps[c], row.caps[c]) << "capability column " << c;
        EXPECT_EQ(p->HasFolds(), row.caps[6]) << "folds go with depth";
        EXPECT_EQ(p->UsesBoxCDPositions(), row.caps[2]);
    }
    std::vector<std::string> codes(GetKindCodes().begin(), GetKindCodes().end());
    ASSERT_EQ(codes.size(), kKinds.size());
    for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], kKinds[i].code);
}

TEST(Product, FaceIndicesOutsideTheListGiveFront) {
    auto box = CreateProduct("BOX");
    EXPECT_STREQ(box->GetFaceName(7), "Front");
    EXPECT_STREQ(box->GetFaceName(5), "Front");
    EXPECT_STREQ(box->GetFaceName(-1), "Front");
    auto bookcd = CreateProduct("BOOKCD");
    EXPECT_STREQ(bookcd->GetFaceName(6), "Front");
    auto cd = CreateProduct("CD");
    for (int i : {-3, 0, 1, 7, 1000}) EXPECT_STREQ(cd->GetFaceName(i), "CD-ROM") << i;
}

TEST(Product, CreateProductIsExactAndCaseSensitive) {
    for (const char* bad : {"box", "Box", "BOX ", " BOX", "", "BOXCDX", "CARDS", "binder", "CD-ROM", "B0X"})
        EXPECT_FALSE(CreateProduct(bad)) << "'" << bad << "'";
    auto box = CreateProduct("BOX");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->GetSideCount(), 0u);
    // Default settings are in place.
    const SettingStore& s = box->GetSettings();
    EXPECT_EQ(s.GetInt(ModelKey(kSetXRotation)), 10);
    EXPECT_EQ(s.GetInt(ModelKey(kSetLights)), 0x100);
    EXPECT_EQ(s.GetInt(ModelKey(kSetMagnification)), 4);
    EXPECT_DOUBLE_EQ(s.GetReal(ModelKey(kSetLensFlareX)), 0.8);
    EXPECT_NE(s.LookupText(ModelKey(kSetCDImage)), nullptr);

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

TEST(Product, TableOffsetFollowsTablePositionOnlyForFlatKinds) {
    for (const char* code : {"CARD", "RCARD", "CD"}) {
        auto p = CreateProduct(code);
        EXPECT_EQ(p->GetTableOffset(), 0) << code;
        p->GetSettings().SetInt(ModelKey(kSetTablePosition), 1);
        EXPECT_EQ(p->GetTableOffset(), 20) << code;
        EXPECT_EQ(p->GetTableOffsetFor(0), 0) << code;
        EXPECT_EQ(p->GetTableOffsetFor(1), 20) << code;
        EXPECT_EQ(p->GetTableOffsetFor(2), 0) << code;
    }
    for (const char* code : {"BOX", "BOOK", "BOXCD", "BOOKCD", "BINDER", "BINDERCD"}) {
        auto p = CreateProduct(code);
        p->GetSettings().SetInt(ModelKey(kSetTablePosition), 1);
        EXPECT_EQ(p->GetTableOffset(), 0) << code;
        EXPECT_EQ(p->GetTableOffsetFor(1), 0) << code;
    }
}

TEST(Product, CDPositionTestFollowsTheSettingForKindsWithTheCDInside) {
    for (const char* code : {"BOXCD", "BOOKCD", "BINDERCD"}) {
        auto p = CreateProduct(code);
        EXPECT_EQ(p->TestCDPosition(), 1) << code << ": the default position is 5";
        p->GetSettings().SetInt(ModelKey(kSetCDPosition), 0);
        EXPECT_EQ(p->TestCDPosition(), 0) << code;
        p->GetSettings().SetInt(ModelKey(kSetCDPosition), 5);
        EXPECT_EQ(p->TestCDPosition(), 1) << code;
    }
    for (const char* code : {"CD", "BOX", "BOOK", "CARD", "RCARD", "BINDER"}) {
        auto p = CreateProduct(code);
        p->GetSettings().SetInt(ModelKey(kSetCDPosition), 3);
        EXPECT_EQ(p->TestCDPosition(), 0) << code;
    }
}

TEST(Product, SideListKeepsInsertionOrderAndExactKeys) {
    auto p = CreateProduct("BOOK");
    EXPECT_EQ(p->FindSide("F"), CProduct::kNotFound);
    EXPECT_EQ(p->FindSidePtr("F"), nullptr);
    CSide& front = p->GetOrCreateSide("F");
    CSide& background = p->GetOrCreateSide("G");
    p->GetOrCreateSide("u");
    EXPECT_EQ(&p->GetOrCreateSide("F"), &front) << "get-or-create finds the existing side";
    EXPECT_EQ(p->GetSideCount(), 3u);
    EXPECT_EQ(p->FindSide("F"), 0);
    EXPECT_EQ(p->FindSide("G"), 1);
    EXPECT_EQ(p->FindSide("u"), 2);
    EXPECT_EQ(p->FindSide("U"), CProduct::kNotFound) << "keys are case-sensitive";
    EXPECT_EQ(p->FindSide("FG"), CProduct::kNotFound);
    EXPECT_EQ(p->GetSideKey(1), "G");
    EXPECT_EQ(&p->GetSide(1), &background);

    // A new side has the default appearance: plain white at magnification 1.
    EXPECT_EQ(front.GetSettings().GetInt(SideKey(kSideAppearance)), kAppearanceColor);
    EXPECT_EQ(front.GetSettings().GetInt(SideKey(kSideColor1)), 0xFFFFFF);
    EXPECT_EQ(front.GetSettings().GetInt(SideKey(kSideMagnification)), 1);
    EXPECT_EQ(front.GetPicture(), nullptr);
    EXPECT_EQ(front.GetSecondPicture(), nullptr);

    auto added = std::make_unique<CSide>();
    CSide* raw = added.get();
    p->AddSide("z", std::move(added));
    EXPECT_EQ(p->GetSideCount(), 4u);
    EXPECT_EQ(p->GetSideKey(3), "z");
    EXPECT_EQ(&p->GetSide(3), raw);
    // Adding under a key already present replaces that side in its place.
    auto replacement = std::make_unique<CSide>();
    CSide* raw2 = replacement.get();
    p->AddSide("G", std::move(replacement));
    EXPECT_EQ(p->GetSideCount(), 4u);
    EXPECT_EQ(p->FindSide("G"), 1);
    EXPECT_EQ(&p->GetSide(1), raw2);
}

TEST(Side, ResetDropsPicturesAndRestoresDefaultsFirst) {
    CSide side;
    side.SetPicture(std::make_unique<CRaster>(4, 3, 24));
    side.SetSecondPicture(std::make_unique<CRaster>(2, 2, 24));
    side.GetSettings().SetInt(SideKey(kSideGradientStyle), 7);
    side.GetSettings().SetInt(SideKey(kSideColor2), 0x123456);

    side.Reset(kAppearanceColor, 400, 300, 0xFFFFFF, 4);
    EXPECT_EQ(side.GetPicture(), nullptr);
    EXPECT_EQ(side.GetSecondPicture(), nullptr);
    const SettingStore& s = side.GetSettings();
    EXPECT_EQ(s.LookupInt(SideKey(kSideGradientStyle)), nullptr) << "old settings are gone";
    EXPECT_EQ(s.GetInt(SideKey(kSideColor2)), 0);
    EXPECT_EQ(s.GetInt(SideKey(kSideAppearance)), 1);
    EXPECT_EQ(s.GetInt(SideKey(kSideBaseWidth)), 400);
    EXPECT_EQ(s.GetInt(SideKey(kSideBaseHeight)), 300);
    EXPECT_EQ(s.GetInt(SideKey(kSideColor1)), 0xFFFFFF);
    EXPECT_EQ(s.GetInt(SideKey(kSideMagnification)), 4);
}

TEST(Side, CloneIsDeep) {
    CSide side;
    side.GetSettings().SetInt(SideKey(kSideColor1), 0x0000FF);
    side.SetPicture(std::make_unique<CRaster>(5, 4, 24));
    auto copy = side.Clone();
    ASSERT_TRUE(copy->GetPicture());
    EXPECT_NE(copy->GetPicture(), side.GetPicture());
    EXPECT_EQ(copy->GetPicture()->GetWidth(), 5);
    EXPECT_EQ(copy->GetSecondPicture(), nullptr);
    EXPECT_TRUE(copy->GetSettings().SameContent(side.GetSettings()));
    side.GetSettings().SetInt(SideKey(kSideColor1), 0);
    EXPECT_EQ(copy->GetSettings().GetInt(SideKey(kSideColor1)), 0x0000FF);
}

TEST(Side, NamesOfTheSideKeys) {
    const std::pair<const char*, const char*> names[] = {
        {"F", "Front"},          {"L", "Left"},           {"R", "Right"},         {"U", "Top"},
        {"D", "Bottom"},         {"S", "Spine"},          {"G", "Background"},    {"u", "Pages (Top)"},
        {"d", "Pages (Bottom)"}, {"r", "Pages (Right)"},  {"l", "Pages (Left)"},  {"a", "Alpha Data"},
        {"x", "Layout Data"},    {"y", "Rendering Scratch Data"},                  {"z", "Rendering Data"},
    };
    for (const auto& [key, name] : names) EXPECT_STREQ(GetSideName(key), name) << key;
    for (const char* other : {"f", "C", "", "FF", "Z"}) EXPECT_STREQ(GetSideName(other), "") << other;
}
