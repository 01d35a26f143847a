#include "properties/SettingStore.h"
#include "properties/SettingTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The update classes written out per class value.
unsigned ExpectedClass(std::uint32_t id) {
    auto in = [&](std::initializer_list<std::uint32_t> ids) {
        for (std::uint32_t i : ids)
            if (i == id) return true;
        return false;
    };
    auto between = [&](std::uint32_t lo, std::uint32_t hi) { return id >= lo && id <= hi; };
    if (in({1, 2, 11, 13, 41, 42, 43, 51, 53, 61, 71, 81, 91, 92, 93, 94, 95, 102, 111, 112, 113})) return 193;
    if (between(141, 147) || between(151, 154) || between(161, 163) || between(171, 173)) return 194;
    if (in({72, 73, 74, 114, 193, 194, 211})) return 130;
    if (in({191, 192, 201, 202})) return 129;
    if (in({3, 12, 14, 21, 22, 23}) || between(31, 37) || between(181, 185)) return 4;
    if (in({62, 63, 64, 212})) return 2;
    if (id == 101) return 10;
    if (in({121, 122, 123, 131, 132, 133, 134})) return 18;
    if (id == 155) return 34;
    if (id == 164) return 4;  // the resolution is set on the finished picture
    return 1;
}

enum Kind { I, R, X };
struct StartValue {
    std::uint32_t id;
    Kind kind;
    std::int32_t i;
    double r;
};

// The start values in the order a new product receives them.
const std::vector<StartValue> kStart = {
    {191, I, 0, 0},        {192, I, 0, 0},        {201, I, 0, 0},     {202, I, 0xFFFFFF, 0},
    {53, I, 0, 0},         {71, I, 1, 0},         {72, I, 0x808080, 0}, {73, I, 3, 0},
    {61, I, 0, 0},         {62, I, 128, 0},       {63, I, 255, 0},    {64, I, 1, 0},
    {141, I, 0, 0},        {142, I, 0, 0},        {143, I, 0, 0},     {144, I, 0, 0},
    {145, I, 0, 0},        {146, I, 0, 0},        {147, I, 0, 0},     {11, I, 0, 0},
    {12, I, 1, 0},         {13, I, 10, 0},        {14, I, 0xFFFFFF, 0}, {1, I, 0, 0},
    {2, I, 1, 0},          {3, I, 0, 0},          {21, I, 0, 0},      {22, I, 1, 0},
    {23, I, 0x00FF00, 0},  {31, I, 0, 0},         {32, I, 100, 0},    {33, R, 0, 0.8},
    {34, R, 0, 0.7},       {35, I, 0x00FFFF, 0},  {36, I, 1, 0},      {37, I, 128, 0},
    {41, I, 10, 0},        {42, I, 25, 0},        {43, I, 15, 0},     {91, I, 0, 0},
    {92, I, 0, 0},         {93, I, 500, 0},       {51, I, 0, 0},      {81, I, 0x100, 0},
    {131, I, 10, 0},       {132, I, 10, 0},       {133, I, 80, 0},    {121, I, 0xE0E0E0, 0},
    {123, I, 0xC0C0C0, 0}, {122, I, 0, 0},        {101, X, 0, 0},     {102, I, 5, 0},
    {111, I, 0, 0},        {112, I, 50, 0},       {113, I, 70, 0},    {114, I, 0, 0},
    {155, X, 0, 0},        {151, X, 0, 0},        {152, X, 0, 0},     {153, X, 0, 0},
    {154, X, 0, 0},        {171, R, 0, 1.0},      {172, R, 0, 1.0},   {173, R, 0, 1.0},
    {161, I, 400, 0},      {162, I, 400, 0},      {163, I, 4, 0},     {164, I, 300, 0},
    {181, I, 100, 0},      {182, I, 100, 0},      {183, I, 100, 0},   {184, I, 100, 0},
    {185, I, 100, 0},
    // Shading, Texture Filtering, Lens, Elevation, Shadow Softness.
    {193, I, 50, 0},       {194, I, 1, 0},        {94, I, 100, 0},    {95, I, 20, 0},
    {74, I, 8, 0},
    // Framing, Lighting, Backdrop: 0, the look before them.
    {210, I, 0, 0},        {211, I, 0, 0},        {212, I, 0, 0},
};

