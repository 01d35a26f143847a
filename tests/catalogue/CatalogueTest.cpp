#include "TempFolder.h"
#include "ground/IniFile.h"
#include "catalogue/Catalogue.h"
#include "catalogue/product/Product.h"

namespace fs = std::filesystem;

namespace {

class CatalogueIniTest : public ::testing::Test {
protected:
    CTempFolder m_Temp;
    const std::string m_Dir = m_Temp.Path().substr(0, m_Temp.Path().size() - 1);  // no trailing slash
};

}  // namespace

TEST(Catalogue, ThirtyTwoEntriesInRunningOrderWithValidKinds) {
    const auto entries = GetCatalogue();
    ASSERT_EQ(entries.size(), 32u);
    std::set<std::string> prefixes;
    for (const CatalogueTab& tab : GetCatalogueTabs()) prefixes.insert(tab.prefix);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].number, static_cast<int>(i) + 1);
        EXPECT_TRUE(CreateProduct(entries[i].kind)) << entries[i].name;
        EXPECT_EQ(prefixes.count(entries[i].prefix), 1u) << entries[i].name;
    }
    // The rows agree with themselves: custom sizes are the editable ones
    // (negative width and height), flat kinds have no depth, a tab holds its
    // own kinds, and only the two media entries carry a sub-picture choice.
    const std::map<std::string, std::string> tabKinds = {{"box", " BOX "},     {"bxc", " BOXCD "}, {"crd", " CARD RCARD "},
                                                         {"bok", " BOOK "},    {"bkc", " BOOKCD "}, {"bin", " BINDER "},
                                                         {"bic", " BINDERCD "}, {"med", " BOX CD "}};
    for (const CatalogueEntry& e : entries) {
        const bool custom = std::string_view(e.name).starts_with("Custom Size");
        EXPECT_EQ(std::pair(e.width < 0, e.height < 0), std::pair(custom, custom)) << e.name;
        EXPECT_EQ(e.depth == 0, !CreateProduct(e.kind)->HasDepth()) << e.name;
        EXPECT_NE(tabKinds.at(e.prefix).find(" " + std::string(e.kind) + " "), std::string::npos) << e.name;
        const bool media = e.number == 15 || e.number == 25;
        EXPECT_EQ(MakeModelEntry(e).HasSubPicture(), media) << e.name;
        EXPECT_STREQ(e.sideProvided, media ? "FUDLR" : "") << e.name;
    }
    EXPECT_STREQ(entries[14].subPrompt, "Please choose the type of &Floppy Disk");
    EXPECT_STREQ(entries[24].subPrompt, "Please choose the type of &zip disk");
}

TEST(Catalogue, TabsAndSectionNames) {
    std::vector<std::string> tabs;
    for (const CatalogueTab& t : GetCatalogueTabs()) tabs.push_back(std::string(t.prefix) + " " + t.caption);
    EXPECT_EQ(tabs, (std::vector<std::string>{"bin Binder", "bic Binder + CD-ROM", "bok Book", "bkc Book + CD-ROM",
                                              "box Box", "bxc Box + CD-ROM", "crd Card", "med Media"}));
    EXPECT_STREQ(kDefaultNewTab, "bok");
    const auto entries = GetCatalogue();
    for (const CatalogueEntry& e : entries) EXPECT_EQ(GetCatalogueSectionName(e), GetCatalogueSectionName(e.prefix, e.number));
    EXPECT_EQ(GetCatalogueSectionName(entries[31]), "dmo_bic_032.bmp");
    EXPECT_EQ(GetCatalogueSectionName("BOX", 7), "dmo_box_007.bmp") << "lower-cased";
    EXPECT_EQ(GetCatalogueSectionName("box", 123), "dmo_box_123.bmp");
}

TEST(Catalogue, DisplayNamesAndDimensionFields) {
    // The title replaces only the first slash; the list name is what stands before it.
    EXPECT_EQ((std::vector{GetWizardTitleName("Red 1/Floppy Disk"), GetWizardTitleName("a/b/c"), GetListName("Red 1/Floppy Disk"),
                           GetListName("VHS Box")}),
              (std::vector<std::string>{"Red 1 Floppy Disk", "a b/c", "Red 1", "VHS Box"}));

    // 0: no field; negative: editable, starting at its size; positive: fixed.
    EXPECT_FALSE(GetDimensionField(0).visible);
    for (const auto& [stored, enabled] : {std::pair{-50, true}, {261, false}}) {
        const DimensionField f = GetDimensionField(stored);
        EXPECT_TRUE(f.visible && f.enabled == enabled && f.value == std::abs(stored)) << stored;
    }
}

