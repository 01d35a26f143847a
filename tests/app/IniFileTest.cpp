#include "TempFolder.h"
#include "ground/IniFile.h"

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    CTempFolder m_Temp;
    void WriteRaw(const std::string& text) { WriteText(m_Path, text); }
    std::string ReadRaw(const std::string& name = "vtwin.ini") const { return ReadText(m_Dir + "/" + name); }
    const std::string m_Dir = m_Temp.Path().substr(0, m_Temp.Path().size() - 1);  // no trailing slash
    const std::string m_Path = m_Dir + "/vtwin.ini";
};

}  // namespace

TEST_F(IniFileTest, ReadsHandWrittenFilesLikeThePrivateProfileFunctions) {
    WriteRaw("; comment line\r\n"
             "[Init]\r\n"
             "Template = 1 \r\n"
             "\r\n"
             "[alias]\r\n"
             "dmo_med_015.bmp=3.5\" Floppy Disk\r\n"
             "Quoted=\"  spaced  \"\r\n"
             "Single='x'\r\n"
             "[Numbers]\n"
             "Neg=-50\n"
             "Trail=12abc\n"
             "Word=abc\n"
             "Empty=\n"
             "Huge=99999999999\n"
             "NegHuge=-99999999999\n"
             "Plus=+7\n"
             "[Init]\n"
             "Template=0\n");
    CIniFile ini(m_Path);
    EXPECT_EQ(ini.GetInt("Init", "Template", 5), 1) << "the first of two equal sections wins";
    EXPECT_EQ(ini.GetInt("INIT", "template", 5), 1) << "names match without regard to case";
    // Quotes around a value go; a case-different key is the same key.
    EXPECT_EQ((std::vector{ini.GetString("Alias", "DMO_MED_015.BMP"), ini.GetString("Alias", "Quoted"), ini.GetString("Alias", "Single"),
                           ini.GetString("Numbers", "Empty", "def")}),
              (std::vector<std::string>{"3.5\" Floppy Disk", "  spaced  ", "x", ""}));
    // Leading digits count; a present value without digits (Word, Empty) reads 0; out of range is clamped.
    const auto number = [&](const char* key) { return ini.GetInt("Numbers", key, 9); };
    EXPECT_EQ((std::vector{number("Neg"), number("Trail"), number("Word"), number("Empty"), number("Huge"), number("NegHuge"), number("Plus")}),
              (std::vector{-50, 12, 0, 0, 2147483647, -2147483647 - 1, 7}));
    EXPECT_EQ(ini.GetSections(), (std::vector<std::string>{"Init", "alias", "Numbers", "Init"}));
    EXPECT_EQ(ini.GetKeys("Alias"), (std::vector<std::string>{"dmo_med_015.bmp", "Quoted", "Single"}));
}

TEST_F(IniFileTest, PutCreatesUpdatesAndKeepsEverythingElse) {
    WriteRaw("; kept\n[GUI]\nNewTab=box\n\n[Dir]\nOpen1=/home/a\n");
    CIniFile ini(m_Path);
    ASSERT_TRUE(ini.PutString("GUI", "NewTab", "med") && ini.PutInt("GUI", "PromptRenderNoAsk", 1) && ini.PutInt("Render", "JPEGQuality", -3));
    EXPECT_EQ(ReadRaw(),
              "; kept\n[GUI]\nNewTab=med\nPromptRenderNoAsk=1\n\n[Dir]\nOpen1=/home/a\n\n[Render]\nJPEGQuality=-3\n");
    EXPECT_EQ(std::pair(ini.GetInt("Render", "JPEGQuality", 100), ini.GetString("Dir", "Open1")), std::pair(-3, std::string("/home/a")));

    // A fresh file: reading gives the default and never creates the file.
    CIniFile fresh(m_Dir + "/vtprof.ini");
    EXPECT_EQ(fresh.GetInt("Init", "Template", 7), 7);
    EXPECT_FALSE(fs::exists(m_Dir + "/vtprof.ini"));
    ASSERT_TRUE(fresh.PutInt("Init", "Template", 1) && fresh.PutString("Init", "Name", "VHS Box"));
    EXPECT_EQ(ReadRaw("vtprof.ini"), "[Init]\nTemplate=1\nName=VHS Box\n");

    ASSERT_TRUE(ini.DeleteKey("GUI", "NewTab"));
    EXPECT_EQ(ini.GetString("GUI", "NewTab", "bok"), "bok");
    EXPECT_TRUE(ini.DeleteKey("GUI", "Absent")) << "deleting what is not there succeeds";
}