// Chain order of one map after inserting `ids` in order (independent model).
std::vector<std::uint32_t> ChainOrder(const std::vector<std::uint32_t>& ids) {
    std::vector<std::vector<std::uint32_t>> buckets(17);
    for (std::uint32_t id : ids) {
        const std::uint32_t packed = (std::uint32_t('M') << 24) | id;
        buckets[packed % 17].insert(buckets[packed % 17].begin(), packed);
    }
    std::vector<std::uint32_t> out;
    for (const auto& b : buckets) out.insert(out.end(), b.begin(), b.end());
    return out;
}

std::vector<std::string> Names(ChoiceList list) {
    std::vector<std::string> out;
    for (const SettingValueName& vn : GetValueNames(list)) out.push_back(vn.name + std::string("=") +
                                                                         std::to_string(vn.value));
    return out;
}

}  // namespace

TEST(UpdateClass, EveryIdMatchesItsClass) {
    for (std::uint32_t id = 0; id <= 300; ++id) EXPECT_EQ(GetUpdateClass(id), ExpectedClass(id)) << "id " << id;
    for (std::uint32_t id = 10001; id <= 10015; ++id) EXPECT_EQ(GetUpdateClass(id), 1u) << "side id " << id;
    EXPECT_EQ(GetUpdateClass(100000), 1u);
    // The worked examples.
    EXPECT_EQ(GetUpdateClass(2), 193u);
    EXPECT_EQ(GetUpdateClass(3), 4u);
    EXPECT_EQ(GetUpdateClass(72), 130u);
    EXPECT_EQ(GetUpdateClass(191), 129u);
    EXPECT_EQ(GetUpdateClass(181), 4u);
}

TEST(UpdateClass, FinishOnlyBitBelongsToExactlyTheFinishingEffects) {
    const std::set<std::uint32_t> finishing = {3, 12, 14, 21, 22, 23, 31, 32, 33, 34, 35, 36, 37,
                                               164, 181, 182, 183, 184, 185};
    for (std::uint32_t id = 0; id <= 300; ++id) {
        const bool finishOnly = GetUpdateClass(id) == kUpdateFinish;
        EXPECT_EQ(finishOnly, finishing.count(id) == 1) << "id " << id;
    }
}

TEST(StartValues, OrderAndValuesOfANewStore) {
    std::vector<std::uint32_t> order(GetStartValueOrder().begin(), GetStartValueOrder().end());
    std::vector<std::uint32_t> expectedOrder;
    for (const StartValue& s : kStart) expectedOrder.push_back(s.id);
    EXPECT_EQ(order, expectedOrder);

    SettingStore store;
    ApplyStartValues(store);
    std::vector<std::uint32_t> ints, reals, texts;
    for (const StartValue& s : kStart) {
        const SettingKey key = ModelKey(s.id);
        switch (s.kind) {
        case I:
            ints.push_back(s.id);
            ASSERT_NE(store.LookupInt(key), nullptr) << s.id;
            EXPECT_EQ(*store.LookupInt(key), s.i) << "id " << s.id;
            break;
        case R:
            reals.push_back(s.id);
            ASSERT_NE(store.LookupReal(key), nullptr) << s.id;
            EXPECT_DOUBLE_EQ(*store.LookupReal(key), s.r) << "id " << s.id;
            break;
        case X:
            texts.push_back(s.id);
            ASSERT_NE(store.LookupText(key), nullptr) << s.id;
            EXPECT_EQ(*store.LookupText(key), "") << "id " << s.id;
            break;
        }
    }
    EXPECT_EQ(store.Ints().GetCount(), ints.size());
    EXPECT_EQ(store.Reals().GetCount(), reals.size());
    EXPECT_EQ(store.Texts().GetCount(), texts.size());
    EXPECT_EQ(store.LookupInt(ModelKey(134)), nullptr) << "the Page Depth row stores nothing";

    // The insertion order decides the iteration order, which files depend on.
    auto packed = [](const auto& map) {
        std::vector<std::uint32_t> out;
        map.ForEach([&](SettingKey k, const auto&) { out.push_back(k.Packed()); });
        return out;
    };
    EXPECT_EQ(packed(store.Ints()), ChainOrder(ints));
    EXPECT_EQ(packed(store.Reals()), ChainOrder(reals));
    EXPECT_EQ(packed(store.Texts()), ChainOrder(texts));
}