TEST_F(CatalogueIniTest, EntriesWrittenAsIniAndReadBack) {
    CIniFile ini(m_Dir + "/vtwin.ini");
    for (const CatalogueEntry& e : GetCatalogue()) ASSERT_TRUE(WriteModelEntry(ini, MakeModelEntry(e)));

    EXPECT_EQ(std::tuple(ini.GetString("Alias", "dmo_box_001.bmp"), ini.GetString("Alias", "dmo_med_015.bmp"), ini.GetKeys("Alias").size()),
              std::tuple("VHS Box", "3.5\" Floppy Disk", 32u));
    EXPECT_EQ(ini.GetKeys("dmo_box_005.bmp"), (std::vector<std::string>{"MODEL", "W", "H", "D", "SIDEPROV"}));
    EXPECT_EQ(ini.GetKeys("dmo_med_015.bmp"),
              (std::vector<std::string>{"MODEL", "W", "H", "D", "SIDEPROV", "SUBW", "SUBT", "SUBD", "SUBS"}));
    // Signed decimals; no such entry as dmo_bic_027.
    EXPECT_EQ(std::pair(ini.GetString("dmo_box_005.bmp", "D"), ini.GetString("dmo_bic_027.bmp", "MODEL")), std::pair(std::string("-50"), std::string()));

    const auto fields = [](const ModelEntry& m) {
        return std::tuple(m.name, m.model, m.width, m.height, m.depth, m.sideProvided, m.subPattern, m.subTitle,
                          m.subPrompt, m.subName);
    };
    for (const CatalogueEntry& e : GetCatalogue())
        EXPECT_EQ(fields(ReadModelEntry(ini, MakeModelEntry(e).section)), fields(MakeModelEntry(e))) << e.name;
    // The alias lookup is by the lower-cased section name.
    EXPECT_EQ(ReadModelEntry(ini, "DMO_BOX_001.BMP").name, "VHS Box");
}

TEST_F(CatalogueIniTest, SubKeysOnlyWhenAllFourAreSet) {
    CIniFile ini(m_Dir + "/vtwin.ini");
    ModelEntry m = MakeModelEntry(GetCatalogue()[14]);
    m.section = "dmo_med_099.bmp";
    m.subTitle.clear();  // the other three are still set
    ASSERT_TRUE(WriteModelEntry(ini, m));
    for (const char* key : {"SUBW", "SUBT", "SUBD", "SUBS"})
        EXPECT_EQ(ini.GetString(m.section, key, "absent"), "absent") << key;
    EXPECT_EQ(ini.GetString(m.section, "SIDEPROV"), "FUDLR");

    // Writing a complete entry, then an incomplete one, leaves no stale keys.
    ModelEntry full = MakeModelEntry(GetCatalogue()[24]);
    ASSERT_TRUE(WriteModelEntry(ini, full));
    EXPECT_EQ(ini.GetString(full.section, "SUBT"), "Select zip Disk Type");
    full.subName.clear();
    ASSERT_TRUE(WriteModelEntry(ini, full));
    for (const char* key : {"SUBW", "SUBT", "SUBD", "SUBS"})
        EXPECT_EQ(ini.GetString(full.section, key, "absent"), "absent") << key;
    EXPECT_FALSE(ReadModelEntry(ini, full.section).HasSubPicture());
}

// Entry by entry, twice, or in one rewrite: the same file.
TEST_F(CatalogueIniTest, WritingAgainOrInOneRewriteGivesTheSameFile) {
    CIniFile one(m_Dir + "/one.ini"), each(m_Dir + "/each.ini");
    ASSERT_TRUE(WriteCatalogue(one));
    for (int pass = 0; pass < 2; ++pass)
        for (const CatalogueEntry& e : GetCatalogue()) ASSERT_TRUE(WriteModelEntry(each, MakeModelEntry(e)));
    const std::string once = ReadText(m_Dir + "/one.ini");
    EXPECT_EQ(ReadText(m_Dir + "/each.ini"), once);
    EXPECT_EQ(one.GetSections().size(), 33u) << "Alias and 32 entries";
    EXPECT_NE(once.find("[dmo_box_001.bmp]\nMODEL=BOX\nW=103\nH=190\nD=28\nSIDEPROV=\n"), std::string::npos);
}
