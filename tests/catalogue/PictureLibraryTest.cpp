// Reading the picture library: the folder list, each folder's description
// file with its defaults and its stop at the first missing picture, and the
// remembered state of the dialog's tree.
#include "TempFolder.h"
#include "catalogue/setup/PictureLibrary.h"

#include "ground/IniFile.h"

namespace fs = std::filesystem;

namespace {

class PictureLibraryTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path p = m_dir / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    std::string Dir(const std::string& sub = {}) const { return (m_dir / sub).string(); }

    CTempFolder m_temp;
    const fs::path m_dir{m_temp.Path()};
};

} // namespace

TEST_F(PictureLibraryTest, ListLinesBecomeFolders)
{
    const std::string list = Write("vudarivu.ini", "[Other]\n"
                                                   "x=/not/this\n"
                                                   "[Library]\r\n"
                                                   "name=/pics\r\n"
                                                   "/more/\n"
                                                   "\n"
                                                   "; a comment\n"
                                                   "two=/a=b\n"
                                                   "[After]\n"
                                                   "y=/nor/this\n");
    // The text after the first '=' only.
    EXPECT_EQ(ReadLibraryList(list), (std::vector<std::string>{"/pics/", "/more/", "/a=b/"}));
    EXPECT_TRUE(ReadLibraryList(Dir("missing.ini")).empty());
}

TEST_F(PictureLibraryTest, ListSectionIsReadUpTo30000Characters)
{
    // 1000 lines of 39 characters plus a terminator: 40 characters each, so
    // exactly 750 fit into 30000.
    std::string text = "[Library]\n";
    for (int i = 0; i < 1000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "/library/folder/number/%016d\n", i);
        ASSERT_EQ(std::string(line).size(), 40u);
        text += line;
    }
    const std::vector<std::string> folders = ReadLibraryList(Write("big.ini", text));
    EXPECT_EQ(folders.size(), 750u);
}

TEST_F(PictureLibraryTest, DefaultsFillMissingKeys)
{
    Write("lib/vtlib.ini", "[Default]\n"
                           "0.Credit=Studio Default\n"
                           "0.Width=640\n"
                           "0.Height=480\n"
                           "0.Copyright=(c) Nobody\n"
                           "[Image]\n"
                           "1.Path=one.jpg\n"
                           "1.Thumb=t_one.bmp\n"
                           "1.Name=One\n"
                           "1.Info=First picture\n"
                           "2.Path=two.jpg\n"
                           "2.Credit=Own Credit\n"
                           "2.Width=800 pixels\n");
    const std::vector<LibraryEntry> entries = ReadLibraryFolder(Dir("lib"));
    ASSERT_EQ(entries.size(), 2u);
    const auto fields = [](const LibraryEntry& e) {
        return std::tuple(e.folder, e.path, e.thumb, e.name, e.credit, e.copyright, e.width, e.height);
    };
    const std::string lib = Dir("lib") + "/";
    EXPECT_EQ(fields(entries[0]), std::tuple(lib, "one.jpg", "t_one.bmp", "One", "Studio Default", "(c) Nobody", 640, 480));
    EXPECT_EQ(fields(entries[1]), std::tuple(lib, "two.jpg", "", "", "Own Credit", "(c) Nobody", 800, 480));

    EXPECT_EQ(ResolveLibraryFile(entries[0], entries[0].thumb), Dir("lib") + "/t_one.bmp");
    EXPECT_EQ(ResolveLibraryFile(entries[0], "/abs/x.png"), "/abs/x.png");
    EXPECT_EQ(FormatLibraryImageInfo(entries[0]), "First picture\n\n640 X 480 pixels\n\nPhoto Credit: Studio Default");
    LibraryEntry plain;
    plain.info = "Sky";
    plain.width = 3;
    plain.height = 2;
    EXPECT_EQ(FormatLibraryImageInfo(plain), "Sky\n\n3 X 2 pixels");
}

TEST_F(PictureLibraryTest, ReadingStopsAtFirstMissingPicture)
{
    // Pictures 1, 2 and 4; 3 is missing, so 4 is never reached.
    Write("gap/vtlib.ini", "[Image]\n"
                           "1.Path=a.jpg\n"
                           "2.Path=b.jpg\n"
                           "4.Path=d.jpg\n"
                           "4.Name=Four\n");
    const std::vector<LibraryEntry> gap = ReadLibraryFolder(Dir("gap"));
    ASSERT_EQ(gap.size(), 2u);
    EXPECT_EQ(gap[1].path, "b.jpg");

    // An entry whose own Path is blank ends the list even though it has other keys.
    Write("blank/vtlib.ini", "[Image]\n1.Path=a.jpg\n2.Name=No path\n3.Path=c.jpg\n");
    EXPECT_EQ(ReadLibraryFolder(Dir("blank")).size(), 1u);

    // A default Path stands in for missing ones but does not invent pictures.
    Write("defpath/vtlib.ini", "[Default]\n0.Path=same.jpg\n[Image]\n1.Name=A\n2.Name=B\n");
    const std::vector<LibraryEntry> def = ReadLibraryFolder(Dir("defpath"));
    ASSERT_EQ(def.size(), 2u);
    EXPECT_EQ(def[1].path, "same.jpg");
    EXPECT_EQ(def[1].name, "B");

    // Missing files and sections give empty lists.
    EXPECT_TRUE(ReadLibraryFolder(Dir("nowhere")).empty());
    Write("empty/vtlib.ini", "[Default]\n0.Credit=x\n");
    EXPECT_TRUE(ReadLibraryFolder(Dir("empty")).empty());
    EXPECT_TRUE(ReadLibraryFolder("").empty());
}

TEST_F(PictureLibraryTest, TreeStateIsRemembered)
{
    const CIniFile user(Dir("vtprof.ini"));
    const CLibraryTreeState state(user);
    EXPECT_TRUE(state.GetSelection().empty() && !state.IsExpanded("Backgrounds"));
    ASSERT_TRUE(state.SetSelection("Textures") && state.SetExpanded("Backgrounds", true) && state.SetExpanded("Textures", false));
    EXPECT_FALSE(state.SetExpanded("", true));

    const CLibraryTreeState again(user);
    EXPECT_EQ(std::tuple(again.GetSelection(), again.IsExpanded("Backgrounds"), again.IsExpanded("Textures")),
              std::tuple("Textures", true, false));
    EXPECT_EQ(std::pair(user.GetInt("DlgLibrary", "Backgrounds", -1), user.GetInt("DlgLibrary", "Textures", -1)), std::pair(1, 0));
}