TEST(SettingTable, EveryStoredSettingHasAStartValueAndTableDefaultsAgree) {
    std::set<std::uint32_t> tableIds;
    for (const SettingInfo& info : GetSettingTable()) {
        EXPECT_TRUE(tableIds.insert(info.id).second) << "duplicate id " << info.id;
        EXPECT_EQ(FindSetting(info.id), &info);
    }
    std::set<std::uint32_t> startIds(GetStartValueOrder().begin(), GetStartValueOrder().end());
    EXPECT_EQ(startIds.size(), GetStartValueOrder().size()) << "an id starts twice";
    tableIds.erase(134);
    EXPECT_EQ(tableIds, startIds);
    EXPECT_EQ(FindSetting(999), nullptr);
}

TEST(SettingTable, LabelsUnitsAndRanges) {
    struct Row {
        std::uint32_t id;
        const char* label;
        const char* section;
        const char* editLabel;
        const char* unit;
    };
    const Row rows[] = {
        {192, "Detail", "Rendering Options", "Detail", ""},
        {12, "Style", "Bevel", "Bevel Style", ""},
        {13, "Size", "Bevel", "Bevel Size", "pixels"},
        {14, "Color", "Bevel", "Bevel Color", ""},
        {2, "Size", "Borders", "Border Size", "pixels"},
        {3, "Color", "Borders", "Border Color", ""},
        {183, "Red", "Color Balance", "Red Color Balance", "%"},
        {22, "Effect Style", "Color Effect", "Color Effect Style", ""},
        {23, "Color", "Color Effect", "Color Effect Color", ""},
        {32, "Intensity", "Lens Flare", "Lens Flare Intensity", "%"},
        {37, "Alpha Mix", "Lens Flare", "Lens Flare Alpha Mix", ""},
        {53, "Table Position", "Object Positioning", "Table Position", ""},
        {41, "X Rotation", "Object Positioning", "X Rotation", "degrees"},
        {114, "Binder Color", "Object Properties", "Binder Color", ""},
        {91, "X Position", "Observer Position", "Observer X Position", ""},
        {92, "Y Position", "Observer Position", "Observer Y Position", ""},
        {62, "Top Fade", "Reflection", "Reflection Top Fade", ""},
        {64, "Ripple", "Reflection", "Reflection Ripple", ""},
        {81, "Lights", "Shadows", "Lights", ""},
        {72, "Color", "Shadows", "Shadow Color", ""},
        {73, "Style", "Shadows", "Shadow Style", ""},
        {121, "Paper Color", "Page Settings", "Pages' Paper Color", ""},
        {123, "Edge Color", "Page Settings", "Page Edge Color", ""},
        {101, "Image", "CD-ROM", "CD-ROM Image", ""},
    };
    for (const Row& r : rows) {
        const SettingInfo* info = FindSetting(r.id);
        ASSERT_NE(info, nullptr) << r.id;
        EXPECT_STREQ(info->label, r.label) << r.id;
        EXPECT_STREQ(info->section, r.section) << r.id;
        EXPECT_STREQ(info->editLabel, r.editLabel) << r.id;
        EXPECT_STREQ(info->unit, r.unit) << r.id;
    }
    struct Range {
        std::uint32_t id;
        int lo, hi;
    };
    for (const Range& r : {Range{181, 50, 150}, Range{185, 50, 150}, Range{32, 50, 200}, Range{37, 1, 255},
                           Range{51, 0, 100}, Range{41, -60, 60}, Range{43, -60, 60}, Range{91, -100, 100},
                           Range{92, 0, 100}, Range{62, 1, 255}, Range{63, 1, 255}}) {
        const SettingInfo* info = FindSetting(r.id);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->range, RangeKind::Fixed) << r.id;
        EXPECT_EQ(info->minimum, r.lo) << r.id;
        EXPECT_EQ(info->maximum, r.hi) << r.id;
    }
    EXPECT_EQ(FindSetting(13)->range, RangeKind::BorderLimit);
    EXPECT_EQ(FindSetting(2)->range, RangeKind::BorderLimit);
    EXPECT_EQ(FindSetting(81)->type, SettingType::Lights);
    EXPECT_EQ(FindSetting(33)->type, SettingType::Real);
    EXPECT_EQ(FindSetting(101)->type, SettingType::Text);
    EXPECT_EQ(FindSetting(23)->type, SettingType::Colour);
    EXPECT_EQ(FindSetting(64)->type, SettingType::Boolean);
    EXPECT_EQ(FindSetting(73)->choices, ChoiceList::ShadowStyle);
}

