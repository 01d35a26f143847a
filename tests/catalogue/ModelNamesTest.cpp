#include "catalogue/Catalogue.h"
#include "catalogue/ModelNames.h"

#include <gtest/gtest.h>

#include <set>

namespace {

int NumberOf(const ModelLookup& m) { return m.entry ? m.entry->number : 0; }

TEST(ModelNames, EveryModelHasItsOwnName)
{
    std::set<std::string> names;
    for (const CatalogueEntry& e : GetCatalogue()) names.insert(GetUniqueModelName(e));
    EXPECT_EQ(names.size(), GetCatalogue().size());
    // The plain tab keeps the list name; its twin on the "+ CD-ROM" tab is marked.
    EXPECT_EQ(GetUniqueModelName(GetCatalogue()[2]), "CD Box");                 // 3, box
    EXPECT_EQ(GetUniqueModelName(GetCatalogue()[5]), "CD Box with CD-ROM");     // 6, bxc
    EXPECT_EQ(GetUniqueModelName(GetCatalogue()[22]), "Text Book with CD-ROM"); // 23, bkc
    EXPECT_EQ(GetUniqueModelName(GetCatalogue()[31]), "A Size Binder with CD-ROM");
    // Names no other model shares stay as they are.
    EXPECT_EQ(GetUniqueModelName(GetCatalogue()[0]), "VHS Box");
    EXPECT_EQ(GetUniqueModelName(GetCatalogue()[14]), "3.5\" Floppy Disk");
}

TEST(ModelNames, LookUpTakesExactNamesAndUnambiguousBeginnings)
{
    for (const auto& [name, number] : {std::pair{"CD Box", 3}, {"cd box with cd-rom", 6}, {"dmo_bxc_008.bmp", 8}, {"DMO_BXC_008", 8},
                                        {"bkc/Magazine", 14}, {"VHS", 1}, {"Membership", 10}})
        EXPECT_EQ(NumberOf(LookUpModel(name)), number) << name;

    const ModelLookup software = LookUpModel("Software");
    EXPECT_EQ(software.entry, nullptr);
    EXPECT_EQ(software.candidates, (std::vector<std::string>{"Software Box", "Software Box with CD-ROM"}));
    const ModelLookup custom = LookUpModel("custom size b");
    EXPECT_EQ(custom.entry, nullptr);
    // Box, Business Card, Book, Binder, and the three "with CD-ROM" twins.
    EXPECT_EQ(custom.candidates.size(), 7u);
}

TEST(ModelNames, NothingMatches)
{
    for (const char* name : {"Teapot", "", "dmo_box_099"}) {
        const ModelLookup m = LookUpModel(name);
        EXPECT_EQ(m.entry, nullptr) << name;
        EXPECT_TRUE(m.candidates.empty()) << name;
    }
}

}  // namespace
