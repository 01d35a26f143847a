// The picture lists of the wizard pages: file patterns, CD-ROM pictures with
// their names, sub-pictures, and the CD position pictures of each kind.
#include "TempFolder.h"
#include "catalogue/WizardLists.h"

#include "ground/IniFile.h"
#include "catalogue/product/Product.h"

namespace fs = std::filesystem;

TEST(WizardLists, FilePatterns)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"dfl_*.bmp", "dfl_001.bmp", true},  {"dfl_*.bmp", "DFL_002.BMP", true}, {"dfl_*.bmp", "dfl_.bmp", true},
        {"dfl_*.bmp", "dzp_001.bmp", false}, {"dfl_*.bmp", "dfl_001.png", false}, {"dfl_*.bmp", "xdfl_001.bmp", false},
        {"d?x_*", "dcx_003.bmp", true},      {"d?x_*", "dx_003.bmp", false},      {"*", "", true},
        {"*.bmp", "a.bmp.bmp", true},        {"a*b*c", "aXbYbZc", true},          {"a*b*c", "aXbYbZ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchFilePattern(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

TEST(WizardLists, PicturesOfTheInternalFolder)
{
    const CTempFolder temp;
    const fs::path dir = temp.Path();
    for (const char* f : {"dcd_c009.bmp", "dcd_a101.bmp", "ecd_c009.png", "dfl_002.bmp", "dfl_001.bmp", "dzp_001.bmp"})
        std::ofstream(dir / f) << "x";
    fs::create_directories(dir / "dcd_folder.bmp"); // not a file
    const CIniFile ini((dir / "vtwin.ini").string());
    ASSERT_TRUE(ini.PutString("Alias", "c009", "Blue"));
    ASSERT_TRUE(ini.PutString("Alias", "dfl_001.bmp", "Aqua 1/Floppy Disk"));

    std::vector<std::string> cds, floppies;
    for (const auto& cd : ListCDImageChoices(dir.string(), ini))
        cds.push_back(cd.file + " " + cd.section + " " + cd.name);
    for (const auto& floppy : ListSubPictureChoices(dir.string(), "dfl_*.bmp", ini))
        floppies.push_back(floppy.file + " " + floppy.name);
    EXPECT_EQ(cds, (std::vector<std::string>{"dcd_a101.bmp a101 ", "dcd_c009.bmp c009 Blue"}));
    EXPECT_EQ(floppies, (std::vector<std::string>{"dfl_001.bmp Aqua 1", "dfl_002.bmp "}));
    EXPECT_TRUE(ListFolderFiles((dir / "missing").string(), "*").empty());
}

TEST(WizardLists, CDPositionPicturesFollowTheKind)
{
    const auto b = GetCDPositionChoices(*CreateProduct("BOXCD")), k = GetCDPositionChoices(*CreateProduct("BINDERCD"));
    ASSERT_EQ(std::pair(b.size(), k.size()), (std::pair<std::size_t, std::size_t>(4, 5)));
    EXPECT_EQ(std::tuple(b[1].value, std::string(b[1].name), b[1].file), std::tuple(1, "Inside Front", "dcx_001.bmp"));
    EXPECT_EQ(std::tuple(k[4].value, std::string(k[4].name), k[4].file), std::tuple(5, "Behind The Book", "dck_005.bmp"));
}
