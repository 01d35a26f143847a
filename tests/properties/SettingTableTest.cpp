#include "properties/SettingStore.h"
#include "properties/SettingTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// The order a new product receives its start values in; stored files keep it.
const std::vector<std::uint32_t> kStartOrder = {
    191, 192, 201, 202, 53, 71, 72, 73, 61, 62, 63, 64, 141, 142, 143, 144, 145, 146, 147,
    11, 12, 13, 14, 1, 2, 3, 21, 22, 23, 31, 32, 33, 34, 35, 36, 37, 41, 42, 43, 91, 92, 93,
    51, 81, 131, 132, 133, 121, 123, 122, 101, 102, 111, 112, 113, 114, 155, 151, 152, 153, 154,
    171, 172, 173, 161, 162, 163, 164, 181, 182, 183, 184, 185, 193, 194, 94, 95, 74,
    210, 211, 212};

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

// One setting of each update class: the model bits (64, 128) for what moves
// the solid, the picture bits for what must be redrawn.
TEST(UpdateClass, OneSettingOfEachClass) {
    const std::pair<std::uint32_t, unsigned> examples[] = {
        {2, 193},   {3, 4},    {72, 130},  {191, 129}, {181, 4},  {62, 2},   {101, 10},
        {121, 18},  {155, 34}, {141, 194}, {164, 4},   {94, 193}, {74, 130}, {193, 130},
    };
    for (const auto& [id, expected] : examples) EXPECT_EQ(GetUpdateClass(id), expected) << "id " << id;
    // Every other number, and every side setting, redoes the layout alone.
    for (std::uint32_t id : {0u, 4u, 99u, 300u, 10001u, 10015u, 100000u}) EXPECT_EQ(GetUpdateClass(id), 1u) << id;
    for (const SettingInfo& info : GetSettingTable()) EXPECT_NE(GetUpdateClass(info.id), 0u) << info.id;
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
    EXPECT_EQ(std::vector<std::uint32_t>(GetStartValueOrder().begin(), GetStartValueOrder().end()), kStartOrder);

    // Each start value is its row's default, in the map of its type.
    SettingStore store;
    ApplyStartValues(store);
    std::vector<std::uint32_t> ints, reals, texts;
    for (std::uint32_t id : kStartOrder) {
        const SettingInfo* info = FindSetting(id);
        ASSERT_NE(info, nullptr) << id;
        const SettingKey key = ModelKey(id);
        if (info->type == SettingType::Real) {
            reals.push_back(id);
            ASSERT_NE(store.LookupReal(key), nullptr) << id;
            EXPECT_DOUBLE_EQ(*store.LookupReal(key), info->defaultReal) << "id " << id;
        } else if (info->type == SettingType::Text) {
            texts.push_back(id);
            ASSERT_NE(store.LookupText(key), nullptr) << id;
            EXPECT_EQ(*store.LookupText(key), info->defaultText) << "id " << id;
        } else {
            ints.push_back(id);
            ASSERT_NE(store.LookupInt(key), nullptr) << id;
            EXPECT_EQ(*store.LookupInt(key), info->defaultInt) << "id " << id;
        }
    }
    // Defaults the design names, in the order of the settings they belong to.
    EXPECT_EQ(store.GetInt(ModelKey(161)), 400);
    EXPECT_EQ(store.GetInt(ModelKey(163)), 4);
    EXPECT_EQ(store.GetInt(ModelKey(81)), 0x100);
    EXPECT_DOUBLE_EQ(store.GetReal(ModelKey(33)), 0.8);
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
    tableIds.erase(213); // Edge Radius: a project without it keeps the outlines from before it
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