TEST_F(IniFileTest, AwkwardValuesRoundTripAndUnrepresentableOnesAreRefused) {
    CIniFile ini(m_Path);
    const std::string values[] = {"  leading and trailing  ", "\"quoted\"", "'single'", "\"", "a=b=c",
                                  "[not a section]", "; not a comment", "", "tab\tinside", "3.5\" Floppy Disk"};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const std::string key = "K" + std::to_string(i);
        ASSERT_TRUE(ini.PutString("Odd", key, values[i])) << values[i];
    }
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(ini.GetString("Odd", "K" + std::to_string(i), "?"), values[i]) << i;

    ASSERT_TRUE(ini.PutString("Keep", "A", "1"));
    const std::string before = ReadRaw();
    struct Bad {
        const char* section;
        const char* key;
        std::string value;
    };
    const Bad bad[] = {
        {"Keep", "A", "two\nlines"}, {"Keep", "A", "cr\rhere"}, {"Keep", "A", std::string("nul\0x", 5)},
        {"Keep", "B=C", "1"},        {"Keep", "", "1"},         {"", "A", "1"},
        {"Ke]ep", "A", "1"},         {"Keep", "[A", "1"},        {"Keep", " A", "1"},
        {"Keep\n", "A", "1"},
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(ini.PutString(b.section, b.key, b.value)) << b.section << "/" << b.key;
        EXPECT_EQ(ReadRaw(), before) << "a refused put leaves the file untouched";
    }
}

TEST_F(IniFileTest, UnreadableOrOversizedFilesAreNeverOverwritten) {
    // A folder or a pipe where the file should be: NotAFile.ProjectsPicturesSettingsAndLibrariesAnswerAtOnce.
    // An oversized file reads as defaults and refuses writes.
    CIniFile ini(m_Path);
    WriteRaw("[Init]\nTemplate=1\n" + std::string(CIniDocument::kMaxFileBytes, ';'));
    const auto size = fs::file_size(m_Path);
    EXPECT_EQ(ini.GetInt("Init", "Template", 0), 0);
    EXPECT_TRUE(!ini.PutInt("Init", "Template", 2) && fs::file_size(m_Path) == size);

    // A missing folder: nothing to read, nothing written.
    CIniFile nowhere(m_Dir + "/missing/vtwin.ini");
    EXPECT_EQ(nowhere.GetString("GUI", "NewTab", "bok"), "bok");
    EXPECT_FALSE(nowhere.PutString("GUI", "NewTab", "box") || fs::exists(m_Dir + "/missing"));
}

TEST(IniDocument, BatchEditsAndParsing) {
    CIniDocument doc;
    doc.Parse("[S]\r\nk = v \r\n\r\n[T]\nn=5");
    EXPECT_EQ(std::pair(doc.GetString("s", "K"), doc.GetInt("T", "n", 0)), std::pair(std::string("v"), 5));
    EXPECT_FALSE(doc.Find("T", "missing") || doc.Find("T", ""));
    ASSERT_TRUE(doc.PutString("S", "k2", "w"));
    doc.DeleteKey("T", "n");
    EXPECT_EQ(doc.ToText(), "[S]\nk = v \nk2=w\n\n[T]\n");
    EXPECT_FALSE(doc.PutString("S", "bad\nkey", "x"));
    EXPECT_EQ(doc.ToText(), "[S]\nk = v \nk2=w\n\n[T]\n");
}

TEST_F(IniFileTest, TwoProgramsWritingAtOnceKeepEachOthersKeys) {
    // Four processes each store 40 keys of their own in one file at the same time.
    constexpr int kWriters = 4, kKeys = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            CIniFile ini(m_Path);
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok = ini.PutInt("Render", "W" + std::to_string(w) + "K" + std::to_string(k), k) && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(CIniFile(m_Path).GetKeys("Render").size(), static_cast<std::size_t>(kWriters * kKeys));
}