TEST(SettingTable, ChoiceListsInDisplayOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(ChoiceList::Detail), (V{"Standard=0", "Enhanced=1"}));
    EXPECT_EQ(Names(ChoiceList::BevelStyle), (V{"Buttonize=1", "Color Fade=3", "Indent=2"}));
    EXPECT_EQ(Names(ChoiceList::ColorEffectStyle),
              (V{"Black and White Negative=4", "Color Negative=3", "Colorize=1", "Emboss=5", "Gray Scale=2"}));
    EXPECT_EQ(Names(ChoiceList::LensFlareBlending), (V{"Additive=2", "Alpha=1", "Subtractive=3"}));
    EXPECT_EQ(Names(ChoiceList::TablePosition),
              (V{"Beneath (Horizontal Table)=0", "Behind (Vertical Table)=1"}));
    EXPECT_EQ(Names(ChoiceList::ShadowStyle), (V{"Cut Shadows=0", "Good=1", "Very Good=2", "Best=3", "Studio=4"}));
    EXPECT_EQ(Names(ChoiceList::BinderType), (V{"None=0", "Spiral Bound=1", "Comb Bound=2"}));
    EXPECT_EQ(Names(ChoiceList::CDPositionBook),
              (V{"In Front Of Book=0", "Inside Front Cover=2", "Middle=3", "Inside Back Cover=4",
                 "Behind The Book=5"}));
    EXPECT_EQ(Names(ChoiceList::CDPositionBox),
              (V{"In Front Of Box=0", "Inside Front=1", "Inside Middle=3", "Inside Back=5"}));
    EXPECT_EQ(Names(ChoiceList::ScaleDivisor), (V{"X 1=1", "X 1/2=2", "X 1/4=4", "X 1/8=8", "X 1/16=16"}));
    V multiplier;
    for (int i = 1; i <= 16; ++i) multiplier.push_back("X " + std::to_string(i) + "=" + std::to_string(i));
    EXPECT_EQ(Names(ChoiceList::Multiplier), multiplier);
    EXPECT_TRUE(GetValueNames(ChoiceList::None).empty());

    EXPECT_EQ(GetValueName(ChoiceList::BevelStyle, 3), "Color Fade");
    EXPECT_EQ(GetValueName(ChoiceList::CDPositionBox, 2), "") << "a value without entry shows empty";
    EXPECT_EQ(GetValueName(ChoiceList::CDPositionBook, 5), "Behind The Book");
}

TEST(SettingTable, BorderLimitAndPageDepthRow) {
    EXPECT_EQ(GetBorderBevelLimit(400, 400), 100);
    EXPECT_EQ(GetBorderBevelLimit(403, 999), 100);  // 403 / 4 = 100.75 truncated
    EXPECT_EQ(GetBorderBevelLimit(999, 50), 12);
    EXPECT_EQ(GetBorderBevelLimit(3, 400), 0);

    SettingStore store;
    ApplyStartValues(store);
    EXPECT_EQ(FormatPageDepths(store), "10% / 80% / 10%");
    store.SetInt(ModelKey(131), 5);   // front cover
    store.SetInt(ModelKey(133), 70);  // pages
    store.SetInt(ModelKey(132), 25);  // back cover
    EXPECT_EQ(FormatPageDepths(store), "5% / 70% / 25%");
}
