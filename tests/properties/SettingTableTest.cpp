#include "TempFolder.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

namespace {

// The order a new product receives its start values in; stored files keep it.
const std::vector<std::uint32_t> kStartOrder = {
    191, 192, 201, 202, 53, 71, 72, 73, 61, 62, 63, 64, 141, 142, 143, 144, 145, 146, 147,
    11, 12, 13, 14, 1, 2, 3, 21, 22, 23, 31, 32, 33, 34, 35, 36, 37, 41, 42, 43, 91, 92, 93,
    51, 81, 131, 132, 133, 121, 123, 122, 101, 102, 111, 112, 113, 114, 155, 151, 152, 153, 154,
    171, 172, 173, 161, 162, 163, 164, 181, 182, 183, 184, 185, 193, 194, 94, 95, 74,
    210, 211, 212, 214, 215, 216, 217, 218, 219, 220, 221};

std::vector<std::string> Names(ChoiceList list) {
    std::vector<std::string> out;
    for (const SettingValueName& vn : GetValueNames(list)) out.push_back(vn.name + std::string("=") +
                                                                         std::to_string(vn.value));
    return out;
}

}  // namespace

// Every row names what a change makes stale, within the known bits; ids
// without a row (side settings, unknown numbers) redo the layout alone.
TEST(UpdateClass, EveryRowHasAClassOfKnownBits) {
    for (const SettingInfo& info : GetSettingTable()) {
        EXPECT_NE(GetUpdateClass(info.id), 0u) << info.id;
        EXPECT_EQ(GetUpdateClass(info.id) & ~0xFFu, 0u) << info.id;
    }
    for (std::uint32_t id : {0u, 4u, 99u, 300u, 10001u, 10015u, 100000u}) EXPECT_EQ(GetUpdateClass(id), 1u) << id;
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

    // Each start value is its row's default, in the map of its type, set in
    // this order: a store filled row by row holds the same and iterates alike.
    SettingStore store, byHand;
    ApplyStartValues(store);
    for (std::uint32_t id : kStartOrder) {
        const SettingInfo* info = FindSetting(id);
        ASSERT_NE(info, nullptr) << id;
        if (info->type == SettingType::Real) byHand.SetReal(ModelKey(id), info->defaultReal);
        else if (info->type == SettingType::Text) byHand.SetText(ModelKey(id), info->defaultText);
        else byHand.SetInt(ModelKey(id), info->defaultInt);
    }
    EXPECT_TRUE(store.SameContent(byHand));
    // Defaults the design names, in the order of the settings they belong to.
    EXPECT_EQ(std::tuple(store.GetInt(ModelKey(161)), store.GetInt(ModelKey(163)), store.GetInt(ModelKey(81))), std::tuple(400, 4, 0x100));
    EXPECT_DOUBLE_EQ(store.GetReal(ModelKey(33)), 0.8);
    EXPECT_EQ(store.LookupInt(ModelKey(134)), nullptr) << "the Page Depth row stores nothing";

    // The insertion order decides the iteration order (its model: SettingStore.IteratesBuckets...), which files depend on.
    auto packed = [](const auto& map) {
        std::vector<std::uint32_t> out;
        map.ForEach([&](SettingKey k, const auto&) { out.push_back(k.Packed()); });
        return out;
    };
    EXPECT_EQ(packed(store.Ints()), packed(byHand.Ints()));
    EXPECT_EQ(packed(store.Reals()), packed(byHand.Reals()));
    EXPECT_EQ(packed(store.Texts()), packed(byHand.Texts()));
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

// What the grid, the edit dialogs and the checks rely on in every row: a
// shown row has a section and an edit label; a fixed range holds its default;
// a choice's default is one of its values; value lists have unique values and
// names, and GetValueName finds each.
TEST(SettingTable, RowsAreConsistent) {
    for (const SettingInfo& info : GetSettingTable()) {
        SCOPED_TRACE(info.id);
        EXPECT_EQ(*info.label == 0, *info.section == 0);
        EXPECT_EQ(*info.label == 0, *info.editLabel == 0);
        if (info.range == RangeKind::Fixed) {
            EXPECT_LT(info.minimum, info.maximum);
            EXPECT_GE(info.defaultInt, info.minimum);
            EXPECT_LE(info.defaultInt, info.maximum);
        }
        EXPECT_EQ(info.range == RangeKind::BorderLimit, info.id == kSetBorderSize || info.id == kSetBevelSize);
        EXPECT_EQ(info.type == SettingType::Choice, info.choices != ChoiceList::None);
        if (info.type == SettingType::Choice) {
            EXPECT_NE(GetValueName(info.choices, info.defaultInt), "");
        }
    }
    for (int list = int(ChoiceList::Detail); list <= int(ChoiceList::Multiplier); ++list) {
        std::set<int> values;
        std::set<std::string> names;
        for (const SettingValueName& vn : GetValueNames(ChoiceList(list))) {
            EXPECT_TRUE(values.insert(vn.value).second) << list << " " << vn.value;
            EXPECT_TRUE(names.insert(vn.name).second && *vn.name) << list << " " << vn.name;
            EXPECT_EQ(GetValueName(ChoiceList(list), vn.value), vn.name);
        }
        EXPECT_FALSE(values.empty()) << list;
    }
    EXPECT_TRUE(GetValueNames(ChoiceList::None).empty());
    EXPECT_EQ(GetValueName(ChoiceList::CDPositionBox, 2), "") << "a value without entry shows empty";
    // Lists show in their own order, not by value.
    EXPECT_EQ(Names(ChoiceList::BevelStyle), (std::vector<std::string>{"Buttonize=1", "Color Fade=3", "Indent=2"}));
    EXPECT_EQ(Names(ChoiceList::Multiplier).back(), "X 16=16");
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
