#include "TempFolder.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ModelNames.h"

namespace {

int NumberOf(const ModelLookup& m) { return m.entry ? m.entry->number : 0; }

TEST(ModelNames, EveryModelHasItsOwnName)
{
    std::set<std::string> names;
    for (const CatalogueEntry& e : GetCatalogue()) names.insert(GetUniqueModelName(e));
    EXPECT_EQ(names.size(), GetCatalogue().size());
    // The plain tab keeps the list name (3, box); its twin on the "+ CD-ROM" tab is marked
    // (6 bxc, 23 bkc, 32 bic); names no other model shares stay as they are (1, 15).
    const auto name = [](int number) { return GetUniqueModelName(GetCatalogue()[static_cast<std::size_t>(number - 1)]); };
    EXPECT_EQ((std::vector{name(3), name(6), name(23), name(32), name(1), name(15)}),
              (std::vector<std::string>{"CD Box", "CD Box with CD-ROM", "Text Book with CD-ROM", "A Size Binder with CD-ROM", "VHS Box",
                                        "3.5\" Floppy Disk"}));
}

TEST(ModelNames, LookUpTakesExactNamesAndUnambiguousBeginnings)
{
    for (const auto& [name, number] : {std::pair{"CD Box", 3}, {"cd box with cd-rom", 6}, {"dmo_bxc_008.bmp", 8}, {"DMO_BXC_008", 8},
                                        {"bkc/Magazine", 14}, {"VHS", 1}, {"Membership", 10}})
        EXPECT_EQ(NumberOf(LookUpModel(name)), number) << name;

    const ModelLookup software = LookUpModel("Software"), custom = LookUpModel("custom size b");
    EXPECT_TRUE(software.entry == nullptr && custom.entry == nullptr);
    EXPECT_EQ(software.candidates, (std::vector<std::string>{"Software Box", "Software Box with CD-ROM"}));
    // Box, Business Card, Book, Binder, and the three "with CD-ROM" twins.
    EXPECT_EQ(custom.candidates.size(), 7u);
}

TEST(ModelNames, NothingMatches)
{
    for (const char* name : {"Teapot", "", "dmo_box_099"}) {
        const ModelLookup m = LookUpModel(name);
        EXPECT_TRUE(m.entry == nullptr && m.candidates.empty()) << name;
    }
}

}  // namespace
