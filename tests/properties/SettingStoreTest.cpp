#include "TempFolder.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

namespace {

// Independent model of the store's iteration order: 17 buckets by packed key
// modulo 17, each new key pushed to the head of its chain.
std::vector<std::uint32_t> ExpectedOrder(const std::vector<SettingKey>& insertionOrder) {
    std::vector<std::vector<std::uint32_t>> buckets(17);
    for (const SettingKey& k : insertionOrder) {
        const std::uint32_t packed = (std::uint32_t(std::uint8_t(k.category)) << 24) | k.id;
        auto& chain = buckets[packed % 17];
        bool seen = false;
        for (std::uint32_t p : chain) seen = seen || p == packed;
        if (!seen) chain.insert(chain.begin(), packed);
    }
    std::vector<std::uint32_t> out;
    for (const auto& chain : buckets) out.insert(out.end(), chain.begin(), chain.end());
    return out;
}

std::vector<std::uint32_t> IntOrder(const SettingStore& store) {
    std::vector<std::uint32_t> out;
    store.Ints().ForEach([&](SettingKey k, std::int32_t) { out.push_back(k.Packed()); });
    return out;
}

}  // namespace

TEST(SettingKey, PackedFormAndEquality) {
    EXPECT_EQ(std::pair(SettingKey(13, 'M').Packed(), SettingKey(10001, 'S').Packed()), std::pair(0x4D00000Du, 0x53002711u)); // 'M' = 0x4D
    EXPECT_EQ(SettingKey(0x1234567, 'M').id, 0x234567u) << "only 24 bits of the id are kept";
    EXPECT_EQ(SettingKey::FromPacked(0x53002711u), SideKey(10001));
    EXPECT_FALSE(SettingKey(13, 'M') == SettingKey(13, 'S') || SettingKey(13, 'M') == SettingKey(14, 'M'));
}

TEST(SettingStore, MissingKeysReadAsEmptyValuesAndLookupTellsThemApart) {
    SettingStore store;
    EXPECT_EQ(std::tuple(store.GetInt(ModelKey(2)), store.GetReal(ModelKey(33)), store.GetText(ModelKey(101))), std::tuple(0, 0.0, ""));
    EXPECT_TRUE(store.LookupInt(ModelKey(2)) == nullptr && store.IsEmpty());

    // Storing the "missing" value on a new key is a change: the key now exists.
    EXPECT_EQ(store.SetInt(ModelKey(2), 0), 193u);
    ASSERT_NE(store.LookupInt(ModelKey(2)), nullptr);
    EXPECT_EQ(*store.LookupInt(ModelKey(2)), 0);
    EXPECT_EQ(store.LookupInt(SettingKey(2, 'S')), nullptr) << "categories are separate keys";
    EXPECT_EQ(store.LookupReal(ModelKey(2)), nullptr) << "the three maps are independent";
}

TEST(SettingStore, SetReturnsUpdateClassOnlyWhenTheValueChanges) {
    SettingStore store;
    // Border Color (3): finishing effect only; width (171), disc picture (101), sub-picture (155): their classes.
    EXPECT_EQ((std::vector{store.SetInt(ModelKey(3), 0x00FF00), store.SetInt(ModelKey(3), 0x00FF00), store.SetInt(ModelKey(3), 0x00FF01)}),
              (std::vector{4u, 0u, 4u}));
    EXPECT_EQ(store.GetInt(ModelKey(3)), 0x00FF01);
    EXPECT_EQ((std::vector{store.SetReal(ModelKey(171), 202.0), store.SetReal(ModelKey(171), 202.0), store.SetReal(ModelKey(171), 202.5)}),
              (std::vector{194u, 0u, 194u}));
    // A new text key is stored even when empty.
    EXPECT_EQ((std::vector{store.SetText(ModelKey(101), "c000"), store.SetText(ModelKey(101), "c000"), store.SetText(ModelKey(155), ""),
                           store.SetText(ModelKey(155), "")}),
              (std::vector{10u, 0u, 34u, 0u}));
    EXPECT_EQ(store.GetText(ModelKey(101)), "c000");

    // Side settings take the class of their id like any other.
    EXPECT_EQ(store.SetInt(SideKey(10001), 2), 1u);
    EXPECT_EQ(store.Ints().GetCount(), 2u);
}

TEST(SettingStore, IteratesBucketsInOrderWithNewestEntryFirstInEachChain) {
    SettingStore store;
    // 1, 18 and 35 differ by 17 and share a bucket once the category is added.
    const std::vector<SettingKey> keys = {ModelKey(1),  ModelKey(18), ModelKey(2),  ModelKey(35),
                                          SideKey(10001), ModelKey(0), ModelKey(17), ModelKey(18)};
    for (std::size_t i = 0; i < keys.size(); ++i) store.SetInt(keys[i], static_cast<int>(i));
    EXPECT_EQ(IntOrder(store), ExpectedOrder(keys));
    EXPECT_EQ(store.GetInt(ModelKey(18)), 7) << "re-setting replaces in place";

    // Many random keys in two categories, checked against the model.
    std::mt19937 rng(20261206u);
    SettingStore big;
    std::vector<SettingKey> inserted;
    for (int i = 0; i < 500; ++i) {
        const SettingKey k(rng() % 300, (rng() & 1) ? 'M' : 'S');
        inserted.push_back(k);
        big.SetInt(k, i);
    }
    EXPECT_EQ(IntOrder(big), ExpectedOrder(inserted)) << "seed 20261206";

    // Removing keeps the order of the others.
    std::vector<SettingKey> remaining;
    for (const SettingKey& k : inserted)
        if (k.id % 3 != 0) remaining.push_back(k);
    std::vector<SettingKey> removed;
    for (const SettingKey& k : inserted)
        if (k.id % 3 == 0) removed.push_back(k);
    CSettingMap<std::int32_t> map;
    for (std::size_t i = 0; i < inserted.size(); ++i) map.Set(inserted[i], int(i));
    for (const SettingKey& k : removed) map.Remove(k);
    std::vector<std::uint32_t> order;
    map.ForEach([&](SettingKey k, std::int32_t) { order.push_back(k.Packed()); });
    EXPECT_EQ(order, ExpectedOrder(remaining));
}

TEST(SettingStore, SameContentIgnoresOrderButNotValuesOrMaps) {
    SettingStore a, b;
    a.SetInt(ModelKey(1), 1);
    a.SetInt(ModelKey(18), 2);
    a.SetText(ModelKey(101), "x");
    b.SetText(ModelKey(101), "x");
    b.SetInt(ModelKey(18), 2);
    b.SetInt(ModelKey(1), 1);
    EXPECT_TRUE(a.SameContent(b));
    b.SetInt(ModelKey(1), 3);
    EXPECT_FALSE(a.SameContent(b));
    b.SetInt(ModelKey(1), 1);
    b.SetReal(ModelKey(1), 1.0);
    EXPECT_FALSE(a.SameContent(b));
    b.Clear();
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.GetText(ModelKey(101)), "");
}
